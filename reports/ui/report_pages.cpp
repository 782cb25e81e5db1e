#include "reports/ui/report_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "datafile/ui/tgr41_dialog.h"
#include "platform/ui/dialog_builder.h"
#include "reports/variable_tree.h"

namespace tidora::ui {

ModuleSheetTexts ReportSheetTexts(CTabulon& module) {
  ModuleSheetTexts t;
  t.inputLabel = "Select one (.WAS) and one (.WTS) input file";
  t.selectTitle = "Select one .WAS and one .WTS File";
  t.inputFilter = {"Wave Statistics Files (*.was, *.wts)", {"*.was", "*.wts"}};
  t.showOutputFile = true;
  t.takeSelection = [&module](std::vector<std::string> names) {
    return module.SelectInputs(std::move(names));
  };
  return t;
}

ReportDataPage::ReportDataPage(CTabulon& module, QWidget* parent)
    : ModulePage(parent), module_(module) {
  DialogBuilder b(this);
  labelColumns_ = b.Check(kIdReportLabelColumns, "Label Data Columns");
  b.AddWide(labelColumns_);
  headerInfo_ = b.Check(kIdReportHeaderInfo, "Output Header Information");
  b.AddWide(headerInfo_);

  const QFontMetrics fm = fontMetrics();
  // Both labels as wide as the longer one, each list as wide as its longest item.
  const int labelWidth =
      fm.horizontalAdvance("Julian days conversion format") + DialogUnitsX(this, 8);
  auto addChoice = [&](int id, const char* label, const std::vector<std::string>& items) {
    QComboBox* combo = b.Combo(id, 0);
    int widest = 0;
    for (const std::string& item : items) {
      combo->addItem(QString::fromStdString(item));
      widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(item)));
    }
    combo->setMinimumWidth(widest + DialogUnitsX(this, 20));
    QLabel* text = b.Label(-1, label);
    text->setMinimumWidth(labelWidth);
    b.AddRow(text, combo);
    return combo;
  };
  separator_ = addChoice(kIdReportSeparator, "Column separator", CTabulon_Psu::SeparatorNames());
  timeForm_ =
      addChoice(kIdReportTimeForm, "Julian days conversion format", CTabulon_Psu::TimeFormNames());
  QPushButton* select = b.Button(kIdReportSelectVariables, "Select Variables...");
  b.AddButtonRow({select});
  b.grid()->setRowStretch(b.row(), 1);
  connect(select, &QPushButton::clicked, this, &ReportDataPage::SelectVariables);
}

void ReportDataPage::Fill() {
  const CTabulon_Psu& p = module_.ReportSetup().Psu();
  labelColumns_->setChecked(p.labelDataColumns != 0);
  headerInfo_->setChecked(p.outputHeaderInfo != 0);
  separator_->setCurrentIndex(p.columnSeparator);
  timeForm_->setCurrentIndex(p.julianDaysConvFmt);
}

void ReportDataPage::Take() {
  CTabulon_Psu& p = module_.ReportSetup().Psu();
  // An index outside the choices (no item chosen) keeps the previous value.
  p.SetSeparator(separator_->currentIndex());
  p.SetTimeForm(timeForm_->currentIndex());
  p.labelDataColumns = labelColumns_->isChecked() ? 1 : 0;
  p.outputHeaderInfo = headerInfo_->isChecked() ? 1 : 0;
}

void ReportDataPage::SelectVariables() {
  SelectReportVariables(module_.ReportSetup().Psu(), [this](CTGR41Selection& selection) {
    CTGR41Dlg dlg(selection, this);
    return dlg.exec() == QDialog::Accepted;
  });
}

}  // namespace tidora::ui
