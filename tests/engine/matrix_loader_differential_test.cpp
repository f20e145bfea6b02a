// The matrix loader, which reads most numbers in place in its buffer, against a plain reading of
// the same text piece by piece through scan_real and real_value: names, every value bit for bit,
// and where the file ended, over random texts that mix every number form, the pieces the general
// rules must handle, and block sizes from one byte up, so that pieces straddle block boundaries.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/number_syntax.hpp"
#include "engine/input/block_reader.hpp"
#include "engine/model/gene_table.hpp"
#include "engine/input/in_place_number.hpp"
#include "engine/input/matrix_loader.hpp"

namespace kova {
namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct Loaded {
  std::vector<std::string> names;
  std::vector<std::vector<double>> rows;
  std::int32_t ended_in_gene = -1;
  bool refused = false;  // nothing else counts then
};

// The loading rules over the whole text, one piece at a time: a piece where a value is due must be
// wholly a number (finite) or a lone sign and/or full stop; a text without any piece is refused.
Loaded plain_load(const std::string& text, std::int32_t genes, std::int32_t samples) {
  Loaded loaded{std::vector<std::string>(genes), std::vector<std::vector<double>>(genes, std::vector<double>(samples)),
                -1, false};
  const auto refused = [] { return Loaded{{}, {}, -1, true}; };
  std::size_t i = 0;
  const auto next_piece = [&] {
    while (i < text.size() && is_white_space(text[i])) ++i;
    std::size_t end = i;
    while (end < text.size() && !is_white_space(text[end])) ++end;
    return std::string_view(text).substr(i, end - i);
  };
  const auto ended = [&](std::int32_t gene) {
    if (loaded.ended_in_gene < 0) loaded.ended_in_gene = gene;
  };
  if (genes > 0 && next_piece().empty()) return refused();
  for (std::int32_t g = 0; g < genes; ++g) {
    const std::string_view name = next_piece();
    if (name.empty()) ended(g);
    loaded.names[g] = std::string(name);
    i += name.size();
    for (std::int32_t s = 0; s < samples; ++s) {
      const std::string_view piece = next_piece();
      if (piece.empty()) {
        ended(g);
        break;
      }
      const RealScan scan = scan_real(piece);
      if (scan.length != piece.size()) return refused();
      if (scan.is_number) loaded.rows[g][s] = real_value(piece);
      if (std::isinf(loaded.rows[g][s])) return refused();
      i += scan.length;
    }
  }
  return loaded;
}

Loaded engine_load(const std::string& text, std::int32_t genes, std::int32_t samples, std::size_t block_size) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
  std::fwrite(text.data(), 1, text.size(), file.get());
  std::rewind(file.get());
  BlockReader reader(file.get(), block_size);
  GeneTable table(genes, samples);
  Loaded loaded;
  try {
    loaded.ended_in_gene = load_matrix(reader, table).ended_in_gene;
  } catch (const MatrixFormatError&) {
    return {{}, {}, -1, true};
  }
  for (std::int32_t g = 0; g < genes; ++g) {
    loaded.names.push_back(table[g].name);
    loaded.rows.emplace_back(table.row(g).begin(), table.row(g).end());
  }
  return loaded;
}

// Empty when both agree; else where they first differ.
std::string first_difference(const Loaded& got, const Loaded& want) {
  if (got.refused != want.refused) return got.refused ? "refused, want loaded" : "loaded, want refused";
  if (got.ended_in_gene != want.ended_in_gene) {
    return "ended in gene " + std::to_string(got.ended_in_gene) + ", want " + std::to_string(want.ended_in_gene);
  }
  for (std::size_t g = 0; g < want.names.size(); ++g) {
    if (got.names[g] != want.names[g]) return "gene " + std::to_string(g) + " named " + got.names[g];
    for (std::size_t s = 0; s < want.rows[g].size(); ++s) {
      if (!same_bits(got.rows[g][s], want.rows[g][s])) {
        char values[80];
        std::snprintf(values, sizeof values, "%.17g, want %.17g", got.rows[g][s], want.rows[g][s]);
        return "gene " + std::to_string(g) + " sample " + std::to_string(s) + ": " + values;
      }
    }
  }
  return "";
}

// Fixed seed, and only the engine's raw output is used, so every platform sees the same texts.
class TextGenerator {
 public:
  explicit TextGenerator(std::uint32_t seed) : engine_(seed) {}

  std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(engine_() % n); }
  bool chance(std::uint32_t one_in) { return below(one_in) == 0; }

  std::string digits(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += static_cast<char>('0' + below(10));
    return text;
  }

  std::string sign() { return chance(4) ? "-" : chance(8) ? "+" : ""; }

  // A whole number, in the forms a matrix holds and the forms at the edges of exact conversion.
  std::string number() {
    switch (below(12)) {
      case 0: return "0";
      case 1: return sign() + "0." + digits(below(4)) + (chance(2) ? "0" : "");
      case 2: return sign() + std::string(1 + below(6), '0') + digits(1 + below(4));  // leading zeros
      case 3: return sign() + digits(14 + below(8)) + (chance(2) ? "." + digits(below(6)) : "");  // near 2^53, 10^19
      case 4: return sign() + digits(1 + below(3)) + "." + digits(30 + below(300));  // far more than a double holds
      case 5: {  // exponents around the exact powers of ten, and where values underflow or overflow
        static const int kExponents[] = {0, 15, 21, 22, 23, -21, -22, -23, -30, 300, 308, 309, -307, -320, -324, -400, 400};
        std::string text = sign() + digits(1 + below(4)) + (chance(2) ? "." + digits(below(4)) : "");
        const int e = kExponents[below(std::size(kExponents))];
        return text + (chance(2) ? "e" : "E") + (e >= 0 && chance(2) ? "+" : "") + std::to_string(e);
      }
      case 6: {  // around 2^53 = 9007199254740992, whole and scaled
        static const char* const kTexts[] = {"9007199254740991", "9007199254740992", "9007199254740993",
                                             "9007199254740994", "900719925474099.3", "9.007199254740993e15",
                                             "0.9007199254740993", "18014398509481985", "9999999999999999"};
        return sign() + kTexts[below(std::size(kTexts))];
      }
      case 7: return sign() + "." + digits(1 + below(8));
      case 8: return sign() + digits(1 + below(5)) + ".";
      case 9: return sign() + digits(1 + below(3)) + "e" + sign() + std::string(below(25), '0') + digits(1 + below(3));
      default: {  // what a writer with 6 significant digits gives
        char text[32];
        const double magnitude = std::ldexp(1.0 + (engine_() % 1000000) / 1e6, static_cast<int>(below(40)) - 20);
        std::snprintf(text, sizeof text, "%.6g", chance(3) ? -magnitude : magnitude);
        return text;
      }
    }
  }

  // Any piece: mostly numbers, and every kind the general rules must handle.
  std::string piece() {
    static const char* const kOthers[] = {"-",    "+",     ".",   "-.",   "+.",   "2.5x", "1e",     "1e+",
                                          "3E-x", "1.5-2", "0,85", "NA",  "inf",  "nan",  "gene_7", "x1",
                                          ".e5",  "-inf",  "1.2.3", "e5", "7e5e", "\x01", "\xc3\xa9"};
    if (chance(6)) return kOthers[below(std::size(kOthers))];
    return number();
  }

  // A piece the rules take where a value is due.
  std::string value() {
    static const char* const kZeros[] = {"-", "+", ".", "-.", "+."};
    if (chance(20)) return kZeros[below(std::size(kZeros))];
    std::string text = number();
    while (std::isinf(real_value(text))) text = number();
    return text;
  }

  std::string name() {
    static const char* const kNames[] = {"g", "1e5", "123", "-", "0.5", "AFFX-BioB-5_at", "+.", "x"};
    return chance(2) ? "gene" + std::to_string(below(10000)) : kNames[below(std::size(kNames))];
  }

  std::string separator() {
    static const char* const kSeparators[] = {"\t", "\t", " ", "\r\n", "\n", "  \t ", "\v", "\f", "\r"};
    return kSeparators[below(std::size(kSeparators))];
  }

  std::size_t block_size() {
    static const std::size_t kSizes[] = {1, 2, 3, 5, 7, 16, 61, 256, std::size_t{1} << 20};
    return kSizes[below(std::size(kSizes))];
  }

 private:
  std::mt19937 engine_;
};

TEST(MatrixLoaderDifferential, RandomTextsLoadAsThePlainReadingBitForBit) {
  TextGenerator gen(9001);
  for (int round = 0; round < 3000; ++round) {
    const std::int32_t genes = static_cast<std::int32_t>(gen.below(6));
    const std::int32_t samples = static_cast<std::int32_t>(gen.below(10));
    std::string text = gen.chance(4) ? gen.separator() : "";
    const std::uint32_t pieces = (genes * (1 + samples)) + gen.below(4);
    for (std::uint32_t p = 0; p < pieces; ++p) {
      text += p % (1 + samples) == 0 ? gen.name() : gen.piece();
      text += gen.separator();
    }
    if (gen.chance(4)) text.resize(gen.below(static_cast<std::uint32_t>(text.size()) + 1));  // ends early
    const std::size_t block_size = gen.block_size();
    const std::string difference =
        first_difference(engine_load(text, genes, samples, block_size), plain_load(text, genes, samples));
    ASSERT_EQ(difference, "") << "block size " << block_size << ", text:\n" << text;
  }
}

// Long runs of the usual layout: most numbers are read in place and only those cut by a block
// boundary take the general way.
TEST(MatrixLoaderDifferential, LargeMatricesLoadAsThePlainReadingInEveryBlockSize) {
  TextGenerator gen(4242);
  const std::int32_t genes = 300;
  const std::int32_t samples = 40;
  std::string text;
  for (std::int32_t g = 0; g < genes; ++g) {
    text += "gene" + std::to_string(g);
    const bool zero_rich = g % 3 == 0;
    for (std::int32_t s = 0; s < samples; ++s) {
      text += gen.chance(20) ? gen.separator() : "\t";
      text += zero_rich && !gen.chance(5) ? "0" : gen.value();
    }
    text += gen.chance(2) ? "\r\n" : "\n";
  }
  const Loaded want = plain_load(text, genes, samples);
  ASSERT_FALSE(want.refused);
  for (const std::size_t block_size : {std::size_t{7}, std::size_t{100}, std::size_t{4096}, std::size_t{1} << 20}) {
    ASSERT_EQ(first_difference(engine_load(text, genes, samples, block_size), want), "") << block_size;
  }
}

struct InPlaceResult {
  bool read = false;
  std::size_t length = 0;
  double value = 0.0;
};

InPlaceResult in_place(const std::string& buffer) {
  const InPlaceNumber number = read_whole_number(buffer.data(), buffer.data() + buffer.size());
  if (number.end == nullptr) return {};
  return {true, static_cast<std::size_t>(number.end - buffer.data()), number.value};
}

TEST(InPlaceNumber, WholeNumbersGiveRealValueBitForBit) {
  const char* const texts[] = {
      "0", "-0", "+0", "-0.0e-400", "0e999999", "7.61352", "-1.61", ".5", "5.", "000123", "1e22", "1e23",
      "-1e-22", "1e-23", "9007199254740992", "9007199254740993", "9007199254740993e-22", "9007199254740992e22",
      "1234567890123456789", "12345678901234567890", "18446744073709551621" /* 2^64 + 5 */, "0000000000000000000001", "1.0000000000000000000001",
      "123456789012345678e-22", "4.9e-324", "2e-320", "1e-400", "-1e-400", "1e400", "1.7976931348623157e308",
      "1.7976931348623159e308", "2.2250738585072011e-308", "0.1", "0.3", "3.14159265358979323846", "1E+05",
      "1e0000000000000000000000005", "1e99999999999999999999"};
  for (const char* text : texts) {
    for (const char* after : {" ", "\t", "\r\n", "\n", "\v", "\f"}) {
      const InPlaceResult got = in_place(std::string(text) + after);
      ASSERT_TRUE(got.read) << text;
      EXPECT_EQ(got.length, std::strlen(text)) << text;
      EXPECT_TRUE(same_bits(got.value, real_value(text))) << text;
    }
  }
}

TEST(InPlaceNumber, RandomWholeNumbersGiveRealValueBitForBit) {
  TextGenerator gen(77);
  for (int n = 0; n < 50000; ++n) {
    const std::string text = gen.number();
    ASSERT_EQ(scan_real(text).length, text.size()) << text;  // the generator makes whole numbers only
    const InPlaceResult got = in_place(text + gen.separator());
    ASSERT_TRUE(got.read) << text;
    ASSERT_EQ(got.length, text.size()) << text;
    ASSERT_TRUE(same_bits(got.value, real_value(text))) << text;
  }
}

TEST(InPlaceNumber, LeavesEveryOtherPieceToTheGeneralRules) {
  // Lone signs and full stops, numbers that go on with other characters, pieces that cannot start
  // a number, and numbers whose end the buffer does not show.
  for (const char* buffer : {"- ", "+ ", ". ", "-. ", "2.5x ", "1e ", "1e+ ", "1ex ", "1.5-2 ", "0,85 ", "x ",
                             "NA ", "inf ", " 1 ", "", "12", "-", "1e5", "0.5e", "1.", "9007199254740993"}) {
    EXPECT_FALSE(in_place(buffer).read) << '"' << buffer << '"';
  }
}

TEST(MatrixLoader, APieceLongerThanAnyTextMatrixIsRefusedWhereAValueIsDue) {
  // Twice the limit: the reader tells the length only where its growing buffer ends.
  for (const char* start : {"", "1", "-2.5e"}) {
    const std::string text = std::string("g\t") + start + std::string(2 * BlockReader::kMaxPieceBytes + 2, 'x') + "\n";
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
    std::fwrite(text.data(), 1, text.size(), file.get());
    std::rewind(file.get());
    BlockReader reader(file.get());
    GeneTable table(2, 3);
    EXPECT_THROW(load_matrix(reader, table), MatrixReadError) << start;
  }
}

}  // namespace
}  // namespace kova
