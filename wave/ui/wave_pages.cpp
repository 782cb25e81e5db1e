#include "wave/ui/wave_pages.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "outside/utility.h"
#include "platform/ui/dialog_builder.h"

namespace tidora::ui {

ModuleSheetTexts WaveSheetTexts() {
  ModuleSheetTexts t;
  t.inputLabel = "Select one Wave (.WB) input file";
  t.selectTitle = "Select one Wave .WB Input File";
  t.inputFilter = {"Wave input File (*.wb)", {"*.wb"}};
  t.showOutputFile = true;
  t.outputFileFromInput = true;
  return t;
}

WaveDataPage::WaveDataPage(CWaveModule& module, Interaction& ui, QWidget* parent)
    : ModulePage(parent), module_(module), ui_(ui) {
  DialogBuilder b(this);
  struct Row {
    int id;
    const char* label;
    double CWaveSetup::*d;
    int CWaveSetup::*i;
  };
  const Row rows[] = {
      {kIdWaveHeight, "Height of pressure sensor from bottom (meters)", &CWaveSetup::height,
       nullptr},
      {kIdWaveTemperature, "Average water temperature above the pressure sensor (deg C)",
       &CWaveSetup::waterTemperature, nullptr},
      {kIdWaveSalinity, "Average salinity above the pressure sensor (PSU)",
       &CWaveSetup::averageSalinity, nullptr},
      {kIdWaveEstimates, "Number of spectral estimates for each frequency band", nullptr,
       &CWaveSetup::numberSpectralEstimates},
      {kIdWaveAttenuation, "Minimum allowable attenuation (default = 0.0025)",
       &CWaveSetup::minimumAllowableAttenuation, nullptr},
      {kIdWaveMinPeriod, "Minimum period (seconds) to use in auto-spectrum (default = 0)",
       &CWaveSetup::minimumPeriod, nullptr},
      {kIdWaveMaxPeriod, "Maximum period (seconds) to use in auto-spectrum (default = 1e6)",
       &CWaveSetup::maximumPeriod, nullptr},
      {kIdWaveHanning, "Hanning window cutoff (default = 0.1)", &CWaveSetup::hanningWindowCutoff,
       nullptr},
      {kIdWaveChiSquared, "Chi-squared confidence percent (default = 90)",
       &CWaveSetup::chiSquaredConfPercent, nullptr},
  };
  for (const Row& r : rows) {
    QLineEdit* edit = b.Edit(r.id);
    b.AddRow(b.Label(-1, r.label), edit);
    fields_.push_back({edit, r.d, r.i});
  }
  outputWT_ = b.Check(kIdWaveOutputWT, "Output surface wave time series to .wt file");
  b.AddWide(outputWT_);
  outputWSS_ = b.Check(kIdWaveOutputWSS, "Output FFT coefficients to .wss file");
  b.AddWide(outputWSS_);
  useFilter_ = b.Check(kIdWaveUseFilter, "Use filter cutoff (default = no)");
  filterCutoff_ = b.Edit(kIdWaveFilterCutoff);
  b.grid()->addWidget(useFilter_, b.row(), 0);
  b.grid()->addWidget(filterCutoff_, b.row(), 1);
  b.AddWide(new QWidget);  // the row is taken
  connect(useFilter_, &QCheckBox::toggled, filterCutoff_, &QWidget::setEnabled);
  QPushButton* options = b.Button(kIdWaveProcessOptions, "Process Options...");
  options->setAutoDefault(false);
  b.AddButtonRow({options});
  connect(options, &QPushButton::clicked, this, &WaveDataPage::ShowProcessOptions);
}

void WaveDataPage::Fill() {
  const CWaveSetup& s = module_.WaveSetup();
  for (const Field& f : fields_) {
    LineEditField field(f.edit);
    if (f.d)
      DoubleToEdit(s.*f.d, field, "%g");
    else
      IntToEdit(s.*f.i, field);
  }
  outputWT_->setChecked(s.outputSurfaceWT != 0);
  outputWSS_->setChecked(s.outputFFTtoWSS != 0);
  useFilter_->setChecked(s.useFilterCutoff != 0);
  LineEditField cutoff(filterCutoff_);
  DoubleToEdit(s.filterCutoff, cutoff, "%g");
  filterCutoff_->setEnabled(s.useFilterCutoff != 0);
}

void WaveDataPage::Take() {
  CWaveSetup& s = module_.WaveSetup();
  s.outputSurfaceWT = outputWT_->isChecked() ? 1 : 0;
  s.outputFFTtoWSS = outputWSS_->isChecked() ? 1 : 0;
  s.useFilterCutoff = useFilter_->isChecked() ? 1 : 0;
  // A field that is not a number keeps the previous value, without a message.
  for (const Field& f : fields_) {
    LineEditField field(f.edit);
    if (f.d)
      EditToDouble(field, s.*f.d, nullptr);
    else
      EditToInt(field, s.*f.i, nullptr);
  }
  LineEditField cutoff(filterCutoff_);
  EditToDouble(cutoff, s.filterCutoff, nullptr);
  for (auto& m : module_.Inputs()) {
    m->SetSelection(s.BurstCount(), s.BurstSkip(), s.BurstsToEnd());
  }
}

void WaveDataPage::ShowProcessOptions() {
  Take();
  ProcessOptionsDialog dlg(module_.WaveSetup(), ui_, this);
  if (dlg.exec() == QDialog::Accepted) Take();
}

ProcessOptionsDialog::ProcessOptionsDialog(CWaveSetup& setup, Interaction& ui, QWidget* parent)
    : QDialog(parent), setup_(setup), ui_(ui) {
  setWindowTitle("Process Options");
  DialogBuilder b(this);
  toEnd_ = b.Check(kIdOptToEnd, "Process Wave bursts to end of file");
  b.AddWide(toEnd_);
  count_ = b.Edit(kIdOptCount);
  b.AddRow(b.Label(-1, "Wave bursts to process"), count_);
  skip_ = b.Edit(kIdOptSkip);
  b.AddRow(b.Label(-1, "Wave bursts to skip at start"), skip_);
  QPushButton* ok = b.Button(kIdOptOk, "OK");
  QPushButton* cancel = b.Button(kIdOptCancel, "Cancel");
  ok->setDefault(true);
  b.AddButtonRow({ok, cancel});
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(toEnd_, &QCheckBox::toggled, count_, [this](bool on) { count_->setEnabled(!on); });
  toEnd_->setChecked(setup_.processBurstsToEnd != 0);
  count_->setEnabled(setup_.processBurstsToEnd == 0);
  count_->setText(QString::number(setup_.burstsToProcess));
  skip_->setText(QString::number(setup_.skipAtStart));
}

void ProcessOptionsDialog::accept() {
  setup_.processBurstsToEnd = toEnd_->isChecked() ? 1 : 0;
  LineEditField count(count_), skip(skip_);
  if (!EditToIntTest(count, setup_.burstsToProcess,
                     "The number of wave bursts to process must be greater than 0.", kRangeAbove, 0,
                     &ui_))
    return;
  if (!EditToIntTest(skip, setup_.skipAtStart,
                     "The number of wave bursts to skip must not be negative.", kRangeNotBelow, 0,
                     &ui_))
    return;
  QDialog::accept();
}

}  // namespace tidora::ui
