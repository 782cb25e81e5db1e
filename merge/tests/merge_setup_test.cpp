#include "merge/merge_setup.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/interaction.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

const char* kSection =
    "[BaroblendPsu]\r\n"
    "BarometricPressureUnits=1\r\n"
    "Gravity=9.81\r\n"
    "AverageDensity=1025.5\r\n"
    "ConvertToWaterDepth=0\r\n";

CMergeSetup Parsed(const std::string& text) {
  CMergeSetup s;
  std::istringstream in(text);
  EXPECT_EQ(s.Parse(in), CPostProcSetup::ParseResult::kOk);
  return s;
}

TEST(MergeSetup, WritesItsSectionInOrderAndReadsItBack) {
  testing::TempDir dir;
  ScriptedInteraction ui;
  CMergeSetup s(dir.path());
  EXPECT_EQ(s.Merge(), MergeSettings());
  EXPECT_EQ(s.DefaultFileName(), "Baroblend.psa");
  s.barometricPressureUnits = 1;
  s.gravity = 9.81;
  s.averageDensity = 1025.5;
  s.convertToWaterDepth = 0;
  ASSERT_EQ(s.Save(dir.file("Baroblend.psa"), ui), 1);
  const std::string text = testing::ReadFile(dir.file("Baroblend.psa"));
  EXPECT_EQ(text.rfind("3  Merge Barometric Pressure\r\n[PostProcPsu]\r\n", 0), 0u);
  EXPECT_EQ(text.substr(text.size() - std::string(kSection).size()), kSection);

  CMergeSetup loaded;
  ASSERT_EQ(loaded.Load(dir.file("Baroblend.psa"), 1, ui), 1);
  EXPECT_TRUE(loaded.Equals(s));
  EXPECT_EQ(loaded.Merge(), s.Merge());
}

TEST(MergeSetup, UnitOutsideItsRangeIsIgnoredAndOtherKeysEndTheSection) {
  const std::string title = "3  Merge Barometric Pressure\r\n";
  CMergeSetup s = Parsed(title +
                         "[BaroblendPsu]\r\nBarometricPressureUnits=1\r\n"
                         "BarometricPressureUnits=2\r\nBarometricPressureUnits=-1\r\n");
  EXPECT_EQ(s.barometricPressureUnits, 1);

  // A framework key ends the section; so does a section line, which the next reader sees.
  s = Parsed(title + "[BaroblendPsu]\r\nGravity=9.7\r\nOutputDir=/x\r\nAverageDensity=1000\r\n");
  EXPECT_EQ(s.gravity, 9.7);
  EXPECT_EQ(s.averageDensity, 1028.0);
  s = Parsed(title +
             "[BaroblendPsu]\r\nNoSuchKey=1\r\nConvertToWaterDepth=0\r\n"
             "[PostProcPsu]\r\nOutputDir=/out\r\n");
  EXPECT_EQ(s.convertToWaterDepth, 0);
  EXPECT_EQ(s.outputDir, "/out");
}

TEST(MergeSetup, ComparesEveryMergeSettingExactly) {
  CMergeSetup a, b;
  EXPECT_TRUE(a.Equals(b));
  b.gravity = 9.8 + 1e-12;
  EXPECT_FALSE(a.Equals(b));
  b = a;
  b.convertToWaterDepth = 0;
  EXPECT_FALSE(a.Equals(b));
  b = a;
  b.barometricPressureUnits = 1;
  EXPECT_FALSE(a.Equals(b));
  b = a;
  b.averageDensity = 1000;
  EXPECT_FALSE(a.Equals(b));
  b = a;
  b.lastProcessed = 5;
  EXPECT_TRUE(a.Equals(b));
}

TEST(MergeSetup, TypedValuesFollowTheRangeRules) {
  CMergeSetup s;
  EXPECT_EQ(s.AssignModuleSetting("BarometricPressureUnits", "1"), "");
  EXPECT_EQ(s.barometricPressureUnits, 1);
  EXPECT_NE(s.AssignModuleSetting("BarometricPressureUnits", "2"), "");
  EXPECT_NE(s.AssignModuleSetting("BarometricPressureUnits", "x"), "");
  EXPECT_EQ(s.barometricPressureUnits, 1);
  EXPECT_EQ(s.AssignModuleSetting("Gravity", "9.81"), "");
  EXPECT_EQ(s.gravity, 9.81);
  EXPECT_NE(s.AssignModuleSetting("AverageDensity", "-1"), "");
  EXPECT_EQ(s.averageDensity, 1028.0);
  EXPECT_EQ(s.AssignModuleSetting("ConvertToWaterDepth", "0"), "");
  EXPECT_NE(s.AssignModuleSetting("Height", "3"), "");
  EXPECT_EQ(s.ModuleKeyNames(),
            (std::vector<std::string>{"BarometricPressureUnits", "Gravity", "AverageDensity",
                                      "ConvertToWaterDepth"}));
}

TEST(MergeSetup, GravityAndDensityMustGiveAFiniteDepth) {
  CMergeSetup s;
  EXPECT_EQ(s.AssignModuleSetting("Gravity", "0"), "Gravity: must not be less than 1");
  EXPECT_EQ(s.AssignModuleSetting("Gravity", "-1"), "Gravity: must not be less than 0");
  EXPECT_EQ(s.AssignModuleSetting("Gravity", "nan"), "Gravity: \"nan\" is not a finite number");
  EXPECT_EQ(s.AssignModuleSetting("AverageDensity", "inf"),
            "AverageDensity: \"inf\" is not a finite number");
  EXPECT_EQ(s.AssignModuleSetting("AverageDensity", "1e-300"),
            "AverageDensity: must not be less than 100");
  EXPECT_EQ(s.AssignModuleSetting("AverageDensity", "1e300"),
            "AverageDensity: must not be greater than 10000");
  EXPECT_EQ(s.Merge(), MergeSettings());
  EXPECT_EQ(s.AssignModuleSetting("Gravity", "9.81"), "");

  CMergeSetup parsed;
  std::istringstream in("3  Merge Barometric Pressure\r\n[BaroblendPsu]\r\nGravity=0\r\n");
  EXPECT_EQ(parsed.Parse(in), CPostProcSetup::ParseResult::kBadValue);
  EXPECT_EQ(parsed.RejectedSettings(), "Gravity=0: must not be less than 1");
  EXPECT_EQ(parsed.gravity, 9.8);
  parsed.gravity = 0;  // as a page may leave it
  EXPECT_EQ(parsed.CheckModuleSettings(), "Gravity = 0: must not be less than 1");
}

}  // namespace
}  // namespace tidora
