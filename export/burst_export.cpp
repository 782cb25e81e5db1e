// A wave burst file as a burst x sample matrix of pressures, chunked and compressed.
//
// Parsing the text is most of the work, so two readers share it: they take turns by blocks of
// bursts, each skipping the other's blocks by seeking (every row has the same length), while
// this thread writes the blocks in order. Memory holds a few blocks, however long the file.
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>

#include "datafile/wbfile.h"
#include "export/export_parts.h"

namespace tidora {
namespace {

// Consecutive bursts as one reader parsed them.
struct BurstBlock {
  size_t rows = 0;
  std::vector<double> time, burst, period;
  std::vector<float> pressure;  // rows x samples; fill values where a burst is short
  std::string error;
  bool last = false;  // the file ends in this block
};

class BlockReader {
 public:
  BlockReader(CWbFile& reader, bool second, size_t blockRows, size_t samples, double period,
              const std::string& path)
      : reader_(reader),
        second_(second),
        blockRows_(blockRows),
        samples_(samples),
        period_(period),
        path_(path) {
    for (int id : {kVarSubsurfacePressure, kVarBurstNumber, kVarPeriod}) data_.Want(id);
  }

  // The thread's work: every other block, from the first or the second.
  void Run() {
    int count = 0;
    // The second reader starts at the file's start: it reads one burst and skips the rest of
    // the first block.
    if (second_ && (!reader_.ReadData(data_, 0, count) ||
                    (blockRows_ > 1 && !reader_.SkipAtStart(static_cast<int>(blockRows_ - 1))))) {
      Push(Ended());
      return;
    }
    for (;;) {
      BurstBlock block = Parse();
      const bool end = block.last || !block.error.empty();
      if (!Push(std::move(block)) || end) return;
      if (!reader_.SkipAtStart(static_cast<int>(blockRows_))) {
        Push(Ended());
        return;
      }
    }
  }

  // The next block of this reader, waiting for it to be parsed.
  BurstBlock Take() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !ready_.empty(); });
    BurstBlock block = std::move(ready_.front());
    ready_.pop_front();
    changed_.notify_all();
    return block;
  }

  void Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    changed_.notify_all();
  }

 private:
  static BurstBlock Ended() {
    BurstBlock block;
    block.last = true;
    return block;
  }

  BurstBlock Parse() {
    BurstBlock b;
    b.time.resize(blockRows_);
    b.burst.resize(blockRows_);
    b.period.resize(blockRows_);
    b.pressure.assign(blockRows_ * samples_, static_cast<float>(NcFillValue(NcType::kFloat)));
    int count = 0;
    while (b.rows < blockRows_) {
      if (!reader_.ReadData(data_, 0, count)) {
        b.error = reader_.GetDataError();  // a damaged burst is no end of the file
        b.last = true;
        break;
      }
      const BurstHeader& h = reader_.GetLastHeader();
      // One sample axis serves every burst; a burst that does not fit it is not bent to fit.
      if (static_cast<size_t>(count) > samples_ || h.period != period_) {
        b.error = path_ + ": burst " + std::to_string(h.burst) + " has " + std::to_string(count) +
                  " samples " + std::to_string(h.period) + " s apart, unlike the first burst's " +
                  std::to_string(samples_) + " samples " + std::to_string(period_) + " s apart";
        break;
      }
      b.time[b.rows] = BurstStartSeconds(reader_, h.start);
      b.burst[b.rows] = data_.Get(kVarBurstNumber, 0);
      b.period[b.rows] = data_.Get(kVarPeriod, 0);
      const float* p = data_.values[kVarSubsurfacePressure].data();
      std::copy(p, p + count, b.pressure.begin() + static_cast<std::ptrdiff_t>(b.rows * samples_));
      ++b.rows;
    }
    return b;
  }

  // Queues a block, waiting while two wait already; false once stopped.
  bool Push(BurstBlock block) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return stop_ || ready_.size() < 2; });
    if (stop_) return false;
    ready_.push_back(std::move(block));
    changed_.notify_all();
    return true;
  }

  CWbFile& reader_;
  const bool second_;
  const size_t blockRows_, samples_;
  const double period_;
  const std::string path_;
  DataArrays data_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<BurstBlock> ready_;
  bool stop_ = false;
};

}  // namespace

// Calendar seconds of a burst's start on the recorder's clock.
double BurstStartSeconds(const CTGR41File& reader, double start) {
  std::tm t{};
  reader.AddP41Time(start, &t);
  return CalendarSeconds(t);
}

bool ExportBursts(NcFile& nc, OpenedSource& source, const ExportOptions& options,
                  std::string& error) {
  auto& reader = static_cast<CWbFile&>(*source.reader);
  const std::string name = std::filesystem::path(source.path).filename().string();
  const size_t samples = static_cast<size_t>(reader.GetSamplesPerBurst());
  const double period = reader.GetSamplePeriod();
  CommonParts common =
      WriteCommonParts(nc, options, "Wave bursts of " + name, SourceRoot(source.path));
  nc.Text(-1, "source_file", name);
  nc.Text(-1, "recorder_clock",
          reader.Is2000Based() ? "seconds from 2000-01-01 (TGR 41plus)"
                               : "TIDEWELL calendar (365-day years from 1989)");
  nc.Number(-1, "samples_per_burst", static_cast<double>(samples), NcType::kInt);
  nc.Number(-1, "sample_period", period);
  nc.Number(-1, "bursts", reader.GetNumBursts(), NcType::kInt);

  const int timeDim = nc.Dim("time", 0);
  const int sampleDim = nc.Dim("time_in_burst", samples);
  const int timeVar = DefineTime(nc, timeDim, "burst start time");
  const int offsetVar = DefineCatalogueVariable(nc, kVarTime, {sampleDim}, "");
  nc.Text(offsetVar, "comment", "time of each sample from the start of its burst");
  const int burstVar =
      DefineCatalogueVariable(nc, kVarBurstNumber, {timeDim}, common.coordinates, {4096});
  const int periodVar =
      DefineCatalogueVariable(nc, kVarPeriod, {timeDim}, common.coordinates, {4096});
  nc.Text(periodVar, "long_name", "sample period");
  // Chunks of about 64 k samples: large enough to compress well, one block of rows in memory.
  const size_t blockRows = std::clamp<size_t>(65536 / std::max<size_t>(samples, 1), 1, 4096);
  const int pressureVar = DefineCatalogueVariable(nc, kVarSubsurfacePressure, {timeDim, sampleDim},
                                                  common.coordinates, {blockRows, samples});
  WriteUserAttributes(nc, options);
  if (!nc.EndDefinitions()) return false;
  WriteCommonValues(nc, common, options);
  std::vector<double> offsets(samples);
  for (size_t i = 0; i < samples; ++i) offsets[i] = static_cast<double>(i) * period;
  nc.Put(offsetVar, {0}, {samples}, offsets.data());

  // The second reader is the first's twin: the same header values, its own position.
  std::unique_ptr<CTGR41File> twin = CreateFileObject(kWaveBurstFileId);
  if (!twin->OpenFile(source.path) || !CopyFileObject(twin.get(), &reader)) {
    error = source.path + ": cannot be opened";
    return false;
  }
  BlockReader readers[2] = {
      {reader, false, blockRows, samples, period, source.path},
      {static_cast<CWbFile&>(*twin), true, blockRows, samples, period, source.path}};
  std::thread threads[2] = {std::thread([&] { readers[0].Run(); }),
                            std::thread([&] { readers[1].Run(); })};
  size_t written = 0;
  for (size_t j = 0; nc.Ok(); ++j) {
    BurstBlock block = readers[j % 2].Take();
    if (!block.error.empty()) {
      error = block.error;
      break;
    }
    if (block.rows > 0) {
      nc.Put(timeVar, {written}, {block.rows}, block.time.data());
      nc.Put(burstVar, {written}, {block.rows}, block.burst.data());
      nc.Put(periodVar, {written}, {block.rows}, block.period.data());
      nc.Put(pressureVar, {written, 0}, {block.rows, samples}, block.pressure.data());
      written += block.rows;
    }
    if (block.last || block.rows < blockRows) break;
  }
  for (BlockReader& r : readers) r.Stop();
  for (std::thread& t : threads) t.join();
  twin->CloseFile();
  if (error.empty() && !nc.Ok()) error = nc.Error();
  return error.empty();
}

}  // namespace tidora
