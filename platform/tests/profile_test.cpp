#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/settings_dir.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::TempHome;
using testing::WriteFile;

TEST(Profile, MissingFileSectionOrKeyGivesDefault) {
  TempDir dir;
  std::string f = dir.file("a.ini");
  EXPECT_EQ(GetProfileString("S", "k", "def", f), "def");
  EXPECT_EQ(GetProfileInt("S", "k", 42, f), 42);
  WriteFile(f, "[Other]\nk=1\n");
  EXPECT_EQ(GetProfileString("S", "k", "def", f), "def");
  EXPECT_EQ(GetProfileInt("Other", "missing", -3, f), -3);
}

TEST(Profile, NamesMatchWithoutCaseAndValuesAreTrimmed) {
  TempDir dir;
  std::string f = dir.file("a.ini");
  WriteFile(f, "; comment\r\n[Comm Settings]\r\n  BaudRate = 9600 \r\nName=\"quoted text\"\r\n");
  EXPECT_EQ(GetProfileString("comm settings", "BAUDRATE", "", f), "9600");
  EXPECT_EQ(GetProfileInt("COMM SETTINGS", "baudrate", 0, f), 9600);
  EXPECT_EQ(GetProfileString("Comm Settings", "name", "", f), "quoted text");
}

TEST(Profile, IntegerReadsLeadingDigitsAndZeroForText) {
  TempDir dir;
  std::string f = dir.file("a.ini");
  WriteFile(f, "[S]\na=12abc\nb=abc\nc=-7\n");
  EXPECT_EQ(GetProfileInt("S", "a", 5, f), 12);
  EXPECT_EQ(GetProfileInt("S", "b", 5, f), 0);
  EXPECT_EQ(GetProfileInt("S", "c", 5, f), -7);
}

TEST(Profile, WriteCreatesFileSectionAndKeyAndKeepsTheRest) {
  TempDir dir;
  std::string f = dir.file("new.ini");
  ASSERT_TRUE(WriteProfileString("First", "One", "1", f));
  EXPECT_EQ(ReadFile(f), "[First]\nOne=1\n");
  ASSERT_TRUE(WriteProfileString("Second", "Two", "2", f));
  ASSERT_TRUE(WriteProfileString("first", "three", "3", f));
  ASSERT_TRUE(WriteProfileString("FIRST", "ONE", "uno", f));
  EXPECT_EQ(ReadFile(f), "[First]\nOne=uno\nthree=3\n[Second]\nTwo=2\n");
  EXPECT_EQ(GetProfileKeys("first", f), (std::vector<std::string>{"One", "three"}));
}

TEST(Profile, WriteKeepsCrLfCommentsAndBlankSeparators) {
  TempDir dir;
  std::string f = dir.file("a.ini");
  WriteFile(f, "; top\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
  ASSERT_TRUE(WriteProfileString("A", "z", "3", f));
  EXPECT_EQ(ReadFile(f), "; top\r\n[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
}

TEST(Profile, DeleteKeyAndSection) {
  TempDir dir;
  std::string f = dir.file("a.ini");
  WriteFile(f, "[A]\nx=1\ny=2\n[B]\nz=3\n");
  ASSERT_TRUE(DeleteProfileKey("a", "X", f));
  ASSERT_TRUE(DeleteProfileSection("b", f));
  EXPECT_EQ(ReadFile(f), "[A]\ny=2\n");
}

TEST(Profile, FailedWriteReportsFailureAndLeavesNoTemporaryFile) {
  TempDir dir;
  // A folder where the file should be: the final rename fails, whoever runs the test.
  std::string f = dir.file("a.ini");
  ASSERT_EQ(mkdir(f.c_str(), 0755), 0);
  EXPECT_FALSE(WriteProfileString("A", "x", "2", f));
  EXPECT_FALSE(WriteProfileString("A", "x", "2", dir.file("missing/b.ini")));
  size_t entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1u);
}

TEST(SettingsDirectory, FollowsTidoraHomeAndCreatesIt) {
  TempHome home;
  std::string sub = home.path() + "/nested/dir";
  setenv("TIDORA_HOME", (sub + "/").c_str(), 1);
  EXPECT_EQ(SettingsDirectory(), sub);
  struct stat st {};
  EXPECT_EQ(stat(sub.c_str(), &st), 0);
  EXPECT_EQ(SettingsFile("CNVHex.ini"), sub + "/CNVHex.ini");
}

TEST(SettingsDirectory, FallsBackToXdgConfigHome) {
  TempHome home;
  unsetenv("TIDORA_HOME");
  std::string old = getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "";
  setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
  EXPECT_EQ(SettingsDirectory(), home.path() + "/tidora");
  if (old.empty())
    unsetenv("XDG_CONFIG_HOME");
  else
    setenv("XDG_CONFIG_HOME", old.c_str(), 1);
}

}  // namespace
}  // namespace tidora
