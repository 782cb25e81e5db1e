// TidoraLaunch: the suite's launcher window with its Run menu.
#include <dlfcn.h>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
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
#include "platform/profile.h"
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
      "Usage: TidoraLaunch [-v] [-t | -d] [--screenshots DIR] [FILE]\n"
      "  -v   tide files of the TGR 41 carry the thermistor voltage instead of temperature\n"
      "  -t   TGR 77 BPR lines carry the frequency columns\n"
      "  -d   TGR 77 BPR tsunami layout with raw counts (the later of -t and -d wins)\n"
      "  --screenshots DIR   save pictures of the windows into DIR and exit\n"
      "  --register   register the module libraries (*.so) beside this program and in the\n"
      "               installed module folder for this user, and exit\n"
      "  --register-system   write the registry of the installed module folder, read by\n"
      "               every user before their own, and exit\n"
      "  FILE         open a program setup file (.psa) in its module, a data file (.tid,\n"
      "               .wb, .was, .wts, .wt) in Plot Data, an upload file (.hex) in\n"
      "               Convert HEX\n"
      "Switches may also be written with '/' and in upper case.\n");
}

// The module libraries in a folder. Modules are named without the "lib" of ordinary shared
// libraries, such as the data file library installed beside them.
std::vector<std::string> LibrariesIn(const std::filesystem::path& dir) {
  namespace fs = std::filesystem;
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec))
    if (entry.is_regular_file(ec) && entry.path().extension() == ".so" &&
        !entry.path().filename().string().starts_with("lib"))
      found.push_back(entry.path().string());
  std::sort(found.begin(), found.end());
  return found;
}

// The module libraries beside the program (a build) and in the installed module folder.
std::vector<std::string> ModuleLibraries() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  std::vector<std::string> found = LibrariesIn(exe.parent_path());
  const std::vector<std::string> installed = LibrariesIn(tidora::InstalledModuleDirectory());
  found.insert(found.end(), installed.begin(), installed.end());
  return found;
}

// Writes the registry of the installed module folder, naming each library relative to it, so
// that an installation serves every user without a registration of their own.
int RegisterInstalledModules() {
  const std::string registry = tidora::SystemComponentRegistryPath();
  const std::vector<std::string> libraries = LibrariesIn(tidora::InstalledModuleDirectory());
  std::string text = std::string("[") + tidora::kComponentRegistrySection + "]\n";
  int failures = 0;
  for (const std::string& lib : libraries) {
    std::vector<std::string> classes;
    std::string error;
    if (!tidora::ComponentLibraryClasses(lib, &classes, &error)) {
      std::fprintf(stderr, "TidoraLaunch: cannot register %s: %s\n", lib.c_str(), error.c_str());
      ++failures;
    }
    for (const std::string& c : classes)
      text += c + "=" + std::filesystem::path(lib).filename().string() + "\n";
  }
  if (libraries.empty()) {
    std::fprintf(stderr, "TidoraLaunch: no module libraries in %s\n",
                 tidora::InstalledModuleDirectory().c_str());
    return 1;
  }
  if (failures) return 1;
  if (!tidora::WriteFileAtomically(registry, text)) {
    std::fprintf(stderr, "TidoraLaunch: cannot write %s\n", registry.c_str());
    return 1;
  }
  std::printf("wrote %s\n", registry.c_str());
  return 0;
}

// Writes every module library beside the program and in the installed module folder into the
// user's component registry.
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

// Starts each Run menu module whose library is registered, as its menu item does, saves the
// window it opens as run_<module>.png and closes it (and any box on the way). A module whose
// window does not open counts as a failure.
int RunModuleScreenshots(tidora::ui::LauncherWindow& w, const QString& dir) {
  using namespace tidora;
  int failures = 0;
  for (int index : {2, 3, 1, 0}) {  // Run > 5, 6, 7, 8
    if (RegisteredComponentLibrary(kLauncherModules[index].classId).empty()) continue;
    const std::string section = ModuleSection(index);
    QString name = "run_" + QString::fromStdString(section).toLower().replace(' ', '_');
    bool opened = false;
    QString error;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return;
      auto* box = qobject_cast<QMessageBox*>(modal);
      if (!box || box->windowTitle() == "Error") {
        opened = opened || !box;
        if (box) error = box->text();
        failures += !tidora::ui::SaveWindowScreenshot(modal, dir, name);
      }
      if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
      else
        modal->close();
    });
    poll.start();
    w.RunModule(index);
    poll.stop();
    if (opened) {
      std::printf("opened %s\n", section.c_str());
    } else {
      std::fprintf(stderr, "TidoraLaunch: %s did not open: %s\n", section.c_str(),
                   error.toLocal8Bit().constData());
      ++failures;
    }
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
  failures += RunModuleScreenshots(w, dir);
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
    if (!std::strcmp(argv[i], "--register-system")) return RegisterInstalledModules();
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
  // A file to open (Qt has taken its own options out by now): the launcher opens it where it
  // belongs and ends with it, as a file manager expects.
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--screenshots")) {
      ++i;
    } else if (!IsConverterSwitch(argv[i]) && argv[i][0] != '-') {
      return window.OpenFile(argv[i]) ? 0 : 1;
    }
  }
  window.show();
  return app.exec();
}
