// Runs the real kova2 with arguments: the same files as the console way, exit statuses and
// messages, and two runs at once in one folder.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/output/output_file.hpp"
#include "tests/support/engine_process.hpp"
#include "tests/support/temp_dir.hpp"

namespace kova {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::shell_quoted;
using test::write_file;

// The real ALL matrix that tools/make-data.sh writes into the git-ignored data/ folder.
const fs::path kDataAll = fs::path(KOVA_EXAMPLES_DIR) / ".." / "data" / "ALL.txt";

std::string command_line(const std::vector<std::string>& arguments) {
  std::string line = shell_quoted(KOVA2_PATH);
  for (const std::string& argument : arguments) {
    line += ' ';
    line += shell_quoted(argument);
  }
  return line;
}

class BatchRun : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(work());
    // Run description files that would fail any console run: the batch way must not read them.
    write_file(home_ / "outinfo.txt", "garbage\r\n");
    write_file(home_ / "doutinfo.txt", "x\r\n");
  }

  fs::path work() const { return home_ / "work"; }

  // kova2 with `arguments` in the folder work(), HOME = the test's folder, nothing on stdin.
  test::EngineResult batch(const std::vector<std::string>& arguments) { return shell(command_line(arguments)); }

  test::EngineResult shell(const std::string& commands) {
    const fs::path io = home_ / "io";
    fs::create_directories(io);
    const std::string line = "cd " + shell_quoted(work().string()) +
                             " && { HOME=" + shell_quoted(home_.path().string()) + " timeout 120 sh -c " +
                             shell_quoted(commands) + " < /dev/null > " + shell_quoted((io / "out").string()) + " 2> " +
                             shell_quoted((io / "err").string()) + "; }";
    const int raw = std::system(line.c_str());
    test::EngineResult result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(io / "out"), read_file(io / "err")};
    fs::remove_all(io);
    return result;
  }

  // The console way on the same matrix and numbers, in a folder of its own.
  std::pair<std::string, std::string> console_run(const fs::path& matrix, int genes, int samples,
                                                  const std::string& threshold, const std::string& maximum) {
    const fs::path folder = home_ / "console";
    fs::create_directories(folder);
    write_file(folder / "outinfo.txt", matrix.string() + "\r\n" + (folder / "result.txt").string() + "\r\n");
    write_file(folder / "doutinfo.txt",
               std::to_string(genes) + "\r\n" + std::to_string(samples) + "\r\n" + threshold + "\r\n");
    const test::EngineResult result = test::run_engine_process(KOVA2_PATH, folder, folder, maximum + "\n", 120);
    EXPECT_EQ(result.status, 0) << result.err;
    std::pair<std::string, std::string> files{read_file(folder / "result.txt"),
                                              read_file(folder / "bicluster_report.txt")};
    fs::remove_all(folder);
    return files;
  }

  void expect_same_as_console(const fs::path& matrix, int genes, int samples, const std::string& threshold,
                              const std::vector<std::string>& extra, const std::string& maximum) {
    std::vector<std::string> arguments = {"--matrix", matrix.string(), "--output", "out.txt", "--threshold", threshold};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    const test::EngineResult result = batch(arguments);
    ASSERT_EQ(result.status, 0) << result.err;
    const auto [output, report] = console_run(matrix, genes, samples, threshold, maximum);
    EXPECT_FALSE(report.empty());
    EXPECT_EQ(read_file(work() / "out.txt"), output) << matrix;
    EXPECT_EQ(read_file(work() / "bicluster_report.txt"), report) << matrix;
  }

  test::TempDir home_;
};

TEST_F(BatchRun, GivesTheConsoleWaysFilesWithGenesAndSamplesCounted) {
  const fs::path golub = fs::path(KOVA_EXAMPLES_DIR) / "golub_500.txt";
  expect_same_as_console(golub, 500, 38, "0.9", {}, "2147483647");
  expect_same_as_console(golub, 500, 38, "0.8", {"--max", "12", "--threads", "1"}, "12");
  // The maximum as the console takes it: 0 still allows one bicluster.
  expect_same_as_console(golub, 500, 38, "0.8", {"--max", "0"}, "0");
  // Given sizes are taken as given: fewer genes than the file holds.
  expect_same_as_console(golub, 120, 38, "0.85", {"--genes", "120", "--samples", "38"}, "2147483647");
  ASSERT_TRUE(fs::exists(kDataAll)) << "no " << kDataAll << ": run bash tools/make-data.sh";
  expect_same_as_console(kDataAll, 12625, 128, "0.9", {"--quiet"}, "2147483647");
  EXPECT_EQ(read_file(home_ / "outinfo.txt"), "garbage\r\n");
}

TEST_F(BatchRun, TwoRunsAtOnceInOneFolderBothComplete) {
  const std::string golub = (fs::path(KOVA_EXAMPLES_DIR) / "golub_500.txt").string();
  const std::string first = command_line(
      {"--matrix", golub, "--output", "a.txt", "--report", "a_report.txt", "--threshold", "0.8", "--quiet"});
  const std::string second = command_line(
      {"--matrix", golub, "--output", "b.txt", "--report", "b_report.txt", "--threshold", "0.9", "--quiet"});
  const test::EngineResult result =
      shell(first + " & a=$!; " + second + " & b=$!; wait $a || exit 11; wait $b || exit 12");
  ASSERT_EQ(result.status, 0) << result.err;
  const auto [a_output, a_report] = console_run(golub, 500, 38, "0.8", "2147483647");
  const auto [b_output, b_report] = console_run(golub, 500, 38, "0.9", "2147483647");
  EXPECT_EQ(read_file(work() / "a.txt"), a_output);
  EXPECT_EQ(read_file(work() / "a_report.txt"), a_report);
  EXPECT_EQ(read_file(work() / "b.txt"), b_output);
  EXPECT_EQ(read_file(work() / "b_report.txt"), b_report);
  EXPECT_NE(a_output, b_output);
  EXPECT_FALSE(fs::exists(work() / "bicluster_report.txt"));
}

// A report that another run holds: refused with what to do in a batch run, and nothing changed.
TEST_F(BatchRun, AReportAnotherRunHoldsIsRefusedWithHowToNameAnother) {
  write_file(work() / "old.txt", "earlier results");
  write_file(work() / "held_report.txt", "another run's report");
  const std::unique_ptr<OutputFile> held = OutputFile::open_locked(work() / "held_report.txt");
  const std::string golub = (fs::path(KOVA_EXAMPLES_DIR) / "golub_500.txt").string();
  const test::EngineResult refused =
      batch({"--matrix", golub, "--output", "old.txt", "--report", "held_report.txt", "--threshold", "0.9", "--quiet"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "kova2: error: another kova2 run is writing its report '" +
                             (work() / "held_report.txt").string() +
                             "'; wait until it has ended, or name another report with --report FILE\r\n");
  EXPECT_EQ(read_file(work() / "old.txt"), "earlier results");
  EXPECT_EQ(read_file(work() / "held_report.txt"), "another run's report");
}

TEST_F(BatchRun, TheReportGoesBesideTheOutputAndTheClosingLineToStandardError) {
  fs::create_directories(work() / "results");
  const std::string matrix = (fs::path(KOVA_EXAMPLES_DIR) / "worked_example.txt").string();
  const test::EngineResult result = batch({"--matrix", matrix, "--output", "results/worked.txt", "--threshold", "0.9"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "kova2: 3 biclusters written to 'results/worked.txt' and '" +
                            (work() / "results" / "bicluster_report.txt").string() + "'\r\n");
  EXPECT_NE(read_file(work() / "results" / "bicluster_report.txt").find("Bicluster3\t2\t3\t6\r\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(work() / "bicluster_report.txt"));

  const test::EngineResult quiet =
      batch({"--matrix", matrix, "--output", "quiet.txt", "--threshold", "0.9", "--max", "1", "--quiet"});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out + quiet.err, "");
  EXPECT_EQ(read_file(work() / "quiet.txt"),
            "3\t5\r\nsample1, sample2, sample3, sample4, sample5, \r\ng1\tg2\tg4\t\r\n");
}

TEST_F(BatchRun, ExitStatusesTellDoneFailedAndWrongArguments) {
  const test::EngineResult help = batch({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: kova2 --matrix FILE", 0), 0u) << help.out;
  EXPECT_EQ(help.err, "");
  const test::EngineResult version = batch({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "kova2 1.0.0\r\n");

  const test::EngineResult wrong = batch({"--matrix", "m.txt", "--threshold", "0.9"});
  EXPECT_EQ(wrong.status, 2);
  EXPECT_EQ(wrong.out, "");
  EXPECT_EQ(wrong.err.rfind("kova2: error: --output is missing\r\nusage: kova2 ", 0), 0u) << wrong.err;

  // A threshold typed as a percentage is refused at once: the output file already there stays whole.
  write_file(work() / "kept.txt", "results of an earlier run\r\n");
  const test::EngineResult percent = batch({"--matrix", "none.txt", "--output", "kept.txt", "--threshold", "85"});
  EXPECT_EQ(percent.status, 2);
  EXPECT_EQ(percent.err.rfind("kova2: error: the correlation threshold 85 lies outside -1 to 1: did you mean 0.85?\r\n"
                              "usage: kova2 ",
                              0),
            0u)
      << percent.err;
  EXPECT_EQ(read_file(work() / "kept.txt"), "results of an earlier run\r\n");

  const test::EngineResult missing = batch({"--matrix", "none.txt", "--output", "o.txt", "--threshold", "0.9"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "kova2: error: cannot open input matrix 'none.txt': No such file or directory\r\n");
  EXPECT_FALSE(fs::exists(work() / "o.txt"));
}

TEST_F(BatchRun, UnevenLinesAskForGenesAndSamplesAndTheInputIsNeverOverwritten) {
  write_file(work() / "uneven.txt", "g1 1 2 3 4\ng2 1 2 3\ng3 4 3 2 1\n");
  write_file(work() / "o.txt", "earlier results");
  const test::EngineResult uneven = batch({"--matrix", "uneven.txt", "--output", "o.txt", "--threshold", "0.9"});
  EXPECT_EQ(uneven.status, 1);
  EXPECT_EQ(uneven.err,
            "kova2: error: cannot count the genes and samples of input matrix 'uneven.txt': line 2 holds 3 values, "
            "but line 1 holds 4; give them with --genes and --samples\r\n");
  EXPECT_EQ(read_file(work() / "o.txt"), "earlier results");

  // Text in another encoding is named as such, not as lines that disagree.
  write_file(work() / "utf16.txt", std::string("\xff\xfeg\0001\0\n\0", 8));
  const test::EngineResult utf16 = batch({"--matrix", "utf16.txt", "--output", "o.txt", "--threshold", "0.9"});
  EXPECT_EQ(utf16.status, 1);
  EXPECT_NE(utf16.err.find("input matrix 'utf16.txt': it is UTF-16 text"), std::string::npos) << utf16.err;

  // Given sizes meet the console way's loading checks.
  const test::EngineResult given =
      batch({"--matrix", "uneven.txt", "--output", "o.txt", "--threshold", "0.9", "--genes", "3", "--samples", "4"});
  EXPECT_EQ(given.status, 1);
  EXPECT_NE(given.err.find("line 2 holds a name and 3 values; the run says 4 samples"), std::string::npos) << given.err;

  for (const std::string output : {"uneven.txt", "./uneven.txt"}) {
    const test::EngineResult same =
        batch({"--matrix", "uneven.txt", "--output", output, "--threshold", "0.9", "--genes", "2", "--samples", "5"});
    EXPECT_EQ(same.status, 1);
    EXPECT_NE(same.err.find("is the input matrix; refusing to overwrite it"), std::string::npos) << same.err;
  }
  const test::EngineResult report_is_input =
      batch({"--matrix", "uneven.txt", "--output", "o.txt", "--report", "uneven.txt", "--threshold", "0.9", "--genes",
             "2", "--samples", "5"});
  EXPECT_EQ(report_is_input.status, 1);
  EXPECT_EQ(read_file(work() / "uneven.txt"), "g1 1 2 3 4\ng2 1 2 3\ng3 4 3 2 1\n");
}

}  // namespace
}  // namespace kova
