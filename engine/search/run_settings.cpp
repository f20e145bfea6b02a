#include "kova/run_settings.hpp"

#include <string>

#include "common/entry_check.hpp"

namespace kova {

void validate(const RunSettings& settings) {
  if (settings.genes < 0) throw RunSettingsError("the number of genes is negative");
  if (settings.samples < 0) throw RunSettingsError("the number of samples is negative");
  if (const std::string fault = describe_threshold("the correlation threshold", settings.threshold); !fault.empty()) {
    throw RunSettingsError(fault);
  }
  if (settings.threads < 0 || settings.threads > kMostThreads) {
    throw RunSettingsError("the number of threads " + std::to_string(settings.threads) + " lies outside 0 to " +
                           std::to_string(kMostThreads) + "; 0 takes one per core");
  }
}

}  // namespace kova
