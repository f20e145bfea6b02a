// The hypergeometric tail and Benjamini-Hochberg against references: an exact computation in
// whole numbers of any size, and values R printed (phyper, p.adjust) to 17 digits.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "kova/meaning.hpp"

namespace kova {
namespace {

// Whole numbers of any size, as far as binomial sums need them.
class Natural {
 public:
  explicit Natural(std::uint32_t value = 0) {
    if (value != 0) limbs_.push_back(value);
  }
  Natural& operator*=(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : limbs_) {
      const std::uint64_t product = std::uint64_t{limb} * factor + carry;
      limb = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
    trim();
    return *this;
  }
  // Exact division; the test fails if anything remains.
  Natural& operator/=(std::uint32_t divisor) {
    std::uint64_t remainder = 0;
    for (std::size_t i = limbs_.size(); i-- > 0;) {
      const std::uint64_t current = (remainder << 32) | limbs_[i];
      limbs_[i] = static_cast<std::uint32_t>(current / divisor);
      remainder = current % divisor;
    }
    EXPECT_EQ(remainder, 0u);
    trim();
    return *this;
  }
  Natural& operator+=(const Natural& other) {
    limbs_.resize(std::max(limbs_.size(), other.limbs_.size()) + 1, 0);
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
      const std::uint64_t sum = std::uint64_t{limbs_[i]} + (i < other.limbs_.size() ? other.limbs_[i] : 0) + carry;
      limbs_[i] = static_cast<std::uint32_t>(sum);
      carry = sum >> 32;
    }
    trim();
    return *this;
  }
  friend Natural operator*(const Natural& a, const Natural& b) {
    Natural product;
    product.limbs_.assign(a.limbs_.size() + b.limbs_.size() + 1, 0);
    for (std::size_t i = 0; i < a.limbs_.size(); ++i) {
      std::uint64_t carry = 0;
      for (std::size_t j = 0; j < b.limbs_.size(); ++j) {
        const std::uint64_t t = std::uint64_t{a.limbs_[i]} * b.limbs_[j] + product.limbs_[i + j] + carry;
        product.limbs_[i + j] = static_cast<std::uint32_t>(t);
        carry = t >> 32;
      }
      product.limbs_[i + b.limbs_.size()] += static_cast<std::uint32_t>(carry);
    }
    product.trim();
    return product;
  }
  // a / b to double precision, however small or large the two are.
  friend double ratio(const Natural& a, const Natural& b) {
    const auto [ma, ea] = a.leading();
    const auto [mb, eb] = b.leading();
    return std::ldexp(ma / mb, static_cast<int>(ea - eb));
  }

 private:
  void trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
  }
  // The top three limbs as a double (rounded twice at most), and the power of two they stand at.
  std::pair<double, std::int64_t> leading() const {
    const std::size_t n = limbs_.size();
    const std::size_t top = std::min<std::size_t>(3, n);
    double mantissa = 0;
    for (std::size_t i = 0; i < top; ++i) mantissa = mantissa * 4294967296.0 + limbs_[n - 1 - i];
    return {mantissa, 32 * static_cast<std::int64_t>(n - top)};
  }
  std::vector<std::uint32_t> limbs_;
};

Natural binomial(std::uint32_t n, std::uint32_t k) {
  Natural value(1);
  for (std::uint32_t i = 1; i <= k; ++i) {
    value *= n - k + i;
    value /= i;
  }
  return value;
}

// P(X >= k), summed exactly term by term.
double exact_upper_tail(std::uint32_t k, std::uint32_t hits, std::uint32_t drawn, std::uint32_t population) {
  const std::uint32_t others = population - hits;
  const std::uint32_t last = std::min(drawn, hits);
  Natural sum;
  if (k > last) return 0;
  std::uint32_t x = std::max({k, drawn > others ? drawn - others : 0u});
  Natural hit_ways = binomial(hits, x);
  Natural other_ways = binomial(others, drawn - x);
  for (;; ++x) {
    sum += hit_ways * other_ways;
    if (x == last) break;
    hit_ways *= hits - x;
    hit_ways /= x + 1;
    other_ways *= drawn - x;
    other_ways /= others - drawn + x + 1;
  }
  return ratio(sum, binomial(population, drawn));
}

struct TailCase {
  std::int64_t k, hits, drawn, population;
  double r_phyper;  // phyper(k - 1, hits, population - hits, drawn, lower.tail = FALSE) in R 4.2
};

constexpr TailCase kCases[] = {
    {3, 10, 5, 50, 0.048260303196209074},
    {5, 20, 30, 100, 0.79083679917419403},
    {20, 25, 20, 12625, 1.2398695136741377e-59},
    {2, 300, 40, 12625, 0.24575465124886162},
    {15, 500, 60, 12000, 1.5135905514824654e-08},
    {40, 60, 80, 200, 5.5451323292946321e-07},
    {100, 300, 300, 1000, 0.076826469864371735},
    {290, 300, 300, 1000, 1.8807630524609083e-224},
    {150, 200, 300, 1000, 1.5098944883565555e-50},
    {700, 1000, 1000, 2000, 1.7603927607474743e-73},
    {600, 1000, 1000, 2000, 2.1499762125237877e-19},
    {501, 1000, 1000, 2000, 0.48216544804820904},
    {17, 20, 64, 128, 0.00054580125037833715},
    {30, 30, 30, 20000, 2.524705683163386e-97},
    {12, 64, 20, 128, 0.23297667119885929},
    {5, 5000, 5, 20000, 0.00097509820558470527},
    {380, 380, 380, 1000, 1.5342961746303401e-287},
    {370, 400, 380, 1000, 3.3829354747679668e-221},
};

void expect_relative(double value, double reference, double tolerance, const std::string& what) {
  EXPECT_LE(std::abs(value - reference), tolerance * reference) << what << ": " << value << " against " << reference;
}

TEST(HypergeometricUpperTail, EqualsTheExactSumAndRsPhyper) {
  for (const TailCase& c : kCases) {
    const std::string what = "k " + std::to_string(c.k) + " of " + std::to_string(c.hits) + ", " +
                             std::to_string(c.drawn) + " drawn from " + std::to_string(c.population);
    const double tail = hypergeometric_upper_tail(c.k, c.hits, c.drawn, c.population);
    const double exact =
        exact_upper_tail(static_cast<std::uint32_t>(c.k), static_cast<std::uint32_t>(c.hits),
                         static_cast<std::uint32_t>(c.drawn), static_cast<std::uint32_t>(c.population));
    expect_relative(tail, exact, 1e-12, what + " (exact)");
    expect_relative(tail, c.r_phyper, 1e-12, what + " (R)");
  }
}

TEST(HypergeometricUpperTail, EqualsTheExactSumOverEveryCountOfSmallAndLargeDraws) {
  // Every k from the lowest to past the highest count, in tails from near 1 to below 1e-300.
  const std::int64_t shapes[][3] = {{7, 4, 12}, {40, 60, 100}, {200, 30, 12625}, {600, 500, 1100}, {3000, 20, 20000}};
  for (const auto& [hits, drawn, population] : shapes) {
    for (std::int64_t k = 0; k <= std::min(hits, drawn) + 1; ++k) {
      const double exact = exact_upper_tail(static_cast<std::uint32_t>(k), static_cast<std::uint32_t>(hits),
                                            static_cast<std::uint32_t>(drawn), static_cast<std::uint32_t>(population));
      const double tail = hypergeometric_upper_tail(k, hits, drawn, population);
      if (exact < 1e-300) {  // below the normal doubles the exact value itself has lost digits
        EXPECT_LE(tail, 1e-299);
        continue;
      }
      expect_relative(tail, exact, 1e-12,
                      "k " + std::to_string(k) + " of " + std::to_string(hits) + ", " + std::to_string(drawn) +
                          " drawn from " + std::to_string(population));
    }
  }
}

TEST(HypergeometricUpperTail, TheEdgesOfTheRange) {
  EXPECT_EQ(hypergeometric_upper_tail(0, 5, 3, 10), 1.0);
  EXPECT_EQ(hypergeometric_upper_tail(4, 5, 3, 10), 0.0);  // more than drawn
  EXPECT_EQ(hypergeometric_upper_tail(3, 2, 3, 10), 0.0);  // more than hits
  EXPECT_EQ(hypergeometric_upper_tail(2, 9, 3, 10), 1.0);  // at least 2 of any 3 are hits
  EXPECT_EQ(hypergeometric_upper_tail(1, 1, 1, 1), 1.0);
  EXPECT_DOUBLE_EQ(hypergeometric_upper_tail(1, 1, 1, 2), 0.5);
  expect_relative(hypergeometric_upper_tail(1, 1000, 1, 20000), 0.05, 1e-15, "1 of 1 drawn");
  EXPECT_THROW(hypergeometric_upper_tail(1, 11, 3, 10), std::invalid_argument);
  EXPECT_THROW(hypergeometric_upper_tail(1, 5, -1, 10), std::invalid_argument);
}

TEST(BenjaminiHochberg, EqualsRsPadjust) {
  const std::vector<double> p = {0.01, 0.04, 0.03, 0.005, 0.2, 0.5, 0.04, 1, 0.0001, 0.03};
  // p.adjust(p, "BH") in R 4.2.
  const std::vector<double> r = {0.033333333333333333,
                                 0.057142857142857148,
                                 0.057142857142857148,
                                 0.025000000000000001,
                                 0.25,
                                 0.55555555555555558,
                                 0.057142857142857148,
                                 1,
                                 0.001,
                                 0.057142857142857148};
  const std::vector<double> q = benjamini_hochberg(p);
  ASSERT_EQ(q.size(), r.size());
  for (std::size_t i = 0; i < q.size(); ++i) expect_relative(q[i], r[i], 1e-12, "q " + std::to_string(i));
  EXPECT_TRUE(benjamini_hochberg(std::vector<double>{}).empty());
}

}  // namespace
}  // namespace kova
