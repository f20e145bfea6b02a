#include "viewer/core/gene_membership.hpp"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.hpp"
#include "tests/viewer/written_run.hpp"

namespace kova::viewer {
namespace {

// The worked example: g1 seeds all three biclusters; g2, g4 are in the first, g3 in the second,
// g5 in the third.
TEST(GeneMembership, CountsEachGenesBiclustersAndWhatABiclusterShares) {
  test::TempDir dir;
  const LoadedRun run = load_run(test::write_run(dir.path(), test::kWorkedRows, 0.9));
  const GeneMembership membership = gene_membership(run);
  EXPECT_EQ(membership.genes, (std::vector<std::int32_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(membership.biclusters, (std::vector<std::vector<std::size_t>>{{0, 1, 2}, {0}, {1}, {0}, {2}}));

  const std::vector<SharedGene> shared = shared_genes(run, membership, 1);
  ASSERT_EQ(shared.size(), 1u);
  EXPECT_EQ(shared[0].row, 0);
  EXPECT_EQ(shared[0].others, (std::vector<std::size_t>{0, 2}));
}

TEST(GeneMembership, LeavesOutGenesInNoBicluster) {
  test::TempDir dir;
  // Genes 1 and 2 rise together; gene 3 does not follow them.
  const LoadedRun run = load_run(test::write_run(dir.path(), {{1, 2, 3, 4}, {2, 4, 6, 9}, {5, 1, 4, 1}}, 0.95));
  const GeneMembership membership = gene_membership(run);
  EXPECT_EQ(membership.genes, (std::vector<std::int32_t>{0, 1}));
  EXPECT_TRUE(shared_genes(run, membership, 0).empty());
}

}  // namespace
}  // namespace kova::viewer
