#pragma once
// Where the two run description files live: one definition for the front end and the engine.

#include <filesystem>
#include <stdexcept>

namespace kova {

struct RunDescriptionPaths {
  std::filesystem::path outinfo;   // input path, output path
  std::filesystem::path doutinfo;  // genes, samples, threshold
};

class RunDescriptionLocationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// c:\outinfo.txt and c:\doutinfo.txt on Windows; outinfo.txt and doutinfo.txt in $HOME elsewhere.
// Throws RunDescriptionLocationError where HOME is unset or empty.
RunDescriptionPaths run_description_paths();

}  // namespace kova
