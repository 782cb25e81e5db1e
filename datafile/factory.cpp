// The one place that knows which reader class serves which file kind.
#include "datafile/tgr41file.h"
#include "datafile/tidfile.h"
#include "datafile/wavefiles.h"
#include "datafile/wbfile.h"

namespace tidora {

std::unique_ptr<CTGR41File> CreateFileObject(int fileId) {
  switch (fileId) {
    case kTideFileId:
      return std::make_unique<CTidFile>();
    case kWaveBurstFileId:
      return std::make_unique<CWbFile>();
    case kWasFileId:
      return std::make_unique<CWasFile>();
    case kWtsFileId:
      return std::make_unique<CWtsFile>();
    case kWtFileId:
      return std::make_unique<CWtFile>();
    default:
      return nullptr;
  }
}

std::unique_ptr<CTGR41File> CreateFileObjectByClassName(const std::string& className) {
  if (className == "CTidFile") return CreateFileObject(kTideFileId);
  if (className == "CWbFile") return CreateFileObject(kWaveBurstFileId);
  if (className == "CWasFile") return CreateFileObject(kWasFileId);
  if (className == "CWtsFile") return CreateFileObject(kWtsFileId);
  if (className == "CWtFile") return CreateFileObject(kWtFileId);
  return nullptr;
}

}  // namespace tidora
