#include "frontend/core/engine_launcher.hpp"

namespace kova {

std::string engine_file_name(Engine engine) {
#ifdef _WIN32
  return engine == Engine::kKova1 ? "kova1.exe" : "kova2.exe";
#else
  return engine == Engine::kKova1 ? "kova1" : "kova2";
#endif
}

}  // namespace kova
