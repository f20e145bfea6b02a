#include "interruptible.hpp"

#include <pybind11/pybind11.h>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace kova_python {

namespace py = pybind11;

void run_interruptible(const std::function<void(std::stop_token)>& work, const std::function<void()>& tick) {
  std::stop_source stop;
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  std::exception_ptr failure;
  bool interrupted = false;
  std::exception_ptr tick_failure;  // rethrown with the GIL held: it may hold Python objects
  {
    py::gil_scoped_release release;
    std::thread worker([&] {
      try {
        work(stop.get_token());
      } catch (...) {
        failure = std::current_exception();
      }
      const std::lock_guard lock(mutex);
      done = true;
      ended.notify_one();
    });
    while (true) {
      {
        std::unique_lock lock(mutex);
        if (ended.wait_for(lock, std::chrono::milliseconds(100), [&] { return done; })) break;
      }
      py::gil_scoped_acquire acquire;
      if (PyErr_CheckSignals() != 0) {
        interrupted = true;
        break;
      }
      if (tick) {
        try {
          tick();
        } catch (...) {  // a failing progress display ends the work as an interrupt does
          tick_failure = std::current_exception();
          break;
        }
      }
    }
    if (interrupted || tick_failure) stop.request_stop();
    worker.join();
  }
  // The signal handler's exception is still set on this thread: hand it to Python as it is.
  if (interrupted) throw py::error_already_set();
  if (tick_failure) std::rethrow_exception(tick_failure);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace kova_python
