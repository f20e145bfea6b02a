// Two kova2 runs in one folder: the second is refused before it truncates anything, the first
// one's files stay whole; a killed run leaves no lock behind.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/engine_process.hpp"
#include "tests/support/temp_dir.hpp"

namespace kova {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::read_file;
using test::write_file;

const std::string kPrompt = "Enter maximum number of biclusters";

// kova2 started in the background; its answer is typed later through a pipe.
class BackgroundEngine {
 public:
  BackgroundEngine(const fs::path& home, const fs::path& cwd, const std::string& name)
      : out_(home / (name + ".out")), err_(home / (name + ".err")) {
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) return;
    const std::string home_env = "HOME=" + home.string();
    pid_ = fork();
    if (pid_ == 0) {
      dup2(pipe_fds[0], 0);
      close(pipe_fds[1]);
      if (freopen(out_.c_str(), "wb", stdout) && freopen(err_.c_str(), "wb", stderr) && chdir(cwd.c_str()) == 0) {
        char* const argv[] = {const_cast<char*>(KOVA2_PATH), nullptr};
        char* const envp[] = {const_cast<char*>(home_env.c_str()), nullptr};
        execve(KOVA2_PATH, argv, envp);
      }
      _exit(127);
    }
    close(pipe_fds[0]);
    answer_ = pipe_fds[1];
  }
  ~BackgroundEngine() {
    if (answer_ >= 0) close(answer_);
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  // True once the engine waits at its prompt (it holds the report's lock by then), false once it
  // has ended instead.
  bool waits_at_prompt() {
    for (auto deadline = std::chrono::steady_clock::now() + 20s; std::chrono::steady_clock::now() < deadline;) {
      if (out().find(kPrompt) != std::string::npos) return true;
      if (ended()) return false;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }
  bool ended() {
    int raw = 0;
    if (status_ < 0 && waitpid(pid_, &raw, WNOHANG) == pid_)
      status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return status_ >= 0;
  }
  int answer_and_wait(const std::string& answer) {
    (void)!write(answer_, answer.data(), answer.size());
    close(answer_);
    answer_ = -1;
    return wait();
  }
  int wait() {
    int raw = 0;
    if (status_ < 0 && waitpid(pid_, &raw, 0) == pid_)
      status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return status_;
  }
  void kill_hard() {
    kill(pid_, SIGKILL);
    wait();
  }
  std::string out() const { return read_file(out_); }
  std::string err() const { return read_file(err_); }

 private:
  fs::path out_, err_;
  pid_t pid_ = -1;
  int answer_ = -1;
  int status_ = -1;
};

class ReportLock : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(work());
    fs::copy_file(fs::path(KOVA_EXAMPLES_DIR) / "worked_example.txt", home_ / "matrix.txt");
    write_file(home_ / "outinfo.txt",
               (home_ / "matrix.txt").string() + "\r\n" + (home_ / "result.txt").string() + "\r\n");
    write_file(home_ / "doutinfo.txt", "5\r\n5\r\n0.9\r\n");
  }
  fs::path work() const { return home_ / "work"; }
  fs::path report() const { return work() / "bicluster_report.txt"; }

  void expect_refused_for_the_lock(const std::string& err) {
    EXPECT_EQ(err, "kova2: error: another kova2 run is writing its report '" + report().string() +
                       "' in this folder; wait until it has ended, or start this run from another folder\r\n");
  }

  test::TempDir home_;
};

TEST_F(ReportLock, OfTwoRunsStartedTogetherOneCompletesAndTheOtherIsRefused) {
  BackgroundEngine first(home_.path(), work(), "first");
  BackgroundEngine second(home_.path(), work(), "second");
  const bool first_waits = first.waits_at_prompt();
  const bool second_waits = second.waits_at_prompt();
  ASSERT_NE(first_waits, second_waits) << "exactly one may hold the report";
  BackgroundEngine& running = first_waits ? first : second;
  BackgroundEngine& refused = first_waits ? second : first;
  EXPECT_EQ(refused.wait(), 1);
  expect_refused_for_the_lock(refused.err());
  EXPECT_EQ(refused.out(), "");
  EXPECT_EQ(running.answer_and_wait("10\n"), 0) << running.err();
  const std::string report_text = read_file(report());
  EXPECT_EQ(report_text.rfind("Bicluster\tNo. of rows\tNo. of columns\tSize\r\n", 0), 0u);
  EXPECT_EQ(report_text.find("Bicluster\tNo. of rows", 1), std::string::npos) << "one run's report only";
  EXPECT_NE(report_text.find("samples in number of Bicluster\r\n2\t2\t2\t2\t3\t\r\n"), std::string::npos)
      << report_text;
}

TEST_F(ReportLock, TheRefusedRunTruncatesNothing) {
  BackgroundEngine first(home_.path(), work(), "first");
  ASSERT_TRUE(first.waits_at_prompt()) << first.err();
  // The second run would write another output file: it must stay as it is, too.
  write_file(home_ / "other.txt", "previous results");
  write_file(home_ / "outinfo.txt", (home_ / "matrix.txt").string() + "\r\n" + (home_ / "other.txt").string() + "\r\n");
  const test::EngineResult second = test::run_engine_process(KOVA2_PATH, home_.path(), work(), "10\n");
  EXPECT_EQ(second.status, 1);
  expect_refused_for_the_lock(second.err);
  EXPECT_EQ(read_file(home_ / "other.txt"), "previous results");
  EXPECT_EQ(first.answer_and_wait("10\n"), 0);
  EXPECT_EQ(read_file(report()),
            "Bicluster\tNo. of rows\tNo. of columns\tSize\r\nBicluster1\t3\t5\t15\r\n"
            "Bicluster2\t2\t3\t6\r\nBicluster3\t2\t3\t6\r\ngene in number of Bicluster\r\n"
            "3\t1\t1\t1\t1\t\r\nsamples in number of Bicluster\r\n2\t2\t2\t2\t3\t\r\n");
}

TEST_F(ReportLock, AKilledRunLeavesNoLock) {
  BackgroundEngine killed(home_.path(), work(), "killed");
  ASSERT_TRUE(killed.waits_at_prompt()) << killed.err();
  killed.kill_hard();
  const test::EngineResult next = test::run_engine_process(KOVA2_PATH, home_.path(), work(), "10\n");
  EXPECT_EQ(next.status, 0) << next.err;
  EXPECT_EQ(next.err, "");
  EXPECT_NE(read_file(report()).find("samples in number of Bicluster"), std::string::npos);
}

}  // namespace
}  // namespace kova
