#include "engine/kernels/half_values.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/kernels/vector_width.hpp"
#include "tests/support/vector_widths.hpp"

namespace kova {
namespace {

// The widths that screen in half precision on this processor (512, where it has AVX512-FP16).
std::vector<int> half_precision_widths() {
  std::vector<int> widths;
  for (const int width : available_widths()) {
    use_vector_width(width);
    if (has_half_precision()) widths.push_back(width);
  }
  use_vector_width(widest_vectors());
  return widths;
}
class HalfValues : public test::AtEachWidth {};
INSTANTIATE_TEST_SUITE_P(Widths, HalfValues, testing::ValuesIn(half_precision_widths()), test::width_name);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(HalfValues);

// The nearest half to v, ties to even, as its bits, from its exponent and its rounded significand
// in double; v finite.
std::uint16_t nearest_half(float v) {
  const std::uint16_t sign = std::signbit(v) ? 0x8000 : 0;
  const double magnitude = std::fabs(static_cast<double>(v));
  if (magnitude < 0x1p-14) return sign | static_cast<std::uint16_t>(std::nearbyint(magnitude * 0x1p24));
  int exponent = std::ilogb(magnitude);
  double significand = std::nearbyint(std::ldexp(magnitude, 10 - exponent));  // in [1024, 2048]
  if (significand == 2048.0) {
    significand = 1024.0;
    ++exponent;
  }
  if (exponent > 15) return sign | 0x7C00;
  return sign | static_cast<std::uint16_t>(((exponent + 15) << 10) | (static_cast<int>(significand) - 1024));
}

// The half-precision values are the nearest halves, ties to even, through the subnormal range
// and up to infinity.
TEST_P(HalfValues, AreTheNearestHalves) {
  const std::vector<std::pair<float, std::uint16_t>> known = {{0.0f, 0x0000},
                                                              {-0.0f, 0x8000},
                                                              {1.0f, 0x3C00},
                                                              {-0.5f, 0xB800},
                                                              {0x1p-14f, 0x0400},
                                                              {0x1p-24f, 0x0001},
                                                              {0x1p-25f, 0x0000},
                                                              {0x1.8p-25f, 0x0001},
                                                              {65504.0f, 0x7BFF},
                                                              {1.0f + 0x1p-11f, 0x3C00},
                                                              {1.0f + 0x3p-11f, 0x3C02},
                                                              {65520.0f, 0x7C00}};
  std::vector<float> values;
  for (const auto& [value, bits] : known) values.push_back(value);
  std::mt19937_64 random(31);
  for (int i = 0; i < 3000; ++i) {
    values.push_back(
        std::ldexp(static_cast<float>(random() % 2000000) / 1e6f - 1.0f, -static_cast<int>(random() % 30)));
  }
  std::vector<std::uint16_t> halves(values.size());
  to_half(values, halves.data());
  for (std::size_t k = 0; k < known.size(); ++k) ASSERT_EQ(halves[k], known[k].second) << "value " << values[k];
  for (std::size_t k = 0; k < values.size(); ++k) {
    ASSERT_EQ(halves[k], nearest_half(values[k])) << "value " << values[k] << ", index " << k;
  }
}

}  // namespace
}  // namespace kova
