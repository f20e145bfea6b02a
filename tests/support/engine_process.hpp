#pragma once
// Runs the real kova2 binary in a folder of its own, with HOME pointing there.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.hpp"

namespace kova::test {

struct EngineResult {
  int status = -1;  // exit status; 124 when the run had to be stopped after the time limit
  std::string out;
  std::string err;
};

inline std::string shell_quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

// Runs `engine` with HOME = `home` and the current folder `cwd`, `input` on its standard input.
// `setup` is shell text run in `cwd` just before the engine, in the same shell (limits, traps).
inline EngineResult run_engine_process(const std::filesystem::path& engine, const std::filesystem::path& home,
                                       const std::filesystem::path& cwd, const std::string& input,
                                       int timeout_seconds = 30, const std::string& setup = "") {
  const std::filesystem::path io = home / ".engine-io";
  std::filesystem::create_directories(io);
  write_file(io / "stdin", input);
  const std::string command = "cd " + shell_quoted(cwd.string()) + " && " + setup +
                              " HOME=" + shell_quoted(home.string()) + " timeout " + std::to_string(timeout_seconds) +
                              " " + shell_quoted(engine.string()) + " < " + shell_quoted((io / "stdin").string()) +
                              " > " + shell_quoted((io / "stdout").string()) + " 2> " +
                              shell_quoted((io / "stderr").string());
  const int raw = std::system(command.c_str());
  EngineResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = read_file(io / "stdout");
  result.err = read_file(io / "stderr");
  std::filesystem::remove_all(io);
  return result;
}

}  // namespace kova::test
