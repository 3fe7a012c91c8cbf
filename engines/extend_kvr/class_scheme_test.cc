#include "class_scheme.h"

#include <gtest/gtest.h>

namespace ekvr {
namespace {

TEST(ClassScheme, DisciplineCodesInEverySpellingBecomeDotted) {
  EXPECT_EQ(StandardDisciplineCode("0812").value_or(""), "08.12");
  EXPECT_EQ(StandardDisciplineCode("081203").value_or(""), "08.12.03");
  EXPECT_EQ(StandardDisciplineCode("08.12.03").value_or(""), "08.12.03");
  EXPECT_EQ(StandardDisciplineCode("08").value_or(""), "08");
}

TEST(ClassScheme, RejectsWhatIsNotACatalogueCode) {
  for (const char* bad : {"", "8", "081", "08.1", "08..12", "15", "00", "08.00", "08.38", "01.02",
                          "0812030", "08.12.03.01", "TP391", "08.12."}) {
    EXPECT_FALSE(StandardDisciplineCode(bad).has_value()) << bad;
  }
}

TEST(ClassScheme, ConcordanceMapsCodesAndNames) {
  ClassScheme scheme;
  std::string error;
  ASSERT_TRUE(scheme.Parse("# comment\n08.12\tcs\teng\tTP3,TP39\n06\thist\thist\tK\n", &error)) << error;
  ASSERT_NE(scheme.FindCode("08.12"), nullptr);
  EXPECT_EQ(scheme.FindCode("08.12")->library.front(), "TP3");
  EXPECT_EQ(FormalizeClass("cs", &scheme).value_or(""), "08.12");
  EXPECT_EQ(FormalizeClass("081203", nullptr).value_or(""), "08.12.03");
  EXPECT_FALSE(FormalizeClass("unknown", &scheme).has_value());
}

TEST(ClassScheme, MalformedConcordanceIsAnError) {
  ClassScheme scheme;
  std::string error;
  EXPECT_FALSE(scheme.Parse("0812\tcs\teng\tTP3\n", &error));  // undotted code
  EXPECT_NE(error.find("line 1"), std::string::npos);
  EXPECT_FALSE(scheme.Parse("08.12\tcs\teng\tTP3,,TP39\n", &error));
  EXPECT_FALSE(scheme.Parse("# only a comment\n", &error));
  EXPECT_FALSE(scheme.Load("/nonexistent/disciplines.tsv", &error));
}

}  // namespace
}  // namespace ekvr
