#pragma once
// Runs a parametrised test once per vector width this processor has (widest first, then down to
// the baseline): a width the processor lacks is not instantiated at all.

#include <gtest/gtest.h>

#include <string>

#include "engine/kernels/vector_width.hpp"

namespace kova::test {

class AtEachWidth : public testing::TestWithParam<int> {
 protected:
  void SetUp() override { ASSERT_TRUE(use_vector_width(GetParam())) << GetParam(); }
  void TearDown() override { use_vector_width(widest_vectors()); }
  int width() const { return GetParam(); }
};

inline std::string width_name(const testing::TestParamInfo<int>& info) {
  return info.param == 0 ? "baseline" : std::to_string(info.param) + "bits";
}

}  // namespace kova::test

#define KOVA_AT_EACH_WIDTH(suite) \
  INSTANTIATE_TEST_SUITE_P(Widths, suite, testing::ValuesIn(::kova::available_widths()), ::kova::test::width_name)
