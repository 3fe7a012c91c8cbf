// Compiled images of the engine's word tables: what ekvr_tablec writes at
// build time beside a text table ("zh_idf.txt" -> "zh_idf.ekt") and what
// the engine maps read-only and asks in place. The writer and the reader
// share this header, so the two cannot drift; data/extend_kvr/README.md
// describes the format.
#ifndef TARNIX_ENGINES_EXTEND_KVR_TABLE_IMAGE_H_
#define TARNIX_ENGINES_EXTEND_KVR_TABLE_IMAGE_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include <string_view>

#include "platform.h"
#include "word_table_view.h"

namespace ekvr {

inline constexpr char kImageMagic[8] = {'E', 'K', 'V', 'R', 'T', 'B', 'L', '\0'};
inline constexpr uint32_t kImageVersion = 1;
// Written as a native number: a machine of the other byte order reads it
// reversed and refuses the file.
inline constexpr uint32_t kImageByteOrder = 0x01020304u;
inline constexpr const char* kImageExtension = ".ekt";

// Which table a file holds; a file of another kind is refused.
enum class ImageKind : uint32_t { kIdf = 1, kKeyphrases = 2, kClassifier = 3, kTagger = 4, kTermModel = 5 };

// Where one array lies in the file; offsets are multiples of kImageAlign.
struct ImageSection {
  uint64_t offset;
  uint64_t size;
};
inline constexpr uint64_t kImageAlign = 64;

// The sections of an image: the three arrays of its WordTable, then what
// the kind adds. Unused sections are empty.
enum ImageSectionId : uint32_t {
  kSlotsSection,
  kFilterSection,
  kPoolSection,
  kKindSections,  // the kind's own, from here
  kImageSections = 12
};
// The classifier's: its WordClassStats, their evidence, the classes'
// document counts (uint32), log priors and log floors (double), and their
// codes (NUL after each).
inline constexpr ImageSectionId kStatsSection = ImageSectionId(kKindSections + 0);
inline constexpr ImageSectionId kEvidenceSection = ImageSectionId(kKindSections + 1);
inline constexpr ImageSectionId kClassDocsSection = ImageSectionId(kKindSections + 2);
inline constexpr ImageSectionId kLogPriorSection = ImageSectionId(kKindSections + 3);
inline constexpr ImageSectionId kLogFloorSection = ImageSectionId(kKindSections + 4);
inline constexpr ImageSectionId kCodesSection = ImageSectionId(kKindSections + 5);
// The English tagger's: the three arrays of its suffix table, its options
// (tag, emission), start, transition and tag count logs (float), tag names
// (NUL after each), and TaggerImageMeta.
inline constexpr ImageSectionId kSuffixSlotsSection = ImageSectionId(kKindSections + 0);
inline constexpr ImageSectionId kSuffixFilterSection = ImageSectionId(kKindSections + 1);
inline constexpr ImageSectionId kSuffixPoolSection = ImageSectionId(kKindSections + 2);
inline constexpr ImageSectionId kOptionsSection = ImageSectionId(kKindSections + 3);
inline constexpr ImageSectionId kStartSection = ImageSectionId(kKindSections + 4);
inline constexpr ImageSectionId kTransitionSection = ImageSectionId(kKindSections + 5);
inline constexpr ImageSectionId kLogCountSection = ImageSectionId(kKindSections + 6);
inline constexpr ImageSectionId kTagNamesSection = ImageSectionId(kKindSections + 7);
inline constexpr ImageSectionId kTaggerMetaSection = ImageSectionId(kKindSections + 8);

struct TaggerImageMeta {
  uint64_t suffix_count;
  uint64_t suffix_slot_count;
  uint64_t suffix_filter_words;
  uint32_t number_first, number_count;    // the options of numbers
  uint32_t ordinal_first, ordinal_count;  // of ordinals
  uint32_t max_suffix;
  uint32_t reserved;
};
static_assert(sizeof(TaggerImageMeta) == 48, "TaggerImageMeta has no padding");

// A term model's: TermModelImageMeta, its weights (double) or its trees'
// roots (uint32, node indices) and nodes (TreeEnsemble::WrittenNode), as
// the text reads them. It has no word table: no slots, of kNoSlotBytes.
inline constexpr ImageSectionId kTermMetaSection = ImageSectionId(kKindSections + 0);
inline constexpr ImageSectionId kTermWeightsSection = ImageSectionId(kKindSections + 1);
inline constexpr ImageSectionId kTermRootsSection = ImageSectionId(kKindSections + 2);
inline constexpr ImageSectionId kTermNodesSection = ImageSectionId(kKindSections + 3);
inline constexpr size_t kNoSlotBytes = 8;

struct TermModelImageMeta {
  int32_t features;
  uint32_t has_baseline;  // 1 when the trees' baseline was given
  double lambda;
  double baseline;
};
static_assert(sizeof(TermModelImageMeta) == 24, "TermModelImageMeta has no padding");

// The file starts with this; the sections follow it.
struct ImageHeader {
  char magic[8];
  uint32_t version;
  uint32_t byte_order;
  uint64_t file_size;    // the whole file, this header included
  uint64_t source_size;  // bytes of the text table it was compiled from
  uint32_t kind;         // ImageKind
  uint32_t slot_bytes;   // sizeof one slot
  uint64_t count;        // words
  uint64_t slot_count;
  uint64_t filter_words;
  float scalar;          // the idf table's median; 0 for other kinds
  uint32_t classes;      // the classifier's classes; 0 for other kinds
  ImageSection sections[kImageSections];
};
static_assert(sizeof(ImageSection) == 16, "ImageSection has no padding");
static_assert(sizeof(ImageHeader) == 72 + 16 * kImageSections, "ImageHeader has no padding, in 32-bit builds too");
static_assert(offsetof(ImageHeader, sections) == 72, "sections follow the counts");
// The slots are written as the table holds them: the same bytes in 32- and
// 64-bit builds (4-byte fields only).
static_assert(tarnix::WordTableView<float>::kSlotBytes == 24, "an idf slot is 24 bytes");
static_assert(tarnix::WordTableView<uint32_t>::kSlotBytes == 24, "a classifier slot is 24 bytes");

// What a kind adds to the table: extra sections, each given as bytes.
struct ImageExtra {
  const void* data = nullptr;
  uint64_t size = 0;
};

// The image path of a text table: its extension replaced by kImageExtension.
std::string ImagePathFor(const std::string& text_path);

// Whether the image stands for the text table beside it: present, and
// the text table absent or not changed since (not newer than the image).
// A text table edited or replaced after the build is read as text.
bool ImageIsCurrent(const std::string& image_path, const std::string& text_path);

// An image mapped and checked: the header's fields against each other and
// the file's size, the sections' bounds and alignment.
class MappedImage {
 public:
  // Null with *error ("PATH: what is wrong") when the file cannot be mapped
  // or is not a sound image of this kind with slots of slot_bytes.
  static std::unique_ptr<MappedImage> Open(const std::string& path, ImageKind kind, size_t slot_bytes,
                                           std::string* error);

  const ImageHeader& header() const { return header_; }
  const char* at(const ImageSection& s) const { return file_->data() + s.offset; }
  const ImageSection& section(ImageSectionId id) const { return header_.sections[id]; }
  const char* at(ImageSectionId id) const { return at(header_.sections[id]); }
  const std::string& path() const { return path_; }
  // The texts of a section of NUL-terminated names (class codes, tag
  // names), in order; bytes after the last NUL are no name.
  std::vector<std::string> Names(ImageSectionId id) const;
  // A section's items copied out, as many whole ones as it holds (the
  // kinds check a section's size before they copy it).
  template <typename T>
  std::vector<T> Copy(ImageSectionId id) const {
    std::vector<T> items(static_cast<size_t>(section(id).size / sizeof(T)));
    if (!items.empty()) std::memcpy(items.data(), at(id), items.size() * sizeof(T));
    return items;
  }

  // The table the image holds, over the mapped bytes.
  template <typename V>
  bool View(tarnix::WordTableView<V>* out, std::string* error) const {
    return ViewAt(kSlotsSection, header_.slot_count, header_.filter_words, header_.count, out, error);
  }
  // A further table, whose slots, filter and pool are the three sections
  // from slots on.
  template <typename V>
  bool ViewAt(ImageSectionId slots, uint64_t slot_count, uint64_t filter_words, uint64_t count,
              tarnix::WordTableView<V>* out, std::string* error) const {
    const ImageSectionId filter = ImageSectionId(slots + 1), pool = ImageSectionId(slots + 2);
    if (slot_count > UINT64_MAX / tarnix::WordTableView<V>::kSlotBytes ||
        section(slots).size != slot_count * tarnix::WordTableView<V>::kSlotBytes ||
        filter_words > UINT64_MAX / 8 || section(filter).size != filter_words * 8) {
      *error = path_ + ": a table's slots or filter do not match their count";
      return false;
    }
    if (!tarnix::WordTableView<V>::Check(at(slots), slot_count, at(filter), filter_words, at(pool),
                                         section(pool).size, count, out, error)) {
      *error = path_ + ": " + *error;
      return false;
    }
    return true;
  }

 private:
  std::unique_ptr<tarnix::MappedFile> file_;
  ImageHeader header_{};
  std::string path_;
};

// names as a section for MappedImage::Names: each followed by a NUL.
std::string JoinNames(const std::vector<std::string>& names);

// Writes the image of a table: header (magic, version, byte order, sizes
// and the fields given in it), the table's arrays and the extra sections
// from kStatsSection on. False with *error when the file cannot be
// written.
template <typename V>
bool WriteImage(const std::string& path, ImageHeader header, const tarnix::WordTableView<V>& table,
                const ImageExtra (&extra)[kImageSections - kKindSections], std::string* error);

// The untyped part of WriteImage: header.count, slot_count, filter_words
// and slot_bytes already set, every section's bytes in data.
bool WriteImageBytes(const std::string& path, ImageHeader header, const ImageExtra (&data)[kImageSections],
                     std::string* error);

template <typename V>
bool WriteImage(const std::string& path, ImageHeader header, const tarnix::WordTableView<V>& table,
                const ImageExtra (&extra)[kImageSections - kKindSections], std::string* error) {
  header.slot_bytes = tarnix::WordTableView<V>::kSlotBytes;
  header.count = table.size();
  header.slot_count = table.slot_count();
  header.filter_words = table.filter_words();
  ImageExtra data[kImageSections];
  data[kSlotsSection] = {table.slots(), table.slot_count() * tarnix::WordTableView<V>::kSlotBytes};
  data[kFilterSection] = {table.filter(), table.filter_words() * sizeof(uint64_t)};
  data[kPoolSection] = {table.pool(), table.pool_size()};
  for (size_t i = kKindSections; i < kImageSections; ++i) data[i] = extra[i - kKindSections];
  return WriteImageBytes(path, header, data, error);
}

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_TABLE_IMAGE_H_
