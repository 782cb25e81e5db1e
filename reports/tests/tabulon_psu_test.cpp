#include "reports/tabulon_psu.h"
#include "reports/tabulon.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/interaction.h"
#include "reports/input_selection.h"
#include "testing/scripted_interaction.h"

namespace tidora {
namespace {

TEST(TabulonSettings, SectionIsWrittenInOrderAndReadBack) {
  CTabulonSetup psu;
  std::ostringstream out;
  psu.WriteModuleSection(out);
  EXPECT_EQ(out.str(),
            "SelectedColumnItems=\r\nColumnSeparator=0\r\nJulianDaysConvFmt=0\r\n"
            "LabelDataColumns=1\r\nOutputHeaderInfo=1\r\n");
  EXPECT_EQ(psu.ModuleKeyNames(),
            (std::vector<std::string>{"SelectedColumnItems", "ColumnSeparator", "JulianDaysConvFmt",
                                      "LabelDataColumns", "OutputHeaderInfo"}));

  psu.SetColumns({2, 4, 25, 24});
  psu.SetSeparator(2);
  psu.SetTimeForm(1);
  psu.labelDataColumns = 0;
  out.str("");
  psu.WriteModuleSection(out);
  EXPECT_EQ(out.str(),
            "SelectedColumnItems=2,4,25,24\r\nColumnSeparator=2\r\nJulianDaysConvFmt=1\r\n"
            "LabelDataColumns=0\r\nOutputHeaderInfo=1\r\n");

  CTabulonSetup back;
  EXPECT_FALSE(back.ModuleEqual(psu));
  for (auto [k, v] : {std::pair{"SelectedColumnItems", "2,4,25,24"},
                      {"ColumnSeparator", "2"},
                      {"JulianDaysConvFmt", "1"},
                      {"LabelDataColumns", "0"},
                      {"OutputHeaderInfo", "1"}})
    back.ReadModuleKey(SetupKeyId(k), v);
  EXPECT_TRUE(back.ModuleEqual(psu));
}

TEST(TabulonSettings, ChoicesOutsideTheirRangeAreIgnored) {
  CTabulonSetup psu;
  const int separator = SetupKeyId("ColumnSeparator");
  psu.ReadModuleKey(separator, "3");
  psu.ReadModuleKey(separator, "4");
  psu.ReadModuleKey(separator, "-1");
  EXPECT_EQ(psu.columnSeparator, 3);
  psu.ReadModuleKey(SetupKeyId("JulianDaysConvFmt"), "2");
  psu.ReadModuleKey(SetupKeyId("JulianDaysConvFmt"), "3");
  EXPECT_EQ(psu.julianDaysConvFmt, 2);
  psu.ResetModule();
  EXPECT_EQ(psu.columnSeparator, 0);
  EXPECT_EQ(psu.columns[16], -1);
}

TEST(TabulonSettings, AReadListReplacesTheWholeListWithoutOverflow) {
  CTabulonSetup psu;
  const int list = SetupKeyId("SelectedColumnItems");
  psu.SetColumns({1, 1, 1, 1});
  psu.ReadModuleKey(list, "2,4");
  EXPECT_EQ(psu.UsedColumns(), (std::vector<int>{2, 4}));  // the slots behind are emptied
  EXPECT_EQ(psu.columns[2], -1);
  psu.ReadModuleKey(list, "");
  EXPECT_FALSE(psu.HasColumns());
  EXPECT_EQ(psu.columns[1], -1);
  psu.ReadModuleKey(list, "0,1,2,4,11,12,15,16,17,18,20,22,23,24,25,29,30,0,1,2");
  EXPECT_EQ(psu.UsedColumns().size(), 17u);
  EXPECT_EQ(psu.columns[16], 30);
  EXPECT_EQ(psu.ColumnListText(), "0,1,2,4,11,12,15,16,17,18,20,22,23,24,25,29,30");

  // Typed values are checked whole.
  EXPECT_EQ(psu.AssignModuleSetting("SelectedColumnItems", "2,4,25"), "");
  EXPECT_EQ(psu.UsedColumns(), (std::vector<int>{2, 4, 25}));
  EXPECT_NE(psu.AssignModuleSetting("SelectedColumnItems", "2,x"), "");
  EXPECT_NE(psu.AssignModuleSetting("SelectedColumnItems", "2,34"), "");
  EXPECT_NE(psu.AssignModuleSetting("SelectedColumnItems", "2,-1"), "");
  EXPECT_NE(psu.AssignModuleSetting("SelectedColumnItems",
                                    "0,1,2,4,11,12,15,16,17,18,20,22,23,24,25,29,30,0"),
            "");
  EXPECT_EQ(psu.UsedColumns(), (std::vector<int>{2, 4, 25}));
  EXPECT_EQ(psu.AssignModuleSetting("SelectedColumnItems", ""), "");
  EXPECT_FALSE(psu.HasColumns());
  EXPECT_NE(psu.AssignModuleSetting("ColumnSeparator", "4"), "");
  EXPECT_EQ(psu.AssignModuleSetting("ColumnSeparator", "1"), "");
  EXPECT_EQ(psu.columnSeparator, 1);
  EXPECT_NE(psu.AssignModuleSetting("LabelDataColumns", "2"), "");
  EXPECT_EQ(psu.AssignModuleSetting("OutputHeaderInfo", "0"), "");
  EXPECT_EQ(psu.outputHeaderInfo, 0);
  EXPECT_NE(psu.AssignModuleSetting("NoSuchKey", "0"), "");
}

TEST(TabulonSettings, CopyAndCompareCoverTheWholeList) {
  CTabulonSetup saved, changed;
  saved.SetColumns({2, 4});
  changed.SetColumns({2, 4, 24, 25});
  changed.SetSeparator(kSeparatorTab);
  EXPECT_FALSE(changed.ModuleEqual(saved));
  changed.CopyModuleFrom(saved);
  EXPECT_TRUE(changed.ModuleEqual(saved));
  EXPECT_EQ(changed.UsedColumns(), (std::vector<int>{2, 4}));
  EXPECT_EQ(changed.columnSeparator, kSeparatorSpace);
}

TEST(ReportInputSelection, OneWasAndOneWtsOfOneRun) {
  ScriptedInteraction ui;
  std::vector<std::string> names = {"/d/run.wts", "/d/run.was"};
  EXPECT_TRUE(CheckReportInputSelection(names, ui));
  EXPECT_EQ(names, (std::vector<std::string>{"/d/run.was", "/d/run.wts"}));
  EXPECT_EQ(DefaultReportOutputName(names), "/d/run.r41");
  EXPECT_TRUE(ui.Messages().empty());

  struct Case {
    std::vector<std::string> names;
    const char* text;
    const char* caption;
  } cases[] = {
      {{"run.was"}, "Must select both a .WTS and .WAS file for processing.", "Invalid Selection"},
      {{"a.was", "b.WAS"},
       "Cannot select more than one file with .WAS extension",
       "Duplicate Extensions Found"},
      {{"run.was", "other.wts"},
       "Cannot select files with different root names",
       "Inconsistent File Names Found"},
  };
  for (Case& c : cases) {
    ui.Clear();
    EXPECT_FALSE(CheckReportInputSelection(c.names, ui));
    auto msgs = ui.Messages();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].text, c.text);
    EXPECT_EQ(msgs[0].caption, c.caption);
    EXPECT_EQ(msgs[0].icon, MsgIcon::Error);
  }
  // Roots compare without regard to case.
  names = {"RUN.WTS", "run.was"};
  EXPECT_TRUE(CheckReportInputSelection(names, ui));
  EXPECT_EQ(names.front(), "RUN.WTS");  // character codes: capitals first
}

}  // namespace
}  // namespace tidora

#include "reports/variable_tree.h"

namespace tidora {
namespace {

TEST(ReportVariableTree, RootsInOrderAndTheCopyIsTakenOnlyOnOk) {
  CTabulonSelection tree;
  tree.Open();
  std::vector<int> roots;
  for (int item : tree.RootItems()) roots.push_back(tree.Items()[item].id);
  EXPECT_EQ(roots, (std::vector<int>{2, 4, 11, 22, 24, 29, 15, 16, 17, 18, 0, 1, 20}));
  EXPECT_EQ(tree.Items().size(), 13u + 8u);
  EXPECT_EQ(tree.Items()[tree.FindItem(30)].text, "Wave time series");

  CTabulon_Psu psu;
  psu.SetColumns({2, 4});
  auto addVariance = [](CTGR41Selection& s) {
    EXPECT_EQ(s.GetTitle(), "Select Variables");
    EXPECT_EQ(s.GetCurrentRow(), 2);
    s.SelectItem(s.FindItem(30));
    s.Add();
    return false;  // Cancel
  };
  EXPECT_FALSE(SelectReportVariables(psu, addVariance));
  EXPECT_EQ(psu.UsedColumns(), (std::vector<int>{2, 4}));
  EXPECT_TRUE(SelectReportVariables(psu, [&](CTGR41Selection& s) { return !addVariance(s); }));
  EXPECT_EQ(psu.UsedColumns(), (std::vector<int>{2, 4, 30}));
}

}  // namespace
}  // namespace tidora
