#pragma once
// A small fixed pool of std::thread workers behind one parallel-for. The calling thread works
// too, so a pool of one worker starts no thread at all.

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kova {

class ThreadPool {
 public:
  // `workers` counts the calling thread; values below 1 mean 1. Throws std::system_error, saying
  // so, when the system cannot start a thread; those already started are stopped first.
  explicit ThreadPool(int workers);
  ~ThreadPool();
  ThreadPool(const ThreadPool&) = delete;
  ThreadPool& operator=(const ThreadPool&) = delete;

  int workers() const { return static_cast<int>(threads_.size()) + 1; }

  // Calls body(begin, end, worker) on disjoint chunks of at most `grain` indices that together
  // cover [0, count), spread over the workers (worker in [0, workers())), and returns once all
  // have run. An exception thrown by a body is rethrown here, after every worker has stopped.
  using Body = std::function<void(std::size_t begin, std::size_t end, int worker)>;
  void parallel_for(std::size_t count, std::size_t grain, const Body& body);

 private:
  void stop();
  void work_loop(int worker);
  void run_chunks(int worker);

  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  // The job in progress; guarded by mutex_.
  const Body* body_ = nullptr;
  std::size_t count_ = 0;
  std::size_t grain_ = 1;
  std::size_t next_ = 0;
  std::size_t pending_ = 0;  // chunks not yet finished
  std::size_t generation_ = 0;
  bool stopping_ = false;
  std::exception_ptr error_;
};

}  // namespace kova
