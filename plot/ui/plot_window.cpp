#include "plot/ui/plot_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QWheelEvent>
#include <cmath>

#include "export/cf_export.h"
#include "platform/interaction.h"
#include "platform/ui/dialog_builder.h"

namespace tidora::ui {

PlotView::PlotView(PlotChart* chart, QWidget* parent) : QChartView(chart, parent), chart_(chart) {
  SetControlId(this, kIdPlotView);
  setRenderHint(QPainter::Antialiasing);
  setRubberBand(QChartView::RectangleRubberBand);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

void PlotView::ZoomAround(const QPointF& viewPos, double factor) {
  if (factor <= 0) return;
  const QRectF area = chart_->plotArea();
  const QPointF c = chart_->mapFromScene(mapToScene(viewPos.toPoint()));
  // The point under the cursor stays where it is.
  const double w = area.width() / factor, h = area.height() / factor;
  const double fx = area.width() > 0 ? (c.x() - area.left()) / area.width() : 0.5;
  const double fy = area.height() > 0 ? (c.y() - area.top()) / area.height() : 0.5;
  chart_->zoomIn(QRectF(c.x() - fx * w, c.y() - fy * h, w, h));
}

void PlotView::wheelEvent(QWheelEvent* e) {
  const double steps = e->angleDelta().y() / 120.0;
  if (steps != 0) ZoomAround(e->position(), std::pow(1.25, steps));
  e->accept();
}

void PlotView::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::MiddleButton) {
    panning_ = true;
    panFrom_ = e->position();
    e->accept();
    return;
  }
  QChartView::mousePressEvent(e);
}

void PlotView::mouseMoveEvent(QMouseEvent* e) {
  if (panning_) {
    const QPointF d = e->position() - panFrom_;
    panFrom_ = e->position();
    chart_->scroll(-d.x(), d.y());
    e->accept();
    return;
  }
  Q_EMIT ValueText(chart_->ValueText(chart_->mapFromScene(mapToScene(e->position().toPoint()))));
  QChartView::mouseMoveEvent(e);
}

void PlotView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::MiddleButton) {
    panning_ = false;
    e->accept();
    return;
  }
  QChartView::mouseReleaseEvent(e);
}

void PlotView::keyPressEvent(QKeyEvent* e) {
  const double step = 20;
  switch (e->key()) {
    case Qt::Key_Left:
      chart_->scroll(-step, 0);
      break;
    case Qt::Key_Right:
      chart_->scroll(step, 0);
      break;
    case Qt::Key_Up:
      chart_->scroll(0, step);
      break;
    case Qt::Key_Down:
      chart_->scroll(0, -step);
      break;
    case Qt::Key_Home:
      chart_->ResetView();
      break;
    default:
      QChartView::keyPressEvent(e);
      return;
  }
  e->accept();
}

PlotWindow::PlotWindow(const PlotModel& model, int pictureWidth, int pictureHeight, Interaction& ui,
                       QWidget* parent)
    : QMainWindow(parent),
      ui_(ui),
      width_(pictureWidth),
      height_(pictureHeight),
      sources_(model.sources) {
  setWindowTitle(QString::fromStdString(model.title));
  setAttribute(Qt::WA_DeleteOnClose, false);
  view_ = new PlotView(new PlotChart(model), this);
  setCentralWidget(view_);
  status_ = new QLabel(this);
  SetControlId(status_, kIdPlotStatus);
  statusBar()->addWidget(status_, 1);
  connect(view_, &PlotView::ValueText, status_, &QLabel::setText);

  auto add = [this](QMenu* menu, const QString& text, int id, const QKeySequence& key, auto slot) {
    QAction* a = menu->addAction(text);
    SetControlId(a, id);
    if (!key.isEmpty()) a->setShortcut(key);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  QMenu* file = menuBar()->addMenu("&File");
  add(file, "&Save Picture...", kCmdPlotSavePicture, QKeySequence::Save,
      [this] { SavePictureAs(); });
  add(file, "&Export Data...", kCmdPlotExportData, QKeySequence(), [this] { ExportDataAs(); });
  file->addSeparator();
  add(file, "&Close", kCmdPlotClose, QKeySequence::Close, [this] { close(); });
  QMenu* viewMenu = menuBar()->addMenu("&View");
  add(viewMenu, "Zoom &In", kCmdPlotZoomIn, QKeySequence::ZoomIn,
      [this] { view_->ZoomAround(view_->rect().center(), 1.5); });
  add(viewMenu, "Zoom &Out", kCmdPlotZoomOut, QKeySequence::ZoomOut,
      [this] { view_->ZoomAround(view_->rect().center(), 1 / 1.5); });
  add(viewMenu, "&Reset Zoom", kCmdPlotResetZoom, QKeySequence(Qt::Key_Home),
      [this] { Chart()->ResetView(); });
  status_->setText(
      "Drag to zoom, wheel to zoom, middle button or arrow keys to pan, Home to reset");
  resize(900, 560);
}

QString PlotWindow::StatusText() const {
  return status_->text();
}

bool PlotWindow::SavePicture(const std::string& path) {
  std::string error;
  if (!SavePlotPicture(Chart()->ViewedModel(), width_, height_, path, error)) {
    ui_.Message(error, "Save Picture", MsgIcon::Warning, MsgButtons::Ok);
    return false;
  }
  status_->setText(QString::fromStdString("Saved " + path));
  return true;
}

void PlotWindow::SavePictureAs() {
  FileRequest r;
  r.mode = FileRequest::kSave;
  r.title = "Save Picture";
  r.filters = {{"PNG picture (*.png)", {"*.png"}},
               {"SVG drawing (*.svg)", {"*.svg"}},
               {"PDF document (*.pdf)", {"*.pdf"}}};
  r.defaultExtension = "png";
  r.mustExist = false;
  const std::vector<std::string> names = ui_.ChooseFiles(r);
  if (!names.empty()) SavePicture(names.front());
}

bool PlotWindow::ExportData(const std::string& path) {
  ExportOptions options;
  options.command = "Plot Data: File > Export Data";
  options.version = TIDORA_VERSION;
  options.ui = &ui_;
  std::string error;
  if (!ExportToNetcdf(sources_, path, options, error)) {
    ui_.Message(error, "Export Data", MsgIcon::Warning, MsgButtons::Ok);
    return false;
  }
  status_->setText(QString::fromStdString("Exported " + path));
  return true;
}

void PlotWindow::ExportDataAs() {
  FileRequest r;
  r.mode = FileRequest::kSave;
  r.title = "Export Data";
  r.filters = {{"netCDF files (*.nc)", {"*.nc"}}};
  r.defaultExtension = "nc";
  r.mustExist = false;
  if (!sources_.empty()) r.initialName = DefaultExportPath(sources_);
  const std::vector<std::string> names = ui_.ChooseFiles(r);
  if (!names.empty()) ExportData(names.front());
}

}  // namespace tidora::ui
