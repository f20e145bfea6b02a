// The dispatcher: which instruction set's kernels run, chosen once from what the processor has.

#include "engine/kernels/vector_width.hpp"

#include <atomic>
#include <iterator>

#include "engine/kernels/isa/instruction_sets.hpp"
#include "engine/kernels/kernel_set.hpp"

#ifdef KOVA_X86_KERNELS
#include <cpuid.h>
#endif

namespace kova {
namespace {

#ifdef KOVA_X86_KERNELS
// Each set with the instructions of the sets whose kernels it borrows.
bool runs_avx2() { return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"); }
bool runs_avx512() { return runs_avx2() && __builtin_cpu_supports("avx512f"); }
bool runs_avx512_fp16() {
  // AVX512-FP16 is bit 23 of EDX in leaf 7; asked of the processor itself, as not every compiler's
  // __builtin_cpu_supports knows it. It uses the registers whose saving the AVX-512F test checks.
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  return runs_avx512() && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
         __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0 && (edx & (1u << 23)) != 0;
}
#endif
bool runs_anywhere() { return true; }

// Every set this build has, widest first, each with the test of whether the processor runs it.
struct Candidate {
  KernelSet set;
  bool (*runs)();
};
constinit const Candidate kCandidates[] = {
#ifdef KOVA_X86_KERNELS
    {{512, &kernels::avx2::copies, &kernels::avx512::screen, &kernels::avx512_fp16::half,
      &kernels::avx512::elimination},
     runs_avx512_fp16},
    {{512, &kernels::avx2::copies, &kernels::avx512::screen, nullptr, &kernels::avx512::elimination}, runs_avx512},
    {{256, &kernels::avx2::copies, &kernels::avx2::screen, nullptr, &kernels::avx2::elimination}, runs_avx2},
#endif
    {{0, &kernels::baseline::copies, &kernels::baseline::screen, nullptr, &kernels::baseline::elimination},
     runs_anywhere},
};

// The sets this processor runs, one per width (the first that runs), widest first.
struct Available {
  const KernelSet* sets[std::size(kCandidates)] = {};
  std::size_t count = 0;
};
Available find_available() {
  Available available;
  for (const Candidate& candidate : kCandidates) {
    const bool width_taken = available.count != 0 && available.sets[available.count - 1]->width == candidate.set.width;
    if (!width_taken && candidate.runs()) available.sets[available.count++] = &candidate.set;
  }
  return available;
}
const Available& available() {
  static const Available sets = find_available();
  return sets;
}

// The set in use, or null until first asked for. A plain global rather than a function's static:
// the kernels' dispatch asks for it millions of times a run, and a static's guard costs each call a
// stack frame (MinGW-w64's GCC builds one around the guard's check).
constinit std::atomic<const KernelSet*> chosen{nullptr};

__attribute__((noinline)) const KernelSet& first_choice() {
  const KernelSet* unset = nullptr;
  chosen.compare_exchange_strong(unset, available().sets[0], std::memory_order_relaxed);
  return *chosen.load(std::memory_order_relaxed);
}

}  // namespace

const KernelSet& kernels_in_use() {
  const KernelSet* set = chosen.load(std::memory_order_relaxed);
  return set != nullptr ? *set : first_choice();
}

const KernelSet& kernels_at(int width) {
  const KernelSet& in_use = kernels_in_use();
  if (in_use.width == width) return in_use;
  const Available& sets = available();
  for (std::size_t i = 0; i < sets.count; ++i) {
    if (sets.sets[i]->width <= width) return *sets.sets[i];
  }
  return *sets.sets[sets.count - 1];
}

int widest_vectors() { return available().sets[0]->width; }

std::vector<int> available_widths() {
  std::vector<int> widths;
  const Available& sets = available();
  for (std::size_t i = 0; i < sets.count; ++i) widths.push_back(sets.sets[i]->width);
  return widths;
}

int vector_width() { return kernels_in_use().width; }

bool use_vector_width(int width) {
  const Available& sets = available();
  for (std::size_t i = 0; i < sets.count; ++i) {
    if (sets.sets[i]->width == width) {
      chosen.store(sets.sets[i], std::memory_order_relaxed);
      return true;
    }
  }
  return false;
}

bool has_half_precision() { return kernels_in_use().half != nullptr; }

}  // namespace kova
