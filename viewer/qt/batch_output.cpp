#include "viewer/qt/batch_output.hpp"

#include <atomic>
#include <optional>
#include <stdexcept>

#include "viewer/core/bicluster_measures.hpp"
#include "viewer/core/class_levels.hpp"
#include "viewer/core/table_export.hpp"
#include "viewer/qt/bicluster_pictures.hpp"

namespace kova::viewer {
namespace {

void check(const QString& error) {
  if (!error.isEmpty()) throw std::runtime_error(error.toStdString());
}

std::filesystem::path picture_path(const std::filesystem::path& folder, std::int32_t number, std::size_t count) {
  std::string digits = std::to_string(number);
  digits.insert(0, std::to_string(count).size() - std::min(digits.size(), std::to_string(count).size()), '0');
  return folder / ("bicluster" + digits + ".png");
}

void write_all_pictures(const LoadedRun& run, const CommandLine& line, const HeatmapOptions& options,
                        const std::vector<PlainCorrelation>& measures, const RunMeaning& meaning, const QFont& font,
                        const PictureProgress& progress) {
  const std::filesystem::path folder = line.all;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder)) throw std::runtime_error("cannot create the folder '" + line.all + "'");
  const std::size_t count = run.biclusters.size();
  for (std::size_t index = 0; index < count; ++index) {
    const std::filesystem::path path = picture_path(folder, run.biclusters[index].number, count);
    HeatmapOptions with_measure = options;
    with_measure.measure = &measures[index];
    with_measure.p_value = meaning.p_value(index);
    check(save_heatmap(run, index, QString::fromStdString(path.string()), font, with_measure,
                       QSize(line.width, line.height), line.dpi));
    progress(index + 1, count);
  }
}

}  // namespace

void write_batch_output(const CommandLine& line, const QFont& font, const MatrixWarning& warn,
                        const PictureProgress& progress) {
  const LoadedRun run = load_run(*line.run);
  for (const std::string& warning : run.matrix_warnings) warn(warning);
  std::optional<SampleAnnotation> annotation;
  if (!line.samples.empty()) {
    annotation = read_sample_annotation(line.samples, run.files.samples);
    merge_levels(*annotation, line.merges);
  }
  std::optional<GeneNames> names;
  std::optional<GeneSymbols> symbols;
  if (!line.gene_names.empty()) {
    names = read_gene_names(line.gene_names);
    symbols = symbols_for(run, *names, line.gene_names);
  }
  RunMeaning meaning;
  read_significance_beside(run, meaning);
  if (!line.gene_sets.empty()) enrich(run, names ? &*names : nullptr, read_gene_sets(line.gene_sets), line.gene_sets, meaning);
  if (annotation) meaning.classes = sample_classes(*annotation, members_of(run));
  const HeatmapOptions options{.annotation = annotation ? &*annotation : nullptr,
                               .clustered = line.cluster,
                               .symbols = symbols ? &*symbols : nullptr};
  const std::atomic<bool> never_stop = false;
  // The plain r of every bicluster, for the table and the pictures' titles.
  const std::vector<PlainCorrelation> measures =
      line.table.empty() && line.all.empty() ? std::vector<PlainCorrelation>{} : plain_correlations(run, never_stop);

  if (!line.table.empty()) {
    write_text_file(line.table, bicluster_table_text(run, measures, every_bicluster(run), separator_for(line.table),
                                                     {.symbols = options.symbols, .meaning = &meaning,
                                                      .annotation = options.annotation}));
  }
  if (!line.members.empty()) {
    write_text_file(line.members,
                    bicluster_members_text(run, every_bicluster(run), options.annotation, separator_for(line.members),
                                           options.symbols));
  }
  if (!line.gmt.empty()) write_text_file(line.gmt, gmt_lines(run, every_bicluster(run), options.symbols));
  if (!line.png.empty()) {
    if (static_cast<std::size_t>(line.bicluster) > run.biclusters.size()) {
      throw std::runtime_error("'" + run.files.output.string() + "' holds " + std::to_string(run.biclusters.size()) +
                               " biclusters, there is no bicluster " + std::to_string(line.bicluster));
    }
    const auto index = static_cast<std::size_t>(line.bicluster - 1);
    HeatmapOptions with_p = options;
    with_p.p_value = meaning.p_value(index);
    check(save_heatmap(run, index, QString::fromStdString(line.png), font, with_p, QSize(line.width, line.height),
                       line.dpi));
  }
  if (!line.all.empty()) write_all_pictures(run, line, options, measures, meaning, font, progress);
}

}  // namespace kova::viewer
