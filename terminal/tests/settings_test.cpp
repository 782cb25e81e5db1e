#include <gtest/gtest.h>

#include <algorithm>

#include "terminal/comm_settings.h"
#include "terminal/terminal_window.h"
#include "testing/test_support.h"

namespace tidora::testing {
namespace {

const ScreenSize kScreen{1280, 1024};

TEST(CommSettingsFile, KeysMatchInAnyCaseAndOutOfRangeValuesFallBack) {
  TempHome home;
  std::string path = home.file("QuaylinkW.ini");
  WriteFile(path,
            "PORT=3\r\nWidth=10\nheight=700\ntop=-5\nleft=1250\nInstrument Type=TGR41plus\n"
            "Upload Baud=57600\nBAUD=19200\nupload baud for 41 plus=115200\n"
            "baud for 41 plus=2400\nupload baud for 41=38400\nupload binary=1\n"
            "data path=/Data/Deploy/\nsomething else\n");
  CommSettings s;
  ReleaseFlags release{};
  ASSERT_EQ(ReadCommSettings(s, path, kScreen, &release), SettingsRead::kRead);
  EXPECT_EQ(s.port, 3);  // COM4
  EXPECT_TRUE(release[3]);
  EXPECT_EQ(s.width, 700);
  EXPECT_EQ(s.height, 700);
  EXPECT_EQ(s.top, 0);
  EXPECT_EQ(s.left, 0);
  EXPECT_EQ(s.instrumentType, "tgr41plus");
  EXPECT_EQ(s.modelName, "TGR41plus");
  EXPECT_TRUE(s.plus);
  EXPECT_EQ(s.dataBits, 8);
  EXPECT_EQ(s.parity, 'N');
  EXPECT_EQ(s.uploadBaud, 57600);
  EXPECT_EQ(s.baud, 19200);
  EXPECT_EQ(s.uploadBaud41plus, 115200);
  EXPECT_EQ(s.baud41plus, 2400);
  EXPECT_EQ(s.uploadBaud41, 38400);
  EXPECT_EQ(s.uploadBinary, 1);
  EXPECT_EQ(s.dataPath, "/data/deploy/");

  ASSERT_TRUE(WriteCommSettings(s, path, nullptr, kScreen));
  EXPECT_EQ(ReadFile(path),
            "top=20\nleft=20\nwidth=700\nheight=600\ninstrument type=tgr41plus\n"
            "data path=/data/deploy/\nport=3\nbaud=19200\nupload baud=57600\nupload binary=1\n"
            "upload baud for 41 plus=115200\nupload baud for 41=38400\nbaud for 41 plus=2400\n");
  WindowRect r{-10, 30, 5000, 400};
  ASSERT_TRUE(WriteCommSettings(s, path, &r, kScreen));
  EXPECT_EQ(ReadFile(path).substr(0, 39), "top=30\nleft=0\nwidth=1280\nheight=400\nins");

  WriteFile(path, "port=14\n");
  ReadCommSettings(s, path, kScreen);
  EXPECT_EQ(s.port, 0);
  WriteFile(path, "port=-2\n");
  ReadCommSettings(s, path, kScreen);
  EXPECT_EQ(s.port, 0);
}

TEST(CommSettingsFile, MissingFileIsCreatedAndUnreadableFileKeepsDefaults) {
  TempHome home;
  std::string path = home.file("QuaylinkW.ini");
  CommSettings s;
  EXPECT_EQ(ReadCommSettings(s, path, kScreen), SettingsRead::kCreated);
  EXPECT_EQ(s.instrumentType, "TGR41");
  EXPECT_EQ(s.parity, 'E');
  EXPECT_NE(ReadFile(path).find("instrument type=TGR41\n"), std::string::npos);
  // A folder where the file should be: unreadable, so defaults and nothing written.
  std::string dir = home.file("sub");
  ASSERT_EQ(RunCommand("mkdir " + dir), 0);
  EXPECT_EQ(ReadCommSettings(s, dir, kScreen), SettingsRead::kDefaults);
  EXPECT_FALSE(WriteCommSettings(s, home.file("no/such/dir/QuaylinkW.ini"), nullptr, kScreen));
}

TEST(ConfigureDialog, SwitchingTypeAndBackRestoresTheRates) {
  CommSettings s;
  s.SetInstrumentType("TGR41plus");
  s.baud = 19200;
  s.baud41plus = 19200;
  s.uploadBaud41plus = 57600;
  s.uploadBaud41 = 38400;
  s.uploadBinary = 1;
  ConfigureDialogModel d(s);
  EXPECT_FALSE(d.tgr41Checked);
  EXPECT_TRUE(d.binaryChecked);
  EXPECT_EQ(d.rate.Value(), 19200);
  EXPECT_EQ(d.upload.Value(), 57600);
  EXPECT_EQ(d.upload.items.size(), 9u);
  d.ChooseTgr41();
  EXPECT_FALSE(d.rate.enabled);
  EXPECT_EQ(d.rate.Value(), 9600);
  EXPECT_EQ(d.upload.items.size(), 3u);
  EXPECT_EQ(d.upload.Value(), 38400);
  EXPECT_FALSE(d.binaryEnabled);
  EXPECT_EQ(d.statusModel, "TGR41");
  d.ChooseTgr41plus();
  EXPECT_EQ(d.rate.Value(), 19200);
  EXPECT_EQ(d.upload.Value(), 57600);
  EXPECT_TRUE(d.upload.enabled);
  d.SetBinary(false);
  EXPECT_FALSE(d.upload.enabled);
  EXPECT_EQ(d.upload.items.size(), 7u);
  EXPECT_EQ(d.upload.Value(), 19200);
  d.SelectRate(1);
  EXPECT_EQ(d.upload.Value(), 1200);
  d.SelectPort(5);
  CommSettings out = d.Ok();
  EXPECT_EQ(out.port, 5);
  EXPECT_EQ(out.previousPort, 0);
  EXPECT_EQ(out.baud, 1200);
  EXPECT_EQ(out.baud41plus, 1200);
  EXPECT_EQ(out.uploadBaud, 1200);
  EXPECT_EQ(out.uploadBinary, 0);
  EXPECT_EQ(out.instrumentType, "TGR41plus");
}

TEST(TerminalText, ALongStreamStaysWithinTheThresholdAndEndsWithTheNewestText) {
  TerminalText t(80);  // threshold 70
  std::string all;
  size_t longest = 0, shortestAfterFull = 1000;
  for (int i = 0; i < 1000; ++i) {
    char c = static_cast<char>('A' + (i * 7) % 26);
    all += c;
    t.Add(c);
    longest = std::max(longest, t.text().size());
    if (i >= 70) shortestAfterFull = std::min(shortestAfterFull, t.text().size());
    // Always the newest characters, never a gap.
    ASSERT_EQ(t.text(), all.substr(all.size() - t.text().size())) << i;
  }
  // Bounded however many trims there were.
  EXPECT_LE(longest, t.threshold());
  // Each trim drops the older half only.
  EXPECT_EQ(shortestAfterFull, t.threshold() / 2 + 1);
}

}  // namespace
}  // namespace tidora::testing
