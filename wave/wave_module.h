#pragma once

#include <memory>
#include <string>
#include <vector>

#include "postproc/postproc.h"
#include "wave/wave_analysis.h"
#include "wave/wave_setup.h"

namespace tidora {

// The bursts an input manager has read, as the analysis sees them.
class CManagerBursts : public CBurstSource {
 public:
  explicit CManagerBursts(const CTGR41FileManager& manager) : m_(manager) {}
  int BurstCount() const override { return m_.RecordsRead(); }
  bool GetBurst(int index, WaveBurst& out) const override;
  bool From2000() const override { return m_.From2000(); }

 private:
  const CTGR41FileManager& m_;
};

// A reader over bursts in memory, laid out as the wave burst reader lays them out.
class CMemoryBurstReader : public CRecordReader {
 public:
  explicit CMemoryBurstReader(CMemoryBursts bursts) : b_(std::move(bursts)) {}
  bool OpenFile(const std::string&) override;
  void CloseFile() override {}
  int ReadFileInfo(const std::string&, int& nBursts) override;
  int GetNumXDataColumns() override { return 1; }
  int GetNumYDataColumns() override { return 1; }
  std::vector<std::string> YVariableNames() override { return {"Subsurface Pressure [psi]"}; }
  bool SkipAtStart(int n) override;
  int ReadData(float*** data, double*** times, int row, double** minima, double** maxima,
               int& count, const int* lengths) override;
  int GetFileID() const override { return 1; }
  bool From2000() const override { return b_.from2000; }

 private:
  CMemoryBursts b_;
  int next_ = 0;
};

// The wave module: its setup and its processing entry on the processing thread.
class CWaveModule : public CPostProc {
 public:
  explicit CWaveModule(Interaction& ui);
  CWaveSetup& WaveSetup() { return static_cast<CWaveSetup&>(*setup_); }

  // How the last run ended.
  enum class Outcome {
    kNone,          // no run, or no input with a reader
    kDone,          // outputs written
    kDeclined,      // the setup summary was declined
    kNoData,        // the file holds no bursts
    kSampleError,   // no period passes the attenuation test
    kReadFailed,    // reading the input failed ("Process Error")
    kSkipped,       // Skip at the overwrite prompt
    kCancelled,     // Cancel at the overwrite prompt
    kOutputFailed,  // an output file could not be opened or written
    kStopped,       // the stop flag ended the run
    kBadData,       // a burst cannot be analysed or the first gives no band ("Wave Burst Error")
  };
  Outcome LastOutcome() const { return outcome_; }
  // B of the last run: every output name is B + extension.
  const std::string& LastOutputBase() const { return lastBase_; }
  const std::string& LastSummary() const { return summary_; }
  void KeepResults(bool keep) { keepResults_ = keep; }
  // Threads of the analysis; 0 (the default) takes WaveThreadCount().
  void SetThreads(int threads) { threads_ = threads; }
  // The files the last run wrote (B + "was", "wts", "rpt", and "wt", "wss" when asked).
  std::vector<std::string> OutputFiles() const;
  std::vector<RoleFile> RunOutputs(const std::string& base) const override;
  // B of an output base: the base with its extension removed and its dot kept.
  static std::string OutputBaseOf(const std::string& base);
  // Why the last run wrote nothing, in a sentence; empty after kDone.
  std::string OutcomeText() const;

  // Prepares a run of one wave burst file without a window: the input's directory and name,
  // the output directory (the input's when empty), no output file name, and the input
  // manager. Returns an empty text, or why the run cannot start.
  std::string PrepareFileRun(const std::string& input, const std::string& outputDir);
  const std::vector<WaveBurstResult>& Results() const { return results_; }

 protected:
  int ProcessJob(CPostProcJob& job) override;

 private:
  // Reads every input with a reader; `current` is the last one. False when the run ends there
  // (stopped, or the reading failed).
  bool ReadInputs(CPostProcPage* page, CTGR41FileManager*& current);
  // Checks the setup on the input's bursts and runs them: ProcessJob's return.
  int AnalyseInput(const CTGR41FileManager& input, CPostProcPage* page);

  Outcome outcome_ = Outcome::kNone;
  std::string lastBase_, summary_;
  bool keepResults_ = false;
  int threads_ = 0;
  std::vector<WaveBurstResult> results_;
};

}  // namespace tidora
