#include <gtest/gtest.h>

#include <clocale>

#include "convert/coefficient_file.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

using testing::ReadFile;
using testing::TempHome;
using testing::WriteFile;

std::string Lines(int count) {
  std::string s = "/home/user/\n";
  for (int i = 0; i < count; ++i) s += std::to_string(i) + ".5 trailing words\n";
  return s;
}

TEST(CoefficientFile, StrictReading) {
  TempHome home;
  CoefficientFile f;
  EXPECT_EQ(ReadCoefficientFileStrict(CoefficientFilePath(), f),
            CoefficientFileStatus::kCannotOpen);
  WriteFile(CoefficientFilePath(), Lines(16));  // ends before line 18
  EXPECT_EQ(ReadCoefficientFileStrict(CoefficientFilePath(), f), CoefficientFileStatus::kTooShort);
  WriteFile(CoefficientFilePath(), Lines(17));
  ASSERT_EQ(ReadCoefficientFileStrict(CoefficientFilePath(), f), CoefficientFileStatus::kOk);
  EXPECT_EQ(f.slots[0], "0.5");  // first word only
  EXPECT_DOUBLE_EQ(f.Value(kSlotSlopeCorrection), 3.5);
  EXPECT_DOUBLE_EQ(f.Value(kSlotConductivityOffset), 16.5);
  EXPECT_DOUBLE_EQ(f.Pressure().offset, 4.5);
  EXPECT_DOUBLE_EQ(f.Conductivity().CTcor, 14.5);
  EXPECT_DOUBLE_EQ(f.Conductivity().CPcor, 13.5);
  // CR LF line ends read the same.
  std::string crlf;
  for (char c : Lines(17)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  WriteFile(CoefficientFilePath(), crlf);
  ASSERT_EQ(ReadCoefficientFileStrict(CoefficientFilePath(), f), CoefficientFileStatus::kOk);
  EXPECT_EQ(f.slots[16], "16.5");
}

TEST(CoefficientFile, DialogLoadingDefaults) {
  TempHome home;
  CoefficientFile f = DefaultCoefficientsAtStart();
  EXPECT_EQ(f.slots[kSlotCPcor], "-9.57e-08");
  EXPECT_EQ(f.slots[kSlotCTcor], "3.25e-06");
  f.slots[kSlotA0] = "7";
  // Missing: the slots keep their values.
  EXPECT_EQ(LoadCoefficientFile(CoefficientFilePath(), f), CoefficientFileStatus::kCannotOpen);
  EXPECT_EQ(f.slots[kSlotA0], "7");
  // Short: every slot takes the short-file default.
  WriteFile(CoefficientFilePath(), Lines(5));
  EXPECT_EQ(LoadCoefficientFile(CoefficientFilePath(), f), CoefficientFileStatus::kTooShort);
  EXPECT_EQ(f.slots, DefaultCoefficientsForShortFile().slots);
  EXPECT_EQ(f.slots[kSlotCPcor], "0.000000");
  EXPECT_EQ(f.slots[kSlotPort], "COM1");
}

TEST(CoefficientFile, WriteAndReadBack) {
  TempHome home;
  CoefficientFile f = DefaultCoefficientsAtStart();
  f.folder = "/data/ini";
  f.SetValue(kSlotA3, 8.775e-08);
  ASSERT_TRUE(WriteCoefficientFile(CoefficientFilePath(), f));
  std::string text = ReadFile(CoefficientFilePath());
  EXPECT_EQ(text.substr(0, 21), "/data/ini/\nCOM1\n9600\n");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 18);
  CoefficientFile back;
  ASSERT_EQ(ReadCoefficientFileStrict(CoefficientFilePath(), back), CoefficientFileStatus::kOk);
  EXPECT_EQ(back.slots, f.slots);
  EXPECT_DOUBLE_EQ(back.Value(kSlotA3), 8.775e-08);
  // An unwritable place fails and says so.
  EXPECT_FALSE(WriteCoefficientFile(home.file("no/such/dir/CNVHex.ini"), f));
}

// A desktop program may run under a locale with a decimal comma: the values still read.
TEST(CoefficientFile, ValuesReadWhateverTheLocale) {
  CoefficientFile f = DefaultCoefficientsAtStart();
  f.slots[kSlotSlopeCorrection] = "1.0025";
  f.slots[kSlotOffsetCorrection] = "-0.5";
  const char* previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  if (!previous) GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
  const double slope = f.Value(kSlotSlopeCorrection), offset = f.Value(kSlotOffsetCorrection);
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(slope, 1.0025);
  EXPECT_EQ(offset, -0.5);
}

TEST(ConvertSettings, DefaultsAndRoundTrip) {
  TempHome home;
  ConvertSettings s = LoadConvertSettings();
  EXPECT_EQ(s.startYear, 2000);
  EXPECT_EQ(s.hexFile, "");
  s = {"/d/a.hex", "/d/a.tid", "/d/a.wb", 1996};
  ASSERT_TRUE(SaveConvertSettings(s));
  ConvertSettings back = LoadConvertSettings();
  EXPECT_EQ(back.hexFile, "/d/a.hex");
  EXPECT_EQ(back.tidOutputFile, "/d/a.tid");
  EXPECT_EQ(back.wbOutputFile, "/d/a.wb");
  EXPECT_EQ(back.startYear, 1996);
  EXPECT_NE(ReadFile(home.file("TidoraWaves.ini")).find("[ConvertHEX]"), std::string::npos);
}

}  // namespace
}  // namespace tidora
