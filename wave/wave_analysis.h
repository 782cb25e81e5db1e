#pragma once

#include <array>
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "postproc/process_control.h"
#include "wave/wave_math.h"
#include "wave/wave_setup.h"

namespace tidora {

class Interaction;

// Threads for the wave analysis of a run: TIDORA_WAVE_THREADS when set to a positive number,
// otherwise one per processor.
int WaveThreadCount();
class CPostProcPage;
class OutputSet;

// One burst of pressure samples as the analysis sees it.
struct WaveBurst {
  int number = 0;
  double start = 0;                 // seconds on the instrument's clock
  double samplePeriod = 0;          // seconds
  int points = 0;                   // N
  const float* pressure = nullptr;  // N samples, psia
};

// Where the bursts come from: the input manager's storage, or memory in tests.
class CBurstSource {
 public:
  virtual ~CBurstSource() = default;
  virtual int BurstCount() const = 0;
  virtual bool GetBurst(int index, WaveBurst& out) const = 0;  // false: no such burst
  virtual bool From2000() const = 0;  // burst times count from 2000 (41plus files)
};

// Bursts held in memory.
class CMemoryBursts : public CBurstSource {
 public:
  struct Burst {
    int number;
    double start;
    double samplePeriod;
    std::vector<float> pressure;
  };
  std::vector<Burst> bursts;
  bool from2000 = true;

  int BurstCount() const override { return static_cast<int>(bursts.size()); }
  bool GetBurst(int index, WaveBurst& out) const override;
  bool From2000() const override { return from2000; }
};

// The run-wide values fixed by the setup check.
struct WaveRunValues {
  double density = 0;
  double rhoG = 0;
  double minAttenuation = 0;
  double fLow = 0, fHigh = 1000000;
  double windowCutoff = 0;
  double confidence = 0;
  // From the first burst (unpadded), for the summary and the report header.
  int points = 0;
  double samplePeriod = 0;
  int firstBurst = 0;
  double meanPressure = 0;
  double depth = 0;
  double totalDepth = 0;
  int bands = 0;
  double bandWidth = 0;
};

// What one burst gives: spectrum, derived values and time-series statistics.
struct WaveBurstResult {
  int number = 0;
  long start = 0;
  int m = 0;  // transform length
  double samplePeriod = 0;
  double meanPressure = 0, depth = 0, totalDepth = 0;
  int kLow = 1, kHigh = 0, kMax = 0;
  double firstFrequency = 0, bandWidth = 0;
  std::vector<double> bandEnergy;  // E_b, m^2
  double energy = 0;               // E, m^2
  double peakPeriod = 0;
  std::array<double, kNumPeriodClasses> classEnergy{};
  double lower = 1, upper = 1;
  double significantHeight = 0;  // 4 sqrt(E)
  int cutSamples = 0;            // samples the window removal set to 0
  WaveStatisticsRecord stats;
};

// Spectral analysis and wave statistics of the bursts of one input file, with its outputs.
class CWaveAnalysis {
 public:
  // outputBase is B: every output name is B followed by its extension.
  CWaveAnalysis(const CWaveSetup& setup, const CBurstSource& bursts, std::string outputBase,
                Interaction& ui, CPostProcPage* page = nullptr, ProcessControl* stop = nullptr);
  ~CWaveAnalysis();
  CWaveAnalysis(const CWaveAnalysis&) = delete;
  CWaveAnalysis& operator=(const CWaveAnalysis&) = delete;

  // Results of the setup check.
  enum { kVerifyDeclined = 0, kVerifyAccepted = 1, kVerifySampleError = -1, kVerifyBadData = -2 };
  // Checks the setup on the first burst and asks "Verify Setup". 1 accepted, 0 declined or no
  // data (the stop flag is then set), -1 when no period passes the attenuation test: the
  // "Sample Error" box was shown and the run must end as failed (SampleErrorText()); -2 when
  // the first burst cannot be analysed or gives no band: the "Wave Burst Error" box was shown
  // (DataErrorText()) and the run must end as failed.
  int VerifySetup();
  // Runs every burst and writes the outputs. 1 when the run went through (also when stopped
  // by the stop flag), 0 when an output file could not be opened or written, kRunBadBurst
  // when a burst could not be analysed (the "Wave Burst Error" box named it; the run stopped
  // there). The outputs are written beside their places and replace the previous ones only at
  // the end of a whole run: after a stop or a failure the previous files are as they were.
  enum { kRunBadBurst = -1 };
  int ProcessBursts();

  // Analyses one burst without writing anything (tests and benchmarks); VerifySetup or
  // PrepareRun must have run. False also for a burst that cannot be analysed (non-finite
  // samples or sample period, or results that are not finite).
  bool AnalyseBurst(const WaveBurst& burst, WaveBurstResult& out);
  // The run-wide values of the setup check without asking anyone; false when the file holds
  // no data or no period passes the attenuation test.
  bool PrepareRun();

  const WaveRunValues& Run() const { return run_; }
  const std::string& SummaryText() const { return summary_; }
  const std::string& SampleErrorText() const { return sampleError_; }
  const std::string& DataErrorText() const { return dataError_; }
  static constexpr const char* kBurstErrorCaption = "Wave Burst Error";
  const std::vector<WaveBurstResult>& Results() const { return results_; }
  int BurstsDone() const { return static_cast<int>(results_.size()); }
  void KeepResults(bool keep) { keepResults_ = keep; }
  // Threads that analyse bursts at once (1 by default: all in the calling thread). With more,
  // the outputs are the same byte for byte; a stop then ends the run within a burst's time.
  void SetThreads(int threads) { threads_ = threads > 1 ? threads : 1; }
  // Output names.
  std::string OutputName(const char* ext) const { return base_ + ext; }

 private:
  class OutFile;
  class BurstPool;
  // The text one burst adds to each output, every line already ending in CR LF.
  struct BurstText {
    std::string was, wts, rpt, wss, wt;
  };
  // Work arrays of a burst's analysis, reused from burst to burst.
  struct BurstScratch {
    std::vector<double> work;  // re, im pairs
    std::vector<double> elevation;
    int windowLength = 0;
    std::vector<double> windowForward, windowRemoval;
    HarmonicResponses responses;
  };
  // What became of one burst of the run.
  struct BurstOutcome {
    enum State { kDone, kMissing, kRefused, kStopped } state = kDone;
    int number = 0;
    std::string why;  // kRefused
    WaveBurstResult result;
    BurstText text;
  };

  bool OpenOutputs();
  void CloseOutputs();
  void WriteReportHeader();
  // Opens the outputs and writes their heads; false (nothing open) when one cannot be opened.
  bool BeginOutputs();
  // Closes the outputs and commits them after a whole run (not `refused`, not stopped); the
  // value ProcessBursts returns.
  int FinishOutputs(bool refused);
  // Appends one burst's text to the outputs.
  void WriteBurst(const BurstText& text);
  bool StopRequested() const;
  // Runs the bursts in order, writing each; false when one was refused (the box was shown).
  bool RunBursts(int count);
  // Fetches and analyses burst u. A pooled burst first waits while the run is suspended and is
  // not started after a stop.
  void Produce(int u, BurstScratch& scratch, BurstOutcome& out, bool pooled) const;
  // The harmonic limits of a record: `responses` are those of its harmonics 1 ... halfLength.
  void LimitIndexes(HarmonicResponses& responses, int halfLength, double recordLength, int& kLow,
                    int& kHigh, int& kMax, bool& passed) const;
  // The summary's lines on the setup and the first burst, up to the band layout.
  std::string SetupSummary() const;
  // The lines on the run's bands, shared by the summary and the report.
  std::string BandLayoutText() const;
  // The frequency span of the run's bands into run_.
  void FrequencySpan(int estimates, double recordLength);
  // Analyses a burst, and formats its outputs into `text` when given. False, with the reason,
  // when the burst cannot be analysed.
  bool Analyse(const WaveBurst& burst, WaveBurstResult& r, BurstScratch& scratch, BurstText* text,
               std::string& why) const;
  // Filters the coefficients x of a record of length t and sums them into bands.
  void Spectrum(WaveBurstResult& r, const double* x, int n, double t,
                HarmonicResponses& responses) const;
  void FilterCoefficients(const WaveBurstResult& r, double* x, double t) const;
  // n: the burst's own samples (the rest of the r.m points is padding). False when the
  // elevation or its statistics are not finite.
  bool SurfaceElevation(WaveBurstResult& r, int n, BurstScratch& scratch) const;
  // The output text of an analysed burst.
  void FormatCoefficients(const double* x, int m, BurstText& text) const;
  void FormatSpectrum(const WaveBurstResult& r, BurstText& text) const;
  void FormatSurface(const WaveBurstResult& r, const std::vector<double>& elevation,
                     BurstText& text) const;
  // Hann weights over the n real samples (the padding is not windowed).
  static const std::vector<double>& Window(BurstScratch& scratch, int n, bool removal);
  static std::string BurstErrorText(int number, const std::string& why);

  const CWaveSetup& setup_;
  const CBurstSource& bursts_;
  std::string base_;
  Interaction& ui_;
  CPostProcPage* page_;
  ProcessControl* stop_;
  WaveRunValues run_;
  bool prepared_ = false;
  std::string summary_, sampleError_, dataError_;
  uint32_t firstStart_ = 0;
  bool keepResults_ = false;
  int threads_ = 1;
  std::vector<WaveBurstResult> results_;
  BurstScratch scratch_;
  OutFile* was_ = nullptr;
  OutFile* wts_ = nullptr;
  OutFile* rpt_ = nullptr;
  OutFile* wss_ = nullptr;
  OutFile* wt_ = nullptr;
  std::unique_ptr<OutputSet> outputs_;
};

}  // namespace tidora
