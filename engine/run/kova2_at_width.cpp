// kova2 with its kernels at a chosen vector width, for the benchmark's whole runs and the Windows
// tests (kova2 itself always runs the widest):
//   kova2_at_width WIDTH     512, 256 or 0 (the baseline); a width this processor lacks fails

#include <cstdlib>
#include <iostream>
#include <string>

#include "engine/platform/platform.hpp"
#include "engine/run/engine_run.hpp"
#include "kova/search.hpp"

int main(int argc, char** argv) {
  const std::string width = argc == 2 ? argv[1] : "";
  if (width.empty() || width.find_first_not_of("0123456789") != std::string::npos ||
      !kova::use_vector_width(std::atoi(width.c_str()))) {
    std::cerr << "kova2_at_width: error: '" << width << "' is no vector width this processor has\n";
    return 2;
  }
  kova::use_binary_standard_output();
  return kova::run_engine(std::cin, std::cout, std::cerr);
}
