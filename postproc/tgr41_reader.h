#pragma once

#include <memory>

#include "datafile/tgr41file.h"
#include "postproc/file_manager.h"

namespace tidora {

// The data file library's reader objects behind the input managers' reader interface.
class CTGR41Reader : public CRecordReader {
 public:
  explicit CTGR41Reader(std::unique_ptr<CTGR41File> file);
  bool OpenFile(const std::string& path) override { return file_->OpenFile(path); }
  void CloseFile() override { file_->CloseFile(); }
  int ReadFileInfo(const std::string& path, int& nBursts) override {
    return file_->ReadFileInfo(path, nBursts);
  }
  int GetNumXDataColumns() override { return file_->GetNumXDataColumns(); }
  int GetNumYDataColumns() override { return file_->GetNumYDataColumns(); }
  std::vector<std::string> YVariableNames() override;
  bool SkipAtStart(int n) override { return file_->SkipAtStart(n) != 0; }
  int ReadData(float*** data, double*** times, int row, double** minima, double** maxima,
               int& count, const int* lengths) override;
  int GetFileID() const override { return file_->GetFileID(); }
  std::string DataError() const override { return file_->GetDataError(); }
  bool From2000() const override { return file_->Is2000Based(); }
  CTGR41File& File() { return *file_; }

 private:
  std::unique_ptr<CTGR41File> file_;
  DataArrays arrays_;
};

// Readers by extension ("TID", "WB", "WAS", "WTS", "WT" in any case) through CreateFileObject;
// the files show their reading messages through `ui` when one is given.
ReaderFactory DataFileReaderFactory(Interaction* ui = nullptr);

}  // namespace tidora
