#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>

#include "engine/platform/locked_file.hpp"

namespace kova {
namespace {

// The C library's number for the system's reason, where there is one; 0 leaves the reason out.
int reason(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
      return EACCES;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
      return EINVAL;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_DISK_FULL:
      return ENOSPC;
    default:
      return 0;
  }
}

}  // namespace

LockedFile open_locked(const std::filesystem::path& path) {
  // Readers (a viewer) are welcome; a second writer gets a sharing violation until this handle is
  // closed, which the system does when the process ends.
  const HANDLE handle =
      CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
      return {nullptr, LockedOpen::kHeldByAnother, 0};
    }
    return {nullptr, LockedOpen::kFailed, reason(error)};
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    return {nullptr, LockedOpen::kFailed, EMFILE};
  }
  std::FILE* file = _fdopen(fd, "wb");
  if (file == nullptr) {
    _close(fd);
    return {nullptr, LockedOpen::kFailed, EMFILE};
  }
  return {file, LockedOpen::kOpened, 0};
}

bool empty_locked(std::FILE* file) { return std::fflush(file) == 0 && _chsize(_fileno(file), 0) == 0; }

}  // namespace kova
