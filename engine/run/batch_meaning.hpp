#pragma once
// The batch way's meaning files beside the output (--significance, --gene-sets, --sample-classes):
// their inputs read and refused before the run touches any file, their text written once the
// output file and the report are complete, each under a temporary name renamed when whole.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <vector>

#include "engine/run/batch_arguments.hpp"
#include "kova/meaning.hpp"

namespace kova {

struct MeaningFile {
  std::filesystem::path path;  // <output>.significance.tsv and the like
  const char* what;            // "significance", for the closing line
};

struct MeaningRequest {
  std::optional<SignificanceSettings> significance;
  std::optional<std::vector<GeneSet>> sets;
  std::optional<GeneNames> names;
  std::filesystem::path sets_file, names_file;
  std::optional<SampleAnnotation> classes;
  std::vector<MeaningFile> files;  // in the order written
};

// Reads the gene sets, gene names and sample classes the options name (the matrix has `samples`
// samples) and refuses a meaning file that would replace the matrix, the report or one of them.
// Throws EngineError naming the file, the line and the reason.
MeaningRequest read_meaning_request(const BatchOptions& options, std::int32_t samples,
                                    const std::filesystem::path& report);

// Removes meaning files an earlier run left under the names this run writes, so that none stands
// beside an output it does not belong to.
void remove_earlier_meaning_files(const MeaningRequest& request);

// Rates the biclusters and writes the files. The progress line of the null runs goes to `err`
// when `show_progress`. Throws EngineError, OutputError and SearchStopped.
void write_meaning_files(const MeaningRequest& request, const RunSettings& settings, const GeneTable& table,
                         std::span<const BiclusterMembers> biclusters, std::ostream& err, bool show_progress);

}  // namespace kova
