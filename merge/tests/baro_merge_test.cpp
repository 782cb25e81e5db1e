#include "merge/baro_merge.h"

#include <gtest/gtest.h>

#include "postproc/tests/suspend_check.h"

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "platform/interaction.h"
#include "postproc/page.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

struct Time {
  int month, day, year, hour, minute, second;
};

std::string TideLine(long record, Time t, double pressure, bool conductivity = false) {
  char buf[200];
  std::snprintf(buf, sizeof buf, "%6ld   %02d/%02d/%04d %02d:%02d:%02d%11.4f%11.3f", record,
                t.month, t.day, t.year, t.hour, t.minute, t.second, pressure, 20.5);
  std::string line = buf;
  if (conductivity) {
    std::snprintf(buf, sizeof buf, "%11.5f%11.3f", 4.2, 35.0);
    line += buf;
  }
  return line + "\r\n";
}

std::string BaroLine(Time t, double pressure) {
  char buf[120];
  std::snprintf(buf, sizeof buf, "%d/%d/%d %d:%02d:%02d %.4f\n", t.month, t.day, t.year, t.hour,
                t.minute, t.second, pressure);
  return buf;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

const std::string kPsiHeader = std::string(34, ' ') + "PSI      Deg C";
const std::string kMetersHeader = std::string(31, ' ') + "Meters      Deg C";

// A stop request that arrives while the run is half done.
class StopHalfway : public ScriptedInteraction {
 public:
  explicit StopHalfway(ProcessControl& stop) : stop_(stop) {}
  void ProgressPos(int pos) override {
    ScriptedInteraction::ProgressPos(pos);
    if (pos >= 50) stop_.Stop();
  }

 private:
  ProcessControl& stop_;
};

class MergeRun : public ::testing::Test {
 protected:
  int Run(long scans, const std::string& output, Interaction& ui) {
    CInteractionPage page(ui);
    CBaroMerge merge(settings, output, {baro, tide}, scans, ui, &page, &stop);
    int rc = merge.Run();
    outcome = merge.GetOutcome();
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    return rc;
  }
  int Run(long scans) { return Run(scans, out, ui); }

  // The corrected values of the output's data lines.
  std::vector<double> Values() {
    std::vector<double> values;
    auto lines = Lines(testing::ReadFile(out));
    for (size_t i = 1; i < lines.size(); ++i) values.push_back(std::stod(lines[i].substr(28, 11)));
    return values;
  }
  void WriteTide(const std::vector<std::pair<Time, double>>& samples) {
    std::string text;
    long n = 0;
    for (const auto& [t, p] : samples) text += TideLine(++n, t, p);
    testing::WriteFile(tide, text);
  }

  testing::TempDir dir;
  ScriptedInteraction ui;
  MergeSettings settings;
  ProcessControl stop;
  CBaroMerge::Outcome outcome = CBaroMerge::Outcome::kNotRun;
  std::string tide = dir.file("dep.tid");
  std::string baro = dir.file("dep.bp");
  std::string out = dir.file("out.tid");
};

TEST_F(MergeRun, InterpolatesBetweenReadingsAndHoldsTheEndReadings) {
  settings.convertToWaterDepth = 0;
  testing::WriteFile(baro, "  " + BaroLine({1, 1, 2005, 1, 0, 0}, 14.0) +
                               BaroLine({1, 1, 2005, 1, 10, 0}, 15.0) +
                               BaroLine({1, 1, 2005, 1, 20, 0}, 14.5));
  WriteTide({{{1, 1, 2005, 0, 50, 0}, 30},
             {{1, 1, 2005, 1, 0, 0}, 30},
             {{1, 1, 2005, 1, 5, 0}, 30},
             {{1, 1, 2005, 1, 10, 0}, 30},
             {{1, 1, 2005, 1, 15, 0}, 30},
             {{1, 1, 2005, 1, 30, 0}, 30},
             {{1, 1, 2005, 2, 0, 0}, 30}});
  ASSERT_EQ(Run(7), 0);
  EXPECT_EQ(outcome, CBaroMerge::Outcome::kDone);
  EXPECT_TRUE(ui.Messages().empty());
  std::vector<double> expected{16, 16, 15.5, 15, 15.25, 15.5, 15.5};
  EXPECT_EQ(Values(), expected);

  // Only the pressure field changed; the header is new and ends with CR LF.
  auto in = Lines(testing::ReadFile(tide));
  auto lines = Lines(testing::ReadFile(out));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], kPsiHeader + "\r");
  for (size_t i = 0; i < in.size(); ++i) {
    EXPECT_EQ(lines[i + 1].size(), in[i].size());
    EXPECT_EQ(lines[i + 1].substr(0, 28), in[i].substr(0, 28));
    EXPECT_EQ(lines[i + 1].substr(39), in[i].substr(39));
  }
}

TEST_F(MergeRun, InterpolatesAcrossTheLeapDayAndReadsTwoDigitYears) {
  settings.convertToWaterDepth = 0;
  testing::WriteFile(baro, BaroLine({2, 28, 4, 12, 0, 0}, 14.0) +
                               BaroLine({3, 1, 2004, 12, 0, 0}, 16.0) +
                               BaroLine({3, 2, 4, 12, 0, 0}, 16.0));
  WriteTide({{{2, 29, 2004, 0, 0, 0}, 20},
             {{2, 29, 2004, 12, 0, 0}, 20},
             {{3, 1, 2004, 0, 0, 0}, 20},
             {{3, 1, 2004, 12, 0, 0}, 20}});
  ASSERT_EQ(Run(4), 0);
  std::vector<double> expected{5.5, 5, 4.5, 4};
  EXPECT_EQ(Values(), expected);
}

TEST_F(MergeRun, MillibarsAndWaterDepth) {
  settings.barometricPressureUnits = MergeSettings::kUnitsMillibars;
  settings.convertToWaterDepth = 0;
  testing::WriteFile(baro, BaroLine({1, 1, 2005, 0, 0, 0}, 1013.25));
  WriteTide({{{1, 1, 2005, 0, 0, 0}, 24.6959}});
  ASSERT_EQ(Run(1), 0);
  EXPECT_NEAR(Values().at(0), 10.0, 1e-4);
  EXPECT_NEAR(CorrectedValue(settings, 14.6959, 1013.25), 0.0, 1e-4);

  // With the defaults, 10 psi above the barometric pressure is 6.8438 m of water.
  settings = MergeSettings();
  testing::WriteFile(baro, BaroLine({1, 1, 2005, 0, 0, 0}, 14.7));
  WriteTide({{{1, 1, 2005, 0, 0, 0}, 24.7}});
  ASSERT_EQ(Run(1), 0);
  auto lines = Lines(testing::ReadFile(out));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], kMetersHeader + "\r");
  EXPECT_EQ(lines[1].substr(28, 11), "     6.8438");
}

TEST_F(MergeRun, ReplacesAPsiaHeaderAndAddsConductivityColumns) {
  testing::WriteFile(baro, BaroLine({1, 1, 2005, 0, 0, 0}, 14.7));
  testing::WriteFile(tide, "  psia      Deg C\r\n" + TideLine(1, {1, 1, 2005, 0, 0, 0}, 20) +
                               TideLine(2, {1, 1, 2005, 0, 1, 0}, 20));
  ASSERT_EQ(Run(2), 0);
  auto lines = Lines(testing::ReadFile(out));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], kMetersHeader + "\r");  // the short header line decides the columns

  testing::WriteFile(tide, TideLine(1, {1, 1, 2005, 0, 0, 0}, 20, true));
  ASSERT_EQ(Run(1), 0);
  lines = Lines(testing::ReadFile(out));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], kMetersHeader + "        S/m        PSU\r");
  EXPECT_EQ(lines[1].substr(39), "     20.500    4.20000     35.000\r");
}

TEST_F(MergeRun, OlderLayoutKeepsItsColumns) {
  settings.convertToWaterDepth = 0;
  testing::WriteFile(baro, BaroLine({1, 1, 98, 0, 0, 0}, 14.0));
  testing::WriteFile(tide,
                     "   1   01/01/1998 00:00:00    24.0000     20.500\r\n"
                     "   2   01/01/1998 00:10:00    25.5000     20.600\r\n");
  ASSERT_EQ(Run(2), 0);
  EXPECT_EQ(testing::ReadFile(out), kPsiHeader +
                                        "\r\n"
                                        "   1   01/01/1998 00:00:00    10.0000     20.500\r\n"
                                        "   2   01/01/1998 00:10:00    11.5000     20.600\r\n");
}

TEST_F(MergeRun, RefusedTideFilesLeaveTheOutputAlone) {
  testing::WriteFile(baro, BaroLine({1, 1, 2005, 0, 0, 0}, 14.7));
  testing::WriteFile(out, "previous output");
  const std::string data = TideLine(1, {1, 1, 2005, 0, 0, 0}, 20);
  struct Case {
    std::string tide, text, caption;
  } cases[] = {
      {"", "No data in file: " + tide, "Input file Error"},
      {kPsiHeader + "\r\n" + data, "Barometric pressure has already been removed from " + tide,
       "Unable to Process"},
      {kMetersHeader + "\r\n" + data,
       "Cannot run Merge on " + tide + " because Pressure is not among the selected vaiables in " +
           tide,
       "Unable to Process"},
      // Nothing but a header: no data line would be written.
      {"PSIA  Deg C\r\n", "No data in file: " + tide, "Input file Error"},
      {data + "     2   01/01/2005 00:00:00    14.70\r\n",
       "Line 2 of " + tide + " is too short to hold a pressure value.", "Input file Error"},
      {data + TideLine(2, {1, 1, 2005, 0, 0, 0}, 20).substr(0, 50) + std::string(80, ' ') + "\r\n",
       "Line 2 of " + tide + " is longer than 127 characters.", "Input file Error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ui.Clear();
    testing::WriteFile(tide, c.tide);
    EXPECT_EQ(Run(2), 1);
    EXPECT_EQ(outcome, CBaroMerge::Outcome::kError);
    auto msgs = ui.Messages();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].text, c.text);
    EXPECT_EQ(msgs[0].caption, c.caption);
    EXPECT_EQ(msgs[0].icon, MsgIcon::Warning);
    EXPECT_EQ(testing::ReadFile(out), "previous output");
    EXPECT_EQ(testing::ReadFile(tide), c.tide);
  }
}

TEST_F(MergeRun, MissingOrEmptyInputsAreReportedAndNothingIsWritten) {
  testing::WriteFile(out, "previous output");
  WriteTide({{{1, 1, 2005, 0, 0, 0}, 20}});
  EXPECT_EQ(Run(1), 1);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, baro + " could not be opened.");

  ui.Clear();
  testing::WriteFile(baro, "");
  EXPECT_EQ(Run(1), 1);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "No data in file: " + baro);

  ui.Clear();
  std::filesystem::remove(tide);
  EXPECT_EQ(Run(1), 1);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, tide + " could not be opened.");

  // No scans: an existing tide file is not replaced by a header alone.
  ui.Clear();
  testing::WriteFile(baro, BaroLine({1, 1, 2005, 0, 0, 0}, 14.7));
  WriteTide({{{1, 1, 2005, 0, 0, 0}, 20}});
  EXPECT_EQ(Run(0), 1);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "No data in file: " + tide);
  EXPECT_EQ(testing::ReadFile(out), "previous output");

  // An output folder that does not exist: the temporary file cannot be created.
  ui.Clear();
  EXPECT_EQ(Run(1, dir.file("missing/out.tid"), ui), 1);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, dir.file("missing/out.tid") + " could not be created.");
  EXPECT_EQ(ui.Messages()[0].caption, "Output File Error");
}

TEST_F(MergeRun, TheMergeLoopWaitsWhileSuspended) {
  settings.convertToWaterDepth = 0;
  testing::WriteFile(baro, BaroLine({1, 1, 2005, 0, 0, 0}, 14.0));
  std::vector<std::pair<Time, double>> samples;
  for (int i = 0; i < 400; ++i) samples.push_back({{1, 1, 2005, i / 60, i % 60, 0}, 20.0 + i});
  WriteTide(samples);
  testing::SuspendHalfway suspending(stop);
  testing::ExpectRunWaitsWhileSuspended(stop, suspending,
                                        [&] { EXPECT_EQ(Run(400, out, suspending), 0); });
  EXPECT_EQ(outcome, CBaroMerge::Outcome::kDone);
  EXPECT_EQ(Values().size(), 400u);
}

TEST_F(MergeRun, ReplacesTheTideFileInPlaceButNotAfterAStop) {
  settings.convertToWaterDepth = 0;
  testing::WriteFile(baro, BaroLine({1, 1, 2005, 0, 0, 0}, 14.0));
  std::vector<std::pair<Time, double>> samples;
  for (int i = 0; i < 200; ++i) samples.push_back({{1, 1, 2005, i / 60, i % 60, 0}, 20.0 + i});
  WriteTide(samples);
  const std::string original = testing::ReadFile(tide);

  StopHalfway stopping(stop);
  EXPECT_EQ(Run(200, tide, stopping), 0);
  EXPECT_EQ(outcome, CBaroMerge::Outcome::kStopped);
  EXPECT_TRUE(stopping.Messages().empty());
  EXPECT_EQ(testing::ReadFile(tide), original);

  stop.Clear();
  ASSERT_EQ(Run(200, tide, ui), 0);
  EXPECT_EQ(outcome, CBaroMerge::Outcome::kDone);
  out = tide;
  auto values = Values();
  ASSERT_EQ(values.size(), 200u);
  EXPECT_EQ(values[0], 6.0);
  EXPECT_EQ(values[199], 205.0);
  // The merged file is refused the second time.
  ui.Clear();
  EXPECT_EQ(Run(200, tide, ui), 1);
  EXPECT_EQ(ui.Messages().at(0).caption, "Unable to Process");
}

TEST_F(MergeRun, ReportsProgressEveryHundredthOfTheScans) {
  testing::WriteFile(baro, BaroLine({1, 1, 2005, 0, 0, 0}, 14.0));
  std::vector<std::pair<Time, double>> samples;
  for (int i = 0; i < 250; ++i) samples.push_back({{1, 1, 2005, 0, 0, i % 60}, 20.0});
  WriteTide(samples);
  ASSERT_EQ(Run(250), 0);
  std::vector<int> positions;
  for (const auto& r : ui.Records()) {
    if (r.kind == ScriptedInteraction::Record::kProgressRange) {
      EXPECT_EQ(r.a, 0);
      EXPECT_EQ(r.b, 100);
    }
    if (r.kind == ScriptedInteraction::Record::kProgressPos) positions.push_back(r.a);
  }
  EXPECT_EQ(ui.StatusTexts().at(0), "Merging Data...");
  // Position 0 first, then one per step of 2 lines, and 100 when the end is reached.
  ASSERT_EQ(positions.size(), 127u);
  EXPECT_EQ(positions[1], 0);
  EXPECT_EQ(positions[2], 0);
  EXPECT_EQ(positions[3], 1);
  EXPECT_EQ(positions[125], 99);
  EXPECT_EQ(positions.back(), 100);
}

TEST_F(MergeRun, NoDataLineIsLostToBlankLinesOrAShortScanCount) {
  settings.convertToWaterDepth = 0;
  testing::WriteFile(baro, BaroLine({1, 1, 2005, 0, 0, 0}, 14.0));
  testing::WriteFile(tide, TideLine(1, {1, 1, 2005, 0, 0, 0}, 20) + "\r\n  \r\n" +
                               TideLine(2, {1, 1, 2005, 0, 1, 0}, 21) +
                               "   x not a tide line, but long enough for a field\r\n" +
                               TideLine(3, {1, 1, 2005, 0, 2, 0}, 22) + "\r\n");
  // The data file library counts 3 records; all four data lines reach the output.
  ASSERT_EQ(Run(3, tide, ui), 0);
  out = tide;
  auto lines = Lines(testing::ReadFile(tide));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3].substr(0, 28), "   x not a tide line, but lo");
  EXPECT_EQ(lines[3].substr(39), "or a field\r");
  EXPECT_EQ(lines[4].substr(28, 11), "     8.0000");
}

TEST_F(MergeRun, AFileNamedLikeATemporaryFileIsLeftAlone) {
  // A file of the user's that happens to carry the name a temporary file could have.
  testing::WriteFile(dir.file("out.tmp"), "mine");
  testing::WriteFile(baro, BaroLine({1, 1, 2005, 0, 0, 0}, 14.0));
  WriteTide({{{1, 1, 2005, 0, 0, 0}, 20}});
  CInteractionPage page(ui);
  CBaroMerge merge(settings, out, {baro, tide}, 1, ui, &page, &stop);
  ASSERT_EQ(merge.Run(), 0);
  EXPECT_EQ(testing::ReadFile(dir.file("out.tmp")), "mine");
  EXPECT_NE(merge.TempPath(), dir.file("out.tmp"));
}

// A year of one-minute records and more: record numbers past 999,999 are seven digits wide
// and move the columns; the time and every other field stay whole.
TEST_F(MergeRun, WideRecordNumbersKeepTheirTimeAndColumns) {
  settings.convertToWaterDepth = 0;
  testing::WriteFile(baro, BaroLine({12, 31, 2027, 14, 0, 0}, 14.0));
  std::string text;
  for (long n = 999998; n <= 1000001; ++n) text += TideLine(n, {12, 31, 2027, 14, 39, 45}, 20);
  testing::WriteFile(tide, text);
  ASSERT_EQ(Run(4), 0);
  EXPECT_TRUE(ui.Messages().empty());
  auto lines = Lines(testing::ReadFile(out));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2], "999999   12/31/2027 14:39:45     6.0000     20.500\r");
  EXPECT_EQ(lines[3], "1000000   12/31/2027 14:39:45     6.0000     20.500\r");
  EXPECT_EQ(lines[4], "1000001   12/31/2027 14:39:45     6.0000     20.500\r");
}

TEST_F(MergeRun, CarriageReturnOnlyFilesMergeEveryRecord) {
  settings.convertToWaterDepth = 0;
  testing::WriteFile(baro, "1/1/2005 0:00:00 14.0000\r1/1/2005 0:10:00 15.0000\r");
  std::string text;
  for (int i = 0; i < 192; ++i) {
    std::string line = TideLine(i + 1, {1, 1, 2005, 0, i % 60, 0}, 20);
    text += line.substr(0, line.size() - 1);  // CR only
  }
  testing::WriteFile(tide, text);
  ASSERT_EQ(Run(192), 0);
  auto lines = Lines(testing::ReadFile(out));
  ASSERT_EQ(lines.size(), 193u);
  EXPECT_EQ(lines[11].substr(0, 39), "    11   01/01/2005 00:10:00     5.0000");
  EXPECT_EQ(lines[192].back(), '\r');  // written with CR LF
}

TEST_F(MergeRun, BarometricLinesThatAreNoReadingsAreSkippedAndCounted) {
  settings.convertToWaterDepth = 0;
  WriteTide({{{1, 1, 2005, 0, 0, 0}, 30}, {{1, 1, 2005, 0, 10, 0}, 30}});
  testing::WriteFile(baro, "Date Time Pressure\n" + BaroLine({1, 1, 2005, 0, 0, 0}, 14.0) +
                               "1/1/2005 0:05:00 nan\n1/1/2005 0:0\n\n1/1/2005 0:06:00 1e308\n" +
                               BaroLine({1, 1, 2005, 0, 10, 0}, 15.0));
  ASSERT_EQ(Run(2), 0);
  EXPECT_EQ(outcome, CBaroMerge::Outcome::kDone);
  EXPECT_EQ(Values(), (std::vector<double>{16, 15}));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "4 lines of " + baro + " are no barometric readings and were skipped.");

  // Random bytes hold no reading at all: nothing is subtracted and nothing written.
  std::string noise;
  uint32_t x = 12345;
  for (int i = 0; i < 4000; ++i) {
    x = x * 1103515245u + 12345u;
    noise.push_back(static_cast<char>(x >> 24));
  }
  testing::WriteFile(baro, noise);
  testing::WriteFile(out, "previous output");
  ui.Clear();
  EXPECT_EQ(Run(2), 1);
  EXPECT_EQ(outcome, CBaroMerge::Outcome::kError);
  EXPECT_EQ(testing::ReadFile(out), "previous output");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text.rfind("No data in file: " + baro, 0), 0u);
}

TEST_F(MergeRun, NonFiniteTidePressureIsRefusedNamingTheLine) {
  testing::WriteFile(baro, BaroLine({1, 1, 2005, 0, 0, 0}, 14.0));
  testing::WriteFile(tide, TideLine(1, {1, 1, 2005, 0, 0, 0}, 20) +
                               "     2   01/01/2005 00:01:00        nan     20.500\r\n");
  EXPECT_EQ(Run(2), 1);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "Line 2 of " + tide + " holds a pressure that is not a number from -1e6 to 1e6.");
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace tidora
