#include "common/number_syntax.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kova {
namespace {

struct ScanCase {
  const char* text;
  std::size_t length;
  bool is_number;
};

class ScanRealTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanRealTest, ConsumesWhatTheGrammarAllows) {
  const ScanCase& c = GetParam();
  const RealScan scan = scan_real(c.text);
  EXPECT_EQ(scan.length, c.length) << c.text;
  EXPECT_EQ(scan.is_number, c.is_number) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ScanRealTest,
    ::testing::Values(
        // numbers, whole
        ScanCase{"0.85", 4, true}, ScanCase{".85", 3, true}, ScanCase{"5.", 2, true}, ScanCase{"1e-3", 4, true},
        ScanCase{"-2.5E+10", 8, true}, ScanCase{"+7", 2, true}, ScanCase{"000", 3, true},
        // a number followed by other characters: the number only
        ScanCase{"2.5x", 3, true}, ScanCase{"0,85", 1, true}, ScanCase{"1e", 1, true}, ScanCase{"1e+", 1, true},
        ScanCase{"1e+x", 1, true}, ScanCase{"0x1A", 1, true}, ScanCase{"1.2.3", 3, true}, ScanCase{"3-4", 1, true},
        // a lone sign or full stop: consumed, no number
        ScanCase{"-", 1, false}, ScanCase{"+", 1, false}, ScanCase{".", 1, false}, ScanCase{"-.", 2, false},
        ScanCase{"-x", 1, false}, ScanCase{".e5", 1, false}, ScanCase{"-inf", 1, false},
        // cannot start a number: nothing consumed
        ScanCase{"inf", 0, false}, ScanCase{"nan", 0, false}, ScanCase{"NA", 0, false}, ScanCase{"e5", 0, false},
        ScanCase{"", 0, false}, ScanCase{"gene", 0, false}));

TEST(RealValue, MatchesTheCLibraryConversionBitForBit) {
  const char* texts[] = {"0.85",
                         ".85",
                         "5.",
                         "1e-3",
                         "-2.5E+10",
                         "+7",
                         "0.1",
                         "3.141592653589793238462643",
                         "1e308",
                         "1.7976931348623157e308",
                         "4e-320",
                         "2.4703282292062328e-324",
                         "123456789012345678901234567890",
                         "-0.0",
                         "9.999999999999999e22",
                         "0.000001"};
  for (const char* text : texts) {
    const double expected = std::strtod(text, nullptr);
    const double got = real_value(text);
    EXPECT_EQ(std::memcmp(&expected, &got, sizeof got), 0) << text;
  }
}

TEST(RealValue, OutOfRangeGivesInfinityOrSignedZeroLikeTheCLibrary) {
  EXPECT_EQ(real_value("1e400"), HUGE_VAL);
  EXPECT_EQ(real_value("-1.8e308"), -HUGE_VAL);
  EXPECT_EQ(real_value("1e-400"), 0.0);
  EXPECT_FALSE(std::signbit(real_value("1e-400")));
  EXPECT_TRUE(std::signbit(real_value("-1e-400")));
  EXPECT_EQ(real_value("0.0000001e-330"), 0.0);
  EXPECT_EQ(real_value("100000e99999999999999999"), HUGE_VAL);
}

TEST(ScanInt32, ReadsSignedIntegersAndRefusesOverflow) {
  EXPECT_EQ(scan_int32("120").value, 120);
  EXPECT_EQ(scan_int32("-17x").value, -17);
  EXPECT_EQ(scan_int32("-17x").length, 3u);
  EXPECT_EQ(scan_int32("+5").value, 5);
  EXPECT_EQ(scan_int32("2147483647").value, 2147483647);
  EXPECT_EQ(scan_int32("-2147483648").value, -2147483647 - 1);
  EXPECT_FALSE(scan_int32("2147483648").value.has_value());
  EXPECT_EQ(scan_int32("2147483648").length, 10u);
  EXPECT_FALSE(scan_int32("-2147483649").value.has_value());
  EXPECT_FALSE(scan_int32("99999999999999999999999").value.has_value());
  EXPECT_EQ(scan_int32("-").length, 0u);
  EXPECT_EQ(scan_int32("x1").length, 0u);
}

}  // namespace
}  // namespace kova
