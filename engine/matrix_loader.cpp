#include "engine/matrix_loader.hpp"

#include <string>

#include "common/number_syntax.hpp"
#include "engine/in_place_number.hpp"

namespace kova {
namespace {

// Reads values from `s` on straight from the buffer while each piece is a whole number followed
// by white space; returns the first sample still due.
std::int32_t read_values_in_place(BlockReader& in, double* values, std::int32_t s, std::int32_t samples) {
  const std::string_view window = in.buffered();
  const char* p = window.data();
  const char* const limit = p + window.size();
  const char* read_to = p;
  for (; s < samples; ++s) {
    while (p < limit && is_white_space(*p)) ++p;
    const InPlaceNumber number = read_whole_number(p, limit);
    if (number.end == nullptr) break;
    values[s] = number.value;
    p = read_to = number.end;
  }
  in.consume(static_cast<std::size_t>(read_to - window.data()));
  return s;
}

enum class PieceRead { Value, NotANumber, EndOfFile };

// One value by the general rules: the whole next piece, scanned, then converted.
PieceRead read_value_by_piece(BlockReader& in, double& value) {
  const std::string_view piece = in.peek_piece();
  const RealScan scan = scan_real(piece);
  if (scan.length == 0) return piece.empty() ? PieceRead::EndOfFile : PieceRead::NotANumber;
  if (scan.is_number) value = real_value(piece.substr(0, scan.length));
  in.consume(scan.length);
  return PieceRead::Value;
}

}  // namespace

MatrixLoadSummary load_matrix(BlockReader& in, GeneTable& table) {
  MatrixLoadSummary summary;
  const std::int32_t samples = table.samples();
  for (std::int32_t gene = 0; gene < table.genes(); ++gene) {
    GeneRecord& record = table[gene];
    const std::string_view name = in.peek_piece();
    if (name.empty() && summary.ended_in_gene < 0) summary.ended_in_gene = gene;
    record.name.assign(name);
    in.consume(name.size());
    for (std::int32_t s = 0; s < samples; ++s) {
      s = read_values_in_place(in, record.values, s, samples);
      if (s == samples) break;
      // A piece the in-place reading leaves: a lone sign, "2.5x", a name, or a cut piece.
      const PieceRead read = read_value_by_piece(in, record.values[s]);
      if (read == PieceRead::Value) continue;
      if (read == PieceRead::EndOfFile && summary.ended_in_gene < 0) summary.ended_in_gene = gene;
      break;  // the gene's other values stay 0; a piece that is no number names the next gene
    }
  }
  if (in.failed()) throw MatrixReadError("reading failed");
  if (in.piece_too_long()) {
    throw MatrixReadError("it holds more than " + std::to_string(BlockReader::kMaxPieceBytes >> 20) +
                          " MiB without white space, so it is no text matrix");
  }
  return summary;
}

}  // namespace kova
