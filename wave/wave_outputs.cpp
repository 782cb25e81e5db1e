#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>

#include "datafile/textio.h"
#include "platform/interaction.h"
#include "platform/output_files.h"
#include "postproc/page.h"
#include "wave/wave_analysis.h"

namespace tidora {

namespace {

// Appends printf output to `out` with every "\n" written as CR LF.
void AppendCrlfV(std::string& out, const char* fmt, va_list ap) {
  const std::string text = FormatCV(fmt, ap);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
}

void AppendCrlf(std::string& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void AppendCrlf(std::string& out, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  AppendCrlfV(out, fmt, ap);
  va_end(ap);
}

}  // namespace

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
    AppendCrlfV(text_, fmt, ap);
    va_end(ap);
    if (text_.size() > 65536) Flush();
  }
  // Text whose line ends are already CR LF.
  void Append(const std::string& text) {
    text_ += text;
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
  r.Printf("%s\n", BandLayoutText().c_str());
  r.Printf("MM/DD/YYYY HH:MM SIG.HT SIG.PER                  ENERGY (CM.SQ.)\n");
  r.Printf("                  (CM)   (SEC)   22+   20   17   15   13   11    9    7    5    3\n");
  r.Printf("%s\n", std::string(81, '-').c_str());
}

bool CWaveAnalysis::BeginOutputs() {
  if (!OpenOutputs()) {
    CloseOutputs();
    return false;
  }
  if (bursts_.From2000()) {
    was_->Printf("TGR 41plus\n");
    wts_->Printf("TGR 41plus\n");
    if (wt_) wt_->Printf("TGR 41plus\n");
  }
  WriteReportHeader();
  return true;
}

int CWaveAnalysis::FinishOutputs(bool refused) {
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

void CWaveAnalysis::WriteBurst(const BurstText& text) {
  if (wss_) wss_->Append(text.wss);
  rpt_->Append(text.rpt);
  was_->Append(text.was);
  if (wt_) wt_->Append(text.wt);
  wts_->Append(text.wts);
}

void CWaveAnalysis::FormatCoefficients(const double* x, int m, BurstText& text) const {
  for (int k = 0; k < m; ++k)
    AppendCrlf(text.wss, "%5d   %16.6e  %16.6e\n", k, x[2 * k], x[2 * k + 1]);
}

void CWaveAnalysis::FormatSpectrum(const WaveBurstResult& r, BurstText& text) const {
  const uint32_t s = static_cast<uint32_t>(r.start);
  const std::string line = BurstDateText(s, bursts_.From2000(), firstStart_);
  AppendCrlf(text.rpt, "%s %6.0f%7.0f ", line.c_str(), 400 * std::sqrt(r.energy), r.peakPeriod);
  for (double e : r.classEnergy) AppendCrlf(text.rpt, "%5.0f", e * 10000);
  AppendCrlf(text.rpt, "\n");

  const int nse = setup_.numberSpectralEstimates;
  const int bands = static_cast<int>(r.bandEnergy.size());
  AppendCrlf(text.was, "* %4d  %10ld  %6.2f %4d %4d  %8.3f %8.3f %9.3f %5.0f %8.3f %8.3f\n",
             r.number, r.start, r.samplePeriod, r.m, nse, r.totalDepth, r.depth, run_.density,
             run_.confidence, r.lower, r.upper);
  AppendCrlf(text.was, "  %4d %16.6e %16.6e %14.4e %14.4e %14.4e %14.4e\n  ", bands,
             r.firstFrequency, r.bandWidth, r.energy, run_.rhoG * r.energy, r.peakPeriod,
             r.significantHeight);
  for (int b = 0; b < bands; ++b) {
    AppendCrlf(text.was, "%16.6e", r.bandEnergy[b] / r.bandWidth);
    if ((b + 1) % 4 == 0) AppendCrlf(text.was, "\n  ");
  }
  AppendCrlf(text.was, "\n");
}

void CWaveAnalysis::FormatSurface(const WaveBurstResult& r, const std::vector<double>& elevation,
                                  BurstText& text) const {
  const WaveStatisticsRecord& s = r.stats;
  if (wt_) {
    AppendCrlf(text.wt, "* %d %ld %6.2f %d\n", r.number, r.start, r.samplePeriod, r.m);
    for (int i = 0; i < r.m; ++i) {
      AppendCrlf(text.wt, "%14.4f", elevation[i]);
      if ((i + 1) % 4 == 0) AppendCrlf(text.wt, "\n");
    }
  }
  AppendCrlf(text.wts, "* %4d %10ld %6.2f %4d %4d %10.3f %10.3f %10.3f\n", r.number, r.start,
             r.samplePeriod, r.m, s.waves, r.totalDepth, r.depth, run_.density);
  AppendCrlf(text.wts, "  %16.6e %16.6e %16.6e %16.6e\n", s.variance, run_.rhoG * s.variance,
             s.averageHeight, s.averagePeriod);
  AppendCrlf(text.wts, "  %16.6e %16.6e %16.6e %16.6e %16.6e\n", s.maximumHeight, s.h13, s.t13,
             s.h110, s.h1100);
}

}  // namespace tidora
