// Fuzz target: a whole run on a fuzzed matrix with few genes and samples: loading, the search and
// both result files (written into memory). The first bytes choose the number of genes, the number
// of samples, the threshold and the maximum number of biclusters; the rest is the matrix file.
// The files written are held against the biclusters the search handed out, and the biclusters
// against the rules every result must keep.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "kova/search.hpp"
#include "kova/matrix.hpp"
#include "kova/result_files.hpp"
#include "fuzz/fuzz_support.hpp"

namespace kova::fuzz {
namespace {

struct Found {
  std::int32_t number;
  std::vector<std::int32_t> members;
  std::vector<std::int32_t> flags;
  std::int32_t selected;
};

// Keeps a copy of every bicluster on its way to the writer.
class RecordingSink final : public BiclusterSink {
 public:
  explicit RecordingSink(BiclusterSink& next) : next_(next) {}
  void accept(const Bicluster& b) override {
    found.push_back({b.number, {b.members.begin(), b.members.end()}, {b.sample_flags.begin(), b.sample_flags.end()},
                     b.selected_samples});
    next_.accept(b);
  }
  std::vector<Found> found;

 private:
  BiclusterSink& next_;
};

double correlation_over(const GeneTable& table, std::int32_t p, std::int32_t m, const Found& b) {
  PairSums sums;
  for (std::size_t s = 0; s < b.flags.size(); ++s) {
    if (b.flags[s] != 0) sums.add(table.row(p)[s], table.row(m)[s]);
  }
  return correlation(sums, b.selected);
}

void check_biclusters(const GeneTable& table, double threshold, std::int32_t maximum, const std::vector<Found>& found) {
  check(found.size() <= static_cast<std::size_t>(std::max(maximum, 1)), "more biclusters than the maximum");
  std::set<std::int32_t> placed;  // every gene of the biclusters before this one
  for (std::size_t k = 0; k < found.size(); ++k) {
    const Found& b = found[k];
    check(b.number == static_cast<std::int32_t>(k) + 1, "biclusters are not numbered 1, 2, ...");
    check(b.members.size() >= 2 && b.members[0] < b.members[1], "a bicluster needs a seed and a later partner");
    check(b.flags.size() == static_cast<std::size_t>(table.samples()), "one flag per sample expected");
    std::int32_t selected = 0;
    for (std::size_t s = 0; s < b.flags.size(); ++s) {
      check(b.flags[s] == 0 || b.flags[s] == 1, "a sample flag is neither 0 nor 1");
      if (b.flags[s] == 0) continue;
      ++selected;
      check(table.row(b.members[0])[s] != 0.0 && table.row(b.members[1])[s] != 0.0,
            "a selected sample is 0 in a seed gene");
    }
    check(selected == b.selected && selected >= 3, "the selected-sample count is wrong or below 3");
    for (std::size_t q = 0; q < b.members.size(); ++q) {
      const std::int32_t gene = b.members[q];
      check(gene >= 0 && gene < table.genes(), "a member outside the table");
      if (q > 0) check(placed.count(gene) == 0, "a gene placed before is a partner or an added member again");
      for (std::size_t other = 0; other < q; ++other) check(b.members[other] != gene, "a gene is a member twice");
      if (q < 2) continue;
      for (std::size_t earlier = 0; earlier < q; ++earlier) {
        check(correlation_over(table, gene, b.members[earlier], b) >= threshold,
              "an added member does not reach the threshold with an earlier member");
      }
    }
    // Only the seed whose partners are being tried goes on: a placed gene never seeds a later loop.
    check(placed.count(b.members[0]) == 0 || b.members[0] == found[k - 1].members[0], "a placed gene seeds again");
    placed.insert(b.members.begin(), b.members.end());
  }
  if (maximum <= 0 && !found.empty()) check(found[0].members[0] == 0, "with a maximum <= 0 only gene 0 may seed");
}

// The two files, formatted from the recorded biclusters with the C library.
void check_files(const GeneTable& table, const std::vector<Found>& found, const std::string& output,
                 const std::string& report) {
  std::string out;
  std::string rep = "Bicluster\tNo. of rows\tNo. of columns\tSize\r\n";
  std::vector<long> gene_counts(table.genes()), sample_counts(table.samples());
  char line[64];
  for (const Found& b : found) {
    const long g = static_cast<long>(b.members.size());
    std::snprintf(line, sizeof line, "Bicluster%d\t%ld\t%d\t%ld\r\n", b.number, g, b.selected, g * b.selected);
    rep += line;
    std::snprintf(line, sizeof line, "%ld\t%d\r\n", g, b.selected);
    out += line;
    for (std::size_t s = 0; s < b.flags.size(); ++s) {
      if (b.flags[s] == 0) continue;
      std::snprintf(line, sizeof line, "sample%zu, ", s + 1);
      out += line;
      ++sample_counts[s];
    }
    out += "\r\n";
    for (std::int32_t m : b.members) {
      out += table[m].name + "\t";
      ++gene_counts[m];
    }
    out += "\r\n";
  }
  rep += "gene in number of Bicluster\r\n";
  for (long c : gene_counts) rep += std::to_string(c) + "\t";
  rep += "\r\nsamples in number of Bicluster\r\n";
  for (long c : sample_counts) rep += std::to_string(c) + "\t";
  rep += "\r\n";
  check(output == out, "the output file is not what the biclusters found give");
  check(report == rep, "the report is not what the biclusters found give");
}

}  // namespace
}  // namespace kova::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kova::fuzz;
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr std::array<double, 10> kThresholds = {0.9, 0.5, 0.0, -1.0, 1.0, 0.99, -0.5, kInf, -kInf, 2.0};
  constexpr std::array<std::int32_t, 8> kMaxima = {10, 1, 2, 0, -1, 3, std::numeric_limits<std::int32_t>::max(),
                                                   std::numeric_limits<std::int32_t>::min()};
  ByteSource source(data, size);
  const std::int32_t genes = source.take() % 7;
  const std::int32_t samples = source.take() % 8;
  const double threshold = kThresholds[source.take() % kThresholds.size()];
  const std::int32_t maximum = kMaxima[source.take() % kMaxima.size()];
  const std::string text = source.rest();

  FilePtr file = memory_file(text);
  check(file != nullptr, "cannot open a stream over the fuzzed bytes");
  kova::BlockReader reader(file.get());
  kova::GeneTable table(genes, samples);
  try {
    kova::load_matrix(reader, table);
  } catch (const kova::MatrixFormatError&) {
    return 0;  // refused: no search, as in a run
  }

  kova::StringOutput output, report;
  kova::write_report_header(report);
  kova::ResultWriter writer(table, output, report);
  RecordingSink recorder(writer);
  const std::int32_t count = kova::literal_search(table, threshold, maximum, recorder);
  writer.write_membership();

  check(count == static_cast<std::int32_t>(recorder.found.size()), "the count returned is not the count written");
  check_biclusters(table, threshold, maximum, recorder.found);
  check_files(table, recorder.found, output.text(), report.text());
  return 0;
}
