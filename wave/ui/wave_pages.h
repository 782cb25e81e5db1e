#pragma once

#include <QDialog>

#include "postproc/ui/module_sheet.h"
#include "wave/wave_module.h"
#include "wave/wave_setup.h"

class QCheckBox;
class QLineEdit;

namespace tidora::ui {

// Controls of the wave module's Data Setup page.
enum WaveDataId {
  kIdWaveHeight = 310,
  kIdWaveTemperature = 306,
  kIdWaveSalinity = 307,
  kIdWaveEstimates = 309,
  kIdWaveAttenuation = 304,
  kIdWaveMinPeriod = 311,
  kIdWaveMaxPeriod = 315,
  kIdWaveHanning = 312,
  kIdWaveChiSquared = 305,
  kIdWaveOutputWT = 302,
  kIdWaveOutputWSS = 303,
  kIdWaveUseFilter = 314,
  kIdWaveFilterCutoff = 313,
  kIdWaveProcessOptions = 301,
};

// Controls of the Process Options dialog.
enum ProcessOptionsId {
  kIdOptToEnd = 303,
  kIdOptCount = 304,
  kIdOptSkip = 305,
  kIdOptOk = 1,
  kIdOptCancel = 2,
};

// The wave module's "Data Setup" page.
class WaveDataPage : public ModulePage {
  Q_OBJECT
 public:
  WaveDataPage(CWaveModule& module, Interaction& ui, QWidget* parent = nullptr);
  QString Caption() const override { return "Data Setup"; }
  void Fill() override;
  void Take() override;
  void ShowProcessOptions();

 private:
  CWaveModule& module_;
  Interaction& ui_;
  struct Field {
    QLineEdit* edit;
    double CWaveSetup::*d;
    int CWaveSetup::*i;
  };
  std::vector<Field> fields_;
  QCheckBox* outputWT_;
  QCheckBox* outputWSS_;
  QCheckBox* useFilter_;
  QLineEdit* filterCutoff_;
};

// "Process Options": which bursts of the file are processed.
class ProcessOptionsDialog : public QDialog {
  Q_OBJECT
 public:
  ProcessOptionsDialog(CWaveSetup& setup, Interaction& ui, QWidget* parent = nullptr);
  void accept() override;

 private:
  CWaveSetup& setup_;
  Interaction& ui_;
  QCheckBox* toEnd_;
  QLineEdit* count_;
  QLineEdit* skip_;
};

// The File Setup texts of the wave module.
ModuleSheetTexts WaveSheetTexts();

}  // namespace tidora::ui
