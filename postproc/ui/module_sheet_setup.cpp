// The sheet's setup file commands and the choice of input files and output directory.

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>

#include "datafile/textio.h"
#include "outside/utility.h"
#include "platform/ui/dialog_builder.h"
#include "postproc/input_selection.h"
#include "postproc/ui/module_sheet.h"
#include "postproc/ui/sheet_helpers.h"

namespace tidora::ui {

using sheet::DirOf;
using sheet::NameOf;
using sheet::Q;

void ModuleSheet::ApplyLauncherValues() {
  const CPostProc::LauncherValues& l = module_.Launcher();
  CPostProcSetup& s = module_.Setup();
  if (!l.inputFiles.empty()) {
    if (!RepeatedExtension(l.inputFiles).empty()) {
      s.inputFiles.clear();
    } else {
      s.inputDir = l.inputDir;
      s.inputFiles = l.inputFiles;
    }
  }
  if (l.hasOutputDir) s.outputDir = l.outputDir;
  if (l.hasNameAppend) s.nameAppend = l.nameAppend;
}

bool ModuleSheet::Open(bool setupFromLauncher) {
  prefs_ = ReadModulePreferences(module_.Setup().DisplayName());
  UpdateExitTexts();
  CPostProcSetup& s = module_.Setup();
  if (!setupFromLauncher && !RunStartUpSequence(s, prefs_, ui_)) {
    ui_.Message("This program must be shutdown.", s.DisplayName(), MsgIcon::Error, MsgButtons::Ok);
    return false;
  }
  const std::string dup = RepeatedExtension(s.inputFiles);
  if (!dup.empty()) {
    ui_.Message(FormatC("More than one file with .%s extension found in %s file", dup.c_str(),
                        s.setupPath.c_str()),
                "Duplicate Extensions Found", MsgIcon::Error, MsgButtons::Ok);
    s.inputFiles.clear();
  }
  ApplyLauncherValues();
  OpenInputs();
  FillControls();
  TakeSnapshot();
  return true;
}

int ModuleSheet::Run(bool setupFromLauncher) {
  if (!Open(setupFromLauncher)) return QDialog::Rejected;
  return exec();
}

// ---- Setup file buttons ----

bool ModuleSheet::eventFilter(QObject* watched, QEvent* event) {
  if (watched == setupPath_ && event->type() == QEvent::FocusOut) {
    // The widget taking the focus is known by now.
    const int to = ControlId(QApplication::focusWidget());
    const bool toSetupButton =
        QApplication::focusWidget() && setupPath_->parentWidget() &&
        QApplication::focusWidget()->parentWidget() == setupPath_->parentWidget() &&
        (to == kIdOpen || to == kIdSaveAs);
    if (!toSetupButton) setupPath_->setText(Q(module_.Setup().setupPath));
  }
  return QDialog::eventFilter(watched, event);
}

bool ModuleSheet::CheckTypedSetupPath(bool forOpen, std::string* start) {
  const std::string typed = setupPath_->text().toStdString();
  const CPostProcSetup& s = module_.Setup();
  *start = s.setupPath;
  if (typed == s.setupPath || typed.empty()) return true;
  const std::string caption =
      forOpen ? "Cannot Open Program Setup File" : "Cannot 'Save As' Program Setup File";
  auto refuse = [&](const std::string& text) {
    ui_.Message(text, caption, MsgIcon::Information, MsgButtons::Ok);
    setupPath_->setText(Q(s.setupPath));
    return false;
  };
  const std::string name = NameOf(typed);
  const std::string ext = LowerExtension(name);
  if (forOpen && !IsFile(typed)) {
    return IsDirectory(DirOf(typed)) ? refuse("File " + typed + " cannot be found.")
                                     : refuse("Directory " + typed + " cannot be found.");
  }
  if (!ext.empty() && ext != "psa")
    return refuse("File " + typed + " does not have a '.psa' extension.");
  if (!forOpen && !IsDirectory(DirOf(typed)))
    return refuse("Directory " + DirOf(typed) + " cannot be found.");
  *start = typed;
  return true;
}

void ModuleSheet::OpenSetup() {
  if (processing()) return;
  std::string start;
  if (!CheckTypedSetupPath(true, &start)) return;
  FileRequest r;
  r.mode = FileRequest::kOpen;
  r.title = "Open Program Setup File";
  r.filters = {{"Program Setup File (*.psa)", {"*.psa"}}};
  r.defaultExtension = "psa";
  r.initialDir = IsDirectory(start) ? start : DirOf(start);
  r.initialName = IsDirectory(start) ? "" : NameOf(start);
  const std::vector<std::string> chosen = ui_.ChooseFiles(r);
  if (chosen.empty()) {
    setupPath_->setText(Q(module_.Setup().setupPath));
    return;
  }
  TakeModulePages();
  if (!SaveChangesCheck(true)) return;
  if (module_.Setup().Load(FullPath(chosen[0]), 1, ui_)) {
    inputChangedSinceOpen_ = false;
    OpenInputs();
    FillControls();
    SetStatus("Not processing");
    TakeSnapshot();
  } else {
    FillControls();
  }
}

void ModuleSheet::SaveSetup() {
  if (processing()) return;
  TakeModulePages();
  CPostProcSetup& s = module_.Setup();
  if (s.Save(s.setupPath, ui_)) TakeSnapshot();
}

void ModuleSheet::SaveSetupAs() {
  if (processing()) return;
  TakeModulePages();
  std::string start;
  if (!CheckTypedSetupPath(false, &start)) return;
  FileRequest r;
  r.mode = FileRequest::kSave;
  r.title = "Save Program Setup File As";
  r.filters = {{"Program Setup File (*.psa)", {"*.psa"}}};
  r.defaultExtension = "psa";
  r.mustExist = false;
  r.initialDir = DirOf(start);
  r.initialName = NameOf(start);
  const std::vector<std::string> chosen = ui_.ChooseFiles(r);
  CPostProcSetup& s = module_.Setup();
  if (!chosen.empty() && s.Save(FullPath(chosen[0]), ui_)) TakeSnapshot();
  setupPath_->setText(Q(s.setupPath));
}

void ModuleSheet::RestoreSetup() {
  if (processing() || !saved_) return;
  CPostProcSetup& s = module_.Setup();
  const std::string path = s.setupPath;
  const CPostProcSetup& copy = *saved_;
  s.inputDir = copy.inputDir;
  s.inputFiles = copy.inputFiles;
  s.outputDir = copy.outputDir;
  s.nameAppend = copy.nameAppend;
  s.outputFile = copy.outputFile;
  s.lastProcessed = copy.lastProcessed;
  s.CopyModuleFrom(copy);
  s.setupPath = path;
  OpenInputs();
  FillControls();
}

void ModuleSheet::DefaultFileSetup() {
  if (processing()) return;
  TakeModulePages();
  CPostProcSetup& s = module_.Setup();
  s.ResetFramework(DirOf(s.setupPath));
  OpenInputs();
  FillControls();
}

void ModuleSheet::DefaultDataSetup() {
  if (processing()) return;
  module_.Setup().ResetModule();
  for (ModulePage* p : pages_) p->Fill();
}

// ---- Input and output place ----

bool ModuleSheet::SelectInputFiles() {
  CPostProcSetup& s = module_.Setup();
  if (selectUsed_ && !IsDirectory(s.inputDir)) {
    ui_.Message(s.inputDir + " cannot be found.", "Input Directory Not Found", MsgIcon::Warning,
                MsgButtons::Ok);
    s.inputDir = DirOf(s.setupPath);
  }
  selectUsed_ = true;
  FileRequest r;
  r.mode = FileRequest::kOpenMultiple;
  r.title = texts_.selectTitle;
  r.filters = {texts_.inputFilter};
  r.initialDir = s.inputDir;
  std::vector<std::string> chosen = ui_.ChooseFiles(r);
  if (chosen.empty()) {
    FillControls();
    return false;
  }
  const std::string dir = DirOf(FullPath(chosen[0]));
  std::vector<std::string> names;
  for (const auto& path : chosen) names.push_back(NameOf(path));
  SortInputNames(names);
  if (texts_.takeSelection) {
    // The module opens its inputs from the input directory: set it first, and put it back
    // when the names are refused.
    const std::string oldDir = s.inputDir;
    s.inputDir = dir;
    if (!texts_.takeSelection(names)) {
      s.inputDir = oldDir;
      return false;
    }
    if (dir != oldDir && dir != s.outputDir &&
        ui_.Message("Do you want to change the output directory to " + dir + "?",
                    "Input Directory Has Changed", MsgIcon::Question,
                    MsgButtons::YesNo) == MsgAnswer::Yes)
      s.outputDir = dir;
    s.lastProcessed = 0;
    rememberedLastProcessed_ = 0;
    inputChangedSinceOpen_ = true;
    FillControls();
    return true;
  }
  if (!TakeInputSelection(names, texts_.selectionRules, ui_)) return false;
  s.inputFiles = names;
  if (dir != s.inputDir) {
    s.inputDir = dir;
    if (dir != s.outputDir &&
        ui_.Message("Do you want to change the output directory to " + dir + "?",
                    "Input Directory Has Changed", MsgIcon::Question,
                    MsgButtons::YesNo) == MsgAnswer::Yes)
      s.outputDir = dir;
  }
  OpenInputs();
  if (texts_.outputFileFromInput && !s.inputFiles.empty()) {
    s.outputFile = s.inputFiles[0];
    RemoveExtension(s.outputFile);
    s.outputFile += ".";
  }
  s.lastProcessed = 0;
  rememberedLastProcessed_ = 0;
  inputChangedSinceOpen_ = true;
  FillControls();
  return true;
}

void ModuleSheet::TakeTypedInputDir() {
  const std::string typed = inputDir_->text().toStdString();
  CPostProcSetup& s = module_.Setup();
  if (!inputDir_->isModified() || typed == s.inputDir) return;
  inputDir_->setModified(false);
  if (!IsDirectory(typed)) {
    ui_.Message("Directory " + typed + " cannot be found.", "Cannot Select Input Files",
                MsgIcon::Information, MsgButtons::Ok);
    inputDir_->setText(Q(s.inputDir));
    return;
  }
  const std::string old = s.inputDir;
  s.inputDir = typed;
  if (!SelectInputFiles()) {
    s.inputDir = old;
    inputDir_->setText(Q(old));
  }
}

void ModuleSheet::TakeTypedOutputDir() {
  const std::string typed = outputDir_->text().toStdString();
  CPostProcSetup& s = module_.Setup();
  if (typed == s.outputDir) return;
  if (!IsDirectory(typed)) {
    ui_.Message("Directory " + typed + " cannot be found.", "Cannot Select Output Directory",
                MsgIcon::Information, MsgButtons::Ok);
    outputDir_->setText(Q(s.outputDir));
    return;
  }
  s.outputDir = typed;
}

void ModuleSheet::SelectOutputDir() {
  CPostProcSetup& s = module_.Setup();
  std::optional<std::string> dir =
      ui_.ChooseFolder("Select Output Directory", IsDirectory(s.outputDir) ? s.outputDir : "");
  if (dir && !dir->empty()) s.outputDir = *dir;
  outputDir_->setText(Q(s.outputDir));
}

}  // namespace tidora::ui
