// `tidora report` and `tidora dump` on wave statistics files built byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "datafile/tests/wave_output_builders.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

struct ReportCommandTest : ::testing::Test {
  testing::TempDir dir;
  std::string was = dir.file("run.was"), wts = dir.file("run.wts");
  void SetUp() override {
    std::vector<testing::WasBurst> a(2);
    std::vector<testing::WtsBurst> b(2);
    for (int i = 0; i < 2; ++i) {
      a[i].burst = b[i].burst = i;
      a[i].start = b[i].start = 43200 + 86400L * i;
      a[i].sigHeight = 1.25 + i;
    }
    testing::WriteFile(was, testing::WasFileText(a, true));
    testing::WriteFile(wts, testing::WtsFileText(b, true));
  }
  int Run(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    return testing::RunCommand(testing::ProgramPath("tidora") + " report " + args + " </dev/null",
                               out, err);
  }
};

TEST_F(ReportCommandTest, WritesTheReportBesideTheInputs) {
  std::string out, err;
  ASSERT_EQ(Run(wts + " " + was +
                    " --set SelectedColumnItems=2,4,24 --set ColumnSeparator=2"
                    " --set LabelDataColumns=0 --set OutputHeaderInfo=0",
                &out, &err),
            0)
      << err;
  EXPECT_EQ(out, dir.file("run.r41") + "\n");
  EXPECT_EQ(testing::ReadFile(dir.file("run.r41")),
            "\r\n0;1.500000;1.250000e+00;\r\n1;2.500000;2.250000e+00;");

  // An existing report is kept unless --yes is given.
  EXPECT_EQ(Run(was + " " + wts + " --set SelectedColumnItems=2", &out, &err), 1);
  EXPECT_NE(err.find("--yes"), std::string::npos);
  EXPECT_EQ(
      Run(was + " " + wts + " --set SelectedColumnItems=2 --yes --output " + dir.file("b.r41"),
          &out, &err),
      0)
      << err;
  EXPECT_EQ(testing::ReadFile(dir.file("b.r41")).substr(0, 40),
            "# filename = " + dir.file("run").substr(0, 27));
}

TEST_F(ReportCommandTest, SettingsFromASetupFileThenTheCommandLine) {
  testing::WriteFile(dir.file("r.psa"),
                     "2  Create Reports\r\n[PostProcPsu]\r\nInputDir=/nowhere\r\n"
                     "[TabulonPsu]\r\nSelectedColumnItems=2,25\r\nColumnSeparator=3\r\n"
                     "OutputHeaderInfo=0\r\n");
  std::string out, err;
  ASSERT_EQ(Run(was + " " + wts + " --setup " + dir.file("r.psa") +
                    " --set LabelDataColumns=0 --output " + dir.file("c.r41"),
                &out, &err),
            0)
      << err;
  EXPECT_EQ(testing::ReadFile(dir.file("c.r41")), "\r\n0:1.250000e+00:\r\n1:1.250000e+00:");

  testing::WriteFile(dir.file("w.psa"), "4  Process Wave Burst Data\r\n");
  EXPECT_EQ(Run(was + " " + wts + " --setup " + dir.file("w.psa"), &out, &err), 1);
  EXPECT_NE(err.find("is a program setup file for the Process Wave Burst Data program."),
            std::string::npos)
      << err;
}

TEST_F(ReportCommandTest, RefusesWhatCannotMakeAReport) {
  std::string out, err;
  EXPECT_EQ(Run(was + " " + wts, &out, &err), 1);
  EXPECT_NE(err.find("No Data columns have been selected."), std::string::npos);
  EXPECT_EQ(Run(was + " --set SelectedColumnItems=2", &out, &err), 1);
  EXPECT_NE(err.find("Must select both a .WTS and .WAS file for processing."), std::string::npos);
  EXPECT_EQ(Run(was + " " + wts + " --set ColumnSeparator=7", &out, &err), 2);
  EXPECT_EQ(Run(was + " " + dir.file("x.txt"), &out, &err), 2);
  EXPECT_FALSE(testing::RunCommand(testing::ProgramPath("tidora") + " report --help", &out));
  EXPECT_NE(out.find("SelectedColumnItems"), std::string::npos);
}

TEST_F(ReportCommandTest, MessagesNameTheRightThingAndTheHeaderTheFullPath) {
  std::string out, err;
  std::filesystem::create_directory(dir.file("folder.was"));
  EXPECT_NE(Run(dir.file("folder.was") + " " + wts + " --set SelectedColumnItems=2", &out, &err),
            0);
  EXPECT_NE(err.find(dir.file("folder.was") + " is a folder"), std::string::npos) << err;
  std::filesystem::create_directory(dir.file("plain"));
  EXPECT_NE(Run(dir.file("plain") + " " + wts + " --set SelectedColumnItems=2", &out, &err), 0);
  EXPECT_NE(err.find(dir.file("plain") + " is a folder"), std::string::npos) << err;

  // Relative inputs: the header names them by full path, as the window does.
  ASSERT_EQ(testing::RunCommand("cd " + dir.path() + " && " + testing::ProgramPath("tidora") +
                                    " report ./run.was run.wts --set SelectedColumnItems=2 "
                                    "--output rel.r41 </dev/null",
                                &out, &err),
            0)
      << err;
  const std::string report = testing::ReadFile(dir.file("rel.r41"));
  EXPECT_EQ(report.rfind("# filename = " + dir.file("run") + "[.WAS, .WTS]\r\n", 0), 0u) << report;
}

TEST_F(ReportCommandTest, DumpReadsTheStatisticsFiles) {
  std::string out;
  ASSERT_EQ(
      testing::RunCommand(testing::ProgramPath("tidora") + " dump " + was + " --vars 2,4,24", &out),
      0);
  EXPECT_EQ(out,
            "Burst Number [count],Date/Time [MM/DD/YYYY HH:MM:SS],\"Significant wave height "
            "[meters], auto spectrum\"\r\n"
            "0,01/01/2000 12:00:00,1.25\r\n1,01/02/2000 12:00:00,2.25\r\n");
}

}  // namespace
}  // namespace tidora
