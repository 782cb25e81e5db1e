#include "wave/wave_module.h"

#include <algorithm>
#include <cctype>

#include <filesystem>

#include "outside/utility.h"
#include "platform/interaction.h"

namespace tidora {

// The burst reader keeps a burst's number of samples in the slot of identifier 18.
constexpr int kVarSamplesPerBurst = kVarNumberOfWaves;

bool CManagerBursts::GetBurst(int index, WaveBurst& out) const {
  const float* number = m_.Floats(index, kVarBurstNumber);
  const float* points = m_.Floats(index, kVarSamplesPerBurst);
  const float* period = m_.Floats(index, kVarPeriod);
  const float* pressure = m_.Floats(index, kVarSubsurfacePressure);
  if (!number || !points || !period || !pressure) return false;
  out.number = static_cast<int>(number[0]);
  out.samplePeriod = period[0];
  // Never more samples than the storage holds, whatever the header said.
  const float n = points[0];
  out.points =
      n > 0 ? static_cast<int>(std::min<float>(n, float(m_.Length(kVarSubsurfacePressure)))) : 0;
  out.pressure = pressure;
  out.start = m_.Minimum(index, kVarTime);
  return true;
}

bool CMemoryBurstReader::OpenFile(const std::string&) {
  next_ = 0;
  return true;
}

int CMemoryBurstReader::ReadFileInfo(const std::string&, int& nBursts) {
  nBursts = b_.BurstCount();
  return b_.bursts.empty() ? 0 : static_cast<int>(b_.bursts[0].pressure.size());
}

bool CMemoryBurstReader::SkipAtStart(int n) {
  if (n > b_.BurstCount()) return false;
  next_ = n;
  return true;
}

int CMemoryBurstReader::ReadData(float*** data, double***, int row, double** minima,
                                 double** maxima, int& count, const int* lengths) {
  if (next_ >= b_.BurstCount()) return 0;
  const CMemoryBursts::Burst& b = b_.bursts[next_++];
  const int n = static_cast<int>(b.pressure.size());
  float** d = data[row];
  if (d[kVarBurstNumber]) d[kVarBurstNumber][0] = float(b.number);
  if (d[kVarPeriod]) d[kVarPeriod][0] = float(b.samplePeriod);
  if (d[kVarSamplesPerBurst]) d[kVarSamplesPerBurst][0] = float(n);
  if (d[kVarSubsurfacePressure])
    std::copy_n(b.pressure.begin(), std::min(n, lengths[kVarSubsurfacePressure]),
                d[kVarSubsurfacePressure]);
  if (d[kVarTime])
    for (int i = 0; i < std::min(n, lengths[kVarTime]); ++i)
      d[kVarTime][i] = float(i * b.samplePeriod);
  minima[row][kVarTime] = b.start;
  maxima[row][kVarTime] = b.start + (n - 1) * b.samplePeriod;
  count = n;
  return 2;
}

std::string CWaveModule::OutputBaseOf(const std::string& base) {
  const size_t dot = base.rfind('.');
  const size_t slash = base.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return base + ".";
  return base.substr(0, dot + 1);
}

CWaveModule::CWaveModule(Interaction& ui) : CPostProc(std::make_unique<CWaveSetup>(), ui) {}

int CWaveModule::ProcessJob(CPostProcJob& job) {
  outcome_ = Outcome::kNone;
  results_.clear();
  summary_.clear();
  ProcessControl& stop = Control();
  CPostProcPage* page = job.page;

  auto outputBase = OutputBaseOf;
  std::string base = job.outputBase;
  lastBase_ = outputBase(base);
  auto refused = [&] {  // before anything started: nothing to report as stopped
    outcome_ = Outcome::kOutputFailed;
    stop.Stop();
    return 0;
  };
  if (!CheckRunOutputs(lastBase_)) return refused();
  if (const Overwrite answer = OverwritePrompt(base, "was"); answer != Overwrite::kGo) {
    outcome_ = answer == Overwrite::kSkip ? Outcome::kSkipped : Outcome::kCancelled;
    return 1;
  }
  if (outputBase(base) != lastBase_) {  // another name was chosen at the prompt
    lastBase_ = outputBase(base);
    if (!CheckRunOutputs(lastBase_)) return refused();
  }

  CTGR41FileManager* current = nullptr;
  if (!ReadInputs(page, current)) return 0;
  if (!current) {
    outcome_ = Outcome::kNoData;
    return 1;
  }
  return AnalyseInput(*current, page);
}

bool CWaveModule::ReadInputs(CPostProcPage* page, CTGR41FileManager*& current) {
  CWaveSetup& setup = WaveSetup();
  ProcessControl& stop = Control();
  for (auto& m : inputs_) {
    m->ResetTables();
    m->SetSelection(setup.BurstCount(), setup.BurstSkip(), setup.BurstsToEnd());
  }
  current = nullptr;
  for (auto& m : inputs_) {
    if (!m->Reader()) continue;
    current = m.get();
    // Only what the analysis uses is kept (the start time comes with the record's time range):
    // a year of bursts must fit in memory.
    const int points = std::max(1, m->Rows());
    bool ok = m->SaveColumn(kVarBurstNumber, false, 1) &&
              m->SaveColumn(kVarSamplesPerBurst, false, 1) && m->SaveColumn(kVarPeriod, false, 1) &&
              m->SaveColumn(kVarSubsurfacePressure, false, points);
    if (page) {
      page->ProcessingStarted(static_cast<int>(setup.inputFiles.size()));
      page->ProcessingFile(0, m->FileName());
    }
    if (!ok || !m->ReadAllRecords(ui_, page, &stop)) {
      outcome_ = Outcome::kReadFailed;
      stop.Stop();
    }
    if (stop.Stopped()) {
      if (outcome_ == Outcome::kNone) outcome_ = Outcome::kStopped;
      if (page) page->ProcessingStopped(0);
      return false;
    }
  }
  return true;
}

int CWaveModule::AnalyseInput(const CTGR41FileManager& input, CPostProcPage* page) {
  CWaveSetup& setup = WaveSetup();
  ProcessControl& stop = Control();
  CManagerBursts bursts(input);
  CWaveAnalysis analysis(setup, bursts, lastBase_, ui_, page, &stop);
  analysis.KeepResults(keepResults_);
  analysis.SetThreads(threads_ > 0 ? threads_ : WaveThreadCount());
  const int verdict = analysis.VerifySetup();
  summary_ = analysis.SummaryText();
  if (verdict == CWaveAnalysis::kVerifyAccepted) {
    const int run = analysis.ProcessBursts();
    if (run != 1) {
      outcome_ = run == CWaveAnalysis::kRunBadBurst ? Outcome::kBadData : Outcome::kOutputFailed;
      stop.Stop();
    } else {
      outcome_ = stop.Stopped() ? Outcome::kStopped : Outcome::kDone;
    }
    results_ = analysis.Results();
  } else if (verdict == CWaveAnalysis::kVerifySampleError) {
    outcome_ = Outcome::kSampleError;
  } else if (verdict == CWaveAnalysis::kVerifyBadData) {
    outcome_ = Outcome::kBadData;
  } else {
    outcome_ = stop.Stopped() ? Outcome::kNoData : Outcome::kDeclined;
    if (page) page->ShowDataSetupPage();
  }
  if (stop.Stopped()) {
    if (page) page->ProcessingStopped(0);
    return 0;
  }
  return 1;
}

std::vector<std::string> CWaveModule::OutputFiles() const {
  if (outcome_ != Outcome::kDone) return {};  // a stopped run leaves the previous files
  std::vector<std::string> files;
  for (const RoleFile& f : RunOutputs(lastBase_)) files.push_back(f.path);
  return files;
}

std::vector<RoleFile> CWaveModule::RunOutputs(const std::string& base) const {
  const std::string b = OutputBaseOf(base);
  std::vector<RoleFile> files = {{"auto-spectrum file", b + "was"},
                                 {"time-series statistics file", b + "wts"},
                                 {"report file", b + "rpt"}};
  const CWaveSetup& s = static_cast<const CWaveSetup&>(*setup_);
  if (s.outputSurfaceWT) files.push_back({"surface elevation file", b + "wt"});
  if (s.outputFFTtoWSS) files.push_back({"Fourier coefficient file", b + "wss"});
  return files;
}

std::string CWaveModule::OutcomeText() const {
  switch (outcome_) {
    case Outcome::kDone:
      return {};
    case Outcome::kNone:
      return "no wave burst input to process";
    case Outcome::kDeclined:
      return "the setup was not confirmed; nothing was written";
    case Outcome::kNoData:
      return "the input holds no wave bursts; nothing was written";
    case Outcome::kSampleError:
      return "the samples cannot resolve any wave period; nothing was written";
    case Outcome::kReadFailed:
      return "the input could not be read; nothing was written";
    case Outcome::kSkipped:
      return "skipped; nothing was written";
    case Outcome::kCancelled:
      return lastBase_ + "was exists and was not overwritten";
    case Outcome::kOutputFailed:
      return "the output files could not be written";
    case Outcome::kStopped:
      return "processing was stopped";
    case Outcome::kBadData:
      return "the wave bursts cannot be processed as they are";
  }
  return {};
}

std::string CWaveModule::PrepareFileRun(const std::string& input, const std::string& outputDir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!IsFile(input)) return input + " cannot be opened";
  std::string ext;
  ExtractExtension(input, ext);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext != "wb") return input + " is not a wave burst file (.wb)";
  const std::string full = fs::absolute(input, ec).lexically_normal().string();
  CWaveSetup& s = WaveSetup();
  ExtractDirectory(full, s.inputDir, 0);
  std::string name;
  ExtractFileName(full, name, 0);
  s.inputFiles = {name};
  s.outputDir = outputDir.empty() ? s.inputDir : outputDir;
  if (!IsDirectory(s.outputDir)) return s.outputDir + " is not a directory";
  s.outputFile.clear();
  if (OpenInputFiles() != 1 || !inputs_[0]->Reader()) return input + " cannot be read";
  return {};
}

}  // namespace tidora
