#include "frontend/core/description_file.hpp"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "frontend/core/workflow.hpp"

namespace kova {
namespace {

[[noreturn]] void fail(const char* what, const std::filesystem::path& path, int error) {
  throw WorkflowError(std::string("Cannot ") + what + " the run description file '" + path.string() +
                      "': " + std::strerror(error));
}

std::FILE* open(const std::filesystem::path& path, const char* mode) {
  errno = 0;
  std::FILE* file = std::fopen(path.string().c_str(), mode);
  if (file == nullptr) fail("create", path, errno != 0 ? errno : EIO);
  return file;
}

// Empties the file behind the open stream (which appends, so it writes from the start again).
bool truncate_to_empty(std::FILE* file) {
#ifdef _WIN32
  return _chsize_s(_fileno(file), 0) == 0;
#else
  return ftruncate(fileno(file), 0) == 0;
#endif
}

}  // namespace

// Binary mode: the bytes go out as given, CR LF included, on every platform.
DescriptionFile DescriptionFile::open_keeping(const std::filesystem::path& path) { return {path, open(path, "ab")}; }

DescriptionFile DescriptionFile::create(const std::filesystem::path& path) { return {path, open(path, "wb")}; }

void DescriptionFile::replace(std::string_view bytes) {
  std::FILE* file = file_.get();
  errno = 0;
  const bool written = std::fflush(file) == 0 && truncate_to_empty(file) &&
                       std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
  if (!written) fail("write", path_, errno != 0 ? errno : EIO);
}

void DescriptionFile::close() {
  errno = 0;
  const int result = std::fclose(file_.release());
  if (result != 0) fail("close", path_, errno != 0 ? errno : EIO);
}

}  // namespace kova
