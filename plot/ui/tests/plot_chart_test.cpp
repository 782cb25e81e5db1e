// Pictures of plots: where the drawn pixels fall, the saved formats, every kind from files.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <cmath>

#include "platform/ui/tests/gui_test_support.h"
#include "plot/tests/plot_files.h"
#include "plot/ui/plot_chart.h"

namespace tidora::ui {
namespace {

using namespace tidora::testing;

// Pixels near a colour (antialiased lines are a little lighter at their edges).
bool Near(QColor a, QColor b, int tolerance = 60) {
  return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
             std::abs(a.blue() - b.blue()) <
         tolerance;
}

// The mean row of the pixels of a colour in one column of the plot area; -1 when none.
double RowOf(const QImage& image, const QRectF& area, int x, QColor colour) {
  double sum = 0;
  int n = 0;
  for (int y = int(area.top()); y <= int(area.bottom()); ++y)
    if (Near(image.pixelColor(x, y), colour)) {
      sum += y;
      ++n;
    }
  return n ? sum / n : -1;
}

int CountNear(const QImage& image, const QRectF& area, QColor colour) {
  int n = 0;
  for (int y = int(area.top()) + 1; y < int(area.bottom()); ++y)
    for (int x = int(area.left()) + 1; x < int(area.right()); ++x)
      if (Near(image.pixelColor(x, y), colour)) ++n;
  return n;
}

class PlotPicture : public ::testing::Test {
 protected:
  PlotPicture() { EnsureApplication(); }
  PlotModel Build(const std::string& file) {
    PlotModel m;
    std::string error;
    EXPECT_TRUE(BuildPlot({file}, s, m, error)) << error;
    return m;
  }
  TempDir dir;
  PlotSettings s;
};

TEST_F(PlotPicture, AConstantSeriesDrawsAHorizontalLineAtItsHeight) {
  WriteTideFile(dir.file("flat.tid"), 5000, [](int) { return 12.5; });
  s.variables = {kVarPressure};
  s.autoScaleY = 0;
  s.yMinimum = 10;
  s.yMaximum = 20;
  const RenderedPlot r = RenderPlotImage(Build(dir.file("flat.tid")), 800, 500);
  ASSERT_FALSE(r.image.isNull());
  ASSERT_GT(r.plotArea.width(), 300);
  // 12.5 on 10..20 lies a quarter up from the bottom.
  const double expected = r.plotArea.bottom() - r.plotArea.height() * 0.25;
  for (double f : {0.05, 0.3, 0.5, 0.7, 0.95}) {
    const int x = int(r.plotArea.left() + f * r.plotArea.width());
    EXPECT_NEAR(RowOf(r.image, r.plotArea, x, PlotChart::SeriesColour(0)), expected, 1.5)
        << "column " << x;
  }
}

TEST_F(PlotPicture, EveryKindDrawsFromItsFiles) {
  WriteTideFile(dir.file("bay.tid"), 300, [](int i) { return 30 + std::sin(i / 20.0); });
  WriteWaveBurstFile(dir.file("bay.wb"), 4);
  WriteFile(dir.file("bay.wts"), WtsText(12));
  WriteFile(dir.file("bay.was"), WasText(12));
  WtBurst wt;
  wt.values = {0.5, -0.5, 0.25, 0, 0.1, -0.2, 0.3, -0.4};
  WriteFile(dir.file("bay.wt"), WtFileText({wt}, true));
  for (const char* name : {"bay.tid", "bay.wb", "bay.wts", "bay.wt"}) {
    const RenderedPlot r = RenderPlotImage(Build(dir.file(name)), 640, 400);
    EXPECT_GT(CountNear(r.image, r.plotArea, PlotChart::SeriesColour(0)), 50) << name;
  }
  s.plotKind = kPlotSpectra;
  RenderedPlot r = RenderPlotImage(Build(dir.file("bay.was")), 640, 400);
  EXPECT_GT(CountNear(r.image, r.plotArea, PlotChart::SeriesColour(0)), 50);
  // The spectrogram fills its plot area with colour.
  s.plotKind = kPlotSpectrogram;
  r = RenderPlotImage(Build(dir.file("bay.was")), 640, 400);
  int coloured = 0, all = 0;
  for (int y = int(r.plotArea.top()) + 2; y < int(r.plotArea.bottom()) - 2; y += 4)
    for (int x = int(r.plotArea.left()) + 2; x < int(r.plotArea.right()) - 2; x += 4, ++all)
      if (r.image.pixelColor(x, y) != QColor(Qt::white)) ++coloured;
  EXPECT_GT(coloured, all * 9 / 10);
}

TEST_F(PlotPicture, PicturesAreWrittenInTheFormatTheirNameSays) {
  WriteFile(dir.file("bay.wts"), WtsText(6));
  const PlotModel m = Build(dir.file("bay.wts"));
  std::string error;
  ASSERT_TRUE(SavePlotPicture(m, 500, 300, dir.file("a.png"), error)) << error;
  ASSERT_TRUE(SavePlotPicture(m, 500, 300, dir.file("a.SVG"), error)) << error;
  ASSERT_TRUE(SavePlotPicture(m, 500, 300, dir.file("a.pdf"), error)) << error;
  QImage png(QString::fromStdString(dir.file("a.png")), "PNG");
  EXPECT_EQ(png.size(), QSize(500, 300));
  EXPECT_EQ(ReadFile(dir.file("a.png")).substr(0, 4), "\x89PNG");
  const std::string svg = ReadFile(dir.file("a.SVG"));
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("viewBox=\"0 0 500 300\""), std::string::npos);
  EXPECT_NE(svg.find("polyline"), std::string::npos);  // the series are drawn
  const std::string pdf = ReadFile(dir.file("a.pdf"));
  EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
  EXPECT_NE(pdf.find("%%EOF"), std::string::npos);

  EXPECT_FALSE(SavePlotPicture(m, 500, 300, dir.file("a.jpg"), error));
  EXPECT_NE(error.find(".png, .svg or .pdf"), std::string::npos);
  EXPECT_FALSE(SavePlotPicture(m, 500, 300, dir.file("no/such/dir/a.png"), error));
  EXPECT_NE(error.find("cannot be written"), std::string::npos);
  EXPECT_FALSE(SavePlotPicture(m, 500, 300, dir.file("no/such/dir/a.pdf"), error));
  EXPECT_FALSE(SavePlotPicture(m, 0, 300, dir.file("b.png"), error));
}

TEST_F(PlotPicture, AMillionPointsAreDrawnAsAFewPointsPerColumn) {
  PlotModel m;
  m.kind = kPlotTideSeries;
  PlotSeries ps;
  ps.name = "long";
  const int n = 1000000;
  ps.x.resize(n);
  ps.y.resize(n);
  for (int i = 0; i < n; ++i) {
    ps.x[size_t(i)] = i;
    ps.y[size_t(i)] = std::sin(i * 0.001);
  }
  m.series.push_back(ps);
  m.xRange = {0, n - 1.0};
  m.yRange[0] = {-1.1, 1.1};
  m.yTitle[0] = "y";
  PlotChart chart(m);
  chart.setGeometry(QRectF(0, 0, 800, 500));
  chart.Redecimate();
  EXPECT_GT(chart.DrawnPoints(0), 100);
  EXPECT_LE(chart.DrawnPoints(0), 2 * 800);
}

}  // namespace
}  // namespace tidora::ui
