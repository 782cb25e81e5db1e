#include "wave/wave_setup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <utility>

#include "platform/interaction.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(WaveSetup, DefaultsAndSectionOrder) {
  TempDir dir;
  CWaveSetup s(dir.path());
  ScriptedInteraction ui;
  ASSERT_EQ(s.Save(dir.file("Swellcalc.psa"), ui), 1);
  std::string text = ReadFile(dir.file("Swellcalc.psa"));
  EXPECT_EQ(text.substr(0, text.find("[SwellcalcWPsu]")),
            "4  Process Wave Burst Data\r\n[PostProcPsu]\r\nInputDir=" + dir.path() +
                "\r\nInputFileArray=\r\nOutputDir=" + dir.path() +
                "\r\nNameAppend=\r\nOutputFile=\r\nLastProcessed=0\r\n");
  EXPECT_EQ(text.substr(text.find("[SwellcalcWPsu]")),
            "[SwellcalcWPsu]\r\nOutputSurfaceWT=0\r\nOutputFFTtoWSS=0\r\nUseFilterCutoff=0\r\n"
            "MinimumAllowableAttenuation=0.0025\r\nChiSquaredConfPercent=90\r\n"
            "WaterTemperature=0\r\nAverageSalinity=35\r\nNumberSpectralEstimates=5\r\n"
            "Height=0\r\nMinimumPeriod=0\r\nMaximumPeriod=1e+06\r\n"
            "HanningWindowCutoff=0.1\r\nFilterCutoff=0.05\r\nProcessBurstsToEnd=1\r\n"
            "burstsToProcess=1\r\nskipAtStart=0\r\n");
  EXPECT_EQ(s.BurstCount(), 0);
  EXPECT_TRUE(s.BurstsToEnd());
}

TEST(WaveSetup, EveryFieldRoundTrips) {
  TempDir dir;
  ScriptedInteraction ui;
  CWaveSetup a;
  a.inputDir = "/in dir";
  a.inputFiles = {"deploy.wb"};
  a.outputDir = "/out";
  a.nameAppend = "_run2";
  a.outputFile = "deploy.";
  a.lastProcessed = 7;
  a.outputSurfaceWT = 1;
  a.outputFFTtoWSS = 1;
  a.useFilterCutoff = 1;
  a.minimumAllowableAttenuation = -1;
  a.chiSquaredConfPercent = 95.5;
  a.waterTemperature = 12.345678901234;
  a.averageSalinity = 31.2;
  a.numberSpectralEstimates = 8;
  a.height = 0.7;
  a.minimumPeriod = 2.5;
  a.maximumPeriod = 30;
  a.hanningWindowCutoff = 0.05;
  a.filterCutoff = 0.01;
  a.processBurstsToEnd = 0;
  a.burstsToProcess = 12;
  a.skipAtStart = 3;
  ASSERT_EQ(a.Save(dir.file("a.psa"), ui), 1);
  CWaveSetup b;
  ASSERT_EQ(b.Load(dir.file("a.psa"), 1, ui), 1);
  EXPECT_TRUE(a.Equals(b));
  EXPECT_EQ(b.lastProcessed, 7);
  EXPECT_EQ(b.waterTemperature, 12.345678901234);
  EXPECT_EQ(b.BurstCount(), 12);
  EXPECT_EQ(b.BurstSkip(), 3);
  // Each setting on its own makes a difference.
  for (const auto& d : CWaveSetup::Settings()) {
    CWaveSetup c = b;
    if (d.type == SettingType::kDouble)
      c.*d.doubleField += 1;
    else
      c.*d.intField += 1;
    EXPECT_FALSE(a.Equals(c)) << SetupKeyName(d.keyId);
  }
}

TEST(WaveSetup, LowerCaseTitleLoadsAndForeignSectionsAreSkipped) {
  TempDir dir;
  ScriptedInteraction ui;
  WriteFile(dir.file("w.psa"),
            "4  process wave burst data\r\n[TabulonPsu]\r\nHeight=9\r\nColumnSeparator=,\r\n"
            "[SwellcalcWPsu]\r\nskipAtStart=4\r\nHeight=1.5\r\n");
  CWaveSetup s;
  ASSERT_EQ(s.Load(dir.file("w.psa"), 0, ui), 1);
  EXPECT_EQ(s.height, 1.5);
  EXPECT_EQ(s.skipAtStart, 4);
  EXPECT_EQ(s.averageSalinity, 35);  // missing keys keep their defaults
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(WaveSetup, KeyValueFromTheCommandLine) {
  CWaveSetup s;
  EXPECT_EQ(s.AssignModuleSetting("Height", "2.25"), "");
  EXPECT_EQ(s.height, 2.25);
  EXPECT_EQ(s.AssignModuleSetting("burstsToProcess", "0"),
            "burstsToProcess: must be greater than 0");
  EXPECT_EQ(s.AssignModuleSetting("skipAtStart", "-1"), "skipAtStart: must not be less than 0");
  EXPECT_EQ(s.AssignModuleSetting("height", "1"), "unknown setting \"height\"");
  EXPECT_EQ(s.AssignModuleSetting("InputDir", "/x"), "unknown setting \"InputDir\"");
  EXPECT_EQ(s.ModuleKeyNames().size(), 16u);
  EXPECT_EQ(s.ModuleKeyNames().front(), "OutputSurfaceWT");
}

// Values the analysis cannot use are refused wherever they come from, naming the key; each
// key keeps the rule it had.
TEST(WaveSetup, NonFiniteAndAbsurdValuesAreRefused) {
  const struct {
    const char* key;
    const char* text;
    const char* why;
  } refused[] = {
      {"Height", "nan", "Height: \"nan\" is not a finite number"},
      {"Height", "inf", "Height: \"inf\" is not a finite number"},
      {"Height", "-inf", "Height: \"-inf\" is not a finite number"},
      {"Height", "1e999", "Height: \"1e999\" is not a finite number"},
      {"Height", "1e308", "Height: must not be greater than 11000"},
      {"Height", "-0.5", "Height: must not be less than 0"},
      {"WaterTemperature", "nan", "WaterTemperature: \"nan\" is not a finite number"},
      {"WaterTemperature", "1e300", "WaterTemperature: must not be greater than 40"},
      {"AverageSalinity", "inf", "AverageSalinity: \"inf\" is not a finite number"},
      {"AverageSalinity", "-1", "AverageSalinity: must not be less than 0"},
      {"NumberSpectralEstimates", "0", "NumberSpectralEstimates: must not be less than 1"},
      {"NumberSpectralEstimates", "2000000000",
       "NumberSpectralEstimates: must not be greater than 1e+06"},
      {"HanningWindowCutoff", "1", "HanningWindowCutoff: must be less than 1"},
      {"HanningWindowCutoff", "-0.1", "HanningWindowCutoff: must not be less than 0"},
      {"MaximumPeriod", "0", "MaximumPeriod: must be greater than 0"},
      {"MinimumPeriod", "-3", "MinimumPeriod: must not be less than 0"},
      {"FilterCutoff", "0", "FilterCutoff: must be greater than 0"},
      {"ChiSquaredConfPercent", "101", "ChiSquaredConfPercent: must not be greater than 100"},
      {"MinimumAllowableAttenuation", "-0.5",
       "MinimumAllowableAttenuation: must not be less than 0"},
      {"burstsToProcess", "0", "burstsToProcess: must be greater than 0"},
  };
  for (const auto& r : refused) {
    CWaveSetup s;
    EXPECT_EQ(s.AssignModuleSetting(r.key, r.text), r.why) << r.key << "=" << r.text;
    EXPECT_TRUE(s.Equals(CWaveSetup())) << r.key << "=" << r.text;
  }
  // Values with a meaning of their own, and the edges of each range, are taken.
  CWaveSetup s;
  for (auto [key, text] : {std::pair{"MinimumAllowableAttenuation", "-1"},
                           {"Height", "0"},
                           {"ChiSquaredConfPercent", "100"},
                           {"WaterTemperature", "-2"},
                           {"NumberSpectralEstimates", "1"},
                           {"HanningWindowCutoff", "0"}})
    EXPECT_EQ(s.AssignModuleSetting(key, text), "") << key;
  EXPECT_EQ(s.minimumAllowableAttenuation, -1);
  EXPECT_EQ(s.CheckModuleSettings(), "");
}

TEST(WaveSetup, SetupFileWithUnusableValuesIsNotLoaded) {
  TempDir dir;
  ScriptedInteraction ui;
  WriteFile(
      dir.file("w.psa"),
      "4  Process Wave Burst Data\r\n[SwellcalcWPsu]\r\nHeight=nan\r\nAverageSalinity=1e999\r\n"
      "NumberSpectralEstimates=0\r\nMaximumPeriod=abc\r\nWaterTemperature=12\r\n");
  CWaveSetup s;
  EXPECT_EQ(s.Load(dir.file("w.psa"), 0, ui), 0);
  EXPECT_TRUE(s.Equals(CWaveSetup()));  // the defaults, not a mixture
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Program Setup File Error");
  // Text that is not a number still reads as 0, which a maximum period cannot be.
  EXPECT_EQ(ui.Messages()[0].text,
            dir.file("w.psa") +
                " holds settings that cannot be used:\nHeight=nan: must be a finite number\n"
                "AverageSalinity=1e999: must be a finite number\n"
                "NumberSpectralEstimates=0: must not be less than 1\n"
                "MaximumPeriod=abc: must be greater than 0");
}

TEST(WaveSetup, RecordCheckNamesTheFirstUnusableValue) {
  CWaveSetup s;
  EXPECT_EQ(s.CheckModuleSettings(), "");
  s.waterTemperature = std::nan("");
  s.height = -1;
  EXPECT_EQ(s.CheckModuleSettings(), "WaterTemperature = nan: must be a finite number");
  s.waterTemperature = 10;
  EXPECT_EQ(s.CheckModuleSettings(), "Height = -1: must not be less than 0");
}

}  // namespace
}  // namespace tidora
