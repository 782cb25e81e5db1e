#pragma once

#include "merge/merge_module.h"
#include "postproc/ui/module_sheet.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tidora::ui {

// Controls of the merge module's Data Setup page.
enum MergeDataId {
  kIdMergeConvert = 301,
  kIdMergeUnits = 302,
  kIdMergeDensity = 303,
  kIdMergeGravity = 304,
};

// The merge module's "Data Setup" page.
class MergeDataPage : public ModulePage {
  Q_OBJECT
 public:
  MergeDataPage(CMergeModule& module, QWidget* parent = nullptr);
  QString Caption() const override { return "Data Setup"; }
  void Fill() override;
  void Take() override;
  bool CheckFields() override;

 private:
  CMergeModule& module_;
  QCheckBox* convert_;
  QComboBox* units_;
  QLineEdit* density_;
  QLineEdit* gravity_;
};

// The File Setup texts of the merge module, with its own input rules.
ModuleSheetTexts MergeSheetTexts(CMergeModule& module);

}  // namespace tidora::ui
