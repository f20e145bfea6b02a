#pragma once
// The run's two result files: the output file and the report, their names and formats, and the
// writer that the search hands every bicluster to.

#include "engine/output/output_file.hpp"
#include "engine/output/report_format.hpp"
#include "engine/output/result_writer.hpp"
