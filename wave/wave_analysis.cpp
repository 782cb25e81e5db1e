#include "wave/wave_analysis.h"

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <limits>

#include "datafile/textio.h"
#include "platform/interaction.h"
#include "platform/output_files.h"
#include "postproc/page.h"

namespace tidora {

// ---- Output files: created anew, every "\n" written as CR LF. ----

class CWaveAnalysis::OutFile {
 public:
  // Written to `temp`, which takes the place of `path` when the run's outputs are committed.
  OutFile(const std::string& path, const std::string& temp)
      : path_(path), f_(temp.empty() ? nullptr : std::fopen(temp.c_str(), "wb")) {}
  ~OutFile() { Close(); }
  bool IsOpen() const { return f_ != nullptr; }
  const std::string& Path() const { return path_; }
  bool Failed() const { return failed_; }

  void Printf(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
    va_list ap;
    va_start(ap, fmt);
    const std::string text = FormatCV(fmt, ap);
    va_end(ap);
    for (char c : text) {
      if (c == '\n') text_ += '\r';
      text_ += c;
    }
    if (text_.size() > 65536) Flush();
  }
  bool Close() {
    if (!f_) return !failed_;
    Flush();
    if (std::fclose(f_) != 0) failed_ = true;
    f_ = nullptr;
    return !failed_;
  }

 private:
  void Flush() {
    if (f_ && !text_.empty() && std::fwrite(text_.data(), 1, text_.size(), f_) != text_.size())
      failed_ = true;
    text_.clear();
  }
  std::string path_;
  std::FILE* f_;
  std::string text_;
  bool failed_ = false;
};

namespace {

std::string Sprintf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Sprintf(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string text = FormatCV(fmt, ap);
  va_end(ap);
  return text;
}

// Why a burst cannot be analysed, empty when it can: the transform and the wave-number
// iteration need finite samples and a positive, finite sample period.
std::string BurstInputProblem(const WaveBurst& b) {
  if (!(b.samplePeriod > 0) || !std::isfinite(b.samplePeriod))
    return "its sample period is not a positive number";
  for (int i = 0; i < b.points; ++i)
    if (!std::isfinite(b.pressure[i]))
      return Sprintf("its sample %d is not a finite number", i + 1);
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

void CWaveAnalysis::LimitIndexes(int half, double t, double h, double d, int& kLow, int& kHigh,
                                 int& kMax, bool& passed) const {
  kLow = 1;
  for (int k = 1; k <= half; ++k)
    if (t / k > setup_.maximumPeriod) kLow = k;
  kHigh = kMax = half;
  passed = false;
  for (int n = half; n >= 1; --n) {
    if (PressureResponse(h, d, t / n) > run_.minAttenuation) {
      kMax = n;
      passed = true;
      break;
    }
  }
  if (kHigh > 0 && t / kHigh < setup_.minimumPeriod)
    kHigh = static_cast<int>(t / setup_.minimumPeriod);
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
  LimitIndexes(n / 2, t, run_.totalDepth, run_.depth, kLow, kHigh, kMax, passed);

  std::string text = "Surface wave processing summary:\n\n";
  text += Sprintf("temperature = %1.3f\n", setup_.waterTemperature);
  text += Sprintf("salinity = %1.3f\n", setup_.averageSalinity);
  text += Sprintf("density = %1.3f\n", run_.density);
  text += Sprintf("number of points per wave burst = %d\n", n);
  text += Sprintf("sample period = %1.2f sec\n", dt);
  text += Sprintf("sample minimum period = %1.2f sec\n", setup_.minimumPeriod);
  text += Sprintf("sample maximum period = %g sec\n", setup_.maximumPeriod);
  text += Sprintf("mean pressure = %1.3f psia\n", run_.meanPressure);
  text += Sprintf("instrument depth = %1.3f meters\n", run_.depth);
  text += Sprintf("total water depth = %1.3f meters\n", run_.totalDepth);
  text += Sprintf("hanning window cutoff = %1.4f\n", setup_.hanningWindowCutoff);
  if (setup_.useFilterCutoff)
    text += Sprintf("min/max period filter = exp(-df / %1.3f)\n", setup_.filterCutoff);
  if (!passed) {
    sampleError_ = text + "\nError --> not enough samples were taken.\n" +
                   "All frequencies are greater than the high frequency cut off.\n" +
                   "Please run PLAN41 and refer to section C2.1 in the manual.\n";
    return false;
  }

  run_.bands = nse > 0 ? kMax / nse : 0;
  if (run_.bands < 1) {
    // A run without a band would write spectra of nothing and call it done.
    dataError_ = Sprintf(
        "No frequency band can be formed: %d spectral estimates per band, and the first burst "
        "resolves %d frequencies.",
        nse, kMax);
    return false;
  }
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

  text += Sprintf("auto-spectrum:\n    %d spectral estimates per band\n", nse);
  text += Sprintf("    %d bands calculated\n", run_.bands);
  text += Sprintf("    each band is %1.3f Hz wide\n", run_.bandWidth);
  text += Sprintf("    frequency span = %1.3f  to  %1.3f Hz\n", run_.fLow, run_.fHigh);
  text += "\nIs Setup OK?";
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

bool CWaveAnalysis::OpenOutputs() {
  outputs_ = std::make_unique<OutputSet>();
  auto open = [&](OutFile*& f, const char* ext) {
    f = new OutFile(OutputName(ext), outputs_->Add(OutputName(ext)));
    if (f->IsOpen()) return true;
    ui_.Message(f->Path() + " cannot be opened for writing, contact Brennic.", "File Error",
                MsgIcon::Warning, MsgButtons::Ok);
    return false;
  };
  if (!open(was_, "was") || !open(wts_, "wts") || !open(rpt_, "rpt")) return false;
  if (setup_.outputFFTtoWSS && !open(wss_, "wss")) return false;
  if (setup_.outputSurfaceWT && !open(wt_, "wt")) return false;
  return true;
}

void CWaveAnalysis::CloseOutputs() {
  for (OutFile** f : {&was_, &wts_, &rpt_, &wss_, &wt_}) {
    delete *f;
    *f = nullptr;
  }
  outputs_.reset();  // what was not committed is removed; the previous outputs stay
}

void CWaveAnalysis::WriteReportHeader() {
  OutFile& r = *rpt_;
  r.Printf("surface wave processing summary:\n");
  r.Printf("file = %swb\n", base_.c_str());
  r.Printf("temperature = %1.3f\n", setup_.waterTemperature);
  r.Printf("salinity = %1.3f\n", setup_.averageSalinity);
  r.Printf("density = %1.3f\n", run_.density);
  r.Printf("number of points per wave burst = %d\n", run_.points);
  r.Printf("sample period = %1.2f sec\n", run_.samplePeriod);
  r.Printf("burst # %d:\n", run_.firstBurst);
  r.Printf("    mean pressure = %1.3f psia\n", run_.meanPressure);
  r.Printf("    instrument depth = %1.3f meters\n", run_.depth);
  r.Printf("    total water depth = %1.3f meters\n", run_.totalDepth);
  r.Printf("auto-spectrum:\n    %d spectral estimates per band\n", setup_.numberSpectralEstimates);
  r.Printf("    %d bands calculated\n", run_.bands);
  r.Printf("    each band is %1.3f Hz wide\n", run_.bandWidth);
  r.Printf("    frequency span = %1.3f  to  %1.3f Hz\n\n", run_.fLow, run_.fHigh);
  r.Printf("MM/DD/YYYY HH:MM SIG.HT SIG.PER                  ENERGY (CM.SQ.)\n");
  r.Printf("                  (CM)   (SEC)   22+   20   17   15   13   11    9    7    5    3\n");
  r.Printf("%s\n", std::string(81, '-').c_str());
}

int CWaveAnalysis::ProcessBursts() {
  if (!prepared_ && !PrepareRun()) return 0;
  results_.clear();
  bool opened = OpenOutputs();
  if (!opened) {
    CloseOutputs();
    return 0;
  }
  if (bursts_.From2000()) {
    was_->Printf("TGR 41plus\n");
    wts_->Printf("TGR 41plus\n");
    if (wt_) wt_->Printf("TGR 41plus\n");
  }
  WriteReportHeader();

  const int count = bursts_.BurstCount();
  if (page_) {
    page_->ProgressRange(0, 100);
    page_->ProgressPos(0);
    page_->ProcessingWaveData();
  }
  const int step = std::max(1, count / 100);
  int position = 0;
  bool refused = false;
  WaveBurstResult r;
  for (int u = 0; u < count; ++u) {
    if (u % step == 0) {
      if (StopRequested()) break;
      position = static_cast<int>(static_cast<long long>(u) * 100 / count);
    }
    if (page_) page_->ProgressPos(position);
    WaveBurst burst;
    if (!bursts_.GetBurst(u, burst)) break;
    if (u == 0) firstStart_ = static_cast<uint32_t>(WholeSeconds(burst.start));
    std::string why;
    if (!AnalyseAndWrite(burst, r, true, why)) {
      ui_.Message(BurstErrorText(burst.number, why), kBurstErrorCaption, MsgIcon::Warning,
                  MsgButtons::Ok);
      refused = true;
      break;
    }
    if (keepResults_) results_.push_back(r);
  }

  bool ok = true;
  for (OutFile* f : {was_, wts_, rpt_, wss_, wt_}) {
    if (f && !f->Close()) {
      ui_.Message(f->Path() + " could not be written completely.", "File Error", MsgIcon::Warning,
                  MsgButtons::Ok);
      ok = false;
    }
  }
  // The outputs replace the previous ones together, and only after a whole run: a stopped
  // or refused run must not leave files that look complete.
  if (ok && !refused && !StopRequested() && !outputs_->Commit()) {
    ui_.Message(outputs_->Error() + "\nThe previous output files are unchanged.", "File Error",
                MsgIcon::Warning, MsgButtons::Ok);
    ok = false;
  }
  CloseOutputs();
  if (refused) return kRunBadBurst;
  return ok ? 1 : 0;
}

bool CWaveAnalysis::AnalyseBurst(const WaveBurst& burst, WaveBurstResult& out) {
  if (!prepared_) return false;
  std::string why;
  return AnalyseAndWrite(burst, out, false, why);
}

std::string CWaveAnalysis::BurstErrorText(int number, const std::string& why) {
  return Sprintf("Wave burst %d cannot be processed: ", number) + why + ".";
}

const std::vector<double>& CWaveAnalysis::Window(int n, bool removal) {
  // Over the real samples only: a window laid over the zero padding too would leave the
  // samples under part of it while the power factor assumes all of it.
  if (windowLength_ != n) {
    windowLength_ = n;
    windowForward_.assign(n, 0.0);
    windowRemoval_.assign(n, 0.0);
    for (int i = 0; i < n && n > 1; ++i) {
      const double angle = kPi * i / (n - 1);
      const double s = std::sin(angle), c = std::cos(angle);
      windowForward_[i] = kHannPowerFactor * kPascalsPerPsi * s * s;
      windowRemoval_[i] = 1 - c * c;
    }
  }
  return removal ? windowRemoval_ : windowForward_;
}

bool CWaveAnalysis::AnalyseAndWrite(const WaveBurst& burst, WaveBurstResult& r, bool write,
                                    std::string& why) {
  why = BurstInputProblem(burst);
  if (!why.empty()) return false;
  const int n = std::max(burst.points, 0);
  const int m = TransformLength(n);
  const double dt = burst.samplePeriod;
  const double rhoG = run_.rhoG;
  r = WaveBurstResult{};
  r.number = burst.number;
  r.start = WholeSeconds(burst.start);
  r.m = m;
  r.samplePeriod = dt;

  work_.assign(2 * static_cast<size_t>(m) + 4, 0.0);
  double* x = work_.data();  // re, im pairs

  // Least-squares trend line against the sample index, removed.
  double mean = 0, slope = 0;
  if (n > 0) {
    for (int i = 0; i < n; ++i) mean += burst.pressure[i];
    mean /= n;
    const double centre = (n - 1) / 2.0;
    double sxy = 0, sxx = 0;
    for (int i = 0; i < n; ++i) {
      const double di = i - centre;
      sxy += di * (burst.pressure[i] - mean);
      sxx += di * di;
    }
    slope = sxx > 0 ? sxy / sxx : 0;
    for (int i = 0; i < n; ++i) x[2 * i] = burst.pressure[i] - (mean + slope * (i - centre));
  }
  r.meanPressure = mean;
  r.depth = (mean - kAtmosphericPsi) * kPascalsPerPsi / rhoG;
  if (r.depth < 0) r.depth = 0;
  r.totalDepth = r.depth + setup_.height;
  const double h = r.totalDepth, d = r.depth;

  const double t = m * dt;
  bool passed;
  LimitIndexes(m / 2, t, h, d, r.kLow, r.kHigh, r.kMax, passed);

  // Hann window and pascals over the samples (the padding stays 0), then the transform.
  const std::vector<double>& window = Window(n, false);
  for (int i = 0; i < n; ++i) x[2 * i] *= window[i];
  Radix2Transform(x, m, +1);
  const double scale = 1.0 / m;
  for (int i = 0; i < 2 * m; ++i) x[i] *= scale;

  if (write && wss_)
    for (int k = 0; k < m; ++k) wss_->Printf("%5d   %16.6e  %16.6e\n", k, x[2 * k], x[2 * k + 1]);

  // Period and attenuation filters; index 0 is the mean and stays.
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

  // Bands of nse harmonics, corrected for the pressure response at the band centre.
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
    const double k = PressureResponse(h, d, period);
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
  if (!AllFinite({r.energy, r.peakPeriod, r.firstFrequency, r.meanPressure, r.totalDepth})) {
    why = "its spectrum is not finite (are its samples pressures?)";
    return false;
  }

  if (write) {
    const uint32_t s = static_cast<uint32_t>(r.start);
    std::string line = BurstDateText(s, bursts_.From2000(), firstStart_);
    rpt_->Printf("%s %6.0f%7.0f ", line.c_str(), 400 * std::sqrt(r.energy), r.peakPeriod);
    for (double e : r.classEnergy) rpt_->Printf("%5.0f", e * 10000);
    rpt_->Printf("\n");

    was_->Printf("* %4d  %10ld  %6.2f %4d %4d  %8.3f %8.3f %9.3f %5.0f %8.3f %8.3f\n", r.number,
                 r.start, dt, m, nse, h, d, run_.density, run_.confidence, r.lower, r.upper);
    was_->Printf("  %4d %16.6e %16.6e %14.4e %14.4e %14.4e %14.4e\n  ", bands, r.firstFrequency,
                 r.bandWidth, r.energy, rhoG * r.energy, r.peakPeriod, r.significantHeight);
    for (int b = 0; b < bands; ++b) {
      was_->Printf("%16.6e", r.bandEnergy[b] / r.bandWidth);
      if ((b + 1) % 4 == 0) was_->Printf("\n  ");
    }
    was_->Printf("\n");
  }

  if (!SurfaceElevation(r, n, write)) {
    why = "its surface elevation is not finite (are its samples pressures?)";
    return false;
  }
  return true;
}

bool CWaveAnalysis::SurfaceElevation(WaveBurstResult& r, int n, bool write) {
  const int m = r.m;
  const double t = m * r.samplePeriod;
  const double rhoG = run_.rhoG;
  double* x = work_.data();
  x[0] /= rhoG;
  for (int harmonic = 1; harmonic <= r.kMax; ++harmonic) {
    const double divisor = PressureResponse(r.totalDepth, r.depth, t / harmonic) * rhoG;
    x[2 * harmonic] /= divisor;
    x[2 * harmonic + 1] /= divisor;
    if (harmonic != m - harmonic) {
      x[2 * (m - harmonic)] /= divisor;
      x[2 * (m - harmonic) + 1] /= divisor;
    }
  }
  Radix2Transform(x, m, -1);

  // The padded tail is 0 and is not counted as cut.
  elevation_.assign(m, 0.0);
  const std::vector<double>& w = Window(n, true);
  int cut = 0;
  for (int i = 0; i < n; ++i) {
    double v;
    if (w[i] > run_.windowCutoff) {
      v = x[2 * i] / w[i];
    } else {
      v = 0;
      ++cut;
    }
    elevation_[i] = v / kHannPowerFactor;
  }
  r.cutSamples = cut;
  // Statistics of the real samples: the padding holds no waves and no variance.
  WaveStatistics(elevation_.data(), n, r.samplePeriod, cut / 2, r.stats);
  const WaveStatisticsRecord& s = r.stats;
  if (!AllFinite({s.variance, s.averageHeight, s.averagePeriod, s.maximumHeight, s.h13, s.t13,
                  s.h110, s.h1100}))
    return false;
  if (write && wt_) {
    wt_->Printf("* %d %ld %6.2f %d\n", r.number, r.start, r.samplePeriod, m);
    for (int i = 0; i < m; ++i) {
      wt_->Printf("%14.4f", elevation_[i]);
      if ((i + 1) % 4 == 0) wt_->Printf("\n");
    }
  }
  if (write) {
    wts_->Printf("* %4d %10ld %6.2f %4d %4d %10.3f %10.3f %10.3f\n", r.number, r.start,
                 r.samplePeriod, m, s.waves, r.totalDepth, r.depth, run_.density);
    wts_->Printf("  %16.6e %16.6e %16.6e %16.6e\n", s.variance, rhoG * s.variance, s.averageHeight,
                 s.averagePeriod);
    wts_->Printf("  %16.6e %16.6e %16.6e %16.6e %16.6e\n", s.maximumHeight, s.h13, s.t13, s.h110,
                 s.h1100);
  }
  return true;
}

}  // namespace tidora
