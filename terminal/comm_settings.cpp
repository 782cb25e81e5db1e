#include "terminal/comm_settings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/profile.h"
#include "platform/settings_dir.h"

namespace tidora {

void CommSettings::SetInstrumentType(const std::string& type) {
  instrumentType = type;
  plus = type.find("plus") != std::string::npos;
  if (plus) {
    dataBits = 8;
    stopBits = 1;
    parity = 'N';
  } else {
    dataBits = 7;
    stopBits = 1;
    parity = 'E';
  }
}

std::string PortSettingsText(const CommSettings& s) {
  char text[96];
  std::snprintf(text, sizeof text, "COM%u, %ld, %d, %d, %c", static_cast<unsigned>(s.port + 1),
                s.baud, s.dataBits, s.stopBits, s.parity);
  return text;
}

std::string DefaultCommSettingsPath() {
  return SettingsFile("QuaylinkW.ini");
}

namespace {

std::string StripLineEnd(std::string v) {
  while (!v.empty() && (v.back() == '\n' || v.back() == '\r')) v.pop_back();
  return v;
}

long ToLong(const std::string& v) {
  return std::strtol(v.c_str(), nullptr, 10);
}

}  // namespace

SettingsRead ReadCommSettings(CommSettings& s, const std::string& path, const ScreenSize& screen,
                              ReleaseFlags* release) {
  s = CommSettings();
  s.settingsPath = path;
  std::error_code ec;
  std::string cwd = std::filesystem::current_path(ec).string();
  s.dataPath = cwd + "/";

  if (!std::filesystem::exists(path, ec) && !ec) {
    WriteCommSettings(s, path, nullptr, screen);
    return SettingsRead::kCreated;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in || !std::filesystem::is_regular_file(path, ec)) return SettingsRead::kDefaults;
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() > 259) line.resize(259);
    for (char& c : line) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    size_t eq = line.find('=');
    std::string value = eq == std::string::npos ? "" : line.substr(eq + 1);
    auto has = [&](const char* key) { return line.find(key) != std::string::npos; };
    if (has("instrument type=")) {
      s.SetInstrumentType(StripLineEnd(value));
      s.modelName = s.plus ? "TGR41plus" : "TGR41";
    } else if (has("data path=")) {
      s.dataPath = StripLineEnd(value);
    } else if (has("port=")) {
      long p = ToLong(value);
      if (p > 13 || p < 0) {  // a negative index would address no port at all
        s.port = 0;
      } else {
        s.port = s.previousPort = static_cast<int>(p);
        if (release) (*release)[static_cast<size_t>(p)] = true;
      }
    } else if (has("upload baud=")) {
      s.uploadBaud = ToLong(value);
    } else if (has("baud=")) {
      s.baud = ToLong(value);
    } else if (has("top=")) {
      long v = ToLong(value);
      s.top = (v < 0 || v > screen.height - 50) ? 0 : v;
    } else if (has("left=")) {
      long v = ToLong(value);
      s.left = (v < 0 || v > screen.width - 50) ? 0 : v;
    } else if (has("width=")) {
      long v = ToLong(value);
      s.width = (v < 20 || v > screen.width) ? 700 : v;
    } else if (has("height=")) {
      long v = ToLong(value);
      s.height = (v < 20 || v > screen.height) ? 600 : v;
    } else if (has("upload binary=")) {
      s.uploadBinary = static_cast<int>(ToLong(value));
    } else if (has("upload baud for 41 plus=")) {
      s.uploadBaud41plus = static_cast<int>(ToLong(value));
    } else if (has("upload baud for 41=")) {
      s.uploadBaud41 = static_cast<int>(ToLong(value));
    } else if (has("baud for 41 plus=")) {
      s.baud41plus = static_cast<int>(ToLong(value));
    }
  }
  return SettingsRead::kRead;
}

bool WriteCommSettings(const CommSettings& s, const std::string& path, const WindowRect* window,
                       const ScreenSize& screen) {
  long left = 20, top = 20, width = 700, height = 600;
  if (window) {
    left = std::max(0L, window->left);
    top = std::max(0L, window->top);
    width = std::min(window->width, screen.width);
    height = std::min(window->height, screen.height);
  }
  char buf[512];
  std::string text;
  auto add = [&](const char* fmt, auto value) {
    std::snprintf(buf, sizeof buf, fmt, value);
    text += buf;
  };
  add("top=%ld\n", top);
  add("left=%ld\n", left);
  add("width=%ld\n", width);
  add("height=%ld\n", height);
  add("instrument type=%s\n", s.instrumentType.c_str());
  add("data path=%s\n", s.dataPath.c_str());
  add("port=%d\n", s.port);
  add("baud=%ld\n", s.baud);
  add("upload baud=%ld\n", s.uploadBaud);
  add("upload binary=%d\n", s.uploadBinary);
  add("upload baud for 41 plus=%d\n", s.uploadBaud41plus);
  add("upload baud for 41=%d\n", s.uploadBaud41);
  add("baud for 41 plus=%d\n", s.baud41plus);
  return WriteFileAtomically(path, text);
}

// ---- Configure dialog ----

long ConfigureDialogModel::List::Value() const {
  if (selection < 0 || selection >= static_cast<int>(items.size())) return 9600;
  return items[static_cast<size_t>(selection)];
}

void ConfigureDialogModel::List::Select(long value) {
  auto it = std::find(items.begin(), items.end(), value);
  selection = it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

ConfigureDialogModel::ConfigureDialogModel(const CommSettings& settings) : working(settings) {
  rate.items.assign(kNormalRates.begin(), kNormalRates.end());
  rate.Select(working.baud);
  tgr41Checked = !working.plus;
  binaryChecked = working.uploadBinary != 0;
  if (tgr41Checked) {
    upload.items.assign(kTgr41UploadRates.begin(), kTgr41UploadRates.end());
    upload.Select(working.uploadBaud41);
    binaryEnabled = false;
    upload.enabled = true;
    rate.enabled = false;
  } else {
    upload.items.assign(kTgr41plusUploadRates.begin(), kTgr41plusUploadRates.end());
    upload.Select(working.uploadBaud41plus);
    binaryEnabled = true;
    rate.enabled = true;
    upload.enabled = binaryChecked;
  }
  for (int i = 1; i <= 14; ++i) ports.push_back("COM" + std::to_string(i));
  portSelection = working.port;
  opened_ = true;
}

void ConfigureDialogModel::ChooseTgr41() {
  working.SetInstrumentType("TGR41");
  tgr41Checked = true;
  if (opened_ && working.uploadBinary) working.uploadBaud41plus = static_cast<int>(upload.Value());
  working.baud41plus = static_cast<int>(rate.Value());
  rate.Select(9600);
  rate.enabled = false;
  upload.enabled = true;
  upload.items.assign(kTgr41UploadRates.begin(), kTgr41UploadRates.end());
  upload.Select(working.uploadBaud41);
  statusModel = "TGR41";
  binaryEnabled = false;
}

void ConfigureDialogModel::ChooseTgr41plus() {
  working.SetInstrumentType("TGR41plus");
  tgr41Checked = false;
  rate.enabled = true;
  statusModel = "TGR41plus";
  binaryEnabled = true;
  upload.enabled = binaryChecked;
  working.uploadBaud41 = static_cast<int>(upload.Value());
  upload.items.assign(kTgr41plusUploadRates.begin(), kTgr41plusUploadRates.end());
  upload.Select(binaryChecked ? working.uploadBaud41plus : working.baud41plus);
  rate.Select(working.baud41plus);
  if (rate.selection < 0) rate.Select(9600);
}

void ConfigureDialogModel::SetBinary(bool checked) {
  binaryChecked = checked;
  working.uploadBinary = checked ? 1 : 0;
  if (checked) {
    upload.items.assign(kTgr41plusUploadRates.begin(), kTgr41plusUploadRates.end());
    upload.Select(working.uploadBaud41plus);
    upload.enabled = true;
  } else {
    working.uploadBaud41plus = static_cast<int>(upload.Value());
    upload.items.assign(kNormalRates.begin(), kNormalRates.end());
    upload.Select(rate.Value());
    upload.enabled = false;
  }
}

void ConfigureDialogModel::SelectRate(int index) {
  rate.selection = index;
  if (!binaryChecked) upload.selection = index;
}

CommSettings ConfigureDialogModel::Ok() const {
  CommSettings s = working;
  s.previousPort = working.port;
  s.port = std::clamp(portSelection, 0, 13);
  s.uploadBaud = upload.Value();
  s.baud = rate.Value();
  if (s.instrumentType.find("plus") != std::string::npos) {
    s.baud41plus = static_cast<int>(s.baud);
    s.uploadBaud41plus = static_cast<int>(s.uploadBaud);
  } else {
    s.uploadBaud41 = static_cast<int>(s.uploadBaud);
  }
  return s;
}

}  // namespace tidora
