#pragma once
// Runs a program on a pseudo-terminal, as in a console window: what it shows is read from the
// terminal's other side, and keys are typed there.

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace kova::test {

class PtyProcess {
 public:
  // Starts `program` without arguments in `cwd` with HOME = `home`.
  PtyProcess(const std::filesystem::path& program, const std::filesystem::path& home,
             const std::filesystem::path& cwd) {
    const std::string program_text = program.string();
    const std::string cwd_text = cwd.string();
    std::vector<std::string> environment = {"HOME=" + home.string(), "PATH=/usr/bin:/bin", "TERM=dumb"};
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) {
      if (chdir(cwd_text.c_str()) == 0) {
        char* const argv[] = {const_cast<char*>(program_text.c_str()), nullptr};
        execve(program_text.c_str(), argv, envp.data());
      }
      _exit(127);
    }
  }
  ~PtyProcess() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }
  PtyProcess(const PtyProcess&) = delete;
  PtyProcess& operator=(const PtyProcess&) = delete;

  bool started() const { return pid_ > 0 && master_ >= 0; }

  // Reads what the program shows until `text` has appeared, or the time is up; true when it has.
  bool wait_for(const std::string& text, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (shown_.find(text) == std::string::npos) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || !read_some(static_cast<int>(left.count()))) return false;
    }
    return true;
  }

  // Reads whatever the program shows within `time`.
  void drain(std::chrono::milliseconds time) {
    const auto deadline = std::chrono::steady_clock::now() + time;
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || !read_some(static_cast<int>(left.count()))) return;
    }
  }

  void type(const std::string& keys) { (void)!write(master_, keys.data(), keys.size()); }

  bool running() {
    if (exited_) return false;
    const pid_t done = waitpid(pid_, &status_, WNOHANG);
    if (done == pid_) exited_ = true;
    return !exited_;
  }

  // The exit status once the program has ended within `limit`; -1 otherwise.
  int wait_exit(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (running() && std::chrono::steady_clock::now() < deadline) {
      drain(std::chrono::milliseconds(20));
    }
    if (!exited_) return -1;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }

  const std::string& shown() const { return shown_; }

 private:
  bool read_some(int timeout_ms) {
    pollfd fd{master_, POLLIN, 0};
    if (poll(&fd, 1, timeout_ms) <= 0) return false;
    char block[4096];
    const ssize_t got = read(master_, block, sizeof block);
    if (got <= 0) return false;  // the program closed its terminal
    shown_.append(block, static_cast<std::size_t>(got));
    return true;
  }

  int master_ = -1;
  pid_t pid_ = -1;
  bool exited_ = false;
  int status_ = 0;
  std::string shown_;
};

}  // namespace kova::test
