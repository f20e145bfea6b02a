#include "engine/matrix_loader.hpp"

#include <string>

#include "common/number_syntax.hpp"

namespace kova {

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
      const std::string_view piece = in.peek_piece();
      const RealScan scan = scan_real(piece);
      if (scan.length == 0) {  // end of file, or a piece that becomes the next name
        if (piece.empty() && summary.ended_in_gene < 0) summary.ended_in_gene = gene;
        break;
      }
      if (scan.is_number) record.values[s] = real_value(piece.substr(0, scan.length));
      in.consume(scan.length);
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
