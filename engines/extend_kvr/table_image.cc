#include "table_image.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace ekvr {
namespace {

uint64_t AlignUp(uint64_t n) { return (n + kImageAlign - 1) / kImageAlign * kImageAlign; }

}  // namespace

std::string ImagePathFor(const std::string& text_path) {
  const size_t slash = text_path.find_last_of("/\\");
  const size_t dot = text_path.rfind('.');
  const bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (has_extension ? text_path.substr(0, dot) : text_path) + kImageExtension;
}

bool ImageIsCurrent(const std::string& image_path, const std::string& text_path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const auto image_time = fs::last_write_time(fs::u8path(image_path), ec);
  if (ec) return false;
  const auto text_time = fs::last_write_time(fs::u8path(text_path), ec);
  if (ec) return true;  // no text beside it: the image is the table
  return text_time <= image_time;
}

std::unique_ptr<MappedImage> MappedImage::Open(const std::string& path, ImageKind kind, size_t slot_bytes,
                                               std::string* error) {
  auto image = std::unique_ptr<MappedImage>(new MappedImage());
  image->path_ = path;
  image->file_ = tarnix::MappedFile::Open(path, error);
  if (image->file_ == nullptr) return nullptr;
  auto refuse = [&](const std::string& why) {
    *error = path + ": " + why + " (rebuild the data folder, or remove the file to read the text table)";
    return nullptr;
  };
  const uint64_t size = image->file_->size();
  if (size < sizeof(ImageHeader)) return refuse("truncated: no whole header");
  ImageHeader& h = image->header_;
  std::memcpy(&h, image->file_->data(), sizeof h);
  if (std::memcmp(h.magic, kImageMagic, sizeof h.magic) != 0) return refuse("not a compiled table");
  if (h.byte_order != kImageByteOrder) return refuse("written on a machine of the other byte order");
  if (h.version != kImageVersion) {
    return refuse("format version " + std::to_string(h.version) + ", this build reads " +
                  std::to_string(kImageVersion));
  }
  if (h.file_size != size) {
    return refuse("truncated or extended: " + std::to_string(size) + " bytes, the header says " +
                  std::to_string(h.file_size));
  }
  if (h.kind != static_cast<uint32_t>(kind)) return refuse("a table of another kind");
  if (h.slot_bytes != slot_bytes) return refuse("slots of " + std::to_string(h.slot_bytes) + " bytes");
  // Each section inside the file, past the header and aligned; the
  // table's three of the size their counts give (a kind's loader checks
  // its own).
  for (uint32_t id = 0; id < kImageSections; ++id) {
    const ImageSection& sec = h.sections[id];
    if (sec.offset % kImageAlign != 0 || sec.offset < sizeof(ImageHeader) || sec.offset > size ||
        sec.size > size - sec.offset) {
      return refuse("section " + std::to_string(id) + " lies outside the file or misaligned");
    }
  }
  const struct {
    const char* name;
    uint64_t size, items, item_bytes;
  } table[] = {{"slots", h.sections[kSlotsSection].size, h.slot_count, slot_bytes},
               {"filter", h.sections[kFilterSection].size, h.filter_words, sizeof(uint64_t)}};
  for (const auto& t : table) {
    if (t.items > UINT64_MAX / t.item_bytes || t.items * t.item_bytes != t.size) {
      return refuse(std::string("the ") + t.name + " do not match their count");
    }
  }
  return image;
}

bool WriteImageBytes(const std::string& path, ImageHeader h, const ImageExtra (&data)[kImageSections],
                     std::string* error) {
  std::memcpy(h.magic, kImageMagic, sizeof h.magic);
  h.version = kImageVersion;
  h.byte_order = kImageByteOrder;
  uint64_t end = sizeof h;
  for (uint32_t id = 0; id < kImageSections; ++id) {
    h.sections[id] = {AlignUp(end), data[id].size};
    end = h.sections[id].offset + h.sections[id].size;
  }
  h.file_size = end;

  std::vector<char> bytes(static_cast<size_t>(h.file_size), 0);
  std::memcpy(bytes.data(), &h, sizeof h);
  for (uint32_t id = 0; id < kImageSections; ++id) {
    if (data[id].size != 0) {
      std::memcpy(bytes.data() + h.sections[id].offset, data[id].data, static_cast<size_t>(data[id].size));
    }
  }
  // Written whole to a temporary name and renamed: a process starting
  // meanwhile maps the old file or the new one, never half of one.
  const std::string temporary = path + ".part";
  FILE* f = std::fopen(temporary.c_str(), "wb");
  bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (f != nullptr && std::fclose(f) != 0) ok = false;
  std::error_code ec;
  if (ok) std::filesystem::rename(std::filesystem::u8path(temporary), std::filesystem::u8path(path), ec);
  if (!ok || ec) {
    std::remove(temporary.c_str());
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

std::vector<std::string> MappedImage::Names(ImageSectionId id) const {
  std::vector<std::string> names;
  const char* text = at(id);
  const size_t text_size = section(id).size;
  for (size_t start = 0; start < text_size;) {
    const void* nul = std::memchr(text + start, '\0', text_size - start);
    if (nul == nullptr) break;
    const size_t end = static_cast<size_t>(static_cast<const char*>(nul) - text);
    names.emplace_back(text + start, end - start);
    start = end + 1;
  }
  return names;
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& n : names) joined.append(n).push_back('\0');
  return joined;
}

}  // namespace ekvr
