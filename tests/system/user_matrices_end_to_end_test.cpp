// The matrices users really have, made at run time from the 500 x 38 example (a header line from
// R or Excel, NA for missing values, decimal commas, UTF-16 text, a wrong number of samples, a
// threshold typed as 85): each is refused or warned about, never run into a silent wrong result;
// and the well-formed matrix gives exactly the files the engine wrote before these checks
// (tests/system/expected, written by the engine at commit a71585e).

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/engine_process.hpp"
#include "tests/support/temp_dir.hpp"

namespace kova {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::write_file;

const std::string kMembershipTitle = "gene in number of Bicluster";

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// Piece `piece` (0-based) of line `line` (0-based) replaced by `by`.
std::string with_piece(const std::string& text, std::size_t line, std::size_t piece, const std::string& by) {
  std::vector<std::string> lines = lines_of(text);
  std::string& target = lines[line];
  std::size_t start = 0;
  for (std::size_t p = 0; p < piece; ++p) start = target.find('\t', start) + 1;
  const std::size_t end = target.find('\t', start);
  target.replace(start, end == std::string::npos ? std::string::npos : end - start, by);
  return joined(lines);
}

std::string replaced_all(std::string text, char from, char to) {
  for (char& c : text) {
    if (c == from) c = to;
  }
  return text;
}

// Excel's "Unicode text": UTF-16, low byte first, after a byte order mark.
std::string as_utf16(const std::string& text) {
  std::string wide = "\xFF\xFE";
  for (char c : text) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

class UserMatrix : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(home_ / "work");
    golub_ = read_file(fs::path(KOVA_EXAMPLES_DIR) / "golub_500.txt");
    ASSERT_EQ(lines_of(golub_).size(), 500u);
  }
  fs::path matrix() const { return home_ / "matrix.txt"; }
  fs::path output() const { return home_ / "result.txt"; }
  fs::path report() const { return home_ / "work" / "bicluster_report.txt"; }

  test::EngineResult run(const std::string& matrix_text, const std::string& sizes = "500\r\n38\r\n0.9\r\n") {
    write_file(matrix(), matrix_text);
    write_file(home_ / "outinfo.txt", matrix().string() + "\r\n" + output().string() + "\r\n");
    write_file(home_ / "doutinfo.txt", sizes);
    return test::run_engine_process(KOVA2_PATH, home_.path(), home_ / "work", "1000\n");
  }

  // Refused with one error line holding `fragment`; the report never looks complete and the
  // matrix is as it was.
  void expect_refused(const std::string& matrix_text, const std::string& fragment,
                      const std::string& sizes = "500\r\n38\r\n0.9\r\n") {
    const test::EngineResult result = run(matrix_text, sizes);
    EXPECT_NE(result.status, 0);
    EXPECT_EQ(result.err.rfind("kova2: error: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(fragment), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line expected: " << result.err;
    EXPECT_EQ(result.out.find("written to"), std::string::npos) << result.out;
    EXPECT_EQ(read_file(report()).find(kMembershipTitle), std::string::npos);
    EXPECT_EQ(read_file(matrix()), matrix_text);
  }

  // Runs to the end with warnings only, one of them holding `fragment`.
  test::EngineResult expect_warned(const std::string& matrix_text, const std::string& sizes,
                                   const std::string& fragment) {
    const test::EngineResult result = run(matrix_text, sizes);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find(fragment), std::string::npos) << result.err;
    for (const std::string& line : lines_of(result.err)) {
      EXPECT_EQ(line.rfind("kova2: warning: input matrix '" + matrix().string() + "': ", 0), 0u) << line;
      EXPECT_EQ(line.back(), '\r') << line;
    }
    EXPECT_NE(read_file(report()).find(kMembershipTitle), std::string::npos);
    return result;
  }

  test::TempDir home_;
  std::string golub_;
};

TEST_F(UserMatrix, TheWellFormedMatrixGivesTheSameFilesAsBefore) {
  const test::EngineResult result = run(golub_);
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const fs::path expected(KOVA_EXPECTED_DIR);
  EXPECT_EQ(read_file(output()), read_file(expected / "golub_500_t0.9_m1000_output.txt"));
  EXPECT_EQ(read_file(report()), read_file(expected / "golub_500_t0.9_m1000_report.txt"));
  EXPECT_NE(result.out.find("483 biclusters written"), std::string::npos);
}

TEST_F(UserMatrix, AHeaderLineIsRefused) {
  std::string header = "Gene";
  for (int s = 1; s <= 38; ++s) header += "\t" + std::string(s <= 27 ? "ALL_" : "AML_") + std::to_string(s);
  expect_refused(header + "\n" + golub_, "input matrix '" + matrix().string() +
                                             "': line 1, piece 2: 'ALL_1' is no number: is line 1 a header? remove it");
}

TEST_F(UserMatrix, MarksOfMissingValuesAreRefusedWhereTheyStand) {
  for (const char* mark : {"NA", "NaN", "#N/A"}) {
    SCOPED_TRACE(mark);
    expect_refused(with_piece(golub_, 9, 4, mark), std::string("line 10, piece 5: '") + mark +
                                                       "' is no number: a missing value? write - or 0 in its place");
  }
  expect_refused(with_piece(golub_, 9, 4, "inf"),
                 "line 10, piece 5: 'inf' is no number: the matrix takes finite numbers only");
  expect_refused(with_piece(golub_, 9, 4, "2.5x"), "line 10, piece 5: '2.5x' is no number");
}

TEST_F(UserMatrix, PiecesReadAsZeroStayAccepted) {
  const test::EngineResult result = run(with_piece(with_piece(golub_, 9, 4, "-"), 10, 3, "."));
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
}

TEST_F(UserMatrix, DecimalCommasAndOtherSeparatorsAreRefused) {
  const std::vector<std::string> lines = lines_of(replaced_all(golub_, '\t', ';'));
  expect_refused(replaced_all(golub_, '.', ','),
                 "line 1, piece 2: '3,13533' is no number: a decimal comma? the decimal "
                 "separator is '.': write 3.13533");
  expect_refused(replaced_all(golub_, '\t', ';'),
                 "line 2, piece 1: '" + lines[1].substr(0, 40) + "...' is no number: are the pieces separated by ';'?");
  expect_refused(replaced_all(golub_, '\t', ','), "are the pieces separated by ','?");
}

TEST_F(UserMatrix, UnicodeTextIsRefused) {
  expect_refused(as_utf16(golub_), "it is UTF-16 text (Excel's \"Unicode text\"): save it as plain text");
  expect_refused(as_utf16(golub_).substr(2), "it holds NUL bytes near its start, so it is no plain text");
}

TEST_F(UserMatrix, AUtf8ByteOrderMarkIsNoPartOfTheFirstName) {
  const test::EngineResult result = run("\xEF\xBB\xBF" + golub_);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(read_file(output()), read_file(fs::path(KOVA_EXPECTED_DIR) / "golub_500_t0.9_m1000_output.txt"));
}

TEST_F(UserMatrix, AWrongNumberOfSamplesIsRefused) {
  const std::string second_name = lines_of(golub_)[1].substr(0, lines_of(golub_)[1].find('\t'));
  expect_refused(
      golub_,
      "line 2, piece 1: '" + second_name + "' is no number: line 2 holds a name and 38 values; the run says 30 samples",
      "500\r\n30\r\n0.9\r\n");
  expect_refused(golub_, "line 2 holds a name and 38 values; the run says 40 samples", "500\r\n40\r\n0.9\r\n");
}

TEST_F(UserMatrix, ValuesBeyondTheRangeOfADoubleAreRefused) {
  expect_refused(with_piece(golub_, 99, 7, "1e400"), "line 100, piece 8: '1e400' is beyond the range of a double");
  expect_refused(with_piece(golub_, 99, 7, "-1e400"), "line 100, piece 8: '-1e400' is beyond the range of a double");
}

TEST_F(UserMatrix, AnEmptyMatrixIsRefused) {
  expect_refused("", "input matrix '" + matrix().string() + "': it holds nothing, but the run says 500 genes");
}

TEST_F(UserMatrix, ThresholdsTypedAsPercentagesOrWithACommaAreRefusedBeforeAnythingIsWritten) {
  write_file(output(), "previous results");
  for (const auto& [threshold, fragment] : std::vector<std::pair<std::string, std::string>>{
           {"0,85", "did you mean 0.85?"},
           {"85", "the correlation threshold 85 lies outside -1 to 1: did you mean 0.85?"},
           {"1.5", "the correlation threshold 1.5 lies outside -1 to 1"},
           {"85%", "did you mean 0.85?"}}) {
    SCOPED_TRACE(threshold);
    expect_refused(golub_, fragment, "500\r\n38\r\n" + threshold + "\r\n");
    EXPECT_EQ(read_file(output()), "previous results");
  }
  expect_refused(golub_, "the number of samples '38.5' is not a whole number", "500\r\n38.5\r\n0.9\r\n");
}

TEST_F(UserMatrix, FewerGenesThanTheFileHoldsIsAWarning) {
  const test::EngineResult result = expect_warned(
      golub_, "400\r\n38\r\n0.9\r\n", "only the first 400 of its 500 lines were read: the run says 400 genes");
  EXPECT_NE(result.out.find("biclusters written"), std::string::npos);
}

TEST_F(UserMatrix, AMatrixEndingBeforeTheLastGeneIsAWarning) {
  expect_warned(
      golub_, "600\r\n38\r\n0.9\r\n",
      "it ends in gene 501 of the 600 genes the run says: the missing names are empty and the missing values 0");
}

TEST_F(UserMatrix, GeneNamesThatAreNumbersAreAWarning) {
  // 38 values per line read as 12 samples: every thirteenth piece is taken as a name.
  expect_warned(golub_, "100\r\n12\r\n0.9\r\n", "gene names are numbers, such as '");
}

}  // namespace
}  // namespace kova
