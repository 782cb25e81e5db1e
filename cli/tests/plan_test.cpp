#include <gtest/gtest.h>

#include <sstream>

#include "platform/settings_dir.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

using testing::ProgramPath;
using testing::RunCommand;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(PlanCommand, DefaultsWithoutSettings) {
  testing::TempHome home;
  std::string out, err;
  ASSERT_EQ(RunCommand(ProgramPath("tidora") + " plan", &out, &err), 0) << err;
  auto lines = SplitLines(out);
  ASSERT_EQ(lines.size(), 3u) << out;
  EXPECT_NE(lines[0].find(" Bands Calculated"), std::string::npos);
  EXPECT_EQ(lines[1], "Band Width (Hz): 0.0391");
  EXPECT_EQ(lines[2].rfind("Frequency Span (Hz): 0.0215 - ", 0), 0u);
}

TEST(PlanCommand, OptionsAndSettingsFile) {
  testing::TempHome home;
  testing::WriteFile(SettingsFile("TidoraWaves.ini"),
                     "[PlanDeployment]\r\nSpectralEstimatesPerBand=8\r\nSampleInterval=0.5\r\n");
  std::string out, err;
  // The file's 8 estimates at 0.5 s over 512 samples: 8 / 256 s.
  ASSERT_EQ(RunCommand(ProgramPath("tidora") + " plan --samples 512", &out, &err), 0) << err;
  EXPECT_EQ(SplitLines(out).at(1), "Band Width (Hz): 0.0312");
  // One sample: no bands.
  ASSERT_EQ(RunCommand(ProgramPath("tidora") + " plan --samples 1 --estimates 10", &out, &err), 0);
  EXPECT_EQ(out,
            "0 Bands Calculated\nBand Width (Hz): 20.0000\nFrequency Span (Hz): 0.0000 - 0.0000\n");
  // The command only stores its values when asked.
  EXPECT_EQ(testing::ReadFile(SettingsFile("TidoraWaves.ini")).find("Number"), std::string::npos);
  ASSERT_EQ(RunCommand(ProgramPath("tidora") + " plan --depth 12 --save", &out, &err), 0);
  std::string ini = testing::ReadFile(SettingsFile("TidoraWaves.ini"));
  EXPECT_NE(ini.find("WaterDepth=12.000000"), std::string::npos) << ini;
  EXPECT_NE(ini.find("NumberofPointsPerWaveBurst=1024"), std::string::npos) << ini;
}

TEST(PlanCommand, Curve) {
  testing::TempHome home;
  std::string out, err;
  ASSERT_EQ(RunCommand(ProgramPath("tidora") + " plan --depth 10 --height 1 --curve", &out, &err),
            0)
      << err;
  auto lines = SplitLines(out);
  ASSERT_EQ(lines.size(), 103u);
  EXPECT_EQ(lines[3].rfind("0.25 ", 0), 0u);
  EXPECT_EQ(lines[102].rfind("25.00 0.9", 0), 0u) << lines[102];
  double previous = -1;
  for (size_t i = 3; i < lines.size(); ++i) {
    double period = 0, attenuation = 0;
    ASSERT_EQ(std::sscanf(lines[i].c_str(), "%lf %lf", &period, &attenuation), 2) << lines[i];
    EXPECT_DOUBLE_EQ(period, 0.25 * static_cast<double>(i - 2));
    EXPECT_GE(attenuation, previous);
    previous = attenuation;
  }
}

TEST(PlanCommand, BadValuesAreUsageErrors) {
  testing::TempHome home;
  std::string out, err;
  EXPECT_NE(RunCommand(ProgramPath("tidora") + " plan --depth deep", &out, &err), 0);
  EXPECT_TRUE(out.empty());
  EXPECT_NE(err.find("--depth"), std::string::npos) << err;
}

}  // namespace
}  // namespace tidora

namespace tidora {
namespace {

// Every usage error, CLI11's own and the values without physical sense, exits 2 with the
// message and a hint to --help.
TEST(UsageErrors, ExitTwoWithTheMessageAndAHintToHelp) {
  testing::TempHome home;
  const struct {
    const char* args;
    const char* message;
  } cases[] = {
      {"plan --bogus", "--bogus"},
      {"plan --depth abc", "abc"},
      {"plan --depth -3", "--depth: -3 must be greater than 0"},
      {"plan --sample-period -0.5", "--sample-period: -0.5 must be greater than 0"},
      {"plan --estimates 0", "--estimates: 0 must be greater than 0"},
      {"plan --height -1", "--height: -1 is negative"},
      {"endurance --type 1 --interval -5", "--interval: -5 is negative"},
      {"endurance --type 9", "--type"},
      {"endurance --type 4 --samples 512", "--samples does not apply to type 4"},
      {"waves", "input is required"},
      {"", "A subcommand is required"},
  };
  for (const auto& c : cases) {
    std::string out, err;
    EXPECT_EQ(RunCommand(ProgramPath("tidora") + " " + c.args, &out, &err), 2) << c.args;
    EXPECT_NE(err.find(c.message), std::string::npos) << c.args << "\n" << err;
    EXPECT_NE(err.find("--help"), std::string::npos) << c.args << "\n" << err;
    EXPECT_NE(err.find("for more information"), std::string::npos) << c.args << "\n" << err;
  }
  std::string out;
  EXPECT_EQ(RunCommand(ProgramPath("tidora") + " plan --help", &out), 0);
}

}  // namespace
}  // namespace tidora
