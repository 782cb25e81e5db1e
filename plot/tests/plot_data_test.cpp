#include "plot/plot_data.h"

#include <gtest/gtest.h>

#include <cmath>

#include "plot/tests/plot_files.h"

namespace tidora {
namespace {

using namespace tidora::testing;

class PlotData : public ::testing::Test {
 protected:
  bool Build(std::vector<std::string> files, std::string* why = nullptr) {
    std::string error;
    bool ok = BuildPlot(files, s, m, error);
    if (why) *why = error;
    return ok;
  }
  TempDir dir;
  PlotSettings s;
  PlotModel m;
};

TEST_F(PlotData, ATideFileGivesItsSeriesAgainstDateTimeWithASecondAxisForASecondUnit) {
  WriteTideFile(dir.file("bay.tid"), 100, [](int i) { return 30 + i * 0.01; });
  ASSERT_TRUE(Build({dir.file("bay.tid")}));
  EXPECT_EQ(m.kind, kPlotTideSeries);
  EXPECT_TRUE(m.xIsDateTime);
  ASSERT_EQ(m.series.size(), 2u);  // the defaults: pressure and temperature
  EXPECT_EQ(m.series[0].name, "Pressure [psi]");
  EXPECT_EQ(m.series[0].axis, 0);
  EXPECT_EQ(m.series[1].axis, 1);
  EXPECT_EQ(m.yTitle[1], "Temperature [deg C]");
  ASSERT_EQ(m.series[0].x.size(), 100u);
  EXPECT_EQ(m.series[0].x[1] - m.series[0].x[0], 600);
  EXPECT_NEAR(m.series[0].y[99], 30.99, 1e-4);
  EXPECT_EQ(m.xRange.low, 1709251200.0);
  EXPECT_LT(m.yRange[0].low, 30);
  EXPECT_GT(m.yRange[0].high, 30.99);
  // Chosen variables; a third unit has no axis.
  s.variables = {19, 27, 3};
  std::string why;
  EXPECT_FALSE(Build({dir.file("bay.tid")}, &why));
  EXPECT_NE(why.find("third axis"), std::string::npos) << why;
  s.variables = {27};
  ASSERT_TRUE(Build({dir.file("bay.tid")}));
  EXPECT_EQ(m.series.size(), 1u);
  EXPECT_EQ(m.yTitle[0], "Temperature [deg C]");
}

TEST_F(PlotData, BurstSamplesOfAWaveBurstAndASurfaceFile) {
  WriteWaveBurstFile(dir.file("bay.wb"), 6);
  ASSERT_TRUE(Build({dir.file("bay.wb")}));
  EXPECT_EQ(m.kind, kPlotBurstSamples);
  ASSERT_EQ(m.series.size(), 3u);  // the first three bursts
  EXPECT_EQ(m.series[0].name, "Burst 1");
  ASSERT_EQ(m.series[0].x.size(), 64u);
  EXPECT_DOUBLE_EQ(m.series[0].x[2], 1.0);
  EXPECT_NEAR(m.series[2].y[0], 23, 1e-5);
  s.firstBurst = 5;
  s.lastBurst = 6;
  ASSERT_TRUE(Build({dir.file("bay.wb")}));
  ASSERT_EQ(m.series.size(), 2u);
  EXPECT_EQ(m.series[1].name, "Burst 6");
  s.firstBurst = 9;
  s.lastBurst = 0;
  std::string why;
  EXPECT_FALSE(Build({dir.file("bay.wb")}, &why));
  EXPECT_NE(why.find("has no burst 9"), std::string::npos) << why;

  WtBurst a, b;
  a.burst = 1;
  b.burst = 2;
  b.values = {0.5, -0.5, 0.25, 0};
  WriteFile(dir.file("bay.wt"), WtFileText({a, b}, true));
  s = PlotSettings();
  ASSERT_TRUE(Build({dir.file("bay.wt")}));
  ASSERT_EQ(m.series.size(), 2u);
  EXPECT_EQ(m.series[1].y, (std::vector<double>{0.5, -0.5, 0.25, 0}));
  EXPECT_EQ(m.yTitle[0], "[meters]");
}

TEST_F(PlotData, StatisticsPerBurstAgainstTimeOrBurstNumber) {
  WriteFile(dir.file("bay.wts"), WtsText(5));
  ASSERT_TRUE(Build({dir.file("bay.wts")}));
  EXPECT_EQ(m.kind, kPlotBurstStatistics);
  ASSERT_EQ(m.series.size(), 2u);
  EXPECT_EQ(m.series[0].axis, 0);  // height in meters, period in seconds
  EXPECT_EQ(m.series[1].axis, 1);
  EXPECT_NEAR(m.series[0].y[4], 1.5, 1e-6);
  EXPECT_EQ(m.series[1].y[0], 9);
  EXPECT_EQ(m.series[1].y[2], 8);
  EXPECT_EQ(m.series[0].x[1] - m.series[0].x[0], 3600);
  s.xVariable = kVarBurstNumber;
  ASSERT_TRUE(Build({dir.file("bay.wts")}));
  EXPECT_EQ(m.series[0].x, (std::vector<double>{1, 2, 3, 4, 5}));
  EXPECT_FALSE(m.xIsDateTime);
  // The same kind from the auto-spectrum file.
  WriteFile(dir.file("bay.was"), WasText(3));
  s.plotKind = kPlotBurstStatistics;
  ASSERT_TRUE(Build({dir.file("bay.was")}));
  EXPECT_EQ(m.series[0].name, "Significant wave height [meters], auto spectrum");
}

TEST_F(PlotData, SpectraCarryTheConfidenceBandAndTheSpectrogramTheWholeFile) {
  WriteFile(dir.file("bay.was"), WasText(4));
  s.plotKind = kPlotSpectra;
  s.firstBurst = 2;
  s.lastBurst = 3;
  ASSERT_TRUE(Build({dir.file("bay.was")}));
  ASSERT_EQ(m.series.size(), 2u);
  EXPECT_EQ(m.series[0].name, "Burst 2 (95% confidence)");
  ASSERT_EQ(m.series[0].y.size(), 6u);
  EXPECT_NEAR(m.series[0].y[2], 6, 1e-4);
  EXPECT_NEAR(m.series[0].lower[2], 6 * 0.6, 1e-4);
  EXPECT_NEAR(m.series[0].upper[2], 6 * 1.9, 1e-4);
  EXPECT_NEAR(m.series[0].x[1], 0.0078125 + 0.015625, 1e-9);
  EXPECT_TRUE(m.yLog);
  s.confidenceBand = 0;
  ASSERT_TRUE(Build({dir.file("bay.was")}));
  EXPECT_TRUE(m.series[0].lower.empty());

  s = PlotSettings();
  ASSERT_TRUE(Build({dir.file("bay.was")}));
  EXPECT_EQ(m.kind, kPlotSpectrogram);
  EXPECT_EQ(m.grid.times.size(), 4u);
  EXPECT_EQ(m.grid.frequencies.size(), 6u);
  EXPECT_NEAR(m.grid.At(3, 5), 24, 1e-4);
  EXPECT_NEAR(m.grid.minimum, 1, 1e-6);
  EXPECT_NEAR(m.grid.maximum, 24, 1e-4);
}

TEST_F(PlotData, BadInputsSayWhatIsWrong) {
  std::string why;
  EXPECT_FALSE(Build({dir.file("none.tid")}, &why));
  EXPECT_EQ(why, dir.file("none.tid") + ": no such file");
  WriteFile(dir.file("empty.tid"), "");
  EXPECT_FALSE(Build({dir.file("empty.tid")}, &why));
  EXPECT_EQ(why, dir.file("empty.tid") + ": the file is empty");
  WriteFile(dir.file("notes.txt"), "hello\r\n");
  EXPECT_FALSE(Build({dir.file("notes.txt")}, &why));
  EXPECT_NE(why.find("not a data file"), std::string::npos);
  WriteFile(dir.file("junk.tid"), "no records here\r\n");
  EXPECT_FALSE(Build({dir.file("junk.tid")}, &why));
  EXPECT_EQ(why, dir.file("junk.tid") + ": the file holds no data");
  WriteTideFile(dir.file("bay.tid"), 10, [](int) { return 30.0; });
  s.variables = {25};
  EXPECT_FALSE(Build({dir.file("bay.tid")}, &why));
  EXPECT_NE(why.find("is not in"), std::string::npos) << why;
  s.variables.clear();
  s.plotKind = kPlotSpectra;
  EXPECT_FALSE(Build({dir.file("bay.tid")}, &why));
  EXPECT_NE(why.find("cannot be drawn from this kind of file"), std::string::npos) << why;
  s.plotKind = kPlotTideSeries;
  s.autoScaleY = 0;
  s.yMinimum = 5;
  s.yMaximum = 5;
  EXPECT_FALSE(Build({dir.file("bay.tid")}, &why));
  EXPECT_NE(why.find("YMinimum"), std::string::npos) << why;
  EXPECT_FALSE(Build({}, &why));
}

TEST(PlotRanges, PaddedRangesAroundTheValues) {
  EXPECT_EQ(PaddedRange(10, 10, false).low, 9);
  EXPECT_EQ(PaddedRange(10, 10, false).high, 11);
  EXPECT_EQ(PaddedRange(0, 20, false).low, -1);
  AxisRange log = PaddedRange(0.01, 100, true);
  EXPECT_GT(log.low, 0);
  EXPECT_LT(log.low, 0.01);
  EXPECT_EQ(VariableUnit(19), "psi");
  EXPECT_EQ(VariableUnit(2), "");
}

}  // namespace
}  // namespace tidora
