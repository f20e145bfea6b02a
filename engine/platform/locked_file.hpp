#pragma once
// A file opened for writing under a lock that a second engine sees: the operating system's own
// (an advisory lock on POSIX systems, a share mode that denies other writers on Windows), so that
// it goes with the process however the process ends. One implementation per platform
// (windows/ and posix/).

#include <cstdio>
#include <filesystem>

namespace kova {

enum class LockedOpen { kOpened, kHeldByAnother, kFailed };

struct LockedFile {
  std::FILE* file = nullptr;  // open for writing in binary mode when kOpened
  LockedOpen status = LockedOpen::kFailed;
  int error = 0;  // the system's reason when kFailed
};

// Opens or creates `path` for writing without changing its content yet.
LockedFile open_locked(const std::filesystem::path& path);

// Empties a file opened by open_locked; false when the system refuses.
bool empty_locked(std::FILE* file);

}  // namespace kova
