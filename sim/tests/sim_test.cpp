#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "convert/calibration.h"
#include "sim/recorder.h"
#include "sim/replies.h"
#include "sim/upload.h"

namespace tidora::sim {
namespace {

TEST(SimWaves, DispersionLimits) {
  const double g = 9.80665, w = 2 * M_PI * 0.1;
  EXPECT_NEAR(WaveNumber(0.1, 1000), w * w / g, 1e-9);
  EXPECT_NEAR(WaveNumber(0.01, 1.0), 2 * M_PI * 0.01 / std::sqrt(g), 1e-4);
  EXPECT_NEAR(BottomPressureResponse(0.5, 100), 0.0, 1e-9);  // short waves never reach the bottom
  EXPECT_GT(BottomPressureResponse(0.02, 10), 0.99);
}

TEST(SimWaves, BurstPressureFollowsTheSeaState) {
  Options o;
  o.tideSamples = 40;
  o.samplesPerBurst = 2048;
  o.tideAmplitude = 0;
  Deployment d = Simulate(o);
  ASSERT_EQ(d.bursts.size(), 10u);
  double sum = 0, sum2 = 0;
  size_t n = 0;
  for (const Burst& b : d.bursts)
    for (double p : b.pressure) sum += p, sum2 += p * p, ++n;
  double mean = sum / n, sd = std::sqrt(sum2 / n - mean * mean);
  const double psiPerMetre = 1025 * 9.80665 / 6894.757;
  EXPECT_NEAR(mean, 14.7 + o.depth * psiPerMetre, 0.02);
  // Hs 1.5 m at 8 s, seen through 10 m of water: about 1 m of pressure head at the bottom.
  double hsBottom = 4 * sd / psiPerMetre;
  EXPECT_GT(hsBottom, 0.8);
  EXPECT_LT(hsBottom, 1.3);
  Options calm = o;
  calm.waveHeight = 0;
  Deployment still = Simulate(calm);
  for (double p : still.bursts[0].pressure) EXPECT_EQ(p, still.bursts[0].pressure[0]);
}

TEST(SimCalibration, InversesUndoTheEquations) {
  Deployment d = Simulate(Options{});
  const HeaderCoefficients& c = d.coef;
  PressureCorrection corr{1.01, -0.2};
  for (double T : {-2.0, 5.0, 12.0, 28.0}) {
    double ft = QuartzTemperatureFrequencyFor(T, c.quartz);
    EXPECT_NEAR(QuartzTemperature(ft, c.quartz), T, 1e-9);
    EXPECT_NEAR(ThermistorTemperature(ThermistorValueFor(T, c.ta), c.ta), T, 1e-9);
    double t = StrainTemperatureNumberFor(T, c.strain);
    for (double P : {14.7, 29.3, 150.0}) {
      EXPECT_NEAR(QuartzPressure(QuartzPressureFrequencyFor(P, ft, c.quartz, 0.5, corr), ft,
                                 c.quartz, 0.5, corr),
                  P, 1e-8);
      EXPECT_NEAR(StrainGaugePressure(StrainPressureNumberFor(P, t, c.strain, 0.5, corr), t,
                                      c.strain, 0.5, corr),
                  P, 1e-8);
      EXPECT_NEAR(PressureFromNumber(PressureNumberFor(P, 300, 1000, corr), 300, 1000, corr), P,
                  1e-9);
      double f = ConductivityFrequencyFor(4.2, T, SeaPressureDbar(P), c.cond, 1.1, 0.05);
      EXPECT_NEAR(Conductivity(f, T, SeaPressureDbar(P), c.cond, 1.1, 0.05), 4.2, 1e-9);
    }
    int n = TidewellThermistorNumberFor(T, c.AI, c.XI, 1.129e-3, 2.341e-4, 8.775e-8);
    EXPECT_NEAR(TidewellThermistorTemperature(n, c.AI, c.XI, 1.129e-3, 2.341e-4, 8.775e-8), T,
                0.03);
  }
}

TEST(SimUpload, HexLinesOfABinaryImage) {
  // A time-stamp marker makes every following TGR 41plus record 9 bytes long.
  std::vector<uint8_t> image = {0xFF, 0xFF, 0xFF, 0xFF, 0xFB, 1, 2, 3, 4};
  for (int i = 0; i < 4 * 9; ++i) image.push_back(static_cast<uint8_t>(i + 1));
  ImageLayout plus{5, true, false};
  std::string text = ImageToHexLines(image.data(), image.size(), plus, "\n");
  EXPECT_EQ(text.substr(0, 22), "DD\nFFFFFFFFFB01020304\n");
  EXPECT_EQ(text.substr(text.size() - 21), "1C1D1E1F2021222324\nS>");

  // A burst whose records carry 0x02 and 0x00 in byte 4: 256 lines of 6 bytes (512 samples).
  image.assign(5, 0);
  image.insert(image.end(), {0, 0, 0, 1, 0x02});
  image.insert(image.end(), {0, 0, 0, 2, 0x00});
  image.insert(image.end(), 256 * 6, 0x11);
  image.insert(image.end(), {9, 9, 9, 9, 9});
  text = ImageToHexLines(image.data(), image.size(), plus, "\n");
  size_t six = 0, pos = 0;
  while ((pos = text.find("111111111111\n", pos)) != std::string::npos) ++six, pos += 13;
  EXPECT_EQ(six, 256u);
  EXPECT_EQ(text.substr(text.size() - 13), "0909090909\nS>");

  // The TGR 77 BPR: fixed records; a short tail is written as it is.
  image.assign(17 * 2 + 3, 0xAB);
  ImageLayout bpr{17, false, false};
  text = ImageToHexLines(image.data(), image.size(), bpr, "\r\n");
  std::string record;
  for (int i = 0; i < 17; ++i) record += "AB";
  EXPECT_EQ(text, "DD\r\n" + record + "\r\n" + record + "\r\nABABAB\r\nS>");
}

// The status reply read with the terminal's rules: the texts have to say what they mean there.
TEST(SimReplies, StatusReadsBackWithTheTerminalsRules) {
  Options o;
  o.samplesPerBurst = 2048;
  o.tideSamples = 100;
  o.conductivity = true;
  Deployment d = Simulate(o);
  std::string r = StatusReply(d);
  auto intAfter = [&](const char* key, size_t skip) {
    size_t p = r.find(key);
    return p == std::string::npos ? -1L : std::strtol(r.c_str() + p + skip, nullptr, 10);
  };
  EXPECT_EQ(intAfter("samples", 9), 2048);
  EXPECT_EQ(intAfter("measurements =", 14), 100);
  EXPECT_EQ(intAfter("bursts =", 8), 25);
  size_t v = r.find('V');
  ASSERT_NE(v, std::string::npos);
  EXPECT_EQ(r.substr(v, 5), "V 6.2");  // a firmware that takes the clock setting
  EXPECT_NE(r.find("conductivity = YES"), std::string::npos);
  EXPECT_EQ(r.find("logdata = YES"), std::string::npos);
  EXPECT_EQ(r.substr(0, 4), "DS\r\n");
  EXPECT_EQ(r.substr(r.size() - 2), "S>");
  EXPECT_NE(r.find("plus"), std::string::npos);

  o.family = Family::kTgr77Bpr;
  o.tsunami = true;
  r = StatusReply(Simulate(o));
  EXPECT_NE(r.find("TGR 77 BPR"), std::string::npos);
  EXPECT_NE(r.find("tsunami demo"), std::string::npos);
  EXPECT_EQ(r.substr(r.find('V'), 5), "V 1.2");

  // Every line of both sections in the upload file begins with "*".
  std::string sections = StatusSection(StatusReply(d)) + CoefficientSection(CoefficientReply(d));
  for (size_t p = 0; p < sections.size(); p = sections.find('\n', p) + 1) {
    EXPECT_EQ(sections[p], '*') << sections.substr(p, 20);
    if (sections.find('\n', p) == std::string::npos) break;
  }
}

}  // namespace
}  // namespace tidora::sim
