#pragma once

#include <vector>

#include "plot/plot_module.h"
#include "postproc/ui/module_sheet.h"

class QComboBox;
class QLineEdit;
class QCheckBox;

namespace tidora::ui {

// Controls of the plotting module's Data Setup page; the declared settings follow from
// kIdPlotFirstSetting in their table order.
enum PlotDataId {
  kIdPlotKind = 301,
  kIdPlotXVariable = 302,
  kIdPlotVariables = 303,
  kIdPlotSelectVariables = 304,
  kIdPlotTitle = 305,
  kIdPlotFirstSetting = 310,
};

// "Data Setup": the plot kind, the X variable, the variables (typed as identifiers or chosen
// in the variable selection), the title and every other declared setting.
class PlotDataPage : public ModulePage {
  Q_OBJECT
 public:
  // Opens a chart window over the sheet for each plot the module builds.
  PlotDataPage(CPlotModule& module, Interaction& ui, QWidget* parent = nullptr);
  ~PlotDataPage() override;
  QString Caption() const override { return "Data Setup"; }
  void Fill() override;
  void Take() override;
  void SelectVariables();

 private:
  struct Field {
    int keyId;
    QLineEdit* edit = nullptr;
    QCheckBox* check = nullptr;
  };
  void ShowPlot(const PlotModel& model);

  CPlotModule& module_;
  Interaction& ui_;
  QComboBox* kind_;
  QComboBox* xVariable_;
  QLineEdit* variables_;
  QLineEdit* title_;
  std::vector<Field> fields_;
};

ModuleSheetTexts PlotSheetTexts(CPlotModule& module);

}  // namespace tidora::ui
