#include "plot/ui/plot_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "datafile/tgr41file.h"
#include "datafile/ui/tgr41_dialog.h"
#include "platform/ui/dialog_builder.h"
#include "plot/ui/plot_window.h"

namespace tidora::ui {

namespace {
constexpr int kKeyPlotKind = 37;
constexpr int kKeyXVariable = 39;
}  // namespace

ModuleSheetTexts PlotSheetTexts(CPlotModule& module) {
  ModuleSheetTexts t;
  t.inputLabel = "Select the data files to plot";
  t.selectTitle = "Select Data Files to Plot";
  t.inputFilter = {"Data Files (*.tid, *.wb, *.was, *.wts, *.wt)",
                   {"*.tid", "*.wb", "*.was", "*.wts", "*.wt"}};
  // Several files of one kind may share a plot (tide files of two deployments).
  t.takeSelection = [&module](std::vector<std::string> names) {
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::string& n) { return FileIdFromExtension(n) < 0; }),
                names.end());
    if (names.empty()) return false;
    module.Setup().inputFiles = names;
    module.OpenInputFiles();
    return true;
  };
  return t;
}

PlotDataPage::PlotDataPage(CPlotModule& module, Interaction& ui, QWidget* parent)
    : ModulePage(parent), module_(module), ui_(ui) {
  module_.SetPlotReady([this](const PlotModel& model) { ShowPlot(model); });
  DialogBuilder b(this);
  kind_ = b.Combo(kIdPlotKind);
  for (int k = 0; k < kNumPlotKinds; ++k) kind_->addItem(PlotKindLabel(k));
  b.AddRow(b.Label(-1, "Plot kind"), kind_);
  xVariable_ = b.Combo(kIdPlotXVariable);
  xVariable_->addItem("Date/Time");
  xVariable_->addItem("Burst Number");
  b.AddRow(b.Label(-1, "Statistics against"), xVariable_);
  variables_ = b.Edit(kIdPlotVariables);
  variables_->setPlaceholderText("the file's defaults");
  b.AddRow(b.Label(-1, "Variables (ids)"), variables_);
  title_ = b.Edit(kIdPlotTitle);
  title_->setPlaceholderText("made from the files");
  b.AddRow(b.Label(-1, "Title"), title_);
  int id = kIdPlotFirstSetting;
  for (const auto& d : CPlotSetup::Settings()) {
    // The kinds, the variables and the title have controls of their own, above.
    if (d.keyId == kKeyPlotKind || d.keyId == kKeyXVariable || !IsNumberSetting(d)) continue;
    Field f{d.keyId};
    if (d.type == SettingType::kFlag) {
      f.check = b.Check(id++, d.label);
      b.AddWide(f.check);
    } else {
      f.edit = b.Edit(id++);
      b.AddRow(b.Label(-1, d.label), f.edit);
    }
    fields_.push_back(f);
  }
  QPushButton* select = b.Button(kIdPlotSelectVariables, "Select Variables...");
  select->setAutoDefault(false);
  b.AddButtonRow({select});
  b.grid()->setRowStretch(b.row(), 1);
  connect(select, &QPushButton::clicked, this, &PlotDataPage::SelectVariables);
}

PlotDataPage::~PlotDataPage() {
  module_.SetPlotReady(nullptr);
}

void PlotDataPage::ShowPlot(const PlotModel& model) {
  const CPlotSetup& s = module_.PlotSetup();
  // A window of the sheet: it closes with it and takes input while the sheet is modal.
  auto* w = new PlotWindow(model, s.pictureWidth, s.pictureHeight, ui_, window());
  w->setWindowFlag(Qt::Window);
  w->setAttribute(Qt::WA_DeleteOnClose);
  w->show();
}

void PlotDataPage::Fill() {
  const CPlotSetup& s = module_.PlotSetup();
  kind_->setCurrentIndex(s.plotKind);
  xVariable_->setCurrentIndex(s.xVariable == kVarBurstNumber ? 1 : 0);
  variables_->setText(QString::fromStdString(VariableListText(s.variables)));
  title_->setText(QString::fromStdString(s.title));
  for (const Field& f : fields_) {
    const auto* d = FindSetting<CPlotSetup>(CPlotSetup::Settings(), f.keyId);
    if (f.check) {
      f.check->setChecked(s.*d->intField != 0);
    } else {
      LineEditField field(f.edit);
      if (d->type == SettingType::kDouble)
        DoubleToEdit(s.*d->doubleField, field, "%g");
      else
        IntToEdit(s.*d->intField, field);
    }
  }
}

void PlotDataPage::Take() {
  CPlotSetup& s = module_.PlotSetup();
  // A value the setting refuses keeps the previous one, as a setup file's would.
  auto assign = [&s](int keyId, const std::string& text) {
    s.AssignModuleSetting(SetupKeyName(keyId), text);
  };
  if (kind_->currentIndex() >= 0) assign(kKeyPlotKind, std::to_string(kind_->currentIndex()));
  assign(kKeyXVariable, xVariable_->currentIndex() == 1 ? "2" : "4");
  s.AssignModuleSetting("PlotVariables", variables_->text().remove(' ').toStdString());
  s.AssignModuleSetting("PlotTitle", title_->text().toStdString());
  for (const Field& f : fields_) {
    if (f.check)
      assign(f.keyId, f.check->isChecked() ? "1" : "0");
    else
      assign(f.keyId, f.edit->text().trimmed().toStdString());
  }
  Fill();
}

void PlotDataPage::SelectVariables() {
  Take();
  CPlotSelection selection;
  selection.SetTitle("Select Variables");
  selection.SetChosen(module_.PlotSetup().variables);
  CTGR41Dlg dlg(selection, this);
  if (dlg.exec() != QDialog::Accepted) return;
  module_.PlotSetup().variables = selection.GetChosenIds();
  Fill();
}

}  // namespace tidora::ui
