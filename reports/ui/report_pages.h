#pragma once

#include "postproc/ui/module_sheet.h"
#include "reports/tabulon.h"

class QCheckBox;
class QComboBox;

namespace tidora::ui {

// Controls of the report module's Data Setup page.
enum ReportDataId {
  kIdReportLabelColumns = 301,
  kIdReportHeaderInfo = 302,
  kIdReportSeparator = 303,
  kIdReportTimeForm = 304,
  kIdReportSelectVariables = 305,
};

// The report module's "Data Setup" page: the flags, the two choices and the variable selection.
class ReportDataPage : public ModulePage {
  Q_OBJECT
 public:
  ReportDataPage(CTabulon& module, QWidget* parent = nullptr);
  QString Caption() const override { return "Data Setup"; }
  void Fill() override;
  void Take() override;
  // A start refused for want of columns: the user is taken to the selection at once.
  void DataSetupRequested() override { SelectVariables(); }
  // "Select Variables...": the selection dialog on a copy of the columns, kept on OK only.
  void SelectVariables();

 private:
  CTabulon& module_;
  QCheckBox* labelColumns_;
  QCheckBox* headerInfo_;
  QComboBox* separator_;
  QComboBox* timeForm_;
};

// The File Setup texts of the report module, with its own input rules.
ModuleSheetTexts ReportSheetTexts(CTabulon& module);

}  // namespace tidora::ui
