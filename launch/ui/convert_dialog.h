#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "convert/converter.h"
#include "launch/ui/coefficient_dialog.h"
#include "platform/ui/qt_interaction.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tidora::ui {

enum ConvertControl {
  kIdConvInput = 1601,
  kIdConvTide = 1602,
  kIdConvWave = 1603,
  kIdConvStartYear = 1604,
  kIdConvYearNote = 1605,
  kIdConvBrowse = 1611,
  kIdConvCoefficients = 1612,
  kIdConvConvert = 1613,
  kIdConvHelp = 9,
  kIdConvExit = 1,
  kIdConvCancel = 2,
  kIdConvStatus = 1620,
  kIdConvProgress = 1621,
  kIdConvLabelBase = 1700,  // label of field id: kIdConvLabelBase + (id - 1600)
};

inline constexpr const char* kConvertDialogTitle = "Convert Hex to Wave and Tide";

// "Convert Hex to Wave and Tide": picks the upload file and the output files and runs the
// converter on its worker thread. The worker's reports are handled on this dialog's thread
// before the worker goes on. The dialog cannot close while a run is going on.
class ConvertHexDialog : public QDialog {
  Q_OBJECT
 public:
  // `ui` asks the questions and shows the boxes; the status line and progress bar are the
  // dialog's own. `switches` are the launcher's output switches (-v, -t, -d).
  ConvertHexDialog(Interaction& ui, CoefficientSession& coefficients,
                   std::vector<std::string> switches = {}, QWidget* parent = nullptr);
  ~ConvertHexDialog() override;

  bool running() const { return running_; }
  CHexConverter& converter() { return *converter_; }

  void Browse();
  // Takes an upload file as the input, with the tide and wave files named after it.
  void SetInputFile(const std::string& path);
  void Coefficients();
  void ConvertFile();
  void Exit();
  void reject() override;  // Cancel: stops a run, or closes without saving

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  // Shows the dialog's messages through the given interaction, and its status and progress in
  // the dialog.
  class DialogInteraction : public QtInteraction {
   public:
    DialogInteraction(Interaction& outer, QWidget* parent) : QtInteraction(parent), outer_(outer) {}
    MsgAnswer Message(const std::string& text, const std::string& caption, MsgIcon icon,
                      MsgButtons buttons) override {
      return outer_.Message(text, caption, icon, buttons);
    }
    int Choose(const std::string& text, const std::string& caption,
               const std::vector<std::string>& buttons) override {
      return outer_.Choose(text, caption, buttons);
    }
    std::vector<std::string> ChooseFiles(const FileRequest& request) override {
      return outer_.ChooseFiles(request);
    }
    std::optional<std::string> ChooseFolder(const std::string& title,
                                            const std::string& initial) override {
      return outer_.ChooseFolder(title, initial);
    }

   private:
    Interaction& outer_;
  };

  void OnReport(ConvertReport report);
  // Lets a stopped worker finish; its last calls are served meanwhile.
  void WaitForWorker();

  Interaction& outer_;
  CoefficientSession& coefficients_;
  std::vector<std::string> switches_;
  DialogInteraction ui_;
  std::unique_ptr<CHexConverter> converter_;
  bool running_ = false;
  QLineEdit* input_;
  QLineEdit* tide_;
  QLineEdit* wave_;
  QLineEdit* year_;
  QPushButton* exit_;
  QLabel* status_;
  QProgressBar* progress_;
};

}  // namespace tidora::ui
