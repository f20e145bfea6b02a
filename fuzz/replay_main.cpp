// Runs a fuzz target over saved inputs, without libFuzzer: every file of every folder given (or
// the files given themselves). A failed check aborts; an empty corpus is an error too, so that a
// mistyped folder never passes as a clean replay.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> inputs_in(const std::filesystem::path& where) {
  std::vector<std::filesystem::path> files;
  if (std::filesystem::is_directory(where)) {
    for (const auto& entry : std::filesystem::directory_iterator(where)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
  } else if (std::filesystem::is_regular_file(where)) {
    files.push_back(where);
  }
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t replayed = 0;
  for (int a = 1; a < argc; ++a) {
    for (const auto& file : inputs_in(argv[a])) {
      std::ifstream in(file, std::ios::binary);
      const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  if (replayed == 0) {
    std::fprintf(stderr, "no saved inputs found\n");
    return 1;
  }
  std::printf("%zu inputs replayed\n", replayed);
  return 0;
}
