// TidoraLaunch: the suite's launcher window with its Run menu.
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "launch/ui/convert_dialog.h"
#include "launch/ui/launcher_window.h"
#include "launch/ui/plan_dialog.h"
#include "platform/settings_dir.h"
#include "platform/ui/qt_interaction.h"
#include "platform/ui/screenshot.h"

namespace {

bool IsConverterSwitch(const char* a) {
  return std::strlen(a) == 2 && (a[0] == '-' || a[0] == '/') &&
         std::strchr("vVtTdD", a[1]) != nullptr;
}

void Usage() {
  std::printf(
      "Usage: TidoraLaunch [-v] [-t | -d] [--screenshots DIR]\n"
      "  -v   tide files of the TGR 41 carry the thermistor voltage instead of temperature\n"
      "  -t   TGR 77 BPR lines carry the frequency columns\n"
      "  -d   TGR 77 BPR tsunami layout with raw counts (the later of -t and -d wins)\n"
      "  --screenshots DIR   save pictures of the windows into DIR and exit\n"
      "Switches may also be written with '/' and in upper case.\n");
}

// Saves the launcher with its Run menu open, Plan Deployment, Convert HEX and its
// coefficients, then quits.
int TakeScreenshots(tidora::ui::LauncherWindow& w, tidora::Interaction& ui, const QString& dir) {
  using namespace tidora::ui;
  int failures = 0;
  w.SetPopUpRunMenu(false);
  w.show();
  QApplication::processEvents();
  w.runMenu()->popup(w.centralWidget()->mapToGlobal(QPoint(0, 0)));
  QApplication::processEvents();
  failures += !SaveScreenshot(GrabWindow(&w, w.runMenu()), dir, "launcher_run_menu");
  w.runMenu()->hide();

  PlanDeploymentDialog plan(ui, tidora::SettingsFile("TidoraWaves.ini"), &w);
  plan.show();
  QApplication::processEvents();
  failures += !SaveScreenshot(GrabWindow(&plan), dir, "plan_deployment");
  plan.close();

  tidora::ui::CoefficientSession coefficients;
  ConvertHexDialog convert(ui, coefficients, {}, &w);
  convert.show();
  QApplication::processEvents();
  failures += !SaveScreenshot(GrabWindow(&convert), dir, "convert_hex");
  convert.close();

  CoefficientDialog coef(ui, coefficients, &w);
  coef.show();
  QApplication::processEvents();
  failures += !SaveScreenshot(GrabWindow(&coef), dir, "coefficients");
  coef.reject();
  if (failures)
    std::fprintf(stderr, "TidoraLaunch: could not write screenshots to %s\n",
                 dir.toLocal8Bit().constData());
  return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> switches;
  QString screenshots;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      Usage();
      return 0;
    }
    if (!std::strcmp(argv[i], "--screenshots") && i + 1 < argc) {
      screenshots = QString::fromLocal8Bit(argv[++i]);
    } else if (IsConverterSwitch(argv[i])) {
      switches.push_back(argv[i]);
    }
    // Anything else is left to Qt's own options.
  }

  QApplication app(argc, argv);
  tidora::ui::QtInteraction ui;
  tidora::ui::LauncherWindow window(ui, switches);
  ui.SetWindow(&window);
  if (!screenshots.isEmpty()) return TakeScreenshots(window, ui, screenshots);
  window.show();
  return app.exec();
}
