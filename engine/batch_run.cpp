#include "engine/batch_run.hpp"

#include <cstdio>

#include "common/line_layout.hpp"
#include "engine/batch_arguments.hpp"
#include "engine/block_reader.hpp"
#include "engine/engine_run.hpp"
#include "engine/engine_version.hpp"
#include "engine/matrix_refusal.hpp"
#include "engine/matrix_shape.hpp"
#include "engine/platform.hpp"
#include "engine/result_writer.hpp"

namespace kova {
namespace {

// Without --genes and --samples the matrix tells them, one gene per line.
RunSize run_size(const BatchOptions& options) {
  if (options.genes && options.samples) return {*options.genes, *options.samples, options.threshold};
  InputFile file = open_input(options.matrix);
  {
    // Text in another encoding is refused for what it is, not for lines that seem to disagree.
    BlockReader reader(file.get());
    try {
      check_encoding(reader);
    } catch (const MatrixReadError& e) {
      throw EngineError("input matrix " + quoted(options.matrix) + ": " + e.what());
    }
  }
  std::rewind(file.get());
  try {
    const MatrixShape shape = count_matrix_shape(file.get());
    return {shape.genes, shape.samples, options.threshold};
  } catch (const MatrixShapeError& e) {
    throw EngineError("cannot count the genes and samples of input matrix " + quoted(options.matrix) + ": " + e.what() +
                      "; give them with --genes and --samples");
  }
}

int run(const BatchOptions& options, std::ostream& err) {
  RunRequest request;
  request.input = options.matrix;
  request.output = options.output;
  request.report = options.report ? *options.report : options.output.parent_path() / kReportFileName;
  request.when_report_locked = "; wait until it has ended, or name another report with --report FILE";
  request.size = run_size(options);
  request.workers = options.threads;
  request.show_progress = !options.quiet && is_terminal(stderr);
  const std::int32_t found = perform_run(
      request, [&] { return options.max_biclusters; }, err);
  if (!options.quiet) err << run_summary(found, request.output, request.report) << kLineEnd << std::flush;
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
    case BatchCommand::Help:
      out << batch_usage() << std::flush;
      return 0;
    case BatchCommand::Version:
      out << "kova2 " << kEngineVersion << kLineEnd << std::flush;
      return 0;
    case BatchCommand::Run:
      break;
  }
  return report_run_errors(err, [&] { return run(parsed.options, err); });
}

}  // namespace kova
