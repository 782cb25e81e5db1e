#pragma once

// A reader that takes its time over every row of another, so that a test's stop arrives while
// a file is being read.

#include <chrono>
#include <memory>
#include <thread>

#include "postproc/file_manager.h"

namespace tidora::testing {

class SlowReader : public CRecordReader {
 public:
  explicit SlowReader(std::unique_ptr<CRecordReader> r,
                      std::chrono::milliseconds perRow = std::chrono::milliseconds(2))
      : r_(std::move(r)), perRow_(perRow) {}
  bool OpenFile(const std::string& p) override { return r_->OpenFile(p); }
  void CloseFile() override { r_->CloseFile(); }
  int ReadFileInfo(const std::string& p, int& n) override { return r_->ReadFileInfo(p, n); }
  int GetNumXDataColumns() override { return r_->GetNumXDataColumns(); }
  int GetNumYDataColumns() override { return r_->GetNumYDataColumns(); }
  std::vector<std::string> YVariableNames() override { return r_->YVariableNames(); }
  bool SkipAtStart(int n) override { return r_->SkipAtStart(n); }
  int ReadData(float*** data, double*** times, int row, double** minima, double** maxima,
               int& count, const int* lengths) override {
    std::this_thread::sleep_for(perRow_);
    return r_->ReadData(data, times, row, minima, maxima, count, lengths);
  }
  int GetFileID() const override { return r_->GetFileID(); }
  bool From2000() const override { return r_->From2000(); }

 private:
  std::unique_ptr<CRecordReader> r_;
  std::chrono::milliseconds perRow_;
};

}  // namespace tidora::testing
