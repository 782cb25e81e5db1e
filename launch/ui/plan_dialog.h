#pragma once

#include <QDialog>
#include <string>

#include "launch/plan_deployment.h"

class QChartView;
class QLabel;
class QLineEdit;
class QLineSeries;

namespace tidora {
class Interaction;
}

namespace tidora::ui {

// Control identifiers of the Plan Deployment dialog.
enum PlanControl {
  kIdPlanWaterDepth = 1001,
  kIdPlanInstrumentHeight = 1002,
  kIdPlanEstimates = 1003,
  kIdPlanSamplePeriod = 1004,
  kIdPlanSamples = 1005,
  kIdPlanResultBands = 1011,
  kIdPlanResultWidth = 1012,
  kIdPlanResultSpan = 1013,
  kIdPlanCalculate = 1021,
  kIdPlanHelp = 1022,
  kIdPlanExit = 1023,
  kIdPlanCancel = 2,
  kIdPlanChart = 10,
  kIdPlanLabelBase = 1100,  // label of field id: kIdPlanLabelBase + (id - 1000)
};

inline constexpr const char* kPlanChartTitle =
    "Pressure Attenuation [p(inst) / p(surf)] VS Wave Period";
inline constexpr const char* kPlanPeriodAxisTitle = "Wave Period (seconds)";
inline constexpr const char* kPlanAttenuationAxisTitle = "Pressure Attenuation";

// "Plan Deployment": the five inputs from [PlanDeployment], the three result lines and the
// attenuation chart. Calculate recomputes from the fields; Exit saves the inputs; Cancel does not.
class PlanDeploymentDialog : public QDialog {
  Q_OBJECT
 public:
  // `iniFile` is the suite settings file (TidoraWaves.ini).
  PlanDeploymentDialog(Interaction& ui, std::string iniFile, QWidget* parent = nullptr);

  // The plan as the fields hold it, with its results from the last calculation.
  const DeploymentPlan& plan() const { return plan_; }
  QLineSeries* series() const { return series_; }

  void Calculate();
  void Exit();

 private:
  DeploymentPlan ReadFields() const;
  void ShowPlan();

  Interaction& ui_;
  std::string iniFile_;
  DeploymentPlan plan_;
  QLineEdit* depth_;
  QLineEdit* height_;
  QLineEdit* estimates_;
  QLineEdit* period_;
  QLineEdit* samples_;
  QLabel* results_[3];
  QChartView* chart_;
  QLineSeries* series_;
};

}  // namespace tidora::ui
