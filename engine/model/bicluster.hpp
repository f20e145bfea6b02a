#pragma once
// What the search hands out for every bicluster it finds.

#include <cstdint>
#include <span>

namespace kova {

struct Bicluster {
  std::int32_t number = 0;                  // 1-based, in the order found
  std::span<const std::int32_t> members;    // gene indices: seed, partner, added genes
  std::span<const std::int32_t> sample_flags;  // per sample: 1 if selected, else 0
  std::int32_t selected_samples = 0;
};

class BiclusterSink {
 public:
  virtual ~BiclusterSink() = default;
  virtual void accept(const Bicluster& bicluster) = 0;
};

}  // namespace kova
