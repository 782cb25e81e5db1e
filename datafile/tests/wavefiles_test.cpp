#include "datafile/wavefiles.h"

#include <gtest/gtest.h>

#include <cmath>

#include "datafile/tests/wave_output_builders.h"
#include "platform/interaction.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

using testing::CrLf;
using testing::WasBurst;
using testing::WtBurst;
using testing::WtsBurst;

std::vector<double> Ramp(int n, double step) {
  std::vector<double> v;
  for (int i = 0; i < n; ++i) v.push_back((i + 1) * step);
  return v;
}

struct WaveFileTest : ::testing::Test {
  testing::TempDir dir;
  ScriptedInteraction ui;
  std::string Write(const std::string& name, const std::string& text) {
    std::string path = dir.file(name);
    testing::WriteFile(path, text);
    return path;
  }
};

std::vector<WasBurst> BandsOf6_8_7() {
  std::vector<WasBurst> bursts(3);
  const int bands[] = {6, 8, 7};
  for (int i = 0; i < 3; ++i) {
    bursts[i].burst = i;
    bursts[i].start = 3600L * i;
    bursts[i].densities = Ramp(bands[i], 0.5 * (i + 1));
    bursts[i].sigHeight = 1.0 + i;
    bursts[i].instrumentDepth = 10.0 + i;
  }
  return bursts;
}

TEST_F(WaveFileTest, WasRowsAreTheLargestBandCountAndSkippingMovesByTheDensityLines) {
  std::vector<WasBurst> bursts = BandsOf6_8_7();
  std::string path = Write("a.was", testing::WasFileText(bursts));
  CWasFile was;
  was.SetInteraction(&ui);
  int nSub = 0;
  EXPECT_EQ(was.ReadFileInfo(path, nSub), 8);
  EXPECT_EQ(nSub, 3);
  EXPECT_EQ(was.GetNumBursts(), 3);
  EXPECT_TRUE(ui.Messages().empty());

  // The first burst's two lines, then 68 + 36 bytes of densities.
  const std::string first = testing::WasBlock(bursts[0]);
  const size_t secondLineEnd = first.find("\r\n", first.find("\r\n") + 2) + 2;
  EXPECT_EQ(first.size(), secondLineEnd + 68 + 36);
  ASSERT_EQ(was.SkipAtStart(1), 1);
  EXPECT_EQ(was.GetFilePosition(), static_cast<int64_t>(first.size()));

  DataArrays data;
  for (int id : {2, 4, 11, 13, 14, 20, 22, 24, 29, 33, 34}) data.Want(id);
  int count = 0;
  ASSERT_EQ(was.ReadData(data, 0, count), 2);
  EXPECT_EQ(count, 8);
  EXPECT_EQ(data.Get(kVarBurstNumber, 0), 1);
  EXPECT_FLOAT_EQ(data.Get(kVarSigHeightAs, 0), 2.0f);
  EXPECT_FLOAT_EQ(data.Get(kVarSensorDepth, 0), 11.0f);
  EXPECT_FLOAT_EQ(data.Get(kVarEnergyDensity, 7), 8.0f);
  EXPECT_NEAR(data.Get(kVarFrequency, 7), 0.0078125 + 7 * 0.015625, 1e-7);
  EXPECT_FLOAT_EQ(data.Get(kSlotUpperMultiplier, 3), 1.9f);
  EXPECT_FLOAT_EQ(data.Get(kSlotLowerMultiplier, 3), 0.6f);
  EXPECT_DOUBLE_EQ(data.minimum[kVarEnergyDensity], 1.0);
  EXPECT_DOUBLE_EQ(data.maximum[kVarEnergyDensity], 8.0);

  // The burst after a block that ends in a line of two blanks.
  ASSERT_EQ(was.ReadData(data, 1, count), 2);
  EXPECT_EQ(data.Get(kVarBurstNumber, 0), 2);
  EXPECT_FLOAT_EQ(data.Get(kVarEnergyDensity, 6), 7 * 1.5f);
  EXPECT_DOUBLE_EQ(data.maximum[kVarSigHeightAs], 3.0);
  EXPECT_DOUBLE_EQ(data.minimum[kVarSigHeightAs], 2.0);
  EXPECT_EQ(was.ReadData(data, 2, count), 0);
}

// A header followed at once by the next one: the scan goes back to that header, so the last
// burst still counts and its bands are the largest the file states.
TEST_F(WaveFileTest, WasBurstWithoutItsSecondLineLeavesTheNextOneCounted) {
  std::vector<WasBurst> bursts = BandsOf6_8_7();
  const std::string middle = testing::WasBlock(bursts[1]);
  std::string path =
      Write("gap.was", testing::WasBlock(bursts[0]) + middle.substr(0, middle.find("\r\n") + 2) +
                           testing::WasBlock(bursts[2]));
  CWasFile was;
  int nSub = 0;
  EXPECT_EQ(was.ReadFileInfo(path, nSub), 7);
  EXPECT_EQ(nSub, 3);
}

TEST_F(WaveFileTest, WasReadsEveryBurstWithSubtitlesAndRanges) {
  std::string path = Write("a.was", testing::WasFileText(BandsOf6_8_7()));
  auto reader = CreateFileObject(kWasFileId);
  int nSub = 0;
  ASSERT_EQ(reader->ReadFileInfo(path, nSub), 8);
  DataArrays data;
  for (int id : {2, 4, 13, 14, 20, 24}) data.Want(id);
  int count = 0;
  ASSERT_EQ(reader->ReadData(data, 0, count), 2);
  EXPECT_EQ(reader->GetSubTitle(0),
            "Burst 0 of 3,Start 01 Jan 1989 00:00:00,1024 point T=512 sec,Resolution = 0.016 "
            "Hz,95% Confidence intervals,Water depth = 12.50 meters,Instrument depth = 10.00 "
            "meters");
  EXPECT_DOUBLE_EQ(data.Get(kVarDateTime, 0), CalendarSeconds(1989, 1, 1, 0, 0, 0));
  ASSERT_EQ(reader->ReadData(data, 1, count), 2);
  ASSERT_EQ(reader->ReadData(data, 2, count), 2);
  EXPECT_EQ(reader->ReadData(data, 3, count), 0);
  EXPECT_DOUBLE_EQ(data.Get(kVarDateTime, 0), CalendarSeconds(1989, 1, 1, 2, 0, 0));
  EXPECT_DOUBLE_EQ(data.minimum[kVarSigHeightAs], 1.0);
  EXPECT_DOUBLE_EQ(data.maximum[kVarSigHeightAs], 3.0);
  EXPECT_DOUBLE_EQ(data.minimum[kVarDateTime], CalendarSeconds(1989, 1, 1, 0, 0, 0));
  EXPECT_FALSE(data.hasRange[kVarSensorDepth]);  // depth keeps no range
  std::vector<std::string> names;
  EXPECT_EQ(reader->GetSecondaryXVariableNames(names), 1);
  EXPECT_EQ(names.at(0), "Frequency [Hz]");
  EXPECT_EQ(reader->GetSecondaryYVariableNames(names), 1);
  EXPECT_EQ(names.at(0), "Energy Density [m*m-sec]");
  EXPECT_EQ(reader->GetAvailableYVariableNames(names), 4);
  EXPECT_EQ(reader->GetDefaultVarID(1), 29);
  EXPECT_EQ(reader->GetDefaultVarID(4), 22);
}

TEST_F(WaveFileTest, PlusFilesDateTheirBurstsFrom2000) {
  WasBurst b;
  b.start = 86400L * 59 + 43200;
  WtsBurst t;
  t.start = b.start;
  for (int kind : {kWasFileId, kWtsFileId}) {
    std::string text =
        kind == kWasFileId ? testing::WasFileText({b}, true) : testing::WtsFileText({t}, true);
    std::string path = Write(kind == kWasFileId ? "p.was" : "p.wts", text);
    auto reader = CreateFileObject(kind);
    int nSub = 0;
    ASSERT_GT(reader->ReadFileInfo(path, nSub), 0);
    EXPECT_TRUE(reader->Is2000Based());
    DataArrays data;
    data.Want(kVarDateTime);
    int count = 0;
    ASSERT_EQ(reader->ReadData(data, 0, count), 2);
    EXPECT_DOUBLE_EQ(data.Get(kVarDateTime, 0), CalendarSeconds(2000, 2, 29, 12, 0, 0)) << kind;
  }
}

TEST_F(WaveFileTest, WtsBurstCountIsTheLastBurstNumberPlusOne) {
  for (int from : {0, 1}) {
    std::vector<WtsBurst> bursts(100);
    for (int i = 0; i < 100; ++i) bursts[i].burst = from + i;
    std::string path = Write("s.wts", testing::WtsFileText(bursts));
    CWtsFile wts;
    int nSub = 0;
    EXPECT_EQ(wts.ReadFileInfo(path, nSub), 100 + from);
    EXPECT_EQ(nSub, 100 + from);
  }
}

TEST_F(WaveFileTest, WtsSkipsThreeLinesAndStoresEveryStatistic) {
  std::vector<WtsBurst> bursts(3);
  for (int i = 0; i < 3; ++i) {
    bursts[i].burst = i;
    bursts[i].h13 = 1.0 + i;
    bursts[i].waves = 50 + i;
  }
  std::string path = Write("s.wts", testing::WtsFileText(bursts));
  CWtsFile wts;
  int nSub = 0;
  ASSERT_EQ(wts.ReadFileInfo(path, nSub), 3);
  ASSERT_EQ(wts.SkipAtStart(2), 1);
  DataArrays data;
  for (int id = 0; id < kMaxDataTypes; ++id) data.Want(id);
  int count = 0;
  ASSERT_EQ(wts.ReadData(data, 0, count), 2);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(data.Get(kVarBurstNumber, 0), 2);
  EXPECT_FLOAT_EQ(data.Get(kVarSigHeightTss, 0), 3.0f);
  EXPECT_EQ(data.Get(kVarNumberOfWaves, 0), 52);
  EXPECT_FLOAT_EQ(data.Get(kVarAveragePeriodTss, 0), 7.25f);
  EXPECT_FLOAT_EQ(data.Get(kVarAverageHeightTss, 0), 0.75f);
  EXPECT_FLOAT_EQ(data.Get(kVarEnergyTss, 0), 628.5f);
  EXPECT_FLOAT_EQ(data.Get(kVarH10Tss, 0), 1.5f);
  EXPECT_FLOAT_EQ(data.Get(kVarH100Tss, 0), 1.625f);
  EXPECT_FLOAT_EQ(data.Get(kVarMaxHeightTss, 0), 1.75f);
  EXPECT_FLOAT_EQ(data.Get(kVarSigPeriodTss, 0), 8.25f);
  EXPECT_FLOAT_EQ(data.Get(kVarVarianceTss, 0), 0.0625f);
  EXPECT_FLOAT_EQ(data.Get(kVarSensorDepth, 0), 10.25f);
  EXPECT_EQ(wts.GetSubTitle(0), " ");
  EXPECT_EQ(wts.ReadData(data, 1, count), 0);
  EXPECT_EQ(wts.SkipAtStart(0), 1);
}

// A value that is not a finite number stops the reading with a message naming the burst's
// header line, in every wave output file; the bursts before it are read.
TEST_F(WaveFileTest, NonFiniteValuesAreRefusedNamingTheBurst) {
  const double bad[] = {NAN, INFINITY, -INFINITY};
  for (double v : bad) {
    SCOPED_TRACE(v);
    std::vector<WasBurst> was(2);
    was[1].burst = 1;
    was[1].densities[5] = v;
    std::vector<WtsBurst> wts(2);
    wts[1].burst = 1;
    wts[1].h13 = v;
    std::vector<WtBurst> wt(2);
    wt[1].burst = 1;
    wt[1].values[2] = v;
    CWasFile wasFile;
    CWtsFile wtsFile;
    CWtFile wtFile;
    const struct {
      CTGR41File* reader;
      std::string path;
      int headerLine;
    } cases[] = {{&wasFile, Write("n.was", testing::WasFileText(was)), 5},
                 {&wtsFile, Write("n.wts", testing::WtsFileText(wts)), 4},
                 {&wtFile, Write("n.wt", testing::WtFileText(wt)), 4}};
    for (const auto& c : cases) {
      SCOPED_TRACE(c.path);
      int nSub = 0, count = 0;
      ASSERT_GT(c.reader->ReadFileInfo(c.path, nSub), 0);
      DataArrays data;
      for (int id = 0; id < kMaxDataTypes; ++id) data.Want(id);
      ASSERT_EQ(c.reader->ReadData(data, 0, count), 2);
      EXPECT_TRUE(c.reader->GetDataError().empty());
      EXPECT_EQ(c.reader->ReadData(data, 1, count), 0);
      EXPECT_EQ(c.reader->GetDataError(),
                "A value that is not a finite number in the burst whose header is on line " +
                    std::to_string(c.headerLine) + " of " + c.path);
      // A new reading starts clean.
      ASSERT_GT(c.reader->ReadFileInfo(c.path, nSub), 0);
      EXPECT_TRUE(c.reader->GetDataError().empty());
    }
  }
}

TEST_F(WaveFileTest, WtReadsSamplesAndSkipsByRowBytes) {
  std::vector<WtBurst> bursts(2);
  bursts[0].values = Ramp(8, 0.25);
  bursts[1].burst = 1;
  bursts[1].start = 600;
  bursts[1].values = Ramp(8, -0.5);
  std::string path = Write("e.wt", testing::WtFileText(bursts));
  CWtFile wt;
  int nSub = 0;
  ASSERT_EQ(wt.ReadFileInfo(path, nSub), 8);
  EXPECT_EQ(nSub, 2);
  ASSERT_EQ(wt.SkipAtStart(1), 1);
  EXPECT_EQ(wt.GetFilePosition(), static_cast<int64_t>(testing::WtBlock(bursts[0]).size()));
  DataArrays data;
  data.Want(kVarWaveAmplitude);
  data.Want(kVarTime);
  int count = 0;
  ASSERT_EQ(wt.ReadData(data, 0, count), 2);
  EXPECT_EQ(count, 8);
  EXPECT_FLOAT_EQ(data.Get(kVarWaveAmplitude, 7), -4.0f);
  EXPECT_DOUBLE_EQ(data.Get(kVarTime, 7), 3.5);
  EXPECT_DOUBLE_EQ(data.minimum[kVarWaveAmplitude], -4.0);
  EXPECT_DOUBLE_EQ(data.maximum[kVarTime], 3.5);
  EXPECT_EQ(wt.GetSubTitle(0), "Burst 1 of 2, Start 01 Jan 1989 00:10:00, 8 point, T=4 sec");
}

TEST_F(WaveFileTest, WtWithoutPointsIsNotReadAndSaysNothing) {
  std::string path = Write("z.wt", CrLf("* 0 0   0.50 0\n"));
  CWtFile wt;
  wt.SetInteraction(&ui);
  int nSub = 0;
  EXPECT_EQ(wt.ReadFileInfo(path, nSub), 0);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(WaveFileTest, NoHeaderLineGivesTheEndOfFileMessage) {
  struct Case {
    int kind;
    const char* caption;
  } cases[] = {{kWasFileId, "WasFile"}, {kWtsFileId, "WtsFile"}, {kWtFileId, "WtFile"}};
  for (const Case& c : cases) {
    for (const std::string& text : {CrLf("TGR 41plus\n0.5 0.5\n"), std::string()}) {
      ui.Clear();
      std::string path = Write("n.dat", text);
      auto reader = CreateFileObject(c.kind);
      reader->SetInteraction(&ui);
      int nSub = 0;
      EXPECT_EQ(reader->ReadFileInfo(path, nSub), 0);
      auto msgs = ui.Messages();
      ASSERT_EQ(msgs.size(), 1u) << c.kind;
      EXPECT_EQ(msgs[0].text, "Unexpected end of file - please contact Brennic");
      EXPECT_EQ(msgs[0].caption, c.caption);
      EXPECT_EQ(msgs[0].icon, MsgIcon::Error);
    }
  }
}

TEST_F(WaveFileTest, DamagedFilesAreReadWithoutOverrun) {
  // Line feeds without carriage returns: skipping by bytes lands inside a burst and falls back
  // to reading.
  std::string text = testing::WasFileText(BandsOf6_8_7());
  std::string lf;
  for (char c : text)
    if (c != '\r') lf += c;
  std::string path = Write("lf.was", lf);
  CWasFile was;
  int nSub = 0;
  ASSERT_EQ(was.ReadFileInfo(path, nSub), 8);
  ASSERT_EQ(was.SkipAtStart(2), 1);
  DataArrays data;
  data.Want(kVarBurstNumber);
  data.Want(kVarEnergyDensity);
  int count = 0;
  ASSERT_EQ(was.ReadData(data, 0, count), 2);
  EXPECT_EQ(data.Get(kVarBurstNumber, 0), 2);

  // A burst cut short inside its densities, and a header stating absurd sizes.
  std::string cut = testing::WasBlock(BandsOf6_8_7()[1]);
  cut.resize(cut.size() - 40);
  path = Write("cut.was", cut + CrLf("\n") +
                              CrLf("* 7 0 0.5 1024 8 1 1 1 95 1 1\n  2000000000 0 0 0 0 0 0\n"));
  CWasFile damaged;
  ASSERT_EQ(damaged.ReadFileInfo(path, nSub), kMaxWaveSeriesLength);
  ASSERT_EQ(damaged.ReadData(data, 0, count), 2);
  EXPECT_FLOAT_EQ(data.Get(kVarEnergyDensity, 7), 0.0f);  // missing
  EXPECT_FLOAT_EQ(data.Get(kVarEnergyDensity, 0), 1.0f);
  ASSERT_EQ(damaged.ReadData(data, 1, count), 2);
  EXPECT_EQ(data.Get(kVarBurstNumber, 0), 7);
}

}  // namespace
}  // namespace tidora
