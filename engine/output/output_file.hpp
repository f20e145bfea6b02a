#pragma once
// Text destinations for the result files, and the real file behind them.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kova {

class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Another process holds the file's lock (see OutputFile::open_locked).
class FileLockedError : public OutputError {
 public:
  using OutputError::OutputError;
};

class TextOutput {
 public:
  virtual ~TextOutput() = default;
  virtual void write(std::string_view text) = 0;
};

// A file created (or truncated) for writing in binary mode, so that the CR LF line ends written
// are stored as they are on every platform. Errors carry the path and the system's reason.
class OutputFile final : public TextOutput {
 public:
  explicit OutputFile(const std::filesystem::path& path);  // throws OutputError
  // Opens `path` under a lock that a second engine sees (locked_file.hpp), leaving what it holds
  // until empty() is called. Throws FileLockedError when another process holds the lock, and
  // OutputError when the file cannot be opened.
  static std::unique_ptr<OutputFile> open_locked(const std::filesystem::path& path);
  void empty();  // throws OutputError
  ~OutputFile() override;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(std::string_view text) override;  // throws OutputError
  // Flushes and closes; throws OutputError when anything written did not reach the file.
  void close();
  const std::filesystem::path& path() const { return path_; }

 private:
  OutputFile(const std::filesystem::path& path, std::FILE* file);
  [[noreturn]] void fail(const char* what, int error);

  std::filesystem::path path_;
  std::FILE* file_ = nullptr;
};

class StringOutput final : public TextOutput {
 public:
  void write(std::string_view text) override { text_.append(text); }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace kova
