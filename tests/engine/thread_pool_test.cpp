#include "engine/search/thread_pool.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace kova {
namespace {

TEST(ThreadPool, EveryIndexRunsExactlyOnceOnAValidWorker) {
  struct Case {
    int workers;
    std::size_t count, grain;
  };
  for (const Case c : {Case{1, 100, 7}, Case{2, 1, 1}, Case{2, 1000, 1}, Case{3, 999, 64}, Case{8, 5, 1},
                       Case{8, 10000, 3}, Case{4, 0, 1}}) {
    ThreadPool pool(c.workers);
    for (int job = 0; job < 3; ++job) {  // the pool is reused from job to job
      std::vector<std::atomic<int>> runs(c.count);
      std::atomic<bool> bad_chunk = false;
      pool.parallel_for(c.count, c.grain, [&](std::size_t begin, std::size_t end, int worker) {
        if (end <= begin || end - begin > c.grain || worker < 0 || worker >= pool.workers()) bad_chunk = true;
        for (std::size_t k = begin; k < end; ++k) ++runs[k];
      });
      EXPECT_FALSE(bad_chunk) << c.workers << " workers, count " << c.count;
      for (std::size_t k = 0; k < c.count; ++k) ASSERT_EQ(runs[k], 1) << "index " << k << ", " << c.workers << " workers";
    }
  }
}

TEST(ThreadPool, AnExceptionInABodyReachesTheCallerAndThePoolStaysUsable) {
  ThreadPool pool(4);
  EXPECT_THROW(pool.parallel_for(1000, 1,
                                 [](std::size_t begin, std::size_t, int) {
                                   if (begin == 500) throw std::runtime_error("chunk 500");
                                 }),
               std::runtime_error);
  std::atomic<std::size_t> total = 0;
  pool.parallel_for(100, 10, [&](std::size_t begin, std::size_t end, int) { total += end - begin; });
  EXPECT_EQ(total, 100u);
}

}  // namespace
}  // namespace kova
