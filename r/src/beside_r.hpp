#pragma once
// Engine work on a thread of its own while R's thread stays free for interrupts and progress.

#include <functional>
#include <stop_token>

namespace kova_r {

// Runs `work` on a thread of its own while R's thread looks for an interrupt every 0.1 s and calls
// `tick` (where given) to draw the progress. R is only ever called from R's thread. An interrupt
// (or an error in `tick`) leaves by an exception; the jthread's destructor then requests the stop
// and joins, so no thread and nothing it holds outlives the call, and Rcpp raises R's interrupt
// condition once every C++ frame is gone. An exception of `work` is rethrown here.
void run_beside_r(const std::function<void(std::stop_token)>& work, const std::function<void()>& tick);

}  // namespace kova_r
