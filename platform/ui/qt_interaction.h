#pragma once

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>
#include <QWidget>

#include "platform/interaction.h"

namespace tidora::ui {

// The desktop programs' interaction: message boxes, file dialogs, a status line and a progress
// bar. Every call may come from a worker thread; it then runs on the GUI thread and the worker
// waits until it is done, so a report is handled before the worker goes on.
class QtInteraction : public QObject, public Interaction {
  Q_OBJECT
 public:
  explicit QtInteraction(QWidget* parent = nullptr);

  // Boxes and file dialogs are owned by this window.
  void SetWindow(QWidget* window) { window_ = window; }
  // Where the status text goes: a label or a status bar (either may be left out).
  void SetStatusLabel(QLabel* label) { statusLabel_ = label; }
  void SetStatusBar(QStatusBar* bar) { statusBar_ = bar; }
  void SetProgressBar(QProgressBar* bar) { progress_ = bar; }

  MsgAnswer Message(const std::string& text, const std::string& caption, MsgIcon icon,
                    MsgButtons buttons) override;
  int Choose(const std::string& text, const std::string& caption,
             const std::vector<std::string>& buttons) override;
  void Status(const std::string& text) override;
  void ProgressRange(int low, int high) override;
  void ProgressPos(int pos) override;
  std::vector<std::string> ChooseFiles(const FileRequest& request) override;
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& initial) override;

 private:
  // Runs fn on the GUI thread and waits for it.
  template <class Fn>
  void OnGuiThread(Fn&& fn);

  QPointer<QWidget> window_;
  QPointer<QLabel> statusLabel_;
  QPointer<QStatusBar> statusBar_;
  QPointer<QProgressBar> progress_;
};

// The file-dialog filter text of a request ("Text Files (*.ini) (*.ini);;...").
QString FilterText(const FileRequest& request);

}  // namespace tidora::ui
