#pragma once

// The chart window of the plotting module: the plot with zoom (rubber band, wheel), pan
// (middle button or arrow keys), a reset, the legend, the value under the cursor in the status
// bar, File > Save Picture as PNG, SVG or PDF, and File > Export Data: the files shown as CF
// netCDF, as `tidora export` writes them.

#include <QChartView>
#include <QMainWindow>
#include <string>

#include "plot/plot_data.h"
#include "plot/ui/plot_chart.h"

class QLabel;

namespace tidora {
class Interaction;
}

namespace tidora::ui {

enum PlotWindowId { kIdPlotView = 401, kIdPlotStatus = 402 };
enum PlotCommand {
  kCmdPlotSavePicture = 33280,
  kCmdPlotExportData = 33285,
  kCmdPlotClose = 33281,
  kCmdPlotResetZoom = 33282,
  kCmdPlotZoomIn = 33283,
  kCmdPlotZoomOut = 33284,
};

class PlotView : public QChartView {
  Q_OBJECT
 public:
  PlotView(PlotChart* chart, QWidget* parent = nullptr);
  PlotChart* Chart() const { return chart_; }
  // Zooms by a factor (above 1: in) around a point of the view.
  void ZoomAround(const QPointF& viewPos, double factor);

 Q_SIGNALS:
  void ValueText(const QString& text);

 protected:
  void wheelEvent(QWheelEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  PlotChart* chart_;
  bool panning_ = false;
  QPointF panFrom_;
};

class PlotWindow : public QMainWindow {
  Q_OBJECT
 public:
  // Pictures are saved at pictureWidth x pictureHeight pixels, as `tidora plot` draws them.
  PlotWindow(const PlotModel& model, int pictureWidth, int pictureHeight, Interaction& ui,
             QWidget* parent = nullptr);

  PlotView* View() const { return view_; }
  PlotChart* Chart() const { return view_->Chart(); }
  QString StatusText() const;
  // Writes the picture of what the window shows (the current zoom); false after a message.
  bool SavePicture(const std::string& path);
  // File > Save Picture...: asks for the name, then saves.
  void SavePictureAs();
  // Writes the files the plot was read from to `path` as netCDF; false after a message.
  bool ExportData(const std::string& path);
  // File > Export Data...: asks for the name, then exports.
  void ExportDataAs();

 private:
  Interaction& ui_;
  PlotView* view_;
  QLabel* status_;
  int width_, height_;
  std::vector<std::string> sources_;
};

}  // namespace tidora::ui
