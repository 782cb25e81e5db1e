#include "plot/ui/plot_chart.h"

#include <QApplication>
#include <QAreaSeries>
#include <QCategoryAxis>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <QValueAxis>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>

#include "datafile/tgr41file.h"
#include "datafile/writers.h"
#include "plot/time_ticks.h"

namespace tidora::ui {

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// Colours along the energy scale: dark blue to yellow.
QColor ScaleColour(double t) {
  static const QColor stops[] = {QColor(68, 1, 84), QColor(59, 82, 139), QColor(33, 145, 140),
                                 QColor(94, 201, 98), QColor(253, 231, 37)};
  if (!std::isfinite(t)) return QColor(255, 255, 255, 0);
  t = std::clamp(t, 0.0, 1.0) * 4;
  const int i = std::min(3, static_cast<int>(t));
  const double f = t - i;
  const QColor& a = stops[i];
  const QColor& b = stops[i + 1];
  return QColor::fromRgbF(float(a.redF() + f * (b.redF() - a.redF())),
                          float(a.greenF() + f * (b.greenF() - a.greenF())),
                          float(a.blueF() + f * (b.blueF() - a.blueF())));
}

// Ticks at round values inside the range, which itself stays as it is (a fixed range is
// drawn exactly as asked).
void SetRoundTicks(QValueAxis* a) {
  const double span = a->max() - a->min();
  if (!(span > 0) || qobject_cast<QCategoryAxis*>(a)) return;
  const double raw = span / 5, magnitude = std::pow(10, std::floor(std::log10(raw)));
  double step = magnitude;
  for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
    if (m * magnitude >= raw) {
      step = m * magnitude;
      break;
    }
  a->setTickType(QValueAxis::TicksDynamic);
  a->setTickAnchor(std::ceil(a->min() / step) * step);
  a->setTickInterval(step);
}

QAbstractAxis* MakeValueAxis(bool log, const AxisRange& r, const std::string& title) {
  QAbstractAxis* axis;
  if (log) {
    auto* a = new QLogValueAxis;
    a->setBase(10);
    a->setLabelFormat("%g");
    a->setMinorTickCount(-1);
    a->setRange(r.low, r.high);
    axis = a;
  } else {
    auto* a = new QValueAxis;
    a->setRange(r.low, r.high);
    a->setLabelFormat("%.6g");
    SetRoundTicks(a);
    axis = a;
  }
  axis->setTitleText(Q(title));
  return axis;
}

double AxisMin(const QAbstractAxis* a) {
  if (auto* v = qobject_cast<const QValueAxis*>(a)) return v->min();
  if (auto* l = qobject_cast<const QLogValueAxis*>(a)) return l->min();
  return 0;
}
double AxisMax(const QAbstractAxis* a) {
  if (auto* v = qobject_cast<const QValueAxis*>(a)) return v->max();
  if (auto* l = qobject_cast<const QLogValueAxis*>(a)) return l->max();
  return 1;
}

std::string DateText(double seconds) {
  return FormatDataDateTime(CalendarTime(seconds));
}

}  // namespace

// The energy of a spectrogram as an image over the plot area, and its colour scale on the
// right.
class SpectrogramItem : public QGraphicsItem {
 public:
  SpectrogramItem(PlotChart* chart, const SpectrogramGrid& grid, bool log, QString title)
      : QGraphicsItem(chart), chart_(chart), grid_(grid), log_(log), title_(std::move(title)) {
    low_ = log_ ? std::log10(std::max(grid.minimum, 1e-300)) : grid.minimum;
    high_ = log_ ? std::log10(std::max(grid.maximum, 1e-300)) : grid.maximum;
    if (!(high_ > low_)) high_ = low_ + 1;
    const int w = static_cast<int>(grid.times.size());
    const int h = static_cast<int>(grid.frequencies.size());
    image_ = QImage(w, h, QImage::Format_ARGB32);
    for (int t = 0; t < w; ++t)
      for (int f = 0; f < h; ++f)
        image_.setPixelColor(t, h - 1 - f, ScaleColour(Scaled(grid.At(size_t(t), size_t(f)))));
    setZValue(-1);  // under the axes' grid lines drawn by the chart
  }
  double Scaled(double v) const {
    if (!std::isfinite(v) || (log_ && v <= 0)) return NAN;
    return ((log_ ? std::log10(v) : v) - low_) / (high_ - low_);
  }
  QRectF boundingRect() const override { return chart_->rect(); }
  void paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) override {
    const QRectF area = chart_->plotArea();
    const size_t n = grid_.times.size(), m = grid_.frequencies.size();
    // Each burst holds until the next one; each band is centred on its frequency.
    const double dt = n > 1 ? (grid_.times[n - 1] - grid_.times[0]) / double(n - 1) : 1;
    const double df = m > 1 ? (grid_.frequencies[m - 1] - grid_.frequencies[0]) / double(m - 1) : 1;
    const QPointF a = chart_->mapToPosition(QPointF(grid_.times[0], grid_.frequencies[0] - df / 2));
    const QPointF b =
        chart_->mapToPosition(QPointF(grid_.times[n - 1] + dt, grid_.frequencies[m - 1] + df / 2));
    p->save();
    p->setClipRect(area);
    p->drawImage(QRectF(a, b).normalized(), image_);
    p->restore();
    // The colour scale.
    const QRectF bar(area.right() + 16, area.top(), 14, area.height());
    for (int y = 0; y < int(bar.height()); ++y)
      p->fillRect(QRectF(bar.left(), bar.bottom() - y - 1, bar.width(), 1),
                  ScaleColour(double(y) / std::max(1.0, bar.height() - 1)));
    p->setPen(Qt::black);
    p->drawRect(bar);
    for (int i = 0; i <= 4; ++i) {
      const double s = low_ + (high_ - low_) * i / 4;
      const double v = log_ ? std::pow(10, s) : s;
      const double y = bar.bottom() - bar.height() * i / 4;
      p->drawLine(QPointF(bar.right(), y), QPointF(bar.right() + 3, y));
      p->drawText(QPointF(bar.right() + 5, y + 4), QString::number(v, 'g', 3));
    }
    p->save();
    p->translate(bar.right() + 78, area.center().y());
    p->rotate(90);
    p->drawText(QRectF(-area.height() / 2, -14, area.height(), 16), Qt::AlignCenter, title_);
    p->restore();
  }

 private:
  PlotChart* chart_;
  const SpectrogramGrid& grid_;
  bool log_;
  QString title_;
  double low_ = 0, high_ = 1;
  QImage image_;
};

QColor PlotChart::SeriesColour(int i) {
  static const QColor colours[] = {
      QColor(31, 119, 180),  QColor(214, 39, 40), QColor(44, 160, 44),   QColor(255, 127, 14),
      QColor(148, 103, 189), QColor(140, 86, 75), QColor(227, 119, 194), QColor(127, 127, 127)};
  return colours[static_cast<size_t>(i) % (sizeof colours / sizeof colours[0])];
}

PlotChart::PlotChart(const PlotModel& model, QGraphicsItem* parent)
    : QChart(parent), model_(model) {
  setTitle(Q(model_.title));
  setAnimationOptions(QChart::NoAnimation);
  legend()->setVisible(model_.kind != kPlotSpectrogram);
  legend()->setAlignment(Qt::AlignBottom);
  BuildAxes();
  BuildSeries();
  if (model_.kind == kPlotSpectrogram) {
    setMargins(QMargins(10, 10, 120, 10));
    spectrogram_ = new SpectrogramItem(this, model_.grid, model_.yLog, Q(model_.colourTitle));
    connect(this, &QChart::plotAreaChanged, this, [this] { spectrogram_->update(); });
  }
  connect(this, &QChart::plotAreaChanged, this, [this] {
    if (updating_) return;
    UpdateDateLabels();  // as many labels as the width holds
    Redecimate();
  });
  UpdateDateLabels();
}

PlotChart::~PlotChart() {
  // The item draws from model_, which goes before the chart's children do.
  delete spectrogram_;
}

void PlotChart::BuildAxes() {
  const bool spectrogram = model_.kind == kPlotSpectrogram;
  if (model_.xIsDateTime) {
    // Labels from the data calendar, set for each range.
    auto* a = new QCategoryAxis;
    a->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    a->setRange(model_.xRange.low, model_.xRange.high);
    a->setTitleText(Q(model_.xTitle));
    xAxis_ = a;
  } else {
    xAxis_ = MakeValueAxis(model_.xLog, model_.xRange, model_.xTitle);
  }
  addAxis(xAxis_, Qt::AlignBottom);
  yAxis_[0] = MakeValueAxis(model_.yLog && !spectrogram, model_.yRange[0], model_.yTitle[0]);
  addAxis(yAxis_[0], Qt::AlignLeft);
  if (!model_.yTitle[1].empty()) {
    yAxis_[1] = MakeValueAxis(model_.yLog, model_.yRange[1], model_.yTitle[1]);
    yAxis_[1]->setGridLineVisible(false);  // one grid, the left axis's
    addAxis(yAxis_[1], Qt::AlignRight);
  }
  auto onRange = [this] {
    if (updating_) return;
    updating_ = true;
    for (QAbstractAxis* a : {xAxis_, yAxis_[0], yAxis_[1]})
      if (auto* v = qobject_cast<QValueAxis*>(a)) SetRoundTicks(v);
    updating_ = false;
    UpdateDateLabels();
    Redecimate();
    if (spectrogram_) spectrogram_->update();
  };
  if (auto* v = qobject_cast<QValueAxis*>(xAxis_))
    connect(v, &QValueAxis::rangeChanged, this, onRange);
  if (auto* l = qobject_cast<QLogValueAxis*>(xAxis_))
    connect(l, &QLogValueAxis::rangeChanged, this, onRange);
  for (QAbstractAxis* y : yAxis_) {
    if (auto* v = qobject_cast<QValueAxis*>(y))
      connect(v, &QValueAxis::rangeChanged, this, onRange);
    if (auto* l = qobject_cast<QLogValueAxis*>(y))
      connect(l, &QLogValueAxis::rangeChanged, this, onRange);
  }
}

void PlotChart::BuildSeries() {
  if (model_.kind == kPlotSpectrogram) {
    // An invisible series gives the axes something to hold.
    auto* s = new QLineSeries;
    s->append(model_.xRange.low, model_.yRange[0].low);
    s->append(model_.xRange.high, model_.yRange[0].high);
    s->setPen(Qt::NoPen);
    addSeries(s);
    s->attachAxis(xAxis_);
    s->attachAxis(yAxis_[0]);
    return;
  }
  for (size_t i = 0; i < model_.series.size(); ++i) {
    const PlotSeries& ps = model_.series[i];
    const QColor colour = SeriesColour(static_cast<int>(i));
    QAbstractAxis* y = yAxis_[ps.axis] ? yAxis_[ps.axis] : yAxis_[0];
    if (!ps.lower.empty() && ps.lower.size() == ps.y.size()) {
      // The confidence band: few points (one per band), drawn as they are.
      auto* up = new QLineSeries(this);
      auto* lo = new QLineSeries(this);
      for (size_t k = 0; k < ps.x.size(); ++k) {
        if (model_.yLog && (ps.lower[k] <= 0 || ps.upper[k] <= 0)) continue;
        if (model_.xLog && ps.x[k] <= 0) continue;
        up->append(ps.x[k], ps.upper[k]);
        lo->append(ps.x[k], ps.lower[k]);
      }
      auto* area = new QAreaSeries(up, lo);
      QColor fill = colour;
      fill.setAlpha(50);
      area->setBrush(fill);
      area->setPen(Qt::NoPen);
      addSeries(area);
      area->attachAxis(xAxis_);
      area->attachAxis(y);
      for (QLegendMarker* m : legend()->markers(area)) m->setVisible(false);
    }
    decimated_.emplace_back(ps.x, ps.y);
    auto* line = new QLineSeries;
    line->setName(Q(ps.name));
    QPen pen(colour);
    pen.setWidthF(1.5);
    line->setPen(pen);
    addSeries(line);
    line->attachAxis(xAxis_);
    line->attachAxis(y);
    lines_.push_back(line);
  }
}

void PlotChart::UpdateDateLabels() {
  auto* a = qobject_cast<QCategoryAxis*>(xAxis_);
  if (!a) return;
  updating_ = true;
  const double low = a->min(), high = a->max();
  for (const QString& label : a->categoriesLabels()) a->remove(label);
  a->setStartValue(low);
  const int width = std::max(200, int(plotArea().width()));
  for (const AxisTick& t : DateTimeTicks(low, high, std::max(2, width / 110)))
    a->append(Q(t.label), t.value);
  a->setRange(low, high);
  updating_ = false;
}

void PlotChart::Redecimate() {
  if (lines_.empty()) return;
  const double x0 = AxisMin(xAxis_), x1 = AxisMax(xAxis_);
  const int columns = std::max(16, int(plotArea().width()));
  for (size_t i = 0; i < lines_.size(); ++i) {
    const bool yLog = model_.yLog;
    QList<QPointF> points;
    for (const auto& [x, y] : decimated_[i].Points(x0, x1, columns)) {
      if ((yLog && y <= 0) || (model_.xLog && x <= 0)) continue;
      points.append(QPointF(x, y));
    }
    lines_[i]->replace(points);
  }
}

int PlotChart::DrawnPoints(int series) const {
  return series >= 0 && size_t(series) < lines_.size() ? int(lines_[size_t(series)]->count()) : 0;
}

PlotModel PlotChart::ViewedModel() const {
  PlotModel m = model_;
  m.xRange = {AxisMin(xAxis_), AxisMax(xAxis_)};
  for (int i = 0; i < 2; ++i)
    if (yAxis_[i]) m.yRange[i] = {AxisMin(yAxis_[i]), AxisMax(yAxis_[i])};
  return m;
}

void PlotChart::ResetView() {
  updating_ = true;
  zoomReset();
  auto setRange = [](QAbstractAxis* a, const AxisRange& r) {
    if (auto* v = qobject_cast<QValueAxis*>(a)) v->setRange(r.low, r.high);
    if (auto* l = qobject_cast<QLogValueAxis*>(a)) l->setRange(r.low, r.high);
  };
  setRange(xAxis_, model_.xRange);
  for (int i = 0; i < 2; ++i)
    if (yAxis_[i]) setRange(yAxis_[i], model_.yRange[i]);
  updating_ = false;
  UpdateDateLabels();
  Redecimate();
  if (spectrogram_) spectrogram_->update();
}

QString PlotChart::ValueText(const QPointF& chartPos) const {
  if (!plotArea().contains(chartPos)) return {};
  // Values on the left axis.
  QAbstractSeries* s = series().isEmpty() ? nullptr : series().constFirst();
  const QPointF v = const_cast<PlotChart*>(this)->mapToValue(chartPos, s);
  const QString x = model_.xIsDateTime ? Q(DateText(v.x())) : QString::number(v.x(), 'g', 6);
  QString text = "X: " + x + "   Y: " + QString::number(v.y(), 'g', 6);
  if (model_.kind == kPlotSpectrogram && !model_.grid.times.empty()) {
    // The cell under the cursor: the last burst started before it, the nearest band.
    const auto& g = model_.grid;
    size_t t = size_t(std::upper_bound(g.times.begin(), g.times.end(), v.x()) - g.times.begin());
    size_t f = 0;
    for (size_t k = 1; k < g.frequencies.size(); ++k)
      if (std::abs(g.frequencies[k] - v.y()) < std::abs(g.frequencies[f] - v.y())) f = k;
    if (t > 0) text += "   Energy: " + QString::number(g.At(t - 1, f), 'g', 6);
  }
  return text;
}

namespace {

// A chart laid out at the size on its own scene, ready to be painted.
struct StagedChart {
  QGraphicsScene scene;
  PlotChart* chart;
  StagedChart(const PlotModel& model, int width, int height) : chart(new PlotChart(model)) {
    scene.addItem(chart);
    chart->setGeometry(QRectF(0, 0, width, height));
    chart->layout()->activate();
    chart->Redecimate();
    chart->layout()->activate();
    scene.setSceneRect(0, 0, width, height);
  }
  void Paint(QPainter& p, const QRectF& target) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    scene.render(&p, target, scene.sceneRect());
  }
};

}  // namespace

RenderedPlot RenderPlotImage(const PlotModel& model, int width, int height) {
  StagedChart staged(model, width, height);
  RenderedPlot out;
  out.image = QImage(width, height, QImage::Format_ARGB32);
  out.image.fill(Qt::white);
  QPainter p(&out.image);
  staged.Paint(p, QRectF(0, 0, width, height));
  p.end();
  out.plotArea = staged.chart->plotArea();
  return out;
}

bool SavePlotPicture(const PlotModel& model, int width, int height, const std::string& path,
                     std::string& error) {
  const QString file = Q(path);
  const QString ext = QFileInfo(file).suffix().toLower();
  if (ext != "png" && ext != "svg" && ext != "pdf") {
    error = path + ": the picture must be a .png, .svg or .pdf file";
    return false;
  }
  if (width < 16 || height < 16 || width > kMaxPictureSide || height > kMaxPictureSide) {
    error = "the picture must be 16 to 10000 pixels wide and high";
    return false;
  }
  bool ok = false;
  if (ext == "png") {
    ok = RenderPlotImage(model, width, height).image.save(file, "PNG");
  } else if (ext == "svg") {
    StagedChart staged(model, width, height);
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setSize(QSize(width, height));
    svg.setViewBox(QRect(0, 0, width, height));
    svg.setTitle(Q(model.title));
    QPainter p;
    if (p.begin(&svg)) {
      staged.Paint(p, QRectF(0, 0, width, height));
      ok = p.end();
    }
  } else {
    StagedChart staged(model, width, height);
    QPdfWriter pdf(file);
    pdf.setTitle(Q(model.title));
    pdf.setResolution(72);
    pdf.setPageSize(QPageSize(QSizeF(width, height), QPageSize::Point));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p;
    if (p.begin(&pdf)) {
      staged.Paint(p, QRectF(0, 0, width, height));
      ok = p.end();
    }
  }
  // The file says whether it was written: an empty one is no picture.
  if (ok && QFileInfo(file).size() <= 0) ok = false;
  if (!ok) error = path + ": the picture cannot be written";
  return ok;
}

void EnsurePictureApplication() {
  if (QApplication::instance()) return;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "tidora";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
  // Numbers in texts and files never follow the user's locale.
  setlocale(LC_NUMERIC, "C");
}

}  // namespace tidora::ui
