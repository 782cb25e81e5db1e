// The wave output files are read back by the report module and the plotting component, and
// people edit them: reading one must never crash or overrun, whatever bytes it holds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "datafile/tgr41file.h"
#include "platform/interaction.h"
#include "testing/test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static tidora::testing::TempDir dir;  // lives for the whole run
  static tidora::ScriptedInteraction ui;
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (int kind : {tidora::kWasFileId, tidora::kWtsFileId, tidora::kWtFileId}) {
    const std::string path = dir.file("fuzz" + std::to_string(kind));
    tidora::testing::WriteFile(path, text);
    auto reader = tidora::CreateFileObject(kind);
    reader->SetInteraction(&ui);
    int nSubTitles = 0;
    int rows = reader->ReadFileInfo(path, nSubTitles);
    if (rows > 0) {
      int skip = size > 0 ? data[0] % 3 : 0;
      if (reader->SkipAtStart(skip)) {
        tidora::DataArrays arrays;
        for (int id = 0; id < tidora::kMaxDataTypes; ++id) arrays.Want(id);
        int count = 0;
        for (int row = 0; row < 1000 && reader->ReadData(arrays, row, count); ++row) {
          reader->GetSubTitle(row);
        }
      }
    }
    reader->CloseFile();
  }
  ui.Clear();
  return 0;
}
