#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "convert/hex_decoder.h"
#include "convert/hex_lines.h"
#include "convert/tests/variants.h"
#include "sim/upload.h"

namespace tidora {
namespace {

std::vector<std::string> ReadAll(std::string_view text) {
  HexLineReader r;
  r.OpenMemory(text);
  std::vector<std::string> out;
  std::string_view line;
  while (r.ReadLine(line)) out.emplace_back(line);
  return out;
}

TEST(HexLineReader, LineEndsAndLimit) {
  auto lines = ReadAll("AB\r\nCD\n\r\nlast");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "AB\n");
  EXPECT_EQ(lines[1], "CD\n");
  EXPECT_EQ(lines[2], "\n");
  EXPECT_EQ(lines[3], "last");
  // A line longer than the limit comes back in pieces of 99 characters.
  std::string longLine(250, '7');
  lines = ReadAll(longLine + "\r\nX\n");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].size(), 99u);
  EXPECT_EQ(lines[1].size(), 99u);
  EXPECT_EQ(lines[2], std::string(52, '7') + "\n");
  EXPECT_EQ(lines[3], "X\n");
  // 98 characters and CR LF still make one line.
  lines = ReadAll(std::string(98, 'A') + "\r\n");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 99u);
}

TEST(HexLineReader, HexFields) {
  uint8_t b[6];
  DecodeHexBytes("0123456789AB\n", b, 6);
  EXPECT_EQ(U16(b), 0x0123u);
  EXPECT_EQ(U24(b), 0x012345u);
  EXPECT_EQ(U32(b + 2), 0x456789ABu);
  DecodeHexBytes("FF80\n", b, 6);  // past the line: zeros, never beyond the text
  EXPECT_EQ(b[0], 0xFF);
  EXPECT_EQ(b[1], 0x80);
  EXPECT_EQ(b[2], 0);
  EXPECT_EQ(b[5], 0);
  const uint8_t f[4] = {0x01, 0x02, 0x80, 0x40};
  EXPECT_DOUBLE_EQ(Fixed16_8(f), 258.5);
  EXPECT_DOUBLE_EQ(Fixed24_8(f), 65536 + 512 + 128 + 0.25);
  EXPECT_EQ(HexDigit('a'), 10);  // lower case reads as upper case
  EXPECT_EQ(HexDigit('f'), 15);
  EXPECT_EQ(HexDigit('g'), 0);
  EXPECT_EQ(HexDigit('F'), 15);
}

struct ScanCase {
  const char* name;
  std::string text;
  DecodeStatus status;
  InstrumentFamily family;
};

std::string PlusStatus(const std::string& id, const std::string& extra = "") {
  return "*Brennic TGR 41plus Data File:\n*FileName = /x/a.hex\n*Software Version 1.13\n*DS\r\n*" +
         id + "\r\n" + extra + "*measure waves every 4 tide samples\r\n" +
         "*1024 wave samples/burst at 2.00 scans/sec\r\n*tide measurements = 120\r\n" +
         "*wave bursts = 30\r\n*S>";
}

TEST(HeaderScan, Identification) {
  std::vector<ScanCase> cases = {
      {"none", "*Brennic TGR 41plus Data File:\n*FileName = x\n*Software Version 1.13\n",
       DecodeStatus::kNoInstrument, InstrumentFamily::kUnknown},
      {"plus", PlusStatus("TGR 41plus V 6.1 SN 1234"), DecodeStatus::kOk,
       InstrumentFamily::kTgr41plus},
      {"tidewell first", PlusStatus("TGR 41plus TIDEWELL V 3.0"), DecodeStatus::kOk,
       InstrumentFamily::kTidewell},
      {"bpr", "*TGR 77 BPR V 1.2\r\n*conductivity = YES\r\n*tide measurements = 77\r\n",
       DecodeStatus::kOk, InstrumentFamily::kTgr77Bpr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HexLineReader in;
    in.OpenMemory(c.text);
    CHexDecoder d;
    d.Reset(DefaultCoefficientsAtStart(), 2000, {});
    EXPECT_EQ(d.ScanHeader(in), c.status);
    EXPECT_EQ(d.Header().family, c.family);
  }
}

TEST(HeaderScan, FlagsAndCounts) {
  HexLineReader in;
  CHexDecoder d;
  d.Reset(DefaultCoefficientsAtStart(), 2000, {});
  in.OpenMemory(PlusStatus("TGR 41plus V 6.0a SN 35850",
                           "*strain gauge pressure sensor\r\n*CONDUCTIVITY = yes\r\n"));
  ASSERT_EQ(d.ScanHeader(in), DecodeStatus::kOk);
  const HeaderState& h = d.Header();
  EXPECT_TRUE(h.waveRateFix);  // 6.0a counts as 6.0
  EXPECT_TRUE(h.alternateTemperature);
  EXPECT_TRUE(h.strainGauge);
  EXPECT_TRUE(h.conductivity);
  EXPECT_EQ(h.samplesPerBurst, 1024);
  EXPECT_EQ(h.scanRate, 2.0);
  EXPECT_EQ(h.measurements, 120);
  EXPECT_EQ(h.bursts, 30);
  EXPECT_EQ(h.ProgressTotal(), 120 + 30 * (512 + 4));
  EXPECT_TRUE(d.ApplyWaveRateFix());
  EXPECT_EQ(d.Header().scanRate, 4.0);
  EXPECT_FALSE(d.ApplyWaveRateFix());  // once

  d.Reset(DefaultCoefficientsAtStart(), 2000, {});
  in.OpenMemory(PlusStatus("TGR 41plus V 6.1 SN 1"));
  ASSERT_EQ(d.ScanHeader(in), DecodeStatus::kOk);
  EXPECT_FALSE(d.Header().waveRateFix);
  EXPECT_FALSE(d.Header().alternateTemperature);
  EXPECT_FALSE(d.ApplyWaveRateFix());

  // The older recorder: its version, and bursts counted as measurements with "13186".
  d.Reset(DefaultCoefficientsAtStart(), 2000, {});
  in.OpenMemory(
      "*DS\r\n*TIDEWELL V 2.0 SN 13186\r\n*measure waves every 2 tide samples\r\n"
      "*512 wave samples/burst at 1.00 scans/sec\r\n*wave bursts = 12\r\n");
  ASSERT_EQ(d.ScanHeader(in), DecodeStatus::kOk);
  EXPECT_EQ(d.Header().tidewellVersion, 2.0);
  EXPECT_TRUE(d.Header().burstsAreMeasurements);
  EXPECT_EQ(d.Header().measurements, 12);
  EXPECT_EQ(d.Header().ProgressTotal(), 12 + 12 * 260);

  // A TGR 77 BPR status without the measurement count counts one.
  d.Reset(DefaultCoefficientsAtStart(), 2000, {});
  in.OpenMemory("*TGR 77 BPR V 1.2\r\n*nothing more\r\n");
  ASSERT_EQ(d.ScanHeader(in), DecodeStatus::kOk);
  EXPECT_EQ(d.Header().measurements, 1);
}

TEST(HeaderScan, MissingWaveRateIsAHeaderError) {
  HexLineReader in;
  CHexDecoder d;
  d.Reset(DefaultCoefficientsAtStart(), 2000, {});
  in.OpenMemory("*TGR 41plus V 6.1\r\n*measure waves every 4 tide samples\r\n*1024 samples\r\n");
  EXPECT_EQ(d.ScanHeader(in), DecodeStatus::kHeaderError);
  in.OpenMemory("*TGR 41plus V 6.1\r\n*no wave line\r\n");
  EXPECT_EQ(d.ScanHeader(in), DecodeStatus::kHeaderError);
}

std::string Coefficient(const std::string& key, double v) {
  return "*    " + key + " " + std::to_string(v) + "\r\n";
}

std::string BprCoefficients(bool withFra456) {
  std::string s =
      "*TGR 77 BPR V 1.2\r\n*tide measurements = 3\r\n*tsunami demo = on\r\n*S>DC\r\n"
      "*Pressure S/N 123\r\n";
  const char* quartz[] = {"U0 =", "Y1 =", "Y2 =", "Y3 =", "C1 =", "C2 =", "C3 =",
                          "D1 =", "D2 =", "T1 =", "T2 =", "T3 =", "T4 =", "OFFSET ="};
  double v = 1;
  for (const char* k : quartz) s += Coefficient(k, v++);
  for (int i = 0; i < (withFra456 ? 7 : 4); ++i)
    s += Coefficient("FRA" + std::to_string(i) + " =", 10 + i);
  s += "*Temperature:\r\n";
  for (int i = 0; i < 4; ++i) s += Coefficient("TA" + std::to_string(i) + " =", 20 + i);
  return s + "*S>DD\r\n";
}

TEST(Coefficients, ReferenceOscillatorVariants) {
  for (bool full : {true, false}) {
    SCOPED_TRACE(full);
    HexLineReader in;
    in.OpenMemory(BprCoefficients(full));
    CHexDecoder d;
    d.Reset(DefaultCoefficientsAtStart(), 2000, {});
    ASSERT_EQ(d.ScanHeader(in), DecodeStatus::kOk);
    EXPECT_EQ(d.Header().measurements, 3);
    ASSERT_TRUE(d.ReadCoefficients(in));
    const HeaderCoefficients& c = d.Coefficients();
    EXPECT_TRUE(d.Header().tsunami);
    EXPECT_EQ(d.Header().recordLength, 25);
    EXPECT_EQ(c.quartz.U0, 1);
    EXPECT_EQ(c.quartz.T4, 13);
    EXPECT_EQ(c.offset, 14);
    EXPECT_EQ(c.fra[3], 13);
    EXPECT_EQ(c.fra[6], full ? 16 : 0);
    EXPECT_EQ(c.ta[0], 20);
    EXPECT_EQ(c.ta[3], 23);
  }
}

TEST(Coefficients, KeyMismatchIsAnError) {
  std::string text = BprCoefficients(true);
  text.replace(text.find("C2 ="), 4, "C9 =");
  HexLineReader in;
  in.OpenMemory(text);
  CHexDecoder d;
  d.Reset(DefaultCoefficientsAtStart(), 2000, {});
  ASSERT_EQ(d.ScanHeader(in), DecodeStatus::kOk);
  EXPECT_FALSE(d.ReadCoefficients(in));
  EXPECT_EQ(d.Coefficients().quartz.C1, 5);  // read before the bad line
  EXPECT_EQ(d.Header().recordLength, 25);    // the layout is still known
}

// Where each key's value belongs.
double KeyValue(const HeaderCoefficients& c, const std::string& key) {
  const QuartzCoefficients& q = c.quartz;
  const StrainGaugeCoefficients& g = c.strain;
  const std::map<std::string, double> fields = {{"U0", q.U0},
                                                {"Y1", q.Y1},
                                                {"Y2", q.Y2},
                                                {"Y3", q.Y3},
                                                {"C1", q.C1},
                                                {"C2", q.C2},
                                                {"C3", q.C3},
                                                {"D1", q.D1},
                                                {"D2", q.D2},
                                                {"T1", q.T1},
                                                {"T2", q.T2},
                                                {"T3", q.T3},
                                                {"T4", q.T4},
                                                {"T5", q.T5},
                                                {"PA0", g.PA0},
                                                {"PA1", g.PA1},
                                                {"PA2", g.PA2},
                                                {"PTCA0", g.PTCA0},
                                                {"PTCA1", g.PTCA1},
                                                {"PTCA2", g.PTCA2},
                                                {"PTCB0", g.PTCB0},
                                                {"PTCB1", g.PTCB1},
                                                {"PTCB2", g.PTCB2},
                                                {"PTEMPA0", g.PTEMPA0},
                                                {"PTEMPA1", g.PTEMPA1},
                                                {"PTEMPA2", g.PTEMPA2},
                                                {"M", c.M},
                                                {"B", c.B},
                                                {"OFFSET", c.offset},
                                                {"FRA0", c.fra[0]},
                                                {"FRA1", c.fra[1]},
                                                {"FRA2", c.fra[2]},
                                                {"FRA3", c.fra[3]},
                                                {"FRA4", c.fra[4]},
                                                {"FRA5", c.fra[5]},
                                                {"FRA6", c.fra[6]},
                                                {"TA0", c.ta[0]},
                                                {"TA1", c.ta[1]},
                                                {"TA2", c.ta[2]},
                                                {"TA3", c.ta[3]},
                                                {"CG", c.cond.G},
                                                {"CH", c.cond.H},
                                                {"CI", c.cond.I},
                                                {"CJ", c.cond.J},
                                                {"CTCOR", c.cond.CTcor},
                                                {"CPCOR", c.cond.CPcor},
                                                {"CSLOPE", c.cslope},
                                                {"AI", c.AI},
                                                {"XI", c.XI}};
  auto it = fields.find(key);
  return it == fields.end() ? std::nan("") : it->second;
}

// Every coefficient line of every family and variant lands in its own field, and a line
// whose key is not the one expected there stops the reading.
TEST(Coefficients, EveryListedKeyLandsInItsFieldAndAWrongKeyStops) {
  for (const testing::Variant& v : testing::Variants()) {
    SCOPED_TRACE(v.name);
    const std::string text = sim::UploadFileText(sim::Simulate(v.options), "/tmp/a.hex");
    auto read = [&](const std::string& upload, HeaderCoefficients& out) {
      HexLineReader in;
      in.OpenMemory(upload);
      CHexDecoder d;
      d.Reset(DefaultCoefficientsAtStart(), 2000, {});
      EXPECT_EQ(d.ScanHeader(in), DecodeStatus::kOk);
      const bool ok = d.ReadCoefficients(in);
      out = d.Coefficients();
      return ok;
    };
    HeaderCoefficients c;
    ASSERT_TRUE(read(text, c));
    // "*" and four characters, then "KEY = value".
    const std::regex keyLine(R"(\n\*.{4}([A-Z][A-Z0-9]*) = ([^\r\n]+))");
    int keys = 0;
    for (std::sregex_iterator m(text.begin(), text.end(), keyLine), end; m != end; ++m) {
      const std::string key = (*m)[1];
      if (std::isnan(KeyValue(c, key))) continue;  // a status line of the same shape
      SCOPED_TRACE(key);
      ++keys;
      EXPECT_EQ(KeyValue(c, key), std::strtod((*m)[2].str().c_str(), nullptr));
      std::string renamed = text;
      renamed.replace(static_cast<size_t>(m->position(1)), key.size(), "QQ");
      HeaderCoefficients ignored;
      EXPECT_FALSE(read(renamed, ignored));
    }
    EXPECT_GE(keys, 14);
  }
}

TEST(OutputSwitches, FormsAndOrder) {
  OutputModes m;
  EXPECT_TRUE(ApplyOutputSwitch("/V", m));
  EXPECT_TRUE(m.thermistorVoltage);
  EXPECT_TRUE(ApplyOutputSwitch("-t", m));
  EXPECT_EQ(m.bpr, BprLayout::kFrequencies);
  EXPECT_TRUE(ApplyOutputSwitch("/D", m));
  EXPECT_EQ(m.bpr, BprLayout::kRawCounts);
  EXPECT_TRUE(ApplyOutputSwitch("-T", m));  // the later one wins
  EXPECT_EQ(m.bpr, BprLayout::kFrequencies);
  EXPECT_FALSE(ApplyOutputSwitch("-x", m));
  EXPECT_FALSE(ApplyOutputSwitch("-tv", m));
  EXPECT_FALSE(ApplyOutputSwitch("t", m));
}

}  // namespace
}  // namespace tidora
