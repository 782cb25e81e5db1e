#pragma once

// The data file readers' fuzz targets share one exercise: write the bytes to a file, then ask a
// reader of the given kind everything a program asks of it, to the end of its data.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "datafile/tgr41file.h"
#include "platform/interaction.h"
#include "testing/test_support.h"

namespace tidora::fuzz {

inline void ExerciseReader(int fileId, const uint8_t* data, size_t size, int maxRows,
                           Interaction* ui = nullptr) {
  static testing::TempDir dir;  // lives for the whole run
  const std::string path = dir.file("fuzz" + std::to_string(fileId));
  testing::WriteFile(path, std::string(reinterpret_cast<const char*>(data), size));
  auto reader = CreateFileObject(fileId);
  if (ui) reader->SetInteraction(ui);
  int nSubTitles = 0;
  int rows = reader->ReadFileInfo(path, nSubTitles);
  std::vector<std::string> names;
  reader->GetAvailableYVariableNames(names);
  reader->GetAvailableXVariableNames(names);
  if (rows > 0) {
    int skip = size > 0 ? data[0] % 3 : 0;
    if (reader->SkipAtStart(skip)) {
      DataArrays arrays;
      for (int id = 0; id < kMaxDataTypes; ++id) arrays.Want(id);
      int count = 0;
      for (int row = 0; row < maxRows && reader->ReadData(arrays, row, count); ++row)
        reader->GetSubTitle(row);
    }
  }
  reader->CloseFile();
}

}  // namespace tidora::fuzz
