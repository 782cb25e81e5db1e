#pragma once

#include <QImage>
#include <QMenu>
#include <QString>
#include <QWidget>

namespace tidora::ui {

// Renders a window as it is on screen (offscreen platform included), with an open popup menu
// drawn over it where it stands.
QImage GrabWindow(QWidget* window, QMenu* openMenu = nullptr);

// Saves an image as dir/name.png; false when it cannot be written.
bool SaveScreenshot(const QImage& image, const QString& dir, const QString& name);

}  // namespace tidora::ui
