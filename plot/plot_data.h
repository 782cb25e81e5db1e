#pragma once

// What a plot is once read: series of points on a left and a right axis, or the grid of a
// spectrogram, with the axis titles and ranges. Built from data files through the data file
// library only; drawing is the front end's business.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "plot/plot_setup.h"
#include "postproc/process_control.h"

namespace tidora {

class Interaction;

struct PlotSeries {
  std::string name;  // legend text
  int axis = 0;      // 0 left, 1 right
  std::vector<double> x, y;
  // The confidence band around y (same length) where the file holds it; else empty.
  std::vector<double> lower, upper;
};

// Energy density of every burst of an auto-spectrum file: column i is the burst starting at
// times[i], row j the band at frequencies[j]. Bands a burst lacks are NaN.
struct SpectrogramGrid {
  std::vector<double> times;
  std::vector<double> frequencies;
  std::vector<double> energy;  // times.size() * frequencies.size(), burst by burst
  double minimum = 0, maximum = 0;
  double At(size_t t, size_t f) const { return energy[t * frequencies.size() + f]; }
};

struct AxisRange {
  double low = 0, high = 1;
};

struct PlotModel {
  int kind = kPlotNatural;  // the kind drawn (never kPlotNatural once built)
  std::string title;
  std::string xTitle;
  std::string yTitle[2];  // left and right axis; an empty right title: no right axis
  bool xIsDateTime = false;
  bool xLog = false, yLog = false;
  std::vector<PlotSeries> series;
  SpectrogramGrid grid;  // for kPlotSpectrogram
  std::string colourTitle;
  AxisRange xRange;
  AxisRange yRange[2];
  std::vector<std::string> sources;  // the files read, in their order
};

// Feedback of a long read: percent done; a stop ends the read (the result is false), and a
// suspended run waits where it is.
struct PlotProgress {
  std::function<void(int percent)> percent;
  ProcessControl* stop = nullptr;
};

// Reads the files into a plot as the settings say. All files must give the same kind of plot.
// False with a one-line reason in `error` (the data file library's messages for a file that
// is missing, empty or not a data file, a variable the file lacks, a kind the file cannot
// give, no points to draw). Readers show their own messages through `ui` when one is given.
bool BuildPlot(const std::vector<std::string>& paths, const PlotSettings& settings,
               PlotModel& model, std::string& error, Interaction* ui = nullptr,
               const PlotProgress& progress = {});

// The kind a file gives by itself: tide series, burst samples, statistics per burst (.wts),
// spectrogram (.was); kPlotNatural for a name that is no data file.
int NaturalPlotKind(const std::string& path);

// The unit of a variable: the text in its long name's first brackets ("psi"), else empty.
std::string VariableUnit(int id);

// The automatic range of values: from the lowest to the highest finite value with a twentieth
// of the span on each side (a constant v gives v - 1 .. v + 1; logarithmic ranges stay above 0).
AxisRange PaddedRange(double low, double high, bool log);

}  // namespace tidora
