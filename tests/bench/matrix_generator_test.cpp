// The count-like matrix keeps what the benchmark measures it for: the same bytes from the same
// seed, half its values 0 with few genes 0 everywhere, and a bicluster of tens of genes, as real
// single-cell matrices have.

#include "bench/matrix_generator.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "engine/search/fast_search.hpp"
#include "tests/support/collecting_sink.hpp"

namespace kova {
namespace {

using Rows = std::vector<std::vector<double>>;

Rows rows_of(const bench::GeneratedMatrix& matrix) {
  Rows rows;
  std::istringstream lines(matrix.text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string field;
    std::getline(fields, field, '\t');  // the gene's name
    auto& row = rows.emplace_back();
    while (std::getline(fields, field, '\t')) row.push_back(std::strtod(field.c_str(), nullptr));
  }
  return rows;
}

TEST(CountLikeMatrix, GivesTheSameBytesForTheSameSeedAndOthersForAnother) {
  const auto matrix = bench::count_like_matrix(200, 50, 7);
  EXPECT_EQ(matrix.text, bench::count_like_matrix(200, 50, 7).text);
  EXPECT_NE(matrix.text, bench::count_like_matrix(200, 50, 8).text);
  const Rows rows = rows_of(matrix);
  ASSERT_EQ(rows.size(), 200u);
  for (const auto& row : rows) ASSERT_EQ(row.size(), 50u);
}

TEST(CountLikeMatrix, HasHalfZerosFewSilentGenesAndABiclusterOfTensOfGenes) {
  const Rows rows = rows_of(bench::count_like_matrix(1000, 271, 4));
  ASSERT_EQ(rows.size(), 1000u);
  std::size_t zeros = 0, silent_genes = 0;
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 271u);
    const auto row_zeros = static_cast<std::size_t>(std::count(row.begin(), row.end(), 0.0));
    zeros += row_zeros;
    if (row_zeros == row.size()) ++silent_genes;
  }
  const double zero_share = static_cast<double>(zeros) / (1000.0 * 271.0);
  EXPECT_GT(zero_share, 0.45);
  EXPECT_LT(zero_share, 0.55);
  EXPECT_LE(silent_genes, 10u);

  test::CollectingSink sink;
  fast_search(test::make_table(rows), 0.9, 1000000, sink);
  const auto largest =
      std::max_element(sink.biclusters.begin(), sink.biclusters.end(),
                       [](const auto& a, const auto& b) { return a.members.size() < b.members.size(); });
  ASSERT_NE(largest, sink.biclusters.end());
  EXPECT_GE(largest->members.size(), 25u);
  EXPECT_LE(largest->members.size(), 35u);
}

}  // namespace
}  // namespace kova
