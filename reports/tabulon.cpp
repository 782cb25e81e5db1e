#include "reports/tabulon.h"

#include <array>
#include <cmath>
#include <cstdlib>

#include "datafile/tgr41file.h"
#include "datafile/wavefiles.h"
#include "outside/utility.h"
#include "platform/interaction.h"
#include "postproc/tgr41_reader.h"
#include "reports/input_selection.h"

namespace tidora {

namespace {
constexpr int kKeyColumns = 9;
constexpr int kKeySeparator = 10;
constexpr int kKeyTimeForm = 11;
constexpr int kKeyLabels = 12;
constexpr int kKeyHeader = 13;
}  // namespace

std::span<const SettingDecl<CTabulonSetup>> CTabulonSetup::Settings() {
  using S = CTabulonSetup;
  static const std::array<SettingDecl<S>, 5> table = {
      ListSetting<S>(kKeyColumns, &S::columns, "Select Variables..."),
      IntSetting<S>(kKeySeparator, &S::columnSeparator, kSeparatorSpace, "Column separator",
                    kRangeNotBelow, 0),
      IntSetting<S>(kKeyTimeForm, &S::julianDaysConvFmt, kTimeJulianDays,
                    "Julian days conversion format", kRangeNotBelow, 0),
      FlagSetting<S>(kKeyLabels, &S::labelDataColumns, 1, "Label data columns"),
      FlagSetting<S>(kKeyHeader, &S::outputHeaderInfo, 1, "Output header information"),
  };
  return table;
}

void CTabulonSetup::ReadModuleKey(int keyId, const std::string& value) {
  if (keyId == kKeySeparator)
    SetSeparator(std::atoi(value.c_str()));
  else if (keyId == kKeyTimeForm)
    SetTimeForm(std::atoi(value.c_str()));
  else
    CTableSetup<CTabulonSetup>::ReadModuleKey(keyId, value);
}

std::string CTabulonSetup::AssignModuleSetting(const std::string& key, const std::string& value) {
  CTabulonSetup probe(*this);
  std::string err = probe.CTableSetup<CTabulonSetup>::AssignModuleSetting(key, value);
  if (!err.empty()) return err;
  const int id = SetupKeyId(key);
  if (id == kKeySeparator && !SetSeparator(probe.columnSeparator))
    return key + ": expected a whole number from 0 to " + std::to_string(kSeparatorHighest);
  if (id == kKeyTimeForm && !SetTimeForm(probe.julianDaysConvFmt))
    return key + ": expected a whole number from 0 to " + std::to_string(kTimeFormHighest);
  if (id == kKeyColumns) {
    for (int column : probe.UsedColumns()) {
      std::string name;
      if (!GetDataNameFromID(name, column))
        return key + ": " + std::to_string(column) + " is not a variable identifier (0 to 33)";
    }
  }
  Psu() = probe.Psu();
  return {};
}

CTabulon::CTabulon(Interaction& ui) : CPostProc(std::make_unique<CTabulonSetup>(), ui) {
  SetReaderFactory(DataFileReaderFactory(&ui));
}

bool CTabulon::TestFileName(const std::string& name) const {
  return IsReportInputName(name);
}

bool CTabulon::StartCheck() {
  if (ReportSetup().HasColumns()) return true;
  ui_.Message("No Data columns have been selected.", "Cannot Start Process", MsgIcon::Warning,
              MsgButtons::Ok);
  // The window brings its Data Setup page forward and opens the variable selection.
  if (page_) page_->ShowDataSetupPage();
  return false;
}

bool CTabulon::SelectInputs(std::vector<std::string> names) {
  if (!CheckReportInputSelection(names, ui_)) return false;
  CPostProcSetup& s = *setup_;
  s.inputFiles = names;
  s.outputFile = DefaultReportOutputName(s.inputFiles);
  s.lastProcessed = 0;
  OpenInputFiles();
  return true;
}

std::string CTabulon::PrepareReportRun(std::vector<std::string> paths, const std::string& output) {
  for (std::string& p : paths) {
    if (IsDirectory(p)) return p + " is a folder, not a .was or .wts file";
    if (!TestFileName(p)) return p + " is not a .was or .wts file";
    if (!IsFile(p)) return p + ": no such file";
    // The report's header names the inputs by full path, as the window does.
    p = FullPath(p);
  }
  if (!CheckReportInputSelection(paths, ui_)) return "the input files were not taken";
  CPostProcSetup& s = *setup_;
  ExtractDirectory(paths.front(), s.inputDir, 0);
  if (s.inputDir.empty()) s.inputDir = ".";
  s.inputFiles.clear();
  for (const std::string& p : paths) {
    std::string name;
    ExtractFileName(p, name, 0);
    s.inputFiles.push_back(name);
  }
  if (output.empty()) {
    s.outputDir = s.inputDir;
    s.outputFile = DefaultReportOutputName(s.inputFiles);
  } else {
    // A device or a folder is refused as it is named, never given an extension instead.
    if (std::string problem = CheckOutputFiles({}, {{"report file", output}}); !problem.empty())
      return problem;
    ExtractDirectory(output, s.outputDir, 0);
    if (s.outputDir.empty()) s.outputDir = ".";
    ExtractFileName(output, s.outputFile, 0);
    if (!IsDirectory(s.outputDir)) return s.outputDir + " is not a directory";
  }
  s.nameAppend.clear();
  if (OpenInputFiles() != static_cast<int>(paths.size())) return "the input files cannot be read";
  return {};
}

std::string CTabulon::OutcomeText() const {
  switch (outcome_) {
    case Outcome::kWritten:
      return {};
    case Outcome::kNone:
      return "no report was made";
    case Outcome::kSkipped:
      return "skipped; nothing was written";
    case Outcome::kCancelled:
      return reportPath_ + " exists and was not overwritten";
    case Outcome::kReadFailed:
      return "the input files could not be read; nothing was written";
    case Outcome::kWriteFailed:
      return "the report could not be written";
    case Outcome::kStopped:
      return "processing was stopped; nothing was written";
  }
  return {};
}

namespace {

// The column names a file offers: its X, Y and secondary variables.
std::vector<std::string> ColumnNamesOf(CRecordReader* reader) {
  std::vector<std::string> names, more;
  auto* r = dynamic_cast<CTGR41Reader*>(reader);
  if (!r) return reader ? reader->YVariableNames() : names;
  CTGR41File& f = r->File();
  f.GetAvailableXVariableNames(names);
  f.GetAvailableYVariableNames(more);
  names.insert(names.end(), more.begin(), more.end());
  f.GetSecondaryXVariableNames(more);
  names.insert(names.end(), more.begin(), more.end());
  f.GetSecondaryYVariableNames(more);
  names.insert(names.end(), more.begin(), more.end());
  return names;
}

ReportInput InputFromManager(const CTGR41FileManager& m,
                             const std::array<bool, kMaxDataTypes>& requested) {
  ReportInput in;
  in.path = m.Path();
  in.rows = m.Records();
  in.recordsRead = m.RecordsRead();
  in.requested = requested;
  for (int id = 0; id < kMaxDataTypes; ++id) {
    if (!requested[id]) continue;
    auto& v = in.values[id];
    v.resize(static_cast<size_t>(in.recordsRead), 0.0);
    for (int r = 0; r < in.recordsRead; ++r) {
      if (const double* d = m.Doubles(r, id))
        v[static_cast<size_t>(r)] = d[0];
      else if (const float* f = m.Floats(r, id))
        v[static_cast<size_t>(r)] = f[0];
    }
  }
  in.header.inputPath = m.Path();
  if (auto* r = dynamic_cast<CTGR41Reader*>(m.Reader())) {
    if (const auto* w = dynamic_cast<const CWaveOutputFile*>(&r->File())) {
      in.header.integrationTime = w->GetSamplePeriod();
      in.header.points = w->GetNumPoints();
      in.header.waterDepth = w->GetWaterDepth();
      in.header.instrumentDepth = w->GetInstrumentDepth();
      in.header.density = w->GetDensity();
    }
  }
  return in;
}

}  // namespace

std::vector<RoleFile> CTabulon::RunOutputs(const std::string& base) const {
  std::string name = base;
  if (!name.empty() && name.back() == '.') name += "r41";
  return {{"report file", name}};
}

int CTabulon::ProcessJob(CPostProcJob& job) {
  return ProcessFile(job);
}

std::optional<int> CTabulon::ChooseReportPath(const std::string& outputBase) {
  // The report path from the output naming: base up to its last dot, and the extension.
  const std::string name = RunOutputs(outputBase).front().path;
  const size_t dot = name.rfind('.');
  std::string base = name.substr(0, dot + 1);
  const std::string ext = name.substr(dot + 1);
  if (!CheckRunOutputs(name)) {
    outcome_ = Outcome::kWriteFailed;
    return 0;
  }
  switch (OverwritePrompt(base, ext)) {
    case Overwrite::kSkip:
      outcome_ = Outcome::kSkipped;
      return 1;
    case Overwrite::kCancel:
      outcome_ = Outcome::kCancelled;
      reportPath_ = base + ext;
      return 0;
    case Overwrite::kGo:
      break;
  }
  reportPath_ = base + ext;
  if (reportPath_ != name && !CheckRunOutputs(reportPath_)) {  // a name chosen at the prompt
    outcome_ = Outcome::kWriteFailed;
    return 0;
  }
  return std::nullopt;
}

bool CTabulon::RunStopped(CPostProcPage* page) {
  if (!Control().StopRequested()) return false;
  if (outcome_ == Outcome::kNone) outcome_ = Outcome::kStopped;
  if (page) page->ProcessingStopped(0);
  return true;
}

bool CTabulon::SaveRequestedColumns(CPostProcPage* page, Requested& requested) {
  const CTabulon_Psu& psu = ReportSetup().Psu();
  std::vector<std::vector<std::string>> names(inputs_.size());
  for (size_t f = 0; f < inputs_.size(); ++f) {
    inputs_[f]->ResetTables();
    inputs_[f]->SetSelection(0, 0, true);
    names[f] = ColumnNamesOf(inputs_[f]->Reader());
  }
  for (int slot = 0; slot < CTabulon_Psu::kSlots; ++slot) {
    if (RunStopped(page)) return false;
    if (page) page->ProgressPos(static_cast<int>(std::lround(slot * 100.0 / CTabulon_Psu::kSlots)));
    const int id = psu.columns[static_cast<size_t>(slot)];
    if (id < 0 || id >= kMaxDataTypes) continue;
    for (size_t f = 0; f < inputs_.size(); ++f) {
      std::array<bool, kMaxDataTypes> before = requested[f];
      RequestSlotVariable(id, names[f], requested[f]);
      for (int v = 0; v < kMaxDataTypes; ++v) {
        if (requested[f][v] && !before[v] && !inputs_[f]->SaveColumn(v, v == kVarDateTime, 1)) {
          outcome_ = Outcome::kReadFailed;
          Control().Stop();
        }
      }
    }
  }
  return true;
}

bool CTabulon::ReadInputs(CPostProcPage* page) {
  ProcessControl& stop = Control();
  for (size_t f = 0; f < inputs_.size(); ++f) {
    if (RunStopped(page)) return false;
    if (page) page->ProcessingFile(static_cast<int>(f), inputs_[f]->FileName());
    if (!inputs_[f]->Reader() || !inputs_[f]->ReadAllRecords(ui_, page, &stop) ||
        inputs_[f]->RecordsRead() == 0) {
      outcome_ = Outcome::kReadFailed;
      stop.Stop();
    }
  }
  return !RunStopped(page);
}

int CTabulon::ProcessFile(CPostProcJob& job) {
  outcome_ = Outcome::kNone;
  reportPath_.clear();
  if (std::optional<int> ended = ChooseReportPath(job.outputBase)) return *ended;
  CPostProcPage* page = job.page;
  if (page) {
    page->StatusText("Preparing to process files.  Please wait.");
    page->ProcessingStarted(static_cast<int>(inputs_.size()));
    page->ProgressRange(0, 100);
  }
  Requested requested(inputs_.size());
  if (!SaveRequestedColumns(page, requested) || !ReadInputs(page)) return 0;

  std::vector<ReportInput> read;
  for (size_t f = 0; f < inputs_.size(); ++f)
    read.push_back(InputFromManager(*inputs_[f], requested[f]));
  const ReportTable table = CombineReportInputs(read);
  if (RunStopped(page)) return 0;
  if (!CReportWriter(reportPath_, ReportSetup().Psu()).Write(table, ui_)) {
    outcome_ = Outcome::kWriteFailed;
    return 0;
  }
  outcome_ = Outcome::kWritten;
  return 1;
}

}  // namespace tidora
