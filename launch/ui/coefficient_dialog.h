#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <string>

#include "convert/coefficient_file.h"

class QLabel;
class QLineEdit;

namespace tidora {
class Interaction;
}

namespace tidora::ui {

// Control identifiers: the field of slot s is kIdCoefField + s, its label kIdCoefLabel + s.
enum CoefficientControl {
  kIdCoefField = 1300,
  kIdCoefLabel = 1400,
  kIdCoefPressureGroup = 1501,
  kIdCoefTemperatureGroup = 1502,
  kIdCoefConductivityGroup = 1503,
  kIdCoefFileLine = 1504,
  kIdCoefNote = 1505,
  kIdCoefOk = 1,
  kIdCoefCancel = 2,
  kIdCoefOpen = 1510,
  kIdCoefSaveAs = 1511,
  kIdCoefHelp = 9,
};

inline constexpr const char* kCoefficientDialogTitle = "Coefficient Configuration";

// What stays between two openings of the dialog in one launcher session.
struct CoefficientSession {
  CoefficientFile slots = DefaultCoefficientsAtStart();  // the converter's coefficient slots
  std::string lastChosenFile;  // the file last opened or saved through the dialog
  std::string initialFolder;   // where the file dialogs start
};

// "Coefficient Configuration": the fourteen coefficients of CNVHex.ini. OK writes the file in
// the settings folder (and the file last chosen); Open loads another file; Save As keeps a copy;
// Cancel puts every slot back as it was when the dialog opened.
class CoefficientDialog : public QDialog {
  Q_OBJECT
 public:
  CoefficientDialog(Interaction& ui, CoefficientSession& session, QWidget* parent = nullptr);

  void Open();
  void SaveAs();
  void accept() override;
  void reject() override;

 private:
  void ShowSlots();
  void ReadFields();
  bool Write(const std::string& path);

  Interaction& ui_;
  CoefficientSession& session_;
  CoefficientFile atOpen_;
  std::array<QLineEdit*, kCoefficientSlots> fields_{};
  QLabel* fileLine_;
};

}  // namespace tidora::ui
