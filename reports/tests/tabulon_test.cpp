#include "reports/tabulon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "datafile/tests/wave_output_builders.h"
#include "outside/utility.h"
#include "platform/interaction.h"
#include "postproc/page.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

struct TabulonTest : ::testing::Test {
  testing::TempHome home;
  testing::TempDir dir;
  ScriptedInteraction ui;
  std::string was = dir.file("run.was"), wts = dir.file("run.wts");
  CInteractionPage page{ui};
  void Build(int wasBursts, int wtsBursts, bool plus = false) {
    std::vector<testing::WasBurst> a(static_cast<size_t>(wasBursts));
    std::vector<testing::WtsBurst> b(static_cast<size_t>(wtsBursts));
    for (int i = 0; i < wasBursts; ++i) {
      a[i].burst = i;
      a[i].start = 3600L * i;
      a[i].sigHeight = 1 + i;
      a[i].instrumentDepth = 10;
    }
    for (int i = 0; i < wtsBursts; ++i) {
      b[i].burst = i;
      b[i].start = 3600L * i;
      b[i].h13 = 0.5 + i;
      b[i].instrumentDepth = 9 + i;
    }
    testing::WriteFile(was, testing::WasFileText(a, plus));
    testing::WriteFile(wts, testing::WtsFileText(b, plus));
  }
  // A module ready to run on the two files, its report written to `output`.
  std::unique_ptr<CTabulon> Module(const std::vector<int>& columns, const std::string& output) {
    auto m = std::make_unique<CTabulon>(ui);
    m->SetPage(&page);
    m->ReportSetup().Psu().SetColumns(columns);
    EXPECT_EQ(m->PrepareReportRun({wts, was}, output), "");
    return m;
  }
};

TEST_F(TabulonTest, SetupFileHoldsTheTabulonSection) {
  CTabulonSetup setup(dir.path());
  setup.Psu().SetColumns({2, 4, 25});
  setup.Psu().SetSeparator(1);
  ASSERT_EQ(setup.Save(dir.file("Tabulon.psa"), ui), 1);
  const std::string text = testing::ReadFile(dir.file("Tabulon.psa"));
  EXPECT_EQ(text.rfind("2  Create Reports\r\n[PostProcPsu]\r\n", 0), 0u);
  EXPECT_NE(text.find("[TabulonPsu]\r\nSelectedColumnItems=2,4,25\r\nColumnSeparator=1\r\n"
                      "JulianDaysConvFmt=0\r\nLabelDataColumns=1\r\nOutputHeaderInfo=1\r\n"),
            std::string::npos);

  // Out-of-range choices are ignored, keys of another section end this one.
  testing::WriteFile(dir.file("b.psa"),
                     "2  Create Reports\r\n[TabulonPsu]\r\nColumnSeparator=2\r\n"
                     "JulianDaysConvFmt=5\r\nNoSuchKey=1\r\nSelectedColumnItems=24,25\r\n"
                     "Gravity=9\r\nLabelDataColumns=0\r\n");
  CTabulonSetup back;
  ASSERT_EQ(back.Load(dir.file("b.psa"), 1, ui), 1);
  EXPECT_EQ(back.Psu().columnSeparator, 2);
  EXPECT_EQ(back.Psu().julianDaysConvFmt, 0);
  EXPECT_EQ(back.Psu().UsedColumns(), (std::vector<int>{24, 25}));
  EXPECT_EQ(back.Psu().labelDataColumns, 1);
  EXPECT_FALSE(back.Equals(setup));
  EXPECT_EQ(back.DefaultFileName(), "Tabulon.psa");
}

TEST_F(TabulonTest, JobReadsBothInputsAndWritesTheReport) {
  Build(2, 3);
  CTabulon module(ui);
  module.SetPage(&page);
  module.Setup().inputDir = module.Setup().outputDir = dir.path();
  ASSERT_TRUE(module.SelectInputs({"run.wts", "run.was"}));
  EXPECT_EQ(module.Setup().inputFiles, (std::vector<std::string>{"run.was", "run.wts"}));
  EXPECT_EQ(module.Setup().outputFile, "run.r41");
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_FALSE(module.StartCheck());
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "No Data columns have been selected.");
  EXPECT_EQ(ui.Messages()[0].caption, "Cannot Start Process");
  EXPECT_TRUE(page.DataSetupShown());

  module.ReportSetup().Psu().SetColumns(
      {kVarBurstNumber, kVarDateTime, kVarSigHeightAs, kVarSigHeightTss, kVarSensorDepth});
  module.ReportSetup().Psu().outputHeaderInfo = 0;
  module.ReportSetup().Psu().SetSeparator(kSeparatorSemicolon);
  ASSERT_TRUE(module.StartCheck());
  ASSERT_EQ(module.RunAndWait(), 1);
  EXPECT_EQ(module.LastOutcome(), CTabulon::Outcome::kWritten);
  EXPECT_EQ(module.LastReportPath(), dir.file("run.r41"));
  EXPECT_EQ(testing::ReadFile(dir.file("run.r41")),
            "Burst;Time-jdays;Swh-was;Swh-wts;Pres;"
            "\r\n0;1.000000;1.000000e+00;5.000000e-01;9.000;"
            "\r\n1;1.041667;2.000000e+00;1.500000e+00;10.000;");

  // The overwrite question: Cancel writes nothing.
  testing::WriteFile(dir.file("run.r41"), "old");
  ui.QueueChoice(2);
  module.RunAndWait();
  EXPECT_EQ(module.LastOutcome(), CTabulon::Outcome::kCancelled);
  EXPECT_EQ(testing::ReadFile(dir.file("run.r41")), "old");
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

TEST_F(TabulonTest, AnotherOutputNameIsAskedForAsAReport) {
  Build(2, 2);
  DialogRecorder dialogs;
  CTabulon module(dialogs);
  module.SetPage(&page);
  module.ReportSetup().Psu().SetColumns({kVarBurstNumber, kVarSigHeightAs});
  ASSERT_EQ(module.PrepareReportRun({was, wts}, ""), "");
  testing::WriteFile(dir.file("run.r41"), "old");
  dialogs.QueueChoice(1);  // No: another name
  dialogs.QueueFiles({dir.file("other.r41")});
  ASSERT_EQ(module.RunAndWait(), 1);
  ASSERT_EQ(dialogs.requests.size(), 1u);
  ASSERT_EQ(dialogs.requests[0].filters.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].filters[0].description, "Output File ()");
  EXPECT_EQ(dialogs.requests[0].filters[0].patterns, std::vector<std::string>{"*.r41"});
  EXPECT_EQ(testing::ReadFile(dir.file("run.r41")), "old");
  EXPECT_TRUE(IsFile(dir.file("other.r41")));
}

TEST_F(TabulonTest, HeaderFromTheWasFileDatesFrom2000AndDepthFromTheWtsFile) {
  Build(3, 5, true);
  auto m = Module(
      {kVarBurstNumber, kVarDateTime, kVarSigHeightAs, kVarSigHeightTss, kVarSensorDepth}, "");
  m->ReportSetup().Psu().SetSeparator(kSeparatorSemicolon);
  m->ReportSetup().Psu().SetTimeForm(kTimeDateAndTime);
  ASSERT_EQ(m->RunAndWait(), 1) << m->OutcomeText();
  EXPECT_EQ(testing::ReadFile(dir.file("run.r41")),
            "# filename = " + dir.file("run") +
                "[.WAS, .WTS]\r\n"
                "# wave integration time = 0.50\r\n"
                "# number of points in the burst = 1024\r\n"
                "# height of TGR 41 above the bottom = 2.500\r\n"
                "# density = 1025.000\r\n"
                "Burst;Time;Swh-was;Swh-wts;Pres;"
                "\r\n0;01 Jan 2000 00:00:00;1.000000e+00;5.000000e-01;9.000;"
                "\r\n1;01 Jan 2000 01:00:00;2.000000e+00;1.500000e+00;10.000;"
                "\r\n2;01 Jan 2000 02:00:00;3.000000e+00;2.500000e+00;11.000;");
  std::vector<std::string> status = ui.StatusTexts();
  EXPECT_NE(std::find(status.begin(), status.end(), "Preparing to process files.  Please wait."),
            status.end());
}

TEST_F(TabulonTest, FailuresAndStopWriteNothing) {
  Build(2, 2);
  const std::string bad = dir.file("no/such/dir/run.r41");
  auto m = std::make_unique<CTabulon>(ui);
  m->ReportSetup().Psu().SetColumns({kVarBurstNumber});
  EXPECT_EQ(m->PrepareReportRun({was, wts}, bad), dir.file("no/such/dir") + " is not a directory");
  // A directory that goes away before the run.
  testing::TempDir gone;
  const std::string goneReport = gone.file("run.r41");
  m = Module({kVarBurstNumber}, goneReport);
  std::filesystem::remove_all(gone.path());
  ui.Clear();
  EXPECT_EQ(m->RunAndWait(), 0);
  EXPECT_EQ(m->LastOutcome(), CTabulon::Outcome::kWriteFailed);
  auto msgs = ui.Messages();
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].text, goneReport + " cannot be opened for writing, contact Brennic.");
  EXPECT_EQ(msgs[0].caption, "Output File Error");
  EXPECT_EQ(msgs[0].icon, MsgIcon::Warning);

  // A .was without any burst: the reader's end-of-file box, and no report.
  testing::WriteFile(was, "");
  ui.Clear();
  m = std::make_unique<CTabulon>(ui);
  m->ReportSetup().Psu().SetColumns({kVarBurstNumber});
  m->PrepareReportRun({was, wts}, "");
  EXPECT_EQ(m->RunAndWait(), 0);
  ASSERT_FALSE(ui.Messages().empty());
  EXPECT_EQ(ui.Messages()[0].text, "Unexpected end of file - please contact Brennic");
  EXPECT_EQ(ui.Messages()[0].caption, "WasFile");
  EXPECT_FALSE(IsFile(dir.file("run.r41")));
}

TEST_F(TabulonTest, SelectionRulesKeepThePreviousSelection) {
  Build(1, 1);
  CTabulon module(ui);
  module.Setup().inputDir = dir.path();
  ASSERT_TRUE(module.SelectInputs({"run.was", "run.wts"}));
  EXPECT_FALSE(module.SelectInputs({"run.was"}));
  EXPECT_FALSE(module.SelectInputs({"run.was", "other.wts"}));
  EXPECT_EQ(module.Setup().inputFiles, (std::vector<std::string>{"run.was", "run.wts"}));
  EXPECT_EQ(module.Inputs().size(), 2u);
}

}  // namespace
}  // namespace tidora
