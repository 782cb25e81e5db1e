#include "platform/ui/screenshot.h"

#include <QDir>
#include <QPainter>

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

}  // namespace tidora::ui
