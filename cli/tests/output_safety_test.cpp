// Outputs that would destroy an input, another output or a special file are refused by every
// command, and a run that cannot finish leaves the previous outputs as they were.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "datafile/tests/wave_output_builders.h"
#include "datafile/writers.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

class OutputSafety : public ::testing::Test {
 protected:
  // Runs the program in the test folder, so that relative spellings mean files there.
  int Run(const std::string& args) {
    out.clear();
    err.clear();
    return testing::RunCommand("cd '" + dir.path() + "' && '" + testing::ProgramPath("tidora") +
                                   "' " + args + " </dev/null",
                               &out, &err);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path()))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  bool Says(const std::string& text) const { return err.find(text) != std::string::npos; }

  testing::TempHome home;
  testing::TempDir dir;
  std::string out, err;
};

TEST_F(OutputSafety, ConvertNeverWritesOverTheUpload) {
  ASSERT_EQ(Run("recorder-sim --output p.hex --tide-samples 24 --samples-per-burst 64"), 0) << err;
  const std::string upload = ReadFile(dir.file("p.hex"));
  for (const char* tid : {"p.hex", "./p.hex"}) {
    EXPECT_EQ(Run(std::string("convert p.hex --tid ") + tid), 1) << tid;
    EXPECT_TRUE(Says(std::string("The tide file ") + tid + " is the upload file p.hex")) << err;
    EXPECT_EQ(ReadFile(dir.file("p.hex")), upload);
  }
  EXPECT_EQ(Run("convert p.hex --tid x --wb x"), 1);
  EXPECT_TRUE(Says("The wave burst file x is the tide file x")) << err;
  EXPECT_EQ(Names(), std::vector<std::string>{"p.hex"});
  ASSERT_EQ(Run("convert p.hex"), 0) << err;
}

TEST_F(OutputSafety, MergeAndReportRefuseAnInputOrADeviceAsOutput) {
  const std::string tide = "     1   03/01/2005 00:00:00    24.7000     20.000\r\n";
  const std::string baro = "3/1/05 0:00:00 14.7\n";
  WriteFile(dir.file("A.tid"), tide);
  WriteFile(dir.file("A.bp"), baro);
  EXPECT_EQ(Run("merge A.tid A.bp --output A.bp --yes"), 1);
  EXPECT_TRUE(
      Says("The output file " + dir.file("A.bp") + " is the input file " + dir.file("A.bp")))
      << err;
  EXPECT_EQ(ReadFile(dir.file("A.bp")), baro);
  EXPECT_EQ(Run("merge A.tid A.bp --output /dev/full --yes"), 1);
  EXPECT_TRUE(Says("The output file /dev/full is a device, not a regular file")) << err;
  EXPECT_FALSE(fs::exists("/dev/full.tid"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"A.bp", "A.tid"}));
  // The tide file itself may be replaced, once the merge is complete.
  ASSERT_EQ(Run("merge A.tid A.bp --yes"), 0) << err;
  EXPECT_NE(ReadFile(dir.file("A.tid")), tide);

  std::vector<testing::WasBurst> a(1);
  std::vector<testing::WtsBurst> b(1);
  WriteFile(dir.file("R.was"), testing::WasFileText(a, true));
  WriteFile(dir.file("R.wts"), testing::WtsFileText(b, true));
  const std::string was = ReadFile(dir.file("R.was"));
  EXPECT_EQ(Run("report R.was R.wts --set SelectedColumnItems=2 --output R.was --yes"), 1);
  // The report names its inputs by their full path, as the window does.
  EXPECT_TRUE(Says("The report file ./R.was is the input file " + dir.file("R.was"))) << err;
  EXPECT_EQ(ReadFile(dir.file("R.was")), was);
  EXPECT_EQ(Run("report R.was R.wts --set SelectedColumnItems=2 --output /dev/full --yes"), 1);
  EXPECT_TRUE(Says("The report file /dev/full is a device, not a regular file")) << err;
  EXPECT_FALSE(fs::exists("/dev/full.r41"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"A.bp", "A.tid", "R.was", "R.wts"}));
  ASSERT_EQ(Run("report R.was R.wts --set SelectedColumnItems=2 --yes"), 0) << err;
}

TEST_F(OutputSafety, RecorderSimWritesThroughLinksAndRefusesOtherFiles) {
  EXPECT_EQ(Run("recorder-sim --output s.hex --coefficients s.hex"), 1);
  EXPECT_TRUE(Says("The coefficient file s.hex is the upload file s.hex")) << err;
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
  EXPECT_EQ(Run("recorder-sim --output s.hex --coefficients pipe"), 1);
  EXPECT_TRUE(Says("The coefficient file pipe is a named pipe, not a regular file")) << err;
  EXPECT_TRUE(fs::is_fifo(dir.file("pipe")));
  EXPECT_EQ(Names(), std::vector<std::string>{"pipe"});

  fs::create_directory(dir.file("keep"));
  WriteFile(dir.file("keep/CNVHex.ini"), "old");
  fs::create_symlink("keep/CNVHex.ini", dir.file("coef.ini"));
  ASSERT_EQ(Run("recorder-sim --output s.hex --coefficients coef.ini"), 0) << err;
  EXPECT_TRUE(fs::is_symlink(dir.file("coef.ini")));
  EXPECT_NE(ReadFile(dir.file("keep/CNVHex.ini")), "old");
}

TEST_F(OutputSafety, WavesLeavesThePreviousOutputsWhenOneCannotBeWritten) {
  {
    WaveBurstFileWriter w;
    ASSERT_TRUE(w.Open(dir.file("p.wb")));
    ASSERT_TRUE(w.WriteIdentification());
    for (int b = 0; b < 3; ++b) {
      ASSERT_TRUE(w.WriteBurstHeader(b, 3600.0 * b, 0.5, 256));
      for (int i = 0; i < 256; i += 4) {
        auto v = [&](int k) { return 20.0 + 0.3 * std::sin(0.4 * (i + k)); };
        ASSERT_TRUE(w.WriteRow(v(0), v(1), v(2), v(3)));
      }
    }
    ASSERT_TRUE(w.Close());
  }
  WriteFile(dir.file("p.was"), "previous spectra");
  fs::create_directory(dir.file("p.wts"));
  EXPECT_NE(Run("waves p.wb --yes"), 0);
  EXPECT_TRUE(Says("The time-series statistics file " + dir.file("p.wts") +
                   " is a folder, not a regular file"))
      << err;
  EXPECT_EQ(ReadFile(dir.file("p.was")), "previous spectra");
  EXPECT_EQ(Names(), (std::vector<std::string>{"p.was", "p.wb", "p.wts"}));

  // A link from an output to the input is the input.
  fs::remove(dir.file("p.wts"));
  fs::create_symlink("p.wb", dir.file("p.wts"));
  const std::string input = ReadFile(dir.file("p.wb"));
  EXPECT_NE(Run("waves p.wb --yes"), 0);
  EXPECT_TRUE(Says("is the input file")) << err;
  EXPECT_EQ(ReadFile(dir.file("p.wb")), input);
  EXPECT_EQ(ReadFile(dir.file("p.was")), "previous spectra");

  fs::remove(dir.file("p.wts"));
  ASSERT_EQ(Run("waves p.wb --yes"), 0) << err;
  EXPECT_EQ(Names(), (std::vector<std::string>{"p.rpt", "p.was", "p.wb", "p.wts"}));
}

}  // namespace
}  // namespace tidora
