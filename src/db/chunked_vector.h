#pragma once

// A growing array of plain values kept in fixed-size blocks: appending never moves what is already
// stored, so a list of ten million values needs its own size plus part of one block, never the
// double a reallocating vector briefly holds while it copies.

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace torvane {

template <typename T>
class ChunkedVector {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  static constexpr std::size_t kBlockShift = 13;
  static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockShift;  // values per block

  ChunkedVector() = default;
  ChunkedVector(ChunkedVector&&) noexcept = default;
  ChunkedVector& operator=(ChunkedVector&&) noexcept = default;
  ChunkedVector(const ChunkedVector&) = delete;
  ChunkedVector& operator=(const ChunkedVector&) = delete;

  void push_back(T value) {
    const std::size_t slot = size_ & (kBlockSize - 1);
    if (slot == 0) {
      blocks_.emplace_back(Allocate(nullptr, kBlockSize));
      last_capacity_ = kBlockSize;
    } else if (slot == last_capacity_) {
      // The last block was trimmed by ShrinkToFit; give it its full size again.
      T* grown = Allocate(blocks_.back().get(), kBlockSize);
      blocks_.back().release();
      blocks_.back().reset(grown);
      last_capacity_ = kBlockSize;
    }
    blocks_.back().get()[slot] = value;
    ++size_;
  }

  T operator[](std::size_t index) const {
    return blocks_[index >> kBlockShift].get()[index & (kBlockSize - 1)];
  }

  // The last value, to change in place; the vector must not be empty.
  T& back() { return blocks_.back().get()[(size_ - 1) & (kBlockSize - 1)]; }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  void clear() {
    blocks_.clear();
    blocks_.shrink_to_fit();
    size_ = 0;
    last_capacity_ = 0;
  }

  // Gives back the unused end of the last block (a small list then holds only what it needs).
  void ShrinkToFit() {
    const std::size_t used = size_ & (kBlockSize - 1);
    if (used == 0 || used == last_capacity_) return;
    T* trimmed = Allocate(blocks_.back().get(), used);
    blocks_.back().release();
    blocks_.back().reset(trimmed);
    last_capacity_ = used;
    blocks_.shrink_to_fit();
  }

  // Bytes held for the values.
  std::size_t HeldBytes() const {
    if (blocks_.empty()) return 0;
    return ((blocks_.size() - 1) * kBlockSize + last_capacity_) * sizeof(T) +
           blocks_.capacity() * sizeof(blocks_[0]);
  }

 private:
  struct Free {
    void operator()(T* p) const { std::free(p); }
  };

  // realloc, so trimming or re-growing the last block keeps its values without a second copy.
  static T* Allocate(T* old, std::size_t count) {
    void* p = std::realloc(old, count * sizeof(T));
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<T*>(p);
  }

  std::vector<std::unique_ptr<T, Free>> blocks_;
  std::size_t size_ = 0;
  std::size_t last_capacity_ = 0;
};

}  // namespace torvane
