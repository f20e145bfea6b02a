#include "common/run_description_reader.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace kova {
namespace {

struct PathCase {
  const char* file;
  std::optional<std::string> input;
  std::optional<std::string> output;
};

class JoinedPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(JoinedPathTest, ReadsInputThenOutputPath) {
  std::istringstream in(GetParam().file);
  EXPECT_EQ(read_joined_path(in), GetParam().input);
  EXPECT_EQ(read_joined_path(in), GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, JoinedPathTest,
    ::testing::Values(
        PathCase{"C:\\expr data\\genes.txt\r\nC:\\out\\result.txt\r\n", "C:\\expr data\\genes.txt",
                 "C:\\out\\result.txt"},
        // a '.' in a folder name ends the path there
        PathCase{"C:\\run 1.5 data\\genes.txt\r\nC:\\out\\result.txt\r\n", "C:\\run 1.5", "data\\genes.txt"},
        // no '.' at all: the end of the file comes before the output path is complete
        PathCase{"C:\\data\\genes\r\nC:\\out\\result.txt\r\n", "C:\\data\\genes C:\\out\\result.txt", std::nullopt},
        // blanks and tabs between pieces come back as one blank; blanks at the line ends are lost
        PathCase{"  /home/u/my   \t data/m.txt  \r\n\t/tmp/o.txt\r\n", "/home/u/my data/m.txt", "/tmp/o.txt"},
        // a third line (output chosen twice) is never read
        PathCase{"/d/m.txt\r\n/d/first.txt\r\n/d/second.txt\r\n", "/d/m.txt", "/d/first.txt"},
        PathCase{"", std::nullopt, std::nullopt}, PathCase{"\r\n  \r\n", std::nullopt, std::nullopt}));

TEST(JoinedPath, HoldsPiecesAndPathsFarLongerThanFiftyOneCharacters) {
  const std::string folder(300, 'a');
  const std::string piece = "/" + folder + "/" + std::string(4000, 'b') + ".txt";
  std::istringstream in(piece + "\r\n" + "/x " + folder + "/o.txt\r\n");
  EXPECT_EQ(read_joined_path(in), piece);
  EXPECT_EQ(read_joined_path(in), "/x " + folder + "/o.txt");
}

TEST(RunSize, ReadsTwoIntegersAndARealSeparatedByAnyWhiteSpace) {
  for (const char* text :
       {"120\r\n17\r\n0.85\r\n", "120 17 0.85", "  120\t\t17 \r\n\r\n .85 and more", "+120 17 85e-2"}) {
    std::istringstream in(text);
    const RunSize size = read_run_size(in);
    EXPECT_EQ(size.genes, 120) << text;
    EXPECT_EQ(size.samples, 17) << text;
    EXPECT_EQ(size.threshold, 0.85) << text;
  }
}

TEST(RunSize, NegativeNumbersAreReadForTheCallerToJudge) {
  std::istringstream in("-5 -6 -0.5");
  const RunSize size = read_run_size(in);
  EXPECT_EQ(size.genes, -5);
  EXPECT_EQ(size.samples, -6);
  EXPECT_EQ(size.threshold, -0.5);
}

struct BadSizeCase {
  const char* text;
  const char* message;
};

class BadRunSizeTest : public ::testing::TestWithParam<BadSizeCase> {};

TEST_P(BadRunSizeTest, NamesTheItemThatCouldNotBeRead) {
  std::istringstream in(GetParam().text);
  try {
    read_run_size(in);
    FAIL() << "accepted " << GetParam().text;
  } catch (const RunDescriptionError& e) {
    EXPECT_STREQ(e.what(), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Refused, BadRunSizeTest,
    ::testing::Values(
        BadSizeCase{"", "the number of genes is missing"},
        BadSizeCase{"abc 5 0.9", "the number of genes 'abc' is not a whole number"},
        BadSizeCase{"- 5 0.9", "the number of genes '-' is not a whole number"},
        BadSizeCase{"5", "the number of samples is missing"},
        BadSizeCase{"5 5.5 0.9", "the number of samples '5.5' is not a whole number"},
        BadSizeCase{"5 38% 0.9",
                    "the number of samples '38%' is not a whole number: a number followed by other characters"},
        BadSizeCase{"5 5", "the correlation threshold is missing"},
        BadSizeCase{"5 5 inf", "the correlation threshold 'inf' is not a number"},
        BadSizeCase{"5 5 nan", "the correlation threshold 'nan' is not a number"},
        BadSizeCase{"5 5 .", "the correlation threshold '.' is not a number"},
        BadSizeCase{"5 5 0x1p-1",
                    "the correlation threshold '0x1p-1' is not a number: a number followed by other characters"},
        BadSizeCase{"5\r\n5\r\n0,85\r\n",
                    "the correlation threshold '0,85' is written with a decimal comma; the decimal "
                    "separator is '.': did you mean 0.85?"},
        BadSizeCase{"5 5 85", "the correlation threshold 85 lies outside -1 to 1: did you mean 0.85?"},
        BadSizeCase{"5 5 1.5", "the correlation threshold 1.5 lies outside -1 to 1"},
        BadSizeCase{"2147483648 5 0.9", "the number of genes '2147483648' does not fit a 32-bit integer"},
        BadSizeCase{"5 -2147483649 0.9", "the number of samples '-2147483649' does not fit a 32-bit integer"}));

}  // namespace
}  // namespace kova
