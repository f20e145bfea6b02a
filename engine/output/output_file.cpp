#include "engine/output/output_file.hpp"

#include <cerrno>
#include <cstring>

#include "engine/platform/file_names.hpp"
#include "engine/platform/locked_file.hpp"

namespace kova {

OutputFile::OutputFile(const std::filesystem::path& path) : path_(path) {
  errno = 0;
  file_ = open_file(path, "wb");
  if (file_ == nullptr) fail("cannot create", errno);
  // A large buffer keeps the many small writes of the result formats cheap.
  std::setvbuf(file_, nullptr, _IOFBF, std::size_t{1} << 16);
}

OutputFile::OutputFile(const std::filesystem::path& path, std::FILE* file) : path_(path), file_(file) {
  std::setvbuf(file_, nullptr, _IOFBF, std::size_t{1} << 16);
}

std::unique_ptr<OutputFile> OutputFile::open_locked(const std::filesystem::path& path) {
  const LockedFile locked = kova::open_locked(path);
  if (locked.status == LockedOpen::kHeldByAnother) {
    throw FileLockedError("'" + path_text(path) + "' is locked by another process");
  }
  if (locked.status == LockedOpen::kFailed) {
    std::string message = "cannot create '" + path_text(path) + "'";
    if (locked.error != 0) message += std::string(": ") + std::strerror(locked.error);
    throw OutputError(message);
  }
  return std::unique_ptr<OutputFile>(new OutputFile(path, locked.file));
}

void OutputFile::empty() {
  errno = 0;
  if (file_ == nullptr || !empty_locked(file_)) fail("cannot empty", errno);
}

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
}

void OutputFile::write(std::string_view text) {
  if (file_ == nullptr) throw OutputError("cannot write '" + path_text(path_) + "': the file is closed");
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) fail("cannot write", errno);
}

void OutputFile::close() {
  if (file_ == nullptr) return;
  std::FILE* file = file_;
  file_ = nullptr;
  errno = 0;
  const bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0;
  const int flush_error = errno;
  errno = 0;
  const bool closed = std::fclose(file) == 0;
  if (!flushed) fail("cannot write", flush_error);
  if (!closed) fail("cannot close", errno);
}

void OutputFile::fail(const char* what, int error) {
  std::string message = std::string(what) + " '" + path_text(path_) + "'";
  if (error != 0) message += std::string(": ") + std::strerror(error);
  throw OutputError(message);
}

}  // namespace kova
