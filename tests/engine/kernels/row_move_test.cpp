#include "engine/kernels/row_move.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "tests/support/vector_widths.hpp"

namespace kova {
namespace {

class RowMove : public test::AtEachWidth {};
KOVA_AT_EACH_WIDTH(RowMove);

// Every length a row of ints or doubles can have up to 300 elements, at every alignment, moved down
// and back up, gives memmove's bytes; each buffer ends where the row does, so that a read or write past it shows
// under AddressSanitizer.
TEST_P(RowMove, DownAndUpGiveWhatMemmoveGivesAtEveryLengthAndAlignment) {
  std::mt19937 random(7);
  for (const std::size_t step : {4u, 8u}) {
    for (std::size_t bytes = 0; bytes <= 300 * step; bytes += step) {
      for (std::size_t offset = 0; offset < 64; offset += 4) {
        std::vector<unsigned char> row(offset + step + bytes), expected;
        for (unsigned char& c : row) c = static_cast<unsigned char>(random());
        expected = row;
        std::memmove(expected.data() + offset, expected.data() + offset + step, bytes);
        move_down(row.data() + offset, step, bytes, width());
        ASSERT_EQ(row, expected) << "down, step " << step << ", " << bytes << " bytes, offset " << offset;
        std::memmove(expected.data() + offset + step, expected.data() + offset, bytes);
        move_up(row.data() + offset, step, bytes, width());
        ASSERT_EQ(row, expected) << "up, step " << step << ", " << bytes << " bytes, offset " << offset;
      }
    }
  }
}

}  // namespace
}  // namespace kova
