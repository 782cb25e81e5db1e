// Deploycalc: battery and memory endurance of a planned sampling scheme.
#include <QApplication>
#include <QTabWidget>
#include <cstdio>
#include <cstring>

#include "endurance/ui/deploycalc_sheet.h"
#include "platform/ui/numeric_locale.h"
#include "platform/ui/qt_interaction.h"
#include "platform/ui/screenshot.h"

namespace {

using tidora::EnduranceControl;

// Saves every page after a calculation with a typical plan, then quits.
int TakeScreenshots(tidora::ui::DeploycalcSheet& sheet, const QString& dir) {
  using namespace tidora::ui;
  sheet.show();
  int failures = 0;
  for (int i = 0; i < sheet.tabs()->count(); ++i) {
    tidora::CDPCPageBase& page = sheet.pageWidget(i)->page();
    const std::pair<EnduranceControl, const char*> plan[] = {
        {EnduranceControl::kTideInterval, "15"},
        {EnduranceControl::kTideDurationSeconds, "60"},
        {EnduranceControl::kTideDurationMinutes, "1"},
        {EnduranceControl::kReferenceEvery, "96"},
        {EnduranceControl::kWavesEvery, "4"},
        {EnduranceControl::kSamplesPerBurst, "1024"}};
    for (auto [id, text] : plan) page.SetEntryText(id, text);
    sheet.tabs()->setCurrentIndex(i);
    sheet.Calculate();
    QApplication::processEvents();
    QString name = QString("deploycalc_%1").arg(i + 1);
    failures += !SaveScreenshot(GrabWindow(&sheet), dir, name);
  }
  return ScreenshotsExitStatus("Deploycalc", failures, dir);
}

}  // namespace

int main(int argc, char** argv) {
  QString screenshots;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::printf(
          "Usage: Deploycalc [--screenshots DIR]\n"
          "  Battery and memory endurance of the Tidora recorders.\n"
          "  --screenshots DIR   save a picture of every page after a calculation and exit\n");
      return 0;
    }
    if (!std::strcmp(argv[i], "--screenshots") && i + 1 < argc) {
      screenshots = QString::fromLocal8Bit(argv[++i]);
    }
  }
  QApplication app(argc, argv);
  tidora::ui::KeepCNumericLocale();
  app.setApplicationName(tidora::kDeploycalcTitle);
  tidora::ui::QtInteraction ui;
  tidora::ui::DeploycalcSheet sheet(ui);
  ui.SetWindow(&sheet);
  if (!screenshots.isEmpty()) return TakeScreenshots(sheet, screenshots);
  sheet.exec();  // the program ends when the sheet closes
  return 0;
}
