#include "postproc/ui/module_sheet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <sstream>

#include "outside/utility.h"
#include "platform/ui/about_box.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/help_browser.h"

namespace tidora::ui {

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

std::string ExtensionOf(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string RootOf(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string DirOf(const std::string& path) {
  std::string dir;
  if (!ExtractDirectory(path, dir, 0)) return ".";
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Two selected names sharing an extension; the extension, or empty.
std::string DuplicateExtension(const std::vector<std::string>& names) {
  for (size_t i = 0; i < names.size(); ++i)
    for (size_t j = i + 1; j < names.size(); ++j)
      if (Lower(ExtensionOf(names[i])) == Lower(ExtensionOf(names[j])))
        return ExtensionOf(names[i]);
  return {};
}

std::string FullPath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(path, ec);
  return ec ? path : full.lexically_normal().string();
}

template <class... A>
std::string Format(const char* fmt, A... args) {
  return QString::asprintf(fmt, args...).toStdString();
}

}  // namespace

std::string LineEditField::GetText() const {
  return e_->text().toStdString();
}

void LineEditField::SetText(const std::string& t) {
  e_->setText(QString::fromStdString(t));
}

// ---- SheetBridge ----

SheetBridge::SheetBridge() = default;

void SheetBridge::Attach(ModuleSheet* sheet) {
  sheet_ = sheet;
  attached_.store(true);
}

void SheetBridge::Detach() {
  attached_.store(false);
  sheet_ = nullptr;
}

template <class Fn>
void SheetBridge::Deliver(Fn&& fn, bool wait) {
  if (!attached_.load()) return;
  auto call = [this, fn = std::forward<Fn>(fn)]() {
    if (sheet_) fn(*sheet_);
  };
  if (QThread::currentThread() == thread()) {
    call();
  } else {
    QMetaObject::invokeMethod(this, call,
                              wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
  }
}

void SheetBridge::ProgressRange(int low, int high) {
  Deliver([=](ModuleSheet& s) { s.OnProgressRange(low, high); }, true);
}
void SheetBridge::ProgressPos(int percent) {
  Deliver([=](ModuleSheet& s) { s.OnProgressPos(percent); }, true);
}
void SheetBridge::ProcessingStarted(int fileCount) {
  Deliver([=](ModuleSheet& s) { s.OnProcessingStarted(fileCount); }, true);
}
void SheetBridge::ProcessingComplete() {
  Deliver([](ModuleSheet& s) { s.OnProcessingComplete(); }, true);
}
void SheetBridge::ProcessingFile(int index, const std::string& name) {
  Deliver([=](ModuleSheet& s) { s.OnProcessingFile(index, name); }, true);
}
void SheetBridge::ProcessingStopped(int index) {
  Deliver([=](ModuleSheet& s) { s.OnProcessingStopped(index); }, true);
}
void SheetBridge::ThreadEnded() {
  // Queued: the thread must not wait for the page that will join it.
  if (!attached_.load()) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (sheet_) sheet_->OnThreadEnded();
      },
      Qt::QueuedConnection);
}
void SheetBridge::ProcessingWaveData() {
  Deliver([](ModuleSheet& s) { s.OnProcessingWaveData(); }, true);
}
void SheetBridge::StatusText(const std::string& text) {
  Deliver([=](ModuleSheet& s) { s.OnStatusText(text); }, true);
}
void SheetBridge::ShowDataSetupPage() {
  Deliver([](ModuleSheet& s) { s.OnShowDataSetupPage(); }, true);
}
void SheetBridge::RequestClose() {
  if (!attached_.load()) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (sheet_) sheet_->OnRequestClose();
      },
      Qt::QueuedConnection);
}
void SheetBridge::ProcessPendingMessages() {
  if (QThread::currentThread() == thread()) QCoreApplication::processEvents();
}

// ---- ModuleSheet ----

ModuleSheet::ModuleSheet(CPostProc& module, Interaction& ui, SheetBridge& bridge,
                         ModuleSheetTexts texts, std::vector<ModulePage*> pages, QWidget* parent)
    : QDialog(parent),
      module_(module),
      ui_(ui),
      bridge_(bridge),
      texts_(std::move(texts)),
      pages_(std::move(pages)) {
  setWindowTitle(Q(module_.Setup().DisplayName()));
  setWindowIcon(AppIcon());
  setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  auto* filePage = new QWidget;
  BuildFilePage(filePage);
  tabs_->addTab(filePage, "File Setup");
  for (ModulePage* p : pages_) tabs_->addTab(p, p->Caption());
  layout->addWidget(tabs_);

  // Start Process at the left; OK (Exit) and Cancel at the right.
  auto* buttons = new QHBoxLayout;
  startButton_ = new QPushButton("Start Process");
  SetControlId(startButton_, kIdStartButton);
  okButton_ = new QPushButton("Exit");
  SetControlId(okButton_, kIdOkButton);
  cancelButton_ = new QPushButton("Cancel");
  SetControlId(cancelButton_, kIdCancelButton);
  buttons->addWidget(startButton_);
  buttons->addStretch();
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);
  layout->addLayout(buttons);
  connect(startButton_, &QPushButton::clicked, this, &ModuleSheet::StartOrStop);
  connect(okButton_, &QPushButton::clicked, this, &ModuleSheet::OnOk);
  connect(cancelButton_, &QPushButton::clicked, this, &ModuleSheet::OnCancel);
  okButton_->setDefault(false);
  okButton_->setAutoDefault(false);
  startButton_->setAutoDefault(false);

  // Leaving a module page takes its fields; a field out of range keeps the page.
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (returningToPage_) return;
    const int left = currentTab_ - 1;
    if (left >= 0 && left < static_cast<int>(pages_.size()) && !pages_[left]->CheckFields()) {
      returningToPage_ = true;
      tabs_->setCurrentIndex(currentTab_);
      returningToPage_ = false;
      return;
    }
    currentTab_ = index;
    TakeModulePages();
  });
  BuildMenus();
  bridge_.Attach(this);
  module_.SetPage(&bridge_);
}

ModuleSheet::~ModuleSheet() {
  bridge_.Detach();
}

void ModuleSheet::BuildFilePage(QWidget* page) {
  auto* v = new QVBoxLayout(page);

  auto* setupGroup = new QGroupBox("Program setup file");
  SetControlId(setupGroup, kIdSetupGroup);
  auto* sg = new QGridLayout(setupGroup);
  setupPath_ = new QLineEdit;
  SetControlId(setupPath_, kIdSetupPath);
  sg->addWidget(setupPath_, 0, 0, 1, 4);
  const std::pair<int, const char*> setupButtons[] = {
      {kIdOpen, "Open..."}, {kIdSave, "Save"}, {kIdSaveAs, "Save As..."}, {kIdRestore, "Restore"}};
  int col = 0;
  for (auto [id, text] : setupButtons) {
    auto* button = new QPushButton(text);
    button->setAutoDefault(false);
    SetControlId(button, id);
    sg->addWidget(button, 1, col++);
    inputs_.push_back(button);
  }
  // A typed path is for Open... and Save As... only; leaving it for anything else shows the
  // current setup file again.
  setupPath_->installEventFilter(this);
  connect(findControl<QPushButton>(setupGroup, kIdOpen), &QPushButton::clicked, this,
          &ModuleSheet::OpenSetup);
  connect(findControl<QPushButton>(setupGroup, kIdSave), &QPushButton::clicked, this,
          &ModuleSheet::SaveSetup);
  connect(findControl<QPushButton>(setupGroup, kIdSaveAs), &QPushButton::clicked, this,
          &ModuleSheet::SaveSetupAs);
  connect(findControl<QPushButton>(setupGroup, kIdRestore), &QPushButton::clicked, this,
          &ModuleSheet::RestoreSetup);
  v->addWidget(setupGroup);

  auto* inputGroup = new QGroupBox("Input directory");
  SetControlId(inputGroup, kIdInputGroup);
  auto* ig = new QGridLayout(inputGroup);
  inputDir_ = new QLineEdit;
  SetControlId(inputDir_, kIdInputDir);
  ig->addWidget(inputDir_, 0, 0, 1, 2);
  auto* inputLabel = new QLabel(Q(texts_.inputLabel));
  SetControlId(inputLabel, kIdInputLabel);
  ig->addWidget(inputLabel, 1, 0, 1, 2);
  inputList_ = new QComboBox;
  SetControlId(inputList_, kIdInputList);
  ig->addWidget(inputList_, 2, 0);
  auto* select = new QPushButton("Select...");
  select->setAutoDefault(false);
  SetControlId(select, kIdInputSelect);
  ig->addWidget(select, 2, 1);
  connect(select, &QPushButton::clicked, this, [this] { SelectInputFiles(); });
  connect(inputDir_, &QLineEdit::editingFinished, this, [this] {
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
  });
  inputs_.insert(inputs_.end(), {inputDir_, inputList_, select});
  v->addWidget(inputGroup);

  auto* outputGroup = new QGroupBox("Output directory");
  SetControlId(outputGroup, kIdOutputGroup);
  auto* og = new QGridLayout(outputGroup);
  outputDir_ = new QLineEdit;
  SetControlId(outputDir_, kIdOutputDir);
  og->addWidget(outputDir_, 0, 0, 1, 3);
  auto* outSelect = new QPushButton("Select...");
  outSelect->setAutoDefault(false);
  SetControlId(outSelect, kIdOutputSelect);
  og->addWidget(outSelect, 0, 3);
  auto* appendLabel = new QLabel("Name append");
  SetControlId(appendLabel, kIdNameAppendLabel);
  nameAppend_ = new QLineEdit;
  SetControlId(nameAppend_, kIdNameAppend);
  og->addWidget(appendLabel, 1, 0);
  og->addWidget(nameAppend_, 1, 1);
  auto* fileLabel = new QLabel("Output file");
  SetControlId(fileLabel, kIdOutputFileLabel);
  outputFile_ = new QLineEdit;
  SetControlId(outputFile_, kIdOutputFile);
  og->addWidget(fileLabel, 1, 2);
  og->addWidget(outputFile_, 1, 3);
  fileLabel->setVisible(texts_.showOutputFile);
  outputFile_->setVisible(texts_.showOutputFile);
  connect(outSelect, &QPushButton::clicked, this, &ModuleSheet::SelectOutputDir);
  connect(outputDir_, &QLineEdit::editingFinished, this, [this] {
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
  });
  connect(nameAppend_, &QLineEdit::editingFinished, this,
          [this] { module_.Setup().nameAppend = nameAppend_->text().toStdString(); });
  connect(outputFile_, &QLineEdit::editingFinished, this,
          [this] { module_.Setup().outputFile = outputFile_->text().toStdString(); });
  inputs_.insert(inputs_.end(), {outputDir_, outSelect, nameAppend_, outputFile_});
  v->addWidget(outputGroup);

  status_ = new QLabel("Not processing");
  SetControlId(status_, kIdStatus);
  v->addWidget(status_);
  auto* row = new QHBoxLayout;
  progress_ = new QProgressBar;
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  SetControlId(progress_, kIdProgress);
  percent_ = new QLabel;
  percent_->setMinimumWidth(DialogUnitsX(page, 24));
  SetControlId(percent_, kIdPercent);
  row->addWidget(progress_);
  row->addWidget(percent_);
  v->addLayout(row);
  v->addStretch();
}

void ModuleSheet::BuildMenus() {
  auto* bar = new QMenuBar(this);
  layout()->setMenuBar(bar);
  auto add = [](QMenu* menu, const QString& text, int command) {
    QAction* a = menu->addAction(text);
    SetControlId(a, command);
    return a;
  };
  fileMenu_ = bar->addMenu("&File");
  connect(add(fileMenu_, "Start &Process", kCmdStartProcess), &QAction::triggered, this,
          &ModuleSheet::StartOrStop);
  fileMenu_->addSeparator();
  connect(add(fileMenu_, "&Open...", kCmdOpen), &QAction::triggered, this, &ModuleSheet::OpenSetup);
  connect(add(fileMenu_, "&Save", kCmdSave), &QAction::triggered, this, &ModuleSheet::SaveSetup);
  connect(add(fileMenu_, "Save &As...", kCmdSaveAs), &QAction::triggered, this,
          &ModuleSheet::SaveSetupAs);
  connect(add(fileMenu_, "&Restore", kCmdRestore), &QAction::triggered, this,
          &ModuleSheet::RestoreSetup);
  fileMenu_->addSeparator();
  connect(add(fileMenu_, "Default &File Setup", kCmdDefaultFileSetup), &QAction::triggered, this,
          &ModuleSheet::DefaultFileSetup);
  connect(add(fileMenu_, "Default &Data Setup", kCmdDefaultDataSetup), &QAction::triggered, this,
          &ModuleSheet::DefaultDataSetup);
  fileMenu_->addSeparator();
  connect(add(fileMenu_, "E&xit", kCmdExit), &QAction::triggered, this, &ModuleSheet::OnOk);

  optionsMenu_ = bar->addMenu("&Options");
  QAction* confirm = add(optionsMenu_, "Confirm &Program Setup Change", kCmdConfirmChange);
  confirm->setCheckable(true);
  connect(confirm, &QAction::toggled, this, [this](bool on) {
    prefs_.confirmChanges = on;
    UpdateExitTexts();
  });
  QAction* overwrite = add(optionsMenu_, "&Overwrite Output File Warning", kCmdOverwriteWarning);
  overwrite->setCheckable(true);
  connect(overwrite, &QAction::toggled, this, [this](bool on) { prefs_.overwriteWarning = on; });

  helpMenu_ = bar->addMenu("&Help");
  connect(add(helpMenu_, "&Contents and Index...", kCmdHelpContents), &QAction::triggered, this,
          [this] { ShowHelp(this, kHelpContents); });
  connect(add(helpMenu_, "Current &Topic...", kCmdHelpTopic), &QAction::triggered, this,
          [this] { ShowHelp(this, kHelpModules); });
  helpMenu_->addSeparator();
  connect(add(helpMenu_, "&About Tidora for Waves...", kCmdAbout), &QAction::triggered, this,
          [this] {
            AboutBox box(this);
            box.exec();
          });
}

void ModuleSheet::UpdateExitTexts() {
  okButton_->setText(prefs_.confirmChanges ? "Exit" : "Save && Exit");
  findCommand(this, kCmdExit)->setText(prefs_.confirmChanges ? "E&xit" : "Save && E&xit");
  findCommand(this, kCmdConfirmChange)->setChecked(prefs_.confirmChanges);
  findCommand(this, kCmdOverwriteWarning)->setChecked(prefs_.overwriteWarning);
}

QString ModuleSheet::statusText() const {
  return status_->text();
}

void ModuleSheet::SetStatus(const std::string& text) {
  status_->setText(Q(text));
}

void ModuleSheet::FillControls() {
  const CPostProcSetup& s = module_.Setup();
  setupPath_->setText(Q(s.setupPath));
  inputDir_->setText(Q(s.inputDir));
  inputDir_->setModified(false);
  inputList_->clear();
  for (const auto& name : s.inputFiles) inputList_->addItem(Q(name));
  if (!s.inputFiles.empty()) inputList_->setCurrentIndex(0);
  outputDir_->setText(Q(s.outputDir));
  nameAppend_->setText(Q(s.nameAppend));
  outputFile_->setText(Q(s.outputFile));
  for (ModulePage* p : pages_) p->Fill();
}

void ModuleSheet::TakeModulePages() {
  for (ModulePage* p : pages_) p->Take();
}

void ModuleSheet::TakeSnapshot() {
  saved_ = module_.Setup().Clone();
  rememberedLastProcessed_ = module_.Setup().lastProcessed;
}

void ModuleSheet::OpenInputs() {
  module_.OpenInputFiles();
}

void ModuleSheet::ApplyLauncherValues() {
  const CPostProc::LauncherValues& l = module_.Launcher();
  CPostProcSetup& s = module_.Setup();
  if (!l.inputFiles.empty()) {
    if (!DuplicateExtension(l.inputFiles).empty()) {
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
  const std::string dup = DuplicateExtension(s.inputFiles);
  if (!dup.empty()) {
    ui_.Message(Format("More than one file with .%s extension found in %s file", dup.c_str(),
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
  const std::string ext = name.find('.') == std::string::npos ? "" : ExtensionOf(name);
  if (forOpen && !IsFile(typed)) {
    return IsDirectory(DirOf(typed)) ? refuse("File " + typed + " cannot be found.")
                                     : refuse("Directory " + typed + " cannot be found.");
  }
  if (!ext.empty() && Lower(ext) != "psa")
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
  std::sort(names.begin(), names.end());
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
  const std::string dup = DuplicateExtension(names);
  if (!dup.empty()) {
    ui_.Message("Cannot select more than one file with ." + dup + " extension",
                "Duplicate Extensions Found", MsgIcon::Error, MsgButtons::Ok);
    return false;
  }
  for (const auto& name : names) {
    if (Lower(RootOf(name)) != Lower(RootOf(names[0]))) {
      ui_.Message("Cannot select files with different root names", "Inconsistent File Names Found",
                  MsgIcon::Error, MsgButtons::Ok);
      return false;
    }
  }
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
  if (texts_.outputFileFromInput && !s.inputFiles.empty())
    s.outputFile = RootOf(s.inputFiles[0]) + ".";
  s.lastProcessed = 0;
  rememberedLastProcessed_ = 0;
  inputChangedSinceOpen_ = true;
  FillControls();
  return true;
}

void ModuleSheet::SelectOutputDir() {
  CPostProcSetup& s = module_.Setup();
  std::optional<std::string> dir =
      ui_.ChooseFolder("Select Output Directory", IsDirectory(s.outputDir) ? s.outputDir : "");
  if (dir && !dir->empty()) s.outputDir = *dir;
  outputDir_->setText(Q(s.outputDir));
}

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
  SetStatus(Format("Processing %d/%d: %s...", index + 1, fileCount_, name.c_str()));
  percent_->setText("0%");
}

void ModuleSheet::OnProcessingStopped(int index) {
  percent_->clear();
  for (QWidget* w : inputs_) w->setEnabled(true);
  const auto& files = module_.Setup().inputFiles;
  const std::string name =
      index >= 0 && index < static_cast<int>(files.size()) ? files[index] : std::string();
  finalStatus_ = Format("Processing stopped, %d/%d: %s", index + 1, fileCount_, name.c_str());
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
