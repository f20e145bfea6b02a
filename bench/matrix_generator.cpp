#include "bench/matrix_generator.hpp"

#include <cmath>
#include <cstdio>
#include <vector>

namespace kova::bench {
namespace {

// splitmix64: small, fast and fully specified, so the matrices do not depend on the library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) * 0x1p-53; }  // [0, 1)
  double normal() {                                                         // Box-Muller
    const double u = 1.0 - uniform();
    const double v = uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
  }
  std::int32_t below(std::int32_t n) { return static_cast<std::int32_t>(next() % static_cast<std::uint64_t>(n)); }
  // Marsaglia and Tsang; a shape below 1 through shape + 1 and a power of a uniform.
  double gamma(double shape) {
    if (shape < 1.0) return gamma(shape + 1.0) * std::pow(1.0 - uniform(), 1.0 / shape);
    const double d = shape - 1.0 / 3.0, c = 1.0 / std::sqrt(9.0 * d);
    for (;;) {
      const double z = normal(), v = (1.0 + c * z) * (1.0 + c * z) * (1.0 + c * z);
      if (v > 0.0 && std::log(1.0 - uniform()) < 0.5 * z * z + d - d * v + d * std::log(v)) return d * v;
    }
  }
  // Knuth's product of uniforms for small means, the normal approximation above 30.
  double poisson(double mean) {
    if (mean > 30.0) return std::fmax(0.0, std::round(mean + std::sqrt(mean) * normal()));
    const double limit = std::exp(-mean);
    double count = 0.0, product = uniform();
    while (product > limit) {
      product *= uniform();
      count += 1.0;
    }
    return count;
  }

 private:
  std::uint64_t state_;
};

void append_value(std::string& text, double value) {
  char buffer[32];
  const int n = std::snprintf(buffer, sizeof buffer, "\t%.6g", value);
  text.append(buffer, static_cast<std::size_t>(n));
}

void append_name(std::string& text, std::int32_t gene) {
  if (gene > 0) text += '\n';
  text += "gene" + std::to_string(gene + 1);
}

}  // namespace

GeneratedMatrix expression_matrix(std::int32_t genes, std::int32_t samples, std::uint64_t seed) {
  Random random(seed);
  // Modules: a random profile over a random half of the samples, shared by about 2% of genes.
  const std::int32_t modules = 1 + genes / 200;
  std::vector<std::vector<double>> profile(static_cast<std::size_t>(modules), std::vector<double>(samples, 0.0));
  for (auto& p : profile) {
    for (double& v : p) v = random.uniform() < 0.5 ? 1.5 * random.normal() : 0.0;
  }
  GeneratedMatrix matrix{genes, samples, {}};
  matrix.text.reserve(static_cast<std::size_t>(genes) * (static_cast<std::size_t>(samples) * 8 + 12));
  for (std::int32_t g = 0; g < genes; ++g) {
    append_name(matrix.text, g);
    const double mean = 6.0 + 4.0 * random.uniform();
    const double spread = 0.2 + 0.8 * random.uniform();
    const std::int32_t module = random.uniform() < 0.2 ? random.below(modules) : -1;
    for (std::int32_t s = 0; s < samples; ++s) {
      double v = mean + spread * random.normal();
      if (module >= 0) v += profile[static_cast<std::size_t>(module)][static_cast<std::size_t>(s)];
      append_value(matrix.text, v);
    }
  }
  matrix.text += '\n';
  return matrix;
}

GeneratedMatrix zero_rich_matrix(std::int32_t genes, std::int32_t samples, std::uint64_t seed) {
  Random random(seed);
  GeneratedMatrix matrix{genes, samples, {}};
  matrix.text.reserve(static_cast<std::size_t>(genes) * (static_cast<std::size_t>(samples) * 3 + 12));
  for (std::int32_t g = 0; g < genes; ++g) {
    append_name(matrix.text, g);
    // 30% of the genes are never detected; the others in 1% to 30% of the cells.
    const double detected = random.uniform() < 0.3 ? 0.0 : 0.01 + 0.29 * random.uniform();
    for (std::int32_t s = 0; s < samples; ++s) {
      const double v = random.uniform() < detected ? std::log2(2.0 + random.below(20)) : 0.0;
      append_value(matrix.text, v);
    }
  }
  matrix.text += '\n';
  return matrix;
}

GeneratedMatrix count_like_matrix(std::int32_t genes, std::int32_t cells, std::uint64_t seed) {
  Random random(seed);
  // Each module's activity per cell: a level of its own in every cell.
  const std::int32_t modules = 1 + genes / 100;
  std::vector<std::vector<double>> activity(static_cast<std::size_t>(modules), std::vector<double>(cells, 0.0));
  for (auto& module : activity) {
    for (double& a : module) a = 1.2 * random.normal();
  }
  std::vector<double> depth(static_cast<std::size_t>(cells));  // each cell's sequencing depth
  for (double& d : depth) d = std::exp(0.4 * random.normal());
  GeneratedMatrix matrix{genes, cells, {}};
  matrix.text.reserve(static_cast<std::size_t>(genes) * (static_cast<std::size_t>(cells) * 5 + 12));
  for (std::int32_t g = 0; g < genes; ++g) {
    append_name(matrix.text, g);
    // A stream of its own per gene: how many draws one gene takes does not shift the next.
    Random gene_random(random.next());
    const std::int32_t module = gene_random.uniform() < 0.35 ? gene_random.below(modules) : -1;
    // Mean count: module genes are well expressed, the others mostly low.
    const double level =
        module >= 0 ? std::exp(1.0 + 0.5 * gene_random.normal()) : std::exp(-0.8 + 1.3 * gene_random.normal());
    const double dispersion = module >= 0 ? 0.02 + 0.1 * gene_random.uniform() : 0.2 + 0.8 * gene_random.uniform();
    const double loading = 0.8 + 0.4 * gene_random.uniform();
    for (std::int32_t c = 0; c < cells; ++c) {
      double mean = level * depth[static_cast<std::size_t>(c)];
      if (module >= 0)
        mean *= std::exp(loading * activity[static_cast<std::size_t>(module)][static_cast<std::size_t>(c)]);
      // Negative binomial: Poisson with a gamma-distributed mean.
      const double count = gene_random.poisson(gene_random.gamma(1.0 / dispersion) * mean * dispersion);
      append_value(matrix.text, std::log1p(count));
    }
  }
  matrix.text += '\n';
  return matrix;
}

}  // namespace kova::bench
