// The dispatcher: which widths the processor offers, and which kernels each width runs.

#include "engine/kernels/vector_width.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "engine/kernels/kernel_set.hpp"

namespace kova {
namespace {

class VectorWidth : public testing::Test {
 protected:
  void TearDown() override { use_vector_width(widest_vectors()); }
};

// The widths come widest first, down to the baseline; each can be chosen, with its own kernels,
// and a width the processor lacks is refused without changing the one in use.
TEST_F(VectorWidth, OffersEachWidthItHasAndRefusesTheOthers) {
  const std::vector<int> widths = available_widths();
  ASSERT_FALSE(widths.empty());
  EXPECT_EQ(widths.front(), widest_vectors());
  EXPECT_EQ(widths.back(), 0);
  for (std::size_t i = 1; i < widths.size(); ++i) EXPECT_GT(widths[i - 1], widths[i]);
  for (const int width : widths) {
    ASSERT_TRUE(use_vector_width(width));
    EXPECT_EQ(vector_width(), width);
    EXPECT_EQ(kernels_in_use().width, width);
    EXPECT_EQ(&kernels_in_use(), &kernels_at(width));
    EXPECT_TRUE(!has_half_precision() || width == 512) << width;
    for (const int lacking : {-1, 1, 128, 1024}) {
      EXPECT_FALSE(use_vector_width(lacking));
      EXPECT_EQ(vector_width(), width);
    }
  }
}

// Any width asks for the widest kernels this processor has that are not wider.
TEST_F(VectorWidth, GivesTheWidestKernelsNotWiderThanAsked) {
  const std::vector<int> widths = available_widths();
  for (const int asked : {-1, 0, 100, 255, 256, 300, 511, 512, 2048}) {
    int expected = 0;
    for (const int width : widths) {
      if (width <= asked) {
        expected = width;
        break;
      }
    }
    const KernelSet& kernels = kernels_at(asked);
    EXPECT_EQ(kernels.width, expected) << asked;
    EXPECT_NE(kernels.copies, nullptr);
    EXPECT_NE(kernels.screen, nullptr);
    EXPECT_NE(kernels.elimination, nullptr);
  }
}

}  // namespace
}  // namespace kova
