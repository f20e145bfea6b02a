#include "viewer/core/picture_caption.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace kova::viewer {
namespace {

TEST(PictureCaption, SaysThePlainRAndThePValue) {
  // One gene pair, as bicluster 234 of golub_500 at 0.8.
  EXPECT_EQ(picture_caption({-0.0851, -0.0851, -0.0851, 1, 0}, std::nullopt), "plain r -0.085");
  EXPECT_EQ(picture_caption({-0.0851, -0.0851, -0.0851, 1, 0}, 0.43), "plain r -0.085; p = 0.43");
  EXPECT_EQ(picture_caption({0.9574, 0.9693, 0.9959, 3, 0}, 1.0 / 201), "plain r 0.957 to 0.996 (median 0.969); p = 0.00498");
  EXPECT_EQ(picture_caption({0.5, 0.6, 0.7, 6, 3}, std::nullopt), "plain r 0.500 to 0.700 (median 0.600), 3 undefined");
  EXPECT_EQ(picture_caption({NAN, NAN, NAN, 1, 1}, 1.0), "plain r undefined; p = 1");
}

}  // namespace
}  // namespace kova::viewer
