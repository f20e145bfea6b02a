// Injected faults and hostile inputs, each run through the real kova2: run description files and
// matrices that are folders, devices, empty, cut off or oversized; result files that cannot be
// written; runs killed half way. Every failing run must end with one error line and status 1 (or
// by the signal), never hang, never touch the input, and never leave a report that looks like a
// complete run: only a complete run's report ends with its membership lines.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/platform/platform.hpp"
#include "tests/support/engine_process.hpp"
#include "tests/support/temp_dir.hpp"

namespace kova {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::write_file;

const std::string kMembershipTitle = "gene in number of Bicluster";

class EngineFault : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(work());
    fs::copy_file(fs::path(KOVA_EXAMPLES_DIR) / "worked_example.txt", matrix());
    matrix_bytes_ = read_file(matrix());
  }

  fs::path matrix() const { return home_ / "matrix.txt"; }
  fs::path output() const { return home_ / "result.txt"; }
  fs::path work() const { return home_ / "work"; }
  fs::path report() const { return work() / "bicluster_report.txt"; }
  fs::path outinfo() const { return home_ / "outinfo.txt"; }
  fs::path doutinfo() const { return home_ / "doutinfo.txt"; }

  void describe(const fs::path& input, const fs::path& out, const std::string& sizes = "5\r\n5\r\n0.9\r\n") {
    write_file(outinfo(), input.string() + "\r\n" + out.string() + "\r\n");
    write_file(doutinfo(), sizes);
  }

  test::EngineResult run(const std::string& setup = "", const fs::path& cwd = {}) {
    return test::run_engine_process(KOVA2_PATH, home_.path(), cwd.empty() ? work() : cwd, "10\n", 30, setup);
  }

  // One error line holding `fragment`, status 1, no summary, the matrix untouched.
  void expect_error(const test::EngineResult& result, const std::string& fragment) {
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("kova2: error: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(fragment), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line expected: " << result.err;
    EXPECT_EQ(result.out.find("written to"), std::string::npos) << result.out;
    EXPECT_EQ(read_file(matrix()), matrix_bytes_);
  }

  void expect_no_membership_lines() {
    EXPECT_EQ(read_file(report()).find(kMembershipTitle), std::string::npos) << read_file(report());
  }

  // A complete earlier run, so that a later failed run has something to leave looking complete.
  void complete_run_first() {
    describe(matrix(), output());
    ASSERT_EQ(run().status, 0);
    ASSERT_NE(read_file(report()).find(kMembershipTitle), std::string::npos);
  }

  test::TempDir home_;
  std::string matrix_bytes_;
};

struct DescriptionCase {
  const char* what;
  std::string outinfo;  // "{m}" stands for the matrix path, "{o}" for the output path
  std::string doutinfo;
  std::string fragment;  // in the error line
};

std::string filled(std::string text, const fs::path& matrix, const fs::path& output) {
  for (auto [key, value] :
       {std::pair{std::string("{m}"), matrix.string()}, std::pair{std::string("{o}"), output.string()}}) {
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key))
      text.replace(at, key.size(), value);
  }
  return text;
}

// Broken run description files are refused before any result file is created or truncated.
TEST_F(EngineFault, BrokenRunDescriptionFilesAreRefusedAndTouchNothing) {
  const std::string paths = "{m}\r\n{o}\r\n";
  const std::string sizes = "5\r\n5\r\n0.9\r\n";
  const std::vector<DescriptionCase> cases = {
      {"empty second file", paths, "", "the number of genes is missing"},
      {"cut off after a sign", paths, "5\r\n5\r\n-", "the correlation threshold '-' is not a number"},
      {"cut off after a full stop", paths, "5\r\n5\r\n.", "the correlation threshold '.' is not a number"},
      {"cut off inside the samples", paths, "5\r\n+", "the number of samples '+' is not a whole number"},
      {"NUL byte after the genes", paths, std::string("5\0\r\n5\r\n0.9\r\n", 11),
       "the number of genes '5?' is not a whole number"},
      {"NUL byte as the threshold", paths, std::string("5\r\n5\r\n\0.9\r\n", 10),
       "the correlation threshold '?.9' is not a number"},
      {"NUL byte in a path", std::string("{m}\0x.txt\r\n{o}\r\n", 16), sizes, "holds a NUL byte"},
      {"genes beyond 32 bits", paths, "2147483648\r\n5\r\n0.9\r\n",
       "the number of genes '2147483648' does not fit a 32-bit integer"},
      {"genes below 32 bits", paths, "-2147483649\r\n5\r\n0.9\r\n",
       "the number of genes '-2147483649' does not fit a 32-bit integer"},
      // 2^32 + 5 would wrap to a plausible 5 samples
      {"samples that would wrap", paths, "5\r\n4294967301\r\n0.9\r\n",
       "the number of samples '4294967301' does not fit a 32-bit integer"},
      {"twenty digits", paths, "5\r\n99999999999999999999\r\n0.9\r\n", "does not fit a 32-bit integer"},
      {"a threshold cut off inside its exponent", paths, "5\r\n5\r\n0.9e",
       "the correlation threshold '0.9e' is not a number: a number followed by other characters"},
      {"a threshold of 100000 digits", paths, "5\r\n5\r\n0." + std::string(100000, '9'), "is too long to be a number"},
      {"a path of 100000 characters", "/" + std::string(100000, 'p') + ".txt\r\n{o}\r\n", sizes,
       "a path is longer than 32767 characters"},
      {"pieces without a full stop, line after line",
       [] {
         std::string lines;
         for (int i = 0; i < 20000; ++i) lines += "piece\r\n";
         return lines;
       }(),
       sizes, "a path is longer than 32767 characters"},
  };
  for (const DescriptionCase& c : cases) {
    SCOPED_TRACE(c.what);
    write_file(output(), "previous results");
    write_file(outinfo(), filled(c.outinfo, matrix(), output()));
    write_file(doutinfo(), c.doutinfo);
    expect_error(run(), c.fragment);
    EXPECT_EQ(read_file(output()), "previous results");
    EXPECT_FALSE(fs::exists(report()));
  }
}

TEST_F(EngineFault, RunDescriptionFilesThatAreFoldersOrDevicesAreRefused) {
  describe(matrix(), output());
  fs::remove(doutinfo());
  fs::create_directory(doutinfo());
  expect_error(run(), "cannot read run description file '" + doutinfo().string() + "': it is a folder");
  fs::remove(outinfo());
  fs::create_directory(outinfo());
  expect_error(run(), "cannot read run description file '" + outinfo().string() + "': it is a folder");
  // An endless piece: refused once it outgrows any path, instead of reading until memory runs out.
  fs::remove(outinfo());
  fs::create_symlink("/dev/zero", outinfo());
  expect_error(run(), "a path is longer than 32767 characters");
  EXPECT_FALSE(fs::exists(output()));
}

TEST_F(EngineFault, OddButReadableRunDescriptionFilesStillRun) {
  const std::string padded = std::string(200000, ' ') + "0000000000000000000000000000005\r\n" +
                             std::string(50000, '\t') + "5 0.9\r\n" + std::string(300000, 'x');
  describe(matrix(), output(), padded);
  const test::EngineResult result = run();
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(read_file(report()).find(kMembershipTitle), std::string::npos);
}

TEST_F(EngineFault, InputMatricesThatCannotBeReadAreNamed) {
  struct Case {
    const char* what;
    fs::path input;
    std::string fragment;
  };
  fs::create_directory(home_ / "data.d");
  write_file(home_ / "plain.txt", "not a folder");
  fs::create_symlink("/proc/self/mem", home_ / "mem.txt");  // opens, but every read fails
  fs::create_symlink("/dev/zero", home_ / "zero.txt");      // one endless piece of NUL bytes
  std::vector<Case> cases = {
      {"a folder", home_ / "data.d", "cannot read input matrix '" + (home_ / "data.d").string() + "': it is a folder"},
      {"a path through a file", home_ / "plain.txt" / "m.txt", "Not a directory"},
      {"a read error", home_ / "mem.txt",
       "cannot read input matrix '" + (home_ / "mem.txt").string() + "': reading failed"},
      {"a device without end", home_ / "zero.txt", "it holds NUL bytes near its start, so it is no plain text"},
  };
  if (geteuid() != 0) {  // permissions do not stop root
    write_file(home_ / "locked.txt", "g 1 2 3");
    fs::permissions(home_ / "locked.txt", fs::perms::none);
    cases.push_back({"no permission", home_ / "locked.txt", "Permission denied"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    describe(c.input, output());
    expect_error(run(), c.fragment);
    if (fs::exists(report())) expect_no_membership_lines();
  }
}

// Result files that cannot be written: the error names the file, and the report never gets the
// membership lines that would make the run look complete.
TEST_F(EngineFault, ResultFilesThatCannotBeWrittenNeverLookComplete) {
  struct Case {
    const char* what;
    fs::path output;
    std::string setup;
    fs::path cwd;
    std::string fragment;
  };
  fs::create_symlink("/dev/full", home_ / "full.txt");
  fs::create_directory(home_ / "out.d");
  const fs::path gone = home_ / "gone";
  fs::create_directory(gone);
  // Gene names long enough that the output outgrows a file-size limit of one block mid-write.
  std::string long_names;
  for (const char* row :
       {"\t1\t2\t3\t4\t5\n", "\t2\t4\t6\t8\t11\n", "\t5\t1\t4\t2\t3\n", "\t1\t3\t3\t4\t6\n", "\t3\t1\t4\t1\t5\n"}) {
    long_names += std::string(600, 'n') + row;
  }
  write_file(home_ / "long_names.txt", long_names);

  const std::vector<Case> cases = {
      {"output on a full device",
       home_ / "full.txt",
       "",
       {},
       "cannot write '" + (home_ / "full.txt").string() + "': No space left on device"},
      {"output is a folder",
       home_ / "out.d",
       "",
       {},
       "cannot create '" + (home_ / "out.d").string() + "': Is a directory"},
      {"report on a full device",
       output(),
       "ln -sf /dev/full bicluster_report.txt &&",
       {},
       "cannot write 'bicluster_report.txt': No space left on device"},
      {"report folder that nobody may write", output(), "", "/sys",
       "cannot create 'bicluster_report.txt': Permission denied"},
      {"report folder removed", output(), "rmdir \"$PWD\" &&", gone,
       "cannot create 'bicluster_report.txt': No such file"},
      {"output outgrows the file-size limit",
       output(),
       "ulimit -f 1 && trap '' XFSZ &&",
       {},
       "cannot write '" + output().string() + "': File too large"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(report());
    const fs::path input = std::string(c.what).find("limit") != std::string::npos ? home_ / "long_names.txt" : matrix();
    describe(input, c.output);
    expect_error(run(c.setup, c.cwd), c.fragment);
    if (fs::is_regular_file(report())) expect_no_membership_lines();
  }
}

// The engine stopped from outside: at its prompt by the signals a user's console sends, and in
// the middle of writing by the file-size limit's signal. Nothing may look like a complete run,
// not even the results of the run before, which the new run has truncated.
TEST_F(EngineFault, AKilledRunNeverLeavesAResultThatLooksComplete) {
  for (int sig : {SIGKILL, SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(sig);
    complete_run_first();
    int to_engine[2];
    ASSERT_EQ(pipe(to_engine), 0);
    const fs::path out = home_ / ".stdout";
    fs::remove(out);  // the prompt of the run before must not count
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      dup2(to_engine[0], STDIN_FILENO);
      close(to_engine[1]);
      const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(fd, STDOUT_FILENO);
      if (chdir(work().c_str()) != 0) _exit(127);
      setenv("HOME", home_.path().c_str(), 1);
      execl(KOVA2_PATH, KOVA2_PATH, static_cast<char*>(nullptr));
      _exit(127);
    }
    close(to_engine[0]);
    // Wait (up to 20 s) for the prompt: the engine then waits on its console with both files open.
    bool prompted = false;
    for (int tries = 0; tries < 2000 && !prompted; ++tries) {
      prompted = read_file(out).find("Enter maximum number of biclusters") != std::string::npos;
      if (!prompted) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, sig);
    int status = 0;
    waitpid(pid, &status, 0);
    close(to_engine[1]);
    ASSERT_TRUE(prompted);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(read_file(output()), "");
    expect_no_membership_lines();
    EXPECT_EQ(read_file(matrix()), matrix_bytes_);
  }

  complete_run_first();
  write_file(home_ / "long.txt", std::string(3000, 'a') + " 1 2 3 4 5\n" + std::string(3000, 'b') + " 2 4 6 8 11\n" +
                                     "c 5 1 4 2 3\nd 1 3 3 4 6\ne 3 1 4 1 5\n");
  describe(home_ / "long.txt", output());
  const test::EngineResult killed = run("ulimit -f 4 &&");  // 4 blocks (2 or 4 KiB), then SIGXFSZ
  EXPECT_NE(killed.status, 0);
  EXPECT_EQ(killed.out.find("written to"), std::string::npos);
  const std::string cut = read_file(output());
  EXPECT_TRUE(cut.size() == 2048 || cut.size() == 4096) << cut.size();
  EXPECT_EQ(cut.find_first_not_of('a', cut.size() - 100), std::string::npos) << "cut inside the first name";
  expect_no_membership_lines();
}

TEST_F(EngineFault, OversizedMatricesAreRefusedBeforeAnyResultFileIsTouched) {
  struct Case {
    std::string sizes;
    std::string fragment;
  };
  std::vector<Case> cases = {
      {"46341\r\n46341\r\n0.9\r\n", "at most 2147483647 values are supported"},
      {"2147483647\r\n2\r\n0.9\r\n", "at most 2147483647 values are supported"},
      {"2\r\n2147483647\r\n0.9\r\n", "at most 2147483647 values are supported"},
      {"2000000000\r\n1\r\n0.9\r\n", "more than this machine's"},
  };
  // One gene of 2e9 samples: the table alone is 16 GB, the search's own rows twice that again.
  if (physical_memory_bytes() != 0 && physical_memory_bytes() < (std::uint64_t{64} << 30)) {
    cases.push_back({"1\r\n2000000000\r\n0.9\r\n", "more than this machine's"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sizes);
    write_file(output(), "previous results");
    describe(matrix(), output(), c.sizes);
    const test::EngineResult result = run();
    expect_error(result, c.fragment);
    EXPECT_EQ(result.out, "") << "refused before the prompt";
    EXPECT_EQ(read_file(output()), "previous results");
  }
}

TEST_F(EngineFault, NamesAndPathsOfThousandsOfCharactersWork) {
  // A folder chain of about 3900 characters (each name within the file system's 255), with blanks.
  fs::path deep = home_.path();
  while (deep.string().size() < 3700) deep /= "folder with blanks " + std::string(180, 'd');
  fs::create_directories(deep);
  std::string matrix_text;
  // Names are bytes: control characters, bytes above 127 and NUL come out as they went in.
  const std::vector<std::string> names = {std::string(5000, 'x'), std::string(3000, 'y') + "\x01\xff", "g3",
                                          std::string(4000, 'z') + std::string(1, '\0') + "z", "g5"};
  const std::vector<std::string> rows = {"1 2 3 4 5", "2 4 6 8 11", "5 1 4 2 3", "1 3 3 4 6", "3 1 4 1 5"};
  for (std::size_t g = 0; g < names.size(); ++g) matrix_text += names[g] + "\t" + rows[g] + "\r\n";
  write_file(deep / "matrix.txt", matrix_text);
  describe(deep / "matrix.txt", deep / "result.txt");
  const test::EngineResult result = run();
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(read_file(deep / "result.txt"),
            "3\t5\r\nsample1, sample2, sample3, sample4, sample5, \r\n" + names[0] + "\t" + names[1] + "\t" + names[3] +
                "\t\r\n2\t3\r\nsample2, sample4, sample5, \r\n" + names[0] + "\tg3\t\r\n" +
                "2\t3\r\nsample1, sample3, sample5, \r\n" + names[0] + "\tg5\t\r\n");
}

}  // namespace
}  // namespace kova
