#include "postproc/file_manager.h"

#include <algorithm>
#include <new>

#include "outside/utility.h"
#include "platform/interaction.h"
#include "postproc/page.h"

namespace tidora {

CTGR41FileManager::CTGR41FileManager(std::string path, std::unique_ptr<CRecordReader> reader)
    : path_(std::move(path)), reader_(std::move(reader)) {}

CTGR41FileManager::~CTGR41FileManager() {
  ResetTables();
}

std::string CTGR41FileManager::FileName() const {
  std::string name;
  ExtractFileName(path_, name, 0);
  return name;
}

bool CTGR41FileManager::ReadInfo() {
  if (!reader_ || !reader_->OpenFile(path_)) return false;
  int bursts = 0;
  rows_ = reader_->ReadFileInfo(path_, bursts);
  bursts_ = bursts;
  xColumns_ = reader_->GetNumXDataColumns();
  yColumns_ = reader_->GetNumYDataColumns();
  yNames_ = reader_->YVariableNames();
  reader_->CloseFile();
  ResetTables();
  return true;
}

void CTGR41FileManager::SetSelection(int count, int skip, bool toEnd) {
  count_ = count < 0 ? 0 : count;
  skip_ = skip < 0 ? 0 : skip;
  toEnd_ = toEnd;
}

int CTGR41FileManager::RecordsToRead() const {
  const int available = Records() - skip_;
  if (available < 1) return 0;
  return toEnd_ || count_ > available ? available : count_;
}

void CTGR41FileManager::FreeColumn(int id) {
  for (int r = 0; r < tableRecords_; ++r) {
    float*& f = floatPtrs_[size_t(r) * kMaxDataTypes + id];
    double*& d = doublePtrs_[size_t(r) * kMaxDataTypes + id];
    delete[] f;
    delete[] d;
    f = nullptr;
    d = nullptr;
  }
  length_[id] = 0;
}

void CTGR41FileManager::ResetTables() {
  for (int id = 0; id < kMaxDataTypes; ++id) {
    if (length_[id]) FreeColumn(id);
    isDouble_[id] = false;
  }
  floatPtrs_.clear();
  doublePtrs_.clear();
  floatRows_.clear();
  doubleRows_.clear();
  minima_.clear();
  maxima_.clear();
  minRows_.clear();
  maxRows_.clear();
  tableRecords_ = 0;
  recordsRead_ = 0;
}

void CTGR41FileManager::EnsureRecordTables() {
  const int records = RecordsToRead();
  if (tableRecords_ == records && !floatRows_.empty()) return;
  ResetTables();
  tableRecords_ = records;
  const size_t cells = size_t(records) * kMaxDataTypes;
  floatPtrs_.assign(cells, nullptr);
  doublePtrs_.assign(cells, nullptr);
  minima_.assign(cells, 0.0);
  maxima_.assign(cells, 0.0);
  floatRows_.resize(records);
  doubleRows_.resize(records);
  minRows_.resize(records);
  maxRows_.resize(records);
  for (int r = 0; r < records; ++r) {
    floatRows_[r] = &floatPtrs_[size_t(r) * kMaxDataTypes];
    doubleRows_[r] = &doublePtrs_[size_t(r) * kMaxDataTypes];
    minRows_[r] = &minima_[size_t(r) * kMaxDataTypes];
    maxRows_[r] = &maxima_[size_t(r) * kMaxDataTypes];
  }
}

bool CTGR41FileManager::SaveColumn(int id, bool doublePrecision, int length) {
  if (id < 0 || id >= kMaxDataTypes || length < 1) return false;
  EnsureRecordTables();
  if (length_[id] && (isDouble_[id] != doublePrecision || length_[id] != length)) FreeColumn(id);
  isDouble_[id] = doublePrecision;
  length_[id] = length;
  for (int r = 0; r < tableRecords_; ++r) {
    const size_t cell = size_t(r) * kMaxDataTypes + id;
    if (doublePrecision && !doublePtrs_[cell])
      doublePtrs_[cell] = new (std::nothrow) double[length]();
    if (!doublePrecision && !floatPtrs_[cell])
      floatPtrs_[cell] = new (std::nothrow) float[length]();
    if (doublePrecision ? !doublePtrs_[cell] : !floatPtrs_[cell]) {
      BRUtility::CDiagnostics::Log("CTGR41FileManager::SaveColumn failed to allocate memory.");
      FreeColumn(id);
      return false;
    }
  }
  return true;
}

const float* CTGR41FileManager::Floats(int r, int id) const {
  if (r < 0 || r >= recordsRead_ || id < 0 || id >= kMaxDataTypes) return nullptr;
  return floatPtrs_[size_t(r) * kMaxDataTypes + id];
}

const double* CTGR41FileManager::Doubles(int r, int id) const {
  if (r < 0 || r >= recordsRead_ || id < 0 || id >= kMaxDataTypes) return nullptr;
  return doublePtrs_[size_t(r) * kMaxDataTypes + id];
}

bool CTGR41FileManager::ReadAllRecords(Interaction& ui, CPostProcPage* page, ProcessControl* stop) {
  recordsRead_ = 0;
  if (!reader_ || !reader_->OpenFile(path_)) return false;
  int bursts = 0;
  rows_ = reader_->ReadFileInfo(path_, bursts);
  bursts_ = bursts;
  const bool tide = IsTideFile();
  const int records = Records();
  if (records - skip_ < 1 && records > 0) {
    ui.Message((tide ? "'Scans to skip at start' is greater than the number of scans in "
                     : "'Wave bursts to skip at start' is greater than the number of wave "
                       "bursts in ") +
                   FileName() + ".",
               "Process Error", MsgIcon::Warning, MsgButtons::Ok);
    reader_->CloseFile();
    return false;
  }
  const int count = RecordsToRead();
  EnsureRecordTables();
  if (page) page->ProgressRange(0, 100);
  if (skip_ > 0 && !reader_->SkipAtStart(skip_)) {
    ui.Message("Wave burst file is corrupt: " + FileName() + ".", "Process Error", MsgIcon::Warning,
               MsgButtons::Ok);
    reader_->CloseFile();
    return false;
  }
  const int step = std::max(1, count / 100);
  for (int i = 0; i < count; ++i) {
    if (i % step == 0) {
      if (stop && stop->StopRequested()) break;
      if (page) page->ProgressPos(static_cast<int>(static_cast<long long>(i) * 100 / count));
    }
    int valueCount = 0;
    if (!reader_->ReadData(floatRows_.data(), doubleRows_.data(), i, minRows_.data(),
                           maxRows_.data(), valueCount, length_))
      break;
    recordsRead_ = i + 1;
  }
  reader_->CloseFile();
  if (const std::string error = reader_->DataError(); !error.empty()) {
    ui.Message(error + ".", "Process Error", MsgIcon::Warning, MsgButtons::Ok);
    return false;
  }
  return true;
}

}  // namespace tidora
