// A reader for Windows profile (INI) files with the observable behaviour of
// GetPrivateProfileStringA, for the platforms that lack it.
#ifndef TARNIX_COMMON_PROFILE_H_
#define TARNIX_COMMON_PROFILE_H_

#include <cstdint>
#include <string>

namespace tarnix {

// Copies the value of `key` in `section` of `file` into buffer (size
// bytes), or default_value when the file, the section or the key is
// missing or the key has no "=". Returns the number of bytes copied,
// without the terminating NUL.
//  - Section and key names are compared without regard to ASCII case;
//    blanks around names (also inside the brackets of a header) and values
//    are ignored. An empty key name finds a line "=value".
//  - One pair of matching quotes (" or ') around a value, or around the
//    default, is removed.
//  - A key present with an empty value gives the empty text.
//  - A text longer than the buffer is cut to size - 1 bytes.
//  - Trailing blanks of the default are dropped.
//  - Lines end at "\n", "\r\n" or a lone "\r". There is no comment syntax;
//    a line ";k=v" is a key named ";k". Only the first section of a name
//    and the first key of a name count.
// A null section or key (the enumeration forms of the Windows call) is not
// supported and gives the empty text.
// The parsed file is kept per thread while its modification time and size
// stay the same, so an edited file takes effect at the next call, or at the
// next ProfileCheckScope when one is open.
uint32_t PortableProfileString(const char* section, const char* key, const char* default_value,
                               char* buffer, uint32_t size, const char* file);

// While one is alive on a thread (the outermost of nested ones counts),
// each file's stamp is checked at its first read only: an article reads
// its configuration a thousand times, and an edit made while it is being
// processed takes effect at the next article.
class ProfileCheckScope {
 public:
  ProfileCheckScope();
  ~ProfileCheckScope();
  ProfileCheckScope(const ProfileCheckScope&) = delete;
  ProfileCheckScope& operator=(const ProfileCheckScope&) = delete;

  // A number for the scope open on this thread, different for every
  // outermost scope; 0 when none is open.
  static uint64_t Current();
};

}  // namespace tarnix

#endif  // TARNIX_COMMON_PROFILE_H_
