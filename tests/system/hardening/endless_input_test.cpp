// Run description streams that never end: the path reader must give up once a path outgrows
// every platform's limit, instead of reading until memory runs out.

#include <gtest/gtest.h>

#include <istream>
#include <sstream>
#include <streambuf>
#include <string>

#include "common/run_description_reader.hpp"

namespace kova {
namespace {

// Repeats `pattern` for ever.
class EndlessBuffer : public std::streambuf {
 public:
  explicit EndlessBuffer(std::string pattern) : pattern_(std::move(pattern)) {
    while (chunk_.size() < 4096) chunk_ += pattern_;
  }

 protected:
  int_type underflow() override {
    setg(chunk_.data(), chunk_.data(), chunk_.data() + chunk_.size());
    return traits_type::to_int_type(chunk_[0]);
  }

 private:
  std::string pattern_;
  std::string chunk_;
};

TEST(EndlessRunDescription, PathReadingStopsAtTheLongestPath) {
  for (const char* pattern : {"a", "a ", "folder\r\n", "\t\tx"}) {
    SCOPED_TRACE(pattern);
    EndlessBuffer buffer(pattern);
    std::istream in(&buffer);
    EXPECT_THROW(read_joined_path(in), RunDescriptionError);
  }
}

TEST(EndlessRunDescription, APathOfTheLongestLengthIsStillRead) {
  const std::string longest = std::string(kMaxPathLength - 6, 'p') + " q.txt";
  std::istringstream in(longest + "\r\n/o.txt\r\n");
  EXPECT_EQ(read_joined_path(in), longest);
  EXPECT_EQ(read_joined_path(in), "/o.txt");
  std::istringstream too_long(std::string(kMaxPathLength - 5, 'p') + " q.txt\r\n");
  EXPECT_THROW(read_joined_path(too_long), RunDescriptionError);
}

}  // namespace
}  // namespace kova
