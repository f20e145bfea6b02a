#pragma once
// One whole engine run: run description, result files, the console question, loading, search,
// membership report. Library code: it never exits; main prints nothing of its own. The steps
// after the run's files and numbers are known are shared with the batch way (batch_run.hpp).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "kova/meaning.hpp"
#include "kova/run_settings.hpp"

namespace kova {

// Returns the exit status: 0 after a complete run, 1 after an error, which is reported on `err`
// as one line "kova2: error: ...". The closing summary goes to `out`.
int run_engine(std::istream& in, std::ostream& out, std::ostream& err);

// Whether `a` and `b` name one file, existing or not: a result file must never be one the run
// reads, since truncating it would destroy the user's data.
bool same_file(const std::filesystem::path& a, const std::filesystem::path& b);

// A refusal, told to the user as "kova2: error: " and the message.
class EngineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One run's files and numbers, however they were given.
struct RunRequest {
  std::filesystem::path input;
  std::filesystem::path output;
  std::filesystem::path report;
  RunSettings settings;                                 // its maximum comes from the caller's question
  std::vector<std::filesystem::path> run_descriptions;  // files the output must never replace
  bool show_progress = false;                           // the progress line on `err`
  // What the refusal goes on with after the report's path when another run holds the report: a
  // console run's report is in the folder it runs in; a batch run can name another one.
  std::string when_report_locked = " in this folder; wait until it has ended, or start this run from another folder";
  // Given, it is called with the table and every bicluster once both result files are complete
  // (the batch way's meaning files); what it throws fails the run.
  std::function<void(const GeneTable& table, std::span<const BiclusterMembers> biclusters)> after_run;
};

// From the checks of the numbers, sizes and paths on: opens the matrix, creates both result files and writes
// the report's header, takes the maximum from `maximum` (nothing: the console input ended), loads,
// searches and writes. Returns the number of biclusters written. Throws EngineError, OutputError
// and std::bad_alloc.
std::int32_t perform_run(const RunRequest& request, const std::function<std::optional<std::int32_t>()>& maximum,
                         std::ostream& err);

// "kova2: N biclusters written to 'output' and 'report'", the report with its full path.
std::string run_summary(std::int32_t found, const std::filesystem::path& output, const std::filesystem::path& report);

// Runs `body` and returns its status; an error it throws becomes one line "kova2: error: ..." on
// `err` and the status 1.
int report_run_errors(std::ostream& err, const std::function<int()>& body);

}  // namespace kova
