#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "outside/utility.h"
#include "platform/interaction.h"
#include "postproc/input_selection.h"
#include "postproc/page.h"
#include "postproc/postproc.h"
#include "postproc/setup.h"

class QLabel;
class QLineEdit;
class QComboBox;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QMenu;
class QVBoxLayout;

namespace tidora::ui {

// Menu commands of a module's property sheet.
enum SheetCommand {
  kCmdStartProcess = 32768,
  kCmdOpen = 32769,
  kCmdSave = 32770,
  kCmdSaveAs = 32771,
  kCmdRestore = 32772,
  kCmdDefaultFileSetup = 32773,
  kCmdDefaultDataSetup = 32774,
  kCmdExit = 32775,
  kCmdConfirmChange = 33024,
  kCmdOverwriteWarning = 33026,
  kCmdHelpContents = 57671,
  kCmdHelpTopic = 57670,
  kCmdAbout = 57664,
};

// Controls of the sheet (its own buttons) and of the File Setup page.
enum FileSetupId {
  kIdStartButton = 301,  // on the sheet's button row
  kIdSetupGroup = 201,
  kIdSetupPath = 325,
  kIdOpen = 310,
  kIdSave = 327,
  kIdSaveAs = 328,
  kIdRestore = 326,
  kIdInputGroup = 203,
  kIdInputDir = 301,  // on the File Setup page
  kIdInputLabel = 304,
  kIdInputList = 303,
  kIdInputSelect = 302,
  kIdOutputGroup = 208,
  kIdOutputDir = 313,
  kIdOutputSelect = 312,
  kIdNameAppendLabel = 209,
  kIdNameAppend = 309,
  kIdOutputFileLabel = 315,
  kIdOutputFile = 314,
  kIdStatus = 322,
  kIdProgress = 324,
  kIdPercent = 323,
  kIdOkButton = 1,
  kIdCancelButton = 2,
};

// An edit control seen as the utility library's edit field, so pages read and write their
// fields with the library's number rules.
class LineEditField : public EditField {
 public:
  explicit LineEditField(QLineEdit* e) : e_(e) {}
  std::string GetText() const override;
  void SetText(const std::string& t) override;

 private:
  QLineEdit* e_;
};

// A module's own settings page.
class ModulePage : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;
  virtual QString Caption() const = 0;
  // Shows the setup's values (opening, reset, load).
  virtual void Fill() = 0;
  // Takes the fields back into the setup (the page is left, saved, or processing starts).
  virtual void Take() = 0;
  // Checks the fields before the page is left; false, after the range message, keeps the
  // page so the value can be corrected.
  virtual bool CheckFields() { return true; }
  // The module brought the page forward for the user to act on (a refused start, a sample
  // error); a page may go on, for example by opening its dialog.
  virtual void DataSetupRequested() {}
};

// What differs between the modules on the File Setup page.
struct ModuleSheetTexts {
  std::string inputLabel;   // "Select one Wave (.WB) input file"
  std::string selectTitle;  // "Select one Wave .WB Input File"
  FileFilter inputFilter;   // {"Wave input File (*.wb)", {"*.wb"}}
  bool showOutputFile = false;
  // After an input selection, OutputFile becomes the first name's root followed by a dot.
  bool outputFileFromInput = false;
  // The rules the chosen names are checked by when the module does not take them itself.
  InputSelectionRules selectionRules;
  // A module with rules of its own for the chosen names (without directory): it checks them,
  // shows its message, and takes them (selection, input managers, output name). The sheet
  // checks them by `selectionRules` when it is empty.
  std::function<bool(std::vector<std::string>)> takeSelection;
};

class ModuleSheet;

// The page messages of the processing thread, carried to the sheet's thread. It outlives the
// sheet (the module owns it): once the sheet is gone or detached, calls return at once, so a
// processing thread never waits for a window that cannot answer.
class SheetBridge : public QObject, public CPostProcPage {
  Q_OBJECT
 public:
  SheetBridge();
  void Attach(ModuleSheet* sheet);
  void Detach();

  void ProgressRange(int low, int high) override;
  void ProgressPos(int percent) override;
  void ProcessingStarted(int fileCount) override;
  void ProcessingComplete() override;
  void ProcessingFile(int index, const std::string& name) override;
  void ProcessingStopped(int index) override;
  void ThreadEnded() override;
  void ProcessingWaveData() override;
  void StatusText(const std::string& text) override;
  void ShowDataSetupPage() override;
  void RequestClose() override;
  void ProcessPendingMessages() override;

 private:
  template <class Fn>
  void Deliver(Fn&& fn, bool wait);

  QPointer<ModuleSheet> sheet_;  // touched on the sheet's thread only
  std::atomic<bool> attached_{false};
};

// The property sheet of a processing module: the File Setup page, the module's pages, the
// menus, Start/Stop Process, and Exit/Cancel with the setup change rules.
class ModuleSheet : public QDialog {
  Q_OBJECT
 public:
  ModuleSheet(CPostProc& module, Interaction& ui, SheetBridge& bridge, ModuleSheetTexts texts,
              std::vector<ModulePage*> pages, QWidget* parent = nullptr);
  ~ModuleSheet() override;

  // The page opening: preferences, start-up sequence (unless the launcher loaded a setup),
  // the launcher's values, the input files. False when the sheet must close at once (the
  // message has been shown).
  bool Open(bool setupFromLauncher);
  // Open, then run modally. Returns when the window closes.
  int Run(bool setupFromLauncher);

  QTabWidget* tabs() const { return tabs_; }
  QPushButton* startButton() const { return startButton_; }
  QString statusText() const;
  bool processing() const { return module_.IsProcessing() != 0; }
  bool confirmChanges() const { return prefs_.confirmChanges; }

  // Commands (buttons and menu items).
  void StartOrStop();
  void OpenSetup();
  void SaveSetup();
  void SaveSetupAs();
  void RestoreSetup();
  void DefaultFileSetup();
  void DefaultDataSetup();
  bool SelectInputFiles();
  void SelectOutputDir();
  void OnOk();
  void OnCancel();
  bool SetupChanged();

  // Page messages, on the sheet's thread.
  void OnProgressRange(int low, int high);
  void OnProgressPos(int percent);
  void OnProcessingStarted(int fileCount);
  void OnProcessingComplete();
  void OnProcessingFile(int index, const std::string& name);
  void OnProcessingStopped(int index);
  void OnThreadEnded();
  void OnProcessingWaveData();
  void OnStatusText(const std::string& text);
  void OnShowDataSetupPage() { showDataPage_ = true; }
  void OnRequestClose();

 protected:
  void done(int r) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildFilePage(QWidget* page);
  QWidget* BuildSetupGroup();
  QWidget* BuildInputGroup();
  QWidget* BuildOutputGroup();
  void BuildProgressRows(QVBoxLayout* v, QWidget* page);
  // A directory typed into the File Setup page, taken when it exists.
  void TakeTypedInputDir();
  void TakeTypedOutputDir();
  void BuildMenus();
  void FillControls();
  void TakeModulePages();
  void TakeSnapshot();
  void SetRunningState(bool running);
  void BringDataSetupPage();
  void UpdateExitTexts();
  // Exit step 1: false when the user keeps processing running.
  bool ProcessingExitCheck();
  // Exit steps 2 to 4; false when the user chose Cancel (or saving failed).
  bool SaveChangesCheck(bool forOpen);
  void Finish(int result);
  void SetStatus(const std::string& text);
  bool CheckTypedSetupPath(bool forOpen, std::string* start);
  void ApplyLauncherValues();
  void OpenInputs();

  CPostProc& module_;
  Interaction& ui_;
  SheetBridge& bridge_;
  ModuleSheetTexts texts_;
  std::vector<ModulePage*> pages_;
  ModulePreferences prefs_;
  std::unique_ptr<CPostProcSetup> saved_;
  int rememberedLastProcessed_ = 0;
  bool inputChangedSinceOpen_ = false;
  bool selectUsed_ = false;
  bool showDataPage_ = false;
  bool finished_ = false;
  int fileCount_ = 0;
  int activeAtStart_ = 0;
  int currentTab_ = 0;  // the page shown before a tab change
  bool returningToPage_ = false;
  std::string finalStatus_;

  QTabWidget* tabs_ = nullptr;
  QPushButton* startButton_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QLineEdit* setupPath_ = nullptr;
  QLineEdit* inputDir_ = nullptr;
  QComboBox* inputList_ = nullptr;
  QLineEdit* outputDir_ = nullptr;
  QLineEdit* nameAppend_ = nullptr;
  QLineEdit* outputFile_ = nullptr;
  QLabel* status_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* percent_ = nullptr;
  QMenu* fileMenu_ = nullptr;
  QMenu* optionsMenu_ = nullptr;
  QMenu* helpMenu_ = nullptr;
  std::vector<QWidget*> inputs_;  // disabled while processing
};

// Runs a module's sheet after the page is made and detaches the page from the module when it
// closes, then waits (pumping the sheet's thread) for a processing thread that still runs.
int RunModuleSheet(CPostProc& module, ModuleSheet& sheet, SheetBridge& bridge,
                   bool setupFromLauncher);

}  // namespace tidora::ui
