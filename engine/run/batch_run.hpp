#pragma once
// kova2 started with arguments, for scripts and pipelines: no run description file is read or
// written and nothing is asked; the run's steps after that are the console way's (engine_run.hpp).

#include <ostream>
#include <span>
#include <string>

namespace kova {

// `arguments` without the program name. Returns the exit status: 0 done (also after --help and
// --version, which write to `out`), 1 failed (one line "kova2: error: ..." on `err`), 2 wrong
// arguments (the error line and the usage on `err`). The progress line, when standard error is a
// terminal, and the closing line go to `err` unless --quiet.
int run_batch(std::span<const std::string> arguments, std::ostream& out, std::ostream& err);

}  // namespace kova
