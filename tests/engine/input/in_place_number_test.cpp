// The whole numbers read in place in the loader's buffer, against the general reading of the same
// text (real_value) bit for bit.

#include "engine/input/in_place_number.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/number_syntax.hpp"
#include "tests/support/number_texts.hpp"

namespace kova {
namespace {

using test::TextGenerator;

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct InPlaceResult {
  bool read = false;
  std::size_t length = 0;
  double value = 0.0;
};

InPlaceResult in_place(const std::string& buffer) {
  const InPlaceNumber number = read_whole_number(buffer.data(), buffer.data() + buffer.size());
  if (number.end == nullptr) return {};
  return {true, static_cast<std::size_t>(number.end - buffer.data()), number.value};
}

TEST(InPlaceNumber, WholeNumbersGiveRealValueBitForBit) {
  const char* const texts[] = {"0",
                               "-0",
                               "+0",
                               "-0.0e-400",
                               "0e999999",
                               "7.61352",
                               "-1.61",
                               ".5",
                               "5.",
                               "000123",
                               "1e22",
                               "1e23",
                               "-1e-22",
                               "1e-23",
                               "9007199254740992",
                               "9007199254740993",
                               "9007199254740993e-22",
                               "9007199254740992e22",
                               "1234567890123456789",
                               "12345678901234567890",
                               "18446744073709551621" /* 2^64 + 5 */,
                               "0000000000000000000001",
                               "1.0000000000000000000001",
                               "123456789012345678e-22",
                               "4.9e-324",
                               "2e-320",
                               "1e-400",
                               "-1e-400",
                               "1e400",
                               "1.7976931348623157e308",
                               "1.7976931348623159e308",
                               "2.2250738585072011e-308",
                               "0.1",
                               "0.3",
                               "3.14159265358979323846",
                               "1E+05",
                               "1e0000000000000000000000005",
                               "1e99999999999999999999"};
  for (const char* text : texts) {
    for (const char* after : {" ", "\t", "\r\n", "\n", "\v", "\f"}) {
      const InPlaceResult got = in_place(std::string(text) + after);
      ASSERT_TRUE(got.read) << text;
      EXPECT_EQ(got.length, std::strlen(text)) << text;
      EXPECT_TRUE(same_bits(got.value, real_value(text))) << text;
    }
  }
}

TEST(InPlaceNumber, RandomWholeNumbersGiveRealValueBitForBit) {
  TextGenerator gen(77);
  for (int n = 0; n < 50000; ++n) {
    const std::string text = gen.number();
    ASSERT_EQ(scan_real(text).length, text.size()) << text;  // the generator makes whole numbers only
    const InPlaceResult got = in_place(text + gen.separator());
    ASSERT_TRUE(got.read) << text;
    ASSERT_EQ(got.length, text.size()) << text;
    ASSERT_TRUE(same_bits(got.value, real_value(text))) << text;
  }
}

TEST(InPlaceNumber, LeavesEveryOtherPieceToTheGeneralRules) {
  // Lone signs and full stops, numbers that go on with other characters, pieces that cannot start
  // a number, and numbers whose end the buffer does not show.
  for (const char* buffer :
       {"- ",  "+ ",   ". ",  "-. ", "2.5x ", "1e ", "1e+ ", "1ex ", "1.5-2 ", "0,85 ",           "x ",
        "NA ", "inf ", " 1 ", "",    "12",    "-",   "1e5",  "0.5e", "1.",     "9007199254740993"}) {
    EXPECT_FALSE(in_place(buffer).read) << '"' << buffer << '"';
  }
}

}  // namespace
}  // namespace kova
