#include "sim/upload.h"

#include <algorithm>
#include <cstdio>

#include "platform/profile.h"
#include "sim/replies.h"

namespace tidora::sim {
namespace {

void AppendHex(std::string& out, const uint8_t* p, size_t n, const std::string& lineEnd) {
  static const char kDigits[] = "0123456789ABCDEF";
  for (size_t i = 0; i < n; ++i) {
    out.push_back(kDigits[p[i] >> 4]);
    out.push_back(kDigits[p[i] & 15]);
  }
  out += lineEnd;
}

std::string StarAfterLineFeeds(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    out.push_back(c);
    if (c == '\n') out.push_back('*');
  }
  return out;
}

}  // namespace

ImageLayout LayoutOf(const Deployment& d) {
  ImageLayout l;
  l.tgr41plus = d.options.family == Family::kTgr41plus;
  l.conductivity = d.options.conductivity;
  // The terminal knows the record size without the time stamp; the marker tells the rest.
  l.recordSize = l.tgr41plus ? (d.options.conductivity ? 8 : 5) : d.recordSize();
  return l;
}

std::string ImageToHexLines(const uint8_t* image, size_t size, const ImageLayout& layout,
                            const std::string& lineEnd) {
  std::string out;
  out.reserve(size * 2 + size / 2 + 16);
  out += "DD" + lineEnd;
  size_t R = static_cast<size_t>(std::max(1, layout.recordSize));
  const size_t m = layout.conductivity ? 8 : 5, c = m - 1;
  size_t pos = 0;
  // One record: up to n bytes from the image.
  auto take = [&](size_t n) {
    size_t k = std::min(n, size - pos);
    AppendHex(out, image + pos, k, lineEnd);
    pos += k;
    return k;
  };
  while (pos < size) {
    const uint8_t* r = image + pos;
    const size_t avail = size - pos;
    if (!layout.tgr41plus) {
      take(R);
      continue;
    }
    bool ffPrefix = avail > c && std::all_of(r, r + c, [](uint8_t b) { return b == 0xFF; });
    if (ffPrefix && r[c] == 0xFD) {
      for (int i = 0; i < 4 && pos < size; ++i) take(R);
    } else if (ffPrefix && r[c] == 0xFB) {
      if (R == 5 || R == 8) R = m + 4;
      for (int i = 0; i < 4 && pos < size; ++i) take(R);
    } else if (avail >= R && std::all_of(r, r + R, [](uint8_t b) { return b == 0; })) {
      take(R);
      size_t aPos = pos;
      take(R);
      size_t bPos = pos;
      take(R);
      size_t n = 0;
      if (aPos + 4 < size && bPos + 4 < size) n = image[aPos + 4] * 256u + image[bPos + 4];
      for (size_t i = 0; i < n / 2 && pos < size; ++i) take(6);
      if (pos < size) take(R);
    } else {
      take(R);
    }
  }
  out += "S>";
  return out;
}

std::string StatusSection(const std::string& reply) {
  return "*" + StarAfterLineFeeds(reply);
}
std::string CoefficientSection(const std::string& reply) {
  return StarAfterLineFeeds(reply);
}

std::string UploadHeader(Family family, const std::string& path) {
  const char* model = family == Family::kTgr77Bpr    ? "TGR 77 BPR"
                      : family == Family::kTgr41plus ? "TGR 41plus"
                                                     : "TGR 41";
  return std::string("*Brennic ") + model + " Data File:\n*FileName = " + path +
         "\n*Software Version 1.13\n";
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
