#pragma once
// Long engine work on a thread of its own while the calling thread, holding the GIL only briefly,
// looks for Ctrl-C and shows progress: other Python threads go on meanwhile.

#include <functional>
#include <stop_token>

namespace kova_python {

// Runs work(stop) on a worker thread and returns when it has ended, rethrowing what it threw.
// Every ~0.1 s, with the GIL held, checks for signals and calls `tick`. A signal whose handler
// raised (KeyboardInterrupt) requests the stop, joins the worker and throws
// pybind11::error_already_set: nothing the work made is returned. Called with the GIL held.
void run_interruptible(const std::function<void(std::stop_token)>& work, const std::function<void()>& tick);

}  // namespace kova_python
