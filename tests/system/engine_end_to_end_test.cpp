// Runs the real kova2 binary with HOME in a temporary folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/engine_process.hpp"
#include "tests/support/temp_dir.hpp"

namespace kova {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::write_file;

const std::string kWorkedOutput =
    "3\t5\r\nsample1, sample2, sample3, sample4, sample5, \r\ng1\tg2\tg4\t\r\n"
    "2\t3\r\nsample2, sample4, sample5, \r\ng1\tg3\t\r\n"
    "2\t3\r\nsample1, sample3, sample5, \r\ng1\tg5\t\r\n";
const std::string kWorkedReport =
    "Bicluster\tNo. of rows\tNo. of columns\tSize\r\n"
    "Bicluster1\t3\t5\t15\r\nBicluster2\t2\t3\t6\r\nBicluster3\t2\t3\t6\r\n"
    "gene in number of Bicluster\r\n3\t1\t1\t1\t1\t\r\n"
    "samples in number of Bicluster\r\n2\t2\t2\t2\t3\t\r\n";

class EngineRun : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(work());
    fs::copy_file(fs::path(KOVA_EXAMPLES_DIR) / "worked_example.txt", matrix());
  }

  fs::path matrix() const { return home_ / "matrix.txt"; }
  fs::path output() const { return home_ / "result.txt"; }
  fs::path work() const { return home_ / "work"; }
  fs::path report() const { return work() / "bicluster_report.txt"; }

  void describe(const std::string& outinfo, const std::string& doutinfo = "5\r\n5\r\n0.9\r\n") {
    write_file(home_ / "outinfo.txt", outinfo);
    write_file(home_ / "doutinfo.txt", doutinfo);
  }
  void describe_default() { describe(matrix().string() + "\r\n" + output().string() + "\r\n"); }

  test::EngineResult run(const std::string& typed = "10\n") {
    return test::run_engine_process(KOVA2_PATH, home_.path(), work(), typed);
  }

  // The run failed with one error line holding `fragment`, and the matrix is untouched.
  void expect_error(const test::EngineResult& result, const std::string& fragment) {
    EXPECT_NE(result.status, 0);
    EXPECT_EQ(result.err.rfind("kova2: error: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(fragment), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line expected: " << result.err;
    EXPECT_EQ(read_file(matrix()), read_file(fs::path(KOVA_EXAMPLES_DIR) / "worked_example.txt"));
  }

  test::TempDir home_;
};

TEST_F(EngineRun, WorkedExampleComesOutByteForByte) {
  describe_default();
  const test::EngineResult result = run();
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(read_file(output()), kWorkedOutput);
  EXPECT_EQ(read_file(report()), kWorkedReport);
  EXPECT_EQ(result.out, "Enter maximum number of biclusters\r\nkova2: 3 biclusters written to '" + output().string() +
                            "' and '" + report().string() + "'\r\n");
  EXPECT_EQ(result.err, "");
}

TEST_F(EngineRun, PathsWithBlanksAndPiecesLongerThanFiftyOneCharacters) {
  const fs::path folder = home_ / ("a folder  with\tblanks " + std::string(80, 'x'));
  fs::create_directories(home_ / ("a folder with blanks " + std::string(80, 'x')));
  const fs::path real_folder = home_ / ("a folder with blanks " + std::string(80, 'x'));
  fs::copy_file(matrix(), real_folder / "matrix.txt");
  describe("  " + folder.string() + "/matrix.txt\r\n" + folder.string() + "/result.txt\r\n");
  const test::EngineResult result = run();
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(read_file(real_folder / "result.txt"), kWorkedOutput);
}

TEST_F(EngineRun, ANonIntegerAnswerIsAskedAgain) {
  describe_default();
  const test::EngineResult result = run("lots\n2\n");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("Please type a whole number"), std::string::npos);
  EXPECT_NE(read_file(report()).find("Bicluster2\t2\t3\t6\r\ngene in"), std::string::npos);
}

TEST_F(EngineRun, AZeroAnswerStillWritesTheWholeReport) {
  describe_default();
  const test::EngineResult result = run("0\n");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(read_file(report()),
            "Bicluster\tNo. of rows\tNo. of columns\tSize\r\nBicluster1\t3\t5\t15\r\n"
            "gene in number of Bicluster\r\n1\t1\t0\t1\t0\t\r\nsamples in number of Bicluster\r\n1\t1\t1\t1\t1\t\r\n");
}

TEST_F(EngineRun, TheEndOfStandardInputEndsTheRunWithoutASearch) {
  describe_default();
  const test::EngineResult result = run("");
  expect_error(result, "console input ended");
  EXPECT_EQ(read_file(output()), "");
  EXPECT_EQ(read_file(report()), "Bicluster\tNo. of rows\tNo. of columns\tSize\r\n");
}

TEST_F(EngineRun, MissingRunDescriptionFilesAreNamed) {
  expect_error(
      run(), "cannot open run description file '" + (home_ / "outinfo.txt").string() + "': No such file or directory");
  write_file(home_ / "outinfo.txt", matrix().string() + "\r\n" + output().string() + "\r\n");
  expect_error(run(), "cannot open run description file '" + (home_ / "doutinfo.txt").string() + "'");
  EXPECT_FALSE(fs::exists(output()));
}

TEST_F(EngineRun, APathWithoutAFullStopRunsIntoTheEndOfTheFile) {
  describe(matrix().string() + "\r\n" + (home_ / "result").string() + "\r\n");
  expect_error(run(), "ends before the output path is complete");
  describe("/data/genes\r\n/out/result\r\n");
  expect_error(run(), "ends before the input path is complete");
  describe("");
  expect_error(run(), "ends before the input path is complete");
}

TEST_F(EngineRun, BadSizesAreRefusedBeforeAnythingIsTruncated) {
  write_file(output(), "previous results");
  const std::string outinfo = matrix().string() + "\r\n" + output().string() + "\r\n";
  describe(outinfo, "five\r\n5\r\n0.9\r\n");
  expect_error(run(), "the number of genes 'five' is not a whole number");
  describe(outinfo, "5\r\n5\r\n");
  expect_error(run(), "the correlation threshold is missing");
  describe(outinfo, "-5\r\n5\r\n0.9\r\n");
  expect_error(run(), "the number of genes is negative");
  describe(outinfo, "5\r\n-1\r\n0.9\r\n");
  expect_error(run(), "the number of samples is negative");
  describe(outinfo, "5\r\n99999999999\r\n0.9\r\n");
  expect_error(run(), "does not fit a 32-bit integer");
  EXPECT_EQ(read_file(output()), "previous results");
}

TEST_F(EngineRun, AMatrixTooLargeForTheMachineIsRefusedBeforeLoading) {
  describe_default();
  describe(matrix().string() + "\r\n" + output().string() + "\r\n", "2000000000\r\n1\r\n0.9\r\n");
  expect_error(run(), "more than this machine's");
  describe(matrix().string() + "\r\n" + output().string() + "\r\n", "100000\r\n100000\r\n0.9\r\n");
  expect_error(run(), "at most 2147483647 values");
}

TEST_F(EngineRun, AMissingInputMatrixIsNamed) {
  describe((home_ / "nothing.txt").string() + "\r\n" + output().string() + "\r\n");
  expect_error(run(), "cannot open input matrix '" + (home_ / "nothing.txt").string() + "': No such file or directory");
  EXPECT_FALSE(fs::exists(output()));
}

TEST_F(EngineRun, AnOutputPathThatNamesTheInputIsRefused) {
  fs::create_symlink(matrix(), home_ / "link.txt");
  fs::create_hard_link(matrix(), home_ / "hard.txt");
  for (const fs::path& same :
       {matrix(), home_ / "work" / ".." / "matrix.txt", home_ / "link.txt", home_ / "hard.txt"}) {
    describe(matrix().string() + "\r\n" + same.string() + "\r\n");
    expect_error(run(), "is the input matrix; refusing to overwrite it");
  }
}

TEST_F(EngineRun, AnInputMatrixNamedLikeTheReportIsNotOverwritten) {
  fs::copy_file(matrix(), report());
  describe(report().string() + "\r\n" + output().string() + "\r\n");
  expect_error(run(), "the report '" + std::string("bicluster_report.txt") + "' is the input matrix");
  EXPECT_EQ(read_file(report()), read_file(matrix()));
}

TEST_F(EngineRun, OutputAndReportCannotBeOneFile) {
  describe(matrix().string() + "\r\n" + report().string() + "\r\n");
  expect_error(run(), "is the report; refusing to overwrite it");
}

TEST_F(EngineRun, AnOutputFileThatCannotBeCreatedIsNamed) {
  describe(matrix().string() + "\r\n" + (home_ / "no such folder" / "r.txt").string() + "\r\n");
  expect_error(run(), "cannot create '" + (home_ / "no such folder" / "r.txt").string() + "'");
}

TEST_F(EngineRun, AFailedWriteIsNeverReportedAsSuccess) {
  fs::create_symlink("/dev/full", home_ / "full.txt");
  describe(matrix().string() + "\r\n" + (home_ / "full.txt").string() + "\r\n");
  const test::EngineResult result = run();
  expect_error(result, "cannot write '" + (home_ / "full.txt").string() +
                           "': No space left on device; the results are incomplete");
  EXPECT_EQ(result.out.find("biclusters written"), std::string::npos);
}

TEST_F(EngineRun, AnEarlyEndOfTheMatrixLeavesEmptyNamesAndZeros) {
  write_file(matrix(), "g1\t1\t2\t3\ng2\t2\t4\t6\n");
  describe(matrix().string() + "\r\n" + output().string() + "\r\n", "4\r\n3\r\n0.9\r\n");
  const test::EngineResult result = run();
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(read_file(output()), "2\t3\r\nsample1, sample2, sample3, \r\ng1\tg2\t\r\n");
  EXPECT_NE(read_file(report()).find("\r\n1\t1\t0\t0\t\r\n"), std::string::npos);
}

TEST_F(EngineRun, OnlyAConsoleWindowWaitsForEnterBeforeClosing) {
  describe_default();
  EXPECT_EQ(run().out.find("Press Enter to close"), std::string::npos);  // piped: never waits (console_window_test)
}

}  // namespace
}  // namespace kova
