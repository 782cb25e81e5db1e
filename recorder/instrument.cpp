#include "recorder/instrument.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>

namespace tidora {

namespace {

bool Has(const std::string& s, const char* part) {
  return s.find(part) != std::string::npos;
}

// The integer that starts `offset` characters after the first `key`; unchanged when either is
// missing.
void ReadIntAfter(const std::string& reply, const char* key, size_t offset, int& out) {
  size_t p = reply.find(key);
  if (p == std::string::npos || p + offset >= reply.size()) return;
  int v;
  if (std::sscanf(reply.c_str() + p + offset, "%d", &v) == 1) out = v;
}

std::string Starred(const std::string& reply, std::string out, size_t capacity) {
  // Room for the terminating zero of the fixed-size text the sections were built in.
  const size_t limit = capacity > 0 ? capacity - 1 : 0;
  for (char c : reply) {
    if (out.size() >= limit) break;
    out += c;
    if (c == '\n' && out.size() < limit) out += '*';
  }
  return out;
}

}  // namespace

bool ParseStatus(const std::string& reply, InstrumentInfo& info, bool configuredPlus) {
  info.linesPerMeasurement = 1;
  info.logging = info.conductivity = info.tsunamiDemo = info.tgr41plus = info.tgr77 = false;
  if (Has(reply, "TGR 77 BPR")) {
    info.modelText = "TGR 77 BPR ";
    info.tgr77 = true;
  } else if (Has(reply, "plus")) {
    info.modelText = "TGR41plus ";
    info.tgr41plus = true;
  } else {
    info.modelText = "TGR41 ";
  }
  size_t v = reply.find('V');
  if (v != std::string::npos && v != 0) {
    info.modelText += reply.substr(v, 5);
    // The version is read with a decimal point whatever the locale.
    const char* s = reply.c_str() + v + 1;
    const char* end = reply.c_str() + reply.size();
    while (s < end && std::isspace(static_cast<unsigned char>(*s))) ++s;
    float version;
    if (auto r = std::from_chars(s, end, version); r.ec == std::errc() && r.ptr != s)
      info.firmwareVersion = version;
  }
  ReadIntAfter(reply, "samples", 9, info.samplesPerBurst);
  ReadIntAfter(reply, "measurements =", 14, info.measurements);
  ReadIntAfter(reply, "bursts =", 8, info.bursts);
  info.conductivity = Has(reply, "conductivity = YES");
  if (info.conductivity) info.linesPerMeasurement = 2;
  info.recordSize = MarkerFamilyRecordSize(info.conductivity);
  info.logging = Has(reply, "logdata = YES");
  info.tsunamiDemo = Has(reply, "tsunami demo");
  if (info.tgr77) info.recordSize = BprRecordSize(info.conductivity, info.tsunamiDemo);
  bool detectedPlus = info.tgr41plus || info.tgr77;
  return configuredPlus == detectedPlus;
}

std::string MakeStatusText(const std::string& reply, size_t capacity) {
  return Starred(reply, capacity > 1 ? "*" : "", capacity);
}

std::string MakeCoefficientText(const std::string& reply, size_t capacity) {
  return Starred(reply, "", capacity);
}

bool ClockSettingSupported(const std::string& reply) {
  auto old41plus = [&] {
    return Has(reply, "41plus V 5.2") || Has(reply, "41plus V 6.0 ") ||
           Has(reply, "41plus V 6.0a") || Has(reply, "41plus V 6.1 ");
  };
  if (Has(reply, "TGR 41plus")) return !old41plus();
  if (Has(reply, "TGR 77 BPR")) {
    if (Has(reply, "77 BPR V 1.1a")) return false;
    return !(Has(reply, "77 BPR V 1.0b") || Has(reply, "77 BPR V 1.1 ") || old41plus());
  }
  return false;
}

std::string DateTimeCommand(std::time_t t, bool local) {
  std::tm tm{};
  if (local)
    localtime_r(&t, &tm);
  else
    gmtime_r(&t, &tm);
  char text[64];
  std::snprintf(text, sizeof text, "datetime=%02d%02d%04d%02d%02d%02d\r", tm.tm_mon + 1, tm.tm_mday,
                tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return text;
}

std::string DateTimeReplyError(const std::string& reply) {
  if (Has(reply, "?")) return "command not rceognized";
  if (Has(reply, "wrong length")) return "wrong length error message";
  if (Has(reply, "invalid date or time")) return "invalid date or time error message";
  if (Has(reply, "S>")) return "";
  return "did not receive S> prompt";
}

long ExpectedLineCount(const InstrumentInfo& i) {
  long long n;
  if (i.tgr77)
    n = i.measurements;
  else if (i.tgr41plus)
    n = (static_cast<long long>(i.samplesPerBurst) * i.bursts) / 2 + 4LL * i.bursts + 4 +
        i.measurements;
  else
    n = static_cast<long long>(i.linesPerMeasurement) * i.measurements +
        static_cast<long long>(i.bursts) * i.samplesPerBurst;
  return static_cast<long>(std::clamp<long long>(n, 0, 0x7FFFFFFF));
}

RecorderFamily FamilyOf(const InstrumentInfo& info) {
  return info.tgr77       ? RecorderFamily::kTgr77Bpr
         : info.tgr41plus ? RecorderFamily::kTgr41plus
                          : RecorderFamily::kTgr41;
}

std::string UploadHeader(RecorderFamily family, const std::string& path) {
  const char* model = family == RecorderFamily::kTgr77Bpr    ? "TGR 77 BPR"
                      : family == RecorderFamily::kTgr41plus ? "TGR 41plus"
                                                             : "TGR 41";
  return std::string("*Brennic ") + model + " Data File:\n*FileName = " + path + "\n*Software " +
         kProgramVersion + "\n";
}

uint32_t Crc32(const uint8_t* data, size_t n) {
  static const auto table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

ImageLayout ImageLayoutOf(const InstrumentInfo& info) {
  ImageLayout l;
  l.recordSize = info.recordSize;
  l.markers = !info.tgr77;
  l.conductivity = info.conductivity;
  return l;
}

std::string ImageToHexLines(const uint8_t* data, size_t n, const ImageLayout& layout,
                            const std::string& lineEnd) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(n * 2 + n / 2 + 16);
  out += "DD";
  out += lineEnd;
  size_t pos = 0;
  // Writes the next `len` bytes (fewer at the end of the image) as one line; the line's start
  // when it is whole.
  auto line = [&](size_t len) -> const uint8_t* {
    const uint8_t* start = data + pos;
    size_t take = std::min(len, n - pos);
    for (size_t i = 0; i < take; ++i) {
      out += kDigits[start[i] >> 4];
      out += kDigits[start[i] & 15];
    }
    out += lineEnd;
    pos += take;
    return take == len ? start : nullptr;
  };
  size_t r = static_cast<size_t>(std::max(1, layout.recordSize));
  const size_t m = static_cast<size_t>(MarkerFamilyRecordSize(layout.conductivity));
  const size_t c = m - 1;
  while (pos < n) {
    if (!layout.markers) {
      line(r);
      continue;
    }
    const uint8_t* rec = data + pos;
    size_t avail = n - pos;
    bool marker = avail > c && std::all_of(rec, rec + c, [](uint8_t b) { return b == 0xFF; });
    if (marker && rec[c] == 0xFD) {
      line(r);
      for (int k = 0; k < 3 && pos < n; ++k) line(r);
    } else if (marker && rec[c] == 0xFB) {
      // Longer records from here to the end of the image.
      if (r == 5 || r == 8) r = m + kTimeStampBytes;
      line(r);
      for (int k = 0; k < 3 && pos < n; ++k) line(r);
    } else if (avail >= r && std::all_of(rec, rec + r, [](uint8_t b) { return b == 0; })) {
      // A burst: a zero line, two start lines whose fifth bytes count its samples, two samples
      // a line, then its closing record.
      line(r);
      const uint8_t* a = pos < n ? line(r) : nullptr;
      const uint8_t* b = pos < n ? line(r) : nullptr;
      if (!a || !b || r < 5) continue;
      size_t samples = static_cast<size_t>(a[4]) * 256 + b[4];
      for (size_t k = 0; k < samples / 2 && pos < n; ++k) line(6);
      if (pos < n) line(r);
    } else {
      line(r);
    }
  }
  out += "S>";
  return out;
}

std::string ImageToHexLines(const uint8_t* data, size_t n, const InstrumentInfo& info) {
  return ImageToHexLines(data, n, ImageLayoutOf(info));
}

}  // namespace tidora
