#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "datafile/writers.h"
#include "testing/test_support.h"
#include "wave/synthetic_sea.h"
#include "wave/wave_math.h"

namespace tidora {
namespace {

using testing::ProgramPath;
using testing::ReadFile;
using testing::RunCommand;
using testing::TempDir;
using testing::TempHome;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// A deployment at 10 m on the bottom: `bursts` bursts of 2048 samples at 2 Hz of a sea with
// significant height 1.5 m and peak period 8 s, turned into pressure by linear wave theory.
void WriteSeaFile(const std::string& path, int bursts, bool plus = true) {
  WaveBurstFileWriter w;
  ASSERT_TRUE(w.Open(path));
  if (plus) {
    ASSERT_TRUE(w.WriteIdentification());
  }
  const int n = 2048;
  const double dt = 0.5, depth = 10, rho = SeawaterDensity(35, 0);
  for (int b = 0; b < bursts; ++b) {
    auto sea = NarrowSea(1.5, 8.0, n * dt, 6, 7 + b);
    std::vector<float> p = SeaPressureBurst(sea, depth, depth, rho, n, dt);
    ASSERT_TRUE(w.WriteBurstHeader(b, 3600.0 * b, dt, n));
    for (int i = 0; i < n; i += 4) ASSERT_TRUE(w.WriteRow(p[i], p[i + 1], p[i + 2], p[i + 3]));
  }
  ASSERT_TRUE(w.Close());
}

class WavesCommand : public ::testing::Test {
 protected:
  int Run(const std::string& args) {
    out.clear();
    err.clear();
    return RunCommand(ProgramPath("tidora") + " waves " + args + " </dev/null", &out, &err);
  }
  bool Exists(const std::string& name) { return std::filesystem::exists(dir.file(name)); }

  TempHome home;
  TempDir dir;
  std::string out, err;
};

TEST_F(WavesCommand, KnownSeaStateGivesItsHeightAndPeriod) {
  WriteSeaFile(dir.file("sea.wb"), 4);
  ASSERT_EQ(Run(dir.file("sea.wb") + " --yes"), 0) << err;
  EXPECT_EQ(Lines(out), (std::vector<std::string>{dir.file("sea.was"), dir.file("sea.wts"),
                                                  dir.file("sea.rpt")}));
  EXPECT_NE(err.find("Verify Setup"), std::string::npos);
  EXPECT_NE(err.find("instrument depth = 10.000 meters"), std::string::npos) << err;

  auto was = Lines(ReadFile(dir.file("sea.was")));
  auto wts = Lines(ReadFile(dir.file("sea.wts")));
  ASSERT_EQ(wts.size(), 1u + 4 * 3);
  int bursts = 0;
  for (size_t i = 1; i < was.size(); ++i) {
    if (was[i].rfind("* ", 0) != 0) continue;
    std::istringstream line2(was[i + 1]);
    double bands, f1, df, e, energy, peak, hs;
    line2 >> bands >> f1 >> df >> e >> energy >> peak >> hs;
    // Every component sits at the centre of its band, so the spectrum gives the sea's height
    // to within the text's precision; measured 1.4996 m.
    EXPECT_NEAR(hs, 1.5, 0.015) << was[i + 1];
    EXPECT_NEAR(hs, 4 * std::sqrt(e), 1e-3);
    EXPECT_NEAR(peak, 8.0, 1e-3);
    // The zero-crossing statistics count about 128 waves of one record of a random sea: the
    // highest third varies from record to record by several percent (measured 1.42 to 1.53).
    std::istringstream stats(wts[1 + 3 * bursts + 2]), moments(wts[1 + 3 * bursts + 1]);
    double hmax, h13, t13, variance;
    stats >> hmax >> h13 >> t13;
    moments >> variance;
    EXPECT_NEAR(h13, 1.5, 0.15) << wts[1 + 3 * bursts + 2];
    EXPECT_NEAR(t13, 8.0, 0.5);
    EXPECT_NEAR(4 * std::sqrt(variance), 1.5, 0.045);
    ++bursts;
  }
  EXPECT_EQ(bursts, 4);
  auto rpt = Lines(ReadFile(dir.file("sea.rpt")));
  ASSERT_EQ(rpt.size(), 20u + 4);
  EXPECT_EQ(rpt[21].substr(0, 16), "01/01/2000 01:00");
  EXPECT_NEAR(std::stod(rpt[21].substr(17, 6)), 150, 3);  // Hs in centimetres
  EXPECT_EQ(rpt[21].substr(23, 8), "      8 ");           // peak period in seconds
}

TEST_F(WavesCommand, NamesOptionalFilesAndSettings) {
  WriteSeaFile(dir.file("sea.wb"), 2);
  std::filesystem::create_directory(dir.file("out"));
  ASSERT_EQ(Run(dir.file("sea.wb") + " --yes --output-dir " + dir.file("out") +
                " --name-append _b --set OutputSurfaceWT=1 --set OutputFFTtoWSS=1 --set "
                "NumberSpectralEstimates=8"),
            0)
      << err;
  for (const char* ext : {"was", "wts", "rpt", "wt", "wss"})
    EXPECT_TRUE(Exists(std::string("out/sea_b.") + ext)) << ext;
  EXPECT_NE(err.find("    8 spectral estimates per band"), std::string::npos);
  EXPECT_FALSE(Exists("sea.was"));
}

TEST_F(WavesCommand, SetupFileAndOverrides) {
  WriteSeaFile(dir.file("sea.wb"), 3);
  testing::WriteFile(dir.file("w.psa"),
                     "4  Process Wave Burst Data\r\n[PostProcPsu]\r\nNameAppend=_psa\r\n"
                     "[SwellcalcWPsu]\r\nHeight=0.5\r\nProcessBurstsToEnd=0\r\n"
                     "burstsToProcess=2\r\n");
  ASSERT_EQ(
      Run(dir.file("sea.wb") + " --yes --setup " + dir.file("w.psa") + " --set skipAtStart=1"), 0)
      << err;
  EXPECT_NE(err.find("total water depth = 10.500 meters"), std::string::npos) << err;
  auto wts = Lines(ReadFile(dir.file("sea_psa.wts")));
  ASSERT_EQ(wts.size(), 1u + 2 * 3);
  EXPECT_EQ(wts[1].substr(0, 7), "*    1 ");
  EXPECT_EQ(Run(dir.file("sea.wb") + " --yes --setup " + dir.file("missing.psa")), 1);
  EXPECT_NE(err.find("cannot be opened for reading"), std::string::npos);
}

TEST_F(WavesCommand, BadSettingsAreClearErrors) {
  WriteSeaFile(dir.file("sea.wb"), 1);
  EXPECT_EQ(Run(dir.file("sea.wb") + " --yes --set Hieght=3"), 2);
  EXPECT_NE(err.find("unknown setting \"Hieght\""), std::string::npos) << err;
  EXPECT_NE(err.find("WaterTemperature"), std::string::npos);
  EXPECT_EQ(Run(dir.file("sea.wb") + " --yes --set Height=tall"), 2);
  EXPECT_NE(err.find("Height: \"tall\" is not a number"), std::string::npos) << err;
  EXPECT_EQ(Run(dir.file("sea.wb") + " --yes --set burstsToProcess=0"), 2);
  // These spun for ever in the wave-number iteration or wrote no bands with status 0.
  for (const char* set : {"Height=nan", "WaterTemperature=inf", "AverageSalinity=1e308",
                          "NumberSpectralEstimates=0"}) {
    EXPECT_EQ(Run(dir.file("sea.wb") + " --yes --set " + set), 2) << set;
    const std::string key = std::string(set).substr(0, std::string(set).find('='));
    EXPECT_NE(err.find(key + ": "), std::string::npos) << err;
  }
  testing::WriteFile(dir.file("nan.psa"),
                     "4  Process Wave Burst Data\r\n[SwellcalcWPsu]\r\nHeight=nan\r\n");
  EXPECT_EQ(Run(dir.file("sea.wb") + " --yes --setup " + dir.file("nan.psa")), 1);
  EXPECT_NE(err.find("Height=nan: must be a finite number"), std::string::npos) << err;
  EXPECT_EQ(Run(dir.file("sea.wb") + " --yes --set InputDir=/x"), 2);
  EXPECT_EQ(Run(dir.file("missing.wb") + " --yes"), 1);
  EXPECT_FALSE(Exists("sea.was"));
}

TEST_F(WavesCommand, SampleErrorEndsWithStatusOneAndNoOutput) {
  WriteSeaFile(dir.file("sea.wb"), 2);
  EXPECT_EQ(Run(dir.file("sea.wb") + " --yes --set MinimumAllowableAttenuation=2"), 1);
  EXPECT_NE(err.find("Error --> not enough samples were taken.\n"
                     "All frequencies are greater than the high frequency cut off.\n"
                     "Please run PLAN41 and refer to section C2.1 in the manual."),
            std::string::npos)
      << err;
  EXPECT_FALSE(Exists("sea.was") || Exists("sea.wts") || Exists("sea.rpt"));
}

TEST_F(WavesCommand, WithoutYesNothingIsWrittenOrOverwritten) {
  WriteSeaFile(dir.file("sea.wb"), 1);
  EXPECT_EQ(Run(dir.file("sea.wb")), 1);  // the summary cannot be confirmed here
  EXPECT_NE(err.find("Is Setup OK?"), std::string::npos);
  EXPECT_NE(err.find("--yes"), std::string::npos);
  EXPECT_FALSE(Exists("sea.was"));
  testing::WriteFile(dir.file("sea.was"), "earlier run");
  EXPECT_EQ(Run(dir.file("sea.wb")), 1);
  EXPECT_NE(err.find("sea.was exists and was not overwritten"), std::string::npos) << err;
  EXPECT_EQ(ReadFile(dir.file("sea.was")), "earlier run");
  EXPECT_EQ(Run(dir.file("sea.wb") + " --yes"), 0);
  EXPECT_NE(ReadFile(dir.file("sea.was")), "earlier run");
}

TEST_F(WavesCommand, OlderRecorderFilesAndHelp) {
  WriteSeaFile(dir.file("old.wb"), 1, false);
  ASSERT_EQ(Run(dir.file("old.wb") + " --yes"), 0) << err;
  EXPECT_EQ(ReadFile(dir.file("old.was")).substr(0, 2), "* ");
  EXPECT_EQ(Lines(ReadFile(dir.file("old.rpt"))).at(20).substr(0, 16), "01/01/1989 00:00");
  EXPECT_EQ(Run("--help"), 0);
  EXPECT_NE(out.find("--set"), std::string::npos);
}

}  // namespace
}  // namespace tidora
