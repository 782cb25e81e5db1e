// `tidora dump` on files written by the library's writers.
#include <gtest/gtest.h>

#include "datafile/tgr41file.h"
#include "datafile/writers.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

std::string Dump(const std::string& args, int* rc, std::string* err = nullptr) {
  std::string out;
  *rc = testing::RunCommand(testing::ProgramPath("tidora") + " dump " + args, &out, err);
  return out;
}

std::string WriteTide(const testing::TempDir& dir) {
  std::string path = dir.file("cli.tid");
  TideFileWriter w;
  w.Open(path);
  std::tm t{};
  t.tm_year = 123;
  t.tm_mon = 1;
  t.tm_mday = 28;
  t.tm_hour = 23;
  t.tm_min = 50;
  w.WriteRecord(1, t, 34.7, 10.0, 3, 4.1, 35.0);
  t.tm_min = 0;
  t.tm_hour = 0;
  t.tm_mon = 2;
  t.tm_mday = 1;
  w.WriteRecord(2, t, 44.7, 10.0, 3, 4.1, 35.0);
  w.Close();
  return path;
}

TEST(DumpCommand, TideFileWithComputedDensities) {
  testing::TempDir dir;
  std::string path = WriteTide(dir);
  int rc = -1;
  std::string out = Dump(path + " --vars 4,19,21,7,6", &rc);
  ASSERT_EQ(rc, 0);
  auto text = [](double v) {
    std::string s;
    AppendShortest(s, static_cast<float>(v));
    return s;
  };
  // Sea pressure from absolute pressure: 34.7 psia is 20 psi below the surface.
  std::string sigmaT = text(CTGR41File::Density(35, 10, 0));
  std::string theta1 =
      text(CTGR41File::Density(35, CTGR41File::PoTemp(35, 10, 20 * 0.6894757, 0), 0));
  std::string theta2 =
      text(CTGR41File::Density(35, CTGR41File::PoTemp(35, 10, 30 * 0.6894757, 0), 0));
  EXPECT_NE(theta1, theta2);
  EXPECT_EQ(out,
            "Date/Time [MM/DD/YYYY HH:MM:SS],Pressure [psi],Salinity PSS-78 [psu],\"Density "
            "[sigma-t, Kg/m^3]\","
            "\"Density [sigma-theta, Kg/m^3]\"\r\n"
            "02/28/2023 23:50:00,34.7,35," +
                sigmaT + "," + theta1 +
                "\r\n"
                "03/01/2023 00:00:00,44.7,35," +
                sigmaT + "," + theta2 + "\r\n");
  EXPECT_EQ(Dump(path, &rc),
            "Date/Time [MM/DD/YYYY HH:MM:SS],Pressure [psi],Temperature [deg C]\r\n"
            "02/28/2023 23:50:00,34.7,10\r\n03/01/2023 00:00:00,44.7,10\r\n");
}

TEST(DumpCommand, WaveBurstFile) {
  testing::TempDir dir;
  std::string path = dir.file("cli.wb");
  WaveBurstFileWriter w;
  w.Open(path);
  w.WriteIdentification();
  w.WriteBurstHeader(0, 3600, 0.5, 4);
  w.WriteRow(10.25, 10.5, 123456.7, 11);
  w.WriteBurstHeader(1, 7200, 0.5, 4);
  w.WriteRow(12, 12.5, 13, 13.5);
  w.Close();
  int rc = -1;
  std::string out = Dump(path, &rc);
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(out,
            "Burst Number [count],Time [seconds],Subsurface Pressure [psi]\r\n"
            "0,0,10.25\r\n0,0.5,10.5\r\n0,1,99999\r\n0,1.5,11\r\n"
            "1,0,12\r\n1,0.5,12.5\r\n1,1,13\r\n1,1.5,13.5\r\n");
}

TEST(DumpCommand, ClearErrors) {
  testing::TempDir dir;
  std::string tide = WriteTide(dir);
  int rc = -1;
  std::string err;
  EXPECT_EQ(Dump(dir.file("missing.tid"), &rc, &err), "");
  EXPECT_EQ(rc, 1);
  EXPECT_NE(err.find("no such file"), std::string::npos) << err;
  testing::WriteFile(dir.file("empty.wb"), "");
  Dump(dir.file("empty.wb"), &rc, &err);
  EXPECT_EQ(rc, 1);
  EXPECT_NE(err.find("empty"), std::string::npos) << err;
  EXPECT_EQ(Dump(tide + " --vars 4,77", &rc, &err), "");
  EXPECT_EQ(rc, 1);
  EXPECT_NE(err.find("unknown variable id 77"), std::string::npos) << err;
  Dump(tide + " --vars 4,nine", &rc, &err);
  EXPECT_EQ(rc, 1);
  testing::WriteFile(dir.file("x.wts"), "no burst here\r\n");
  Dump(dir.file("x.wts"), &rc, &err);
  EXPECT_EQ(rc, 1);
  EXPECT_NE(err.find("x.wts: the file holds no data"), std::string::npos) << err;
  std::string help = Dump("--help", &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_NE(help.find("--vars"), std::string::npos);
}

}  // namespace
}  // namespace tidora
