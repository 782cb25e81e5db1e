#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QTest>
#include <QValueAxis>

#include "launch/ui/plan_dialog.h"
#include "platform/interaction.h"
#include "platform/profile.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/tests/gui_test_support.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace tidora::ui {
namespace {

class PlanDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { tidora::testing::EnsureApplication(); }
  QString Result(QDialog& d, int id) { return findControl<QLabel>(&d, id)->text(); }
  void Type(QDialog& d, int id, const QString& text) {
    QLineEdit* e = findControl<QLineEdit>(&d, id);
    e->selectAll();
    QTest::keyClicks(e, text);
  }
  void Click(QDialog& d, int id) { findControl<QPushButton>(&d, id)->click(); }
  tidora::testing::TempDir dir;
  std::string ini = dir.file("TidoraWaves.ini");
  ScriptedInteraction ui;
};

TEST_F(PlanDialogTest, OpeningComputesAndPlotsTheDefaults) {
  PlanDeploymentDialog d(ui, ini);
  EXPECT_EQ(d.windowTitle(), "Plan Deployment");
  EXPECT_EQ(findControl<QLineEdit>(&d, kIdPlanWaterDepth)->text(), "20");
  EXPECT_EQ(findControl<QLineEdit>(&d, kIdPlanSamples)->text(), "1024");
  EXPECT_EQ(findControl<QLabel>(&d, kIdPlanLabelBase + 2)->text(),
            "Instrument Height Above Bottom (meters)");
  EXPECT_EQ(Result(d, kIdPlanResultWidth), "Band Width (Hz): 0.0391");
  DeploymentPlan expected;
  ComputeSpectralParameters(expected);
  auto lines = PlanResultLines(expected);
  EXPECT_EQ(Result(d, kIdPlanResultBands).toStdString(), lines[0]);
  EXPECT_EQ(Result(d, kIdPlanResultSpan).toStdString(), lines[2]);

  auto* view = findControl<QChartView>(&d, kIdPlanChart);
  ASSERT_NE(view, nullptr);
  QChart* chart = view->chart();
  EXPECT_EQ(chart->title(), "Pressure Attenuation [p(inst) / p(surf)] VS Wave Period");
  auto* x = qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).value(0));
  auto* y = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
  ASSERT_TRUE(x && y);
  EXPECT_EQ(x->min(), 0.0);
  EXPECT_EQ(x->max(), 25.0);
  EXPECT_EQ(y->min(), 0.0);
  EXPECT_EQ(y->max(), 1.0);
  EXPECT_EQ(x->titleText(), "Wave Period (seconds)");
  EXPECT_EQ(y->titleText(), "Pressure Attenuation");

  auto points = d.series()->points();
  auto curve = AttenuationCurve(expected);
  ASSERT_EQ(points.size(), 100);
  EXPECT_DOUBLE_EQ(points.first().x(), 0.25);
  EXPECT_DOUBLE_EQ(points.last().x(), 25.0);
  EXPECT_DOUBLE_EQ(points[39].y(), curve[39].attenuation);
  EXPECT_GT(points.last().y(), points.first().y());  // long waves reach the sensor
}

TEST_F(PlanDialogTest, CalculateUsesTheFieldsAndEnterCalculatesWithoutClosing) {
  PlanDeploymentDialog d(ui, ini);
  d.show();
  Type(d, kIdPlanSamples, "1");
  Click(d, kIdPlanCalculate);
  EXPECT_EQ(Result(d, kIdPlanResultBands), "0 Bands Calculated");
  EXPECT_EQ(Result(d, kIdPlanResultSpan), "Frequency Span (Hz): 0.0000 - 0.0000");

  Type(d, kIdPlanSamples, "2048");
  QTest::keyClick(findControl<QLineEdit>(&d, kIdPlanSamples), Qt::Key_Return);
  EXPECT_EQ(Result(d, kIdPlanResultWidth), "Band Width (Hz): 0.0195");
  EXPECT_TRUE(d.isVisible());

  // A deeper mooring damps the short waves: the curve follows the new depth.
  double before = d.series()->points()[3].y();
  Type(d, kIdPlanWaterDepth, "60");
  Click(d, kIdPlanCalculate);
  EXPECT_LT(d.series()->points()[3].y(), before);
}

TEST_F(PlanDialogTest, ExitSavesTheFieldsAndCancelDoesNot) {
  {
    PlanDeploymentDialog d(ui, ini);
    Type(d, kIdPlanWaterDepth, "35.5");
    Type(d, kIdPlanEstimates, "8");
    Click(d, kIdPlanCancel);
    EXPECT_EQ(d.result(), QDialog::Rejected);
  }
  EXPECT_EQ(GetProfileString("PlanDeployment", "WaterDepth", "none", ini), "none");
  {
    PlanDeploymentDialog d(ui, ini);
    Type(d, kIdPlanWaterDepth, "35.5");
    Type(d, kIdPlanEstimates, "8");
    Click(d, kIdPlanExit);
    EXPECT_EQ(d.result(), QDialog::Accepted);
  }
  EXPECT_EQ(GetProfileString("PlanDeployment", "WaterDepth", "", ini), "35.500000");
  EXPECT_EQ(GetProfileString("PlanDeployment", "SpectralEstimatesPerBand", "", ini), "8");
  PlanDeploymentDialog again(ui, ini);
  EXPECT_EQ(findControl<QLineEdit>(&again, kIdPlanWaterDepth)->text(), "35.5");
  EXPECT_TRUE(ui.Records().empty());
}

TEST_F(PlanDialogTest, ASettingsFileThatCannotBeWrittenIsReported) {
  PlanDeploymentDialog d(ui, dir.file("no/such/folder/TidoraWaves.ini"));
  Click(d, kIdPlanExit);
  auto m = ui.Messages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_NE(m[0].text.find("Could not save"), std::string::npos);
}

}  // namespace
}  // namespace tidora::ui
