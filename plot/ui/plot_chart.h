#pragma once

// A plot drawn with Qt Charts: the chart the window shows and the pictures both the window
// and `tidora plot` save. Long series are drawn from their decimation levels, refilled for the
// visible x range and the plot's pixel width whenever the range or the size changes.

#include <QChart>
#include <QImage>
#include <QRectF>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "plot/decimate.h"
#include "plot/plot_data.h"

class QLineSeries;
class QValueAxis;
class QAbstractAxis;

namespace tidora::ui {

class SpectrogramItem;

class PlotChart : public QChart {
  Q_OBJECT
 public:
  explicit PlotChart(const PlotModel& model, QGraphicsItem* parent = nullptr);
  ~PlotChart() override;

  const PlotModel& Model() const { return model_; }
  // The model with the axes' current ranges: what a saved picture shows.
  PlotModel ViewedModel() const;
  // Back to the model's ranges.
  void ResetView();
  // Text of the value under a point of the chart ("X: ...  Y: ..."); empty outside the plot.
  QString ValueText(const QPointF& chartPos) const;
  // Refills the drawn points of every series for the visible range and the plot's width.
  void Redecimate();
  // Points drawn by line series i (for tests: stays small however long the series).
  int DrawnPoints(int series) const;
  // Colour of series i.
  static QColor SeriesColour(int i);

 private:
  void BuildAxes();
  void BuildSeries();
  void UpdateDateLabels();

  PlotModel model_;
  std::vector<DecimatedSeries> decimated_;
  std::vector<QLineSeries*> lines_;
  QAbstractAxis* xAxis_ = nullptr;
  QAbstractAxis* yAxis_[2] = {nullptr, nullptr};
  SpectrogramItem* spectrogram_ = nullptr;
  bool updating_ = false;
};

// A rendered picture and where its plot area lies in it.
struct RenderedPlot {
  QImage image;
  QRectF plotArea;
};
// Draws the model on a chart of width x height pixels.
RenderedPlot RenderPlotImage(const PlotModel& model, int width, int height);

// Writes the picture as PNG, SVG or PDF by the path's extension (any case). False with the
// reason in `error`.
bool SavePlotPicture(const PlotModel& model, int width, int height, const std::string& path,
                     std::string& error);

// For a program without windows: makes the Qt application on the offscreen platform when
// there is none yet. Lives until the program ends.
void EnsurePictureApplication();

}  // namespace tidora::ui
