// The chart window, the module's sheet and `tidora plot`, driven on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QValueAxis>
#include <QWheelEvent>

#include "export/cf_export.h"
#include "export/tests/cf_check.h"
#include "outside/utility.h"
#include "plot/tests/plot_files.h"
#include "plot/ui/plot_pages.h"
#include "plot/ui/plot_window.h"
#include "postproc/ui/tests/module_sheet_fixture.h"
#include "testing/scripted_interaction.h"

namespace tidora::ui {
namespace {

using namespace tidora::testing;

QValueAxis* XAxis(PlotChart* chart) {
  return qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).value(0));
}

class PlotWindowTest : public ::testing::Test {
 protected:
  PlotWindowTest() { EnsureApplication(); }
  TempDir dir;
  ScriptedInteraction ui;
};

TEST_F(PlotWindowTest, WheelAndRubberBandZoomAndTheResetBringsTheWholePlotBack) {
  WriteTideFile(dir.file("bay.tid"), 20000, [](int i) { return 30 + std::sin(i / 50.0); });
  PlotSettings s;
  PlotModel m;
  std::string error;
  ASSERT_TRUE(BuildPlot({dir.file("bay.tid")}, s, m, error)) << error;
  PlotWindow w(m, 800, 500, ui);
  w.resize(900, 600);
  w.show();
  QApplication::processEvents();
  QValueAxis* x = XAxis(w.Chart());
  ASSERT_NE(x, nullptr);
  const double span = x->max() - x->min();
  const QPoint centre = w.View()->rect().center();
  QWheelEvent wheel(centre, w.View()->mapToGlobal(centre), QPoint(), QPoint(0, 240), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(w.View()->viewport(), &wheel);
  EXPECT_LT(x->max() - x->min(), span * 0.7);
  // The series is drawn again for the new range, never more than a few points per column.
  EXPECT_LE(w.Chart()->DrawnPoints(0), 2 * int(w.Chart()->plotArea().width()) + 4);
  // Rubber band: drag across a part of the plot.
  const QRectF area = w.Chart()->plotArea();
  const double before = x->max() - x->min();
  QTest::mousePress(w.View()->viewport(), Qt::LeftButton, {},
                    area.topLeft().toPoint() + QPoint(50, 20));
  QTest::mouseMove(w.View()->viewport(), area.topLeft().toPoint() + QPoint(150, 120));
  QTest::mouseRelease(w.View()->viewport(), Qt::LeftButton, {},
                      area.topLeft().toPoint() + QPoint(150, 120));
  EXPECT_LT(x->max() - x->min(), before * 0.5);
  findCommand(&w, kCmdPlotResetZoom)->trigger();
  EXPECT_NEAR(x->max() - x->min(), span, span * 1e-9);
  // The value under the cursor in the status bar.
  QTest::mouseMove(w.View()->viewport(), area.center().toPoint());
  EXPECT_TRUE(w.StatusText().startsWith("X: ")) << w.StatusText().toStdString();
  EXPECT_TRUE(w.StatusText().contains("/2024 ")) << w.StatusText().toStdString();
  EXPECT_TRUE(w.StatusText().contains("Y: 3") || w.StatusText().contains("Y: 29"))
      << w.StatusText().toStdString();
  // Arrow keys pan, Home resets.
  const double low = x->min();
  QTest::keyClick(w.View(), Qt::Key_Right);
  EXPECT_GT(x->min(), low);
  EXPECT_NEAR(x->max() - x->min(), span, span * 1e-6);
  QTest::keyClick(w.View(), Qt::Key_Home);
  EXPECT_EQ(x->min(), low);
  // File > Save Picture: the chosen name's format.
  ui.QueueFiles({dir.file("saved.svg")});
  findCommand(&w, kCmdPlotSavePicture)->trigger();
  EXPECT_EQ(ReadFile(dir.file("saved.svg")).rfind("<?xml", 0), 0u);
  EXPECT_EQ(w.StatusText().toStdString(), "Saved " + dir.file("saved.svg"));
}

TEST_F(PlotWindowTest, TheCommandDrawsTheWindowsPictureAndRefusesBadInputs) {
  WriteFile(dir.file("bay.wts"), WtsText(10));
  const std::string cli = dir.file("cli.png");
  std::string out, err;
  ASSERT_EQ(RunCommand(ProgramPath("tidora") + " plot " + dir.file("bay.wts") +
                           " --width 640 --height 420 --set PlotTitle=Bay --output " + cli,
                       &out, &err),
            0)
      << err;
  CPlotSetup s;
  s.pictureWidth = 640;
  s.pictureHeight = 420;
  s.title = "Bay";
  PlotModel m;
  std::string error;
  ASSERT_TRUE(BuildPlot({dir.file("bay.wts")}, s, m, error));
  PlotWindow w(m, s.pictureWidth, s.pictureHeight, ui);
  w.show();
  QApplication::processEvents();
  ASSERT_TRUE(w.SavePicture(dir.file("window.png")));
  QImage a(QString::fromStdString(cli)), b(QString::fromStdString(dir.file("window.png")));
  ASSERT_EQ(a.size(), QSize(640, 420));
  EXPECT_TRUE(a == b) << "the command and the window draw different pictures";

  // Bad inputs: the reason, exit 1, no picture.
  WriteFile(dir.file("empty.wts"), "");
  for (const std::string& bad :
       {dir.file("missing.tid"), dir.file("empty.wts"), dir.file("bay.wts") + " --vars 19"}) {
    const std::string pic = dir.file("bad.png");
    EXPECT_EQ(RunCommand(ProgramPath("tidora") + " plot " + bad + " --output " + pic, &out, &err),
              1)
        << bad;
    EXPECT_NE(err.find("tidora plot: "), std::string::npos) << err;
    EXPECT_FALSE(IsFile(pic)) << bad;
  }
  EXPECT_EQ(RunCommand(ProgramPath("tidora") + " plot " + dir.file("bay.wts") +
                           " --kind pie --output " + dir.file("x.png"),
                       &out, &err),
            2);
  EXPECT_EQ(RunCommand(ProgramPath("tidora") + " plot " + dir.file("bay.wts") +
                           " --bursts 5-2 --output " + dir.file("x.png"),
                       &out, &err),
            2);
  EXPECT_EQ(RunCommand(ProgramPath("tidora") + " plot " + dir.file("bay.wts") + " --output " +
                           dir.file("x.gif"),
                       &out, &err),
            1);
  EXPECT_NE(err.find(".png, .svg or .pdf"), std::string::npos) << err;
}

// Keeps the last file request, to see what the window asked for.
class RequestKeeper : public ScriptedInteraction {
 public:
  std::vector<std::string> ChooseFiles(const FileRequest& request) override {
    last = request;
    return ScriptedInteraction::ChooseFiles(request);
  }
  FileRequest last;
};

class PlotExport : public ::testing::Test {
 protected:
  PlotExport() { EnsureApplication(); }
  std::unique_ptr<PlotWindow> Window(const std::string& file) {
    PlotModel m;
    std::string error;
    EXPECT_TRUE(BuildPlot({file}, PlotSettings(), m, error)) << error;
    auto w = std::make_unique<PlotWindow>(m, 800, 500, ui);
    w->show();
    QApplication::processEvents();
    return w;
  }
  TempDir dir;
  RequestKeeper ui;
};

TEST_F(PlotExport, ExportDataWritesTheShownFileAsNetcdfAndACancelWritesNothing) {
  WriteTideFile(dir.file("bay.tid"), 1234, [](int i) { return 30 + std::sin(i / 50.0); });
  auto w = Window(dir.file("bay.tid"));
  QAction* exportData = findCommand(w.get(), kCmdPlotExportData);
  ASSERT_NE(exportData, nullptr);
  EXPECT_EQ(exportData->text(), "&Export Data...");

  // Cancelled: the name was asked for, nothing written, no box.
  exportData->trigger();
  EXPECT_EQ(ui.last.mode, FileRequest::kSave);
  ASSERT_EQ(ui.last.filters.size(), 1u);
  EXPECT_EQ(ui.last.filters[0].description, "netCDF files (*.nc)");
  EXPECT_EQ(ui.last.initialName, DefaultExportPath({dir.file("bay.tid")}));
  EXPECT_FALSE(IsFile(ui.last.initialName));
  EXPECT_TRUE(ui.Messages().empty());

  const std::string out = dir.file("bay export.nc");
  ui.QueueFiles({out});
  exportData->trigger();
  EXPECT_TRUE(ui.Messages().empty()) << (ui.Messages().empty() ? "" : ui.Messages().back().text);
  EXPECT_EQ(w->StatusText().toStdString(), "Exported " + out);
  testing::NcDataset ds;
  std::string error;
  ASSERT_TRUE(testing::LoadNetcdf(out, ds, error)) << error;
  EXPECT_EQ(ds.Var("time").values.size(), 1234u);
  EXPECT_EQ(ds.Var("pressure").values.size(), 1234u);
  EXPECT_EQ(ds.Global("Conventions"), "CF-1.8");
  EXPECT_EQ(testing::CheckCf(ds), std::vector<std::string>{});
}

TEST_F(PlotExport, AFailedExportShowsTheReasonAndWritesNothing) {
  // A surface elevation file plots but does not export: the export's own message.
  WtBurst a, b;
  a.burst = 1;
  b.burst = 2;
  b.values = {0.5, -0.5, 0.25, 0};
  WriteFile(dir.file("bay.wt"), WtFileText({a, b}, true));
  auto w = Window(dir.file("bay.wt"));
  const QString before = w->StatusText();
  ui.QueueFiles({dir.file("bay.nc")});
  findCommand(w.get(), kCmdPlotExportData)->trigger();
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Export Data");
  EXPECT_EQ(ui.Messages()[0].text,
            dir.file("bay.wt") + ": surface elevation files are not exported");
  EXPECT_FALSE(IsFile(dir.file("bay.nc")));
  EXPECT_EQ(w->StatusText(), before);

  // An output that cannot be written: the reason, and no file left behind.
  WriteTideFile(dir.file("bay.tid"), 10, [](int) { return 30.0; });
  auto tide = Window(dir.file("bay.tid"));
  const std::string out = dir.file("missing folder") + "/bay.nc";
  ui.QueueFiles({out});
  findCommand(tide.get(), kCmdPlotExportData)->trigger();
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[1].caption, "Export Data");
  EXPECT_EQ(ui.Messages()[1].text.rfind(out + ": cannot be written", 0), 0u)
      << ui.Messages()[1].text;
  EXPECT_FALSE(IsDirectory(dir.file("missing folder")));
}

class PlotSheet : public ModuleSheetFixture<CPlotModule> {
 protected:
  PlotSheet() {
    module.PlotSetup().ResetAll(dir.path());
    RememberSetup("PlotData.psa");
    OpenSheet(PlotSheetTexts(module), new PlotDataPage(module, ui));
  }
};

TEST_F(PlotSheet, StartProcessOpensTheChartAndTheSettingsComeFromThePage) {
  EXPECT_EQ(sheet->windowTitle(), "Plot Data");
  WriteFile(dir.file("bay.was"), WasText(5));
  ui.QueueFiles({dir.file("bay.was")});
  File<QPushButton>(kIdInputSelect)->click();
  ASSERT_EQ(File<QComboBox>(kIdInputList)->count(), 1);
  sheet->tabs()->setCurrentIndex(1);
  Data<QComboBox>(kIdPlotKind)->setCurrentIndex(kPlotSpectra);
  Data<QLineEdit>(kIdPlotTitle)->setText("Two spectra");
  findControl<QLineEdit>(page, kIdPlotFirstSetting + 1)->setText("2");  // LastBurst
  sheet->tabs()->setCurrentIndex(0);
  EXPECT_EQ(module.PlotSetup().plotKind, kPlotSpectra);
  EXPECT_EQ(module.PlotSetup().lastBurst, 2);
  sheet->StartOrStop();
  ASSERT_TRUE(WaitFor([&] { return sheet->findChild<PlotWindow*>() != nullptr; }));
  PlotWindow* w = sheet->findChild<PlotWindow*>();
  EXPECT_EQ(w->windowTitle(), "Two spectra");
  EXPECT_EQ(w->Chart()->Model().series.size(), 2u);
  EXPECT_TRUE(ui.Messages().empty()) << LastMessage();
  // A file that cannot give the plot: the reason in a box, no window.
  w->close();
  QApplication::processEvents();
  sheet->tabs()->setCurrentIndex(1);
  Data<QComboBox>(kIdPlotKind)->setCurrentIndex(kPlotTideSeries);
  sheet->tabs()->setCurrentIndex(0);
  sheet->StartOrStop();
  ASSERT_TRUE(WaitFor([&] { return !sheet->processing() && !ui.Messages().empty(); }));
  EXPECT_EQ(ui.Messages().back().caption, "Plot Data");
  EXPECT_NE(ui.Messages().back().text.find("cannot be drawn"), std::string::npos);
}

}  // namespace
}  // namespace tidora::ui
