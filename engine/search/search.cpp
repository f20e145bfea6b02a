#include "kova/search.hpp"

#include "engine/search/fast_search.hpp"

namespace kova {

std::int32_t search(const GeneTable& table, const RunSettings& settings, BiclusterSink& sink,
                    SearchProgress* progress, std::stop_token stop) {
  validate(settings);
  return fast_search(table, settings.threshold, settings.max_biclusters, sink, {settings.threads, progress, stop});
}

}  // namespace kova
