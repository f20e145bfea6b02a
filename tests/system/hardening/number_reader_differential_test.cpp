// The number reader against the C library: many random pieces from a generator that knows the
// grammar, so that for each piece it knows what a formatted read must do with it: take a number
// (whose value must be bit for bit what strtod gives for the same characters), consume a lone
// sign or full stop as 0, or leave the piece for the next read.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "common/number_syntax.hpp"
#include "common/run_description_reader.hpp"
#include "engine/input/block_reader.hpp"
#include "engine/model/gene_table.hpp"
#include "engine/input/matrix_loader.hpp"

namespace kova {
namespace {

enum class Kind { kNumber, kLoneSignOrStop, kCannotStart };

struct Piece {
  std::string text;
  Kind kind;
  std::size_t consumed;  // characters a read takes from the piece
  std::string number;    // Kind::kNumber: the characters that make the number
};

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

double c_library_value(const std::string& number) { return std::strtod(number.c_str(), nullptr); }

// Fixed seed, and only the engine's raw output is used, so every platform sees the same pieces.
class PieceGenerator {
 public:
  explicit PieceGenerator(std::uint32_t seed) : engine_(seed) {}

  std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(engine_() % n); }
  bool chance(std::uint32_t one_in) { return below(one_in) == 0; }

  std::string digits(std::size_t count) {
    std::string text;
    // Runs of zeros and nines reach the rounding boundaries more often than uniform digits.
    const std::uint32_t style = below(4);
    for (std::size_t i = 0; i < count; ++i) {
      if (style == 0) text += '0';
      else if (style == 1) text += '9';
      else text += static_cast<char>('0' + below(10));
    }
    if (style < 2 && count > 0) text.back() = static_cast<char>('0' + below(10));
    return text;
  }

  std::size_t digit_count() {
    switch (below(8)) {
      case 0: return 0;
      case 1: return 17 + below(10);   // around the digits a double holds
      case 2: return 30 + below(800);  // far more digits than any double needs
      default: return 1 + below(6);
    }
  }

  std::string sign() {
    switch (below(4)) {
      case 0: return "-";
      case 1: return "+";
      default: return "";
    }
  }

  std::string exponent() {
    std::string text(1, chance(2) ? 'e' : 'E');
    text += sign();
    switch (below(6)) {
      case 0: text += std::to_string(280 + below(60)); break;    // near overflow
      case 1: text += std::to_string(300 + below(30)); break;    // near the subnormals
      case 2: text += std::to_string(400 + below(100000)); break;  // far beyond
      case 3: text += "0000000000000000000" + std::to_string(below(30)); break;
      case 4: text += "99999999999999999999"; break;
      default: text += std::to_string(below(30)); break;
    }
    return text;
  }

  // A tail that cannot continue the number before it, whatever that number ends with.
  std::string tail() {
    static const char* const kTails[] = {"x", ",85", "+3", "-", "e", "E+", "e-x", "inf", "\x01", "#", "e+"};
    return chance(2) ? "" : kTails[below(std::size(kTails))];
  }

  // `with_tail`: followed by characters that a read leaves for the next read.
  Piece number(bool with_tail = true) {
    std::string text = sign();
    std::string whole = digits(digit_count());
    std::string fraction;
    const bool stop = whole.empty() || chance(2);
    if (stop) fraction = digits(whole.empty() ? 1 + digit_count() : digit_count());
    text += whole;
    if (stop) text += "." + fraction;
    if (chance(2)) text += exponent();
    return {text + (with_tail ? tail() : ""), Kind::kNumber, text.size(), text};
  }

  Piece lone_sign_or_stop(bool with_tail = true) {
    std::string text = sign();
    if (text.empty() || chance(2)) text += ".";
    static const char* const kTails[] = {"", "", "x", "e5", "E-2", "-", "+", ",5", "inf"};
    return {text + (with_tail ? kTails[below(std::size(kTails))] : ""), Kind::kLoneSignOrStop, text.size(), ""};
  }

  Piece cannot_start() {
    static const char* const kPieces[] = {"inf", "nan", "NaN", "INF", "infinity", "NA", "e5", "E", "x1",
                                          "gene", ",85", "#", "\x7f", "\xc3\xa9", "_1"};
    return {kPieces[below(std::size(kPieces))], Kind::kCannotStart, 0, ""};
  }

  Piece any() {
    switch (below(6)) {
      case 0: return lone_sign_or_stop();
      case 1: return cannot_start();
      default: return number();
    }
  }

  // A whole piece where a value is due: a number, or a sign and/or full stop alone.
  Piece value() { return chance(4) ? lone_sign_or_stop(false) : number(false); }

 private:
  std::mt19937 engine_;
};

constexpr int kPieces = 20000;

TEST(NumberReaderDifferential, EveryPieceIsTakenRefusedOrLeftAsTheRulesSay) {
  PieceGenerator gen(20240607);
  int numbers = 0;
  for (int n = 0; n < kPieces; ++n) {
    const Piece piece = gen.any();
    const RealScan scan = scan_real(piece.text);
    ASSERT_EQ(scan.length, piece.consumed) << piece.text;
    ASSERT_EQ(scan.is_number, piece.kind == Kind::kNumber) << piece.text;
    if (piece.kind != Kind::kNumber) continue;
    ++numbers;
    const double got = real_value(std::string_view(piece.text).substr(0, scan.length));
    ASSERT_TRUE(same_bits(got, c_library_value(piece.number))) << piece.number;
  }
  EXPECT_GT(numbers, kPieces / 2);
}

TEST(NumberReaderDifferential, TheThresholdIsReadAsTheCLibraryReadsIt) {
  PieceGenerator gen(77);
  for (int n = 0; n < kPieces / 4; ++n) {
    const Piece piece = gen.any();
    std::istringstream file("5\r\n5\r\n" + piece.text + "\r\n");
    // Only a piece that is wholly a number from -1 to 1 is a threshold.
    const double value = piece.kind == Kind::kNumber ? c_library_value(piece.number) : 0.0;
    if (piece.kind == Kind::kNumber && piece.number == piece.text && std::fabs(value) <= 1.0) {
      ASSERT_TRUE(same_bits(read_run_size(file).threshold, value)) << piece.text;
    } else {
      ASSERT_THROW(read_run_size(file), RunDescriptionError) << piece.text;
    }
  }
}

TEST(NumberReaderDifferential, IntegersAreTheCLibrarysOrRefusedWhenTheyDoNotFit) {
  PieceGenerator gen(5);
  for (int n = 0; n < kPieces; ++n) {
    const std::string sign = gen.sign();
    const std::string digits = gen.digits(gen.chance(3) ? 9 + gen.below(3) : gen.digit_count());
    const std::string text = sign + digits + (gen.chance(2) ? "x" : "");
    const IntScan scan = scan_int32(text);
    if (digits.empty()) {
      ASSERT_EQ(scan.length, 0u) << text;
      continue;
    }
    ASSERT_EQ(scan.length, sign.size() + digits.size()) << text;
    errno = 0;
    const long long wide = std::strtoll(text.c_str(), nullptr, 10);
    const bool fits = errno != ERANGE && wide >= std::numeric_limits<std::int32_t>::min() &&
                      wide <= std::numeric_limits<std::int32_t>::max();
    ASSERT_EQ(scan.value.has_value(), fits) << text;
    if (fits) {
      ASSERT_EQ(*scan.value, wide) << text;
    }
  }
}

// In a matrix: numbers give their value, a lone sign or full stop gives 0 and the next value
// comes from the next piece, and a piece that cannot start a number where a value is due is
// refused, naming it; so is a value beyond the range of a double.
TEST(NumberReaderDifferential, TheMatrixLoaderTakesValuesRefusesAndLeavesPiecesByTheRules) {
  PieceGenerator gen(31337);
  for (int round = 0; round < 400; ++round) {
    const std::int32_t samples = 1 + static_cast<std::int32_t>(gen.below(12));
    std::vector<Piece> first, second;
    for (std::int32_t s = 0; s < samples; ++s) first.push_back(gen.value());
    for (std::int32_t s = 0; s < samples; ++s) second.push_back(gen.value());
    // Where a piece that cannot start a number stands in the first gene's values, if anywhere.
    const std::int32_t cut = gen.chance(2) ? static_cast<std::int32_t>(gen.below(samples)) : samples;
    const Piece stopper = gen.cannot_start();

    std::string text = "g0";
    for (std::int32_t s = 0; s < cut; ++s) text += (gen.chance(2) ? "\t" : " \r\n ") + first[s].text;
    text += "\n" + (cut < samples ? stopper.text : std::string("g1"));
    for (const Piece& p : second) text += "\t" + p.text;
    text += "\r\n";

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
    std::fwrite(text.data(), 1, text.size(), file.get());
    std::rewind(file.get());
    BlockReader reader(file.get(), 1 + gen.below(64));
    GeneTable table(2, samples);
    const auto infinite = [](const Piece& p) {
      return p.kind == Kind::kNumber && std::isinf(c_library_value(p.number));
    };
    const bool beyond_range = std::any_of(first.begin(), first.begin() + cut, infinite) ||
                              (cut == samples && std::any_of(second.begin(), second.end(), infinite));
    if (cut < samples || beyond_range) {
      try {
        load_matrix(reader, table);
        FAIL() << "accepted: " << text;
      } catch (const MatrixFormatError& e) {
        if (!beyond_range) {
          EXPECT_NE(std::string(e.what()).find(" is no number"), std::string::npos) << e.what();
        }
      }
      continue;
    }
    load_matrix(reader, table);

    ASSERT_EQ(table[1].name, cut < samples ? stopper.text : "g1") << text;
    for (std::int32_t s = 0; s < samples; ++s) {
      const double want0 = s < cut && first[s].kind == Kind::kNumber ? c_library_value(first[s].number) : 0.0;
      const double want1 = second[s].kind == Kind::kNumber ? c_library_value(second[s].number) : 0.0;
      ASSERT_TRUE(same_bits(table.row(0)[s], want0)) << text << " gene 0 sample " << s;
      ASSERT_TRUE(same_bits(table.row(1)[s], want1)) << text << " gene 1 sample " << s;
    }
  }
}

}  // namespace
}  // namespace kova
