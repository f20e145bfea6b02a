#pragma once
// Names and classes of the matrix's samples, which the matrix itself does not hold, from a file
// the user gives: one line per sample in column order, a name and then any class labels, tab
// separated. A first line starting with '#' may title the class columns. Files in the key: value
// shape of the data folder's .meta files (sample_ids_in_column_order, sample_X_in_column_order,
// sample_X_coding) are read as well.

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kova {

class AnnotationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct SampleAnnotation {
  std::filesystem::path file;
  std::vector<std::string> names;                 // per sample; empty: no names, samples go by number
  std::vector<std::string> class_titles;          // per class column
  std::vector<std::vector<std::string>> classes;  // per class column, per sample

  // The name of sample `s` (0-based), or its 1-based number where there is no name.
  std::string label(std::int32_t s) const;
};

// `file` names the source in messages, which name the line where the count of samples goes wrong.
SampleAnnotation parse_sample_annotation(std::string_view text, const std::string& file, std::int32_t samples);
SampleAnnotation read_sample_annotation(const std::filesystem::path& path, std::int32_t samples);

}  // namespace kova
