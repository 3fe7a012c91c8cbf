#include "dictionary_lookup.h"

#include "lexmill.h"

namespace tarnix {

DictHandle::DictHandle(const std::string& name) : handle_(Dict_Get_Handle(name.c_str(), "")) {}

DictHandle::~DictHandle() { Release(); }

void DictHandle::Release() {
  if (handle_ != -1) {
    Dict_Delete_Handle(handle_);
    handle_ = -1;
  }
}

bool LookUpInfo(const char* word, int handle, char* info, size_t buffer_size, int capacity) {
  if (buffer_size == 0) return false;
  info[0] = '\0';
  const int found = Dict_Search_Get_Info(word, handle, info, capacity);
  info[buffer_size - 1] = '\0';
  return found == 1;
}

}  // namespace tarnix
