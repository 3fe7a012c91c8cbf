/* The three loader calls of a Windows host program, on top of dlopen, so
 * that the host programs of this folder also run against the Linux build. */
#ifndef TARNIX_WINDOWS_POSIX_LOADER_H_
#define TARNIX_WINDOWS_POSIX_LOADER_H_

#include <dlfcn.h>

typedef void* HMODULE;

static inline HMODULE LoadLibraryA(const char* file) { return dlopen(file, RTLD_NOW | RTLD_LOCAL); }

static inline void* GetProcAddress(HMODULE module, const char* name) { return dlsym(module, name); }

static inline int FreeLibrary(HMODULE module) { return dlclose(module) == 0; }

#endif /* TARNIX_WINDOWS_POSIX_LOADER_H_ */
