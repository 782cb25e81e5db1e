#include "platform/ui/screenshot.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <cstdio>

namespace tidora::ui {

QImage GrabWindow(QWidget* window, QMenu* openMenu) {
  QImage image = window->grab().toImage();
  if (openMenu && openMenu->isVisible()) {
    QImage menu = openMenu->grab().toImage();
    QPoint at = openMenu->mapToGlobal(QPoint(0, 0)) - window->mapToGlobal(QPoint(0, 0));
    QPainter p(&image);
    p.drawImage(at, menu);
  }
  return image;
}

bool SaveScreenshot(const QImage& image, const QString& dir, const QString& name) {
  QDir().mkpath(dir);
  return image.save(dir + "/" + name + ".png");
}

bool SaveWindowScreenshot(QWidget* window, const QString& dir, const QString& name) {
  window->show();
  QApplication::processEvents();
  return SaveScreenshot(GrabWindow(window), dir, name);
}

int ScreenshotsExitStatus(const char* program, int failures, const QString& dir) {
  if (failures == 0) return 0;
  std::fprintf(stderr, "%s: could not write screenshots to %s\n", program,
               dir.toLocal8Bit().constData());
  return 1;
}

}  // namespace tidora::ui
