#include "engine/run/engine_run.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/line_layout.hpp"
#include "common/run_description_paths.hpp"
#include "common/run_description_reader.hpp"
#include "engine/platform/file_names.hpp"
#include "engine/platform/platform.hpp"
#include "engine/run/console.hpp"
#include "engine/run/console_progress.hpp"
#include "kova/matrix.hpp"
#include "kova/result_files.hpp"
#include "kova/search.hpp"

namespace kova {
namespace {

namespace fs = std::filesystem;

std::ifstream open_run_description(const fs::path& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec))
    throw EngineError("cannot read run description file " + quoted(path) + ": it is a folder");
  errno = 0;
  std::ifstream file(path, std::ios::binary);
  if (!file) throw EngineError("cannot open run description file " + quoted(path) + system_reason(errno));
  return file;
}

fs::path checked_path(const std::string& text, const fs::path& source, const char* what) {
  if (text.find('\0') != std::string::npos) {
    throw EngineError("the " + std::string(what) + " in " + quoted(source) + " holds a NUL byte");
  }
  std::optional<fs::path> path = path_from_bytes(text);
  if (!path)
    throw EngineError("the " + std::string(what) + " in " + quoted(source) + " is not text of the system's code page");
  return *path;
}

struct RunFiles {
  fs::path input;
  fs::path output;
};

std::optional<std::string> read_path(std::istream& file, const fs::path& path) {
  try {
    return read_joined_path(file);
  } catch (const RunDescriptionError& e) {
    throw EngineError("run description file " + quoted(path) + ": " + e.what());
  }
}

RunFiles read_outinfo(const fs::path& path) {
  std::ifstream file = open_run_description(path);
  const auto input = read_path(file, path);
  if (!input) {
    throw EngineError("run description file " + quoted(path) +
                      " ends before the input path is complete (a path ends with a piece that holds a '.')");
  }
  const auto output = read_path(file, path);
  if (!output) {
    throw EngineError("run description file " + quoted(path) +
                      " ends before the output path is complete (a path ends with a piece that holds a '.')");
  }
  return {checked_path(*input, path, "input path"), checked_path(*output, path, "output path")};
}

RunSize read_doutinfo(const fs::path& path) {
  std::ifstream file = open_run_description(path);
  RunSize size;
  try {
    size = read_run_size(file);
  } catch (const RunDescriptionError& e) {
    throw EngineError("run description file " + quoted(path) + ": " + e.what());
  }
  try {
    validate({size.genes, size.samples, size.threshold});
  } catch (const RunSettingsError& e) {
    throw EngineError("run description file " + quoted(path) + ": " + e.what());
  }
  return size;
}

// The table and the search's own arrays must fit the machine; refused before anything large is
// allocated, since an allocation that the system over-commits would only fail while loading.
void check_table_fits(const RunSettings& size) {
  const auto values = static_cast<std::int64_t>(size.genes) * size.samples;
  if (values > std::numeric_limits<std::int32_t>::max()) {
    throw EngineError("the matrix of " + std::to_string(size.genes) + " genes x " + std::to_string(size.samples) +
                      " samples is too large: at most 2147483647 values are supported");
  }
  // Beside the table, the search and the writer keep per-sample rows and flags and per-gene lists.
  const auto genes = static_cast<std::uint64_t>(size.genes);
  const auto samples = static_cast<std::uint64_t>(size.samples);
  const std::uint64_t needed = GeneTable::bytes_needed(size.genes, size.samples) +
                               samples * (2 * sizeof(double) + 2 * sizeof(std::int32_t)) +
                               genes * 3 * sizeof(std::int32_t);
  const std::uint64_t memory = physical_memory_bytes();
  if (memory != 0 && needed > memory) {
    throw EngineError("the matrix of " + std::to_string(size.genes) + " genes x " + std::to_string(size.samples) +
                      " samples needs " + std::to_string(needed >> 20) + " MiB, more than this machine's " +
                      std::to_string(memory >> 20) + " MiB of memory");
  }
}

void refuse_overwrite(const fs::path& target, const char* what, const fs::path& precious, const char* precious_what) {
  if (same_file(target, precious)) {
    throw EngineError(std::string("the ") + what + " " + quoted(target) + " is the " + precious_what +
                      "; refusing to overwrite it");
  }
}

// Hands every bicluster on to the result writer and keeps its members.
class KeepingSink final : public BiclusterSink {
 public:
  explicit KeepingSink(BiclusterSink& writer) : writer_(writer) {}
  void accept(const Bicluster& bicluster) override {
    writer_.accept(bicluster);
    BiclusterMembers members{{bicluster.members.begin(), bicluster.members.end()}, {}};
    members.samples.reserve(static_cast<std::size_t>(bicluster.selected_samples));
    for (std::size_t s = 0; s < bicluster.sample_flags.size(); ++s) {
      if (bicluster.sample_flags[s] == 1) members.samples.push_back(static_cast<std::int32_t>(s));
    }
    kept.push_back(std::move(members));
  }
  std::vector<BiclusterMembers> kept;

 private:
  BiclusterSink& writer_;
};

std::unique_ptr<OutputFile> create_output(const fs::path& path) {
  try {
    return std::make_unique<OutputFile>(path);
  } catch (const OutputError& e) {
    throw EngineError(e.what());
  }
}

// Two engines started in one folder would splice their reports into one file that looks complete:
// the second is refused while the first holds the report's lock.
std::unique_ptr<OutputFile> lock_report(const fs::path& path, const std::string& advice) {
  try {
    return OutputFile::open_locked(path);
  } catch (const FileLockedError&) {
    std::error_code ec;
    const fs::path shown = fs::absolute(path, ec);
    throw EngineError("another kova2 run is writing its report " + quoted(ec ? path : shown) + advice);
  } catch (const OutputError& e) {
    throw EngineError(e.what());
  }
}

void start_report(OutputFile& report) {
  report.empty();
  write_report_header(report);
}

int run(std::istream& in, std::ostream& out, std::ostream& err) {
  const RunDescriptionPaths paths = run_description_paths();
  const RunFiles files = read_outinfo(paths.outinfo);
  RunRequest request;
  request.input = files.input;
  request.output = files.output;
  request.report = kReportFileName;
  const RunSize size = read_doutinfo(paths.doutinfo);
  request.settings = {size.genes, size.samples, size.threshold};
  request.run_descriptions = {paths.outinfo, paths.doutinfo};
  request.show_progress = is_terminal(stderr);
  const std::int32_t found = perform_run(
      request, [&] { return ask_maximum_biclusters(in, out); }, err);
  out << run_summary(found, request.output, request.report) << kLineEnd << std::flush;
  return 0;
}

}  // namespace

bool same_file(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  const fs::path ca = fs::weakly_canonical(fs::absolute(a, ec), ec);
  if (ec) return false;
  const fs::path cb = fs::weakly_canonical(fs::absolute(b, ec), ec);
  return !ec && same_path_name(ca, cb);
}

std::int32_t perform_run(const RunRequest& request, const std::function<std::optional<std::int32_t>()>& maximum,
                         std::ostream& err) {
  RunSettings settings = request.settings;
  validate(settings);
  check_table_fits(settings);  // before any result file is truncated

  MatrixFile input = open_matrix_file(request.input);
  refuse_overwrite(request.output, "output file", request.input, "input matrix");
  refuse_overwrite(request.report, "report", request.input, "input matrix");
  refuse_overwrite(request.output, "output file", request.report, "report");
  for (const fs::path& description : request.run_descriptions) {
    refuse_overwrite(request.output, "output file", description, "run description file");
  }

  std::unique_ptr<OutputFile> report =
      lock_report(request.report, request.when_report_locked);  // before any truncation
  std::unique_ptr<OutputFile> output = create_output(request.output);
  start_report(*report);

  const std::optional<std::int32_t> maximum_biclusters = maximum();
  if (!maximum_biclusters) throw EngineError("no maximum number of biclusters was given: the console input ended");
  settings.max_biclusters = *maximum_biclusters;

  GeneTable table(settings.genes, settings.samples);
  const std::vector<std::string> warnings = load_matrix_file(std::move(input), request.input, table);
  for (const std::string& warning : warnings) err << "kova2: warning: " << warning << kLineEnd;
  err << std::flush;

  ResultWriter writer(table, *output, *report);
  KeepingSink keeping(writer);
  ConsoleProgress progress(err, request.show_progress);
  const std::int32_t found =
      search(table, settings, request.after_run ? static_cast<BiclusterSink&>(keeping) : writer, &progress);
  progress.finish();
  // The membership lines mark a complete run: they go into the report only once every bicluster
  // is on disk in the output file, so a failed or killed run never leaves them behind.
  output->close();
  writer.write_membership();
  report->close();
  if (request.after_run) request.after_run(table, keeping.kept);
  return found;
}

std::string run_summary(std::int32_t found, const fs::path& output, const fs::path& report) {
  std::error_code ec;
  const fs::path report_shown = fs::absolute(report, ec);
  return "kova2: " + std::to_string(found) + (found == 1 ? " bicluster" : " biclusters") + " written to " +
         quoted(output) + " and " + quoted(ec ? report : report_shown);
}

int report_run_errors(std::ostream& err, const std::function<int()>& body) {
  try {
    return body();
  } catch (const OutputError& e) {
    err << "kova2: error: " << e.what() << "; the results are incomplete" << kLineEnd << std::flush;
  } catch (const std::runtime_error& e) {  // EngineError, RunDescriptionLocationError and the like
    err << "kova2: error: " << e.what() << kLineEnd << std::flush;
  } catch (const std::bad_alloc&) {
    err << "kova2: error: out of memory" << kLineEnd << std::flush;
  }
  return 1;
}

int run_engine(std::istream& in, std::ostream& out, std::ostream& err) {
  return report_run_errors(err, [&] { return run(in, out, err); });
}

}  // namespace kova
