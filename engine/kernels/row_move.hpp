#pragma once
// Taking one element out of a row in place: the rest moved down one place, a few hundred bytes at
// every step of column elimination. Windows builds use this instead of the C library's memmove,
// which is slow for such copies where the library is (Wine's msvcrt is); elsewhere the library's is
// the faster.

#include <cstddef>

namespace kova {

// Moves `bytes` bytes (a multiple of 4) from `at + step` down to `at`, step 4 or 8, with the
// instructions of vector width `width` (see vector_width.hpp): in 32-byte blocks at 256 bits and
// more, 16-byte ones otherwise, and without a loop for short rows.
void move_down(unsigned char* at, std::size_t step, std::size_t bytes, int width);
// The same upwards: `bytes` bytes from `at` up to `at + step`.
void move_up(unsigned char* at, std::size_t step, std::size_t bytes, int width);

}  // namespace kova
