// tidora recorder-sim and tidora convert, end to end through the program.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "sim/recorder.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

using testing::ProgramPath;
using testing::ReadFile;
using testing::RunCommand;
using testing::TempDir;

struct Cli : ::testing::Test {
  TempDir dir;
  std::string Tidora(const std::string& args) {
    return "TIDORA_HOME='" + dir.path() + "' '" + ProgramPath("tidora") + "' " + args;
  }
  int Run(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    return RunCommand(Tidora(args) + " </dev/null", out, err);
  }
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string l;
  while (std::getline(in, l)) out.push_back(l);
  return out;
}

TEST_F(Cli, SimulateAndConvertGiveBackThePhysicalValues) {
  std::string hex = dir.file("dep.hex");
  ASSERT_EQ(Run("recorder-sim --conductivity --tide-samples 40 --samples-per-burst 256 --seed 7 "
                "--output '" +
                hex + "'"),
            0);
  std::string out, err;
  ASSERT_EQ(Run("convert '" + hex + "'", &out, &err), 0) << err;
  EXPECT_NE(out.find("40 records"), std::string::npos) << out;
  EXPECT_NE(out.find("10 bursts"), std::string::npos) << out;

  sim::Options o;
  o.conductivity = true;
  o.tideSamples = 40;
  o.samplesPerBurst = 256;
  o.seed = 7;
  sim::Deployment d = sim::Simulate(o);
  auto tid = Lines(ReadFile(dir.file("dep.tid")));
  ASSERT_EQ(tid.size(), 40u);
  for (size_t i = 0; i < tid.size(); ++i) {
    long n;
    int mo, da, yr, hh, mi, ss;
    double p, t, c, s;
    ASSERT_EQ(std::sscanf(tid[i].c_str(), "%ld %d/%d/%d %d:%d:%d %lf %lf %lf %lf", &n, &mo, &da,
                          &yr, &hh, &mi, &ss, &p, &t, &c, &s),
              11);
    EXPECT_NEAR(p, d.tides[i].pressure, 1e-4);
    EXPECT_NEAR(t, d.tides[i].temperature, 1e-3);
    EXPECT_NEAR(c, d.tides[i].conductivity, 1e-4);
  }
  auto wb = Lines(ReadFile(dir.file("dep.wb")));
  ASSERT_EQ(wb.size(), 1u + 10 * (1 + 64));
  double a[4];
  ASSERT_EQ(std::sscanf(wb[2].c_str(), "%lf %lf %lf %lf", a, a + 1, a + 2, a + 3), 4);
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(a[k], d.bursts[0].pressure[k], 3e-3);
}

TEST_F(Cli, MissingCoefficientFileAndHelp) {
  std::string hex = dir.file("x.hex");
  ASSERT_EQ(Run("recorder-sim --tide-samples 4 --coefficients '" + dir.file("elsewhere.ini") +
                "' --output '" + hex + "'"),
            0);
  std::string out, err;
  EXPECT_EQ(Run("convert '" + hex + "'", &out, &err), 1);
  EXPECT_NE(err.find("Could not open cnvhex.ini, please re-enter coefficients"), std::string::npos)
      << err;
  EXPECT_EQ(Run("convert --help", &out, &err), 0);
  EXPECT_NE(out.find("recorder-sim"), std::string::npos);
  EXPECT_NE(out.find("CNVHex.ini"), std::string::npos);
  EXPECT_EQ(Run("recorder-sim --help", &out, &err), 0);
  for (const char* opt :
       {"--family", "--conductivity", "--strain", "--time-stamped", "--tsunami", "--tide-samples",
        "--bursts", "--samples-per-burst", "--sample-period", "--depth", "--height", "--period",
        "--seed", "--output", "--coefficients"})
    EXPECT_NE(out.find(opt), std::string::npos) << opt;
}

TEST_F(Cli, StartYearOutOfRange) {
  std::string hex = dir.file("t.hex");
  ASSERT_EQ(Run("recorder-sim --family TGR41 --tide-samples 8 --output '" + hex + "'"), 0);
  std::string out, err;
  EXPECT_EQ(Run("convert '" + hex + "' --start-year 1989", &out, &err), 1);
  EXPECT_NE(err.find("Start year 1989 is out of range (1990 to 2100)"), std::string::npos) << err;
  EXPECT_EQ(Run("convert '" + hex + "' --start-year 1996", &out, &err), 0) << err;
  EXPECT_NE(ReadFile(dir.file("t.tid")).find("/1996 "), std::string::npos);
}

TEST_F(Cli, BprSwitchesLaterOneWins) {
  std::string hex = dir.file("b.hex");
  ASSERT_EQ(Run("recorder-sim --family TGR77 --tsunami --tide-samples 6 --output '" + hex + "'"),
            0);
  std::string out, err;
  ASSERT_EQ(Run("convert '" + hex + "' -t /D", &out, &err), 0) << err;
  auto raw = Lines(ReadFile(dir.file("b.tid")));
  ASSERT_EQ(raw.size(), 6u);
  EXPECT_EQ(raw[0].substr(0, 10), "4000000000");  // raw counts first, no record number
  ASSERT_EQ(Run("convert '" + hex + "' -d -T", &out, &err), 0) << err;
  auto freq = Lines(ReadFile(dir.file("b.tid")));
  EXPECT_EQ(freq[0].substr(0, 6), "     1");
  EXPECT_TRUE(std::ifstream(dir.file("b.ref")).good());
}

}  // namespace
}  // namespace tidora
