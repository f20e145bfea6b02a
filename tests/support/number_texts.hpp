#pragma once
// Random texts of numbers in every form the matrix grammar has, for the number readers' tests.

#include <cstdint>
#include <iterator>
#include <random>
#include <string>

namespace kova::test {

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
      case 0:
        return "0";
      case 1:
        return sign() + "0." + digits(below(4)) + (chance(2) ? "0" : "");
      case 2:
        return sign() + std::string(1 + below(6), '0') + digits(1 + below(4));  // leading zeros
      case 3:
        return sign() + digits(14 + below(8)) + (chance(2) ? "." + digits(below(6)) : "");  // near 2^53, 10^19
      case 4:
        return sign() + digits(1 + below(3)) + "." + digits(30 + below(300));  // far more than a double holds
      case 5: {  // exponents around the exact powers of ten, and where values underflow or overflow
        static const int kExponents[] = {0,   15,  21,  22,   23,   -21,  -22,  -23, -30,
                                         300, 308, 309, -307, -320, -324, -400, 400};
        std::string text = sign() + digits(1 + below(4)) + (chance(2) ? "." + digits(below(4)) : "");
        const int e = kExponents[below(std::size(kExponents))];
        return text + (chance(2) ? "e" : "E") + (e >= 0 && chance(2) ? "+" : "") + std::to_string(e);
      }
      case 6: {  // around 2^53 = 9007199254740992, whole and scaled
        static const char* const kTexts[] = {"9007199254740991",   "9007199254740992",  "9007199254740993",
                                             "9007199254740994",   "900719925474099.3", "9.007199254740993e15",
                                             "0.9007199254740993", "18014398509481985", "9999999999999999"};
        return sign() + kTexts[below(std::size(kTexts))];
      }
      case 7:
        return sign() + "." + digits(1 + below(8));
      case 8:
        return sign() + digits(1 + below(5)) + ".";
      case 9:
        return sign() + digits(1 + below(3)) + "e" + sign() + std::string(below(25), '0') + digits(1 + below(3));
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
    static const char* const kOthers[] = {"-",    "+",     ".",     "-.", "+.",   "2.5x", "1e",      "1e+",
                                          "3E-x", "1.5-2", "0,85",  "NA", "inf",  "nan",  "gene_7",  "x1",
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

}  // namespace kova::test
