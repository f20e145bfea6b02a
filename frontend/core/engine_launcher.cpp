#include "frontend/core/engine_launcher.hpp"

namespace kova {

std::string engine_file_name(Engine engine) {
#ifdef _WIN32
  return engine == Engine::Kova1 ? "kova1.exe" : "kova2.exe";
#else
  return engine == Engine::Kova1 ? "kova1" : "kova2";
#endif
}

}  // namespace kova
