#pragma once
// The bicluster search: every bicluster, in the order found, into a sink. The fast search gives
// the literal search's biclusters bit for bit; the literal one stays as the reference. The one
// correlation formula they share is here too.

#include <cstdint>
#include <stop_token>

#include "engine/kernels/vector_width.hpp"
#include "engine/model/bicluster.hpp"
#include "engine/model/correlation.hpp"
#include "engine/model/gene_table.hpp"
#include "engine/search/literal_search.hpp"
#include "engine/search/progress.hpp"
#include "kova/run_settings.hpp"

namespace kova {

// Validates `settings` (RunSettingsError), then runs the fast search on `settings.threads`
// threads and returns how many biclusters it handed to `sink`. `table` must hold
// settings.genes x settings.samples. Throws std::system_error when a thread cannot be started,
// and SearchStopped soon after `stop` is requested (from any thread: an interrupt from R or
// Python, a window closed).
std::int32_t search(const GeneTable& table, const RunSettings& settings, BiclusterSink& sink,
                    SearchProgress* progress = nullptr, std::stop_token stop = {});

// The threads a run of 0 threads takes: the machine's hardware threads (at least 1).
int default_worker_count();

}  // namespace kova
