#pragma once

// The report module in the processing framework: its setup record (the framework's part and
// the TabulonPsu section) and its job on the processing thread.

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "datafile/tgr41file.h"
#include "postproc/postproc.h"
#include "reports/report_writer.h"
#include "reports/tabulon_psu.h"

namespace tidora {

// The report module's setup: the framework part and the TabulonPsu section.
class CTabulonSetup : public CTableSetup<CTabulonSetup>, public CTabulon_Psu {
 public:
  CTabulonSetup() { ResetAll(); }
  explicit CTabulonSetup(const std::string& dir) { ResetAll(dir); }

  int ModuleIndex() const override { return kReportModule; }
  std::string DefaultFileName() const override { return "Tabulon.psa"; }

  // The five settings in file order with their defaults and page labels.
  static std::span<const SettingDecl<CTabulonSetup>> Settings();

  // The two choices keep their range rule whether read from a file or typed: a value outside
  // the range is ignored when read, refused when typed. Typed columns must name variables.
  void ReadModuleKey(int keyId, const std::string& value) override;
  std::string AssignModuleSetting(const std::string& key, const std::string& value) override;

  CTabulon_Psu& Psu() { return *this; }
  const CTabulon_Psu& Psu() const { return *this; }
};

class CTabulon : public CPostProc {
 public:
  explicit CTabulon(Interaction& ui);
  CTabulonSetup& ReportSetup() { return static_cast<CTabulonSetup&>(*setup_); }

  // The start check: with no column chosen, the "Cannot Start Process" box, the page asked to
  // show the Data Setup page (where the window opens the variable selection), and false.
  bool StartCheck() override;
  // The input selection of the File Setup page with the module's rules: the chosen names in
  // the input directory, sorted and checked; when taken, the names and the default output file
  // name are set and the inputs opened. False (selection unchanged) after a box.
  bool SelectInputs(std::vector<std::string> names);

  // A run without a window (command line): the inputs checked by the module's rules, the
  // input directory that of the first, the report file `output` (default: the first input
  // with the extension "r41"), and the inputs opened. Empty, or why the run cannot start.
  std::string PrepareReportRun(std::vector<std::string> paths, const std::string& output);
  std::vector<RoleFile> RunOutputs(const std::string& base) const override;

  enum class Outcome { kNone, kWritten, kSkipped, kCancelled, kReadFailed, kWriteFailed, kStopped };
  Outcome LastOutcome() const { return outcome_; }
  // Why the last job wrote nothing, in a sentence; empty after a written report.
  std::string OutcomeText() const;
  // The report file of the last job.
  const std::string& LastReportPath() const { return reportPath_; }

 protected:
  int ProcessJob(CPostProcJob& job) override;
  // The job: output name and overwrite question, the columns asked of each input, every input
  // read, the inputs combined and the report written. 1 when written (or skipped).
  int ProcessFile(CPostProcJob& job);
  bool TestFileName(const std::string& name) const override;
  FileFilter OutputFileFilter() const override { return {"Output File ()", {"*.r41"}}; }

 private:
  using Requested = std::vector<std::array<bool, kMaxDataTypes>>;
  // The report path and the overwrite question; the job's result when it ends here.
  std::optional<int> ChooseReportPath(const std::string& outputBase);
  // The columns each input is asked for, by the selected slots; false when stopped.
  bool SaveRequestedColumns(CPostProcPage* page, Requested& requested);
  // Every input read; false when stopped (or a read failed, which stops the run).
  bool ReadInputs(CPostProcPage* page);
  // The stop flag, seen by the page; a run that ends so keeps the outcome it already has.
  bool RunStopped(CPostProcPage* page);

  Outcome outcome_ = Outcome::kNone;
  std::string reportPath_;
};

}  // namespace tidora
