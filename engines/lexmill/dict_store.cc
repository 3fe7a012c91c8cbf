#include "dict_store.h"

#include <cstdio>

#include "data_folder.h"

namespace lexmill {

bool IsValidDictName(const std::string& name) {
  if (name.empty() || name.size() > 127 || name[0] == '.') return false;
  return name.find_first_of("/\\:") == std::string::npos;
}

DictStore::DictStore(std::function<std::string()> folder) : folder_(std::move(folder)) {}

int DictStore::NewHandle(const std::shared_ptr<Loaded>& loaded) {
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
  return 1;
}

void DictStore::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  by_name_.clear();
  handles_.clear();
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

}  // namespace lexmill
