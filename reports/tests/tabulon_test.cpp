#include "reports/tabulon.h"

#include <gtest/gtest.h>

#include "datafile/tests/wave_output_builders.h"
#include "outside/utility.h"
#include "platform/interaction.h"
#include "postproc/page.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

struct TabulonTest : ::testing::Test {
  testing::TempHome home;
  testing::TempDir dir;
  ScriptedInteraction ui;
  std::string was = dir.file("run.was"), wts = dir.file("run.wts");
  void Build(int wasBursts, int wtsBursts) {
    std::vector<testing::WasBurst> a(static_cast<size_t>(wasBursts));
    std::vector<testing::WtsBurst> b(static_cast<size_t>(wtsBursts));
    for (int i = 0; i < wasBursts; ++i) {
      a[i].burst = i;
      a[i].start = 3600L * i;
      a[i].sigHeight = 1 + i;
    }
    for (int i = 0; i < wtsBursts; ++i) {
      b[i].burst = i;
      b[i].start = 3600L * i;
      b[i].h13 = 0.5 + i;
      b[i].instrumentDepth = 9 + i;
    }
    testing::WriteFile(was, testing::WasFileText(a));
    testing::WriteFile(wts, testing::WtsFileText(b));
  }
};

TEST_F(TabulonTest, SetupFileHoldsTheTabulonSection) {
  CTabulonSetup setup(dir.path());
  setup.psu.SetColumns({2, 4, 25});
  setup.psu.columnSeparator.Set(1);
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
  EXPECT_EQ(back.psu.columnSeparator.value, 2);
  EXPECT_EQ(back.psu.julianDaysConvFmt.value, 0);
  EXPECT_EQ(back.psu.UsedColumns(), (std::vector<int>{24, 25}));
  EXPECT_EQ(back.psu.labelDataColumns, 1);
  EXPECT_FALSE(back.Equals(setup));
  EXPECT_EQ(back.DefaultFileName(), "Tabulon.psa");
}

TEST_F(TabulonTest, JobReadsBothInputsAndWritesTheReport) {
  Build(2, 3);
  CTabulon module(ui);
  CInteractionPage page(ui);
  module.SetPage(&page);
  ASSERT_TRUE(module.SelectInputFiles({wts, was}));
  EXPECT_EQ(module.Setup().outputFile, "run.r41");
  EXPECT_FALSE(module.StartCheck());
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "No Data columns have been selected.");
  EXPECT_EQ(ui.Messages()[0].caption, "Cannot Start Process");

  module.ReportSetup().psu.SetColumns(
      {kVarBurstNumber, kVarDateTime, kVarSigHeightAs, kVarSigHeightTss, kVarSensorDepth});
  module.ReportSetup().psu.outputHeaderInfo = 0;
  module.ReportSetup().psu.columnSeparator.Set(kSeparatorSemicolon);
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

TEST_F(TabulonTest, SelectionRulesKeepThePreviousSelection) {
  Build(1, 1);
  CTabulon module(ui);
  ASSERT_TRUE(module.SelectInputFiles({was, wts}));
  EXPECT_FALSE(module.SelectInputFiles({was}));
  EXPECT_FALSE(module.SelectInputFiles({was, dir.file("other.wts")}));
  EXPECT_EQ(module.Setup().inputFiles, (std::vector<std::string>{"run.was", "run.wts"}));
  EXPECT_EQ(module.Inputs().size(), 2u);
}

}  // namespace
}  // namespace tidora
