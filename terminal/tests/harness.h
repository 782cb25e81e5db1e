#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/interaction.h"
#include "recorder/instrument.h"
#include "sim/recorder_engine.h"
#include "sim/virtual_port.h"
#include "terminal/session.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"
#include "testing/virtual_event_loop.h"

namespace tidora::testing {

// A window that keeps what it is told.
class RecordingWindow : public TerminalWindow {
 public:
  void ShowChar(char c) override { text.Add(c); }
  void SetMenu(MenuForm form) override { menus.push_back(form); }
  void SetUploadItemEnabled(bool enabled) override { uploadEnabled = enabled; }
  void SetCaptureChecked(bool checked) override { captureChecked = checked; }
  void SetStatusPart(int part, const std::string& t) override {
    if (part >= 0 && part < 4) parts[part] = t;
  }
  void SetDateTimeStatus(const std::string& t) override { dateTime.push_back(t); }
  void OpenConfigure() override { ++configureOpened; }
  bool GetWindowRect(WindowRect& r) override {
    r = {30, 40, 800, 500};
    return true;
  }

  TerminalText text;
  std::vector<MenuForm> menus;
  bool uploadEnabled = true, captureChecked = false;
  std::string parts[4];
  std::vector<std::string> dateTime;
  int configureOpened = 0;
};

// Names in a folder, sorted.
inline std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// True when the folder holds a temporary file of the binary uploader.
inline bool HasUploaderTemp(const std::string& dir) {
  for (auto& n : FilesIn(dir))
    if (n.rfind("QuaylinkW-", 0) == 0) return true;
  return false;
}

inline bool Exists(const std::string& path) {
  return std::filesystem::exists(path);
}

inline std::string Join(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

// Status reply of a recorder, lines ending in CR LF.
inline std::string StatusReplyText(const std::string& model, const std::string& firmware,
                                   int samples, int measurements, int bursts, bool logging = false,
                                   bool conductivity = false) {
  return Join({model + " " + firmware + "  SN 00417", "samples = " + std::to_string(samples),
               "measurements = " + std::to_string(measurements),
               "bursts = " + std::to_string(bursts),
               std::string("logdata = ") + (logging ? "YES" : "NO"),
               std::string("conductivity = ") + (conductivity ? "YES" : "NO")});
}

inline std::string CoefficientReplyText() {
  return Join({"pressure coefficients:", "  PA0 = 1.234567e+00", "  PA1 = -2.5e-03",
               "temperature coefficients:", "  TA0 = 9.87e-04"});
}

// A TGR 41plus memory: a header record group, tide records and one wave burst of `samples`.
inline std::vector<uint8_t> Tgr41plusImage(int tides, int samples) {
  std::vector<uint8_t> m = {0xFF, 0xFF, 0xFF, 0xFF, 0xFD};
  for (int k = 0; k < 15; ++k) m.push_back(static_cast<uint8_t>(0x10 + k));
  for (int i = 0; i < tides; ++i)
    for (int k = 0; k < 5; ++k) m.push_back(static_cast<uint8_t>((i * 7 + k * 13 + 1) | 1));
  for (int k = 0; k < 5; ++k) m.push_back(0);
  m.insert(m.end(), {0x21, 0x22, 0x23, 0x24, static_cast<uint8_t>(samples >> 8)});
  m.insert(m.end(), {0x31, 0x32, 0x33, 0x34, static_cast<uint8_t>(samples & 0xFF)});
  for (int i = 0; i < samples / 2; ++i)
    for (int k = 0; k < 6; ++k) m.push_back(static_cast<uint8_t>(0x40 + (i + k) % 64));
  m.insert(m.end(), {0x51, 0x52, 0x53, 0x54, 0x55});
  return m;
}

// The hexadecimal lines of an image, as the recorder dumps them.
inline std::vector<std::string> DumpLinesOf(const std::vector<uint8_t>& image,
                                            const InstrumentInfo& info) {
  std::string text = ImageToHexLines(image.data(), image.size(), info);
  std::vector<std::string> lines;
  size_t pos = text.find("\r\n") + 2;  // after "DD"
  while (true) {
    size_t e = text.find("\r\n", pos);
    if (e == std::string::npos) break;
    lines.push_back(text.substr(pos, e - pos));
    pos = e + 2;
  }
  return lines;
}

inline sim::RecorderSetup Tgr41plusSetup(int tides = 20, int samples = 8) {
  sim::RecorderSetup r;
  r.family = sim::RecorderFamily::kTgr41plus;
  r.image = Tgr41plusImage(tides, samples);
  InstrumentInfo info;
  info.tgr41plus = true;
  r.dumpLines = DumpLinesOf(r.image, info);
  r.statusReply = StatusReplyText("TGR 41plus", "V 6.2", samples, tides, 1);
  r.coefficientReply = CoefficientReplyText();
  r.rate = 9600;
  return r;
}

inline sim::RecorderSetup Tgr41Setup(const std::vector<std::string>& lines,
                                     const std::string& firmware = "V 2.1") {
  sim::RecorderSetup r;
  r.family = sim::RecorderFamily::kTgr41;
  r.dumpLines = lines;
  r.statusReply =
      StatusReplyText("TIDEWELL TGR 41", firmware, 0, static_cast<int>(lines.size()), 0);
  r.coefficientReply = CoefficientReplyText();
  r.rate = 9600;
  return r;
}

// A session on virtual time against a simulated recorder on COM1.
class SessionFixture : public ::testing::Test {
 protected:
  void Begin(sim::RecorderSetup setup, const std::string& type, long baud = 0) {
    recorder = std::make_unique<sim::RecorderEngine>(std::move(setup));
    settings.settingsPath = home.file("QuaylinkW.ini");
    settings.SetInstrumentType(type);
    settings.baud = baud ? baud : recorder->setup().rate;
    ports.Attach(0, recorder.get());
    session = std::make_unique<TerminalSession>(loop, ports, ui, window, settings);
    session->Start();
  }
  bool Idle(int64_t maxMs = 60000) {
    return loop.RunUntil([&] { return session->state() == kIdle && !session->uploading(); }, maxMs);
  }
  // Starts an upload into `path` (the file the person chooses) and runs until it has ended.
  bool UploadInto(const std::string& path, int64_t maxMs) {
    ui.QueueFiles({path});
    session->Upload();
    return Idle(maxMs);
  }
  bool Saw(const std::string& status) const {
    auto s = ui.StatusTexts();
    return std::find(s.begin(), s.end(), status) != s.end();
  }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (auto& r : ui.Messages()) out.push_back(r.text);
    return out;
  }
  // Bytes sent to the recorder, as text.
  std::string SentText() const {
    std::string t;
    for (auto& s : ports.sent(0)) t += static_cast<char>(s.c);
    return t;
  }

  TempHome home;
  VirtualEventLoop loop;
  sim::VirtualSerialPorts ports{loop.clock()};
  ScriptedInteraction ui;
  RecordingWindow window;
  CommSettings settings;
  std::unique_ptr<sim::RecorderEngine> recorder;
  std::unique_ptr<TerminalSession> session;
};

}  // namespace tidora::testing
