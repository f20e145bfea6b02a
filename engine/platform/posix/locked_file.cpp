#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/platform/locked_file.hpp"

namespace kova {

LockedFile open_locked(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return {nullptr, LockedOpen::kFailed, errno};
  // flock belongs to this open file, not to the process's every descriptor of the file (as fcntl
  // locks do): opening the report again elsewhere in the run cannot drop it.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) return {nullptr, LockedOpen::kHeldByAnother, 0};
    return {nullptr, LockedOpen::kFailed, error};
  }
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) {
    const int error = errno;
    ::close(fd);
    return {nullptr, LockedOpen::kFailed, error};
  }
  return {file, LockedOpen::kOpened, 0};
}

// Only a regular file has content to drop; a device (a report linked to /dev/null) has none.
bool empty_locked(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  struct stat status {};
  if (::fstat(::fileno(file), &status) != 0) return false;
  return !S_ISREG(status.st_mode) || ::ftruncate(::fileno(file), 0) == 0;
}

}  // namespace kova
