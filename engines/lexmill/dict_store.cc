#include "dict_store.h"

#include <cstdio>

#include "data_folder.h"

namespace lexmill {
namespace {

// What a thread borrowed, a few handles at a time: the pipeline asks two
// or three dictionaries in turn.
struct Borrowed {
  const DictStore* store = nullptr;
  uint64_t generation = 0;
  int handle = -1;
  std::shared_ptr<const DictImage> image;
};
constexpr size_t kBorrowedSlots = 4;
thread_local Borrowed borrowed[kBorrowedSlots];

}  // namespace

bool IsValidDictName(const std::string& name) {
  if (name.empty() || name.size() > 127 || name[0] == '.') return false;
  return name.find_first_of("/\\:") == std::string::npos;
}

DictStore::DictStore(std::function<std::string()> folder) : folder_(std::move(folder)) { Changed(); }

// Drawn from one count for every store, so that a store made where an
// earlier one was never meets what a thread borrowed from that one.
void DictStore::Changed() {
  static std::atomic<uint64_t> generations{0};
  generation_.store(generations.fetch_add(1, std::memory_order_relaxed) + 1, std::memory_order_release);
}

int DictStore::NewHandle(const std::shared_ptr<Loaded>& loaded) {
  Changed();
  for (size_t i = 0; i < handles_.size(); ++i) {
    if (!handles_[i]) {
      handles_[i] = loaded;
      return static_cast<int>(i);
    }
  }
  if (handles_.size() >= kMaxHandles) {
    std::fprintf(stderr, "Lexmill: no free dictionary handle (%lu taken)\n",
                 static_cast<unsigned long>(handles_.size()));
    return -1;
  }
  handles_.push_back(loaded);
  return static_cast<int>(handles_.size() - 1);
}

int DictStore::Load(const std::string& name, const std::string& folder) {
  if (!IsValidDictName(name)) {
    std::fprintf(stderr, "Lexmill: invalid dictionary name \"%s\"\n", name.c_str());
    return -1;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = by_name_.find(name);
    if (it != by_name_.end()) return NewHandle(it->second);
  }
  // Read outside the lock: loading takes milliseconds and look-ups on other
  // dictionaries need not wait for it.
  const std::string path = (folder.empty() ? folder_() : folder) + "/" + name + kDictSuffix;
  std::string error;
  std::shared_ptr<const DictImage> image = DictImage::Load(path, &error);
  if (!image) {
    std::fprintf(stderr, "Lexmill: cannot load dictionary \"%s\": %s\n", name.c_str(),
                 error.c_str());
    return -1;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  auto& slot = by_name_[name];
  if (!slot) slot = std::make_shared<Loaded>(Loaded{name, image});
  return NewHandle(slot);
}

int DictStore::GetHandle(std::string_view name) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = by_name_.find(name);
  return it == by_name_.end() ? -1 : NewHandle(it->second);
}

int DictStore::Release(int handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (handle < 0 || static_cast<size_t>(handle) >= handles_.size() || !handles_[handle]) return 0;
  handles_[handle].reset();
  Changed();
  return 1;
}

int DictStore::Unload(int handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (handle < 0 || static_cast<size_t>(handle) >= handles_.size() || !handles_[handle]) return 0;
  const std::shared_ptr<Loaded> loaded = handles_[handle];
  by_name_.erase(loaded->name);
  for (auto& h : handles_) {
    if (h == loaded) h.reset();
  }
  Changed();
  return 1;
}

void DictStore::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  by_name_.clear();
  handles_.clear();
  Changed();
}

std::shared_ptr<const DictImage> DictStore::Get(int handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (handle < 0 || static_cast<size_t>(handle) >= handles_.size() || !handles_[handle]) {
    return nullptr;
  }
  return handles_[handle]->image;
}

size_t DictStore::loaded_count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return by_name_.size();
}

size_t DictStore::handle_count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  size_t n = 0;
  for (const auto& h : handles_) n += h ? 1 : 0;
  return n;
}

const DictImage* DictStore::Borrow(int handle) const {
  // Read before the handles: a change after it makes the next call ask again.
  const uint64_t generation = generation_.load(std::memory_order_acquire);
  Borrowed& slot = borrowed[static_cast<unsigned>(handle) % kBorrowedSlots];
  if (slot.store != this || slot.generation != generation || slot.handle != handle) {
    slot.image = Get(handle);
    slot.store = this;
    slot.generation = generation;
    slot.handle = handle;
  }
  return slot.image.get();
}

void DictStore::Forget() {
  for (Borrowed& slot : borrowed) slot = Borrowed();
}

}  // namespace lexmill
