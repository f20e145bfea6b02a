#include "viewer/core/run_data.hpp"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.hpp"
#include "tests/viewer/written_run.hpp"

namespace kova::viewer {
namespace {

std::string message_of(const RunFiles& files) {
  try {
    load_run(files);
  } catch (const std::exception& error) {
    return error.what();
  }
  return "(opened)";
}

TEST(RunData, MapsTheBiclustersOntoTheMatrixRows) {
  test::TempDir dir;
  const RunFiles files = test::write_run(dir.path(), test::kWorkedRows, 0.9);
  const LoadedRun run = load_run(files);
  EXPECT_EQ(run.gene_rows, (std::vector<std::vector<std::int32_t>>{{0, 1, 3}, {0, 2}, {0, 4}}));
  EXPECT_EQ(run.sample_counts, (std::vector<std::int32_t>{2, 2, 2, 2, 3}));
  EXPECT_TRUE(run.counts_from_report);
  EXPECT_TRUE(run.report_note.empty());
  EXPECT_EQ(run.table[3].name, "g4");
  EXPECT_EQ(run.table.row(1)[4], 11.0);
}

TEST(RunData, AMatrixSmallerThanTheRunIsRefusedWithFileAndLine) {
  test::TempDir dir;
  const RunFiles files = test::write_run(dir.path(), test::kWorkedRows, 0.9);
  const struct {
    std::string matrix;
    const char* says;
  } cases[] = {
      {"g1\t1\t2\t3\t4\t5\ng2\t2\t4\t6\t8\t11\ng3\t5\t1\t4\t2\t3\n", "line 3: the file ends in gene 4 of 5"},
      {test::matrix_text(test::kWorkedRows).substr(0, test::matrix_text(test::kWorkedRows).size() - 3),
       "line 5: the file ends in gene 5 of 5"},
      {"g1 1 2 3 4 5 g2 2 4 6 8 11 g3 5 1 4 2 3 g4 1 3 3 4 6 g5 3 1 4 1", "line 1: the file ends in gene 5 of 5"},
  };
  for (const auto& bad : cases) {
    test::write_file(files.matrix, bad.matrix);
    const std::string message = message_of(files);
    EXPECT_NE(message.find("'" + files.matrix.string() + "' " + bad.says), std::string::npos) << message;
    EXPECT_NE(message.find("smaller than the run says"), std::string::npos) << message;
  }
}

TEST(RunData, OnlyAnEarlyEndCountsAsShort) {
  test::TempDir dir;
  RunFiles files = test::write_run(dir.path(), test::kWorkedRows, 0.9);
  // Surplus pieces are never read: the engine's warning, no early end.
  test::write_file(files.matrix, test::matrix_text(test::kWorkedRows) + "g6 1 2 3 4 5\n");
  EXPECT_EQ(message_of(files), "(opened)");
  EXPECT_EQ(load_run(files).matrix_warnings,
            std::vector<std::string>{"'" + files.matrix.string() +
                                     "': only the first 5 of its 6 lines were read: the run says 5 genes"});
  files.genes = 2;
  files.samples = 5;
  test::write_file(files.output, "");
  test::write_file(files.report, "");
  files.report.clear();
  test::write_file(files.matrix, "g1 1 2 3 4 5\ng2 1 2 3 4 5");
  EXPECT_TRUE(load_run(files).matrix_warnings.empty());
  test::write_file(files.matrix, "g1 1 2 3 4 5\ng2 1 2 3 4 5");
  EXPECT_EQ(message_of(files), "(opened)");
}

TEST(RunData, MatricesTheEngineRefusesAreRefusedWithTheEnginesReason) {
  test::TempDir dir;
  RunFiles files = test::write_run(dir.path(), test::kWorkedRows, 0.9);
  const std::string quoted = "'" + files.matrix.string() + "': ";
  test::write_file(files.matrix, "Gene S1 S2 S3 S4 S5\n" + test::matrix_text(test::kWorkedRows));
  EXPECT_EQ(message_of(files), quoted + "line 1, piece 2: 'S1' is no number: is line 1 a header? remove it");
  test::write_file(files.matrix, "g1 1 2 NA 4 5\n");
  EXPECT_EQ(
      message_of(files),
      quoted + "line 1, piece 4: 'NA' is no number: a missing value? write - or 0 in its place (both are read as 0)");
  test::write_file(files.matrix, "");
  EXPECT_EQ(message_of(files), quoted + "it holds nothing, but the run says 5 genes: is it the right file?");
}

TEST(RunData, ResultsThatDoNotFitTheMatrixAreRefused) {
  test::TempDir dir;
  const RunFiles files = test::write_run(dir.path(), test::kWorkedRows, 0.9);
  test::write_file(files.output, "2\t3\r\nsample1, sample2, sample3, \r\ng1\tg9\t\r\n");
  EXPECT_NE(message_of(files).find("line 3: gene 'g9' of bicluster 1 is not in '" + files.matrix.string() + "'"),
            std::string::npos)
      << message_of(files);
  test::write_file(files.output, "2\t3\r\nsample1, sample2, sample6, \r\ng1\tg2\t\r\n");
  EXPECT_NE(message_of(files).find("line 2: bicluster 1 lists sample6, the run has 5 samples"), std::string::npos)
      << message_of(files);
  test::write_file(files.output, "2\t3\r\nsample1, sample2, sample3, \r\ng1\tg2");
  EXPECT_NE(message_of(files).find("'" + files.output.string() + "' line 3: the file ends inside"), std::string::npos)
      << message_of(files);

  RunFiles missing = files;
  missing.output = dir.path() / "none.txt";
  EXPECT_EQ(message_of(missing), "cannot open '" + missing.output.string() + "'");
  missing = files;
  missing.samples = -2;
  EXPECT_NE(message_of(missing).find("must not be negative"), std::string::npos);
}

TEST(RunData, CountsTheGenesAndSamplesThatAreNotGiven) {
  test::TempDir dir;
  RunFiles files = test::write_run(dir.path(), test::kWorkedRows, 0.9);
  files.genes = kCountFromMatrix;
  files.samples = kCountFromMatrix;
  const LoadedRun run = load_run(files);
  EXPECT_EQ(run.files.genes, 5);
  EXPECT_EQ(run.files.samples, 5);
  EXPECT_EQ(run.table.genes(), 5);
  EXPECT_TRUE(run.counts_from_report);  // the report is checked against the counted run

  // Ragged lines: the engine's reason, and what to do.
  test::write_file(files.matrix, "g1\t1\t2\t3\ng2\t1\t2\n");
  const std::string message = message_of(files);
  EXPECT_NE(message.find(files.matrix.string()), std::string::npos) << message;
  EXPECT_NE(message.find("give the run's genes and samples"), std::string::npos) << message;
}

TEST(RunData, AReportOfAnotherRunIsSetAsideAndTheOutputCounts) {
  test::TempDir dir;
  const RunFiles files = test::write_run(dir.path(), test::kWorkedRows, 0.9);
  test::TempDir other;
  const RunFiles two = test::write_run(other.path(), test::kWorkedRows, 0.9, 2);
  RunFiles mixed = files;
  mixed.report = two.report;
  const LoadedRun run = load_run(mixed);
  EXPECT_FALSE(run.counts_from_report);
  EXPECT_NE(run.report_note.find("it lists 2 biclusters, the output file 3"), std::string::npos) << run.report_note;
  EXPECT_EQ(run.sample_counts, (std::vector<std::int32_t>{2, 2, 2, 2, 3}));

  test::write_file(two.report, "not a report\r\n");
  EXPECT_NE(load_run(mixed).report_note.find("not a bicluster report"), std::string::npos);
  mixed.report = other.path() / "gone.txt";
  EXPECT_NE(load_run(mixed).report_note.find("cannot open"), std::string::npos);
}

TEST(RunData, TheReportIsLookedForBesideTheOutputFirst) {
  test::TempDir output_folder;
  test::TempDir current;
  const std::filesystem::path output = output_folder / "result.txt";
  EXPECT_EQ(find_report(output, current.path()), std::filesystem::path());
  test::write_file(current / "bicluster_report.txt", "x");
  EXPECT_EQ(find_report(output, current.path()), current / "bicluster_report.txt");
  test::write_file(output_folder / "bicluster_report.txt", "x");
  EXPECT_EQ(find_report(output, current.path()), output_folder / "bicluster_report.txt");
}

}  // namespace
}  // namespace kova::viewer
