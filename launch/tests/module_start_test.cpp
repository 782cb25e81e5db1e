#include "launch/module_start.h"

#include <gtest/gtest.h>

#include "platform/interaction.h"
#include "platform/profile.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

// Records every slot call in order.
class RecordingModule : public IPostProcModule {
 public:
  explicit RecordingModule(std::vector<std::string>& log, int refuse = -1)
      : log_(log), refuse_(refuse) {}
  int Run(int a, int b, int c) override {
    log_.push_back("Run " + std::to_string(a + b + c));
    return 0;
  }
  int SetSetupFile(const std::string& p, int flag) override {
    log_.push_back("Setup " + p + " " + std::to_string(flag));
    return refuse_ == 4 ? 0 : 1;
  }
  int SetInputFiles(const std::string& p) override {
    log_.push_back("Input " + p);
    return refuse_ == 5 ? 0 : 1;
  }
  int SetOutputDir(const std::string& p) override {
    log_.push_back("Output " + p);
    return 1;
  }
  void SetNameAppend(const std::string& t) override { log_.push_back("Append " + t); }
  void SetOutputFile(const std::string& t) override { log_.push_back("File " + t); }
  void SetJobText(const std::string& t) override { log_.push_back("Job " + t); }
  int GetLastProcessed() override { return 0; }
  void SetLastProcessed(int) override {}

 private:
  std::vector<std::string>& log_;
  int refuse_;
};

class RecordingHost : public ModuleHost {
 public:
  void SetTitle(const std::string& t) override { log.push_back("Title " + t); }
  void Minimize() override { log.push_back("Minimize"); }
  void Restore() override { log.push_back("Restore"); }
  std::vector<std::string> log;
};

struct Harness {
  std::vector<std::string> calls;
  std::string createdClass;
  bool released = false;
  int refuse = -1;
  ModuleFactory Factory() {
    return [this](const std::string& id, std::string*) {
      createdClass = id;
      auto* m = new RecordingModule(calls, refuse);
      return std::make_unique<ModuleInstance>(m, [this, m] {
        released = true;
        delete m;
      });
    };
  }
};

using Lines = std::vector<std::string>;

TEST(ModuleStart, EmptyOptionsOnlyRunTheModule) {
  testing::TempDir dir;
  // A settings file with a remembered setup path that must not be read.
  WriteProfileString("Process Wave Burst Data", kSetupPathKey, "/x/wave.psa", dir.file("T.ini"));
  Harness h;
  RecordingHost host;
  ScriptedInteraction ui;
  EXPECT_EQ(StartModule(3, {}, host, ui, dir.file("T.ini"), h.Factory()), ModuleStartResult::kRan);
  EXPECT_EQ(h.createdClass, "{72A3061B-9E93-4367-A809-5153ED9EC5CE}");
  EXPECT_EQ(h.calls, Lines{"Run 0"});
  EXPECT_EQ(host.log,
            (Lines{"Title Process Wave Burst Data Running...", "Title Tidora for Waves"}));
  EXPECT_TRUE(h.released);
  EXPECT_TRUE(ui.Records().empty());
}

TEST(ModuleStart, QuotedSetupPathWithBlankIsPassedWholeWithFlagOne) {
  testing::TempDir dir;
  Harness h;
  RecordingHost host;
  ScriptedInteraction ui;
  ModuleStartOptions o{" /P\"/data/my setups/w.psa\" -i*.wb /oout /Ax /fname.wb /X job", true};
  StartModule(3, o, host, ui, dir.file("T.ini"), h.Factory());
  EXPECT_EQ(h.calls, (Lines{"Setup /data/my setups/w.psa 1", "Input *.wb", "Output out", "Append x",
                            "File name.wb", "Job ", "Run 0"}));
  EXPECT_EQ(host.log, (Lines{"Title Process Wave Burst Data Running...", "Minimize", "Restore",
                             "Title Tidora for Waves"}));
}

TEST(ModuleStart, WithoutASetupSwitchTheRememberedPathIsUsed) {
  testing::TempDir dir;
  std::string ini = dir.file("T.ini");
  WriteProfileString("Merge Barometric Pressure", kSetupPathKey, "/x/merge.psa", ini);
  Harness h;
  RecordingHost host;
  ScriptedInteraction ui;
  StartModule(2, {" /O/tmp"}, host, ui, ini, h.Factory());
  EXPECT_EQ(h.calls, (Lines{"Setup /x/merge.psa 0", "Output /tmp", "Run 0"}));

  Harness none;
  StartModule(1, {" -a_v2"}, host, ui, ini, none.Factory());
  EXPECT_EQ(none.calls, (Lines{"Setup PSA not found 0", "Append _v2", "Run 0"}));
}

TEST(ModuleStart, AFileHandedToTheLauncherOpensWhereItBelongs) {
  testing::TempDir dir;
  const std::string setup = dir.file("my setups.psa"), notSetup = dir.file("notes.psa");
  testing::WriteFile(setup, "2  Create Reports\r\n[PostProcPsu]\r\n");
  testing::WriteFile(notSetup, "Create Reports\r\n");

  FileOpening psa = OpenFileWith(setup);
  ASSERT_EQ(psa.kind, FileOpening::kModule);
  EXPECT_EQ(psa.module, 1);
  Harness h;
  RecordingHost host;
  ScriptedInteraction ui;
  StartModule(psa.module, {psa.options}, host, ui, dir.file("T.ini"), h.Factory());
  EXPECT_EQ(h.createdClass, "{8376DA33-72EC-4535-B804-2246D2B4C85F}");
  EXPECT_EQ(h.calls, (Lines{"Setup " + setup + " 1", "Run 0"}));

  // Data files go to Plot Data as its input, whatever the case of their extension.
  FileOpening data = OpenFileWith("/d/run 1.WTS");
  EXPECT_EQ(data.kind, FileOpening::kModule);
  EXPECT_EQ(data.module, 0);
  std::string input;
  EXPECT_TRUE(FindModuleSwitch(data.options, 'I', &input));
  EXPECT_EQ(input, "/d/run 1.WTS");
  for (const char* ext : {".tid", ".wb", ".was", ".wt"})
    EXPECT_EQ(OpenFileWith(std::string("/d/x") + ext).module, 0) << ext;

  EXPECT_EQ(OpenFileWith("/d/up.hex").kind, FileOpening::kConvertHex);
  EXPECT_EQ(OpenFileWith(notSetup).kind, FileOpening::kNone);
  EXPECT_EQ(OpenFileWith(dir.file("missing.psa")).kind, FileOpening::kNone);
}

TEST(ModuleStart, RefusedSwitchReleasesWithoutRunning) {
  testing::TempDir dir;
  for (int refuse : {4, 5}) {
    Harness h;
    h.refuse = refuse;
    RecordingHost host;
    ScriptedInteraction ui;
    EXPECT_EQ(StartModule(3, {" /Pa.psa /I*.wb"}, host, ui, dir.file("T.ini"), h.Factory()),
              ModuleStartResult::kRefused);
    EXPECT_TRUE(h.released);
    EXPECT_TRUE(host.log.empty());
    EXPECT_TRUE(ui.Records().empty());
    EXPECT_EQ(h.calls.back().rfind("Run", 0), std::string::npos);
  }
}

TEST(ModuleStart, UnregisteredPlotComponentShowsTheSystemText) {
  testing::TempHome home;  // an empty component registry
  RecordingHost host;
  ScriptedInteraction ui;
  EXPECT_EQ(StartModule(0, {}, host, ui, home.file("T.ini")), ModuleStartResult::kCreateFailed);
  auto m = ui.Messages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].text, "Class not registered");
  EXPECT_EQ(m[0].caption, "Error");
  EXPECT_EQ(m[0].icon, MsgIcon::Error);
  EXPECT_TRUE(host.log.empty());
}

TEST(ModuleStart, SwitchesNeedABlankBeforeThemAndAKnownLetter) {
  std::string v;
  EXPECT_FALSE(HasModuleSwitch("/Pa.psa"));  // nothing before it
  EXPECT_FALSE(HasModuleSwitch(" /Qx a-Ib"));
  EXPECT_TRUE(HasModuleSwitch(" x -ib"));
  EXPECT_TRUE(FindModuleSwitch(" /p\"unterminated", 'P', &v));
  EXPECT_EQ(v, "unterminated");
  EXPECT_TRUE(FindModuleSwitch(" /I", 'i', &v));
  EXPECT_EQ(v, "");
  EXPECT_EQ(ModuleSection(0), "Plot Data");
  EXPECT_EQ(ModuleSection(1), "Create Reports");
}

}  // namespace
}  // namespace tidora
