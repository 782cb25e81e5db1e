#include "plot/plot_setup.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/interaction.h"
#include "plot/time_ticks.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

using tidora::testing::ReadFile;
using tidora::testing::TempDir;
using tidora::testing::WriteFile;

TEST(PlotSetup, SavesItsSectionUnderThePlotTitleAndReadsItBack) {
  TempDir dir;
  ScriptedInteraction ui;
  CPlotSetup s(dir.path());
  s.plotKind = kPlotSpectra;
  s.variables = {19, 27};
  s.title = "Bay, spring";
  s.lastBurst = 4;
  s.yMinimum = -2.5;
  const std::string path = dir.file("plot.psa");
  ASSERT_EQ(s.Save(path, ui), 1);
  const std::string text = ReadFile(path);
  EXPECT_EQ(text.rfind("1  Plot Data\r\n[PostProcPsu]\r\n", 0), 0u);
  EXPECT_NE(text.find("[PlotDataPsu]\r\nPlotKind=4\r\n"), std::string::npos);
  EXPECT_NE(text.find("PlotVariables=19,27\r\n"), std::string::npos);
  EXPECT_NE(text.find("PlotTitle=Bay, spring\r\n"), std::string::npos);
  CPlotSetup back;
  ASSERT_EQ(back.Load(path, 1, ui), 1);
  EXPECT_TRUE(back.Equals(s));
  EXPECT_EQ(back.variables, s.variables);
  EXPECT_EQ(back.yMinimum, -2.5);
  back.variables = {19};
  EXPECT_FALSE(back.Equals(s));
  // Every key has one name on the page, in the file and on the command line.
  EXPECT_EQ(back.ModuleKeyNames().size(), 17u);
  for (const std::string& key : back.ModuleKeyNames())
    EXPECT_NE(text.find("\r\n" + key + "="), std::string::npos) << key;
}

TEST(PlotSetup, TypedValuesAreCheckedAndABadOneChangesNothing) {
  CPlotSetup s;
  EXPECT_EQ(s.AssignModuleSetting("PlotKind", "3"), "");
  EXPECT_EQ(s.plotKind, kPlotBurstStatistics);
  EXPECT_NE(s.AssignModuleSetting("PlotKind", "9"), "");
  EXPECT_NE(s.AssignModuleSetting("PlotKind", "-1"), "");
  EXPECT_EQ(s.plotKind, kPlotBurstStatistics);
  EXPECT_NE(s.AssignModuleSetting("PictureWidth", "0"), "");
  EXPECT_NE(s.AssignModuleSetting("PictureWidth", "100000"), "");
  EXPECT_EQ(s.pictureWidth, 1000);
  EXPECT_NE(s.AssignModuleSetting("XVariable", "19"), "");
  EXPECT_NE(s.AssignModuleSetting("PlotVariables", "19,x"), "");
  EXPECT_NE(s.AssignModuleSetting("PlotVariables", "19,34"), "");
  EXPECT_TRUE(s.variables.empty());
  EXPECT_EQ(s.AssignModuleSetting("PlotVariables", "19,27"), "");
  EXPECT_EQ(s.variables, (std::vector<int>{19, 27}));
  EXPECT_NE(s.AssignModuleSetting("NoSuchKey", "1"), "");
  // A title stays one line of the setup file.
  EXPECT_EQ(s.AssignModuleSetting("PlotTitle", "a\r\nb"), "");
  EXPECT_EQ(s.title, "a  b");
}

// A setup file holding values no setting may take is refused as a whole, like every module's:
// the message names them and the defaults stay.
TEST(PlotSetup, DamagedValuesInAFileKeepTheDefaults) {
  TempDir dir;
  ScriptedInteraction ui;
  WriteFile(dir.file("bad.psa"),
            "1  Plot Data\r\n[PostProcPsu]\r\nInputDir=/x\r\n[PlotDataPsu]\r\nPlotKind=77\r\n"
            "PlotVariables=1,zz\r\nPictureHeight=-4\r\nLogEnergyAxis=0\r\n");
  CPlotSetup s;
  EXPECT_EQ(s.Load(dir.file("bad.psa"), 1, ui), 0);
  ASSERT_FALSE(ui.Messages().empty());
  EXPECT_NE(ui.Messages().back().text.find("cannot be used"), std::string::npos);
  EXPECT_EQ(s.plotKind, kPlotNatural);
  EXPECT_TRUE(s.variables.empty());
  EXPECT_EQ(s.pictureHeight, 600);
  EXPECT_EQ(s.logEnergy, CPlotSetup().logEnergy);
}

TEST(DateTimeTicks, LabelTheDataCalendarAtRoundSteps) {
  // 2024-03-01 00:00:00 to 2024-03-03 00:00:00 in calendar seconds.
  const double day = 86400, start = 1709251200;
  auto ticks = DateTimeTicks(start, start + 2 * day, 5);
  ASSERT_FALSE(ticks.empty());
  EXPECT_LE(ticks.size(), 5u);
  EXPECT_EQ(ticks.front().value, start);
  EXPECT_EQ(ticks.front().label, "03/01 00:00");
  ticks = DateTimeTicks(start, start + 90 * day, 4);
  EXPECT_EQ(ticks.front().label.size(), 10u);  // MM/DD/YYYY
  ticks = DateTimeTicks(start + 1, start + 20, 4);
  EXPECT_EQ(ticks.front().label, "03/01 00:00:05");
  EXPECT_TRUE(DateTimeTicks(start, start, 4).empty());
}

}  // namespace
}  // namespace tidora
