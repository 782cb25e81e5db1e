#include "postproc/setup.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <sstream>

#include "platform/interaction.h"
#include "platform/profile.h"
#include "platform/settings_dir.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::TempHome;
using testing::WriteFile;

// A module setup of the merge module's shape, declared by a table as every module does.
class TestMergeSetup : public CTableSetup<TestMergeSetup> {
 public:
  TestMergeSetup() { ResetAll(); }
  int ModuleIndex() const override { return kMergeModule; }
  std::string DefaultFileName() const override { return "Baroblend.psa"; }
  static std::span<const SettingDecl<TestMergeSetup>> Settings() {
    using S = TestMergeSetup;
    static const std::array<SettingDecl<S>, 3> table = {
        IntSetting<S>(15, &S::units, 1, "units"),
        DoubleSetting<S>(16, &S::gravity, 9.80665, "gravity"),
        FlagSetting<S>(18, &S::toDepth, 0, "depth"),
    };
    return table;
  }
  int units = 1;
  double gravity = 9.80665;
  int toDepth = 0;
};

TEST(SetupKeys, VocabularyIsExactAndSectioned) {
  EXPECT_EQ(SetupKeyId("PostProcPsu"), 0);
  EXPECT_EQ(SetupKeyId("skipAtStart"), 35);
  EXPECT_EQ(SetupKeyId("SkipAtStart"), -1);  // case matters
  EXPECT_EQ(SetupKeyId("Nonsense"), -1);
  EXPECT_STREQ(SetupKeyName(19), "SwellcalcWPsu");
  EXPECT_EQ(SetupKeyName(kNumSetupKeys), nullptr);
  EXPECT_EQ(SectionOfKey(7), 0);
  EXPECT_EQ(SectionOfKey(13), 8);
  EXPECT_EQ(SectionOfKey(18), 14);
  EXPECT_EQ(SectionOfKey(20), 19);
  EXPECT_EQ(ModuleDisplayName(kWaveModule), "Process Wave Burst Data");
  EXPECT_STREQ(ModuleTitle(kMergeModule), "3  Merge Barometric Pressure");
}

TEST(SetupFile, SavesTitleFrameworkAndModuleSectionWithCrLf) {
  TempDir dir;
  ScriptedInteraction ui;
  TestMergeSetup s;
  s.inputDir = "/data/in";
  s.inputFiles = {"a.tid", "a.bp"};
  s.outputDir = "/data/out";
  s.nameAppend = "_x";
  s.outputFile = "a.";
  s.lastProcessed = 3;
  s.gravity = 9.81;
  ASSERT_EQ(s.Save(dir.file("m.psa"), ui), 1);
  EXPECT_EQ(ReadFile(dir.file("m.psa")),
            "3  Merge Barometric Pressure\r\n[PostProcPsu]\r\nInputDir=/data/in\r\n"
            "InputFileArray=a.tid,a.bp\r\nOutputDir=/data/out\r\nNameAppend=_x\r\n"
            "OutputFile=a.\r\nLastProcessed=3\r\n[BaroblendPsu]\r\nBarometricPressureUnits=1\r\n"
            "Gravity=9.81\r\nConvertToWaterDepth=0\r\n");
  EXPECT_EQ(s.setupPath, dir.file("m.psa"));
}

TEST(SetupFile, RoundTripAndComparison) {
  TempDir dir;
  ScriptedInteraction ui;
  TestMergeSetup a;
  a.inputFiles = {"x.tid"};
  a.units = 4;
  a.gravity = 1.0 / 3.0;
  a.toDepth = 1;
  a.lastProcessed = 9;
  ASSERT_EQ(a.Save(dir.file("r.psa"), ui), 1);
  TestMergeSetup b;
  ASSERT_EQ(b.Load(dir.file("r.psa"), 1, ui), 1);
  EXPECT_TRUE(a.Equals(b));
  EXPECT_EQ(b.gravity, 1.0 / 3.0);
  EXPECT_EQ(b.lastProcessed, 9);
  b.lastProcessed = 0;  // not compared
  EXPECT_TRUE(a.Equals(b));
  b.inputFiles = {"X.tid"};  // file names compare case-sensitively
  EXPECT_FALSE(a.Equals(b));
  b.inputFiles = a.inputFiles;
  b.toDepth = 0;
  EXPECT_FALSE(a.Equals(b));
  EXPECT_TRUE(ui.Messages().empty());
}

std::string Psa(const std::string& title, const std::string& body) {
  return title + "\r\n" + body;
}

TEST(SetupFile, TitleIsComparedWithoutCaseButExactly) {
  TempDir dir;
  TestMergeSetup s;
  ScriptedInteraction ui;
  WriteFile(dir.file("a.psa"), Psa("3  merge BAROMETRIC pressure", "[BaroblendPsu]\nGravity=2\n"));
  EXPECT_EQ(s.Load(dir.file("a.psa"), 0, ui), 1);
  EXPECT_EQ(s.gravity, 2);

  WriteFile(dir.file("b.psa"), Psa("3 Merge Barometric Pressure", ""));
  EXPECT_EQ(s.Load(dir.file("b.psa"), 0, ui), 0);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Cannot read " + dir.file("b.psa") + ".");
  EXPECT_EQ(ui.Messages()[0].caption, "Program Setup File Error");
  EXPECT_EQ(s.setupPath, dir.file("a.psa"));  // a failed load keeps the previous path
  EXPECT_EQ(s.gravity, 9.80665);              // and the defaults

  ui.Clear();
  EXPECT_EQ(s.Load(dir.file("b.psa"), 1, ui), 0);
  EXPECT_EQ(ui.Messages()[0].text,
            dir.file("b.psa") + " cannot be opened for reading, contact Brennic.");
  ui.Clear();
  WriteFile(dir.file("empty.psa"), "");
  EXPECT_EQ(s.Load(dir.file("empty.psa"), 1, ui), 0);
  EXPECT_EQ(ui.Messages()[0].text, "Cannot read " + dir.file("empty.psa") + ".");
  ui.Clear();
  EXPECT_EQ(s.Load(dir.file("missing.psa"), 0, ui), 0);
  EXPECT_EQ(ui.Messages()[0].text, "Cannot read " + dir.file("missing.psa") + ".");
}

TEST(SetupFile, AnotherModulesFileIsTheWrongType) {
  TempDir dir;
  TestMergeSetup s;
  ScriptedInteraction ui;
  WriteFile(dir.file("w.psa"), Psa("4  Process Wave Burst Data", "[SwellcalcWPsu]\nHeight=1\n"));
  EXPECT_EQ(s.Load(dir.file("w.psa"), 1, ui), 0);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Wrong Type of Program Setup File");
  EXPECT_EQ(ui.Messages()[0].text, dir.file("w.psa") +
                                       " is a program setup file for the Process Wave Burst "
                                       "Data program.");
  EXPECT_EQ(ui.Messages()[0].icon, MsgIcon::Warning);
}

TEST(SetupFile, TitleLineTellsWhichModuleOpensTheFile) {
  TempDir dir;
  WriteFile(dir.file("w.psa"), Psa("4  process wave burst data", "[SwellcalcWPsu]\nHeight=1\n"));
  WriteFile(dir.file("m.psa"), "3  Merge Barometric Pressure\n");  // LF only, nothing more
  WriteFile(dir.file("p.psa"), "1  Plot Data");
  WriteFile(dir.file("b.psa"), Psa("3 Merge Barometric Pressure", ""));
  WriteFile(dir.file("long.psa"), std::string(100000, 'x'));
  WriteFile(dir.file("empty.psa"), "");
  EXPECT_EQ(SetupFileModule(dir.file("w.psa")), kWaveModule);
  EXPECT_EQ(SetupFileModule(dir.file("m.psa")), kMergeModule);
  EXPECT_EQ(SetupFileModule(dir.file("p.psa")), kPlotModule);
  for (const char* name : {"b.psa", "long.psa", "empty.psa", "missing.psa"})
    EXPECT_EQ(SetupFileModule(dir.file(name)), -1) << name;
}

TEST(SetupFile, FileListsSectionsAndKeysAreReadTolerantly) {
  TestMergeSetup s;
  auto parse = [&](const std::string& text) {
    std::istringstream in(text);
    return s.Parse(in);
  };
  s.ResetAll("/start");
  ASSERT_EQ(parse("3  Merge Barometric Pressure\n[PostProcPsu]\nInputFileArray=one.tid\n"),
            CPostProcSetup::ParseResult::kOk);
  EXPECT_EQ(s.inputFiles, std::vector<std::string>{"one.tid"});
  EXPECT_EQ(s.inputDir, "");  // the framework section starts from an empty input directory
  parse("3  Merge Barometric Pressure\n[PostProcPsu]\nInputFileArray=\n");
  EXPECT_TRUE(s.inputFiles.empty());
  parse("3  Merge Barometric Pressure\n[PostProcPsu]\nInputFileArray=a.tid,a.bp\n");
  EXPECT_EQ(s.inputFiles, (std::vector<std::string>{"a.tid", "a.bp"}));

  // Foreign and unknown sections are skipped, keys come in any order, a missing key keeps its
  // default, lines without "=" and unknown keys are ignored.
  s.ResetAll();
  parse(
      "3  Merge Barometric Pressure\r\n[TabulonPsu]\r\nGravity=5\r\n[Whatever]\r\nGravity=6\r\n"
      "[BaroblendPsu]\r\nConvertToWaterDepth=1\r\nno equals sign\r\nBogus=3\r\nGravity=7.5\r\n"
      "[PostProcPsu]\r\nOutputDir=/o\r\nNameAppend=a=b\r\n");
  EXPECT_EQ(s.gravity, 7.5);
  EXPECT_EQ(s.toDepth, 1);
  EXPECT_EQ(s.units, 1);
  EXPECT_EQ(s.outputDir, "/o");
  EXPECT_EQ(s.nameAppend, "a=b");  // split at the first "="

  // A key of another section ends what the module section reads.
  s.ResetAll();
  parse(
      "3  Merge Barometric Pressure\n[BaroblendPsu]\nGravity=3\nHeight=4\nConvertToWaterDepth=1\n");
  EXPECT_EQ(s.gravity, 3);
  EXPECT_EQ(s.toDepth, 0);
  // Numbers that are not numbers read as 0.
  parse("3  Merge Barometric Pressure\n[BaroblendPsu]\nGravity=abc\nBarometricPressureUnits=x\n");
  EXPECT_EQ(s.gravity, 0);
  EXPECT_EQ(s.units, 0);
}

TEST(SetupFile, SaveFailureIsReported) {
  TempDir dir;
  TestMergeSetup s;
  ScriptedInteraction ui;
  std::string path = dir.file("no/such/dir/x.psa");
  EXPECT_EQ(s.Save(path, ui), 0);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, path + " cannot be opened for writing, contact Brennic.");
  EXPECT_EQ(s.setupPath, "");
}

TEST(SetupFile, SavingWritesThroughALinkAndRefusesOtherFiles) {
  TempDir dir;
  TestMergeSetup s;
  ScriptedInteraction ui;
  std::filesystem::create_directory(dir.file("setups"));
  std::filesystem::create_symlink("setups/merge.psa", dir.file("merge.psa"));
  ASSERT_EQ(s.Save(dir.file("merge.psa"), ui), 1);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("merge.psa")));
  EXPECT_EQ(ReadFile(dir.file("setups/merge.psa")).substr(0, 30),
            "3  Merge Barometric Pressure\r\n");
  EXPECT_EQ(s.Save(dir.file("setups"), ui), 0);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, dir.file("setups") + " is a folder, not a regular file.");
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("setups")));
}

TEST(SetupFile, DefaultPathAndRenameMode) {
  TempHome home;
  TempDir dir;
  EXPECT_EQ(DefaultSetupPath(dir.path(), "Swellcalc.psa", true), dir.file("Swellcalc.psa"));
  WriteFile(dir.file("Swellcalc.psa"), "x");
  EXPECT_EQ(DefaultSetupPath(dir.file("Swellcalc.psa"), "Swellcalc.psa", false),
            dir.file("Swellcalc.psa"));
  EXPECT_EQ(DefaultSetupPath(dir.file("Swellcalc.psa"), "Swellcalc.psa", true),
            dir.file("Swellcalc_1.psa"));
  WriteFile(dir.file("Swellcalc_1.psa"), "x");
  EXPECT_EQ(DefaultSetupPath(dir.path() + "/", "Swellcalc.psa", true), dir.file("Swellcalc_2.psa"));
  EXPECT_EQ(DefaultSetupPath(dir.file("nothing/here"), "Swellcalc.psa", false),
            SettingsFile("Swellcalc.psa"));
}

TEST(SetupFile, KeyValueAssignmentIsStrict) {
  TestMergeSetup s;
  EXPECT_EQ(s.AssignModuleSetting("Gravity", "9.5"), "");
  EXPECT_EQ(s.gravity, 9.5);
  EXPECT_NE(s.AssignModuleSetting("Gravity", "9.5x"), "");
  EXPECT_NE(s.AssignModuleSetting("ConvertToWaterDepth", "2"), "");
  EXPECT_NE(s.AssignModuleSetting("BarometricPressureUnits", "1.5"), "");
  EXPECT_NE(s.AssignModuleSetting("Height", "1"), "");  // another module's key
  EXPECT_EQ(s.gravity, 9.5);
  double v;
  EXPECT_EQ(CheckSettingText(SettingType::kInt, kRangeAbove, 0, "0", v), "must be greater than 0");
  EXPECT_EQ(CheckSettingText(SettingType::kInt, kRangeNotBelow, 0, "0", v), "");
}

class StartUp : public ::testing::Test {
 protected:
  TempHome home;
  TempDir dir;
  ScriptedInteraction ui;
  TestMergeSetup s;
};

TEST_F(StartUp, CreatesADefaultSetupFileWhenThereIsNone) {
  ModulePreferences prefs = ReadModulePreferences(s.DisplayName());
  EXPECT_EQ(prefs.setupPath, "");
  EXPECT_TRUE(prefs.confirmChanges);
  EXPECT_TRUE(prefs.overwriteWarning);
  prefs.setupPath = dir.file("new.psa");
  ASSERT_EQ(RunStartUpSequence(s, prefs, ui), 1);
  EXPECT_TRUE(std::filesystem::exists(dir.file("new.psa")));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "A default program setup file has been created:\n\n" + dir.file("new.psa") + ".");
  EXPECT_EQ(ui.Messages()[0].caption, "Default program settup file");
  ui.Clear();
  TestMergeSetup again;
  ASSERT_EQ(RunStartUpSequence(again, prefs, ui), 1);  // now it loads without a word
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(again.setupPath, dir.file("new.psa"));
}

TEST_F(StartUp, TheFirstDefaultSetupFileGoesToTheSettingsFolder) {
  // Started from a desktop menu, the working folder may be one the module cannot write to.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::create_directory(dir.file("locked"));
  std::filesystem::current_path(dir.file("locked"));
  std::filesystem::permissions(
      dir.file("locked"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const int result = RunStartUpSequence(s, ReadModulePreferences(s.DisplayName()), ui);
  std::filesystem::current_path(cwd);
  std::filesystem::permissions(dir.file("locked"), std::filesystem::perms::owner_all);
  ASSERT_EQ(result, 1);
  EXPECT_EQ(s.setupPath, SettingsFile(s.DefaultFileName()));
  EXPECT_TRUE(std::filesystem::is_regular_file(s.setupPath));
  EXPECT_TRUE(std::filesystem::is_empty(dir.file("locked")));
}

TEST_F(StartUp, UnreadableFileIsOverwrittenOrRenamed) {
  WriteFile(dir.file("Baroblend.psa"), "garbage\n");
  ModulePreferences prefs;
  prefs.setupPath = dir.file("Baroblend.psa");
  ui.QueueChoice(1);  // Rename
  ASSERT_EQ(RunStartUpSequence(s, prefs, ui), 1);
  EXPECT_EQ(s.setupPath, dir.file("Baroblend_1.psa"));
  EXPECT_EQ(ReadFile(dir.file("Baroblend.psa")), "garbage\n");
  auto msgs = ui.Messages();
  ASSERT_GE(msgs.size(), 2u);
  EXPECT_EQ(msgs[1].caption, "Error reading program setup file");
  EXPECT_EQ(msgs[1].text, "Unable to read program setup file\n" + dir.file("Baroblend.psa") +
                              ".\nOverwrite it or rename it?");
  ui.Clear();
  TestMergeSetup t;
  WriteFile(dir.file("Baroblend.psa"), "garbage\n");
  ui.QueueChoice(0);  // Overwrite
  ASSERT_EQ(RunStartUpSequence(t, prefs, ui), 1);
  EXPECT_EQ(t.setupPath, dir.file("Baroblend.psa"));
  EXPECT_EQ(ReadFile(dir.file("Baroblend.psa")).substr(0, 30), "3  Merge Barometric Pressure\r\n");
}

TEST_F(StartUp, SaveFailureEndsTheWindow) {
  ModulePreferences prefs;
  prefs.setupPath = dir.file("missing/dir/x.psa");
  EXPECT_EQ(RunStartUpSequence(s, prefs, ui), 0);
}

TEST_F(StartUp, PreferencesRoundTripThroughTheIni) {
  ModulePreferences p{"/x/y.psa", false, false};
  ASSERT_TRUE(WriteModulePreferences("Merge Barometric Pressure", p));
  ModulePreferences q = ReadModulePreferences("Merge Barometric Pressure");
  EXPECT_EQ(q.setupPath, "/x/y.psa");
  EXPECT_FALSE(q.confirmChanges);
  EXPECT_FALSE(q.overwriteWarning);
  WriteProfileString("Merge Barometric Pressure", "confirm .PSA changes", "yesterday",
                     SettingsFile("TidoraWaves.ini"));
  WriteProfileString("Merge Barometric Pressure", "overwrite output warning", "yesterday",
                     SettingsFile("TidoraWaves.ini"));
  q = ReadModulePreferences("Merge Barometric Pressure");
  EXPECT_TRUE(q.confirmChanges);     // up to three characters are read
  EXPECT_FALSE(q.overwriteWarning);  // exactly "yes"
}

TEST_F(StartUp, LauncherHandOver) {
  EXPECT_EQ(SetSetupFileFromLauncher(s, "PSA not found", 0, ui), 0);
  EXPECT_EQ(ui.Messages()[0].text,
            "Must terminate the Merge Barometric Pressure program.\nCannot determine the PSA file "
            "because the INI file is missing.");
  EXPECT_EQ(ui.Messages()[0].caption, "Program Setup File Error");
  ui.Clear();
  EXPECT_EQ(SetSetupFileFromLauncher(s, dir.file("none.psa"), 1, ui), 0);
  auto msgs = ui.Messages();
  EXPECT_EQ(msgs.back().caption, "Command Line Error, '/P' Option");
  EXPECT_EQ(msgs.back().text, "Must terminate the Merge Barometric Pressure program.");
  ui.Clear();
  ASSERT_EQ(s.Save(dir.file("ok.psa"), ui), 1);
  EXPECT_EQ(SetSetupFileFromLauncher(s, dir.file("ok.psa"), 0, ui), 1);
}

}  // namespace
}  // namespace tidora
