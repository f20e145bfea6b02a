#pragma once
// One row of column elimination's present columns, in ascending column order, losing one element
// at every step: whichever side of it is shorter moves into its place, so that a step moves a
// quarter of the row on average instead of half. The row then starts further into its buffer.

#include <cstddef>
#include <cstring>
#include <span>
#include <type_traits>
#include <vector>

#include "engine/kernels/row_move.hpp"
#include "engine/kernels/vector_width.hpp"

namespace kova {

template <class T>
class ShrinkingRow {
  static_assert(std::is_trivially_copyable_v<T> && (sizeof(T) == 4 || sizeof(T) == 8));

 public:
  void clear() {
    values_.clear();
    first_ = 0;
  }
  void push_back(T value) { values_.push_back(value); }  // after clear(), before any take_out
  std::size_t size() const { return values_.size() - first_; }
  const T& operator[](std::size_t k) const { return values_[first_ + k]; }
  std::span<const T> span() const { return {values_.data() + first_, size()}; }

  // Takes out element k; the others keep their order.
  void take_out(std::size_t k) {
    auto* at = reinterpret_cast<unsigned char*>(values_.data() + first_);
    const std::size_t after = size() - 1 - k;
    if (k < after) {
      move(at, k * sizeof(T), true);
      ++first_;
    } else {
      move(at + k * sizeof(T), after * sizeof(T), false);
      values_.pop_back();
    }
  }

 private:
  // Moves `bytes` bytes from `at` up one element, or from one element past `at` down to it. On
  // Windows with a copy of our own (row_move.hpp), elsewhere with the C library's.
  static void move(unsigned char* at, std::size_t bytes, bool up) {
#ifdef _WIN32
    if (up) {
      move_up(at, sizeof(T), bytes, vector_width());
    } else {
      move_down(at, sizeof(T), bytes, vector_width());
    }
#else
    if (up) {
      std::memmove(at + sizeof(T), at, bytes);
    } else {
      std::memmove(at, at + sizeof(T), bytes);
    }
#endif
  }

  std::vector<T> values_;
  std::size_t first_ = 0;  // where the row starts in values_
};

}  // namespace kova
