#include "viewer/core/run_meaning.hpp"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.hpp"
#include "tests/viewer/written_run.hpp"
#include "viewer/core/list_filter.hpp"

namespace kova::viewer {
namespace {

std::string significance_error(std::string_view text) {
  try {
    parse_significance(text, "r.significance.tsv", 3);
  } catch (const MeaningFileError& error) {
    return error.what();
  }
  return "(read)";
}

TEST(RunMeaning, ReadsSignificanceWhateverTheOrderOfItsColumns) {
  const auto rated = parse_significance(
      "# kova2 --significance 200 --seed 7\r\nexpected\tp_value\tgenes\tbicluster\r\n0.5\t0.0049751\t3\t1\r\n"
      "2\t1\t2\t3\r\n",
      "r.significance.tsv", 3);
  ASSERT_EQ(rated.size(), 3u);
  ASSERT_TRUE(rated[0]);
  EXPECT_EQ(rated[0]->p_value, 0.0049751);
  EXPECT_EQ(rated[0]->expected, 0.5);
  EXPECT_FALSE(rated[1]);
  EXPECT_EQ(rated[2]->p_value, 1.0);

  const struct {
    const char* text;
    const char* says;
  } cases[] = {
      {"", "'r.significance.tsv': holds no title line"},
      {"bicluster\tp\n1\t0.5\n", "line 1: the title line must name the columns 'bicluster' and 'p_value'"},
      {"bicluster\tp_value\n1\t1.5\n", "line 2: '1.5' is no p-value between 0 and 1"},
      {"bicluster\tp_value\n\n4\t0.5\n", "line 3: bicluster 4, the output file holds 3; is it the file of another run?"},
      {"bicluster\tp_value\n0\t0.5\n", "line 2: '0' is no bicluster number"},
      {"bicluster\tp_value\n1\t0.5\n1\t0.5\n", "line 3: bicluster 1 is given again"},
      {"p_value\texpected\tbicluster\n0.5\t1\n", "line 2: the line has 2 fields, the title 3"},
      {"bicluster\tp_value\texpected\n1\t0.5\t-1\n", "line 2: '-1' is no expected number"},
  };
  for (const auto& bad : cases) {
    EXPECT_NE(significance_error(bad.text).find(bad.says), std::string::npos) << significance_error(bad.text);
  }
}

// The worked run: bicluster 1 is g1, g2, g4 over all five samples; 2 is g1, g3 over samples 2, 4
// and 5; 3 is g1, g5 over 1, 3 and 5.
class RunMeaningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    run_ = load_run(test::write_run(dir_.path(), test::kWorkedRows, 0.9));
    annotation_.class_titles = {"type"};
    annotation_.classes = {{"case", "control", "case", "control", "control"}};
  }
  test::TempDir dir_;
  LoadedRun run_;
  SampleAnnotation annotation_;
};

TEST_F(RunMeaningTest, FindsTheBestSetAndClassAndListsThem) {
  RunMeaning meaning;
  // The universe is g2..g5 (g1 is in no set). Bicluster 1 draws g2 and g4, both of SET_A's two:
  // p = C(2,2) C(2,0) / C(4,2) = 1/6.
  enrich(run_, nullptr, {{"SET_A", "", {"g2", "g4", "gX"}}, {"SET_B", "", {"g3", "g5"}}}, "sets.gmt", meaning);
  meaning.classes = sample_classes(annotation_, members_of(run_));
  ASSERT_EQ(meaning.enrichment.size(), 3u);

  const MeaningSummary first = summarise(meaning, 0);
  ASSERT_NE(first.best_set, nullptr);
  EXPECT_EQ(meaning.sets[static_cast<std::size_t>(first.best_set->set)].name, "SET_A");
  EXPECT_NEAR(first.best_set->p_value, 1.0 / 6, 1e-15);
  EXPECT_FALSE(first.p_value);
  // Bicluster 2's samples 2, 4 and 5 are the three controls: p = 1 / C(5,3).
  const MeaningSummary second = summarise(meaning, 1);
  ASSERT_NE(second.best_class, nullptr);
  EXPECT_EQ(second.best_class->level, "control");
  EXPECT_NEAR(second.best_class->p_value, 0.1, 1e-15);
  EXPECT_EQ(best_class_text(annotation_, second), "type control: 3 of 3 (q 0.2)");
  EXPECT_EQ(best_set_text(meaning, second).substr(0, 9), "SET_B (q ");

  const GeneSymbols symbols = symbols_for(run_, {{"g2", {"TP53", ""}}}, "names.tsv");
  const std::string text = meaning_text(run_, meaning, 0, &annotation_, &symbols, 1.0);
  EXPECT_NE(text.find("Significance: not tested (kova2 --significance N writes result.txt.significance.tsv"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("  SET_A: 2 of its 2 genes in sets, set of 2 (universe 4), p 0.17, q "), std::string::npos) << text;
  EXPECT_NE(text.find(": TP53 g4\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  type case: 2 of 5 (2 of 5 in the matrix), p 1, q 1\n"), std::string::npos) << text;
  EXPECT_NE(meaning_text(run_, meaning, 0, nullptr, nullptr, 0.01).find("with q at most 0.01:\n  none; the best:\n  SET_A: "),
            std::string::npos);
}

TEST_F(RunMeaningTest, ReadsTheSignificanceBesideTheOutputAndFiltersByIt) {
  RunMeaning meaning;
  read_significance_beside(run_, meaning);
  EXPECT_TRUE(meaning.significance_file.empty());
  test::write_file(significance_file_for(run_.files.output), "bicluster\tp_value\texpected\n1\t0.01\t0.02\n3\t0.6\t3\n");
  read_significance_beside(run_, meaning);
  EXPECT_EQ(meaning.significance_file, dir_.path() / "result.txt.significance.tsv");
  EXPECT_EQ(meaning.p_value(0), 0.01);
  EXPECT_FALSE(meaning.p_value(1));
  EXPECT_NE(meaning_text(run_, meaning, 0, nullptr, nullptr).find("p = 0.01, 0.02 biclusters as large per null run"),
            std::string::npos);

  meaning.classes = sample_classes(annotation_, members_of(run_));
  ListFilter filter;
  filter.most_p = 0.05;
  const auto kept = [&](std::size_t index) {
    const MeaningSummary summary = summarise(meaning, index);
    return passes(filter, run_.biclusters[index], nullptr, nullptr, &summary);
  };
  EXPECT_TRUE(kept(0));
  EXPECT_FALSE(kept(1));  // not tested
  EXPECT_FALSE(kept(2));
  filter.most_p.reset();
  filter.most_class_q = 0.2;  // Benjamini-Hochberg over the column's two classes: 0.1 x 2
  EXPECT_FALSE(kept(0));
  EXPECT_TRUE(kept(1));
  filter.most_set_q = 0.5;  // no sets open: no bicluster has a best set
  EXPECT_FALSE(kept(1));
}

TEST_F(RunMeaningTest, SetsThatNoGeneOfTheMatrixIsInAreRefusedNamingTheFile) {
  RunMeaning meaning;
  try {
    enrich(run_, nullptr, {{"SET_A", "", {"TP53"}}}, "hallmark.gmt", meaning);
    FAIL() << "enriched in sets that hold no gene of the matrix";
  } catch (const MeaningFileError& error) {
    EXPECT_EQ(std::string(error.what()).rfind("'hallmark.gmt': no name of the matrix is a gene of any set", 0), 0u)
        << error.what();
  }
  EXPECT_TRUE(meaning.sets_file.empty());
}

}  // namespace
}  // namespace kova::viewer
