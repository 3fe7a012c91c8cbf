// Memory for the map nodes of one Tarnix_Direct call.
//
// A large article puts some ten thousand nodes into its candidate maps and
// drops them all when the call ends. Taken one by one from the general
// heap, they cost about a quarter of the call: the heap's small-block
// caches hold a handful of blocks of a size, so the rest goes through its
// slower lists, and freeing the call's big tables makes it merge those
// lists again. An arena hands out nodes from a few large blocks and gives
// the blocks back when the call ends; a node erased in between is not
// reused, which costs at most the nodes one call inserts.
#ifndef TARNIX_COMMON_NODE_ARENA_H_
#define TARNIX_COMMON_NODE_ARENA_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

// Under AddressSanitizer every node comes from the heap and goes back to
// it, so that a node used after its erasure is still caught.
#if defined(__SANITIZE_ADDRESS__)
#define TARNIX_NODES_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARNIX_NODES_FROM_HEAP 1
#endif
#endif
#ifndef TARNIX_NODES_FROM_HEAP
#define TARNIX_NODES_FROM_HEAP 0
#endif

namespace tarnix {

class NodeArena {
 public:
  NodeArena() = default;
  NodeArena(const NodeArena&) = delete;
  NodeArena& operator=(const NodeArena&) = delete;

  // Room for `bytes` aligned to `align` (a power of two no larger than
  // max_align_t's), valid until the arena goes.
  void* Allocate(size_t bytes, size_t align) {
    size_t pad = (align - reinterpret_cast<uintptr_t>(next_) % align) % align;
    if (next_ == nullptr || pad + bytes > left_) {
      NewBlock(bytes);
      pad = 0;
    }
    char* p = next_ + pad;
    next_ = p + bytes;
    left_ -= pad + bytes;
    return p;
  }

 private:
  static constexpr size_t kBlockSize = 64 * 1024;

  void NewBlock(size_t at_least) {
    const size_t size = at_least > kBlockSize ? at_least : kBlockSize;
    blocks_.emplace_back(new char[size]);  // new char[] is aligned for any object
    next_ = blocks_.back().get();
    left_ = size;
  }

  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  size_t left_ = 0;
};

// A standard allocator drawing from an arena, or from the general heap when
// it has none (a map made without one, as in tests). Containers that share
// an arena may swap and move their contents; the arena must outlive every
// container that uses it.
template <typename T>
class ArenaAllocator {
 public:
  using value_type = T;
  using propagate_on_container_copy_assignment = std::true_type;
  using propagate_on_container_move_assignment = std::true_type;
  using propagate_on_container_swap = std::true_type;

  ArenaAllocator() noexcept = default;
  explicit ArenaAllocator(NodeArena* arena) noexcept : arena_(arena) {}
  template <typename U>
  ArenaAllocator(const ArenaAllocator<U>& other) noexcept : arena_(other.arena()) {}

  T* allocate(size_t n) {
    if (arena_ == nullptr || TARNIX_NODES_FROM_HEAP) return std::allocator<T>().allocate(n);
    if (n > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(arena_->Allocate(n * sizeof(T), alignof(T)));
  }
  void deallocate(T* p, size_t n) noexcept {
    if (arena_ == nullptr || TARNIX_NODES_FROM_HEAP) std::allocator<T>().deallocate(p, n);
  }

  NodeArena* arena() const noexcept { return arena_; }

 private:
  NodeArena* arena_ = nullptr;
};

template <typename T, typename U>
bool operator==(const ArenaAllocator<T>& a, const ArenaAllocator<U>& b) noexcept {
  return a.arena() == b.arena();
}
template <typename T, typename U>
bool operator!=(const ArenaAllocator<T>& a, const ArenaAllocator<U>& b) noexcept {
  return !(a == b);
}

}  // namespace tarnix

#endif  // TARNIX_COMMON_NODE_ARENA_H_
