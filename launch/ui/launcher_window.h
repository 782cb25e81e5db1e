#pragma once

#include <QMainWindow>
#include <QPixmap>
#include <string>
#include <vector>

#include "launch/module_start.h"
#include "launch/ui/coefficient_dialog.h"
#include "launch/ui/run_options_dialog.h"

class QMenu;

namespace tidora {
class Interaction;
}

namespace tidora::ui {

// Menu commands of the launcher.
enum LauncherCommand {
  kCmdPlanDeployment = 32804,
  kCmdEndurance = 32087,
  kCmdQuaylink = 32806,
  kCmdConvertHex = 32805,
  kCmdMergeBarometric = 32773,
  kCmdProcessWaves = 32774,
  kCmdCreateReports = 32775,
  kCmdPlotData = 32776,
  kCmdRunOptions = 32777,
  kCmdExit = 32789,
  kCmdHelpContents = 57607,
  kCmdHelpTopic = 57608,
  kCmdAbout = 57664,
};

// The launcher's picture, drawn in code: sky, sea, a moored recorder on the bottom.
QPixmap LauncherPicture(QSize size);

// The launcher's window: its picture and the Run menu of the eight steps.
class LauncherWindow : public QMainWindow, public ModuleHost {
  Q_OBJECT
 public:
  // `converterSwitches` are the start-up switches (-v, -t, -d) handed to the converter.
  LauncherWindow(Interaction& ui, std::vector<std::string> converterSwitches = {},
                 QWidget* parent = nullptr);

  QMenu* runMenu() const { return runMenu_; }
  const RunOptions& runOptions() const { return options_; }
  const std::vector<std::string>& converterSwitches() const { return converterSwitches_; }
  // Where the sibling programs are looked for (the launcher's own folder by default).
  void SetProgramDirectory(const QString& dir) { programDir_ = dir; }
  // Whether opening pops the Run menu up (the programs do; screenshots and tests choose).
  void SetPopUpRunMenu(bool on) { popUpMenu_ = on; }

  // Run menu steps.
  void PlanDeployment();
  void ConvertHex();
  // Starts a sibling program detached; a program that cannot start is not reported.
  bool StartProgram(const QString& name);
  void RunModule(int index);
  // Opens a file handed to the launcher where it belongs (a setup file in its module, a data
  // file in Plot Data, an upload file in Convert HEX); false, after saying so, for other files.
  bool OpenFile(const std::string& path);
  void ShowRunOptions();
  void ShowAbout();

  // ModuleHost
  void SetTitle(const std::string& title) override;
  void Minimize() override;
  void Restore() override;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  QAction* AddCommand(QMenu* menu, const QString& text, int command);

  Interaction& ui_;
  std::vector<std::string> converterSwitches_;
  RunOptions options_;
  // The converter's coefficient slots, from their defaults at opening.
  CoefficientSession coefficients_;
  QString programDir_;
  QMenu* runMenu_;
  bool popUpMenu_ = true;
  bool shownOnce_ = false;
};

}  // namespace tidora::ui
