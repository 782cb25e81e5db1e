// Plot Data: the plotting module as a plugin the launcher creates by class identifier.
#include <QApplication>
#include <cmath>
#include <new>

#include "datafile/tgr41file.h"
#include "platform/ui/screenshot.h"
#include "plot/ui/plot_pages.h"
#include "plot/ui/plot_window.h"
#include "postproc/ui/module_component.h"

namespace {

const tidora::ui::ModuleUi<tidora::CPlotModule> kPlotUi = {
    [](tidora::CPlotModule& m) { return tidora::ui::PlotSheetTexts(m); },
    [](tidora::CPlotModule& m, tidora::Interaction& ui) {
      return std::vector<tidora::ui::ModulePage*>{new tidora::ui::PlotDataPage(m, ui)};
    }};

// Plots of a made-up deployment, one of each kind, for the manual's pictures.
std::vector<tidora::PlotModel> ExamplePlots() {
  using namespace tidora;
  std::vector<PlotModel> plots;
  const double t0 = CalendarSeconds(2024, 3, 1, 0, 0, 0);
  PlotModel tide;
  tide.kind = kPlotTideSeries;
  tide.title = "Tide time series of bay.tid";
  tide.xTitle = "Date/Time";
  tide.xIsDateTime = true;
  tide.yTitle[0] = "Pressure [psi]";
  tide.yTitle[1] = "Temperature [deg C]";
  PlotSeries p{"Pressure [psi]", 0, {}, {}, {}, {}}, t{"Temperature [deg C]", 1, {}, {}, {}, {}};
  for (int i = 0; i < 2880; ++i) {
    const double x = t0 + 60.0 * i, h = i / 60.0;
    p.x.push_back(x);
    p.y.push_back(30 + 1.2 * std::sin(2 * M_PI * h / 12.42) + 0.3 * std::sin(2 * M_PI * h / 12));
    t.x.push_back(x);
    t.y.push_back(10.5 + 0.4 * std::sin(2 * M_PI * h / 24));
  }
  tide.series = {p, t};
  tide.xRange = {t0, t0 + 2 * 86400};
  tide.yRange[0] = PaddedRange(28.5, 31.5, false);
  tide.yRange[1] = PaddedRange(10.1, 10.9, false);
  plots.push_back(tide);

  PlotModel samples;
  samples.kind = kPlotBurstSamples;
  samples.title = "Burst samples of bay.wb";
  samples.xTitle = "Time [seconds]";
  samples.yTitle[0] = "[psi]";
  for (int b = 1; b <= 2; ++b) {
    PlotSeries s{"Burst " + std::to_string(b), 0, {}, {}, {}, {}};
    for (int i = 0; i < 1024; ++i) {
      s.x.push_back(0.25 * i);
      s.y.push_back(30 + b * 0.1 + 0.8 * std::sin(2 * M_PI * 0.25 * i / (7 + b)) +
                    0.2 * std::sin(0.9 * i));
    }
    samples.series.push_back(s);
  }
  samples.xRange = {0, 256};
  samples.yRange[0] = PaddedRange(29, 31.2, false);
  plots.push_back(samples);

  PlotModel stats;
  stats.kind = kPlotBurstStatistics;
  stats.title = "Per-burst statistics of bay.wts";
  stats.xTitle = "Date/Time";
  stats.xIsDateTime = true;
  stats.yTitle[0] = "Significant wave height [meters], time series statistics";
  stats.yTitle[1] = "Significant period [seconds], time series statistics";
  PlotSeries hs{"Significant wave height [meters], time series statistics", 0, {}, {}, {}, {}};
  PlotSeries tp{"Significant period [seconds], time series statistics", 1, {}, {}, {}, {}};
  for (int b = 0; b < 48; ++b) {
    hs.x.push_back(t0 + 3600.0 * b);
    hs.y.push_back(1.2 + 0.5 * std::sin(b / 8.0));
    tp.x.push_back(t0 + 3600.0 * b);
    tp.y.push_back(8 + 1.5 * std::cos(b / 10.0));
  }
  stats.series = {hs, tp};
  stats.xRange = {t0, t0 + 47 * 3600.0};
  stats.yRange[0] = PaddedRange(0.7, 1.7, false);
  stats.yRange[1] = PaddedRange(6.5, 9.5, false);
  plots.push_back(stats);

  PlotModel spectra;
  spectra.kind = kPlotSpectra;
  spectra.title = "Spectra of bursts of bay.was";
  spectra.xTitle = "Frequency [Hz]";
  spectra.yTitle[0] = "[m*m-sec]";
  spectra.yLog = true;
  PlotSeries sp{"Burst 3 (95% confidence)", 0, {}, {}, {}, {}};
  for (int i = 1; i < 64; ++i) {
    const double f = i / 128.0, e = 2.0 * std::exp(-std::pow((f - 0.125) / 0.03, 2)) + 0.002;
    sp.x.push_back(f);
    sp.y.push_back(e);
    sp.lower.push_back(e * 0.6);
    sp.upper.push_back(e * 1.9);
  }
  spectra.series = {sp};
  spectra.xRange = {sp.x.front(), sp.x.back()};
  spectra.yRange[0] = PaddedRange(0.0012, 3.8, true);
  plots.push_back(spectra);

  PlotModel gram;
  gram.kind = kPlotSpectrogram;
  gram.title = "Spectrogram of bay.was";
  gram.xTitle = "Date/Time";
  gram.xIsDateTime = true;
  gram.yTitle[0] = "Frequency [Hz]";
  gram.colourTitle = "Energy Density [m*m-sec]";
  gram.yLog = true;
  for (int b = 0; b < 48; ++b) gram.grid.times.push_back(t0 + 3600.0 * b);
  for (int i = 1; i < 64; ++i) gram.grid.frequencies.push_back(i / 128.0);
  for (int b = 0; b < 48; ++b)
    for (int i = 1; i < 64; ++i) {
      const double peak = 0.1 + 0.05 * std::sin(b / 8.0);
      gram.grid.energy.push_back(2.0 * std::exp(-std::pow((i / 128.0 - peak) / 0.03, 2)) + 0.002);
    }
  gram.grid.minimum = 0.002;
  gram.grid.maximum = 2.002;
  gram.xRange = {t0, t0 + 47 * 3600.0};
  gram.yRange[0] = {1 / 128.0, 63 / 128.0};
  plots.push_back(gram);
  return plots;
}

}  // namespace

TIDORA_MODULE_EXPORTS("{FBEA03A0-BB68-476D-893B-AA8F4A1589C8}",
                      new (std::nothrow) tidora::ui::CModuleComponent<tidora::CPlotModule>(kPlotUi))

// Pictures of the module's windows for the manual: its pages and the chart window with each
// kind of plot.
extern "C" __attribute__((visibility("default"))) int TidoraComponentScreenshots(const char* dir) {
  using namespace tidora;
  using namespace tidora::ui;
  int ok = SaveModuleScreenshots(kPlotUi, dir, "plotdata");
  const char* names[] = {"tide", "samples", "statistics", "spectra", "spectrogram"};
  int i = 0;
  QtInteraction ui;
  for (const PlotModel& model : ExamplePlots()) {
    PlotWindow w(model, 1000, 600, ui);
    w.show();
    QApplication::processEvents();
    ok = ok && SaveWindowScreenshot(&w, QString::fromLocal8Bit(dir),
                                    QString("plotdata_window_") + names[i++]);
  }
  return ok;
}
