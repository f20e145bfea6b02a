#include "engine/kernels/row_move.hpp"

#include <cstring>

#include "engine/kernels/kernel_set.hpp"

namespace kova {

void move_down(unsigned char* at, std::size_t step, std::size_t bytes, int width) {
  if (bytes >= 16) return kernels_at(width).copies->move_down(at, step, bytes);
  // A few elements: four bytes at a time (GCC on Windows is kept from making this a memmove call,
  // see sources.txt).
  for (std::size_t i = 0; i < bytes; i += 4) std::memcpy(at + i, at + step + i, 4);
}

void move_up(unsigned char* at, std::size_t step, std::size_t bytes, int width) {
  if (bytes >= 16) return kernels_at(width).copies->move_up(at, step, bytes);
  for (std::size_t i = bytes; i >= 4; i -= 4) std::memcpy(at + step + i - 4, at + i - 4, 4);
}

}  // namespace kova
