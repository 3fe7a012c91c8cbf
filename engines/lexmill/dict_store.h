// Loaded dictionaries by name, and the small integer handles that callers
// take on them. A dictionary stays loaded until it is unloaded by one of its
// handles or everything is freed; releasing a handle leaves it loaded.
#ifndef TARNIX_ENGINES_LEXMILL_DICT_STORE_H_
#define TARNIX_ENGINES_LEXMILL_DICT_STORE_H_

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "dict_image.h"

namespace lexmill {

class DictStore {
 public:
  // folder() names the data folder at each load.
  explicit DictStore(std::function<std::string()> folder);

  // Handle on the named dictionary, loading <folder>/<name>.lxd first when
  // it is not loaded yet; a non-empty folder overrides the data folder.
  // -1 with a message on standard error when it cannot be loaded.
  int Load(const std::string& name, const std::string& folder);
  // Handle on an already loaded dictionary, or -1.
  int GetHandle(std::string_view name);
  // 1 when the handle was valid, 0 otherwise.
  int Release(int handle);
  // Unloads the handle's dictionary; every handle on it becomes invalid.
  int Unload(int handle);
  void Clear();

  // The dictionary behind a handle, or null. The dictionary stays usable by
  // the caller even when it is unloaded meanwhile.
  std::shared_ptr<const DictImage> Get(int handle) const;
  // The same for the length of one call into the library: the pointer
  // stays valid until the calling thread's next Borrow or Forget. While no
  // handle changes, it takes no lock and no count: the pipeline looks up
  // a hundred and more words an article, each a call of its own.
  const DictImage* Borrow(int handle) const;
  // Lets go of what the calling thread borrowed, so that an unloaded
  // dictionary is unmapped now rather than at the thread's next call.
  static void Forget();

  size_t loaded_count() const;
  size_t handle_count() const;

  static constexpr size_t kMaxHandles = 4096;

 private:
  struct Loaded {
    std::string name;
    std::shared_ptr<const DictImage> image;
  };
  int NewHandle(const std::shared_ptr<Loaded>& loaded);
  void Changed();

  std::function<std::string()> folder_;
  mutable std::mutex mutex_;
  // Changed with every handle given, released or unloaded: what a thread
  // borrowed under another value is asked for again.
  std::atomic<uint64_t> generation_{0};
  // Searched by the caller's text as it stands: the pipeline takes a handle
  // for every word it looks up, and a name of more than 15 bytes would
  // otherwise cost a string allocation each time.
  std::map<std::string, std::shared_ptr<Loaded>, std::less<>> by_name_;
  std::vector<std::shared_ptr<Loaded>> handles_;
};

// Whether name can be a dictionary file name: no folder separators, no
// leading dot, at most 127 bytes.
bool IsValidDictName(const std::string& name);

}  // namespace lexmill

#endif  // TARNIX_ENGINES_LEXMILL_DICT_STORE_H_
