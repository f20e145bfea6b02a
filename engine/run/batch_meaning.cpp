#include "engine/run/batch_meaning.hpp"

#include <chrono>
#include <system_error>

#include "common/line_layout.hpp"
#include "engine/platform/file_names.hpp"
#include "engine/run/console_progress.hpp"
#include "engine/run/engine_run.hpp"
#include "engine/run/meaning_tables.hpp"
#include "kova/result_files.hpp"

namespace kova {
namespace {

namespace fs = std::filesystem;

fs::path beside(const fs::path& output, const char* suffix) {
  fs::path path = output;
  path += suffix;
  return path;
}

// "null runs 12 of 100, 0:05 elapsed, about 0:37 left", rewritten in place a few times a second.
class NullRunLine {
 public:
  NullRunLine(std::ostream& out, bool enabled) : out_(out), enabled_(enabled), start_(Clock::now()) {}
  ~NullRunLine() { finish(); }
  NullRunLine(const NullRunLine&) = delete;
  NullRunLine& operator=(const NullRunLine&) = delete;

  void update(std::int32_t done, std::int32_t runs) {
    if (!enabled_) return;
    const Clock::time_point now = Clock::now();
    if (done < runs && now - shown_ < std::chrono::milliseconds(250)) return;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    std::string text = "null runs " + std::to_string(done) + " of " + std::to_string(runs) + ", " +
                       format_duration(elapsed) + " elapsed";
    if (done > 0 && done < runs) text += ", about " + format_duration(elapsed * (runs - done) / done) + " left";
    out_ << '\r' << text;
    if (text.size() < width_) out_ << std::string(width_ - text.size(), ' ');
    out_ << std::flush;
    width_ = text.size();
    shown_ = now;
  }

  void finish() {
    if (enabled_ && width_ > 0) out_ << kLineEnd << std::flush;
    enabled_ = false;
  }

 private:
  using Clock = std::chrono::steady_clock;
  std::ostream& out_;
  bool enabled_;
  Clock::time_point start_;
  Clock::time_point shown_;
  std::size_t width_ = 0;
};

// The whole text under a temporary name, then renamed: a failed or stopped run leaves no file
// that looks whole.
void write_whole(const fs::path& path, const std::string& text) {
  const fs::path part = beside(path, ".part");
  std::error_code ec;
  try {
    OutputFile file(part);
    file.write(text);
    file.close();
  } catch (const OutputError&) {
    fs::remove(part, ec);
    throw;
  }
  fs::rename(part, path, ec);
  if (ec) {
    fs::remove(part, ec);
    throw EngineError("cannot write " + quoted(path) + ": " + ec.message());
  }
}

}  // namespace

MeaningRequest read_meaning_request(const BatchOptions& options, std::int32_t samples, const fs::path& report) {
  MeaningRequest request;
  std::vector<std::pair<fs::path, const char*>> read = {{options.matrix, "input matrix"}, {report, "report"}};
  try {
    if (options.gene_sets) {
      request.sets = read_gene_sets(*options.gene_sets);
      request.sets_file = *options.gene_sets;
      read.emplace_back(*options.gene_sets, "gene-set file");
      if (options.gene_names) {
        request.names = read_gene_names(*options.gene_names);
        request.names_file = *options.gene_names;
        read.emplace_back(*options.gene_names, "gene-name file");
      }
      request.files.push_back({beside(options.output, ".enrichment.tsv"), "gene-set enrichment"});
    }
  } catch (const MeaningFileError& e) {
    throw EngineError(e.what());
  }
  if (options.sample_classes) {
    try {
      request.classes = read_sample_annotation(*options.sample_classes, samples);
    } catch (const AnnotationError& e) {
      throw EngineError(e.what());
    }
    if (request.classes->classes.empty()) {
      throw EngineError(quoted(*options.sample_classes) +
                        " gives the samples no class: after each name, a tab and "
                        "the sample's class");
    }
    read.emplace_back(*options.sample_classes, "sample-class file");
    request.files.push_back({beside(options.output, ".classes.tsv"), "sample classes"});
  }
  // Last, since its null runs take longest: what else is wrong is told first.
  if (options.significance_runs) {
    request.significance = SignificanceSettings{*options.significance_runs, options.seed};
    request.files.push_back({beside(options.output, ".significance.tsv"), "significance"});
  }
  for (const MeaningFile& file : request.files) {
    for (const auto& [precious, what] : read) {
      if (same_file(file.path, precious)) {
        throw EngineError("the " + std::string(file.what) + " file " + quoted(file.path) + " is the " + what +
                          "; refusing to overwrite it");
      }
    }
  }
  return request;
}

void remove_earlier_meaning_files(const MeaningRequest& request) {
  for (const MeaningFile& file : request.files) {
    std::error_code ec;
    fs::remove(file.path, ec);
    if (ec) throw EngineError("cannot replace " + quoted(file.path) + ": " + ec.message());
  }
}

void write_meaning_files(const MeaningRequest& request, const RunSettings& settings, const GeneTable& table,
                         std::span<const BiclusterMembers> biclusters, std::ostream& err, bool show_progress) {
  // Every text first, in the order of the files, then the files: a failure, or a stop in the slow
  // null runs, leaves none of them written.
  std::vector<std::string> texts;
  if (request.sets) {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(table.genes()));
    for (std::int32_t g = 0; g < table.genes(); ++g) names.push_back(table[g].name);
    const GeneNames* gene_names = request.names ? &*request.names : nullptr;
    try {
      texts.push_back(
          enrichment_table(enrichment(names, gene_names, *request.sets, biclusters), *request.sets, names, gene_names));
    } catch (const MeaningFileError& e) {  // nothing maps: the file that does not fit the matrix
      throw EngineError(path_text(request.names ? request.names_file : request.sets_file) + ": " + e.what());
    }
  }
  if (request.classes) texts.push_back(classes_table(sample_classes(*request.classes, biclusters), *request.classes));
  if (request.significance) {
    NullRunLine line(err, show_progress);
    const std::vector<Significance> rated =
        significance(table, settings, biclusters, *request.significance,
                     [&](std::int32_t done, std::int32_t runs) { line.update(done, runs); });
    line.finish();
    texts.push_back(significance_table(biclusters, rated));
  }
  for (std::size_t i = 0; i < texts.size(); ++i) write_whole(request.files[i].path, texts[i]);
}

}  // namespace kova
