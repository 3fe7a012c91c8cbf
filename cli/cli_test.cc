// The tarnix command run as a user runs it: files and standard input in,
// standard output, standard error and the exit status checked.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "batch.h"
#include "host_platform.h"

namespace {

using nlohmann::json;

const std::string kTestData = CLI_TESTDATA;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string Quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class CliTest : public testing::Test {
 protected:
  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    // The process id keeps two builds' suites that run at once apart.
    dir_ = testing::TempDir() + "tarnix_cli_" + std::to_string(getpid()) + "_" +
           info->test_suite_name() + "_" + info->name();
    std::system(("rm -rf " + Quote(dir_) + " && mkdir -p " + Quote(dir_)).c_str());
  }
  void TearDown() override { std::system(("rm -rf " + Quote(dir_)).c_str()); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  // Runs tarnix in the test's own directory; standard input from the
  // given file (or an empty one).
  Result Run(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
    std::string command = "cd " + Quote(dir_) + " && " + Quote(TARNIX_COMMAND);
    for (const std::string& a : args) command += " " + Quote(a);
    command += " < " + Quote(input) + " > out.txt 2> err.txt";
    Result r;
    const int raw = std::system(command.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadFile(Path("out.txt"));
    r.err = ReadFile(Path("err.txt"));
    return r;
  }

  std::string dir_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream s(text);
  std::string line;
  while (std::getline(s, line)) lines.push_back(line);
  return lines;
}

// The test article's texts, author keywords included, which every keyword
// must come from.
std::string SampleText() {
  const json a = json::parse(ReadFile(kTestData + "/article.json"));
  std::string text = a["title"].get<std::string>() + a["abstract"].get<std::string>();
  for (const json& k : a["keywords"]) text += "|" + k.get<std::string>();
  return text;
}

TEST_F(CliTest, ExtractJsonInEveryFormatAndEncoding) {
  const std::string article = kTestData + "/article.json";
  const Result js = Run({"extract", "--format", "json", "--top", "0", article});
  ASSERT_EQ(js.status, 0) << js.err;
  const json doc = json::parse(js.out);
  EXPECT_EQ(doc["lang"], "zh");
  const json& list = doc["keywords"];
  ASSERT_GT(list.size(), 3u);
  double previous = 1e300;
  for (const json& k : list) {
    const std::string word = k["keyword"];
    EXPECT_NE(SampleText().find(word), std::string::npos) << word << " is not in the article";
    EXPECT_LE(k["weight"].get<double>(), previous);
    previous = k["weight"];
    EXPECT_GE(k["frequency"].get<int>(), 1);
    EXPECT_TRUE(k.contains("class") && k.contains("second"));
  }

  // The table: a header, then the first 20 keywords in the same order.
  const Result table = Run({"extract", article});
  ASSERT_EQ(table.status, 0) << table.err;
  const auto rows = Lines(table.out);
  ASSERT_EQ(rows.size(), std::min<size_t>(list.size(), 20) + 1) << table.out;
  EXPECT_EQ(rows[0].substr(0, 4), "rank");
  EXPECT_NE(rows[0].find("keyword"), std::string::npos);
  EXPECT_NE(rows[0].find("second text"), std::string::npos);
  for (size_t i = 1; i < rows.size(); ++i) {
    EXPECT_NE(rows[i].find(list[i - 1]["keyword"].get<std::string>()), std::string::npos) << rows[i];
  }

  const Result tsv = Run({"extract", "--format", "tsv", "--top", "3", article});
  ASSERT_EQ(tsv.status, 0) << tsv.err;
  const auto lines = Lines(tsv.out);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "rank\tkeyword\tweight\tfrequency\tclass\tsecond");
  std::vector<std::string> cells;
  std::stringstream first(lines[1]);
  for (std::string c; std::getline(first, c, '\t');) cells.push_back(c);
  ASSERT_GE(cells.size(), 5u);
  EXPECT_EQ(cells[0], "1");
  EXPECT_EQ(cells[1], list[0]["keyword"]);
  EXPECT_EQ(std::stod(cells[2]), list[0]["weight"].get<double>());

  // The same article in GBK. Its journal name ends in 誠, whose trail byte
  // 0x5C (a backslash) stands right before the closing quote: the document
  // must be decoded before it is parsed, not parsed byte by byte.
  const Result gbk = Run({"extract", "--encoding", "gbk", "--format", "json", "--top", "0",
                          kTestData + "/article.gbk.json"});
  ASSERT_EQ(gbk.status, 0) << gbk.err;
  EXPECT_EQ(gbk.out, js.out);

  // Weights rescaled: the first three keywords, summing to 1 with their
  // ratios kept, or whole numbers forming a vector of length 10000.
  const json sum =
      json::parse(Run({"extract", "--format", "json", "--top", "3", "--normalise", "sum", article}).out);
  ASSERT_EQ(sum["keywords"].size(), 3u);
  double total = 0;
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(sum["keywords"][i]["keyword"], list[i]["keyword"]);
    total += sum["keywords"][i]["weight"].get<double>();
  }
  EXPECT_NEAR(total, 1.0, 1e-9);
  const double w0 = list[0]["weight"], w1 = list[1]["weight"];
  EXPECT_NEAR(sum["keywords"][0]["weight"].get<double>() / sum["keywords"][1]["weight"].get<double>(),
              w0 / w1, 1e-9);
  const json ten =
      json::parse(Run({"extract", "--format", "json", "--top", "3", "--normalise", "ten", article}).out);
  double squares = 0;
  for (const json& k : ten["keywords"]) {
    const double w = k["weight"];
    EXPECT_EQ(w, static_cast<double>(static_cast<long long>(w)));
    squares += w * w;
  }
  EXPECT_NEAR(std::sqrt(squares), 10000.0, 3.0);
}

TEST_F(CliTest, PlainTextWithOptionsEqualsJson) {
  // Plain text is the full text; the options give the other fields, in
  // the input's encoding; GBK text passes through untouched.
  const std::string title = "谣言研究的方法论述评";
  WriteFile(Path("full.json"), json({{"title", title}, {"text", ReadFile(kTestData + "/body.txt")}}).dump());
  std::string gbk_title;
  tarnix::ConversionStop stop;
  ASSERT_TRUE(tarnix::Utf8ToGbk(title, &gbk_title, tarnix::Unmappable::kFail, &stop));
  const Result from_json = Run({"extract", "--format", "json", Path("full.json")});
  const Result from_text =
      Run({"extract", "--format", "json", "--title", title, "-"}, kTestData + "/body.txt");
  const Result from_gbk = Run({"extract", "--format", "json", "--encoding", "gbk", "--title", gbk_title,
                               kTestData + "/body.gbk.txt"});
  ASSERT_EQ(from_json.status, 0) << from_json.err;
  ASSERT_EQ(from_text.status, 0) << from_text.err;
  ASSERT_EQ(from_gbk.status, 0) << from_gbk.err;
  EXPECT_EQ(from_text.out, from_json.out);
  EXPECT_EQ(from_gbk.out, from_json.out);
  EXPECT_FALSE(json::parse(from_json.out)["keywords"].empty());
}

TEST_F(CliTest, CharacterGbkCannotHoldIsNamedWithItsPosition) {
  // "基于深度学习的\n图像😀分类" in the abstract: the emoji is on line 2, column 3.
  WriteFile(Path("a.json"),
            R"({"title": "图像分类", "abstract": "基于深度学习的\n图像😀分类"})");
  const Result r = Run({"extract", "--strict-encoding", Path("a.json")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("the field abstract has a character GBK cannot hold: U+1F600"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("line 2, column 3"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  // By default the emoji, which has no nearest form, is a space.
  const Result normalised = Run({"extract", "--format", "json", Path("a.json")});
  ASSERT_EQ(normalised.status, 0) << normalised.err;
  EXPECT_EQ(json::parse(normalised.out)["replaced"], 1) << normalised.out;
  EXPECT_NE(normalised.err.find("1 characters changed to fit GBK (1 with no GBK form written as spaces)"),
            std::string::npos) << normalised.err;
  const Result replaced = Run({"extract", "--replace-unmappable", Path("a.json")});
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_NE(replaced.err.find("(1 with no GBK form written as '?')"), std::string::npos) << replaced.err;
  // Invalid GBK input is named by its byte.
  WriteFile(Path("bad.gbk"), "{\"title\": \"\xCD\xBC\xFF\"}");
  const Result bad = Run({"extract", "--encoding", "gbk", Path("bad.gbk")});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("not valid GBK at byte 14"), std::string::npos) << bad.err;
}

TEST_F(CliTest, FailuresAreClearMessages) {
  Result r = Run({"extract", Path("missing.json")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot read " + Path("missing.json") + ": No such file or directory"),
            std::string::npos) << r.err;

  WriteFile(Path("broken.json"), "{\"title\": \"x\",\n \"abstract\" \"y\"}");
  r = Run({"extract", Path("broken.json")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("malformed JSON: parse error at line 2, column 15"), std::string::npos) << r.err;

  WriteFile(Path("fields.json"), R"({"id": 7, "discipline": "x"})");
  r = Run({"extract", Path("fields.json")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("missing fields"), std::string::npos) << r.err;

  WriteFile(Path("type.json"), R"({"title": 7})");
  r = Run({"extract", Path("type.json")});
  EXPECT_NE(r.err.find("the field title must be a text, not number"), std::string::npos) << r.err;

  WriteFile(Path("empty.json"), R"({"title": "  ", "abstract": "", "keywords": ["a"]})");
  r = Run({"extract", Path("empty.json")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("empty article"), std::string::npos) << r.err;

  // A run log the library could not write would be reported on standard
  // output, among the keywords.
  std::system(("mkdir -p " + Quote(Path("work/Tarnix_Log.log"))).c_str());
  r = Run({"extract", "--workdir", Path("work"), kTestData + "/article.json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("cannot write the run log Tarnix_Log.log in " + Path("work")), std::string::npos)
      << r.err;

  r = Run({"extract", "--top", "many", Path("empty.json")});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--top must be a whole number"), std::string::npos) << r.err;
}

TEST_F(CliTest, FieldsLargerThanTheLibraryAcceptsAreNamed) {
  // 2^19 - 1 bytes is the most the library takes; one more is refused
  // before the library sees it.
  WriteFile(Path("big.txt"), std::string(0x7FFFF, 'a'));
  WriteFile(Path("bigger.txt"), std::string(0x80000, 'a'));
  Result r = Run({"extract", "--title", "t", Path("bigger.txt")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("the field text is too large: 524288 bytes in GBK, the library accepts at most 524287"),
            std::string::npos) << r.err;
  // Chinese characters count two bytes each in GBK.
  std::string cls;
  for (int i = 0; i < 0x20000; ++i) cls += "\xE7\xB1\xBB";  // 类
  WriteFile(Path("class.json"), json({{"title", "t"}, {"class", cls}}).dump());
  r = Run({"extract", Path("class.json")});
  EXPECT_NE(r.err.find("the field class is too large: 262144 bytes in GBK, the library accepts at most 262143"),
            std::string::npos) << r.err;
  r = Run({"extract", "--title", "t", "--lang", "en", "--top", "1", Path("big.txt")});
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(CliTest, LibraryFailureShowsTheRunLog) {
  // A general-word dictionary that does not exist makes the library's
  // keyword step fail, after the engines have started.
  std::system(("mkdir -p " + Quote(Path("work"))).c_str());
  WriteFile(Path("work/EKVR.ini"), "[DictInfo]\nsys_general_dic=no_such_dictionary\n");
  const Result r = Run({"extract", "--workdir", Path("work"), kTestData + "/article.json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("the library failed on this article (result 9)"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("step9. PrintKeyWord failed!"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(Path("work") + "/Tarnix_Log.log"), std::string::npos) << r.err;
  // The log stays in the working directory given.
  EXPECT_NE(ReadFile(Path("work/Tarnix_Log.log")).find("step20. sys_general_dic load failed!"),
            std::string::npos);
}

TEST_F(CliTest, BatchGoesOnAfterBadLinesAndJobsDoNotChangeTheOutput) {
  const std::string input = kTestData + "/batch.jsonl";
  const Result one = Run({"batch", input});
  ASSERT_EQ(one.status, 0) << one.err;
  const auto lines = Lines(one.out);
  const auto inputs = Lines(ReadFile(input));
  ASSERT_EQ(lines.size(), inputs.size());
  std::vector<std::string> kinds;
  for (size_t i = 0; i < lines.size(); ++i) {
    const json r = json::parse(lines[i]);
    EXPECT_EQ(r["line"], static_cast<int>(i + 1));
    kinds.push_back(r.contains("keywords") ? "ok" : r["error"].get<std::string>().substr(0, 14));
  }
  const std::vector<std::string> expected = {"ok", "malformed JSON", "ok", "missing fields",
                                             "empty article:", "the field titl", "ok", "ok"};
  EXPECT_EQ(kinds, expected);
  EXPECT_EQ(json::parse(lines[0])["id"], "first");
  EXPECT_EQ(json::parse(lines[3])["id"], 4);
  EXPECT_NE(one.err.find("8 articles"), std::string::npos) << one.err;
  EXPECT_NE(one.err.find("4 errors"), std::string::npos) << one.err;

  const Result two = Run({"batch", "--jobs", "2", "--quiet", "-"}, input);
  ASSERT_EQ(two.status, 0) << two.err;
  EXPECT_EQ(two.out, one.out);
  EXPECT_EQ(two.err, "");

  // Workers that cannot start make the batch fail with a message, not hang.
  std::system(("mkdir -p " + Quote(Path("work/Tarnix_Log.log"))).c_str());
  const Result broken = Run({"batch", "--jobs", "2", "--workdir", Path("work"), input});
  EXPECT_EQ(broken.status, 1);
  EXPECT_EQ(broken.out, "");
  EXPECT_NE(broken.err.find("tarnix: worker 1 stopped before line 1 was done"), std::string::npos)
      << broken.err;
}

TEST_F(CliTest, AnArticleGetsTheSameKeywordsWhereverItStandsInTheRun) {
  // The first article of a process once skipped the general-word tests of
  // its abstract (the dictionary was loaded only after them): 应用 ranked
  // on line 1 only, and with two workers on the first line of each.
  const std::string article = json::parse(ReadFile(kTestData + "/article.json")).dump();
  WriteFile(Path("three.jsonl"), article + "\n" + article + "\n" + article + "\n");
  for (const char* jobs : {"1", "2"}) {
    const Result r = Run({"batch", "--quiet", "--jobs", jobs, Path("three.jsonl")});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3u);
    std::vector<json> keywords;
    for (const auto& line : lines) keywords.push_back(json::parse(line)["keywords"]);
    EXPECT_FALSE(keywords[0].empty());
    EXPECT_EQ(keywords[1], keywords[0]) << "--jobs " << jobs;
    EXPECT_EQ(keywords[2], keywords[0]) << "--jobs " << jobs;
  }
}

TEST_F(CliTest, BatchNormalisesWhatGbkCannotHoldUnlessStrict) {
  // Non-breaking hyphens, ligatures, no-break spaces, ö, a minus sign and
  // a copyright sign: nine characters, any of which used to cost the
  // article.
  WriteFile(Path("en.jsonl"),
            json({{"id", "p1"},
                  {"title", "Fine\u2011grained image classi\uFB01cation"},
                  {"abstract", "Fine\u2011grained image classi\uFB01cation with\u00A0convolutional "
                               "networks after G\u00F6del, \u22121 \u00A9\u00A0Press."}})
                    .dump() + "\n");
  const Result r = Run({"batch", Path("en.jsonl")});
  ASSERT_EQ(r.status, 0) << r.err;
  const json record = json::parse(r.out);
  EXPECT_EQ(record["replaced"], 9) << r.out;
  // The ligature no longer cuts the word it is in.
  std::string words;
  for (const json& k : record["keywords"]) words += k["keyword"].get<std::string>() + "|";
  EXPECT_NE(words.find("classification"), std::string::npos) << r.out;
  for (const char c : words) EXPECT_TRUE(c != '?' && static_cast<unsigned char>(c) < 0x80) << r.out;
  EXPECT_NE(r.err.find("0 errors, 9 characters replaced"), std::string::npos) << r.err;

  const Result strict = Run({"batch", "--strict-encoding", Path("en.jsonl")});
  ASSERT_EQ(strict.status, 0) << strict.err;
  const json refused = json::parse(strict.out);
  EXPECT_FALSE(refused.contains("keywords"));
  EXPECT_EQ(refused["error"],
            "the field title has a character GBK cannot hold: U+2011 \"\u2011\" at line 1, column 5 (byte 5)");
  EXPECT_NE(strict.err.find("1 errors, 0 characters replaced"), std::string::npos) << strict.err;
  // Workers are told the policy too.
  EXPECT_EQ(Run({"batch", "--strict-encoding", "--jobs", "2", "--quiet", Path("en.jsonl")}).out, strict.out);
}

TEST_F(CliTest, PaperWithUnicodePunctuationEndToEnd) {
  // testdata/README.md counts the characters each line has changed.
  const Result r = Run({"batch", "--jobs", "2", kTestData + "/unicode_paper.jsonl"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 2u);
  const json en = json::parse(lines[0]), zh = json::parse(lines[1]);
  EXPECT_EQ(en["replaced"], 35) << lines[0];
  EXPECT_EQ(zh["replaced"], 5) << lines[1];  // ＭＮＩＳＴ; the CJK quotes, dashes and ellipses stay
  std::string en_words, zh_words;
  for (const json& k : en["keywords"]) en_words += k["keyword"].get<std::string>() + "|";
  for (const json& k : zh["keywords"]) zh_words += k["keyword"].get<std::string>() + "|";
  EXPECT_NE(en_words.find("|fine-grained classification|"), std::string::npos) << en_words;
  // Names lose their accents rather than being cut at them, and no
  // trademark sign becomes part of a word.
  for (const char c : en_words) EXPECT_LT(static_cast<unsigned char>(c), 0x80) << en_words;
  EXPECT_EQ(en_words.find("TM"), std::string::npos) << en_words;
  EXPECT_NE(zh_words.find("|MNIST|"), std::string::npos) << zh_words;
  EXPECT_NE(r.err.find("0 errors, 40 characters replaced"), std::string::npos) << r.err;
}

#if defined(TARNIX_STEMMER_SONAME) && defined(__GLIBC__)
// Every tarnix process used to load the stemmer, whose relocation costs
// some 90 page faults at start; only scoring English opens it now.
TEST_F(CliTest, OnlyEnglishScoringLoadsTheStemmer) {
  auto loads_stemmer = [&](const std::string& args) {
    // glibc's loader names each library it maps, linked or opened, when
    // LD_DEBUG asks it to.
    const std::string command = "cd " + Quote(dir_) + " && LD_DEBUG=files " + Quote(TARNIX_COMMAND) + " " + args +
                                " < /dev/null > out.txt 2> loader.txt";
    const int status = std::system(command.c_str());
    const std::string log = ReadFile(Path("loader.txt"));
    EXPECT_EQ(status, 0) << args << "\n" << log.substr(0, 2000);
    EXPECT_NE(log.find("file="), std::string::npos) << "no loader log for " << args;
    return log.find(TARNIX_STEMMER_SONAME) != std::string::npos;
  };
  EXPECT_FALSE(loads_stemmer("--version"));
  EXPECT_FALSE(loads_stemmer("extract " + Quote(kTestData + "/article.json")));
  // One of the documents is English.
  EXPECT_TRUE(loads_stemmer("eval --predictions " + Quote(kTestData + "/eval_predictions.jsonl") + " " +
                            Quote(kTestData + "/eval.jsonl")));
}
#endif

TEST_F(CliTest, EvalScoresKnownPredictions) {
  // The expected means are worked out by hand in testdata/README.md.
  const Result r = Run({"eval", "--format", "json", "--predictions",
                        kTestData + "/eval_predictions.jsonl", kTestData + "/eval.jsonl"});
  ASSERT_EQ(r.status, 0) << r.err;
  const json doc = json::parse(r.out);
  EXPECT_EQ(doc["scored"], 3);
  EXPECT_EQ(doc["zh"], 2);
  EXPECT_EQ(doc["en"], 1);
  EXPECT_EQ(doc["no_reference"], 1);
  EXPECT_EQ(doc["skipped_lines"], 1);
  EXPECT_NE(r.err.find("line 5 skipped: malformed JSON"), std::string::npos) << r.err;
  const json& s = doc["results"]["tarnix"];
  EXPECT_EQ(s["failed"], 1);
  EXPECT_NEAR(s["P@5"].get<double>(), 0.333333, 1e-6);
  EXPECT_NEAR(s["R@5"].get<double>(), 0.5, 1e-6);
  EXPECT_NEAR(s["F1@5"].get<double>(), 0.398148, 1e-6);
  EXPECT_NEAR(s["P@10"].get<double>(), 0.2, 1e-6);
  EXPECT_NEAR(s["R@10"].get<double>(), 0.583333, 1e-6);
  EXPECT_NEAR(s["F1@10"].get<double>(), 0.296703, 1e-6);

  const Result table = Run({"eval", "--predictions", kTestData + "/eval_predictions.jsonl",
                            kTestData + "/eval.jsonl"});
  ASSERT_EQ(table.status, 0) << table.err;
  EXPECT_NE(table.out.find("tarnix        0.3333  0.5000  0.3981  0.2000  0.5833  0.2967       1"),
            std::string::npos) << table.out;
}

TEST_F(CliTest, EvalRunsTheLibraryAndThePeerOnTheSameInput) {
  // The author keywords are the reference and must reach neither system:
  // given to the library, a keyword that is nowhere else in the article
  // comes out on top (the extract below shows it does).
  const json article = {{"title", "企业诚信建设研究"},
                        {"abstract", "本文讨论企业诚信建设的途径."},
                        {"keywords", {"量子纠缠"}}};
  WriteFile(Path("gold.jsonl"), article.dump() + "\n");
  const Result given = Run({"extract", "--format", "tsv", "--top", "5", Path("gold.jsonl")});
  EXPECT_NE(given.out.find("量子纠缠"), std::string::npos) << given.out;

  const Result r = Run({"eval", "--format", "json", "--peer", "jieba-tfidf", Path("gold.jsonl")});
  ASSERT_EQ(r.status, 0) << r.err;
  const json doc = json::parse(r.out);
  ASSERT_EQ(doc["scored"], 1);
  for (const char* system : {"tarnix", "jieba-tfidf"}) {
    const json& s = doc["results"][system];
    ASSERT_TRUE(s.is_object()) << system << " " << r.out;
    EXPECT_EQ(s["R@10"], 0.0) << system << " " << s.dump();
    EXPECT_EQ(s["failed"], 0);
  }
}

// An English paper as the shared collections hold it: plain text, title on
// the first line, its own keyword line among the front matter.
std::string PaperRecord(const std::string& id, const std::vector<std::string>& keywords) {
  const std::string text =
      "Graph mining in large databases\n"
      "Anna Author\n"
      "Abstract\n"
      "Graph mining finds frequent subgraphs in large graph databases. "
      "We show that graph mining scales with pattern growth.\n"
      "Keywords: quantum entanglement, zebra finches\n"
      "1 Introduction\n"
      "Graph mining has many uses. Frequent subgraphs describe molecules, "
      "and graph mining on molecules finds drugs. Pattern growth keeps graph mining fast.\n";
  return json({{"id", id}, {"text", text}, {"keywords", keywords}}).dump() + "\n";
}

TEST_F(CliTest, EvalRunsTheYakePeerOnTheHeldOutLines) {
  if (!std::ifstream("/usr/bin/python3")) GTEST_SKIP() << "no /usr/bin/python3 for the yake peer";
  // Four lines; --every 4 --offset 3 scores only the last. Its keyword
  // line names a reference found nowhere else: withheld from both systems.
  std::string lines;
  for (int i = 0; i < 3; ++i) lines += PaperRecord("train" + std::to_string(i), {"graph mining"});
  lines += PaperRecord("heldout", {"graph mining", "quantum entanglement", "zebra finches"});
  WriteFile(Path("papers.jsonl"), lines);
  const Result r = Run({"eval", "--format", "json", "--quiet", "--every", "4", "--offset", "3",
                        "--peer", "yake,yake", Path("papers.jsonl")});
  ASSERT_EQ(r.status, 0) << r.err;
  const json doc = json::parse(r.out);
  EXPECT_EQ(doc["scored"], 1);
  EXPECT_EQ(doc["lines"], json({{"every", 4}, {"offset", 3}}));
  ASSERT_EQ(doc["results"].size(), 2u) << r.out;  // a peer named twice runs once
  const json& yake = doc["results"]["yake"];
  ASSERT_TRUE(yake.is_object()) << r.out;
  EXPECT_EQ(yake["failed"], 0);
  // "graph mining" is the paper's theme, and the only reference it can find.
  EXPECT_NEAR(yake["R@10"].get<double>(), 1.0 / 3, 1e-9) << r.out;
  EXPECT_LE(doc["results"]["tarnix"]["R@10"].get<double>(), 1.0 / 3 + 1e-9) << r.out;

  // The table widens its first column for the peer's name.
  const Result table = Run({"eval", "--quiet", "--peer", "yake", Path("papers.jsonl")});
  ASSERT_EQ(table.status, 0) << table.err;
  EXPECT_NE(table.out.find("\nyake     "), std::string::npos) << table.out;
  EXPECT_NE(table.out.find("4 articles scored"), std::string::npos) << table.out;
}

TEST_F(CliTest, EvalRefusesUnknownPeersAndMissingScripts) {
  WriteFile(Path("papers.jsonl"), PaperRecord("p", {"graph mining"}));
  Result r = Run({"eval", "--peer", "yake,rake", Path("papers.jsonl")});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("unknown peer \"rake\": --peer knows jieba-tfidf, retext-keywords and yake"),
            std::string::npos) << r.err;
  r = Run({"extract", "--peer", "yake", Path("papers.jsonl")});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--peer belongs to eval"), std::string::npos) << r.err;
  r = Run({"eval", "--every", "4", "--offset", "4", Path("papers.jsonl")});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--offset must be less than --every"), std::string::npos) << r.err;

  // A folder without the scripts fails before any work, naming the script.
  r = Run({"eval", "--peer", "yake", "--peer-dir", dir_, Path("papers.jsonl")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("the yake peer's script " + dir_ + "/yake_peer.py is missing"), std::string::npos)
      << r.err;
}

TEST_F(CliTest, EvalRunsRetextKeywordsWhenItIsInstalled) {
  // The npm packages come from the network; this test only uses them when
  // an earlier run (or bench setup) left them in the scratch folder.
  const char* configured = std::getenv("TARNIX_BENCH_NPM");
  const char* tmp = std::getenv("TMPDIR");
  const std::string npm = configured ? configured : std::string(tmp ? tmp : "/tmp") + "/tarnix-bench-npm";
  if (std::system("command -v node > /dev/null 2>&1") != 0) GTEST_SKIP() << "no node on the PATH";
  if (!std::ifstream(npm + "/node_modules/retext-keywords/package.json") ||
      !std::ifstream(npm + "/node_modules/retext-pos/package.json")) {
    GTEST_SKIP() << "retext-keywords is not installed in " << npm
                 << " (the first `tarnix eval --peer retext-keywords` installs it)";
  }
  WriteFile(Path("papers.jsonl"), PaperRecord("p", {"pattern growth", "quantum entanglement"}));
  const Result r = Run({"eval", "--format", "json", "--peer", "retext-keywords", Path("papers.jsonl")});
  ASSERT_EQ(r.status, 0) << r.err;
  const json doc = json::parse(r.out);
  const json& s = doc["results"]["retext-keywords"];
  ASSERT_TRUE(s.is_object()) << r.out;
  EXPECT_EQ(s["failed"], 0);
  // Its tagger reads "mining" as a verb; "pattern growth" is its phrase.
  EXPECT_NEAR(s["R@10"].get<double>(), 0.5, 1e-9) << r.out;
}

// Input that used to crash the command or be misread.

// An article whose "x" field nests objects depth deep.
std::string DeepLine(int depth) {
  std::string line = R"({"title": "图像分类", "x": )";
  for (int i = 0; i < depth; ++i) line += R"({"a": )";
  line += "1";
  line += std::string(static_cast<size_t>(depth), '}');
  return line + "}";
}

TEST_F(CliTest, DeepNestingIsAnErrorRecordAndTheOtherLinesKeepTheirs) {
  const std::string good = R"({"title": "图像分类", "abstract": "基于深度学习的图像分类方法"})";
  WriteFile(Path("deep.jsonl"), good + "\n" + DeepLine(100000) + "\n" +
                                    "[" + std::string(200000, '[') + "\n" + good + "\n");
  for (const char* jobs : {"1", "2"}) {
    const Result r = Run({"batch", "--quiet", "--jobs", jobs, Path("deep.jsonl")});
    ASSERT_EQ(r.status, 0) << jobs << " " << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 4u) << jobs;
    EXPECT_TRUE(json::parse(lines[0]).contains("keywords"));
    EXPECT_EQ(json::parse(lines[1])["error"],
              "the JSON input is nested too deep: more than 64 levels at line 1, column 402");
    EXPECT_EQ(json::parse(lines[2])["error"].get<std::string>().substr(0, 36),
              "the JSON input is nested too deep: m");
    EXPECT_EQ(json::parse(lines[3])["keywords"][0]["keyword"], "图像分类") << lines[3];
  }
  // 64 levels are still read (the field is ignored).
  WriteFile(Path("ok.json"), DeepLine(62));
  EXPECT_EQ(Run({"extract", Path("ok.json")}).status, 0);
  WriteFile(Path("deep.json"), DeepLine(100000));
  const Result r = Run({"extract", Path("deep.json")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("nested too deep"), std::string::npos) << r.err;
}

TEST_F(CliTest, InputIsReadAsWhatItIs) {
  // A byte-order mark before JSON: still JSON, its syntax no keyword.
  const std::string article = R"({"title": "图像分类", "abstract": "基于深度学习的图像分类方法"})";
  WriteFile(Path("plain.json"), article);
  WriteFile(Path("bom.json"), "\xEF\xBB\xBF" + article);
  const Result plain = Run({"extract", "--format", "json", Path("plain.json")});
  const Result bom = Run({"extract", "--format", "json", Path("bom.json")});
  ASSERT_EQ(bom.status, 0) << bom.err;
  EXPECT_EQ(bom.out, plain.out);
  WriteFile(Path("bom.jsonl"), "\xEF\xBB\xBF" + article + "\n");
  EXPECT_TRUE(json::parse(Run({"batch", Path("bom.jsonl")}).out).contains("keywords"));

  // A list of articles, or a lone JSON text, is refused; plain text that
  // starts with a bracket is still text.
  WriteFile(Path("list.json"), "[" + article + "]");
  Result r = Run({"extract", Path("list.json")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("the JSON input is an array, not an object"), std::string::npos) << r.err;
  WriteFile(Path("string.json"), R"("图像分类")");
  r = Run({"extract", Path("string.json")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("is a string, not an object with the article's fields (--input text"),
            std::string::npos) << r.err;
  EXPECT_EQ(Run({"extract", "--input", "text", Path("string.json")}).status, 0);
  WriteFile(Path("cited.txt"), "[1] Image classification with deep networks.");
  EXPECT_EQ(Run({"extract", Path("cited.txt")}).status, 0);
  WriteFile(Path("list.jsonl"), "[" + article + "]\n");
  EXPECT_EQ(json::parse(Run({"batch", Path("list.jsonl")}).out)["error"].get<std::string>().substr(0, 30),
            "the JSON input is an array, no");

  // Columns count characters: the colon is missing after the 11th.
  WriteFile(Path("broken.json"), R"({"图像分类的方法" "x"})");
  r = Run({"extract", Path("broken.json")});
  EXPECT_NE(r.err.find("parse error at line 1, column 14: syntax error"), std::string::npos) << r.err;
  // An empty line has no last character to point at.
  WriteFile(Path("empty.jsonl"), "\n");
  EXPECT_NE(Run({"batch", Path("empty.jsonl")}).out.find("parse error at line 1, column 1: syntax error"),
            std::string::npos);
}

TEST_F(CliTest, LanguageFollowsTheShareOfChineseAndContradictionsAreFlagged) {
  // One Chinese term in an English abstract leaves it English; Latin names
  // in a Chinese one leave it Chinese.
  WriteFile(Path("articles.jsonl"),
            json({{"title", "Image classification with deep networks"},
                  {"abstract", "We classify images (图像分类) with convolutional networks."}})
                    .dump() + "\n" +
                json({{"title", "基于BERT和LSTM的文本分类方法研究"}}).dump() + "\n" +
                json({{"title", "图像分类"}, {"abstract", "基于深度学习的图像分类方法"}, {"lang", "en"}})
                    .dump() + "\n" +
                json({{"title", "Image classification"}, {"lang", "zh"}}).dump() + "\n");
  const Result r = Run({"batch", "--quiet", Path("articles.jsonl")});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 4u);
  const json en = json::parse(lines[0]), zh = json::parse(lines[1]);
  EXPECT_FALSE(en.contains("warning"));
  EXPECT_FALSE(zh.contains("warning"));
  EXPECT_EQ(en["keywords"][0]["keyword"].get<std::string>().find_first_of("\xE5\xE5"), std::string::npos)
      << lines[0];
  // Chinese keywords of a Chinese article have their frequency.
  EXPECT_GE(zh["keywords"][0]["frequency"].get<int>(), 1) << lines[1];
  EXPECT_EQ(json::parse(lines[2])["warning"], "lang is en, but the text is mostly Chinese");
  EXPECT_EQ(json::parse(lines[3])["warning"], "lang is zh, but the text is mostly not Chinese");
  // extract says so on standard error and in its JSON.
  WriteFile(Path("en.json"), json({{"title", "图像分类"}, {"lang", "en"}}).dump());
  const Result x = Run({"extract", "--format", "json", Path("en.json")});
  EXPECT_NE(x.err.find("tarnix: warning: lang is en, but the text is mostly Chinese"), std::string::npos);
  EXPECT_EQ(json::parse(x.out)["warning"], "lang is en, but the text is mostly Chinese");
}

// Runs a bash script with the command as $TARNIX and a private TMPDIR
// ($TMPDIR), job control on so that a job in the background takes SIGINT.
Result RunScript(const std::string& dir, const std::string& script) {
  WriteFile(dir + "/script.sh", "set -m\nexport TMPDIR=" + Quote(dir + "/tmp") + "\nmkdir -p \"$TMPDIR\"\n" +
                                    "TARNIX=" + Quote(TARNIX_COMMAND) + "\ncd " + Quote(dir) + "\n" + script);
  Result r;
  const int raw = std::system(("bash " + Quote(dir + "/script.sh") + " > " + Quote(dir + "/out.txt") +
                               " 2> " + Quote(dir + "/err.txt")).c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = ReadFile(dir + "/out.txt");
  r.err = ReadFile(dir + "/err.txt");
  return r;
}

// Four articles of the sample; the script feeds them through a FIFO.
std::string FourArticles() {
  const std::string line = json::parse(ReadFile(kTestData + "/article.json")).dump();
  return line + "\n" + line + "\n" + line + "\n" + line + "\n";
}

TEST_F(CliTest, NoTemporaryFolderOutlivesASignal) {
  WriteFile(Path("in.jsonl"), FourArticles());
  // The command waits on a FIFO with its folders made, is stopped, and
  // must leave nothing in $TMPDIR; it dies of the signal it was sent.
  const Result r = RunScript(dir_, R"sh(
for sig in INT TERM HUP; do
  for jobs in 1 2; do
    rm -f fifo && mkfifo fifo
    "$TARNIX" batch --quiet --jobs $jobs < fifo > out.jsonl &
    pid=$!
    exec 3> fifo
    head -2 in.jsonl >&3
    for i in $(seq 100); do [ $(ls "$TMPDIR" | wc -l) -gt 0 ] && break; sleep 0.1; done
    sleep 1
    made=$(ls "$TMPDIR" | wc -l)
    kill -$sig $pid
    wait $pid
    echo "$sig $jobs status $? made $made left $(ls "$TMPDIR" | wc -l)"
    exec 3>&-
  done
done
# A reader that stops early: SIGPIPE with one job, a failed write with two.
# The records must overflow the pipe's buffer, or the command may be done
# before the reader has gone.
for jobs in 1 2; do
  for k in $(seq 100); do cat in.jsonl; done | "$TARNIX" batch --quiet --jobs $jobs | head -c 10 > /dev/null
  echo "PIPE $jobs status ${PIPESTATUS[1]} left $(ls "$TMPDIR" | wc -l)"
done
)sh");
  EXPECT_EQ(r.out,
            "INT 1 status 130 made 1 left 0\nINT 2 status 130 made 1 left 0\n"
            "TERM 1 status 143 made 1 left 0\nTERM 2 status 143 made 1 left 0\n"
            "HUP 1 status 129 made 1 left 0\nHUP 2 status 129 made 1 left 0\n"
            "PIPE 1 status 141 left 0\nPIPE 2 status 1 left 0\n") << r.err;
}

TEST_F(CliTest, AKilledWorkerCostsOneLineAndLeavesNothingBehind) {
  WriteFile(Path("in.jsonl"), FourArticles() + FourArticles());
  // Worker 1 (odd lines) is killed after lines 1-4 were sent: the line it
  // was on, or its next, line 5, when it was done with those, gets an
  // error record, and a new worker does the odd lines after it.
  const Result r = RunScript(dir_, R"sh(
rm -f fifo && mkfifo fifo
"$TARNIX" batch --quiet --jobs 2 < fifo > out.jsonl &
pid=$!
exec 3> fifo
head -4 in.jsonl >&3
for i in $(seq 100); do [ $(pgrep -P $pid | wc -l) -eq 2 ] && break; sleep 0.1; done
sleep 2
kill -KILL $(pgrep -P $pid | head -1)
tail -4 in.jsonl >&3
exec 3>&-
wait $pid
echo "status $? left $(ls "$TMPDIR" | wc -l)"
)sh");
  EXPECT_EQ(r.out, "status 0 left 0\n") << r.err;
  const auto lines = Lines(ReadFile(Path("out.jsonl")));
  ASSERT_EQ(lines.size(), 8u);
  int errors = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    json record = json::parse(lines[i]);
    EXPECT_EQ(record["line"], i + 1);
    if (record.contains("error")) {
      ++errors;
      EXPECT_EQ(i % 2, 0u) << "not a line of worker 1: " << lines[i];
      EXPECT_EQ(record["error"], "the worker process stopped on this line (signal 9); the line was not done");
    } else {
      ASSERT_FALSE(record["keywords"].empty()) << lines[i];
      EXPECT_EQ(record["keywords"][0]["keyword"], "导电高分子") << lines[i];
    }
  }
  EXPECT_EQ(errors, 1);
}

TEST_F(CliTest, CommandLineConventions) {
  const std::string article = kTestData + "/article.json";
  Result r = Run({"extract", "--top=3", "--format=tsv", article});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out).size(), 4u);
  r = Run({"extract", "--jobs", "2", article});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--jobs belongs to batch and eval, not extract"), std::string::npos) << r.err;
  r = Run({"eval", "--top", "3", kTestData + "/eval.jsonl"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--top belongs to extract and batch, not eval"), std::string::npos) << r.err;

  r = Run({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.substr(0, 7), "tarnix ");
  // Each command has its own help, with an example and the exit statuses.
  for (const char* command : {"extract", "batch", "eval"}) {
    r = Run({command, "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find(std::string("Usage: tarnix ") + command), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(std::string("Example:\n  tarnix ") + command), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Exit status: 0 done"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("--title") != std::string::npos, std::string(command) == "extract") << r.out;
  }

  // --class-mode none: no class codes, where the default shows some.
  const json codes = json::parse(Run({"extract", "--format", "json", article}).out);
  const json none = json::parse(Run({"extract", "--format", "json", "--class-mode", "none", article}).out);
  int coded = 0;
  for (const json& k : codes["keywords"]) coded += !k["class"].get<std::string>().empty();
  EXPECT_GT(coded, 0);
  ASSERT_FALSE(none["keywords"].empty());
  for (const json& k : none["keywords"]) EXPECT_EQ(k["class"], "") << k.dump();

  // batch --fail-on-error: 3 when any line is an error record, else 0.
  EXPECT_EQ(Run({"batch", "--quiet", kTestData + "/batch.jsonl"}).status, 0);
  r = Run({"batch", "--quiet", "--fail-on-error", kTestData + "/batch.jsonl"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(Lines(r.out).size(), 8u);
  WriteFile(Path("good.jsonl"), json::parse(ReadFile(article)).dump() + "\n");
  EXPECT_EQ(Run({"batch", "--quiet", "--fail-on-error", Path("good.jsonl")}).status, 0);
}

TEST_F(CliTest, EvalRefusesPredictionsOfAnotherFile) {
  const std::string eval = kTestData + "/eval.jsonl";
  const std::string predictions = ReadFile(kTestData + "/eval_predictions.jsonl");
  // One record short.
  WriteFile(Path("short.jsonl"), predictions.substr(0, predictions.rfind("{\"line\": 5")));
  Result r = Run({"eval", "--predictions", Path("short.jsonl"), eval});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("has 4 records for the 5 lines of " + eval), std::string::npos) << r.err;
  // The records of another file with as many lines: its ids differ.
  std::string other = predictions;
  other.replace(other.find("\"id\": \"g1\""), 10, "\"id\": \"zz\"");
  WriteFile(Path("other.jsonl"), other);
  r = Run({"eval", "--predictions", Path("other.jsonl"), eval});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("line 2 has the id \"zz\", but line 2 of " + eval + " has \"g1\""), std::string::npos)
      << r.err;
  // Records out of order are not one batch run.
  const auto lines = Lines(predictions);
  WriteFile(Path("shuffled.jsonl"), lines[1] + "\n" + lines[0] + "\n" + lines[2] + "\n" + lines[3] + "\n" +
                                        lines[4] + "\n");
  r = Run({"eval", "--predictions", Path("shuffled.jsonl"), eval});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("line 1 is the record of line 2"), std::string::npos) << r.err;
}

// What a terminal shows of text written to it: a carriage return goes back
// to the line's start, ESC [ K erases to its end.
std::vector<std::string> Screen(const std::string& typescript) {
  std::vector<std::string> lines;
  std::string line;
  size_t column = 0;
  for (size_t i = 0; i < typescript.size(); ++i) {
    const char c = typescript[i];
    if (c == '\r') {
      column = 0;
    } else if (c == '\n') {
      lines.push_back(line);
      line.clear();
      column = 0;
    } else if (typescript.compare(i, 3, "\033[K") == 0) {
      line.resize(column);
      i += 2;
    } else {
      if (column < line.size()) line[column] = c;
      else line.push_back(c);
      ++column;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

TEST_F(CliTest, ProgressBarLeavesRecordsOnTheSameTerminalReadable) {
  if (std::system("command -v script > /dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1) for a terminal";
  std::string input;
  for (int i = 0; i < 6; ++i) input += json::parse(ReadFile(kTestData + "/article.json")).dump() + "\n";
  WriteFile(Path("in.jsonl"), input);
  // script(1) gives the command a terminal for standard output and error.
  const std::string command = Quote(TARNIX_COMMAND) + " batch " + Quote(Path("in.jsonl"));
  const int raw = std::system(("cd " + Quote(dir_) + " && script -qec " + Quote(command) +
                               " /dev/null < /dev/null > screen.txt 2>&1").c_str());
  ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << ReadFile(Path("screen.txt"));
  const std::string typescript = ReadFile(Path("screen.txt"));
  EXPECT_NE(typescript.find("articles"), std::string::npos) << "no progress bar was drawn";
  int records = 0;
  for (const std::string& line : Screen(typescript)) {
    if (line.find("\"line\"") == std::string::npos) continue;
    ++records;
    EXPECT_EQ(line.substr(0, 8), "{\"line\":") << line;
    EXPECT_TRUE(json::accept(line)) << line;
  }
  EXPECT_EQ(records, 6) << typescript;
}

}  // namespace

namespace tarnix {
namespace cli {
namespace {

// Lines as the batch reads them: a NUL kept, the carriage return taken
// off or kept on request, a long line cut after limit + 1 bytes but read
// to its end, and a last line without its line end.
TEST(ReadLineTest, NulCarriageReturnLimitAndLastLine) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  const std::string data = std::string("ab\0c\r\n", 6) + "0123456789\n" + "x\r\n" + "last";
  ASSERT_EQ(std::fwrite(data.data(), 1, data.size(), f), data.size());
  std::rewind(f);
  std::string line;
  ASSERT_TRUE(ReadLine(f, &line));
  EXPECT_EQ(line, std::string("ab\0c", 4));
  ASSERT_TRUE(ReadLine(f, &line, true, 3));
  EXPECT_EQ(line, "0123");
  ASSERT_TRUE(ReadLine(f, &line, false));
  EXPECT_EQ(line, "x\r");
  ASSERT_TRUE(ReadLine(f, &line));
  EXPECT_EQ(line, "last");
  EXPECT_FALSE(ReadLine(f, &line));
  EXPECT_EQ(line, "");
  std::fclose(f);
}

}  // namespace
}  // namespace cli
}  // namespace tarnix
