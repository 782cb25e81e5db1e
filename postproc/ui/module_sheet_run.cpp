// Start and Stop, the processing thread's page messages, and the Exit and Cancel rules.

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

#include "platform/ui/dialog_builder.h"
#include "postproc/ui/module_sheet.h"

namespace tidora::ui {

// ---- Start and Stop ----

void ModuleSheet::StartOrStop() {
  if (processing()) {
    module_.StopProcess();
    return;
  }
  activeAtStart_ = tabs_->currentIndex();
  TakeModulePages();
  tabs_->setCurrentIndex(0);
  if (tabs_->currentIndex() != 0) return;  // a page kept for a value out of range
  CPostProcSetup& s = module_.Setup();
  if (!IsDirectory(s.inputDir)) {
    SelectInputFiles();
    return;
  }
  if (s.inputFiles.empty()) {
    ui_.Message("Input files have not been selected.", "Cannot Start Process", MsgIcon::Warning,
                MsgButtons::Ok);
    SelectInputFiles();
    return;
  }
  if (!IsDirectory(s.outputDir)) {
    ui_.Message(s.outputDir + " cannot be found.", "Output Directory Not Found", MsgIcon::Warning,
                MsgButtons::Ok);
    SelectOutputDir();
    return;
  }
  if (!module_.CheckRunOutputs(module_.OutputBase())) return;  // an output is an input
  showDataPage_ = false;
  if (!module_.StartCheck()) {
    // The module has said why; it may want its Data Setup page.
    if (showDataPage_) BringDataSetupPage();
    return;
  }
  module_.overwriteWarning = prefs_.overwriteWarning;
  module_.yesToAll = false;
  finalStatus_.clear();
  fileCount_ = static_cast<int>(s.inputFiles.size());
  SetRunningState(true);
  if (!module_.StartProcess()) SetRunningState(false);
}

void ModuleSheet::SetRunningState(bool running) {
  for (QWidget* w : inputs_) w->setEnabled(!running);
  startButton_->setText(running ? "Stop Process" : "Start Process");
  findCommand(this, kCmdStartProcess)->setText(running ? "Stop &Process" : "Start &Process");
  for (int c : {kCmdOpen, kCmdSave, kCmdSaveAs, kCmdRestore, kCmdDefaultFileSetup})
    findCommand(this, c)->setEnabled(!running);
  optionsMenu_->setEnabled(!running);
  helpMenu_->setEnabled(!running);
  for (ModulePage* p : pages_) p->setEnabled(!running);
}

// ---- Page messages ----

void ModuleSheet::OnProgressRange(int low, int high) {
  progress_->setRange(low, high);
}

void ModuleSheet::OnProgressPos(int percent) {
  progress_->setValue(percent);
  percent_->setText(QString::asprintf("%d%%", percent));
}

void ModuleSheet::OnProcessingStarted(int fileCount) {
  fileCount_ = fileCount;
  progress_->setValue(0);
  SetRunningState(true);
}

void ModuleSheet::OnProcessingComplete() {
  percent_->clear();
  for (QWidget* w : inputs_) w->setEnabled(true);
  finalStatus_ = "Processing complete";
  SetStatus("Finishing processing.  Please wait.");
  tabs_->setCurrentIndex(activeAtStart_);
}

void ModuleSheet::OnProcessingFile(int index, const std::string& name) {
  progress_->setValue(0);
  SetStatus(ProcessingFileText(index, fileCount_, name));
  percent_->setText("0%");
}

void ModuleSheet::OnProcessingStopped(int index) {
  percent_->clear();
  for (QWidget* w : inputs_) w->setEnabled(true);
  const auto& files = module_.Setup().inputFiles;
  const std::string name =
      index >= 0 && index < static_cast<int>(files.size()) ? files[index] : std::string();
  finalStatus_ = ProcessingStoppedText(index, fileCount_, name);
  SetStatus("Stopping processing.  Please wait.");
}

void ModuleSheet::OnThreadEnded() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  module_.ThreadEnded();
  QApplication::restoreOverrideCursor();
  SetStatus(finalStatus_.empty() ? "Not processing" : finalStatus_);
  finalStatus_.clear();
  SetRunningState(false);
  if (showDataPage_) BringDataSetupPage();
}

void ModuleSheet::BringDataSetupPage() {
  showDataPage_ = false;
  if (tabs_->count() < 2 || pages_.empty()) return;
  tabs_->setCurrentIndex(1);
  pages_.front()->DataSetupRequested();
}

void ModuleSheet::OnProcessingWaveData() {
  progress_->setValue(0);
  SetStatus("Processing Wave Data...");
  percent_->setText("0%");
}

void ModuleSheet::OnStatusText(const std::string& text) {
  SetStatus(text);
}

void ModuleSheet::OnRequestClose() {
  // The processing thread would not end: close without touching the setup file.
  WriteModulePreferences(
      module_.Setup().DisplayName(),
      {module_.Setup().setupPath, prefs_.confirmChanges, prefs_.overwriteWarning});
  Finish(QDialog::Rejected);
}

// ---- Exit and Cancel ----

bool ModuleSheet::SetupChanged() {
  TakeModulePages();
  return saved_ && !module_.Setup().Equals(*saved_);
}

bool ModuleSheet::ProcessingExitCheck() {
  if (!processing()) return true;
  module_.SuspendProcess();
  if (isMinimized()) showNormal();
  if (ui_.Message("Are you sure you want to stop processing?",
                  "Cannot Close Until Processing Is Stopped", MsgIcon::Question,
                  MsgButtons::YesNo) != MsgAnswer::Yes) {
    module_.ResumeProcess();
    return false;
  }
  module_.StopProcess();
  return true;
}

bool ModuleSheet::SaveChangesCheck(bool forOpen) {
  CPostProcSetup& s = module_.Setup();
  if (!SetupChanged()) {
    if (!forOpen && s.lastProcessed != rememberedLastProcessed_) return s.Save(s.setupPath, ui_);
    return true;
  }
  if (prefs_.confirmChanges) {
    const MsgAnswer a =
        ui_.Message("Do you want to save your changes to " + s.setupPath + "?",
                    "Program Setup Has Changed", MsgIcon::Question, MsgButtons::YesNoCancel);
    if (a == MsgAnswer::Cancel) return false;
    if (a == MsgAnswer::No) {
      if (forOpen) return true;
      const int last = inputChangedSinceOpen_ ? saved_->lastProcessed : s.lastProcessed;
      RestoreSetup();
      s.lastProcessed = last;
      return s.Save(s.setupPath, ui_) != 0;
    }
  }
  // A setup that cannot be saved keeps the window open, so the changes are not lost.
  return s.Save(s.setupPath, ui_) != 0;
}

void ModuleSheet::OnOk() {
  if (finished_) return;
  if (!ProcessingExitCheck()) return;
  if (!SaveChangesCheck(false)) return;
  WriteModulePreferences(
      module_.Setup().DisplayName(),
      {module_.Setup().setupPath, prefs_.confirmChanges, prefs_.overwriteWarning});
  Finish(QDialog::Accepted);
}

void ModuleSheet::OnCancel() {
  if (finished_) return;
  if (!ProcessingExitCheck()) return;
  CPostProcSetup& s = module_.Setup();
  if (saved_ && s.lastProcessed != rememberedLastProcessed_) {
    const int last = inputChangedSinceOpen_ ? 0 : s.lastProcessed;
    RestoreSetup();
    s.lastProcessed = last;
    s.Save(s.setupPath, ui_);
  }
  WriteModulePreferences(s.DisplayName(),
                         {s.setupPath, prefs_.confirmChanges, prefs_.overwriteWarning});
  Finish(QDialog::Rejected);
}

void ModuleSheet::Finish(int result) {
  finished_ = true;
  QDialog::done(result);
}

void ModuleSheet::done(int r) {
  // Escape and the window's own close come here: they follow the Cancel and Exit rules.
  if (finished_) {
    QDialog::done(r);
    return;
  }
  if (r == QDialog::Accepted)
    OnOk();
  else
    OnCancel();
}

void ModuleSheet::closeEvent(QCloseEvent* e) {
  e->ignore();
  if (!finished_) OnOk();
}

int RunModuleSheet(CPostProc& module, ModuleSheet& sheet, SheetBridge& bridge,
                   bool setupFromLauncher) {
  const int result = sheet.Run(setupFromLauncher);
  // A thread left behind (the bounded wait expired) gets the stop flag; the window is gone,
  // so its messages are dropped, and it is waited for while the event loop keeps turning.
  bridge.Detach();
  module.StopFlag().store(1);
  module.ResumeProcess();
  while (!module.WaitForThread(std::chrono::milliseconds(50))) QCoreApplication::processEvents();
  module.ThreadEnded();
  module.SetPage(nullptr);
  return result;
}

}  // namespace tidora::ui
