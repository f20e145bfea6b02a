#include "engine/run/batch_run.hpp"

#include <cstdio>

#include "common/line_layout.hpp"
#include "engine/platform/file_names.hpp"
#include "engine/platform/platform.hpp"
#include "engine/run/batch_arguments.hpp"
#include "engine/run/batch_meaning.hpp"
#include "engine/run/engine_run.hpp"
#include "engine/run/engine_version.hpp"
#include "kova/matrix.hpp"
#include "kova/result_files.hpp"

namespace kova {
namespace {

// Without --genes and --samples the matrix tells them, one gene per line.
RunSettings run_settings(const BatchOptions& options) {
  RunSettings settings{0, 0, options.threshold, options.max_biclusters, options.threads};
  if (options.genes && options.samples) {
    settings.genes = *options.genes;
    settings.samples = *options.samples;
    return settings;
  }
  try {
    const MatrixShape shape = count_matrix_file(options.matrix);
    settings.genes = shape.genes;
    settings.samples = shape.samples;
  } catch (const MatrixShapeError& e) {
    throw EngineError(std::string(e.what()) + "; give them with --genes and --samples");
  }
  return settings;
}

int run(const BatchOptions& options, std::ostream& err) {
  RunRequest request;
  request.input = options.matrix;
  request.output = options.output;
  request.report = options.report ? *options.report : options.output.parent_path() / kReportFileName;
  request.when_report_locked = "; wait until it has ended, or name another report with --report FILE";
  request.settings = run_settings(options);
  request.show_progress = !options.quiet && is_terminal(stderr);
  // The meaning files' inputs are refused before the run touches any file.
  const MeaningRequest meaning = read_meaning_request(options, request.settings.samples, request.report);
  if (!meaning.files.empty()) {
    remove_earlier_meaning_files(meaning);
    request.after_run = [&](const GeneTable& table, std::span<const BiclusterMembers> biclusters) {
      write_meaning_files(meaning, request.settings, table, biclusters, err, request.show_progress);
    };
  }
  const std::int32_t found = perform_run(
      request, [&] { return options.max_biclusters; }, err);
  if (!options.quiet) {
    err << run_summary(found, request.output, request.report) << kLineEnd;
    for (const MeaningFile& file : meaning.files) {
      err << "kova2: " << file.what << " written to " << quoted(file.path) << kLineEnd;
    }
    err << std::flush;
  }
  return 0;
}

}  // namespace

int run_batch(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
  BatchArguments parsed;
  try {
    parsed = parse_batch_arguments(arguments);
  } catch (const ArgumentError& e) {
    err << "kova2: error: " << e.what() << kLineEnd << batch_usage() << std::flush;
    return 2;
  }
  switch (parsed.command) {
    case BatchCommand::kHelp:
      out << batch_usage() << std::flush;
      return 0;
    case BatchCommand::kVersion:
      out << "kova2 " << kEngineVersion << kLineEnd << std::flush;
      return 0;
    case BatchCommand::kRun:
      break;
  }
  return report_run_errors(err, [&] { return run(parsed.options, err); });
}

}  // namespace kova
