#pragma once
// Helpers for the core tests: a private HOME per test, file bytes, and stand-ins for the file
// dialog and the engine start that answer as told and record what they were asked.

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "frontend/core/engine_launcher.hpp"
#include "frontend/core/file_chooser.hpp"

namespace kova::test {

// HOME points into a fresh temporary folder for the object's lifetime, so the run description
// files of a test never touch anyone's real home.
class ScopedHome {
 public:
  ScopedHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kova-core-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    if (const char* home = std::getenv("HOME")) previous_ = home;
    setenv("HOME", dir_.c_str(), 1);
  }
  ~ScopedHome() {
    if (previous_)
      setenv("HOME", previous_->c_str(), 1);
    else
      unsetenv("HOME");
    std::error_code ignored;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(dir_, ignored);
  }
  ScopedHome(const ScopedHome&) = delete;
  ScopedHome& operator=(const ScopedHome&) = delete;

  const std::filesystem::path& path() const { return dir_; }
  std::filesystem::path outinfo() const { return dir_ / "outinfo.txt"; }
  std::filesystem::path doutinfo() const { return dir_ / "doutinfo.txt"; }

 private:
  std::filesystem::path dir_;
  std::optional<std::string> previous_;
};

// The whole file, or nothing when it cannot be read.
inline std::optional<std::string> file_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write_bytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Answers each dialog with the next queued answer (a path, or nothing for a cancel) and records
// the titles it was shown with; a dialog without a queued answer is a test fault.
class ScriptedChooser : public FileChooser {
 public:
  ScriptedChooser& then(std::optional<std::string> answer) {
    answers.push_back(std::move(answer));
    return *this;
  }
  std::optional<std::string> choose_open(std::string_view title, std::string_view proposed) override {
    return answer("open", title, proposed);
  }
  std::optional<std::string> choose_save(std::string_view title, std::string_view proposed) override {
    return answer("save", title, proposed);
  }

  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> shown;     // "open: title" or "save: title"
  std::vector<std::string> proposed;  // what each dialog offered

 private:
  std::optional<std::string> answer(const char* kind, std::string_view title, std::string_view offered) {
    shown.push_back(std::string(kind) + ": " + std::string(title));
    proposed.emplace_back(offered);
    if (answers.empty()) return std::string("/not/expected/to/be/asked.txt");
    auto next = answers.front();
    answers.pop_front();
    return next;
  }
};

class RecordingLauncher : public EngineLauncher {
 public:
  void start(const std::string& engine_name) override {
    if (failure) throw LaunchError(*failure);
    started.push_back(engine_name);
  }
  std::vector<std::string> started;
  std::optional<std::string> failure;  // set: every start fails with this text
};

}  // namespace kova::test
