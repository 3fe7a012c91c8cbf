// Dictionary access shared by the stages: a handle taken by name and
// always given back, and a look-up whose information text stays inside its
// buffer whatever the engine writes.
#ifndef TARNIX_ENGINES_DICTIONARY_LOOKUP_H_
#define TARNIX_ENGINES_DICTIONARY_LOOKUP_H_

#include <cstddef>
#include <string>

namespace tarnix {

// A handle of an already loaded dictionary, released when the object goes
// (also when an exception passes), or earlier by Release().
class DictHandle {
 public:
  explicit DictHandle(const std::string& name);
  ~DictHandle();
  DictHandle(const DictHandle&) = delete;
  DictHandle& operator=(const DictHandle&) = delete;

  // The engine answers -1 for a dictionary that is not loaded.
  bool valid() const { return handle_ != -1; }
  int get() const { return handle_; }
  void Release();

 private:
  int handle_;
};

// Looks word up with the engine: info (buffer_size bytes) is emptied first
// and passed with `capacity`; true only when the engine answers 1. The text
// in info is cut at its last byte, so it can be read as a C string.
bool LookUpInfo(const char* word, int handle, char* info, size_t buffer_size, int capacity);

}  // namespace tarnix

#endif  // TARNIX_ENGINES_DICTIONARY_LOOKUP_H_
