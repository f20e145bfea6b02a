#include "engine/platform/platform.hpp"

#include <termios.h>
#include <unistd.h>

namespace kova {

bool is_terminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

void discard_typed_ahead(std::FILE* stream) { tcflush(fileno(stream), TCIFLUSH); }

void use_binary_standard_output() {}

std::uint64_t physical_memory_bytes() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long page_size = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || page_size <= 0) return 0;
  return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size);
}

}  // namespace kova
