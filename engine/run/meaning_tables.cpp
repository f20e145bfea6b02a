#include "engine/run/meaning_tables.hpp"

#include <charconv>

#include "common/line_layout.hpp"

namespace kova {
namespace {

class Table {
 public:
  explicit Table(std::string_view header) { text_.append(header).append(kLineEnd); }

  Table& field(std::string_view value) {
    if (!at_line_start_) text_ += '\t';
    text_.append(value);
    at_line_start_ = false;
    return *this;
  }
  Table& field(std::int64_t value) {
    char digits[24];
    return field(std::string_view(
        digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits)));
  }
  Table& field(double value) {
    char digits[32];
    return field(std::string_view(
        digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits)));
  }
  void end_line() {
    text_.append(kLineEnd);
    at_line_start_ = true;
  }
  std::string take() { return std::move(text_); }

 private:
  std::string text_;
  bool at_line_start_ = true;
};

const std::string& symbol_of(const std::string& name, const GeneNames* names) {
  if (names == nullptr) return name;
  return names->at(name).symbol;  // every overlap gene mapped, so it is there
}

}  // namespace

std::string significance_table(std::span<const BiclusterMembers> biclusters, std::span<const Significance> rated) {
  Table table("bicluster\tgenes\tsamples\tp_value\texpected");
  for (std::size_t b = 0; b < rated.size(); ++b) {
    table.field(static_cast<std::int64_t>(b + 1))
        .field(static_cast<std::int64_t>(biclusters[b].genes.size()))
        .field(static_cast<std::int64_t>(biclusters[b].samples.size()))
        .field(rated[b].p_value)
        .field(rated[b].expected)
        .end_line();
  }
  return table.take();
}

std::string enrichment_table(std::span<const std::vector<SetEnrichment>> enriched, std::span<const GeneSet> sets,
                             std::span<const std::string> matrix_genes, const GeneNames* names) {
  Table table("bicluster\tset\toverlap\tset_size\tbicluster_genes\tuniverse\tp_value\tq_value\tgenes\tsymbols");
  std::string genes, symbols;
  for (std::size_t b = 0; b < enriched.size(); ++b) {
    for (std::size_t i = 0; i < enriched[b].size(); ++i) {
      const SetEnrichment& e = enriched[b][i];
      if (i > 0 && e.q_value > kListedQ) continue;
      genes.clear();
      symbols.clear();
      for (const std::int32_t row : e.overlap_genes) {
        const std::string& name = matrix_genes[static_cast<std::size_t>(row)];
        if (!genes.empty()) {
          genes += ',';
          symbols += ',';
        }
        genes += name;
        symbols += symbol_of(name, names);
      }
      table.field(static_cast<std::int64_t>(b + 1))
          .field(sets[static_cast<std::size_t>(e.set)].name)
          .field(std::int64_t{e.overlap})
          .field(std::int64_t{e.set_size})
          .field(std::int64_t{e.bicluster_size})
          .field(std::int64_t{e.universe})
          .field(e.p_value)
          .field(e.q_value)
          .field(genes)
          .field(symbols)
          .end_line();
    }
  }
  return table.take();
}

std::string classes_table(std::span<const std::vector<ClassEnrichment>> classes, const SampleAnnotation& annotation) {
  Table table("bicluster\tcolumn\tclass\tin_bicluster\tbicluster_samples\tin_matrix\tsamples\tp_value\tq_value");
  for (std::size_t b = 0; b < classes.size(); ++b) {
    for (const ClassEnrichment& c : classes[b]) {
      table.field(static_cast<std::int64_t>(b + 1))
          .field(annotation.class_titles[static_cast<std::size_t>(c.column)])
          .field(c.level)
          .field(std::int64_t{c.in_bicluster})
          .field(std::int64_t{c.bicluster_samples})
          .field(std::int64_t{c.in_matrix})
          .field(std::int64_t{c.samples})
          .field(c.p_value)
          .field(c.q_value)
          .end_line();
    }
  }
  return table.take();
}

}  // namespace kova
