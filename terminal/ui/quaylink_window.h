#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QProgressBar>
#include <array>
#include <memory>

#include "platform/serial_port.h"
#include "platform/ui/qt_interaction.h"
#include "terminal/session.h"
#include "terminal/terminal_window.h"
#include "terminal/ui/qt_event_loop.h"
#include "terminal/ui/terminal_area.h"
#include "terminal/ui/terminal_dialogs.h"

namespace tidora::ui {

// Menu command numbers (each action carries its number, see findCommand).
enum QuaylinkCommand : int {
  ID_FILE_EXIT = 40001,
  ID_CONNECT,
  ID_CONFIGURE,
  ID_STATUS,
  ID_COEFFICIENTS,
  ID_DATETIME,
  ID_UPLOAD,
  ID_CAPTURE,
  ID_STOP,
  ID_DIAGNOSTIC,
  ID_HELP_CONTENTS,
  ID_HELP_TOPIC,
  ID_HELP_ABOUT,
};
// Child identifier of the terminal area.
inline constexpr int kTerminalAreaId = 100;

// QuaylinkW's main window: the terminal area over a four-part status bar, the menu, and the
// session that drives the recorder. The session's window-side calls arrive here on the GUI thread.
class QuaylinkWindow : public QMainWindow, public TerminalWindow {
  Q_OBJECT
 public:
  // `settings` has been read; `ui` shows boxes and file dialogs and gets the status bar.
  QuaylinkWindow(CommSettings& settings, SerialPorts& ports, QtInteraction& ui,
                 int terminalLimit = 30000, QWidget* parent = nullptr);
  ~QuaylinkWindow() override;

  // Window created: the session starts, the port opens, the reception thread runs.
  void Start(const ReleaseFlags* release = nullptr);

  TerminalSession& session() { return *session_; }
  TerminalArea* terminal() const { return terminal_; }
  QLabel* statusPart(int part) const;
  QProgressBar* progress() const { return progress_; }
  DateTimeDialog* dateTimeDialog() const { return dateTime_; }
  MenuForm menuForm() const { return form_; }

  // Menu commands that open dialogs.
  void ConfigureCommand();
  void DateTimeCommand();
  void AboutCommand();

  // TerminalWindow.
  void ShowChar(char c) override;
  void SetMenu(MenuForm form) override;
  void SetUploadItemEnabled(bool enabled) override;
  void SetCaptureChecked(bool checked) override;
  void SetStatusPart(int part, const std::string& text) override;
  void SetDateTimeStatus(const std::string& text) override;
  void OpenConfigure() override;
  bool GetWindowRect(WindowRect& rect) override;
  ScreenSize Screen() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QAction* AddCommand(QWidget* menu, int id, const QString& text);
  void LayoutStatusParts();
  std::array<int, 4> PartWidths() const;
  int ContentWidth() const;
  void Finish();

  CommSettings& settings_;
  QtInteraction& ui_;
  QtEventLoop loop_;
  std::unique_ptr<TerminalSession> session_;
  TerminalArea* terminal_;
  QLabel* parts_[4] = {};
  QProgressBar* progress_;
  QPointer<DateTimeDialog> dateTime_;
  MenuForm form_ = MenuForm::kIdle;
  bool started_ = false, finished_ = false;
};

}  // namespace tidora::ui
