#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "datafile/tgr41file.h"
#include "postproc/process_control.h"

namespace tidora {

class Interaction;
class CPostProcPage;

// What an input manager needs of a data file reader. The data file library's reader objects
// stand behind it; tests put readers over memory behind it.
class CRecordReader {
 public:
  virtual ~CRecordReader() = default;
  virtual bool OpenFile(const std::string& path) = 0;
  virtual void CloseFile() = 0;
  // Number of rows (0: no data); nBursts receives the number of bursts or subtitles.
  virtual int ReadFileInfo(const std::string& path, int& nBursts) = 0;
  virtual int GetNumXDataColumns() = 0;
  virtual int GetNumYDataColumns() = 0;
  virtual std::vector<std::string> YVariableNames() = 0;
  // Moves past n rows or bursts; false when the file does not have them.
  virtual bool SkipAtStart(int n) = 0;
  // Reads the next row or burst into row `row` of the caller's arrays: data[row][id] (floats)
  // or times[row][id] (doubles) for every identifier whose array exists, lengths[id] values
  // long (a reader never writes past them); minima and maxima per identifier. 0 at the end of
  // the data.
  virtual int ReadData(float*** data, double*** times, int row, double** minima, double** maxima,
                       int& count, const int* lengths) = 0;
  virtual int GetFileID() const = 0;
  // Why the last ReadData returned 0 before the end of the data; empty at the end.
  virtual std::string DataError() const { return {}; }
  // Burst times count from 2000 (the file began with "TGR 41plus").
  virtual bool From2000() const = 0;
};

// Makes the reader for a file name's extension ("TID", "WB", "WAS", "WTS", "WT" in any case);
// nullptr for other extensions.
using ReaderFactory = std::function<std::unique_ptr<CRecordReader>(const std::string& path)>;

// One selected input file: its reader, its size and, once read, every record of it in memory.
class CTGR41FileManager {
 public:
  CTGR41FileManager(std::string path, std::unique_ptr<CRecordReader> reader);
  ~CTGR41FileManager();
  CTGR41FileManager(const CTGR41FileManager&) = delete;
  CTGR41FileManager& operator=(const CTGR41FileManager&) = delete;

  // Reads the file's overview through the reader (opening step); false when it has no reader
  // or the reader cannot open it.
  bool ReadInfo();

  // Burst selection: count to read (0 with toEnd), records to skip at the start, to-the-end.
  void SetSelection(int count, int skip, bool toEnd);
  // Forgets the stored records and the variables' allocation.
  void ResetTables();
  // Allocates variable `id` for every record to be read, `length` values each (single or
  // double precision, zero-filled). A variable that changes precision loses its old arrays.
  // False (with a line in the diagnostic log) when memory runs out.
  bool SaveColumn(int id, bool doublePrecision, int length);
  // Records that the selection will read (records - skip, limited by the count).
  int RecordsToRead() const;

  // Reads the selected records into the storage, sending progress to the page and watching
  // the stop flag. False after a "Process Error" box or when the reader fails.
  bool ReadAllRecords(Interaction& ui, CPostProcPage* page, ProcessControl* stop);

  void SetPage(CPostProcPage* page) { page_ = page; }

  const std::string& Path() const { return path_; }
  std::string FileName() const;
  CRecordReader* Reader() const { return reader_.get(); }
  bool IsTideFile() const { return reader_ && reader_->GetFileID() == 0; }
  int Rows() const { return rows_; }
  int Bursts() const { return bursts_; }
  int Records() const { return IsTideFile() ? rows_ : bursts_; }
  int RecordsRead() const { return recordsRead_; }
  int NumXColumns() const { return xColumns_; }
  int NumYColumns() const { return yColumns_; }
  const std::vector<std::string>& YNames() const { return yNames_; }
  bool From2000() const { return reader_ && reader_->From2000(); }

  // Stored values of record r (0-based among the records read); nullptr when not allocated.
  const float* Floats(int r, int id) const;
  const double* Doubles(int r, int id) const;
  int Length(int id) const { return id >= 0 && id < kMaxDataTypes ? length_[id] : 0; }
  double Minimum(int r, int id) const { return minima_[size_t(r) * kMaxDataTypes + id]; }
  double Maximum(int r, int id) const { return maxima_[size_t(r) * kMaxDataTypes + id]; }

 private:
  void FreeColumn(int id);
  void EnsureRecordTables();

  std::string path_;
  std::unique_ptr<CRecordReader> reader_;
  CPostProcPage* page_ = nullptr;
  int rows_ = 0, bursts_ = 0, xColumns_ = 0, yColumns_ = 0;
  std::vector<std::string> yNames_;
  int count_ = 0, skip_ = 0;
  bool toEnd_ = true;
  int recordsRead_ = 0;
  int tableRecords_ = 0;  // records the tables are sized for
  bool isDouble_[kMaxDataTypes] = {};
  int length_[kMaxDataTypes] = {};
  // Per record: kMaxDataTypes pointers (float and double), minima and maxima.
  std::vector<float*> floatPtrs_;
  std::vector<double*> doublePtrs_;
  std::vector<float**> floatRows_;
  std::vector<double**> doubleRows_;
  std::vector<double> minima_, maxima_;
  std::vector<double*> minRows_, maxRows_;
};

}  // namespace tidora
