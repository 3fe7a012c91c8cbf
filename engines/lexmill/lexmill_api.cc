// The exported entry points: argument checks, the one store of the process,
// and no exception across the C boundary.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "data_folder.h"
#include "dict_store.h"
#include "gbk.h"
#include "gbk_script.h"
#include "lexmill.h"
#include "segmenter.h"
#include "user_words.h"

namespace {

using lexmill::CharInfo;
using lexmill::CharKind;

lexmill::DictStore& Store() {
  static lexmill::DictStore store(&lexmill::FindDataFolder);
  return store;
}

// The user words laid over loaded dictionaries, by the image they cover.
// Kept beside the store rather than in it: the images stay as compiled,
// and the overlay goes with the image (a weak pointer tells when the image
// has been unloaded, so that a new image at the same address is not taken
// for it).
struct Overlay {
  std::weak_ptr<const lexmill::DictImage> image;
  std::shared_ptr<const lexmill::UserWords> words;
};
std::mutex overlay_mutex;
std::map<const lexmill::DictImage*, Overlay> overlays;
// Whether any overlay exists: without one, the hot paths take no lock.
std::atomic<bool> any_overlay{false};

std::shared_ptr<const lexmill::UserWords> OverlayOf(const lexmill::DictImage* image) {
  if (!any_overlay.load(std::memory_order_acquire)) return nullptr;
  std::lock_guard<std::mutex> lock(overlay_mutex);
  const auto it = overlays.find(image);
  if (it == overlays.end() || it->second.image.lock().get() != image) return nullptr;
  return it->second.words;
}

// Lays the user words Lexmill.ini names over a newly loaded dictionary.
// False (with a message) when the named file cannot be read: the user
// asked for words the segmentation would then silently lack.
bool AttachOverlay(const std::string& name, int handle) {
  const auto image = Store().Get(handle);
  if (!image) return true;
  {
    std::lock_guard<std::mutex> lock(overlay_mutex);
    const auto it = overlays.find(image.get());
    if (it != overlays.end() && it->second.image.lock() == image) return true;
  }
  std::string error;
  auto words = lexmill::LoadUserWordsFor(name, &error);
  if (!error.empty()) {
    std::fprintf(stderr, "Lexmill: the user dictionary of %s: %s\n", name.c_str(), error.c_str());
    return false;
  }
  if (!words) return true;
  std::lock_guard<std::mutex> lock(overlay_mutex);
  // Forget the overlays of images unloaded meanwhile.
  for (auto it = overlays.begin(); it != overlays.end();) {
    it = it->second.image.expired() ? overlays.erase(it) : std::next(it);
  }
  overlays[image.get()] = Overlay{image, std::move(words)};
  any_overlay.store(true, std::memory_order_release);
  return true;
}

void Report(const char* function, const std::exception& e) {
  std::fprintf(stderr, "Lexmill: %s failed: %s\n", function, e.what());
}

// True when text is non-empty and every character satisfies accept.
template <typename Accept>
bool AllChars(const char* text, Accept accept) {
  if (text == nullptr || *text == '\0') return false;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  const size_t length = std::strlen(text);
  for (size_t at = 0; at < length;) {
    const CharInfo c = lexmill::ReadChar(p + at, length - at);
    if (!accept(c.kind)) return false;
    at += c.length;
  }
  return true;
}

// Copies info into out (capacity size > 0), cut at a character boundary so
// that a truncated text never ends in half a double-byte character.
void CopyInfo(std::string_view info, char* out, int size) {
  size_t n = info.size();
  if (n >= static_cast<size_t>(size)) {
    const auto* p = reinterpret_cast<const unsigned char*>(info.data());
    const size_t limit = static_cast<size_t>(size) - 1;
    n = 0;
    while (n < limit) {
      const CharInfo c = lexmill::ReadChar(p + n, info.size() - n);
      if (n + c.length > limit) break;
      n += c.length;
    }
  }
  std::memcpy(out, info.data(), n);
  out[n] = '\0';
}

}  // namespace

extern "C" {

LEXMILL_API int LEXMILL_CALL Dict_Load_New(const char* name, const char* path) {
  if (name == nullptr) return -1;
  try {
    const int handle = Store().Load(name, path == nullptr ? std::string() : std::string(path));
    if (handle >= 0 && !AttachOverlay(name, handle)) {
      Store().Unload(handle);
      return -1;
    }
    return handle;
  } catch (const std::exception& e) {
    Report("Dict_Load_New", e);
    return -1;
  }
}

LEXMILL_API int LEXMILL_CALL Dict_Get_Handle(const char* name, const char* /*path*/) {
  if (name == nullptr) return -1;
  try {
    return Store().GetHandle(name);
  } catch (const std::exception& e) {
    Report("Dict_Get_Handle", e);
    return -1;
  }
}

LEXMILL_API int LEXMILL_CALL Dict_Delete_Handle(int handle) {
  try {
    return Store().Release(handle);
  } catch (const std::exception& e) {
    Report("Dict_Delete_Handle", e);
    return 0;
  }
}

LEXMILL_API int LEXMILL_CALL Dict_Unload_New(int handle) {
  try {
    const int unloaded = Store().Unload(handle);
    lexmill::DictStore::Forget();
    return unloaded;
  } catch (const std::exception& e) {
    Report("Dict_Unload_New", e);
    return 0;
  }
}

LEXMILL_API int LEXMILL_CALL Free_All_Space(void) {
  try {
    Store().Clear();
    lexmill::DictStore::Forget();
    std::lock_guard<std::mutex> lock(overlay_mutex);
    overlays.clear();
    any_overlay.store(false, std::memory_order_release);
    return 1;
  } catch (const std::exception& e) {
    Report("Free_All_Space", e);
    return 0;
  }
}

LEXMILL_API int LEXMILL_CALL Dict_Search_Get_Info(const char* word, int handle, char* info,
                                                  int size) {
  if (word == nullptr || info == nullptr || size <= 0) return -1;
  try {
    const lexmill::DictImage* dict = Store().Borrow(handle);
    if (!dict) return -1;
    const size_t length = std::strlen(word);
    if (const auto user = OverlayOf(dict)) {
      if (const lexmill::UserWords::Word* w = user->Find(word, length)) {
        CopyInfo(w->info, info, size);
        return 1;
      }
    }
    const lexmill::DictEntry* e = dict->Find(word, length);
    // A word in Traditional characters is looked up in Simplified ones,
    // the script of the dictionaries.
    if (e == nullptr && tarnix::HasTraditionalOnlyChars(std::string_view(word, length))) {
      std::string simple(word, length);
      tarnix::SimplifyGbk(&simple);
      e = dict->Find(simple.data(), simple.size());
    }
    if (e == nullptr) {
      info[0] = '\0';
      return 0;
    }
    CopyInfo(dict->Info(*e), info, size);
    return 1;
  } catch (const std::exception& e) {
    Report("Dict_Search_Get_Info", e);
    return -1;
  }
}

// want_tags: nonzero to fill tags. max_word: longest dictionary word in
// bytes that is considered (0 or less: no bound). mode and the two reserved
// arguments do not change the result.
LEXMILL_API bool LEXMILL_CALL QX_Word_Sect(const char* text, int* word_ends, int length,
                                           int handle, int want_tags, int16_t* tags,
                                           int max_word, int /*mode*/, int /*reserved1*/,
                                           int /*reserved2*/) {
  if (text == nullptr || word_ends == nullptr || length < 0) return false;
  try {
    const lexmill::DictImage* dict = Store().Borrow(handle);
    if (!dict) return false;
    thread_local lexmill::Segmenter segmenter;
    thread_local std::vector<lexmill::Segment> segments;
    thread_local std::string simple;
    // Traditional characters are segmented as their Simplified forms: the
    // conversion keeps every offset, so the cuts fit the text as given.
    const char* cut = text;
    if (tarnix::HasTraditionalOnlyChars(std::string_view(text, static_cast<size_t>(length)))) {
      simple.assign(text, static_cast<size_t>(length));
      tarnix::SimplifyGbk(&simple);
      cut = simple.data();
    }
    const auto user = OverlayOf(dict);
    segmenter.Run(*dict, cut, static_cast<size_t>(length),
                  max_word > 0 ? static_cast<size_t>(max_word) : 0, &segments, user.get());
    const bool fill_tags = want_tags != 0 && tags != nullptr;
    for (size_t k = 0; k < segments.size(); ++k) {
      word_ends[k] = static_cast<int>(segments[k].end);
      if (fill_tags) tags[k] = segments[k].code;
    }
    return true;
  } catch (const std::exception& e) {
    Report("QX_Word_Sect", e);
    return false;
  }
}

// types[k] receives the CharKind of character k for the first 128 characters.
LEXMILL_API bool LEXMILL_CALL Code_Determine(const char* text, int* char_ends, char* types,
                                             int length, int* count, int /*reserved1*/,
                                             int /*reserved2*/) {
  if (text == nullptr || char_ends == nullptr || count == nullptr || length < 0) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  int k = 0;
  for (size_t at = 0; at < static_cast<size_t>(length); ++k) {
    const CharInfo c = lexmill::ReadChar(p + at, static_cast<size_t>(length) - at);
    at += c.length;
    char_ends[k] = static_cast<int>(at);
    if (types != nullptr && k < 128) types[k] = static_cast<char>(c.kind);
  }
  *count = k;
  return true;
}

LEXMILL_API bool LEXMILL_CALL IsEnglishLetter(const char* text, int /*reserved*/) {
  return AllChars(text, [](CharKind k) { return k == CharKind::kLetter || k == CharKind::kFullLetter; });
}

LEXMILL_API bool LEXMILL_CALL IsNumber(const char* text, int /*reserved*/) {
  return AllChars(text, [](CharKind k) { return k == CharKind::kDigit || k == CharKind::kFullDigit; });
}

LEXMILL_API bool LEXMILL_CALL IsPunctuation(const char* text, int /*reserved*/) {
  return AllChars(text, [](CharKind k) { return k == CharKind::kPunct; });
}

}  // extern "C"
