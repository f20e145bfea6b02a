#pragma once
// What a bicluster means, for Python: significance by permutation, gene-set enrichment and sample
// classes through the engine's own tests, each a flat table that kova/_meaning.py makes a DataFrame.

#include <pybind11/pybind11.h>

namespace kova_python {

void add_meaning(pybind11::module_& module);

}  // namespace kova_python
