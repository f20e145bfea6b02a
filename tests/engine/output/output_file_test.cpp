#include "engine/output/output_file.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kova {
namespace {

TEST(OutputFile, AWriteThatCannotReachTheDeviceIsReportedWithThePath) {
  OutputFile full("/dev/full");
  full.write(std::string(100, 'x'));  // buffered: the failure shows when flushed
  try {
    full.close();
    FAIL() << "closing a file on a full device succeeded";
  } catch (const OutputError& e) {
    EXPECT_NE(std::string(e.what()).find("'/dev/full'"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos) << e.what();
  }
}

TEST(OutputFile, ACreateThatFailsNamesThePathAndTheReason) {
  try {
    OutputFile missing("/nonexistent-folder-kova/out.txt");
    FAIL();
  } catch (const OutputError& e) {
    EXPECT_STREQ(e.what(), "cannot create '/nonexistent-folder-kova/out.txt': No such file or directory");
  }
}

}  // namespace
}  // namespace kova
