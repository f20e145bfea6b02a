#pragma once
// A run description file as the front end writes it: bytes, checked at every write and close, with
// errors that name the file and what the system said.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace kova {

class DescriptionFile {
 public:
  // Opens `path` for writing without emptying it; nothing is lost until the first replace().
  // Throws WorkflowError ("Cannot create ...").
  static DescriptionFile open_keeping(const std::filesystem::path& path);
  // Creates `path` empty, or empties it. Throws WorkflowError ("Cannot create ...").
  static DescriptionFile create(const std::filesystem::path& path);

  // Makes `bytes` the file's whole content, on disk when it returns. Throws WorkflowError.
  void replace(std::string_view bytes);
  // Closes the file; a failure is reported (WorkflowError) and the file is closed all the same.
  void close();

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  DescriptionFile(std::filesystem::path path, std::FILE* file) : path_(std::move(path)), file_(file) {}

  std::filesystem::path path_;
  std::unique_ptr<std::FILE, Closer> file_;
};

}  // namespace kova
