#pragma once
// The command line of kovaview.

#include <optional>
#include <string>
#include <vector>

#include "viewer/core/class_levels.hpp"
#include "viewer/core/run_data.hpp"

namespace kova::viewer {

inline constexpr const char* kUsage =
    "usage: kovaview [INPUTS] [OUTPUT MATRIX [GENES SAMPLES]]\n"
    "       kovaview [INPUTS] [--cluster] [--size WxH] [--dpi N] --png FILE --bicluster N OUTPUT MATRIX [GENES SAMPLES]\n"
    "       kovaview [INPUTS] [--cluster] [--size WxH] [--dpi N] --all DIR OUTPUT MATRIX [GENES SAMPLES]\n"
    "       kovaview [INPUTS] [--table FILE] [--members FILE] [--gmt FILE] OUTPUT MATRIX [GENES SAMPLES]\n"
    "  INPUTS: [--samples FILE [--merge LEVEL,LEVEL,...=NEW;...]] [--gene-names FILE] [--gene-sets FILE]\n"
    "  GENES and SAMPLES are counted from the matrix when not given, one gene per line.\n"
    "  --png, --all, --table, --members and --gmt write files without a window; a table name ending\n"
    "  in .csv gives CSV, any other tab-separated text; --gmt writes each bicluster's genes as a line.\n"
    "  --gene-names: per line a matrix name, its symbol and a description, tab separated.\n"
    "  --gene-sets: a GMT file; the table names each bicluster's best set, its p-value (from\n"
    "  OUTPUT.significance.tsv) and its best sample class where they are known. --help: this.";

struct CommandLine {
  std::optional<RunFiles> run;  // empty: offer the last run prepared with KOVA
  std::string samples;          // a sample annotation file, or empty
  std::vector<LevelMerge> merges;  // --merge: class levels shown as one
  std::string merges_text;         // the same as given, each --merge separated by "; "
  std::string png;              // non-empty: draw one heatmap to this file, no window
  std::int32_t bicluster = 0;   // 1-based, with `png`
  std::string all;              // non-empty: one heatmap per bicluster into this folder
  std::string table;            // non-empty: the bicluster table to this file
  std::string members;          // non-empty: every bicluster's genes and samples to this file
  std::string gene_names;       // a gene names file: symbols beside the matrix's names, or empty
  std::string gmt;              // non-empty: every bicluster's genes as GMT lines to this file
  std::string gene_sets;        // a GMT file the biclusters are tested against, or empty
  int width = 0;                // --size; 0: the picture's natural size
  int height = 0;
  int dpi = 96;                 // --dpi: the same picture with more pixels
  bool cluster = false;         // heatmap rows and columns ordered by clustering
  bool help = false;            // --help: show the usage and nothing else
  std::string error;            // non-empty: the arguments are wrong; says why

  // Writes files and opens no window.
  bool batch() const { return !png.empty() || !all.empty() || !table.empty() || !members.empty() || !gmt.empty(); }
};

// `arguments` without the program name. The report is looked for beside OUTPUT, then in
// `current_folder`.
CommandLine parse_command_line(const std::vector<std::string>& arguments, const std::filesystem::path& current_folder);

}  // namespace kova::viewer
