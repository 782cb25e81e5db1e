#include "outside/utility.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/interaction.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

TEST(Paths, DirectoryNameAndExtension) {
  std::string out;
  EXPECT_EQ(ExtractDirectory("/data/run/a.wb", out, 0), 1);
  EXPECT_EQ(out, "/data/run");
  EXPECT_EQ(ExtractDirectory("/data/run/a.wb", out, 1), 1);
  EXPECT_EQ(out, "/data/run/");
  EXPECT_EQ(ExtractDirectory("/a.wb", out, 0), 1);
  EXPECT_EQ(out, "/");
  EXPECT_EQ(ExtractDirectory("a.wb", out, 0), 0);

  EXPECT_EQ(ExtractFileName("/data/run/a.b.wb", out, 0), 1);
  EXPECT_EQ(out, "a.b.wb");
  EXPECT_EQ(ExtractFileName("/data/run/a.b.wb", out, 1), 1);
  EXPECT_EQ(out, "a.b");
  EXPECT_EQ(ExtractFileName("/data/run/", out, 0), 0);

  ExtractExtension("/data/run.d/a.Wb", out);
  EXPECT_EQ(out, "Wb");
  ExtractExtension("/data/run.d/noext", out);
  EXPECT_EQ(out, "");
}

TEST(Paths, SetExtensionKeepsTheDotForAnEmptyExtension) {
  std::string p = "/d/name.hex";
  SetExtension(p, "tid");
  EXPECT_EQ(p, "/d/name.tid");
  SetExtension(p, "");
  EXPECT_EQ(p, "/d/name.");
  p += "was";  // the wave module appends its output extensions this way
  EXPECT_EQ(p, "/d/name.was");
  std::string q = "/d.x/name";
  SetExtension(q, "wb");
  EXPECT_EQ(q, "/d.x/name.wb");
  RemoveExtension(q);
  EXPECT_EQ(q, "/d.x/name");
  RemoveExtension(q);
  EXPECT_EQ(q, "/d.x/name");
}

TEST(Paths, FixPathNormalisesTypedPaths) {
  std::string p = "  \"C:\\data\\\\run\\a.wb\"  ";
  EXPECT_EQ(FixPath(p), 1);
  EXPECT_EQ(p, "C:/data/run/a.wb");
  std::string e = "   ";
  EXPECT_EQ(FixPath(e), 0);
}

TEST(Paths, FileAndDirectoryTests) {
  testing::TempDir dir;
  testing::WriteFile(dir.file("f.txt"), "x");
  EXPECT_TRUE(IsFile(dir.file("f.txt")));
  EXPECT_FALSE(IsDirectory(dir.file("f.txt")));
  EXPECT_TRUE(IsDirectory(dir.path()));
  EXPECT_FALSE(IsFile(dir.path()));
  EXPECT_TRUE(IsPathValid(dir.path()));
  EXPECT_FALSE(IsPathValid(dir.file("missing")));
  EXPECT_FALSE(IsPathValid(""));
}

TEST(EditFields, ParseKeepsOldValueOnFailure) {
  TextField f("12.5");
  double d = 1;
  EXPECT_EQ(EditToDouble(f, d, nullptr), 1);
  EXPECT_DOUBLE_EQ(d, 12.5);
  f.SetText("abc");
  EXPECT_EQ(EditToDouble(f, d, nullptr), 0);
  EXPECT_DOUBLE_EQ(d, 12.5);
  EXPECT_EQ(f.GetText(), "abc");
  f.SetText("7x");
  int i = 3;
  EXPECT_EQ(EditToInt(f, i, nullptr), 0);
  EXPECT_EQ(i, 3);
  f.SetText(" 8 ");
  EXPECT_EQ(EditToInt(f, i, nullptr), 1);
  EXPECT_EQ(i, 8);
}

TEST(EditFields, RangeModes) {
  TextField f("0");
  int v = -1;
  // Mode 2, bound 0: a burst skip of 0 passes.
  EXPECT_EQ(EditToIntTest(f, v, nullptr, 2, 0), 1);
  EXPECT_EQ(v, 0);
  // Mode 1, bound 0: 0 fails, 1 passes.
  v = 5;
  EXPECT_EQ(EditToIntTest(f, v, nullptr, 1, 0), 0);
  EXPECT_EQ(v, 5);
  f.SetText("1");
  EXPECT_EQ(EditToIntTest(f, v, nullptr, 1, 0), 1);
  EXPECT_EQ(v, 1);
  f.SetText("-0.5");
  double d = 9;
  EXPECT_EQ(EditToDoubleTest(f, d, nullptr, 2, 0.0), 0);
  EXPECT_DOUBLE_EQ(d, 9);
}

TEST(EditFields, MessageShownOnlyWhenGiven) {
  ScriptedInteraction ui;
  TextField f("x");
  int v = 0;
  EditToInt(f, v, nullptr, &ui);
  EXPECT_TRUE(ui.Messages().empty());
  EditToIntTest(f, v, "Enter a whole number", 1, 0, &ui);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Enter a whole number");
}

TEST(EditFields, WritingValuesAndLists) {
  TextField f;
  DoubleToEdit(1028.0, f, "%g", -1, -1);
  EXPECT_EQ(f.GetText(), "1028");
  IntToEdit(-42, f);
  EXPECT_EQ(f.GetText(), "-42");
  struct List : ComboList {
    std::vector<std::string> items;
    void SetItems(const std::vector<std::string>& i) override { items = i; }
  } list;
  FillCombo(list, {"a", "b", "c"}, 2);
  EXPECT_EQ(list.items, (std::vector<std::string>{"a", "b"}));
}

TEST(TimeTexts, DateTimeAndTimeOnly) {
  std::tm t{};
  t.tm_year = 100;
  t.tm_mon = 0;
  t.tm_mday = 2;
  t.tm_hour = 12;
  EXPECT_EQ(TimeToDateTimeStr(t), "02 Jan 2000 12:00:00");
  EXPECT_EQ(TimeToTimeOnlyStr(t), "12:00:00");
  EXPECT_EQ(TimeToDateTimeStr(std::time_t{951782400}), "29 Feb 2000 00:00:00");
  EXPECT_EQ(TimeToTimeOnlyStr(std::time_t{3661}), "01:01:01");
}

TEST(SetupEntries, KeyValueLinesWithCrLf) {
  std::ostringstream out;
  WriteString("InputDir", "/data", out);
  WriteIntString("LastProcessed", 3, out);
  WriteDoubleString("Height", 0.1, out);
  WriteDoubleString("Gravity", 9.80665, out);
  EXPECT_EQ(out.str(), "InputDir=/data\r\nLastProcessed=3\r\nHeight=0.1\r\nGravity=9.80665\r\n");
  double odd = 1.0 / 3.0;
  EXPECT_EQ(std::stod(DoubleToRoundTripText(odd)), odd);
}

TEST(Diagnostics, AppendsToTheLogInTheSettingsFolder) {
  testing::TempHome home;
  EXPECT_EQ(BRUtility::CDiagnostics::Log("first", 0), 1);
  EXPECT_EQ(BRUtility::CDiagnostics::Log("second", 0), 1);
  std::string log = testing::ReadFile(home.file("TidoraWaves.log"));
  EXPECT_NE(log.find("[0] first\n"), std::string::npos);
  EXPECT_NE(log.find("[0] second\n"), std::string::npos);
}

}  // namespace
}  // namespace tidora
