// What the matrix loader refuses and warns about, with the line, the piece and the hint it gives,
// in every block size (the line and the piece are counted across the reader's refills).

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/input/matrix_loader.hpp"

namespace kova {
namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

File file_holding(const std::string& text) {
  File file(std::tmpfile(), &std::fclose);
  std::fwrite(text.data(), 1, text.size(), file.get());
  std::rewind(file.get());
  return file;
}

// The refusal's message; empty when the text loads.
std::string refusal(const std::string& text, std::int32_t genes, std::int32_t samples, std::size_t block_size) {
  File file = file_holding(text);
  BlockReader reader(file.get(), block_size);
  GeneTable table(genes, samples);
  try {
    load_matrix(reader, table);
  } catch (const MatrixFormatError& e) {
    return e.what();
  }
  return "";
}

struct RefusalCase {
  const char* what;
  std::string text;
  std::int32_t genes;
  std::int32_t samples;
  std::string message;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.what; }

class MatrixRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(MatrixRefusal, NamesTheLineThePieceAndWhatToDo) {
  for (std::size_t block_size : {std::size_t{1}, std::size_t{3}, std::size_t{7}, std::size_t{1} << 20}) {
    EXPECT_EQ(refusal(GetParam().text, GetParam().genes, GetParam().samples, block_size), GetParam().message)
        << GetParam().what << ", block size " << block_size;
  }
}

const std::string kRows = "g1\t1.5\t2\t3\r\ng2\t4\t5\t6.25\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, MatrixRefusal,
    ::testing::Values(
        RefusalCase{"a header line", "Gene\tALL_1\tALL_2\tAML_3\r\n" + kRows, 2, 3,
                    "line 1, piece 2: 'ALL_1' is no number: is line 1 a header? remove it"},
        RefusalCase{"a header without a corner word", "ALL_1\tALL_2\tAML_3\r\n" + kRows, 2, 3,
                    "line 1, piece 2: 'ALL_2' is no number: is line 1 a header? remove it"},
        RefusalCase{
            "NA", kRows + "g3\t1\tNA\t3\r\n", 3, 3,
            "line 3, piece 3: 'NA' is no number: a missing value? write - or 0 in its place (both are read as 0)"},
        RefusalCase{
            "#N/A", kRows + "g3 #N/A 2 3\n", 3, 3,
            "line 3, piece 2: '#N/A' is no number: a missing value? write - or 0 in its place (both are read as 0)"},
        RefusalCase{
            "NaN", "g1 NaN 2 3", 1, 3,
            "line 1, piece 2: 'NaN' is no number: a missing value? write - or 0 in its place (both are read as 0)"},
        RefusalCase{"inf", "g1 1 -inf 3", 1, 3,
                    "line 1, piece 3: '-inf' is no number: the matrix takes finite numbers only"},
        RefusalCase{"a number running on", "g1 1 2.5x 3", 1, 3, "line 1, piece 3: '2.5x' is no number"},
        RefusalCase{"a decimal comma", kRows + "g3\t1,25\t2\t3\r\n", 3, 3,
                    "line 3, piece 2: '1,25' is no number: a decimal comma? the decimal separator is '.': write 1.25"},
        RefusalCase{"a file separated by ';'", "g1;1;2;3\ng2;4;5;6\n", 2, 3,
                    "line 2, piece 1: 'g2;4;5;6' is no number: are the pieces separated by ';'? separate them by tabs "
                    "or blanks"},
        RefusalCase{
            "a quoted name with a blank", "\"my gene\" 1 2 3\n", 1, 3,
            "line 1, piece 2: 'gene\"' is no number: a name in quotes that holds a blank? a name cannot hold blanks: "
            "join its words, e.g. with '_'"},
        RefusalCase{"fewer samples than the lines hold", kRows, 2, 2,
                    "line 2, piece 1: 'g2' is no number: line 2 holds a name and 3 values; the run says 2 samples"},
        RefusalCase{"more samples than the lines hold", kRows, 2, 4,
                    "line 2, piece 1: 'g2' is no number: line 2 holds a name and 3 values; the run says 4 samples"},
        RefusalCase{"a line with a value missing", "g1 1 2 3\ng2 4 5\ng3 7 8 9\n", 3, 3,
                    "line 3, piece 1: 'g3' is no number: line 2 holds a name and 2 values; the run says 3 samples"},
        RefusalCase{"a value beyond the range of a double", kRows + "g3 1 1e400 3\n", 3, 3,
                    "line 3, piece 3: '1e400' is beyond the range of a double (about 1.8e308)"},
        RefusalCase{"a negative one", "g3 -1e400 1 3\n", 1, 3,
                    "line 1, piece 2: '-1e400' is beyond the range of a double (about 1.8e308)"},
        RefusalCase{"a long piece, cut in the message", "g1 1 " + std::string(100, 'x') + " 3\n", 1, 3,
                    "line 1, piece 3: '" + std::string(40, 'x') + "...' is no number"},
        RefusalCase{"an empty file", "", 2, 3, "it holds nothing, but the run says 2 genes: is it the right file?"},
        RefusalCase{"a file of blank lines", " \r\n\t\r\n", 2, 3,
                    "it holds nothing, but the run says 2 genes: is it the right file?"},
        RefusalCase{
            "UTF-16 with its byte order mark", std::string("\xFF\xFEg\0001\0", 6), 1, 1,
            "it is UTF-16 text (Excel's \"Unicode text\"): save it as plain text (in Excel: Text (Tab delimited))"},
        RefusalCase{
            "UTF-16, big end first", std::string("\xFE\xFF\0g\0001", 6), 1, 1,
            "it is UTF-16 text (Excel's \"Unicode text\"): save it as plain text (in Excel: Text (Tab delimited))"},
        RefusalCase{"UTF-32", std::string("\xFF\xFE\0\0g\0\0\0", 8), 1, 1,
                    "it is UTF-32 text: save it as plain text (in Excel: Text (Tab delimited))"},
        RefusalCase{
            "UTF-16 without a byte order mark", std::string("g\0\t\0001\0", 6), 1, 1,
            "it holds NUL bytes near its start, so it is no plain text: UTF-16 or UTF-32: save it as plain text "
            "(in Excel: Text (Tab delimited))"}));

TEST(MatrixLoading, PiecesReadAsZeroAndAUtf8ByteOrderMarkAreNoFault) {
  File file = file_holding("\xEF\xBB\xBFg1 - 2 . -. +.\n");
  BlockReader reader(file.get(), 2);
  GeneTable table(1, 5);
  const MatrixLoadSummary summary = load_matrix(reader, table);
  EXPECT_EQ(table[0].name, "g1");
  EXPECT_EQ(std::vector<double>(table.row(0).begin(), table.row(0).end()), (std::vector<double>{0, 2, 0, 0, 0}));
  EXPECT_TRUE(matrix_warnings(summary, 1, 5).empty());
  EXPECT_EQ(refusal("", 0, 3, 16), "");  // no gene due, nothing to refuse
}

std::vector<std::string> warnings(const std::string& text, std::int32_t genes, std::int32_t samples) {
  File file = file_holding(text);
  BlockReader reader(file.get(), 5);
  GeneTable table(genes, samples);
  return matrix_warnings(load_matrix(reader, table), genes, samples);
}

TEST(MatrixLoading, WarnsOfLinesLeftUnreadAnEarlyEndAndNamesThatAreNumbers) {
  const std::string four_lines = "a 1 2\r\nb 3 4\r\nc 5 6\r\nd 7 8\r\n\r\n";
  EXPECT_EQ(warnings(four_lines, 4, 2), std::vector<std::string>{});
  EXPECT_EQ(warnings(four_lines, 3, 2),
            std::vector<std::string>{"only the first 3 of its 4 lines were read: the run says 3 genes"});
  EXPECT_EQ(warnings(four_lines, 0, 2),
            std::vector<std::string>{"only the first 0 of its 4 lines were read: the run says 0 genes"});
  EXPECT_EQ(warnings(four_lines, 6, 2),
            std::vector<std::string>{
                "it ends in gene 5 of the 6 genes the run says: the missing names are empty and the missing values 0"});
  // Five values per line read as two samples: every third piece becomes a name.
  EXPECT_EQ(
      warnings("a 1 2 -0.5 4 5\nb 1 2 3e2 4 5\n", 4, 2),
      std::vector<std::string>{"2 gene names are numbers, such as '-0.5' on line 1: are there really 2 samples?"});
  // Whole numbers are common gene identifiers: no warning.
  EXPECT_EQ(warnings("7157 1 2\n672 3 4\n", 2, 2), std::vector<std::string>{});
}

}  // namespace
}  // namespace kova
