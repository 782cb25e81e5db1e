#include "datafile/buffered_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "testing/test_support.h"

namespace tidora {
namespace {

// Lines, pieces larger than the buffer and reserved room, in order, across many buffers.
TEST(BufferedOutput, LargeAndSmallWritesReachTheFileInOrder) {
  testing::TempDir dir;
  BufferedOutput out;
  ASSERT_TRUE(out.Open(dir.file("a.txt")));
  std::string want;
  for (int i = 0; i < 60000; ++i) {
    const std::string line =
        "line " + std::to_string(i) + std::string(static_cast<size_t>(i % 50), '.');
    ASSERT_TRUE(out.WriteLine(line));
    want += line + "\r\n";
    if (i % 20000 == 7) {
      // More than the whole buffer at once.
      const std::string big(3 * BufferedOutput::kDrainBytes + 11, static_cast<char>('a' + i % 26));
      ASSERT_TRUE(out.Write(big));
      want += big;
    }
    if (i % 1000 == 3) {
      char* p = out.Reserve(70000);
      std::memset(p, '#', 70000);
      ASSERT_TRUE(out.Commit(p + 70000));
      want.append(70000, '#');
    }
  }
  ASSERT_TRUE(out.Write(""));
  EXPECT_FALSE(out.Failed());
  EXPECT_TRUE(out.Close());
  const std::string got = testing::ReadFile(dir.file("a.txt"));
  ASSERT_EQ(got.size(), want.size());
  EXPECT_TRUE(got == want);
}

TEST(BufferedOutput, AFailedWriteIsRememberedUntilTheNextOpen) {
  BufferedOutput out;
  ASSERT_TRUE(out.Open("/dev/full"));
  const std::string line(1000, 'x');
  bool failed = false;
  for (int i = 0; i < 3000 && !failed; ++i) failed = !out.WriteLine(line);
  EXPECT_TRUE(failed) << "a full disk must show once a buffer is written";
  EXPECT_TRUE(out.Failed());
  EXPECT_FALSE(out.WriteLine("small"));
  EXPECT_FALSE(out.Close());
  EXPECT_FALSE(out.Close());

  testing::TempDir dir;
  ASSERT_TRUE(out.Open(dir.file("b.txt")));
  EXPECT_TRUE(out.WriteLine("fresh"));
  EXPECT_TRUE(out.Close());
  EXPECT_EQ(testing::ReadFile(dir.file("b.txt")), "fresh\r\n");
}

TEST(BufferedOutput, NothingIsTakenWithoutAnOpenFile) {
  testing::TempDir dir;
  BufferedOutput out;
  EXPECT_FALSE(out.Open(dir.file("missing/a.txt")));
  EXPECT_FALSE(out.Write("text"));
  char* p = out.Reserve(10);
  std::memset(p, 'y', 10);
  EXPECT_FALSE(out.Commit(p + 10));
  EXPECT_FALSE(out.Close());
  BufferedOutput never;
  EXPECT_FALSE(never.WriteLine("text"));
  EXPECT_FALSE(never.Close());
}

}  // namespace
}  // namespace tidora
