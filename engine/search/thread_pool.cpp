#include "engine/search/thread_pool.hpp"

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>

#include "kova/search.hpp"

namespace kova {

ThreadPool::ThreadPool(int workers) {
  try {
    for (int w = 1; w < workers; ++w) threads_.emplace_back([this, w] { work_loop(w); });
  } catch (const std::system_error& e) {
    // The threads already started must end before the pool goes, or the process aborts.
    stop();
    throw std::system_error(e.code(), "cannot start thread " + std::to_string(threads_.size() + 2) + " of " +
                                          std::to_string(workers) + " for the search; ask for fewer threads");
  }
}

ThreadPool::~ThreadPool() { stop(); }

void ThreadPool::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void ThreadPool::parallel_for(std::size_t count, std::size_t grain, const Body& body) {
  if (count == 0) return;
  grain = std::max<std::size_t>(grain, 1);
  if (threads_.empty() || count <= grain) {
    for (std::size_t begin = 0; begin < count; begin += grain) body(begin, std::min(count, begin + grain), 0);
    return;
  }
  {
    std::lock_guard lock(mutex_);
    body_ = &body;
    count_ = count;
    grain_ = grain;
    next_ = 0;
    pending_ = (count + grain - 1) / grain;
    error_ = nullptr;
    ++generation_;
  }
  wake_.notify_all();
  run_chunks(0);
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return pending_ == 0; });
  body_ = nullptr;
  if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
}

void ThreadPool::work_loop(int worker) {
  std::size_t seen = 0;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
      if (stopping_) return;
      seen = generation_;
    }
    run_chunks(worker);
  }
}

// Takes chunks until none is left. The job ends when its last chunk is finished, whoever runs
// it; a worker that wakes late finds nothing left. After a failure the remaining chunks are only
// counted off.
void ThreadPool::run_chunks(int worker) {
  std::unique_lock lock(mutex_);
  while (next_ < count_) {
    const std::size_t begin = next_;
    const std::size_t end = std::min(count_, begin + grain_);
    next_ = end;
    const Body* body = error_ ? nullptr : body_;
    lock.unlock();
    std::exception_ptr error;
    if (body != nullptr) {
      try {
        (*body)(begin, end, worker);
      } catch (...) {
        error = std::current_exception();
      }
    }
    lock.lock();
    if (error && !error_) error_ = error;
    if (--pending_ == 0) done_.notify_all();
  }
}

int default_worker_count() { return std::max(1u, std::thread::hardware_concurrency()); }

}  // namespace kova
