#include "postproc/postproc.h"

#include <gtest/gtest.h>

#include "postproc/tests/suspend_check.h"

#include <array>
#include <filesystem>

#include "platform/interaction.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

using testing::TempDir;
using testing::WriteFile;

class TestSetup : public CTableSetup<TestSetup> {
 public:
  TestSetup() { ResetAll(); }
  int ModuleIndex() const override { return kWaveModule; }
  std::string DefaultFileName() const override { return "Test.psa"; }
  static std::span<const SettingDecl<TestSetup>> Settings() {
    static const std::array<SettingDecl<TestSetup>, 1> table = {
        IntSetting<TestSetup>(35, &TestSetup::skip, 0, "skip")};
    return table;
  }
  int skip = 0;
};

// A burst file in memory: `bursts` records of `points` samples.
class MemoryReader : public CRecordReader {
 public:
  MemoryReader(int bursts, int points, int fileId = 1)
      : bursts_(bursts), points_(points), fileId_(fileId) {}
  bool OpenFile(const std::string&) override {
    next_ = 0;
    return true;
  }
  void CloseFile() override {}
  int ReadFileInfo(const std::string&, int& nBursts) override {
    nBursts = bursts_;
    return points_;
  }
  int GetNumXDataColumns() override { return 1; }
  int GetNumYDataColumns() override { return 1; }
  std::vector<std::string> YVariableNames() override { return {"Subsurface Pressure [psi]"}; }
  bool SkipAtStart(int n) override {
    if (failSkip || n > bursts_) return false;
    next_ = n;
    return true;
  }
  int ReadData(float*** data, double***, int row, double** minima, double**, int& count,
               const int* lengths) override {
    if (next_ >= bursts_) return 0;
    if (float* p = data[row][26])
      for (int i = 0; i < std::min(points_, lengths[26]); ++i) p[i] = float(next_ * 1000 + i);
    if (float* b = data[row][2]) b[0] = float(next_);
    minima[row][28] = 60.0 * next_;
    ++next_;
    ++reads;
    count = points_;
    return 2;
  }
  int GetFileID() const override { return fileId_; }
  bool From2000() const override { return true; }
  bool failSkip = false;
  int reads = 0;

 private:
  int bursts_, points_, fileId_, next_ = 0;
};

TEST(FileManager, TheReadLoopWaitsWhileSuspended) {
  ProcessControl control;
  testing::SuspendHalfway ui(control);
  CInteractionPage page(ui);
  CTGR41FileManager m("/data/a.wb", std::make_unique<MemoryReader>(300, 8));
  ASSERT_TRUE(m.ReadInfo());
  ASSERT_TRUE(m.SaveColumn(26, false, 8));
  testing::ExpectRunWaitsWhileSuspended(
      control, ui, [&] { EXPECT_TRUE(m.ReadAllRecords(ui, &page, &control)); });
  EXPECT_EQ(m.RecordsRead(), 300);
}

TEST(FileManager, ReadsTheSelectionWithProgress) {
  ScriptedInteraction ui;
  CInteractionPage page(ui);
  auto* reader = new MemoryReader(150, 8);
  CTGR41FileManager m("/data/a.wb", std::unique_ptr<CRecordReader>(reader));
  ASSERT_TRUE(m.ReadInfo());
  EXPECT_EQ(m.Records(), 150);
  m.SetSelection(0, 10, true);
  EXPECT_EQ(m.RecordsToRead(), 140);
  ASSERT_TRUE(m.SaveColumn(26, false, 8));
  ASSERT_TRUE(m.SaveColumn(2, false, 1));
  ASSERT_TRUE(m.ReadAllRecords(ui, &page, nullptr));
  EXPECT_EQ(m.RecordsRead(), 140);
  EXPECT_EQ(m.Floats(0, 26)[3], 10003.0f);
  EXPECT_EQ(m.Floats(139, 2)[0], 149.0f);
  EXPECT_EQ(m.Minimum(1, 28), 660.0);
  EXPECT_EQ(m.Floats(0, 27), nullptr);  // not allocated
  EXPECT_EQ(m.Floats(140, 26), nullptr);
  int positions = 0;
  for (const auto& r : ui.Records())
    positions += r.kind == ScriptedInteraction::Record::kProgressPos;
  EXPECT_EQ(positions, 140);  // 140 records: a step of one record

  m.SetSelection(5, 0, false);
  EXPECT_EQ(m.RecordsToRead(), 5);
  m.SetSelection(500, 0, false);
  EXPECT_EQ(m.RecordsToRead(), 150);
}

TEST(FileManager, SkippingEverythingOrACorruptFileIsAProcessError) {
  ScriptedInteraction ui;
  CTGR41FileManager m("/data/deploy.wb", std::make_unique<MemoryReader>(4, 8));
  m.ReadInfo();
  m.SetSelection(0, 4, true);
  EXPECT_FALSE(m.ReadAllRecords(ui, nullptr, nullptr));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "'Wave bursts to skip at start' is greater than the number of wave bursts in "
            "deploy.wb.");
  EXPECT_EQ(ui.Messages()[0].caption, "Process Error");

  ui.Clear();
  auto* reader = new MemoryReader(4, 8);
  reader->failSkip = true;
  CTGR41FileManager c("/data/deploy.wb", std::unique_ptr<CRecordReader>(reader));
  c.ReadInfo();
  c.SetSelection(0, 1, true);
  EXPECT_FALSE(c.ReadAllRecords(ui, nullptr, nullptr));
  EXPECT_EQ(ui.Messages()[0].text, "Wave burst file is corrupt: deploy.wb.");

  // A tide file counts its rows as records.
  ui.Clear();
  CTGR41FileManager t("/data/deploy.tid", std::make_unique<MemoryReader>(1, 5, 0));
  t.ReadInfo();
  EXPECT_EQ(t.Records(), 5);
  t.SetSelection(0, 5, true);
  EXPECT_FALSE(t.ReadAllRecords(ui, nullptr, nullptr));
  EXPECT_EQ(ui.Messages()[0].text,
            "'Scans to skip at start' is greater than the number of scans in deploy.tid.");
}

TEST(FileManager, StopFlagEndsReadingWithinAStep) {
  ScriptedInteraction ui;
  auto* reader = new MemoryReader(1000, 4);
  CTGR41FileManager m("/d/x.wb", std::unique_ptr<CRecordReader>(reader));
  m.ReadInfo();
  m.SetSelection(0, 0, true);
  m.SaveColumn(26, false, 4);
  ProcessControl stop;
  stop.Stop();
  ASSERT_TRUE(m.ReadAllRecords(ui, nullptr, &stop));
  EXPECT_EQ(m.RecordsRead(), 0);
}

TEST(FileManager, ColumnsChangePrecision) {
  CTGR41FileManager m("/d/x.wb", std::make_unique<MemoryReader>(3, 4));
  m.ReadInfo();
  ASSERT_TRUE(m.SaveColumn(4, false, 2));
  ASSERT_TRUE(m.SaveColumn(4, true, 2));
  EXPECT_EQ(m.Length(4), 2);
  EXPECT_FALSE(m.SaveColumn(36, false, 1));
  EXPECT_FALSE(m.SaveColumn(3, false, 0));
}

// A module whose job reads its one input and then works in steps until stopped or done.
class TestModule : public CPostProc {
 public:
  TestModule(Interaction& ui) : CPostProc(std::make_unique<TestSetup>(), ui) {}
  int steps = 5;
  bool ignoreStop = false;
  std::atomic<bool> release{false};
  std::vector<std::string> debug;

 protected:
  int ProcessJob(CPostProcJob& job) override {
    if (job.page) {
      job.page->ProcessingStarted(1);
      job.page->ProcessingFile(0, setup_->inputFiles.empty() ? "" : setup_->inputFiles[0]);
    }
    for (int i = 0; i < steps; ++i) {
      if (ignoreStop) {
        while (!release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        break;
      }
      if (StopRequested()) {
        if (job.page) job.page->ProcessingStopped(0);
        return 0;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return 1;
  }
  void DebugOutput(const std::string& text) override { debug.push_back(text); }
};

TEST(ProcessingThread, CompletedRunShowsItsStatus) {
  ScriptedInteraction ui;
  CInteractionPage page(ui);
  TestModule m(ui);
  m.Setup().inputFiles = {"deploy.wb"};
  m.SetPage(&page);
  EXPECT_EQ(m.RunAndWait(), 1);
  auto status = ui.StatusTexts();
  ASSERT_GE(status.size(), 3u);
  EXPECT_EQ(status[0], "Processing 1/1: deploy.wb...");
  EXPECT_EQ(status[status.size() - 2], "Finishing processing.  Please wait.");
  EXPECT_EQ(status.back(), "Processing complete");
  EXPECT_FALSE(m.IsProcessing());
}

TEST(ProcessingThread, StopEndsTheRunWithinAStep) {
  ScriptedInteraction ui;
  CInteractionPage page(ui);
  page.SetInputNames({"deploy.wb"});
  TestModule m(ui);
  m.steps = 100000;
  m.Setup().inputFiles = {"deploy.wb"};
  m.SetPage(&page);
  ASSERT_EQ(m.StartProcess(), 1);
  EXPECT_EQ(m.StartProcess(), 0);  // one run at a time
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(m.IsProcessing());
  m.SuspendProcess();
  EXPECT_TRUE(m.IsSuspended());
  m.StopProcess();  // resumes the suspended thread, then stops it
  EXPECT_FALSE(m.IsProcessing());
  ASSERT_FALSE(m.debug.empty());
  EXPECT_EQ(m.debug.back(),
            "WaitForSingleObject returned WAIT_OBJECT_0 in CPostProc::StopProcess()\n");
  m.ThreadEnded();
  EXPECT_EQ(ui.LastStatus(), "Processing stopped, 1/1: deploy.wb");
  EXPECT_EQ(m.LastResult(), 0);
  EXPECT_TRUE(page.InputsEnabled());
}

TEST(ProcessingThread, AThreadThatWillNotEndIsReported) {
  ScriptedInteraction ui;
  CInteractionPage page(ui);
  TestModule m(ui);
  m.ignoreStop = true;
  m.SetPage(&page);
  m.SetWaitStep(std::chrono::milliseconds(1));
  ASSERT_EQ(m.StartProcess(), 1);
  m.StopProcess();
  auto msgs = ui.Messages();
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].caption, "Thread Error");
  EXPECT_EQ(msgs[0].text,
            "The file processing thread did not terminate properly!\nYour application must be "
            "shutdown.");
  EXPECT_TRUE(page.CloseRequested());
  EXPECT_EQ(m.debug.size(), 20u);
  m.release = true;  // the destructor waits for it
}

TEST(OutputNames, BaseAndOverwritePrompt) {
  TempDir dir;
  ScriptedInteraction ui;
  TestModule m(ui);
  CPostProcSetup& s = m.Setup();
  s.outputDir = dir.path();
  s.inputFiles = {"deploy.wb"};
  s.nameAppend = "_a";
  EXPECT_EQ(m.OutputBase(), dir.file("deploy_a."));
  s.outputFile = "other.rpt";
  EXPECT_EQ(m.OutputBase(), dir.file("other_a.rpt"));
  s.outputFile = "deploy.";
  std::string base = m.OutputBase();
  EXPECT_EQ(base, dir.file("deploy_a."));

  EXPECT_EQ(m.OverwritePrompt(base, "was"), CPostProc::Overwrite::kGo);  // nothing to overwrite
  EXPECT_TRUE(ui.Messages().empty());
  WriteFile(base + "was", "old");
  ui.QueueChoice(0);
  EXPECT_EQ(m.OverwritePrompt(base, "was"), CPostProc::Overwrite::kGo);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Is it OK to overwrite " + dir.file("deploy_a.was") + "?");
  ui.QueueChoice(2);
  EXPECT_EQ(m.OverwritePrompt(base, "was"), CPostProc::Overwrite::kCancel);
  EXPECT_EQ(m.StopFlag().load(), 1);
  // No, then a new name: it becomes the base.
  ui.QueueChoice(1);
  ui.QueueFiles({dir.file("fresh.rpt")});
  EXPECT_EQ(m.OverwritePrompt(base, "was"), CPostProc::Overwrite::kGo);
  EXPECT_EQ(base, dir.file("fresh."));
  // Two inputs add Yes to All and Skip; Yes to All holds for the run.
  base = dir.file("deploy_a.");
  s.inputFiles = {"deploy.wb", "deploy.tid"};
  ui.QueueChoice(3);
  EXPECT_EQ(m.OverwritePrompt(base, "was"), CPostProc::Overwrite::kGo);
  EXPECT_TRUE(m.yesToAll);
  m.yesToAll = false;
  ui.QueueChoice(4);
  EXPECT_EQ(m.OverwritePrompt(base, "was"), CPostProc::Overwrite::kSkip);
  m.overwriteWarning = false;
  ui.Clear();
  EXPECT_EQ(m.OverwritePrompt(base, "was"), CPostProc::Overwrite::kGo);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(InputFiles, FilesThatDoNotOpenAreRemoved) {
  TempDir dir;
  ScriptedInteraction ui;
  TestModule m(ui);
  WriteFile(dir.file("b.wb"), "x");
  m.Setup().inputDir = dir.path();
  m.Setup().inputFiles = {"a.wb", "b.wb", "c.tid"};
  m.SetReaderFactory([](const std::string&) { return std::make_unique<MemoryReader>(2, 4); });
  EXPECT_EQ(m.OpenInputFiles(), 1);
  EXPECT_EQ(m.Setup().inputFiles, std::vector<std::string>{"b.wb"});
  auto msgs = ui.Messages();
  ASSERT_EQ(msgs.size(), 2u);
  EXPECT_EQ(msgs[0].text, dir.file("a.wb") + " could not be opened. \nRemoving from file list.");
  EXPECT_EQ(msgs[0].caption, "Input File Error");
  EXPECT_EQ(m.Inputs()[0]->Bursts(), 2);
}

}  // namespace
}  // namespace tidora

namespace tidora {
namespace {

TEST(LauncherValues, InputPatternOutputDirAndAppend) {
  TempDir dir;
  ScriptedInteraction ui;
  TestModule m(ui);
  WriteFile(dir.file("Deploy.wb"), "x");
  WriteFile(dir.file("deploy.tid"), "x");
  WriteFile(dir.file("other.txt"), "x");
  ASSERT_EQ(m.SetInputFiles(dir.path() + "/*.wb"), 1);
  EXPECT_EQ(m.Launcher().inputFiles, std::vector<std::string>{"Deploy.wb"});
  EXPECT_EQ(m.Launcher().inputDir, dir.path());
  ASSERT_EQ(m.SetInputFiles(dir.path() + "/*eploy.*"), 1);
  EXPECT_EQ(m.Launcher().inputFiles, (std::vector<std::string>{"Deploy.wb", "deploy.tid"}));
  EXPECT_EQ(m.SetInputFiles(dir.path() + "/*.was"), 0);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "Must terminate the Process Wave Burst Data program.\nNo input "
            "files were found using " +
                dir.path() + "/*.was.");
  EXPECT_EQ(ui.Messages()[0].caption, "Command Line Error, '/I' Option");
  ui.Clear();
  EXPECT_EQ(m.SetOutputDir(dir.file("nowhere")), 0);
  EXPECT_EQ(ui.Messages()[0].text, "Must terminate the Process Wave Burst Data program.\n" +
                                       dir.file("nowhere") + " is not a directory.");
  EXPECT_EQ(ui.Messages()[0].caption, "Command Line Error, '/O' Option");
  EXPECT_EQ(m.SetOutputDir(dir.path() + "/"), 1);
  EXPECT_EQ(m.Launcher().outputDir, dir.path());
  m.Setup().inputFiles = {"a.wb", "a.tid"};
  m.SetOutputFile("x.");
  EXPECT_EQ(m.Setup().outputFile, "");
  m.Setup().inputFiles = {"a.wb"};
  m.SetOutputFile("x.");
  EXPECT_EQ(m.Setup().outputFile, "x.");
  m.SetLastProcessed(4);
  EXPECT_EQ(m.GetLastProcessed(), 4);
}

}  // namespace
}  // namespace tidora
