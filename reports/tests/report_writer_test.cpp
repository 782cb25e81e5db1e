#include "reports/report_writer.h"

#include <gtest/gtest.h>

namespace tidora {
namespace {

std::string Pad(const std::string& s) {
  return std::string(s.size() < 20 ? 20 - s.size() : 0, ' ') + s;
}

ReportTable OneRow(double burst, double swh) {
  ReportTable t;
  t.rows = 1;
  t.columns[kVarBurstNumber] = {burst};
  t.columns[kVarSigHeightTss] = {swh};
  return t;
}

CTabulon_Psu Settings(std::vector<int> ids, int separator, int time = 0, int labels = 0,
                      int header = 0) {
  CTabulon_Psu psu;
  psu.SetColumns(ids);
  psu.SetSeparator(separator);
  psu.SetTimeForm(time);
  psu.labelDataColumns = labels;
  psu.outputHeaderInfo = header;
  return psu;
}

TEST(ReportFields, EachSeparatorWithItsPatterns) {
  const ReportTable row = OneRow(3, 1.25);
  const std::vector<int> ids = {kVarBurstNumber, kVarSigHeightTss};
  // The C library writes two exponent digits.
  EXPECT_EQ(CReportWriter("", Settings(ids, kSeparatorSpace)).Render(row),
            "\r\n" + Pad("3") + Pad("1.250000e+00"));
  EXPECT_EQ(CReportWriter("", Settings(ids, kSeparatorSemicolon)).Render(row),
            "\r\n3;1.250000e+00;");
  EXPECT_EQ(CReportWriter("", Settings(ids, kSeparatorTab)).Render(row), "\r\n3\t1.250000e+00\t");
  EXPECT_EQ(CReportWriter("", Settings(ids, kSeparatorColon)).Render(row), "\r\n3:1.250000e+00:");

  CReportWriter colon("", Settings({}, kSeparatorColon));
  EXPECT_EQ(colon.Field(kVarSensorDepth, 10.25), "10.250:");
  EXPECT_EQ(colon.Field(kVarNumberOfWaves, 57), "57:");
  EXPECT_EQ(colon.Field(kVarDepth, 5), "");  // not a report variable: no text, no separator
  EXPECT_EQ(colon.Field(kVarEnergyAs, 628.5), "6.285000e+02:");
}

TEST(ReportFields, TimeForms) {
  const double noonJan2 = CalendarSeconds(2000, 1, 2, 12, 0, 0);
  CReportWriter julian("", Settings({kVarDateTime}, kSeparatorSemicolon, kTimeJulianDays, 1));
  EXPECT_EQ(julian.TimeText(noonJan2), "2.500000");
  EXPECT_EQ(julian.TimeText(CalendarSeconds(2001, 1, 1, 0, 0, 0)), "1.000000");
  EXPECT_EQ(julian.TimeText(CalendarSeconds(2000, 12, 31, 18, 0, 0)), "366.750000");
  EXPECT_EQ(julian.Label(kVarDateTime), "Time-jdays;");
  CReportWriter clock("", Settings({}, kSeparatorSemicolon, kTimeOfDay));
  EXPECT_EQ(clock.TimeText(noonJan2 + 61), "12:01:01");
  EXPECT_EQ(clock.Label(kVarDateTime), "Time;");

  // The date and time fill all 20 characters of a Space field: it touches the field before.
  ReportTable t = OneRow(3, 0);
  t.columns[kVarDateTime] = {noonJan2};
  CReportWriter full("",
                     Settings({kVarBurstNumber, kVarDateTime}, kSeparatorSpace, kTimeDateAndTime));
  EXPECT_EQ(full.Render(t), "\r\n" + Pad("3") + "02 Jan 2000 12:00:00");
}

TEST(ReportFields, HeaderLabelsAndRows) {
  ReportTable t;
  t.rows = 2;
  t.header = {"/data/run7.was", 0.5, 1024, 12.5, 10.25, 1025.0};
  t.columns[kVarBurstNumber] = {0, 1};
  t.columns[kVarSensorDepth] = {10.25, 10.5};
  t.columns[kVarVarianceAs] = {0.0625, 0.125};
  // Three slots, then an empty slot and one behind it that no longer counts.
  CTabulon_Psu psu = Settings({kVarBurstNumber, kVarSensorDepth, kVarVarianceAs}, kSeparatorTab,
                              kTimeJulianDays, 1, 1);
  psu.columns[4] = kVarEnergyAs;
  EXPECT_EQ(CReportWriter("", psu).Render(t),
            "# filename = /data/run7[.WAS, .WTS]\r\n"
            "# wave integration time = 0.50\r\n"
            "# number of points in the burst = 1024\r\n"
            "# height of TGR 41 above the bottom = 2.250\r\n"
            "# density = 1025.000\r\n"
            "Burst\tPres\tVar-was\t"
            "\r\n0\t10.250\t6.250000e-02\t"
            "\r\n1\t10.500\t1.250000e-01\t");

  psu.labelDataColumns = 0;
  EXPECT_EQ(CReportWriter("", psu).Render(t).substr(0, 40),
            "# filename = /data/run7[.WAS, .WTS]\r\n# w");
  psu.outputHeaderInfo = 0;
  EXPECT_EQ(CReportWriter("", psu).Render(t),
            "\r\n0\t10.250\t6.250000e-02\t\r\n1\t10.500\t1.250000e-01\t");
}

TEST(ReportCombination, RowsOfTheShorterFileAndTheLastFileWins) {
  ReportInput was, wts;
  was.rows = was.recordsRead = 2;
  wts.rows = wts.recordsRead = 3;
  was.header.points = 1024;
  wts.header.points = 512;
  for (ReportInput* in : {&was, &wts}) in->requested[kVarSensorDepth] = true;
  was.requested[kVarSigHeightAs] = true;
  was.values[kVarSigHeightAs] = {1, 2};
  was.values[kVarSensorDepth] = {10, 11};
  wts.values[kVarSensorDepth] = {20, 21, 22};
  ReportTable t = CombineReportInputs({was, wts});
  EXPECT_EQ(t.rows, 2);
  EXPECT_EQ(t.header.points, 1024);
  EXPECT_EQ(t.columns[kVarSensorDepth], (std::vector<double>{20, 21}));
  EXPECT_EQ(t.columns[kVarSigHeightAs], (std::vector<double>{1, 2}));

  // A file that read fewer bursts than it states leaves the others' values in place.
  wts.recordsRead = 1;
  t = CombineReportInputs({was, wts});
  EXPECT_EQ(t.columns[kVarSensorDepth], (std::vector<double>{20, 11}));
  // A burst count from a damaged burst number does not make rows nobody read.
  was.rows = wts.rows = 2000000000;
  EXPECT_EQ(CombineReportInputs({was, wts}).rows, 2);
}

}  // namespace
}  // namespace tidora
