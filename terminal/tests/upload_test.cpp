#include <gtest/gtest.h>

#include <sys/resource.h>
#include <csignal>
#include <cstdlib>

#include "terminal/tests/harness.h"
#include "testing/scripted_interaction.h"

namespace tidora::testing {
namespace {

using Upload = SessionFixture;

std::vector<std::string> BlockCommands(const sim::RecorderEngine& r) {
  std::vector<std::string> out;
  for (auto& c : r.commands())
    if (c.rfind("db", 0) == 0) out.push_back(c);
  return out;
}

// The upload file as the terminal writes it for a recorder whose replies and data are known.
std::string ExpectedFile(const std::string& path, const sim::RecorderSetup& r,
                         const std::string& header, const std::string& data) {
  return header + "*FileName = " + path + "\n*Software Version 1.13\n" +
         MakeStatusText("DS\r\n" + r.statusReply + "S>") +
         MakeCoefficientText("DC\r\n" + r.coefficientReply + "S>") + data;
}

TEST_F(Upload, BinaryUploadWritesTheHexLinesOfTheImage) {
  auto setup = Tgr41plusSetup(40, 16);
  Begin(setup, "TGR41plus");
  settings.uploadBinary = 1;
  settings.uploadBaud = 115200;
  std::string path = home.file("dep.hex");
  ASSERT_TRUE(UploadInto(path, 120000));
  EXPECT_EQ(session->uploadOutcome(), Outcome::kSucceeded);
  EXPECT_EQ(ui.LastStatus(), "Upload completed");
  InstrumentInfo info;
  info.tgr41plus = true;
  std::string expected =
      ExpectedFile(path, setup, "*Brennic TGR 41plus Data File:\n",
                   ImageToHexLines(setup.image.data(), setup.image.size(), info));
  EXPECT_EQ(ReadFile(path), expected);
  EXPECT_EQ(BlockCommands(*recorder),
            std::vector<std::string>{"db115200,0," + std::to_string(setup.image.size() - 1)});
  EXPECT_EQ(window.parts[3], "COM1, 9600, 8, 1, N");  // the normal rate, not the upload rate
}

TEST_F(Upload, Tgr77BprUploadsRecordsOf17Bytes) {
  sim::RecorderSetup setup;
  setup.family = sim::RecorderFamily::kTgr77Bpr;
  for (int i = 0; i < 17 * 30; ++i) setup.image.push_back(static_cast<uint8_t>(i * 5 + 3));
  setup.statusReply = Join({"TGR 77 BPR V 1.2  SN 77012", "tide measurements = 30",
                            "conductivity = NO", "logdata = NO"});
  setup.coefficientReply = CoefficientReplyText();
  Begin(setup, "TGR41plus");
  settings.uploadBinary = 1;
  settings.uploadBaud = 57600;
  std::string path = home.file("bpr.hex");
  ASSERT_TRUE(UploadInto(path, 120000));
  EXPECT_EQ(ui.LastStatus(), "Upload completed");
  EXPECT_EQ(session->info().recordSize, 17);
  InstrumentInfo info;
  info.tgr77 = true;
  info.recordSize = 17;
  std::string data = ImageToHexLines(setup.image.data(), setup.image.size(), info);
  EXPECT_EQ(std::count(data.begin(), data.end(), '\n'), 31);
  EXPECT_EQ(ReadFile(path), ExpectedFile(path, setup, "*Brennic TGR 77 BPR Data File:\n", data));
}

TEST_F(Upload, BlocksOfAQuarterMillionBytesAt115200) {
  auto setup = Tgr41plusSetup(120000, 0);  // 600000 bytes and more
  setup.image.resize(600000, 0x11);
  Begin(setup, "TGR41plus");
  settings.uploadBinary = 1;
  settings.uploadBaud = 115200;
  ASSERT_TRUE(UploadInto(home.file("big.hex"), 300000));
  EXPECT_EQ(ui.LastStatus(), "Upload completed");
  EXPECT_EQ(BlockCommands(*recorder),
            (std::vector<std::string>{"db115200,0,249999", "db115200,250000,499999",
                                      "db115200,500000,599999"}));
}

TEST_F(Upload, ChecksumErrorsHalveTheBlocksThenTheRate) {
  auto setup = Tgr41plusSetup(40, 16);
  setup.image.resize(5000, 0x22);
  setup.faults.crcErrorBlocks = 4;
  Begin(setup, "TGR41plus");
  settings.uploadBinary = 1;
  settings.uploadBaud = 1200;  // blocks of 2604 bytes
  std::string path = home.file("retry.hex");
  ASSERT_TRUE(UploadInto(path, 600000));
  EXPECT_EQ(ui.LastStatus(), "Upload completed");
  EXPECT_TRUE(Saw("Checksum error"));
  auto blocks = BlockCommands(*recorder);
  ASSERT_GE(blocks.size(), 5u);
  EXPECT_EQ(blocks[0], "db1200,0,2603");
  EXPECT_EQ(blocks[1], "db1200,0,1301");  // one error: the whole transfer again, half blocks
  EXPECT_EQ(blocks[2], "db1200,0,650");
  EXPECT_EQ(blocks[3], "db1200,0,324");
  // After four errors the rate halves; below 1200 it stays 1200 and the blocks halve again.
  EXPECT_EQ(blocks[4], "db1200,0,161");
  EXPECT_EQ(session->binaryAttempts(), 4);
  InstrumentInfo info;
  info.tgr41plus = true;
  EXPECT_EQ(ReadFile(path),
            ExpectedFile(path, setup, "*Brennic TGR 41plus Data File:\n",
                         ImageToHexLines(setup.image.data(), setup.image.size(), info)));
}

TEST_F(Upload, FourthChecksumErrorHalvesTheBlockRate) {
  auto setup = Tgr41plusSetup(10, 8);
  setup.faults.crcErrorBlocks = 4;
  Begin(setup, "TGR41plus");
  settings.uploadBinary = 1;
  settings.uploadBaud = 115200;
  ASSERT_TRUE(UploadInto(home.file("r.hex"), 120000));
  auto blocks = BlockCommands(*recorder);
  ASSERT_EQ(blocks.size(), 5u);
  EXPECT_EQ(blocks[3].substr(0, 9), "db115200,");
  EXPECT_EQ(blocks[4].substr(0, 8), "db57600,");
  EXPECT_EQ(ui.LastStatus(), "Upload completed");
}

TEST_F(Upload, SeventhChecksumErrorFailsAndNeverCompletes) {
  auto setup = Tgr41plusSetup(10, 8);
  setup.faults.crcErrorBlocks = 100;
  Begin(setup, "TGR41plus");
  settings.uploadBinary = 1;
  settings.uploadBaud = 28800;
  std::string path = home.file("bad.hex");
  ASSERT_TRUE(UploadInto(path, 600000));
  loop.RunFor(100);
  EXPECT_EQ(session->uploadOutcome(), Outcome::kFailed);
  EXPECT_EQ(ui.LastStatus(), "Upload failed");
  EXPECT_FALSE(Saw("Upload completed"));
  // The failure, then where what was received is kept: never under the chosen name.
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Upload failed.",
                                               "The upload did not complete; what was received is "
                                               "kept in " +
                                                   path + ".partial."}));
  auto blocks = BlockCommands(*recorder);
  ASSERT_EQ(blocks.size(), 7u);
  EXPECT_EQ(blocks[4].substr(0, 8), "db19200,");  // 28800 halves to 14400, used as 19200
  EXPECT_FALSE(Exists(path));
  EXPECT_EQ(session->partialPath(), path + ".partial");
  std::string kept = ReadFile(path + ".partial");
  EXPECT_EQ(kept.rfind("*Brennic TGR 41plus Data File:\n", 0), 0u);
  EXPECT_EQ(kept.find("\nDD\r\n"), std::string::npos);
  EXPECT_FALSE(HasUploaderTemp(home.path()));
}

TEST_F(Upload, SilenceInABlockFailsTheUpload) {
  auto setup = Tgr41plusSetup(40, 16);
  setup.faults.silentAfterBytes = 50;
  Begin(setup, "TGR41plus");
  settings.uploadBinary = 1;
  settings.uploadBaud = 57600;
  ASSERT_TRUE(UploadInto(home.file("s.hex"), 120000));
  loop.RunFor(100);
  EXPECT_EQ(ui.LastStatus(), "Upload failed");
  EXPECT_FALSE(Saw("Upload completed"));
}

TEST_F(Upload, StopDuringABinaryTransfer) {
  auto setup = Tgr41plusSetup(40, 16);
  setup.image.resize(20000, 0x33);
  Begin(setup, "TGR41plus");
  settings.uploadBinary = 1;
  settings.uploadBaud = 9600;
  ui.QueueFiles({home.file("stop.hex")});
  // The person stops while the block of about 20 s is on its way.
  loop.At(loop.NowMs() + 12000, [&] {
    EXPECT_EQ(recorder->blocksSent(), 1);
    session->Stop();
  });
  session->Upload();
  ASSERT_TRUE(Idle(120000));
  EXPECT_TRUE(Saw("Stopping upload - please wait"));
  EXPECT_EQ(ui.LastStatus(), "Upload stopped at user request");
  EXPECT_EQ(session->uploadOutcome(), Outcome::kFailed);
  EXPECT_FALSE(Saw("Upload completed"));
  loop.RunFor(100);
  EXPECT_FALSE(Exists(home.file("stop.hex")));
  EXPECT_TRUE(Exists(home.file("stop.hex.partial")));
  EXPECT_FALSE(HasUploaderTemp(home.path()));
  ASSERT_FALSE(Boxes().empty());
  EXPECT_NE(Boxes().back().find(home.file("stop.hex.partial")), std::string::npos);
}

// A stopped or failed ASCII dump keeps what arrived as NAME.partial; an earlier file under the
// name stays as it was, and a completed upload leaves no partial file behind.
TEST_F(Upload, UnfinishedAsciiUploadsKeepWhatArrivedAsPartial) {
  auto setup = Tgr41plusSetup(3000, 16);
  Begin(setup, "TGR41plus");
  std::string path = home.file("bay.hex");
  WriteFile(path, "earlier upload\r\n");
  ui.QueueFiles({path});
  loop.At(loop.NowMs() + 15000, [&] {
    EXPECT_EQ(session->state(), kAsciiUpload);
    session->Stop();
  });
  session->Upload();
  ASSERT_TRUE(Idle(120000));
  loop.RunFor(1000);
  EXPECT_EQ(ReadFile(path), "earlier upload\r\n");
  std::string kept = ReadFile(path + ".partial");
  EXPECT_EQ(kept.rfind("*Brennic TGR 41plus Data File:\n", 0), 0u);
  EXPECT_NE(kept.find("DD\r\n" + setup.dumpLines[0] + "\r\n"), std::string::npos);
  EXPECT_EQ(kept.find("S>", kept.size() - 2), std::string::npos);  // the dump did not end
  EXPECT_EQ(Boxes(), std::vector<std::string>{"The upload did not complete; what was received "
                                              "is kept in " +
                                              path + ".partial."});

  // Fallen silent part of the way: the same.
  auto cut = Tgr41plusSetup(400, 16);
  cut.faults.silentAfterBytes = 3000;
  sim::RecorderEngine silent(cut);
  ports.Attach(0, &silent);
  std::string cutPath = home.file("cut.hex");
  ASSERT_TRUE(UploadInto(cutPath, 600000));
  EXPECT_EQ(ui.LastStatus(), "Upload Failed");
  EXPECT_FALSE(Exists(cutPath));
  EXPECT_GT(ReadFile(cutPath + ".partial").size(), 2000u);

  // Completed: under the name, nothing partial left.
  sim::RecorderEngine whole(Tgr41plusSetup(30, 16));
  ports.Attach(0, &whole);
  loop.RunFor(2000);
  ASSERT_TRUE(UploadInto(path, 600000));
  EXPECT_EQ(ui.LastStatus(), "Finished Upload");
  EXPECT_EQ(ReadFile(path).rfind("*Brennic TGR 41plus Data File:\n", 0), 0u);
  EXPECT_FALSE(Exists(path + ".partial"));
  EXPECT_EQ(session->partialPath(), "");
}

TEST_F(Upload, AsciiUploadOfATgr41plusKeepsTheDumpAsReceived) {
  auto setup = Tgr41plusSetup(2000, 64);  // more than one buffer of data
  Begin(setup, "TGR41plus");
  std::string path = home.file("a.hex"), cap = home.file("a.cap");
  ui.QueueFiles({cap});
  session->Capture();
  ASSERT_TRUE(UploadInto(path, 600000));
  EXPECT_EQ(ui.LastStatus(), "Finished Upload");
  EXPECT_EQ(session->uploadOutcome(), Outcome::kSucceeded);
  std::string data = "DD\r\n" + Join(setup.dumpLines) + "S>";
  std::string file = ReadFile(path);
  EXPECT_EQ(file, ExpectedFile(path, setup, "*Brennic TGR 41plus Data File:\n", data));
  // The bar's range counts lines: before it was reset it stood near the end of that range.
  int range = 0, highest = 0;
  for (auto& r : ui.Records()) {
    if (r.kind == ScriptedInteraction::Record::kProgressRange) range = r.b;
    if (r.kind == ScriptedInteraction::Record::kProgressPos) highest = std::max(highest, r.a);
  }
  EXPECT_GT(range, 2000);
  EXPECT_GT(highest, range * 9 / 10);
  EXPECT_LE(highest, range);
  // The capture holds the same characters as the data section, in the same order.
  std::string captured = ReadFile(cap);
  EXPECT_NE(captured.find(data), std::string::npos);
  // The recorder was held once the buffer passed its mark, and let go again.
  std::string sent = SentText();
  EXPECT_NE(sent.find('\x13'), std::string::npos);
  EXPECT_EQ(std::count(sent.begin(), sent.end(), '\x13'),
            std::count(sent.begin(), sent.end(), '\x11'));
}

TEST_F(Upload, RecorderIgnoringTheHoldCannotOverflowTheBuffer) {
  auto setup = Tgr41plusSetup(12000, 0);  // about 150000 characters
  setup.rate = 115200;
  setup.faults.ignoreFlowControl = true;
  Begin(setup, "TGR41plus");
  std::string path = home.file("flood.hex");
  ASSERT_TRUE(UploadInto(path, 600000));
  EXPECT_EQ(ui.LastStatus(), "Finished Upload");
  EXPECT_EQ(ReadFile(path), ExpectedFile(path, setup, "*Brennic TGR 41plus Data File:\n",
                                         "DD\r\n" + Join(setup.dumpLines) + "S>"));
}

TEST_F(Upload, BlocksNeverOutgrowTheBlockBuffer) {
  auto setup = Tgr41plusSetup(10, 8);
  setup.image.resize(300000, 0x44);
  Begin(setup, "TGR41plus");
  settings.uploadBinary = 1;
  settings.uploadBaud = 230400;  // a rate from a hand-edited settings file
  std::string path = home.file("fast.hex");
  ASSERT_TRUE(UploadInto(path, 600000));
  EXPECT_EQ(ui.LastStatus(), "Upload completed");
  EXPECT_EQ(BlockCommands(*recorder),
            (std::vector<std::string>{"db230400,0,251019", "db230400,251020,299999"}));
}

// A full disk in the middle of the data: the buffer write fails, and the upload ends as a
// failure however the rest of the dump arrives.
TEST_F(Upload, FullDiskDuringAsciiDataIsAFailure) {
  auto setup = Tgr41plusSetup(8000, 0);
  Begin(setup, "TGR41plus");
  std::string path = home.file("full.hex");
  auto uploadOnAFullDisk = [&] {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = 6000;  // room for the header, not for the data
    setrlimit(RLIMIT_FSIZE, &limit);
    ui.QueueFiles({path});
    session->Upload();
    bool ended = Idle(600000);
    auto boxes = Boxes();
    bool boxed = std::find(boxes.begin(), boxes.end(), "File write error") != boxes.end();
    bool failed = ui.LastStatus() == "Upload Failed" && !Saw("Finished Upload") &&
                  session->uploadOutcome() == Outcome::kFailed;
    std::exit(ended && boxed && failed ? 0 : 1);
  };
  EXPECT_EXIT(uploadOnAFullDisk(), ::testing::ExitedWithCode(0), "");
}

TEST_F(Upload, LateWakeUpPromptIsNotTheEndOfTheDump) {
  auto setup = Tgr41plusSetup(50, 16);
  setup.faults.answerBothLineEnds = true;
  Begin(setup, "TGR41plus");
  std::string path = home.file("both.hex");
  ASSERT_TRUE(UploadInto(path, 600000));
  EXPECT_EQ(ui.LastStatus(), "Finished Upload");
  EXPECT_EQ(ReadFile(path), ExpectedFile(path, setup, "*Brennic TGR 41plus Data File:\n",
                                         "DD\r\n" + Join(setup.dumpLines) + "S>"));
}

TEST_F(Upload, NoisyAsciiLinesAreCountedAndReported) {
  auto setup = Tgr41plusSetup(400, 16);
  setup.faults.noise = 0.01;
  Begin(setup, "TGR41plus");
  ASSERT_TRUE(UploadInto(home.file("n.hex"), 600000));
  EXPECT_GT(session->uploadErrors(), 0);
  EXPECT_EQ(Boxes().back(), "Data receive errors detected, try lower baud rate.");
  EXPECT_EQ(session->uploadOutcome(), Outcome::kFailed);
}

TEST_F(Upload, SilenceCutsTheAsciiUploadShortAsAFailure) {
  auto setup = Tgr41plusSetup(400, 16);
  setup.faults.silentAfterBytes = 3000;
  Begin(setup, "TGR41plus");
  ASSERT_TRUE(UploadInto(home.file("cut.hex"), 600000));
  EXPECT_EQ(ui.LastStatus(), "Upload Failed");
  EXPECT_FALSE(Saw("Finished Upload"));
  EXPECT_EQ(session->uploadOutcome(), Outcome::kFailed);
}

TEST_F(Upload, Tgr41ReferenceLengthAndOldFirmwareRate) {
  std::vector<std::string> lines = {"AA"};
  for (int i = 0; i < 30; ++i) lines.push_back("0123456789");
  lines[20] = "0123456789AB";  // 14 characters with CR LF: one error
  auto setup = Tgr41Setup(lines, "V 1.5");
  Begin(setup, "TGR41");
  settings.uploadBaud = 38400;
  std::string path = home.file("t41.hex");
  ASSERT_TRUE(UploadInto(path, 600000));
  EXPECT_EQ(settings.uploadBaud, 9600);
  EXPECT_NE(SentText().find("DD\n\r"), std::string::npos);
  EXPECT_EQ(session->uploadErrors(), 1);
  EXPECT_EQ(ui.LastStatus(), "Finished Upload");
  EXPECT_EQ(Boxes().back(), "Data receive errors detected, try lower baud rate.");
  EXPECT_EQ(ReadFile(path).substr(0, 27), "*Brennic TGR 41 Data File:\n");
}

TEST_F(Upload, Tgr41DumpsAtTheUploadRate) {
  std::vector<std::string> lines(40, "00112233445566778899");
  auto setup = Tgr41Setup(lines, "V 2.3");
  Begin(setup, "TGR41");
  settings.uploadBaud = 38400;
  std::string path = home.file("fast.hex");
  ASSERT_TRUE(UploadInto(path, 600000));
  EXPECT_EQ(ui.LastStatus(), "Finished Upload");
  EXPECT_NE(SentText().find("DA\n\r"), std::string::npos);
  EXPECT_EQ(ports.rate(0), 9600);
  EXPECT_EQ(ReadFile(path), ExpectedFile(path, setup, "*Brennic TGR 41 Data File:\n",
                                         "DA\r\n" + Join(lines) + "S>"));
}

TEST_F(Upload, CancelledForLoggingWrongTypeOrNoFile) {
  auto setup = Tgr41plusSetup();
  setup.statusReply = StatusReplyText("TGR 41plus", "V 6.2", 8, 20, 1, true);
  Begin(setup, "TGR41plus");
  session->Upload();
  ASSERT_TRUE(Idle());
  EXPECT_EQ(ui.LastStatus(), "Upload canceled");
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Stop logging before upload"});

  ui.Clear();
  sim::RecorderEngine plus(Tgr41plusSetup());
  ports.Attach(0, &plus);
  settings.SetInstrumentType("TGR41");
  session->Upload();
  ASSERT_TRUE(Idle());
  loop.RunFor(100);
  EXPECT_EQ(ui.LastStatus(), "Upload failed - wrong instrument type");
  ASSERT_FALSE(ui.Messages().empty());
  EXPECT_EQ(ui.Messages()[0].text,
            "Please enter appropriate settings for instrument type TGR41plus V 6.2.\n");
  EXPECT_EQ(ui.Messages()[0].caption, "QuaylinkW");
  EXPECT_EQ(window.configureOpened, 1);

  ui.Clear();
  settings.SetInstrumentType("TGR41plus");
  session->Upload();  // no file chosen
  ASSERT_TRUE(Idle());
  EXPECT_EQ(ui.LastStatus(), "Upload canceled");
  EXPECT_EQ(session->uploadOutcome(), Outcome::kFailed);

  ui.Clear();
  ui.QueueFiles({"/dev/full"});
  session->Upload();
  ASSERT_TRUE(Idle());
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Cant write start of header"});
  EXPECT_FALSE(session->uploading());
}

TEST_F(Upload, SilentRecorderEndsTheUploadWithTheNotRespondingBox) {
  auto setup = Tgr41plusSetup();
  setup.faults.silent = true;
  Begin(setup, "TGR41plus");
  session->Upload();
  ASSERT_TRUE(Idle());
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Instrument not responding, click connect"});
  EXPECT_EQ(session->uploadOutcome(), Outcome::kFailed);
}

}  // namespace
}  // namespace tidora::testing
