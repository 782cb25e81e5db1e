#include <gtest/gtest.h>

#include "recorder/instrument.h"

namespace tidora {
namespace {

TEST(ParseStatus, ModelVersionCountsAndRecordSize) {
  InstrumentInfo i;
  EXPECT_TRUE(
      ParseStatus("TGR 77 BPR plus V 1.2\r\nsamples =  256\r\nmeasurements = 1500\r\n"
                  "bursts = 12\r\nconductivity = YES\r\n",
                  i, true));
  EXPECT_TRUE(i.tgr77);
  EXPECT_FALSE(i.tgr41plus);
  EXPECT_EQ(i.modelText, "TGR 77 BPR V 1.2");
  EXPECT_FLOAT_EQ(i.firmwareVersion, 1.2f);
  EXPECT_EQ(i.samplesPerBurst, 256);
  EXPECT_EQ(i.measurements, 1500);
  EXPECT_EQ(i.bursts, 12);
  EXPECT_EQ(i.recordSize, 20);
  EXPECT_EQ(i.linesPerMeasurement, 2);
  EXPECT_EQ(ExpectedLineCount(i), 1500);
  // No "V": version and counts stay; the model has no version.
  EXPECT_FALSE(ParseStatus("TIDEWELL TGR 41\r\nlogdata = YES\r\n", i, true));
  EXPECT_EQ(i.modelText, "TGR41 ");
  EXPECT_FLOAT_EQ(i.firmwareVersion, 1.2f);
  EXPECT_EQ(i.measurements, 1500);
  EXPECT_TRUE(i.logging);
  EXPECT_EQ(i.recordSize, 5);
  EXPECT_EQ(ExpectedLineCount(i), 1500 + 12 * 256);
  EXPECT_TRUE(ParseStatus("TGR 41plus V 6.2\r\nmeasurements = 10\r\ntsunami demo\r\n", i, true));
  EXPECT_EQ(ExpectedLineCount(i), 256 * 12 / 2 + 4 * 12 + 4 + 10);
  // Keys at the very end of the reply are not read past it.
  EXPECT_TRUE(ParseStatus("plus bursts =", i, true));
  EXPECT_EQ(i.bursts, 12);
}

TEST(ClockSetting, FirmwareTextsAndCommand) {
  EXPECT_TRUE(ClockSettingSupported("TGR 41plus V 6.1b"));
  EXPECT_FALSE(ClockSettingSupported("TGR 41plus V 6.1 \r\n"));
  EXPECT_FALSE(ClockSettingSupported("TGR 41plus V 5.2a"));
  EXPECT_FALSE(ClockSettingSupported("TGR 41plus V 6.0a"));
  EXPECT_FALSE(ClockSettingSupported("TGR 77 BPR V 1.1a"));
  EXPECT_FALSE(ClockSettingSupported("TGR 77 BPR V 1.0b"));
  EXPECT_TRUE(ClockSettingSupported("TGR 77 BPR V 1.2"));
  EXPECT_FALSE(ClockSettingSupported("TIDEWELL TGR 41 V 2.0"));
  // 31 December 2026, 23:59:59 UTC.
  EXPECT_EQ(DateTimeCommand(1798761599, false), "datetime=12312026235959\r");
  EXPECT_EQ(DateTimeReplyError("datetime=1\r\n?\r\nS>"), "command not rceognized");
  EXPECT_EQ(DateTimeReplyError("\r\nwrong length\r\nS>"), "wrong length error message");
  EXPECT_EQ(DateTimeReplyError("invalid date or time"), "invalid date or time error message");
  EXPECT_EQ(DateTimeReplyError("datetime=12312026235959\r\nS>"), "");
  EXPECT_EQ(DateTimeReplyError("datetime=12312026235959\r\n"), "did not receive S> prompt");
}

TEST(Texts, StarredSectionsAndTheirCapacity) {
  EXPECT_EQ(MakeStatusText("DS\r\na\r\nS>"), "*DS\r\n*a\r\n*S>");
  EXPECT_EQ(MakeCoefficientText("DC\r\nb\r\nS>"), "DC\r\n*b\r\n*S>");
  std::string longReply;
  for (int i = 0; i < 3000; ++i) longReply += "x\n";
  EXPECT_EQ(MakeStatusText(longReply).size(), 2047u);
  EXPECT_EQ(MakeCoefficientText(longReply).size(), 2047u);
}

TEST(UploadHeader, FamilyFromTheStatusNamedWithPathAndProgram) {
  InstrumentInfo i;
  ParseStatus("TGR 77 BPR V 1.2\r\n", i, true);
  EXPECT_EQ(UploadHeader(FamilyOf(i), "/d/a.hex"),
            "*Brennic TGR 77 BPR Data File:\n*FileName = /d/a.hex\n*Software Version 1.13\n");
  ParseStatus("TGR 41plus V 6.2\r\n", i, true);
  EXPECT_EQ(FamilyOf(i), RecorderFamily::kTgr41plus);
  EXPECT_EQ(UploadHeader(FamilyOf(i), "x").substr(0, 32), "*Brennic TGR 41plus Data File:\n*");
  ParseStatus("TIDEWELL V 3.0\r\n", i, false);
  EXPECT_EQ(FamilyOf(i), RecorderFamily::kTgr41);
  EXPECT_EQ(UploadHeader(FamilyOf(i), "x").substr(0, 28), "*Brennic TGR 41 Data File:\n*");
  // The time-stamped and tsunami records a status cannot tell are the sizes the image has.
  ParseStatus("TGR 77 BPR V 1.2\r\ntsunami demo = ON\r\n", i, true);
  EXPECT_EQ(i.recordSize, 25);
  EXPECT_EQ(MarkerFamilyRecordSize(true) + kTimeStampBytes, 12);
}

TEST(Crc32, CheckValue) {
  const uint8_t abc[] = {'a', 'b', 'c'};
  EXPECT_EQ(Crc32(abc, 3), 0x352441C2u);
}

TEST(HexLines, RecordSwitchAndWaveBurst) {
  InstrumentInfo plus;
  plus.tgr41plus = true;
  plus.recordSize = 5;
  std::vector<uint8_t> img = {0xFF, 0xFF, 0xFF, 0xFF, 0xFB, 1, 2, 3, 4};
  for (int k = 0; k < 3 * 9; ++k) img.push_back(static_cast<uint8_t>(k));
  for (int k = 0; k < 9; ++k) img.push_back(0xAB);
  std::string t = ImageToHexLines(img.data(), img.size(), plus);
  EXPECT_EQ(t.substr(0, 24), "DD\r\nFFFFFFFFFB01020304\r\n");
  EXPECT_NE(t.find("\r\nABABABABABABABABAB\r\nS>"), std::string::npos);

  // A burst of 512 samples: 256 lines of 6 bytes between its records.
  std::vector<uint8_t> burst(5, 0);
  burst.insert(burst.end(), {9, 9, 9, 9, 0x02});
  burst.insert(burst.end(), {8, 8, 8, 8, 0x00});
  for (int k = 0; k < 256 * 6; ++k) burst.push_back(0x5A);
  burst.insert(burst.end(), {7, 7, 7, 7, 7});
  t = ImageToHexLines(burst.data(), burst.size(), plus);
  EXPECT_EQ(std::count(t.begin(), t.end(), '\n'), 1 + 3 + 256 + 1);
  EXPECT_NE(t.find("\r\n5A5A5A5A5A5A\r\n0707070707\r\nS>"), std::string::npos);

  InstrumentInfo bpr;
  bpr.tgr77 = true;
  bpr.recordSize = 17;
  std::vector<uint8_t> b(17 * 2 + 3, 0xFF);
  t = ImageToHexLines(b.data(), b.size(), bpr);
  EXPECT_EQ(std::count(t.begin(), t.end(), '\n'), 4);  // DD, two records, the short rest
}

}  // namespace
}  // namespace tidora
