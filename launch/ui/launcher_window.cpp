#include "launch/ui/launcher_window.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QTimer>
#include <cmath>

#include "launch/ui/convert_dialog.h"
#include "launch/ui/plan_dialog.h"
#include "platform/interaction.h"
#include "platform/settings_dir.h"
#include "platform/ui/about_box.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/help_browser.h"

namespace tidora::ui {

namespace {

// Shows the picture stretched to the whole client area.
class PictureWidget : public QWidget {
 public:
  explicit PictureWidget(QWidget* parent) : QWidget(parent), picture_(LauncherPicture({640, 400})) {
    setMinimumSize(320, 200);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(rect(), picture_);
  }

 private:
  QPixmap picture_;
};

}  // namespace

QPixmap LauncherPicture(QSize size) {
  QPixmap pm(size);
  const double w = size.width(), h = size.height();
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const double surface = 0.38 * h;

  QLinearGradient sky(0, 0, 0, surface);
  sky.setColorAt(0, QColor(120, 180, 235));
  sky.setColorAt(1, QColor(225, 240, 250));
  p.fillRect(QRectF(0, 0, w, surface + 20), sky);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 215, 90));
  p.drawEllipse(QPointF(0.82 * w, 0.13 * h), 0.05 * h, 0.05 * h);

  // The sea, with a wave train on its surface.
  QPainterPath sea;
  sea.moveTo(0, h);
  for (int i = 0; i <= 200; ++i) {
    double x = w * i / 200.0;
    double y = surface + 0.03 * h * std::sin(x / w * 6 * 2 * M_PI) +
               0.012 * h * std::sin(x / w * 17 * 2 * M_PI + 1.0);
    sea.lineTo(x, y);
  }
  sea.lineTo(w, h);
  sea.closeSubpath();
  QLinearGradient water(0, surface, 0, h);
  water.setColorAt(0, QColor(40, 130, 190));
  water.setColorAt(1, QColor(10, 40, 90));
  p.setBrush(water);
  p.drawPath(sea);

  // Pressure fading with depth: rings around the recorder shrink towards the bottom.
  const double bottom = 0.9 * h;
  p.setBrush(QColor(200, 180, 130));
  QPainterPath sand;
  sand.moveTo(0, h);
  sand.lineTo(0, bottom);
  sand.cubicTo(0.3 * w, bottom - 0.03 * h, 0.6 * w, bottom + 0.03 * h, w, bottom - 0.01 * h);
  sand.lineTo(w, h);
  sand.closeSubpath();
  p.drawPath(sand);

  const double rx = 0.5 * w, ry = 0.72 * h;
  p.setPen(QPen(QColor(60, 60, 60), 2));
  p.drawLine(QPointF(rx, ry + 0.06 * h), QPointF(rx, bottom));  // mooring line
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(90, 90, 90));
  p.drawRect(QRectF(rx - 0.04 * w, bottom - 0.02 * h, 0.08 * w, 0.03 * h));  // anchor
  p.setBrush(QColor(250, 190, 40));
  p.drawRoundedRect(QRectF(rx - 0.025 * w, ry - 0.07 * h, 0.05 * w, 0.13 * h), 6, 6);
  p.setBrush(Qt::NoBrush);
  for (int i = 1; i <= 3; ++i) {
    p.setPen(QPen(QColor(255, 255, 255, 140 - 35 * i), 2));
    double r = 0.04 * w * i;
    p.drawArc(QRectF(rx - r, ry - 0.2 * h - r / 2, 2 * r, r), 20 * 16, 140 * 16);
  }

  p.setPen(QColor(255, 255, 255));
  QFont f = p.font();
  f.setPointSizeF(h / 16);
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRectF(0, 0.45 * h, w, 0.12 * h), Qt::AlignCenter, "Tidora for Waves");
  return pm;
}

LauncherWindow::LauncherWindow(Interaction& ui, std::vector<std::string> converterSwitches,
                               QWidget* parent)
    : QMainWindow(parent),
      ui_(ui),
      converterSwitches_(std::move(converterSwitches)),
      programDir_(QCoreApplication::applicationDirPath()) {
  setWindowTitle(kLauncherTitle);
  setWindowIcon(AppIcon());
  setCentralWidget(new PictureWidget(this));
  resize(480, 330);

  runMenu_ = menuBar()->addMenu("&Run");
  AddCommand(runMenu_, "&1. Plan Deployment...", kCmdPlanDeployment);
  AddCommand(runMenu_, "&2. Battery and Memory Endurance...", kCmdEndurance);
  AddCommand(runMenu_, "&3. QuaylinkW...", kCmdQuaylink);
  AddCommand(runMenu_, "&4. Convert HEX...", kCmdConvertHex);
  AddCommand(runMenu_, "&5. Merge Barometric Pressure...", kCmdMergeBarometric);
  AddCommand(runMenu_, "&6. Process Wave Burst Data...", kCmdProcessWaves);
  AddCommand(runMenu_, "&7. Create Reports...", kCmdCreateReports);
  AddCommand(runMenu_, "&8. Plot Data...", kCmdPlotData);
  runMenu_->addSeparator();
  AddCommand(runMenu_, "E&xit", kCmdExit);

  QMenu* help = menuBar()->addMenu("&Help");
  AddCommand(help, "&Contents and Index...", kCmdHelpContents);
  AddCommand(help, "Current &Topic...", kCmdHelpTopic);
  AddCommand(help, "About Tidora for Waves...", kCmdAbout);

  // Run Options has no menu item: it is reached from the keyboard.
  auto* options = new QAction("Run Options", this);
  SetControlId(options, kCmdRunOptions);
  options->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  options->setShortcutContext(Qt::WindowShortcut);
  addAction(options);

  connect(findCommand(this, kCmdPlanDeployment), &QAction::triggered, this,
          &LauncherWindow::PlanDeployment);
  connect(findCommand(this, kCmdEndurance), &QAction::triggered, this,
          [this] { StartProgram("Deploycalc"); });
  connect(findCommand(this, kCmdQuaylink), &QAction::triggered, this,
          [this] { StartProgram("QuaylinkW"); });
  connect(findCommand(this, kCmdConvertHex), &QAction::triggered, this,
          &LauncherWindow::ConvertHex);
  const std::pair<int, int> modules[] = {
      {kCmdMergeBarometric, 2}, {kCmdProcessWaves, 3}, {kCmdCreateReports, 1}, {kCmdPlotData, 0}};
  for (auto [command, index] : modules) {
    connect(findCommand(this, command), &QAction::triggered, this,
            [this, index = index] { RunModule(index); });
  }
  connect(findCommand(this, kCmdExit), &QAction::triggered, this, &QWidget::close);
  connect(findCommand(this, kCmdHelpContents), &QAction::triggered, this,
          [this] { ShowHelp(this, kHelpContents); });
  connect(findCommand(this, kCmdHelpTopic), &QAction::triggered, this,
          [this] { ShowHelp(this, kHelpLauncher); });
  connect(findCommand(this, kCmdAbout), &QAction::triggered, this, &LauncherWindow::ShowAbout);
  connect(options, &QAction::triggered, this, &LauncherWindow::ShowRunOptions);
}

QAction* LauncherWindow::AddCommand(QMenu* menu, const QString& text, int command) {
  QAction* a = menu->addAction(text);
  SetControlId(a, command);
  return a;
}

void LauncherWindow::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (shownOnce_ || !popUpMenu_) return;
  shownOnce_ = true;
  // Once the window is up, its Run menu opens at the top-left corner of the client area.
  QTimer::singleShot(0, this,
                     [this] { runMenu_->popup(centralWidget()->mapToGlobal(QPoint(0, 0))); });
}

void LauncherWindow::PlanDeployment() {
  PlanDeploymentDialog dlg(ui_, SettingsFile("TidoraWaves.ini"), this);
  dlg.exec();
}

void LauncherWindow::ConvertHex() {
  ConvertHexDialog dlg(ui_, coefficients_, converterSwitches_, this);
  dlg.exec();
}

bool LauncherWindow::StartProgram(const QString& name) {
  return QProcess::startDetached(programDir_ + "/" + name, {});
}

void LauncherWindow::RunModule(int index) {
  StartModule(index, {options_.options, options_.runMinimized}, *this, ui_,
              SettingsFile("TidoraWaves.ini"));
}

bool LauncherWindow::OpenFile(const std::string& path) {
  const FileOpening how = OpenFileWith(path);
  switch (how.kind) {
    case FileOpening::kModule:
      StartModule(how.module, {how.options, false}, *this, ui_, SettingsFile("TidoraWaves.ini"));
      return true;
    case FileOpening::kConvertHex: {
      ConvertHexDialog dlg(ui_, coefficients_, converterSwitches_, this);
      dlg.SetInputFile(path);
      dlg.exec();
      return true;
    }
    case FileOpening::kNone:
      break;
  }
  ui_.Message(path + " is neither a program setup file nor a data or upload file.", kLauncherTitle,
              MsgIcon::Warning, MsgButtons::Ok);
  return false;
}

void LauncherWindow::ShowRunOptions() {
  RunOptionsDialog dlg(options_, this);
  if (dlg.exec() == QDialog::Accepted) options_ = dlg.Result();
}

void LauncherWindow::ShowAbout() {
  AboutBox box(this);
  box.exec();
}

void LauncherWindow::SetTitle(const std::string& title) {
  setWindowTitle(QString::fromStdString(title));
}

void LauncherWindow::Minimize() {
  showMinimized();
}

void LauncherWindow::Restore() {
  showNormal();
  activateWindow();
}

}  // namespace tidora::ui
