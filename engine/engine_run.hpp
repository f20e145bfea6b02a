#pragma once
// One whole engine run: run description, result files, the console question, loading, search,
// membership report. Library code: it never exits; main prints nothing of its own.

#include <istream>
#include <ostream>

namespace kova {

// Returns the exit status: 0 after a complete run, 1 after an error, which is reported on `err`
// as one line "kova2: error: ...". The closing summary goes to `out`.
int run_engine(std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace kova
