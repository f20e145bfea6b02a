#include "engine/input/matrix_loader.hpp"

#include <cmath>
#include <string>

#include "common/number_syntax.hpp"
#include "engine/input/in_place_number.hpp"
#include "engine/input/matrix_refusal.hpp"

namespace kova {
namespace {

// Reads values from `s` on straight from the buffer while each piece is a whole, finite number
// followed by white space; returns the first sample still due.
std::int32_t read_values_in_place(BlockReader& in, double* values, std::int32_t s, std::int32_t samples) {
  const std::string_view window = in.buffered();
  const char* p = window.data();
  const char* const limit = p + window.size();
  const char* read_to = p;
  for (; s < samples; ++s) {
    while (p < limit && is_white_space(*p)) ++p;
    const InPlaceNumber number = read_whole_number(p, limit);
    if (number.end == nullptr || std::isinf(number.value)) break;
    values[s] = number.value;
    p = read_to = number.end;
  }
  in.consume(static_cast<std::size_t>(read_to - window.data()));
  return s;
}

// One value by the general rules: the whole next piece, which must be a number or one of the
// pieces read as 0. False at the end of the file. `name_line`: where the gene's name is.
bool read_value_by_piece(BlockReader& in, double& value, std::int64_t name_line, std::int32_t samples) {
  const std::string_view piece = in.peek_piece();
  if (piece.empty()) return false;
  const RealScan scan = scan_real(piece);
  if (scan.length != piece.size()) throw refuse_piece(in, piece, name_line, samples, PieceFault::kNoNumber);
  if (scan.is_number) {
    value = real_value(piece);
    if (std::isinf(value)) throw refuse_piece(in, piece, name_line, samples, PieceFault::kBeyondRange);
  }
  in.consume(piece.size());
  return true;
}

// A name such as "-0.0556": a real number with a '.' or an exponent, seldom a gene's name.
bool looks_like_a_value(std::string_view name) {
  const RealScan scan = scan_real(name);
  return scan.is_number && scan.length == name.size() && name.find_first_of(".eE") != std::string_view::npos;
}

void note_name(BlockReader& in, std::string_view name, MatrixLoadSummary& summary) {
  if (!looks_like_a_value(name)) return;
  if (summary.numeric_names++ == 0) {
    summary.first_numeric_name.assign(name);
    summary.first_numeric_name_line = in.line();
  }
}

// Finds the last line that holds a piece after the genes read.
void survey_rest(BlockReader& in, bool read_any, MatrixLoadSummary& summary) {
  summary.lines_read = summary.last_line = read_any ? in.line() : 0;
  for (std::string_view piece = in.peek_piece(); !piece.empty(); piece = in.peek_piece()) {
    summary.last_line = in.line();
    in.consume(piece.size());
  }
}

}  // namespace

MatrixLoadSummary load_matrix(BlockReader& in, GeneTable& table) {
  MatrixLoadSummary summary;
  check_encoding(in);
  if (table.genes() > 0 && in.peek_piece().empty() && !in.failed() && !in.piece_too_long()) {
    throw MatrixFormatError("it holds nothing, but the run says " + std::to_string(table.genes()) +
                            " genes: is it the right file?");
  }
  const std::int32_t samples = table.samples();
  for (std::int32_t gene = 0; gene < table.genes(); ++gene) {
    GeneRecord& record = table[gene];
    const std::string_view name = in.peek_piece();
    if (name.empty() && summary.ended_in_gene < 0) summary.ended_in_gene = gene;
    const std::int64_t name_line = name.empty() ? 0 : in.line();
    note_name(in, name, summary);
    record.name.assign(name);
    in.consume(name.size());
    for (std::int32_t s = 0; s < samples; ++s) {
      s = read_values_in_place(in, record.values, s, samples);
      if (s == samples) break;
      // A piece the in-place reading leaves: a lone sign, a cut piece, or one to refuse.
      if (read_value_by_piece(in, record.values[s], name_line, samples)) continue;
      if (summary.ended_in_gene < 0) summary.ended_in_gene = gene;
      break;  // the gene's other values stay 0
    }
  }
  if (in.failed()) throw MatrixReadError("reading failed");
  if (in.piece_too_long()) {
    throw MatrixReadError("it holds more than " + std::to_string(BlockReader::kMaxPieceBytes >> 20) +
                          " MiB without white space, so it is no text matrix");
  }
  survey_rest(in, table.genes() > 0, summary);
  if (in.failed()) throw MatrixReadError("reading failed");
  return summary;
}

std::vector<std::string> matrix_warnings(const MatrixLoadSummary& summary, std::int32_t genes, std::int32_t samples) {
  std::vector<std::string> warnings;
  if (summary.ended_in_gene >= 0) {
    warnings.push_back("it ends in gene " + std::to_string(summary.ended_in_gene + 1) + " of the " +
                       std::to_string(genes) +
                       " genes the run says: the missing names are empty and the missing values 0");
  } else if (summary.last_line > summary.lines_read) {
    warnings.push_back("only the first " + std::to_string(summary.lines_read) + " of its " +
                       std::to_string(summary.last_line) + " lines were read: the run says " + std::to_string(genes) +
                       " genes");
  }
  if (summary.numeric_names > 0) {
    warnings.push_back(std::to_string(summary.numeric_names) +
                       (summary.numeric_names == 1 ? " gene name is a number" : " gene names are numbers") +
                       ", such as '" + summary.first_numeric_name + "' on line " +
                       std::to_string(summary.first_numeric_name_line) + ": are there really " +
                       std::to_string(samples) + " samples?");
  }
  return warnings;
}

}  // namespace kova
