// The one place that knows which reader class serves which file kind.
#include "datafile/tgr41file.h"
#include "datafile/tidfile.h"
#include "datafile/wbfile.h"

namespace tidora {

std::unique_ptr<CTGR41File> CreateFileObject(int fileId) {
  switch (fileId) {
    case kTideFileId:
      return std::make_unique<CTidFile>();
    case kWaveBurstFileId:
      return std::make_unique<CWbFile>();
    default:
      return nullptr;  // the wave output readers (2, 3, 4) join here
  }
}

std::unique_ptr<CTGR41File> CreateFileObjectByClassName(const std::string& className) {
  if (className == "CTidFile") return CreateFileObject(kTideFileId);
  if (className == "CWbFile") return CreateFileObject(kWaveBurstFileId);
  return nullptr;
}

}  // namespace tidora
