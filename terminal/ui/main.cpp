// QuaylinkW: the terminal of the recorder.
#include <QApplication>
#include <QScreen>
#include <cstdio>
#include <cstring>

#include "platform/ui/about_box.h"
#include "platform/ui/numeric_locale.h"
#include "terminal/ui/quaylink_window.h"

using namespace tidora;
using namespace tidora::ui;

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::printf(
          "Usage: QuaylinkW [--help]\n"
          "  The terminal of the Tidora recorders: connect, status, coefficients, clock,\n"
          "  upload, capture and diagnostics over the serial port of QuaylinkW.ini.\n"
          "  -h, --help          show this help and exit\n");
      return 0;
    }
  }
  QApplication app(argc, argv);
  tidora::ui::KeepCNumericLocale();
  app.setApplicationName(kWindowTitle);
  app.setWindowIcon(AppIcon());

  CommSettings settings;
  ReleaseFlags release{};
  QSize screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size()
                                                  : QSize(1920, 1080);
  ReadCommSettings(settings, DefaultCommSettingsPath(), ScreenSize{screen.width(), screen.height()},
                   &release);
  PosixSerialPorts ports(PortDeviceTable::Load());
  QtInteraction ui;
  QuaylinkWindow window(settings, ports, ui);
  window.show();
  window.Start(&release);
  return app.exec();
}
