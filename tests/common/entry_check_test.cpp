#include "common/entry_check.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kova {
namespace {

TEST(WholeNumberEntry, TakesAnOptionallySignedRunOfDigitsAndNothingElse) {
  EXPECT_EQ(check_whole_number("120").value, 120);
  EXPECT_EQ(check_whole_number(" +38 \r\n").value, 38);
  EXPECT_EQ(check_whole_number("-5").value, -5);
  EXPECT_EQ(check_whole_number("-2147483648").value, -2147483647 - 1);
  EXPECT_EQ(check_whole_number("").fault, EntryFault::kMissing);
  EXPECT_EQ(check_whole_number(" \t").fault, EntryFault::kMissing);
  for (const char* text : {"5.5", "5.", "1e3", "5,5"})
    EXPECT_EQ(check_whole_number(text).fault, EntryFault::kNotWhole) << text;
  for (const char* text : {"38%", "12x", "1-2"}) {
    EXPECT_EQ(check_whole_number(text).fault, EntryFault::kTrailingCharacters) << text;
  }
  for (const char* text : {"abc", "-", "+", "x12"})
    EXPECT_EQ(check_whole_number(text).fault, EntryFault::kNoNumber) << text;
  EXPECT_EQ(check_whole_number("2147483648").fault, EntryFault::kTooLarge);
}

struct ThresholdCase {
  const char* entry;
  EntryFault fault;
  double suggestion;  // 0: none expected
};

class ThresholdEntryTest : public ::testing::TestWithParam<ThresholdCase> {};

TEST_P(ThresholdEntryTest, RefusesWhatIsNotWhollyANumberFromMinusOneToOne) {
  const ThresholdEntry check = check_threshold(GetParam().entry);
  EXPECT_EQ(check.fault, GetParam().fault);
  if (GetParam().suggestion != 0) {
    ASSERT_TRUE(check.suggestion.has_value());
    EXPECT_EQ(*check.suggestion, GetParam().suggestion);
  } else {
    EXPECT_FALSE(check.suggestion.has_value());
  }
}

INSTANTIATE_TEST_SUITE_P(Entries, ThresholdEntryTest,
                         ::testing::Values(ThresholdCase{"0,85", EntryFault::kDecimalComma, 0.85},
                                           ThresholdCase{"-0,9", EntryFault::kDecimalComma, -0.9},
                                           ThresholdCase{"85", EntryFault::kOutOfRange, 0.85},
                                           ThresholdCase{"-90", EntryFault::kOutOfRange, -0.9},
                                           ThresholdCase{"1.5", EntryFault::kOutOfRange, 0},
                                           ThresholdCase{"1e400", EntryFault::kOutOfRange, 0},
                                           ThresholdCase{"85%", EntryFault::kTrailingCharacters, 0.85},
                                           ThresholdCase{"0.85.", EntryFault::kTrailingCharacters, 0},
                                           ThresholdCase{"0.9;", EntryFault::kTrailingCharacters, 0},
                                           ThresholdCase{"", EntryFault::kMissing, 0},
                                           ThresholdCase{"nan", EntryFault::kNoNumber, 0},
                                           ThresholdCase{"-", EntryFault::kNoNumber, 0}));

TEST(ThresholdEntry, TheEndsOfTheRangeAndTheGrammarsFormsAreNumbers) {
  for (const char* text : {"1", "-1", "1.0", "-1e0", ".85", "85e-2", "+0.9", "0", "-0"}) {
    EXPECT_TRUE(check_threshold(text).ok()) << text;
  }
  EXPECT_EQ(check_threshold(" 0.85\r\n").value, 0.85);
}

TEST(EntryDescription, SaysWhatIsWrongAndWhatWasMeant) {
  EXPECT_EQ(describe_entry("the correlation threshold", "85", check_threshold("85")),
            "the correlation threshold 85 lies outside -1 to 1: did you mean 0.85?");
  EXPECT_EQ(
      describe_entry("the correlation threshold", "85%", check_threshold("85%")),
      "the correlation threshold '85%' is not a number: a number followed by other characters: did you mean 0.85?");
  EXPECT_EQ(describe_entry("the number of samples", "5.5", check_whole_number("5.5")),
            "the number of samples '5.5' is not a whole number");
  EXPECT_EQ(describe_entry("the correlation threshold", "0.9", check_threshold("0.9")), "");
}

}  // namespace
}  // namespace kova
