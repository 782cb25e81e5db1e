#include "merge/merge_module.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <algorithm>

#include "platform/interaction.h"
#include "postproc/page.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

// Stands in for the tide reader: one row per line.
class LineCountReader : public CRecordReader {
 public:
  bool OpenFile(const std::string&) override { return true; }
  void CloseFile() override {}
  int ReadFileInfo(const std::string& path, int& nBursts) override {
    nBursts = 0;
    std::string text = testing::ReadFile(path);
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  }
  int GetNumXDataColumns() override { return 1; }
  int GetNumYDataColumns() override { return 2; }
  std::vector<std::string> YVariableNames() override { return {}; }
  bool SkipAtStart(int) override { return true; }
  int ReadData(float***, double***, int, double**, double**, int&, const int*) override {
    return 0;
  }
  int GetFileID() const override { return 0; }
  bool From2000() const override { return false; }
};

class MergeModule : public ::testing::Test {
 protected:
  MergeModule() : module(ui), page(ui) {
    module.SetPage(&page);
    module.SetReaderFactory([](const std::string& path) -> std::unique_ptr<CRecordReader> {
      if (path.size() > 4 && path.substr(path.size() - 4) == ".tid")
        return std::make_unique<LineCountReader>();
      return nullptr;
    });
    testing::WriteFile(tide,
                       "     1   01/01/2005 00:00:00    24.7000     20.000\r\n"
                       "     2   01/01/2005 00:10:00    25.7000     20.000\r\n");
    testing::WriteFile(baro, "1/1/2005 0:00:00 14.7\n1/1/2005 0:10:00 14.7\n");
  }

  testing::TempDir dir;
  ScriptedInteraction ui;
  CMergeModule module;
  CInteractionPage page;
  std::string tide = dir.file("dep.tid");
  std::string baro = dir.file("dep.bp");
};

TEST_F(MergeModule, SelectionResetsTheOutputNameOrIsRefused) {
  module.Setup().inputDir = dir.path();
  module.Setup().outputFile = "old.tid";
  EXPECT_FALSE(module.SelectInputs({"dep.tid"}));
  EXPECT_EQ(ui.Messages().at(0).text, "Must select both a .TID and .BP file for processing.");
  EXPECT_EQ(module.Setup().outputFile, "old.tid");
  ASSERT_TRUE(module.SelectInputs({"dep.tid", "dep.bp"}));
  EXPECT_EQ(module.Setup().inputFiles, (std::vector<std::string>{"dep.bp", "dep.tid"}));
  EXPECT_EQ(module.Setup().outputFile, "dep.tid");
  EXPECT_EQ(module.Inputs().size(), 2u);
}

TEST_F(MergeModule, JobAsksBeforeReplacingTheTideFileAndMergesIt) {
  ASSERT_EQ(module.PrepareFileRun(tide, baro, ""), "");
  const std::string original = testing::ReadFile(tide);
  ui.QueueChoice(2);  // Cancel
  module.RunAndWait();
  EXPECT_EQ(module.LastOutcome(), CMergeModule::Outcome::kCancelled);
  EXPECT_EQ(ui.Messages().at(0).text, "Is it OK to overwrite " + tide + "?");
  EXPECT_EQ(module.LastOutputPath(), tide);  // the file kept is named
  EXPECT_EQ(testing::ReadFile(tide), original);

  ui.Clear();
  ui.QueueChoice(0);  // Yes
  ASSERT_EQ(module.RunAndWait(), 1);
  EXPECT_EQ(module.LastOutcome(), CMergeModule::Outcome::kDone);
  EXPECT_EQ(module.LastScanCount(), 2);
  EXPECT_EQ(module.LastOutputPath(), tide);
  // The status names the tide file, though the barometric file comes first by name.
  const auto status = ui.StatusTexts();
  EXPECT_NE(std::find(status.begin(), status.end(),
                      "Processing 1/2: " + std::filesystem::path(tide).filename().string() + "..."),
            status.end());
  EXPECT_EQ(testing::ReadFile(tide), std::string(31, ' ') + "Meters      Deg C\r\n" +
                                         "     1   01/01/2005 00:00:00     6.8438     20.000\r\n"
                                         "     2   01/01/2005 00:10:00     7.5282     20.000\r\n");
  EXPECT_EQ(ui.LastStatus(), "Processing complete");

  // The merged file is refused now, and the run is not reported as complete.
  ui.Clear();
  module.overwriteWarning = false;
  EXPECT_EQ(module.RunAndWait(), 0);
  EXPECT_EQ(module.LastOutcome(), CMergeModule::Outcome::kFailed);
  EXPECT_EQ(ui.Messages().at(0).caption, "Unable to Process");
  EXPECT_NE(ui.LastStatus(), "Processing complete");
}

// Remembers the file dialogs it was asked for.
class DialogRecorder : public ScriptedInteraction {
 public:
  std::vector<std::string> ChooseFiles(const FileRequest& request) override {
    requests.push_back(request);
    return ScriptedInteraction::ChooseFiles(request);
  }
  std::vector<FileRequest> requests;
};

TEST_F(MergeModule, AnotherOutputNameKeepsTheTideExtension) {
  DialogRecorder dialogs;
  CMergeModule other(dialogs);
  other.SetReaderFactory([](const std::string&) { return std::make_unique<LineCountReader>(); });
  ASSERT_EQ(other.PrepareFileRun(tide, baro, ""), "");
  dialogs.QueueChoice(1);  // No: another name
  dialogs.QueueFiles({dir.file("renamed.dat")});
  ASSERT_EQ(other.RunAndWait(), 1);
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].title, "Enter a New Output File Name");
  ASSERT_EQ(dialogs.requests[0].filters.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].filters[0].description, "Output File ()");
  EXPECT_EQ(dialogs.requests[0].filters[0].patterns, std::vector<std::string>{"*.tid"});
  EXPECT_EQ(other.LastOutputPath(), dir.file("renamed.tid"));
  EXPECT_TRUE(IsFile(dir.file("renamed.tid")));
}

TEST_F(MergeModule, FileRunChecksItsInputsAndNamesTheOutput) {
  EXPECT_EQ(module.PrepareFileRun(tide, dir.file("none.bp"), ""),
            dir.file("none.bp") + " could not be opened.");
  testing::WriteFile(dir.file("other.tid"), "x\n");
  EXPECT_EQ(module.PrepareFileRun(tide, dir.file("other.tid"), ""),
            "Cannot select more than one file with .tid extension");
  ASSERT_EQ(module.PrepareFileRun(baro, tide, dir.file("merged.tid")), "");
  module.overwriteWarning = false;
  ASSERT_EQ(module.RunAndWait(), 1);
  EXPECT_EQ(module.LastOutputPath(), dir.file("merged.tid"));
  EXPECT_TRUE(IsFile(dir.file("merged.tid")));
}

}  // namespace
}  // namespace tidora
