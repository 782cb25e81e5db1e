#pragma once

#include <array>
#include <string>
#include <vector>

namespace tidora {

// Line rates, fixed in the program.
inline constexpr std::array<long, 7> kNormalRates = {600, 1200, 2400, 4800, 9600, 19200, 38400};
inline constexpr std::array<long, 3> kTgr41UploadRates = {9600, 19200, 38400};
inline constexpr std::array<long, 9> kTgr41plusUploadRates = {1200,  2400,  4800,  9600,  19200,
                                                              28800, 38400, 57600, 115200};

// The terminal's settings record (QuaylinkW.ini).
struct CommSettings {
  long searchStart = 0;
  int searchIndex = 0;
  std::string modelName = "TGR41";
  long top = 20, left = 20, width = 700, height = 600;
  std::string instrumentType = "TGR41";
  std::string dataPath;  // current directory and "/"
  bool portOpen = false;
  int port = 0;  // 0..13 = COM1..COM14
  int previousPort = 0;
  long baud = 9600;
  long uploadBaud = 9600;
  int dataBits = 7, stopBits = 1;
  char parity = 'E';
  std::string settingsPath;
  bool plus = false;  // TGR 41plus and TGR 77 BPR class
  int uploadBinary = 0;
  int uploadBaud41plus = 9600;
  int uploadBaud41 = 9600;
  int baud41plus = 9600;

  // Sets the type, the class flag and the line format that goes with it.
  void SetInstrumentType(const std::string& type);
};

// "COM%u, %ld, %d, %d, %c"
std::string PortSettingsText(const CommSettings& s);

struct ScreenSize {
  long width = 1920, height = 1080;
};
struct WindowRect {
  long left, top, width, height;
};

// Ports named by the settings file get their release-at-exit flag.
using ReleaseFlags = std::array<bool, 14>;

enum class SettingsRead { kRead, kCreated, kDefaults };
// Reads QuaylinkW.ini at `path` into `s` (defaults first). A missing file is created with the
// defaults; a file that cannot be read leaves the defaults.
SettingsRead ReadCommSettings(CommSettings& s, const std::string& path, const ScreenSize& screen,
                              ReleaseFlags* release = nullptr);
// Writes every line; `window` null gives 20, 20, 700, 600. False (and nothing changed) on failure.
bool WriteCommSettings(const CommSettings& s, const std::string& path, const WindowRect* window,
                       const ScreenSize& screen);
// SettingsFile("QuaylinkW.ini").
std::string DefaultCommSettingsPath();

// The Configure dialog as a model: the window mirrors these fields into its controls and calls
// the handlers on user actions.
class ConfigureDialogModel {
 public:
  struct List {
    std::vector<long> items;
    int selection = -1;
    bool enabled = true;
    long Value() const;  // 9600 when nothing (or nothing readable) is selected
    void Select(long value);
  };

  explicit ConfigureDialogModel(const CommSettings& settings);

  void ChooseTgr41();
  void ChooseTgr41plus();
  void SetBinary(bool checked);
  void SelectRate(int index);
  void SelectUpload(int index) { upload.selection = index; }
  void SelectPort(int index) { portSelection = index; }
  // OK: the settings the dialog leaves behind (the caller opens the port and saves them).
  CommSettings Ok() const;

  CommSettings working;
  bool tgr41Checked = true;
  bool binaryChecked = false;
  bool binaryEnabled = false;
  List rate, upload;
  std::vector<std::string> ports;  // "COM1" .. "COM14"
  int portSelection = 0;
  std::string statusModel;  // status part 2 while the dialog runs; empty when untouched

 private:
  bool opened_ = false;
};

}  // namespace tidora
