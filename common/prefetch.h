// A hint that memory is about to be read, for loops that know their next
// addresses well before they need them. Compilers without the builtin get
// no hint and the same results.
#ifndef TARNIX_COMMON_PREFETCH_H_
#define TARNIX_COMMON_PREFETCH_H_

namespace tarnix {

inline void Prefetch(const void* p) {
#if defined(__GNUC__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

}  // namespace tarnix

#endif  // TARNIX_COMMON_PREFETCH_H_
