#include "beside_r.hpp"

#include <Rcpp.h>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace kova_r {

void run_beside_r(const std::function<void(std::stop_token)>& work, const std::function<void()>& tick) {
  std::exception_ptr failure;
  std::mutex mutex;
  std::condition_variable finished_changed;
  bool finished = false;
  std::jthread worker([&](std::stop_token stop) {
    try {
      work(stop);
    } catch (...) {
      failure = std::current_exception();
    }
    const std::lock_guard lock(mutex);
    finished = true;
    finished_changed.notify_all();
  });
  for (;;) {
    {
      std::unique_lock lock(mutex);
      if (finished_changed.wait_for(lock, std::chrono::milliseconds(100), [&] { return finished; })) break;
    }
    Rcpp::checkUserInterrupt();
    if (tick) tick();
  }
  worker.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace kova_r
