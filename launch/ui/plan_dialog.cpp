#include "launch/ui/plan_dialog.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cstdlib>

#include "platform/interaction.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/help_browser.h"

namespace tidora::ui {

namespace {

// Numbers as the settings file reads them: what the text begins with, 0 when it is no number.
double FieldDouble(const QLineEdit* e) {
  std::string s = e->text().toStdString();
  return std::strtod(s.c_str(), nullptr);
}
int FieldInt(const QLineEdit* e) {
  std::string s = e->text().toStdString();
  long v = std::strtol(s.c_str(), nullptr, 10);
  return v > 1 << 30 ? 1 << 30 : v < -(1 << 30) ? -(1 << 30) : static_cast<int>(v);
}

}  // namespace

PlanDeploymentDialog::PlanDeploymentDialog(Interaction& ui, std::string iniFile, QWidget* parent)
    : QDialog(parent), ui_(ui), iniFile_(std::move(iniFile)) {
  setWindowTitle("Plan Deployment");
  plan_ = ReadPlanSettings(iniFile_);

  auto* form = new QWidget(this);
  DialogBuilder b(form);
  auto row = [&](int id, const char* label, const QString& value) {
    QLineEdit* e = b.Edit(id, value);
    b.AddRow(b.Label(kIdPlanLabelBase + id - 1000, label), e);
    return e;
  };
  depth_ = row(kIdPlanWaterDepth, "Water Depth (meters)", QString::number(plan_.waterDepth));
  height_ = row(kIdPlanInstrumentHeight, "Instrument Height Above Bottom (meters)",
                QString::number(plan_.instrumentHeight));
  estimates_ =
      row(kIdPlanEstimates, "Spectral Estimates per Band", QString::number(plan_.estimatesPerBand));
  period_ = row(kIdPlanSamplePeriod, "Wave Sample Duration (seconds)",
                QString::number(plan_.samplePeriod));
  samples_ = row(kIdPlanSamples, "Wave Samples per Burst", QString::number(plan_.samplesPerBurst));

  auto* resultsBox = new QVBoxLayout;
  for (int i = 0; i < 3; ++i) {
    results_[i] = b.Label(kIdPlanResultBands + i, "");
    resultsBox->addWidget(results_[i]);
  }
  auto* calc = b.Button(kIdPlanCalculate, "&Calculate Spectral Parameters");
  auto* help = b.Button(kIdPlanHelp, "&Help");
  auto* exit = b.Button(kIdPlanExit, "&Exit");
  auto* cancel = b.Button(kIdPlanCancel, "Cancel");
  calc->setDefault(true);
  auto* buttons = new QVBoxLayout;
  for (auto* w : {calc, help, exit, cancel}) buttons->addWidget(w);
  b.grid()->addLayout(resultsBox, 0, 2, 3, 1);
  b.grid()->addLayout(buttons, 0, 3, 5, 1);
  b.grid()->setHorizontalSpacing(DialogUnitsX(this, 8));

  auto* chart = new QChart;
  chart->setTitle(kPlanChartTitle);
  chart->legend()->hide();
  series_ = new QLineSeries;
  chart->addSeries(series_);
  auto* x = new QValueAxis;
  x->setRange(0.0, 25.0);
  x->setTitleText(kPlanPeriodAxisTitle);
  x->setLabelFormat("%g");
  x->setTickCount(6);
  auto* y = new QValueAxis;
  y->setRange(0.0, 1.0);
  y->setTitleText(kPlanAttenuationAxisTitle);
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  series_->attachAxis(x);
  series_->attachAxis(y);
  chart_ = new QChartView(chart, this);
  chart_->setRenderHint(QPainter::Antialiasing);
  SetControlId(chart_, kIdPlanChart);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(form, 1);
  layout->addWidget(chart_, 4);  // the chart fills the dialog below its first fifth
  resize(720, 620);

  connect(calc, &QPushButton::clicked, this, &PlanDeploymentDialog::Calculate);
  connect(help, &QPushButton::clicked, this, [this] { ShowHelp(this, kHelpPlanDeployment); });
  connect(exit, &QPushButton::clicked, this, &PlanDeploymentDialog::Exit);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  ComputeSpectralParameters(plan_);
  ShowPlan();
}

DeploymentPlan PlanDeploymentDialog::ReadFields() const {
  DeploymentPlan p;
  p.waterDepth = FieldDouble(depth_);
  p.instrumentHeight = FieldDouble(height_);
  p.estimatesPerBand = FieldInt(estimates_);
  p.samplePeriod = FieldDouble(period_);
  p.samplesPerBurst = FieldInt(samples_);
  return p;
}

void PlanDeploymentDialog::Calculate() {
  plan_ = ReadFields();
  ComputeSpectralParameters(plan_);
  ShowPlan();
}

void PlanDeploymentDialog::ShowPlan() {
  std::vector<std::string> lines = PlanResultLines(plan_);
  for (int i = 0; i < 3; ++i) {
    results_[i]->setText(i < static_cast<int>(lines.size()) ? QString::fromStdString(lines[i])
                                                            : QString());
  }
  QList<QPointF> points;
  for (const AttenuationPoint& a : AttenuationCurve(plan_)) {
    points.append(QPointF(a.period, a.attenuation));
  }
  series_->replace(points);
}

void PlanDeploymentDialog::Exit() {
  DeploymentPlan p = ReadFields();
  if (!WritePlanSettings(p, iniFile_)) {
    // The values typed would be lost without a word otherwise.
    ui_.Message("Could not save the settings to " + iniFile_, "Plan Deployment", MsgIcon::Warning,
                MsgButtons::Ok);
  }
  accept();
}

}  // namespace tidora::ui
