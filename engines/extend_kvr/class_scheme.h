// The two class schemes the engine answers in.
//
// Discipline codes of the national degree catalogue, dotted by level:
// "08" (category Engineering), "08.12" (first-level discipline Computer
// Science and Technology), "08.12.03" (second-level discipline). The
// undotted catalogue forms "0812" and "081203" mean the same.
//
// Library classification codes ("TP391"), reached from a discipline through
// the concordance: each discipline lists its main library classes, its own
// class first.
#ifndef TARNIX_ENGINES_EXTEND_KVR_CLASS_SCHEME_H_
#define TARNIX_ENGINES_EXTEND_KVR_CLASS_SCHEME_H_

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ekvr {

// The dotted standard form of a discipline code in any accepted spelling
// ("0812", "08.12", "081203", "08.12.03", "08"), or nothing when the text
// is not a code of the catalogue's shape: one to three levels of two
// digits, category 01 to 14, first-level numbers within the category's
// range, no level 00.
std::optional<std::string> StandardDisciplineCode(std::string_view text);

struct Discipline {
  std::string code;      // dotted discipline code
  std::string name;      // as the training data names it (GBK)
  std::string category;  // category name (GBK)
  std::vector<std::string> library;  // main library classes, own class first
};

class ClassScheme {
 public:
  // Reads the concordance: lines "code<TAB>name<TAB>category<TAB>L1,L2,..."
  // ('#' starts a comment line). False with a message on a malformed line.
  bool Load(const std::string& path, std::string* error);
  // Same from text already in memory.
  bool Parse(std::string_view text, std::string* error);

  const Discipline* FindCode(std::string_view code) const;
  const Discipline* FindName(std::string_view name) const;
  const std::vector<Discipline>& disciplines() const { return disciplines_; }

 private:
  std::vector<Discipline> disciplines_;
  std::unordered_map<std::string, size_t> by_code_;
  std::unordered_map<std::string, size_t> by_name_;
};

// The standard form of text for GetFormalizationClass: a discipline code in
// any accepted spelling, or the name of a discipline the scheme knows.
std::optional<std::string> FormalizeClass(std::string_view text, const ClassScheme* scheme);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_CLASS_SCHEME_H_
