// kova2: the console engine. Everything is in the engine library; main only picks the batch way
// when there are arguments, and adds the pause that keeps a console window open long enough to
// read how a console run ended.

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "common/line_layout.hpp"
#include "engine/run/batch_run.hpp"
#include "engine/run/engine_run.hpp"
#include "engine/platform/platform.hpp"

int main(int argc, char** argv) {
  kova::use_binary_standard_output();
  if (argc > 1) return kova::run_batch(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
  const int status = kova::run_engine(std::cin, std::cout, std::cerr);
  if (kova::is_terminal(stdin)) {
    // Keys hit during the run do not close the window, only an Enter pressed once this line shows;
    // dropped before the line is shown, so that an Enter pressed the moment it shows still counts.
    kova::discard_typed_ahead(stdin);
    std::cout << "Press Enter to close" << kova::kLineEnd << std::flush;
    std::cin.clear();
    std::string line;
    std::getline(std::cin, line);
  }
  return status;
}
