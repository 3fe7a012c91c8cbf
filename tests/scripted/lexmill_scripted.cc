// Scripted Lexmill; also keeps the call record that both engines share.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>

#include "scripted_engines.h"

namespace scripted {

std::vector<Call>& Calls() {
  static std::vector<Call> calls;
  return calls;
}

std::vector<std::string> CallNames() {
  std::vector<std::string> names;
  for (const Call& c : Calls()) names.push_back(c.name);
  return names;
}

std::vector<Call> CallsTo(const std::string& name) {
  std::vector<Call> found;
  for (const Call& c : Calls()) {
    if (c.name == name) found.push_back(c);
  }
  return found;
}

bool& Recording() {
  static bool recording = true;
  return recording;
}

void Record(const std::string& name, std::vector<std::string> args) {
  if (Recording()) Calls().push_back(Call{name, std::move(args)});
}

LexmillScript& Lexmill() {
  static LexmillScript script;
  return script;
}

ExtendScript& Extend() {
  static ExtendScript script;
  return script;
}

void Reset() {
  Calls().clear();
  Recording() = true;
  Lexmill() = LexmillScript();
  Extend() = ExtendScript();
}

ArticleTerm Term(const std::string& word, float weight, int position,
                 const std::string& class_code, const std::string& second_word,
                 int frequency) {
  ArticleTerm t;
  std::memset(&t, 0, sizeof t);
  std::strncpy(t.word, word.c_str(), sizeof t.word - 1);
  std::strncpy(t.class_code, class_code.c_str(), sizeof t.class_code - 1);
  std::strncpy(t.second_word, second_word.c_str(), sizeof t.second_word - 1);
  t.weight = weight;
  t.frequency = frequency;
  t.position = position;
  t.reserved2 = 7;
  t.reserved3 = 7;
  return t;
}

}  // namespace scripted

using scripted::Lexmill;
using scripted::Record;

namespace {

std::string Text(const char* s) { return s ? std::string(s) : std::string("(null)"); }
// The same name without a copy: benchmarks take handles by the thousand.
std::string_view Name(const char* s) { return s ? std::string_view(s) : std::string_view("(null)"); }

int NewHandle(std::string_view name) {
  scripted::LexmillScript& lex = Lexmill();
  int h = lex.next_handle++;
  lex.handles.emplace_back(h, std::string(name));
  return h;
}

// The open handle's entry; the newest are searched first, as a handle is
// mostly given back right after it was taken.
template <typename Handles>
auto FindHandle(Handles& handles, int handle) {
  auto h = std::find_if(handles.rbegin(), handles.rend(),
                        [handle](const auto& e) { return e.first == handle; });
  return h == handles.rend() ? handles.end() : std::prev(h.base());
}

const scripted::Dictionary* DictionaryOf(int handle) {
  const scripted::LexmillScript& lex = Lexmill();
  auto h = FindHandle(lex.handles, handle);
  if (h == lex.handles.end() || lex.loaded.find(h->second) == lex.loaded.end()) return nullptr;
  auto d = lex.dictionaries.find(h->second);
  return d == lex.dictionaries.end() ? nullptr : &d->second;
}

bool All(const char* text, bool (*pred)(unsigned char)) {
  if (!text || !*text) return false;
  for (const char* p = text; *p; ++p) {
    if (!pred(static_cast<unsigned char>(*p))) return false;
  }
  return true;
}

}  // namespace

extern "C" {

int Dict_Load_New(const char* name, const char* path) {
  SCRIPTED_RECORD("Dict_Load_New", {Text(name), Text(path)});
  auto d = Lexmill().dictionaries.find(Name(name));
  if (d == Lexmill().dictionaries.end() || !d->second.loadable) return -1;
  Lexmill().loaded.insert(d->first);
  return NewHandle(d->first);
}

int Dict_Get_Handle(const char* name, const char* path) {
  SCRIPTED_RECORD("Dict_Get_Handle", {Text(name), Text(path)});
  const auto& loaded = Lexmill().loaded;
  if (loaded.find(Name(name)) == loaded.end()) return -1;
  return NewHandle(Name(name));
}

int Dict_Delete_Handle(int handle) {
  SCRIPTED_RECORD("Dict_Delete_Handle", {std::to_string(handle)});
  auto& handles = Lexmill().handles;
  auto h = FindHandle(handles, handle);
  if (h == handles.end()) return 0;
  handles.erase(h);
  return 1;
}

int Dict_Unload_New(int handle) {
  SCRIPTED_RECORD("Dict_Unload_New", {std::to_string(handle)});
  auto h = FindHandle(Lexmill().handles, handle);
  if (h == Lexmill().handles.end()) return 0;
  std::string name = h->second;
  Lexmill().loaded.erase(name);
  Lexmill().unloaded.push_back(name);
  for (auto it = Lexmill().handles.begin(); it != Lexmill().handles.end();) {
    it = it->second == name ? Lexmill().handles.erase(it) : std::next(it);
  }
  return 1;
}

int Free_All_Space(void) {
  SCRIPTED_RECORD("Free_All_Space", {});
  Lexmill().loaded.clear();
  Lexmill().handles.clear();
  return Lexmill().free_all_space_result;
}

int Dict_Search_Get_Info(const char* word, int handle, char* info, int size) {
  SCRIPTED_RECORD("Dict_Search_Get_Info", {Text(word), std::to_string(handle), std::to_string(size)});
  const scripted::Dictionary* d = DictionaryOf(handle);
  if (!d || !word) return 0;
  auto e = d->entries.find(std::string_view(word));
  if (e == d->entries.end()) return 0;
  if (info && size > 0) {
    size_t n = std::min(e->second.size(), static_cast<size_t>(size - 1));
    std::memcpy(info, e->second.data(), n);
    info[n] = '\0';
  }
  return 1;
}

bool QX_Word_Sect(const char* text, int* word_ends, int length, int handle, int want_tags,
                  int16_t* tags, int max_word, int mode, int reserved1, int reserved2) {
  std::string t = text && length > 0 ? std::string(text, static_cast<size_t>(length)) : "";
  SCRIPTED_RECORD("QX_Word_Sect", {t, std::to_string(length), std::to_string(handle),
                          std::to_string(want_tags), tags ? "tags" : "null",
                          std::to_string(max_word), std::to_string(mode),
                          std::to_string(reserved1), std::to_string(reserved2)});
  auto s = Lexmill().segments.find(t);
  if (s == Lexmill().segments.end() || !DictionaryOf(handle)) return false;
  size_t limit = static_cast<size_t>(length) + 1;
  for (size_t k = 0; k < s->second.size() && k < limit; ++k) word_ends[k] = s->second[k];
  auto g = Lexmill().tags.find(t);
  if (tags && g != Lexmill().tags.end()) {
    for (size_t k = 0; k < g->second.size() && k < limit; ++k) tags[k] = g->second[k];
  }
  return true;
}

bool Code_Determine(const char* text, int* char_ends, char* types, int length, int* count,
                    int reserved1, int reserved2) {
  if (scripted::Recording() || !Lexmill().characters.empty()) {
    std::string t = text && length > 0 ? std::string(text, static_cast<size_t>(length)) : "";
    SCRIPTED_RECORD("Code_Determine",
                    {t, std::to_string(length), std::to_string(count ? *count : 0),
                     std::to_string(reserved1), std::to_string(reserved2)});
    if (!Lexmill().code_determine_result || !text || !count) return false;
    auto s = Lexmill().characters.find(t);
    if (s != Lexmill().characters.end()) {
      const std::vector<int>& ends = s->second;
      for (size_t k = 0; k < ends.size(); ++k) {
        char_ends[k] = ends[k];
        if (types && k < 128) types[k] = 1;
      }
      *count = static_cast<int>(ends.size());
      return true;
    }
  }
  if (!Lexmill().code_determine_result || !text || !count) return false;
  // Unscripted texts: GBK characters, a byte of 0x81 or more starting a
  // two-byte one. Cut in place, since benchmarks go through here per key.
  int k = 0;
  for (int i = 0; i < length; ++k) {
    i += (static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < length) ? 2 : 1;
    char_ends[k] = i;
    if (types && k < 128) types[k] = 1;
  }
  *count = k;
  return true;
}

bool IsEnglishLetter(const char* text, int) {
  SCRIPTED_RECORD("IsEnglishLetter", {Text(text)});
  return All(text, [](unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; });
}

bool IsNumber(const char* text, int) {
  SCRIPTED_RECORD("IsNumber", {Text(text)});
  return All(text, [](unsigned char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

bool IsPunctuation(const char* text, int) {
  SCRIPTED_RECORD("IsPunctuation", {Text(text)});
  return All(text, [](unsigned char c) { return c < 0x80 && std::strchr("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~", c) && c != 0; });
}

}  // extern "C"
