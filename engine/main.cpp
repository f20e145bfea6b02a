// kova2: the console engine. Everything is in the engine library; main only adds the pause that
// keeps a console window open long enough to read how the run ended.

#include <cstdio>
#include <iostream>
#include <string>

#include "common/line_layout.hpp"
#include "engine/engine_run.hpp"
#include "engine/platform.hpp"

int main() {
  kova::use_binary_standard_output();
  const int status = kova::run_engine(std::cin, std::cout, std::cerr);
  if (kova::is_terminal(stdin)) {
    std::cout << "Press Enter to close" << kova::kLineEnd << std::flush;
    // Only an Enter pressed after this line closes the window: keys hit during the run do not.
    kova::discard_typed_ahead(stdin);
    std::cin.clear();
    std::string line;
    std::getline(std::cin, line);
  }
  return status;
}
