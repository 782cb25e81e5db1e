#include "sim/upload.h"

#include "platform/profile.h"
#include "sim/replies.h"

namespace tidora::sim {
ImageLayout LayoutOf(const Deployment& d) {
  ImageLayout l;
  l.markers = d.options.family == Family::kTgr41plus;
  l.conductivity = d.options.conductivity;
  // The terminal knows the record size without the time stamp; the marker tells the rest.
  l.recordSize = l.markers ? MarkerFamilyRecordSize(d.options.conductivity) : d.recordSize();
  return l;
}

// Whole: a simulated reply is never cut to the terminal's text buffer.
std::string StatusSection(const std::string& reply) {
  return MakeStatusText(reply, std::string::npos);
}
std::string CoefficientSection(const std::string& reply) {
  return MakeCoefficientText(reply, std::string::npos);
}

std::string UploadFileText(const Deployment& d, const std::string& path, UploadMethod method) {
  std::string text = UploadHeader(d.options.family, path);
  text += StatusSection(StatusReply(d));
  text += CoefficientSection(CoefficientReply(d));
  if (method == UploadMethod::kAscii || d.options.family == Family::kTgr41) {
    text += DumpReply(d);
  } else {
    std::vector<uint8_t> image = BuildMemoryImage(d);
    text += ImageToHexLines(image.data(), image.size(), LayoutOf(d));
  }
  return text;
}

bool WriteUploadFile(const Deployment& d, const std::string& path, UploadMethod method) {
  return WriteFileAtomically(path, UploadFileText(d, path, method));
}

bool WriteCoefficients(const Deployment& d, const std::string& path) {
  CoefficientFile f = d.file;
  size_t slash = path.find_last_of('/');
  f.folder = slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
  return WriteCoefficientFile(path, f);
}

}  // namespace tidora::sim
