#include <gtest/gtest.h>

#include <string>

#include "terminal/dump_check.h"

namespace tidora::testing {
namespace {

// Feeds `lines` (each followed by CR LF) and returns the line numbers the check reported.
std::vector<long> Feed(DumpLineCheck& check, const std::vector<std::string>& lines, bool plus) {
  std::vector<long> ended;
  for (const std::string& l : lines)
    for (char c : l + "\r\n")
      if (long n = check.Add(static_cast<uint8_t>(c), plus)) ended.push_back(n);
  return ended;
}

TEST(DumpLineCheck, TheFirstTenLinesSetTheLengthLaterLinesAreHeldTo) {
  DumpLineCheck check;
  check.Start();
  // Ten lines of 8 digits but for two odd ones: the middle length is still 8.
  std::vector<std::string> first(10, "01234567");
  first[2] = "0123";
  first[7] = "0123456789ABCDEF";
  EXPECT_EQ(Feed(check, first, false), (std::vector<long>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  // Line 11 is never checked; of the later ones only those of another length count.
  Feed(check, {"X", "01234567", "0123456", "01234567", "012345678"}, false);
  EXPECT_EQ(check.errors(), 2);
}

TEST(DumpLineCheck, Tgr41plusLinesAreHeldToTheRecordWidths) {
  DumpLineCheck check;
  check.Start();
  Feed(check, std::vector<std::string>(11, "0"), true);
  // 10, 12, 16, 18 and 24 digits are records; 11 and 20 are not.
  Feed(check,
       {std::string(10, 'A'), std::string(12, 'A'), std::string(16, 'A'), std::string(18, 'A'),
        std::string(24, 'A'), std::string(11, 'A'), std::string(20, 'A')},
       true);
  EXPECT_EQ(check.errors(), 2);
}

TEST(DumpLineCheck, RestartCountsLinesAgainButKeepsWhatWasFound) {
  DumpLineCheck check;
  check.Start();
  Feed(check, std::vector<std::string>(12, "0123"), false);
  Feed(check, {"01"}, false);
  ASSERT_EQ(check.errors(), 1);
  check.Restart();
  // Lines count from the first again, the reference of four digits and the error stay.
  EXPECT_EQ(Feed(check, {"0123"}, false), std::vector<long>{1});
  EXPECT_EQ(check.errors(), 1);
  check.Start();
  EXPECT_EQ(check.errors(), 0);
  EXPECT_EQ(Feed(check, {"0"}, false), std::vector<long>{1});
}

}  // namespace
}  // namespace tidora::testing
