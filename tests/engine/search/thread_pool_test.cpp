#include "engine/search/thread_pool.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <stdexcept>
#include <system_error>
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
      for (std::size_t k = 0; k < c.count; ++k)
        ASSERT_EQ(runs[k], 1) << "index " << k << ", " << c.workers << " workers";
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

// With no process slot left for a thread, the pool says so and stops the threads it started,
// instead of aborting the process or hanging. Run in a child that may start no further thread
// (root ignores that limit, so the child gives up root first).
TEST(ThreadPool, AThreadTheSystemRefusesEndsTheRunWithAClearError) {
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
    const rlimit none{1, 1};
    if (setrlimit(RLIMIT_NPROC, &none) != 0) _exit(4);
    try {
      ThreadPool pool(8);
    } catch (const std::system_error& e) {
      _exit(std::strncmp(e.what(), "cannot start thread 2 of 8 for the search; ask for fewer threads", 64) == 0 ? 0
                                                                                                                : 5);
    }
    _exit(6);  // every thread started
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "3, 4: the child could not limit itself; 5: another message; 6: no refusal";
}

}  // namespace
}  // namespace kova
