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
#include <QVBoxLayout>

#include "outside/utility.h"
#include "platform/ui/about_box.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/help_browser.h"
#include "postproc/ui/sheet_helpers.h"

namespace tidora::ui {

using sheet::Q;

std::string LineEditField::GetText() const {
  return e_->text().toStdString();
}

void LineEditField::SetText(const std::string& t) {
  e_->setText(QString::fromStdString(t));
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
  v->addWidget(BuildSetupGroup());
  v->addWidget(BuildInputGroup());
  v->addWidget(BuildOutputGroup());
  BuildProgressRows(v, page);
  v->addStretch();
}

QWidget* ModuleSheet::BuildSetupGroup() {
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
  return setupGroup;
}

QWidget* ModuleSheet::BuildInputGroup() {
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
  connect(inputDir_, &QLineEdit::editingFinished, this, &ModuleSheet::TakeTypedInputDir);
  inputs_.insert(inputs_.end(), {inputDir_, inputList_, select});
  return inputGroup;
}

QWidget* ModuleSheet::BuildOutputGroup() {
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
  connect(outputDir_, &QLineEdit::editingFinished, this, &ModuleSheet::TakeTypedOutputDir);
  connect(nameAppend_, &QLineEdit::editingFinished, this,
          [this] { module_.Setup().nameAppend = nameAppend_->text().toStdString(); });
  connect(outputFile_, &QLineEdit::editingFinished, this,
          [this] { module_.Setup().outputFile = outputFile_->text().toStdString(); });
  inputs_.insert(inputs_.end(), {outputDir_, outSelect, nameAppend_, outputFile_});
  return outputGroup;
}

void ModuleSheet::BuildProgressRows(QVBoxLayout* v, QWidget* page) {
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

}  // namespace tidora::ui
