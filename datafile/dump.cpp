#include "datafile/dump.h"

#include <algorithm>
#include <filesystem>

#include "datafile/textio.h"
#include "datafile/tgr41file.h"
#include "datafile/tidfile.h"
#include "datafile/wavefiles.h"
#include "datafile/writers.h"
#include "outside/utility.h"

namespace tidora {
namespace {

// Values a burst reader stores once per burst (index 0) rather than per sample or band.
bool IsPerBurstValue(int fileId, int id) {
  switch (fileId) {
    case kWaveBurstFileId:
      return id == kVarBurstNumber || id == kVarPeriod || id == kVarNumberOfWaves;
    case kWasFileId:
      return id != kVarEnergyDensity && id != kVarFrequency;
    case kWtsFileId:
      return true;
    default:
      return false;
  }
}

// Lines a burst gives: one per sample, per band when band values are asked of a .was file,
// else one per burst.
int LinesOfBurst(CTGR41File& reader, const std::vector<int>& vars, int count) {
  switch (reader.GetFileID()) {
    case kWasFileId:
      for (int id : vars)
        if (!IsPerBurstValue(kWasFileId, id))
          return std::clamp(static_cast<CWasFile&>(reader).GetLastHeader().bands, 0,
                            kMaxWaveSeriesLength);
      return 1;
    case kWtsFileId:
      return 1;
    default:
      return count;
  }
}

// The CSV text of a value, appended to `out`.
void AppendValue(std::string& out, const DataArrays& data, int id, size_t index) {
  double v = data.Get(id, index);
  if (id == kVarDateTime) {
    AppendDataDateTime(out, CalendarTime(v));
    return;
  }
  if (!DataArrays::IsTimeId(id)) {
    AppendShortest(out, static_cast<float>(v));
    return;
  }
  // Times within a burst are multiples of the sample period: to the microsecond, without
  // the binary noise of the multiplication (3 x 0.1 s reads "0.3").
  const size_t start = out.size();
  AppendFixed(out, v, 1, 6);
  if (out.find('.', start) != std::string::npos) {
    while (out.back() == '0') out.pop_back();
    if (out.back() == '.') out.pop_back();
  }
  if (out.compare(start, std::string::npos, "-0") == 0) out.replace(start, 2, "0");
}

// CSV text is handed to the stream in pieces of about this size.
constexpr size_t kCsvChunk = 1 << 20;

}  // namespace

std::string DumpColumnName(int id) {
  std::string name;
  GetDataNameFromID(name, id);
  // The catalogue names of these three carry no unit; a CSV reader needs one for every column.
  switch (id) {
    case kVarDateTime:
      return name + " [MM/DD/YYYY HH:MM:SS]";
    case kVarBurstNumber:
      return name + " [count]";
    case kVarNumberOfWaves:
      return "Number of waves [count], time series statistics";
    default:
      return name;
  }
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

bool ParseVariableList(const std::string& text, std::vector<int>& ids, std::string& error) {
  ids.clear();
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    std::string item =
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    FieldScanner s(item);
    int id = 0;
    if (!s.Int(id) || !s.AtEnd()) {
      error = "\"" + item + "\" is not a variable id (a list of numbers 0 to 33, like 4,19,27)";
      return false;
    }
    ids.push_back(id);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return true;
}

std::vector<int> DefaultDumpVariables(CTGR41File& reader) {
  std::vector<int> ids;
  std::vector<int> readable = reader.GetReadableVariableIDs();
  auto readableId = [&](int id) {
    return std::find(readable.begin(), readable.end(), id) != readable.end();
  };
  auto add = [&](int id) {
    if (id >= 0 && id < kNumVariableIds && std::find(ids.begin(), ids.end(), id) == ids.end())
      ids.push_back(id);
  };
  if (reader.GetFileID() != kTideFileId && readableId(kVarBurstNumber)) add(kVarBurstNumber);
  std::vector<std::string> xNames;
  reader.GetAvailableXVariableNames(xNames);
  if (!xNames.empty()) {
    int id = -1;
    if (GetID_FromDataName(id, xNames.front())) add(id);
  }
  for (int i = 1; i <= 4; ++i) add(reader.GetDefaultVarID(i));
  return ids;
}

namespace {

// OpenDataFile; with readOnce a tide file is looked at only up to its first record.
std::unique_ptr<CTGR41File> OpenReader(const std::string& path, std::string& error, Interaction* ui,
                                       int* rowsOut, int* nSubTitlesOut, bool readOnce) {
  int fileId = FileIdFromExtension(path);
  std::string ext;
  ExtractExtension(path, ext);
  if (fileId < 0) {
    error = path + ": not a data file (expected .tid, .wb, .was, .wts or .wt)";
    return nullptr;
  }
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    error = path + ": no such file";
    return nullptr;
  }
  if (!std::filesystem::is_regular_file(path, ec)) {
    error = path + ": not a regular file";
    return nullptr;
  }
  std::unique_ptr<CTGR41File> reader = CreateFileObject(fileId);
  if (!reader) {
    error = path + ": reading ." + ext + " files is not available yet";
    return nullptr;
  }
  reader->SetInteraction(ui);
  if (!reader->OpenFile(path)) {
    error = path + ": cannot be opened";
    return nullptr;
  }
  if (auto* tide = dynamic_cast<CTidFile*>(reader.get())) tide->StopInfoAtFirstRecord(readOnce);
  int nSubTitles = 0;
  const int rows = reader->ReadFileInfo(path, nSubTitles);
  if (rowsOut) *rowsOut = rows;
  if (nSubTitlesOut) *nSubTitlesOut = nSubTitles;
  if (rows <= 0) {
    error = std::filesystem::file_size(path, ec) == 0 ? path + ": the file is empty"
                                                      : path + ": the file holds no data";
    return nullptr;
  }
  return reader;
}

}  // namespace

std::unique_ptr<CTGR41File> OpenDataFile(const std::string& path, std::string& error,
                                         Interaction* ui, int* rowsOut, int* nSubTitlesOut) {
  return OpenReader(path, error, ui, rowsOut, nSubTitlesOut, false);
}

bool CheckVariablesInFile(CTGR41File& reader, const std::vector<int>& vars, const std::string& path,
                          std::string& error) {
  std::vector<int> readable = reader.GetReadableVariableIDs();
  for (int id : vars) {
    std::string name;
    if (!GetDataNameFromID(name, id)) {
      error = "unknown variable id " + std::to_string(id) + " (ids are 0 to 33)";
      return false;
    }
    if (std::find(readable.begin(), readable.end(), id) == readable.end()) {
      error = "variable " + std::to_string(id) + " (" + name + ") is not in " + path;
      return false;
    }
  }
  return true;
}

bool DumpDataFileCsv(const std::string& path, const std::vector<int>& requested, std::ostream& out,
                     std::string& error, long maxRows) {
  // The dump reads the file through once: no rows are counted beforehand.
  std::unique_ptr<CTGR41File> reader = OpenReader(path, error, nullptr, nullptr, nullptr, true);
  if (!reader) return false;
  const int fileId = reader->GetFileID();
  std::vector<int> vars = requested.empty() ? DefaultDumpVariables(*reader) : requested;
  if (!CheckVariablesInFile(*reader, vars, path, error)) return false;

  for (size_t i = 0; i < vars.size(); ++i)
    out << (i ? "," : "") << CsvField(DumpColumnName(vars[i]));
  out << "\r\n";

  DataArrays data;
  for (int id : vars) data.Want(id);
  long written = 0;
  std::string text;
  auto emit = [&](size_t index, size_t perBurstIndex) {
    for (size_t i = 0; i < vars.size(); ++i) {
      if (i) text += ',';
      size_t at = IsPerBurstValue(fileId, vars[i]) ? perBurstIndex : index;
      AppendValue(text, data, vars[i], at);
    }
    text += "\r\n";
    if (text.size() >= kCsvChunk) {
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
      text.clear();
    }
    ++written;
  };
  int count = 0;
  for (int row = 0; maxRows < 0 || written < maxRows; ++row) {
    if (fileId == kTideFileId) {
      // The dump streams: every record goes to index 0 and straight out.
      if (!reader->ReadData(data, 0, count)) break;
      emit(0, 0);
    } else {
      if (!reader->ReadData(data, row, count)) break;
      const int lines = LinesOfBurst(*reader, vars, count);
      for (int i = 0; i < lines && (maxRows < 0 || written < maxRows); ++i)
        emit(static_cast<size_t>(i), 0);
    }
  }
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  const std::string dataError = reader->GetDataError();
  reader->CloseFile();
  out.flush();
  if (!out) {
    error = "writing the CSV failed";
    return false;
  }
  if (!dataError.empty()) {
    error = dataError;
    return false;
  }
  return true;
}

}  // namespace tidora
