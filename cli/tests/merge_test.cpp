#include <gtest/gtest.h>

#include <sstream>

#include "testing/test_support.h"

namespace tidora {
namespace {

using testing::ProgramPath;
using testing::ReadFile;
using testing::RunCommand;
using testing::WriteFile;

const std::string kTide =
    "     1   03/01/2005 00:00:00    24.7000     20.000\r\n"
    "     2   03/01/2005 00:30:00    25.7000     20.000\r\n"
    "     3   03/01/2005 01:00:00    26.7000     20.000\r\n";
const std::string kBaro = "3/1/05 0:00:00 1013.25\n3/1/05 1:00:00 1013.25\n";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class MergeCommand : public ::testing::Test {
 protected:
  MergeCommand() {
    WriteFile(tide, kTide);
    WriteFile(baro, kBaro);
  }
  int Run(const std::string& args) {
    return RunCommand(ProgramPath("tidora") + " merge " + args + " < /dev/null", &out, &err);
  }
  testing::TempHome home;
  testing::TempDir dir;
  std::string tide = dir.file("dep.tid");
  std::string baro = dir.file("dep.bp");
  std::string out, err;
};

TEST_F(MergeCommand, RefusesToReplaceTheTideFileWithoutYes) {
  EXPECT_EQ(Run(tide + " " + baro), 1);
  EXPECT_NE(err.find("Is it OK to overwrite " + tide + "?"), std::string::npos) << err;
  EXPECT_NE(err.find("tidora merge: " + tide + " exists and was not overwritten"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("--yes"), std::string::npos) << err;
  EXPECT_EQ(ReadFile(tide), kTide);

  ASSERT_EQ(Run(baro + " " + tide + " --yes --set BarometricPressureUnits=1"), 0) << err;
  EXPECT_EQ(out, tide + "\n");
  auto lines = Lines(ReadFile(tide));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], std::string(31, ' ') + "Meters      Deg C\r");
  EXPECT_EQ(lines[1], "     1   03/01/2005 00:00:00     6.8466     20.000\r");
}

TEST_F(MergeCommand, SettingsFromTheSetupFileAndTheCommandLine) {
  WriteFile(dir.file("m.psa"),
            "3  Merge Barometric Pressure\r\n[BaroblendPsu]\r\nBarometricPressureUnits=1\r\n"
            "ConvertToWaterDepth=1\r\n");
  const std::string merged = dir.file("out/psi.tid");
  ASSERT_EQ(RunCommand("mkdir " + dir.file("out")), 0);
  ASSERT_EQ(Run(tide + " " + baro + " --setup " + dir.file("m.psa") +
                " --set ConvertToWaterDepth=0 --output " + merged),
            0)
      << err;
  auto lines = Lines(ReadFile(merged));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], std::string(34, ' ') + "PSI      Deg C\r");
  EXPECT_EQ(lines[2], "     2   03/01/2005 00:30:00    11.0041     20.000\r");
  EXPECT_EQ(ReadFile(tide), kTide);
}

TEST_F(MergeCommand, ClearErrorsForBadInputAndSettings) {
  EXPECT_EQ(Run(tide + " " + baro + " --set Gravity=fast --yes"), 2);
  EXPECT_NE(err.find("Gravity"), std::string::npos) << err;
  EXPECT_EQ(Run(tide + " " + baro + " --set BarometricPressureUnits=2 --yes"), 2);
  // A gravity of 0 divided the depth by zero and wrote inf.
  EXPECT_EQ(Run(tide + " " + baro + " --set Gravity=0 --yes"), 2);
  EXPECT_NE(err.find("Gravity: must not be less than 1"), std::string::npos) << err;
  EXPECT_EQ(Run(tide + " " + baro + " --set AverageDensity=nan --yes"), 2);
  EXPECT_NE(err.find("AverageDensity: \"nan\" is not a finite number"), std::string::npos) << err;
  WriteFile(dir.file("g.psa"), "3  Merge Barometric Pressure\r\n[BaroblendPsu]\r\nGravity=0\r\n");
  EXPECT_EQ(Run(tide + " " + baro + " --setup " + dir.file("g.psa") + " --yes"), 1);
  EXPECT_NE(err.find("Gravity=0: must not be less than 1"), std::string::npos) << err;
  EXPECT_EQ(Run(tide + " " + baro + " --set Height=1 --yes"), 2);
  WriteFile(dir.file("two.tid"), kTide);
  EXPECT_EQ(Run(tide + " " + dir.file("two.tid") + " --yes"), 1);
  EXPECT_NE(err.find("Cannot select more than one file with .tid extension"), std::string::npos)
      << err;
  WriteFile(baro, "");
  EXPECT_EQ(Run(tide + " " + baro + " --yes"), 1);
  EXPECT_NE(err.find("No data in file: " + baro), std::string::npos) << err;
  EXPECT_EQ(ReadFile(tide), kTide);
  EXPECT_EQ(Run("--help"), 0);
  EXPECT_NE(out.find("BarometricPressureUnits"), std::string::npos);
}

}  // namespace
}  // namespace tidora
