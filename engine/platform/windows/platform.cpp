#include "engine/platform/platform.hpp"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace kova {

bool is_terminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

void discard_typed_ahead(std::FILE* stream) {
  const HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  if (console != INVALID_HANDLE_VALUE) FlushConsoleInputBuffer(console);
}

void use_binary_standard_output() {
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

std::uint64_t physical_memory_bytes() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

}  // namespace kova
