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

// Shows a window, lets it lay itself out and saves it as dir/name.png; false when it cannot be
// written.
bool SaveWindowScreenshot(QWidget* window, const QString& dir, const QString& name);

// The exit status of a program's picture run: 0, or 1 after saying on stderr that pictures
// could not be written.
int ScreenshotsExitStatus(const char* program, int failures, const QString& dir);

}  // namespace tidora::ui
