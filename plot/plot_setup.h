#pragma once

// The plotting module's settings: what to draw from the chosen data files. One declaration
// drives the "PlotDataPsu" section of a setup file, `--set KEY=VALUE` and the Data Setup page.

#include <span>
#include <string>
#include <vector>

#include "postproc/setup.h"

namespace tidora {

// Kinds of plot. kPlotNatural lets each file's kind decide.
enum PlotKind {
  kPlotNatural = 0,
  kPlotTideSeries = 1,       // tide-file variables against date/time
  kPlotBurstSamples = 2,     // samples of chosen bursts of a .wb or .wt
  kPlotBurstStatistics = 3,  // per-burst values of a .wts or .was
  kPlotSpectra = 4,          // energy density of chosen bursts of a .was
  kPlotSpectrogram = 5,      // energy density of a whole .was as colour
};
inline constexpr int kNumPlotKinds = 6;
// "natural", "tide", "samples", "statistics", "spectra", "spectrogram".
const char* PlotKindName(int kind);
int PlotKindFromName(const std::string& name);  // -1 when unknown
// The setup page's texts of the kinds.
const char* PlotKindLabel(int kind);

struct PlotSettings {
  int plotKind = kPlotNatural;
  int xVariable = 4;   // Date/Time (4) or Burst Number (2) for per-burst statistics
  int firstBurst = 1;  // position in the file, from 1
  int lastBurst = 0;   // 0: to the end (samples and spectra: the first three from firstBurst)
  int autoScaleX = 1;
  double xMinimum = 0, xMaximum = 1;
  int autoScaleY = 1;
  double yMinimum = 0, yMaximum = 1;
  int logFrequency = 0;
  int logEnergy = 1;
  int confidenceBand = 1;
  int pictureWidth = 1000;
  int pictureHeight = 600;
  std::vector<int> variables;  // empty: each file's defaults
  std::string title;           // empty: made from the files
};

inline constexpr int kMaxPictureSide = 10000;

class CPlotSetup : public CTableSetup<CPlotSetup>, public PlotSettings {
 public:
  CPlotSetup() { ResetAll(); }
  explicit CPlotSetup(const std::string& dir) { ResetAll(dir); }

  int ModuleIndex() const override { return kPlotModule; }
  std::string DefaultFileName() const override { return "PlotData.psa"; }
  static std::span<const SettingDecl<CPlotSetup>> Settings();

  // The table's reading and typing, with the rules that tie a value to the plot kinds and the
  // picture: a value that breaks them is not taken.
  void ReadModuleKey(int keyId, const std::string& value) override;
  std::string AssignModuleSetting(const std::string& key, const std::string& value) override;

  PlotSettings& Plot() { return *this; }
  const PlotSettings& Plot() const { return *this; }
};

}  // namespace tidora

#include "datafile/tgr41select.h"

namespace tidora {

// The variables a plot can show, by the file that holds them: tide file, time-series
// statistics, auto spectrum.
class CPlotSelection : public CTGR41Selection {
 public:
  void BuildTGR41Tree() override;
};

}  // namespace tidora

namespace tidora {

// "A" (that burst), "A-B" or "A-" (to the end), positions from 1; false with the reason.
bool ParseBurstRange(const std::string& text, int& first, int& last, std::string& error);

}  // namespace tidora
