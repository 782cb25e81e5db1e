// Tide files come from the converter, the merge and people's editors: reading one must
// never crash or overrun, whatever bytes it holds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "datafile/tgr41file.h"
#include "testing/test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    static tidora::testing::TempDir dir;  // lives for the whole run
    return dir.file("fuzz.tid");
  }();
  tidora::testing::WriteFile(path, std::string(reinterpret_cast<const char*>(data), size));
  auto reader = tidora::CreateFileObject(tidora::kTideFileId);
  int nSubTitles = 0;
  int rows = reader->ReadFileInfo(path, nSubTitles);
  std::vector<std::string> names;
  reader->GetAvailableYVariableNames(names);
  reader->GetAvailableXVariableNames(names);
  if (rows > 0) {
    int skip = size > 0 ? data[0] % 3 : 0;
    if (reader->SkipAtStart(skip)) {
      tidora::DataArrays arrays;
      for (int id = 0; id < tidora::kMaxDataTypes; ++id) arrays.Want(id);
      int count = 0;
      for (int row = 0; row < 100000 && reader->ReadData(arrays, row, count); ++row) {
      }
    }
  }
  reader->CloseFile();
  return 0;
}
