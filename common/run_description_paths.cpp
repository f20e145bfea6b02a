#include "common/run_description_paths.hpp"

#include <cstdlib>

namespace kova {

RunDescriptionPaths run_description_paths() {
#ifdef _WIN32
  return {std::filesystem::path("c:\\outinfo.txt"), std::filesystem::path("c:\\doutinfo.txt")};
#else
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    throw RunDescriptionLocationError(
        "HOME is not set, so the run description files (outinfo.txt, doutinfo.txt) cannot be found");
  }
  const std::filesystem::path dir(home);
  return {dir / "outinfo.txt", dir / "doutinfo.txt"};
#endif
}

}  // namespace kova
