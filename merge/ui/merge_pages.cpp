#include "merge/ui/merge_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "merge/selection.h"
#include "outside/utility.h"
#include "platform/ui/dialog_builder.h"

namespace tidora::ui {

ModuleSheetTexts MergeSheetTexts(CMergeModule& module) {
  ModuleSheetTexts t;
  t.inputLabel = kMergeInputLabel;
  t.selectTitle = kMergeInputTitle;
  t.inputFilter = {"Tide/Barometric Pres Input Files (*.tid, *.bp)", {"*.tid", "*.bp"}};
  t.showOutputFile = true;
  t.takeSelection = [&module](std::vector<std::string> names) {
    return module.SelectInputs(std::move(names));
  };
  return t;
}

MergeDataPage::MergeDataPage(CMergeModule& module, QWidget* parent)
    : ModulePage(parent), module_(module) {
  DialogBuilder b(this);
  convert_ = b.Check(kIdMergeConvert, "Convert Pressure to Water Depth");
  b.AddWide(convert_);
  units_ = b.Combo(kIdMergeUnits, 60);
  for (int u = MergeSettings::kUnitsLowest; u <= MergeSettings::kUnitsHighest; ++u)
    units_->addItem(BarometricUnitName(u));
  b.AddRow(b.Label(-1, "Input Barometric Pressure Units"), units_);
  density_ = b.Edit(kIdMergeDensity);
  b.AddRow(b.Label(-1, "Average Density (nominal value = 1028 kg/m^3)"), density_);
  gravity_ = b.Edit(kIdMergeGravity);
  b.AddRow(b.Label(-1, "Gravity (nominal value = 9.8 m/s^2)"), gravity_);
  b.grid()->setRowStretch(b.row(), 1);
  connect(convert_, &QCheckBox::toggled, this, [this](bool on) {
    density_->setEnabled(on);
    gravity_->setEnabled(on);
  });
}

void MergeDataPage::Fill() {
  const MergeSettings& m = module_.MergeSetup().Merge();
  convert_->setChecked(m.convertToWaterDepth != 0);
  units_->setCurrentIndex(m.barometricPressureUnits);
  LineEditField density(density_), gravity(gravity_);
  DoubleToEdit(m.averageDensity, density, "%g");
  DoubleToEdit(m.gravity, gravity, "%g");
  density_->setEnabled(m.convertToWaterDepth != 0);
  gravity_->setEnabled(m.convertToWaterDepth != 0);
}

bool MergeDataPage::CheckFields() {
  MergeSettings probe = module_.MergeSetup().Merge();
  LineEditField gravity(gravity_), density(density_);
  return EditToDoubleTest(gravity, probe.gravity,
                          "Gravity must be a number not less than 0 (nominal value = 9.8 m/s^2).",
                          kRangeNotBelow, 0, &module_.UI()) &&
         EditToDoubleTest(density, probe.averageDensity,
                          "Average Density must be a number not less than 0 (nominal value = "
                          "1028 kg/m^3).",
                          kRangeNotBelow, 0, &module_.UI());
}

void MergeDataPage::Take() {
  MergeSettings& m = module_.MergeSetup().Merge();
  m.SetUnits(units_->currentIndex());
  // A value below zero or not a number keeps the previous one.
  LineEditField gravity(gravity_), density(density_);
  EditToDoubleTest(gravity, m.gravity, nullptr, kRangeNotBelow, 0);
  EditToDoubleTest(density, m.averageDensity, nullptr, kRangeNotBelow, 0);
  m.convertToWaterDepth = convert_->isChecked() ? 1 : 0;
}

}  // namespace tidora::ui
