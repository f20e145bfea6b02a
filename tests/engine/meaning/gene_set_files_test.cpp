// The gene-set (GMT) and gene-name files: what they hold, and every refusal with its file, line
// and reason.

#include <gtest/gtest.h>

#include <sstream>

#include "kova/meaning.hpp"
#include "tests/support/temp_dir.hpp"

namespace kova {
namespace {

std::vector<GeneSet> sets_of(const std::string& text) {
  std::istringstream in(text);
  return parse_gene_sets(in, "sets.gmt");
}

GeneNames names_of(const std::string& text) {
  std::istringstream in(text);
  return parse_gene_names(in, "names.txt");
}

template <typename Parse>
std::string refusal(Parse parse, const std::string& text) {
  try {
    parse(text);
  } catch (const MeaningFileError& e) {
    return e.what();
  }
  return "(read)";
}

TEST(GeneSetFile, ReadsSetsWithTheirDescriptionsAndGenes) {
  const std::vector<GeneSet> sets = sets_of("HALLMARK_A\thttp://x/a\tTP53\tMYC\tTP53\t\r\n\nSET B\t\tCD19\tCD79A\n");
  ASSERT_EQ(sets.size(), 2u);
  EXPECT_EQ(sets[0].name, "HALLMARK_A");
  EXPECT_EQ(sets[0].description, "http://x/a");
  EXPECT_EQ(sets[0].genes, (std::vector<std::string>{"TP53", "MYC"}));  // once each; the tab at the end holds none
  EXPECT_EQ(sets[1].name, "SET B");
  EXPECT_EQ(sets[1].description, "");
  EXPECT_EQ(sets[1].genes, (std::vector<std::string>{"CD19", "CD79A"}));
}

TEST(GeneSetFile, RefusesWhatIsNoGeneSetWithItsLine) {
  const auto parse = [](const std::string& text) { sets_of(text); };
  EXPECT_EQ(refusal(parse, "A\tdesc\tX\nB desc Y Z\n"),
            "sets.gmt: line 2: a gene set needs its name, a description and its genes, separated by tabs");
  EXPECT_EQ(refusal(parse, "A\tdesc\n"),
            "sets.gmt: line 1: a gene set needs its name, a description and its genes, separated by tabs");
  EXPECT_EQ(refusal(parse, "A\tdesc\t\t\n"), "sets.gmt: line 1: the gene set 'A' lists no gene");
  EXPECT_EQ(refusal(parse, " \tdesc\tX\n"), "sets.gmt: line 1: the gene set has no name");
  EXPECT_EQ(refusal(parse, "A\td\tX\nB\td\tY\nA\td\tZ\n"),
            "sets.gmt: line 3: the gene set 'A' is given again (first on line 1)");
  EXPECT_EQ(refusal(parse, std::string("A\td\tX\0Y\n", 9)), "sets.gmt: line 1: holds a NUL byte; is it a text file?");
  EXPECT_EQ(refusal(parse, "\n\r\n"), "sets.gmt: holds no gene set (one a line: name, description, genes)");
}

TEST(GeneNameFile, MapsTheMatrixsNamesToSymbols) {
  const GeneNames names =
      names_of("#probe\tsymbol\tdescription\r\n1000_at\tMAPK3\tkinase 3\r\n1001_at\t\r\n\n1002_at\tTIE1\n");
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names.at("1000_at").symbol, "MAPK3");
  EXPECT_EQ(names.at("1000_at").description, "kinase 3");
  EXPECT_EQ(names.at("1001_at").symbol, "");  // a probe of no known gene
  EXPECT_EQ(names.at("1002_at").description, "");
}

TEST(GeneNameFile, RefusesWhatIsNoNameWithItsLine) {
  const auto parse = [](const std::string& text) { names_of(text); };
  EXPECT_EQ(refusal(parse, "a\tA\nb\n"),
            "names.txt: line 2: a line needs the matrix's name and a symbol, separated by a tab");
  EXPECT_EQ(refusal(parse, "a\tA\td\textra\n"),
            "names.txt: line 1: more than three fields (the matrix's name, a symbol, a description)");
  EXPECT_EQ(refusal(parse, "\tA\n"), "names.txt: line 1: the matrix's name is empty");
  EXPECT_EQ(refusal(parse, "a\tA\nb\tB\na\tC\n"), "names.txt: line 3: 'a' is given again (first on line 1)");
  EXPECT_EQ(refusal(parse, "#title only\n"), "names.txt: holds no name (one a line: matrix name, symbol, description)");
}

TEST(GeneSetFile, FilesThatCannotBeReadAreNamed) {
  const test::TempDir dir;
  EXPECT_THROW(read_gene_sets(dir.path() / "missing.gmt"), MeaningFileError);
  try {
    read_gene_names(dir.path());
    ADD_FAILURE() << "a folder was read";
  } catch (const MeaningFileError& e) {
    EXPECT_EQ(std::string(e.what()), dir.path().string() + ": is a folder, not a file");
  }
}

}  // namespace
}  // namespace kova
