#include "wave/wave_analysis.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "datafile/textio.h"
#include "platform/interaction.h"
#include "platform/output_files.h"

namespace tidora {

namespace {

// Why a burst cannot be analysed, empty when it can: the transform and the wave-number
// iteration need finite samples and a positive, finite sample period.
std::string BurstInputProblem(const WaveBurst& b) {
  if (!(b.samplePeriod > 0) || !std::isfinite(b.samplePeriod))
    return "its sample period is not a positive number";
  for (int i = 0; i < b.points; ++i)
    if (!std::isfinite(b.pressure[i]))
      return FormatC("its sample %d is not a finite number", i + 1);
  return {};
}

bool AllFinite(std::initializer_list<double> values) {
  for (double v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

// Whole seconds of a start time, truncated, kept within the unsigned 32-bit clock.
long WholeSeconds(double start) {
  if (!(start > -2147483648.0)) return 0;
  if (start >= 4294967296.0) return 4294967295L;
  return static_cast<long>(std::trunc(start));
}

// Removes the least-squares trend line against the sample index from the n samples, putting
// them at the even places of x; returns their mean.
double RemoveTrend(const WaveBurst& burst, int n, double* x) {
  if (n <= 0) return 0;
  double mean = 0;
  for (int i = 0; i < n; ++i) mean += burst.pressure[i];
  mean /= n;
  const double centre = (n - 1) / 2.0;
  double sxy = 0, sxx = 0;
  for (int i = 0; i < n; ++i) {
    const double di = i - centre;
    sxy += di * (burst.pressure[i] - mean);
    sxx += di * di;
  }
  const double slope = sxx > 0 ? sxy / sxx : 0;
  for (int i = 0; i < n; ++i) x[2 * i] = burst.pressure[i] - (mean + slope * (i - centre));
  return mean;
}

}  // namespace

bool CMemoryBursts::GetBurst(int index, WaveBurst& out) const {
  if (index < 0 || index >= BurstCount()) return false;
  const Burst& b = bursts[index];
  out.number = b.number;
  out.start = b.start;
  out.samplePeriod = b.samplePeriod;
  out.points = static_cast<int>(b.pressure.size());
  out.pressure = b.pressure.data();
  return true;
}

CWaveAnalysis::CWaveAnalysis(const CWaveSetup& setup, const CBurstSource& bursts,
                             std::string outputBase, Interaction& ui, CPostProcPage* page,
                             ProcessControl* stop)
    : setup_(setup),
      bursts_(bursts),
      base_(std::move(outputBase)),
      ui_(ui),
      page_(page),
      stop_(stop) {}

CWaveAnalysis::~CWaveAnalysis() {
  CloseOutputs();
}

bool CWaveAnalysis::StopRequested() const {
  return stop_ && stop_->StopRequested();
}

void CWaveAnalysis::LimitIndexes(HarmonicResponses& responses, int half, double t, int& kLow,
                                 int& kHigh, int& kMax, bool& passed) const {
  kLow = 1;
  for (int k = 1; k <= half; ++k)
    if (t / k > setup_.maximumPeriod) kLow = k;
  kHigh = kMax = half;
  const int highest = responses.HighestAbove(run_.minAttenuation);
  passed = highest > 0;
  if (passed) kMax = highest;
  if (kHigh > 0 && t / kHigh < setup_.minimumPeriod)
    kHigh = static_cast<int>(t / setup_.minimumPeriod);
}

std::string CWaveAnalysis::SetupSummary() const {
  std::string text = "Surface wave processing summary:\n\n";
  text += FormatC("temperature = %1.3f\n", setup_.waterTemperature);
  text += FormatC("salinity = %1.3f\n", setup_.averageSalinity);
  text += FormatC("density = %1.3f\n", run_.density);
  text += FormatC("number of points per wave burst = %d\n", run_.points);
  text += FormatC("sample period = %1.2f sec\n", run_.samplePeriod);
  text += FormatC("sample minimum period = %1.2f sec\n", setup_.minimumPeriod);
  text += FormatC("sample maximum period = %g sec\n", setup_.maximumPeriod);
  text += FormatC("mean pressure = %1.3f psia\n", run_.meanPressure);
  text += FormatC("instrument depth = %1.3f meters\n", run_.depth);
  text += FormatC("total water depth = %1.3f meters\n", run_.totalDepth);
  text += FormatC("hanning window cutoff = %1.4f\n", setup_.hanningWindowCutoff);
  if (setup_.useFilterCutoff)
    text += FormatC("min/max period filter = exp(-df / %1.3f)\n", setup_.filterCutoff);
  return text;
}

std::string CWaveAnalysis::BandLayoutText() const {
  std::string text = "auto-spectrum:\n";
  text += FormatC("    %d spectral estimates per band\n", setup_.numberSpectralEstimates);
  text += FormatC("    %d bands calculated\n", run_.bands);
  text += FormatC("    each band is %1.3f Hz wide\n", run_.bandWidth);
  text += FormatC("    frequency span = %1.3f  to  %1.3f Hz\n", run_.fLow, run_.fHigh);
  return text;
}

void CWaveAnalysis::FrequencySpan(int nse, double t) {
  run_.fLow = 0;
  run_.fHigh = 1000000;
  for (int b = 0; b < run_.bands; ++b) {
    double centre = 0;
    for (int k = b * nse + 1; k <= (b + 1) * nse; ++k) centre += k / t;
    centre /= nse;
    if (b == 0) run_.fLow = centre;
    if (b == run_.bands - 1) run_.fHigh = centre;
  }
  if (1 / run_.fLow > setup_.maximumPeriod) run_.fLow = 1 / setup_.maximumPeriod;
  if (1 / run_.fHigh < setup_.minimumPeriod) run_.fHigh = 1 / setup_.minimumPeriod;
}

bool CWaveAnalysis::PrepareRun() {
  prepared_ = false;
  summary_.clear();
  sampleError_.clear();
  dataError_.clear();
  WaveBurst first;
  if (bursts_.BurstCount() < 1 || !bursts_.GetBurst(0, first) || first.points < 1) return false;
  if (std::string why = BurstInputProblem(first); !why.empty()) {
    dataError_ = BurstErrorText(first.number, why);
    return false;
  }
  const int n = first.points;
  const double dt = first.samplePeriod;
  firstStart_ = static_cast<uint32_t>(WholeSeconds(first.start));
  double sum = 0;
  for (int i = 0; i < n; ++i) sum += first.pressure[i];
  run_ = WaveRunValues{};
  run_.points = n;
  run_.samplePeriod = dt;
  run_.firstBurst = first.number;
  run_.meanPressure = sum / n;
  run_.density = SeawaterDensity(setup_.averageSalinity, setup_.waterTemperature);
  run_.rhoG = run_.density * kStandardGravity;
  run_.minAttenuation =
      setup_.minimumAllowableAttenuation == -1 ? 0.0025 / dt : setup_.minimumAllowableAttenuation;
  run_.depth = (run_.meanPressure - kAtmosphericPsi) * kPascalsPerPsi / run_.rhoG;
  if (run_.depth < 0) run_.depth = 0;
  run_.totalDepth = run_.depth + setup_.height;
  run_.windowCutoff = setup_.hanningWindowCutoff;
  run_.confidence = setup_.chiSquaredConfPercent;
  const int nse = setup_.numberSpectralEstimates;
  const double t = n * dt;
  run_.bandWidth = nse / t;
  int kLow, kHigh, kMax;
  bool passed;
  HarmonicResponses responses;
  responses.Reset(run_.totalDepth, run_.depth, t, n / 2);
  LimitIndexes(responses, n / 2, t, kLow, kHigh, kMax, passed);

  std::string text = SetupSummary();
  if (!passed) {
    sampleError_ = text + "\nError --> not enough samples were taken.\n" +
                   "All frequencies are greater than the high frequency cut off.\n" +
                   "Please run PLAN41 and refer to section C2.1 in the manual.\n";
    return false;
  }

  run_.bands = nse > 0 ? kMax / nse : 0;
  if (run_.bands < 1) {
    // A run without a band would write spectra of nothing and call it done.
    dataError_ = FormatC(
        "No frequency band can be formed: %d spectral estimates per band, and the first burst "
        "resolves %d frequencies.",
        nse, kMax);
    return false;
  }
  FrequencySpan(nse, t);

  text += BandLayoutText() + "\nIs Setup OK?";
  summary_ = text;
  prepared_ = true;
  return true;
}

int CWaveAnalysis::VerifySetup() {
  if (!PrepareRun()) {
    if (!dataError_.empty()) {
      ui_.Message(dataError_, kBurstErrorCaption, MsgIcon::Warning, MsgButtons::Ok);
      if (stop_) stop_->Stop();
      return kVerifyBadData;
    }
    if (!sampleError_.empty()) {
      // The run cannot go on, but the program hosting the module does.
      ui_.Message(sampleError_, "Sample Error", MsgIcon::Warning, MsgButtons::Ok);
      if (stop_) stop_->Stop();
      return kVerifySampleError;
    }
    if (stop_) stop_->Stop();
    return kVerifyDeclined;
  }
  MsgAnswer a = ui_.Message(summary_, "Verify Setup", MsgIcon::Question, MsgButtons::YesNo);
  return a == MsgAnswer::Yes ? kVerifyAccepted : kVerifyDeclined;
}

bool CWaveAnalysis::AnalyseBurst(const WaveBurst& burst, WaveBurstResult& out) {
  if (!prepared_) return false;
  std::string why;
  return Analyse(burst, out, scratch_, nullptr, why);
}

std::string CWaveAnalysis::BurstErrorText(int number, const std::string& why) {
  return FormatC("Wave burst %d cannot be processed: ", number) + why + ".";
}

const std::vector<double>& CWaveAnalysis::Window(BurstScratch& s, int n, bool removal) {
  // Over the real samples only: a window laid over the zero padding too would leave the
  // samples under part of it while the power factor assumes all of it.
  if (s.windowLength != n) {
    s.windowLength = n;
    s.windowForward.assign(n, 0.0);
    s.windowRemoval.assign(n, 0.0);
    for (int i = 0; i < n && n > 1; ++i) {
      const double angle = kPi * i / (n - 1);
      const double sine = std::sin(angle), c = std::cos(angle);
      s.windowForward[i] = kHannPowerFactor * kPascalsPerPsi * sine * sine;
      s.windowRemoval[i] = 1 - c * c;
    }
  }
  return removal ? s.windowRemoval : s.windowForward;
}

bool CWaveAnalysis::Analyse(const WaveBurst& burst, WaveBurstResult& r, BurstScratch& scratch,
                            BurstText* text, std::string& why) const {
  why = BurstInputProblem(burst);
  if (!why.empty()) return false;
  const int n = std::max(burst.points, 0);
  const int m = TransformLength(n);
  const double dt = burst.samplePeriod;
  r = WaveBurstResult{};
  r.number = burst.number;
  r.start = WholeSeconds(burst.start);
  r.m = m;
  r.samplePeriod = dt;

  scratch.work.assign(2 * static_cast<size_t>(m) + 4, 0.0);
  double* x = scratch.work.data();  // re, im pairs
  r.meanPressure = RemoveTrend(burst, n, x);
  r.depth = (r.meanPressure - kAtmosphericPsi) * kPascalsPerPsi / run_.rhoG;
  if (r.depth < 0) r.depth = 0;
  r.totalDepth = r.depth + setup_.height;

  const double t = m * dt;
  bool passed;
  scratch.responses.Reset(r.totalDepth, r.depth, t, m / 2);
  LimitIndexes(scratch.responses, m / 2, t, r.kLow, r.kHigh, r.kMax, passed);

  // Hann window and pascals over the samples (the padding stays 0), then the transform.
  const std::vector<double>& window = Window(scratch, n, false);
  for (int i = 0; i < n; ++i) x[2 * i] *= window[i];
  Radix2Transform(x, m, +1);
  const double scale = 1.0 / m;
  for (int i = 0; i < 2 * m; ++i) x[i] *= scale;

  if (text && wss_) FormatCoefficients(x, m, *text);

  FilterCoefficients(r, x, t);
  Spectrum(r, x, n, t, scratch.responses);
  if (!AllFinite({r.energy, r.peakPeriod, r.firstFrequency, r.meanPressure, r.totalDepth})) {
    why = "its spectrum is not finite (are its samples pressures?)";
    return false;
  }
  if (text) FormatSpectrum(r, *text);

  if (!SurfaceElevation(r, n, scratch)) {
    why = "its surface elevation is not finite (are its samples pressures?)";
    return false;
  }
  if (text) FormatSurface(r, scratch.elevation, *text);
  return true;
}

void CWaveAnalysis::FilterCoefficients(const WaveBurstResult& r, double* x, double t) const {
  // Period and attenuation filters; index 0 is the mean and stays.
  const int m = r.m;
  const bool taper = setup_.useFilterCutoff != 0;
  for (int k = 1; k < m; ++k) {
    const int harmonic = k <= m / 2 ? k : m - k;
    const double factor = CoefficientFilterFactor(harmonic, t, r.kLow, r.kHigh, r.kMax, run_.fLow,
                                                  run_.fHigh, taper, setup_.filterCutoff);
    if (factor != 1) {
      x[2 * k] *= factor;
      x[2 * k + 1] *= factor;
    }
  }
}

void CWaveAnalysis::Spectrum(WaveBurstResult& r, const double* x, int n, double t,
                             HarmonicResponses& responses) const {
  // Bands of nse harmonics, corrected for the pressure response at the band centre.
  const int m = r.m;
  const double rhoG = run_.rhoG;
  const int nse = setup_.numberSpectralEstimates;
  const int bands = nse > 0 ? r.kMax / nse : 0;
  r.bandWidth = nse / t;
  r.bandEnergy.assign(bands, 0.0);
  double largest = 0;
  for (int b = 0; b < bands; ++b) {
    double s = 0, centre = 0;
    for (int k = b * nse + 1; k <= (b + 1) * nse; ++k) {
      s += x[2 * k] * x[2 * k] + x[2 * k + 1] * x[2 * k + 1];
      centre += k / t;
    }
    s *= 2;
    // The transform spreads the variance of N samples over M points.
    if (m != n && n > 0) s *= static_cast<double>(m) / n;
    centre /= nse;
    if (b == 0) r.firstFrequency = centre;
    const double period = 1 / centre;
    const double k = responses.AtPeriod(period);
    const double e = s / ((k * rhoG) * (k * rhoG));
    r.bandEnergy[b] = e;
    r.energy += e;
    if (e > largest) {
      largest = e;
      r.peakPeriod = period;
    }
    const int cls = PeriodClass(period);
    if (cls >= 0) r.classEnergy[cls] += e;
  }
  if (ChiSquaredLimits(run_.confidence, 2 * nse, r.lower, r.upper) != 0) r.lower = r.upper = 1;
  r.significantHeight = 4 * std::sqrt(r.energy);
}

bool CWaveAnalysis::SurfaceElevation(WaveBurstResult& r, int n, BurstScratch& scratch) const {
  const int m = r.m;
  const double rhoG = run_.rhoG;
  double* x = scratch.work.data();
  x[0] /= rhoG;
  for (int harmonic = 1; harmonic <= r.kMax; ++harmonic) {
    const double divisor = scratch.responses.At(harmonic) * rhoG;
    x[2 * harmonic] /= divisor;
    x[2 * harmonic + 1] /= divisor;
    if (harmonic != m - harmonic) {
      x[2 * (m - harmonic)] /= divisor;
      x[2 * (m - harmonic) + 1] /= divisor;
    }
  }
  Radix2Transform(x, m, -1);

  // The padded tail is 0 and is not counted as cut.
  std::vector<double>& elevation = scratch.elevation;
  elevation.assign(m, 0.0);
  const std::vector<double>& w = Window(scratch, n, true);
  int cut = 0;
  for (int i = 0; i < n; ++i) {
    double v;
    if (w[i] > run_.windowCutoff) {
      v = x[2 * i] / w[i];
    } else {
      v = 0;
      ++cut;
    }
    elevation[i] = v / kHannPowerFactor;
  }
  r.cutSamples = cut;
  // Statistics of the real samples: the padding holds no waves and no variance.
  WaveStatistics(elevation.data(), n, r.samplePeriod, cut / 2, r.stats);
  const WaveStatisticsRecord& s = r.stats;
  return AllFinite({s.variance, s.averageHeight, s.averagePeriod, s.maximumHeight, s.h13, s.t13,
                    s.h110, s.h1100});
}

}  // namespace tidora
