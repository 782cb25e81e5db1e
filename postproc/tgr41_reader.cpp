#include "postproc/tgr41_reader.h"

#include <algorithm>

#include "datafile/wbfile.h"

namespace tidora {

namespace {

template <typename T>
void CopyEntries(const T* from, size_t n, float* values, double* doubles) {
  for (size_t i = 0; i < n; ++i) {
    const double v = from[i];
    if (values) values[i] = static_cast<float>(v);
    if (doubles) doubles[i] = v;
  }
}

}  // namespace

CTGR41Reader::CTGR41Reader(std::unique_ptr<CTGR41File> file) : file_(std::move(file)) {}

std::vector<std::string> CTGR41Reader::YVariableNames() {
  std::vector<std::string> names;
  file_->GetAvailableYVariableNames(names);
  return names;
}

int CTGR41Reader::ReadData(float*** data, double*** times, int row, double** minima,
                           double** maxima, int& count, const int* lengths) {
  float** values = data[row];
  double** doubles = times[row];
  for (int id = 0; id < kMaxDataTypes; ++id) {
    arrays_.Want(id, values[id] != nullptr || doubles[id] != nullptr);
    arrays_.hasRange[id] = false;
  }
  const int result = file_->ReadData(arrays_, row, count);
  if (!result) return 0;
  // The tide reader stores record `row` at index `row`; burst readers store from index 0.
  const bool tide = file_->GetFileID() == kTideFileId;
  for (int id = 0; id < kMaxDataTypes; ++id) {
    if (!arrays_.Wants(id)) continue;
    const size_t stored =
        DataArrays::IsTimeId(id) ? arrays_.times[id].size() : arrays_.values[id].size();
    const size_t first = tide ? static_cast<size_t>(row) : 0;
    // A burst fills `count` entries; the arrays keep longer earlier bursts' tails.
    const size_t filled = std::min(stored, static_cast<size_t>(std::max(count, 1)));
    const size_t n = tide ? (stored > first ? 1 : 0)
                          : std::min(filled, static_cast<size_t>(std::max(lengths[id], 0)));
    // Only stored entries are copied (n never passes `stored`): no index checks per entry.
    if (DataArrays::IsTimeId(id))
      CopyEntries(arrays_.times[id].data() + first, n, values[id], doubles[id]);
    else
      CopyEntries(arrays_.values[id].data() + first, n, values[id], doubles[id]);
    minima[row][id] = arrays_.minimum[id];
    maxima[row][id] = arrays_.maximum[id];
  }
  // A burst's time range is its start time and its last sample's time.
  if (const auto* wb = dynamic_cast<const CWbFile*>(file_.get())) {
    const BurstHeader& h = wb->GetLastHeader();
    minima[row][kVarTime] = h.start;
    maxima[row][kVarTime] = h.start + (count > 0 ? count - 1 : 0) * h.period;
  }
  return result;
}

ReaderFactory DataFileReaderFactory(Interaction* ui) {
  return [ui](const std::string& path) -> std::unique_ptr<CRecordReader> {
    const int id = FileIdFromExtension(path);
    if (id < 0) return nullptr;
    std::unique_ptr<CTGR41File> file = CreateFileObject(id);
    if (!file) return nullptr;
    file->SetInteraction(ui);
    return std::make_unique<CTGR41Reader>(std::move(file));
  };
}

}  // namespace tidora
