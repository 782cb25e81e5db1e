// TidoraLaunch: the suite's launcher window with its Run menu.
#include <dlfcn.h>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <algorithm>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "launch/ui/convert_dialog.h"
#include "launch/ui/launcher_window.h"
#include "launch/ui/plan_dialog.h"
#include "platform/component.h"
#include "platform/settings_dir.h"
#include "platform/ui/numeric_locale.h"
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
      "  --register   register the module libraries (*.so) beside this program and exit\n"
      "Switches may also be written with '/' and in upper case.\n");
}

// The module libraries beside the program.
std::vector<std::string> ModuleLibraries() {
  namespace fs = std::filesystem;
  std::vector<std::string> found;
  std::error_code ec;
  const fs::path dir = fs::read_symlink("/proc/self/exe", ec).parent_path();
  if (ec) return found;
  for (const auto& entry : fs::directory_iterator(dir, ec))
    if (entry.is_regular_file(ec) && entry.path().extension() == ".so")
      found.push_back(entry.path().string());
  std::sort(found.begin(), found.end());
  return found;
}

// Writes every module library beside the program into the user's component registry.
int RegisterModules() {
  int failures = 0;
  const std::vector<std::string> libraries = ModuleLibraries();
  for (const std::string& lib : libraries) {
    std::string error;
    if (tidora::RegisterComponentLibrary(lib, &error)) {
      std::printf("registered %s\n", lib.c_str());
    } else {
      std::fprintf(stderr, "TidoraLaunch: cannot register %s: %s\n", lib.c_str(), error.c_str());
      ++failures;
    }
  }
  if (libraries.empty()) std::fprintf(stderr, "TidoraLaunch: no module libraries found\n");
  return failures || libraries.empty() ? 1 : 0;
}

// Asks every module library beside the program for pictures of its windows.
int ModuleScreenshots(const QString& dir) {
  int failures = 0;
  for (const std::string& lib : ModuleLibraries()) {
    void* handle = dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      ++failures;
      continue;
    }
    using ShotsFn = int (*)(const char*);
    auto shots = reinterpret_cast<ShotsFn>(dlsym(handle, "TidoraComponentScreenshots"));
    if (shots && !shots(dir.toLocal8Bit().constData())) ++failures;
    dlclose(handle);
  }
  return failures;
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
  failures += !SaveWindowScreenshot(&plan, dir, "plan_deployment");
  plan.close();

  tidora::ui::CoefficientSession coefficients;
  ConvertHexDialog convert(ui, coefficients, {}, &w);
  failures += !SaveWindowScreenshot(&convert, dir, "convert_hex");
  convert.close();

  CoefficientDialog coef(ui, coefficients, &w);
  failures += !SaveWindowScreenshot(&coef, dir, "coefficients");
  coef.reject();
  failures += ModuleScreenshots(dir);
  return ScreenshotsExitStatus("TidoraLaunch", failures, dir);
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
    if (!std::strcmp(argv[i], "--register")) return RegisterModules();
    if (!std::strcmp(argv[i], "--screenshots") && i + 1 < argc) {
      screenshots = QString::fromLocal8Bit(argv[++i]);
    } else if (IsConverterSwitch(argv[i])) {
      switches.push_back(argv[i]);
    }
    // Anything else is left to Qt's own options.
  }

  QApplication app(argc, argv);
  tidora::ui::KeepCNumericLocale();
  tidora::ui::QtInteraction ui;
  tidora::ui::LauncherWindow window(ui, switches);
  ui.SetWindow(&window);
  if (!screenshots.isEmpty()) return TakeScreenshots(window, ui, screenshots);
  window.show();
  return app.exec();
}
