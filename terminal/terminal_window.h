#pragma once

#include <string>

#include "terminal/comm_settings.h"

namespace tidora {

// The menu's forms: idle (everything enabled), busy (commands greyed, Stop enabled) and busy
// without Stop.
enum class MenuForm { kIdle, kBusy, kBusyWithoutStop };

// Which menu commands a form leaves enabled (Exit, Help and About always are).
struct MenuItems {
  bool connect, configure, status, coefficients, dateTime, upload, capture, diagnostic, stop;
};
inline MenuItems MenuItemsFor(MenuForm form) {
  bool idle = form == MenuForm::kIdle;
  return {idle, idle, idle, idle, idle, idle, idle, idle, form != MenuForm::kBusyWithoutStop};
}

// Texts of the program shell.
inline constexpr const char* kWindowTitle = "QuaylinkW";
inline constexpr const char* kAboutFormat = "Tidora for Waves, QuaylinkW %s";  // kProgramVersion
inline constexpr const char* kReadyText = "Ready";

// What the session asks of the terminal's window, besides the message boxes, status line,
// progress and file choices that go through Interaction. Called on the window thread only (the
// reception thread reaches it through EventLoop::Send). The Qt window implements it; the command
// line and the tests have their own.
class TerminalWindow {
 public:
  virtual ~TerminalWindow() = default;
  // A received character for the terminal area (carriage returns never arrive here).
  virtual void ShowChar(char c) = 0;
  virtual void SetMenu(MenuForm form) = 0;
  // The Upload item on its own (greyed while a capture runs) and the Capture item's highlight.
  virtual void SetUploadItemEnabled(bool enabled) = 0;
  virtual void SetCaptureChecked(bool checked) = 0;
  // Status-bar parts 2 (instrument model) and 3 (port settings); part 0 is Interaction::Status.
  virtual void SetStatusPart(int part, const std::string& text) = 0;
  // The DateTime dialog's status field.
  virtual void SetDateTimeStatus(const std::string& text) = 0;
  // The Configure command posted after a wrong instrument type.
  virtual void OpenConfigure() = 0;
  // The main window's place for the settings file; false when it cannot be read.
  virtual bool GetWindowRect(WindowRect& rect) = 0;
  virtual ScreenSize Screen() { return ScreenSize{}; }
};

// A window that shows nothing: for sessions run without a screen (benchmarks, the demo). Its
// place for the settings file cannot be read.
class HeadlessWindow : public TerminalWindow {
 public:
  void ShowChar(char) override {}
  void SetMenu(MenuForm) override {}
  void SetUploadItemEnabled(bool) override {}
  void SetCaptureChecked(bool) override {}
  void SetStatusPart(int, const std::string&) override {}
  void SetDateTimeStatus(const std::string&) override {}
  void OpenConfigure() override {}
  bool GetWindowRect(WindowRect&) override { return false; }
};

// The terminal area's trimming: when the count of shown characters passes the threshold, the
// older half goes and the newest text stays at the end.
class TerminalText {
 public:
  explicit TerminalText(size_t limit = 30000) : threshold_(limit - limit / 8) {}
  void Add(char c);
  const std::string& text() const { return text_; }
  size_t threshold() const { return threshold_; }

 private:
  std::string text_;
  size_t threshold_;
  size_t count_ = 0;
};

}  // namespace tidora
