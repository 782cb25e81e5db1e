#include "datafile/writers.h"

#include <cmath>

#include "datafile/textio.h"

namespace tidora {

std::string FormatDataDateTime(const std::tm& t) {
  std::string text;
  AppendDataDateTime(text, t);
  return text;
}

void AppendDataDateTime(std::string& out, const std::tm& t) {
  const long long fields[6] = {t.tm_mon + 1LL, t.tm_mday, t.tm_year + 1900LL,
                               t.tm_hour,      t.tm_min,  t.tm_sec};
  bool plain = fields[2] >= 0 && fields[2] <= 9999;
  for (int i : {0, 1, 3, 4, 5}) plain = plain && fields[i] >= 0 && fields[i] <= 99;
  if (!plain) {
    // A field printf would widen or sign.
    char buf[80];
    std::snprintf(buf, sizeof buf, "%02lld/%02lld/%04lld %02lld:%02lld:%02lld", fields[0],
                  fields[1], fields[2], fields[3], fields[4], fields[5]);
    out += buf;
    return;
  }
  char text[19] = {'0', '0', '/', '0', '0', '/', '0', '0', '0', '0',
                   ' ', '0', '0', ':', '0', '0', ':', '0', '0'};
  auto two = [&](int at, long long v) {
    text[at] = static_cast<char>('0' + v / 10);
    text[at + 1] = static_cast<char>('0' + v % 10);
  };
  two(0, fields[0]);
  two(3, fields[1]);
  two(6, fields[2] / 100);
  two(8, fields[2] % 100);
  two(11, fields[3]);
  two(14, fields[4]);
  two(17, fields[5]);
  out.append(text, sizeof text);
}

DataFileOutput::~DataFileOutput() {
  Close();
}

bool DataFileOutput::Open(const std::string& path) {
  Close();
  failed_ = false;
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) failed_ = true;
  return file_ != nullptr;
}

bool DataFileOutput::WriteLine(const std::string& text) {
  if (!file_ || failed_) {
    failed_ = true;
    return false;
  }
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() ||
      std::fwrite("\r\n", 1, 2, file_) != 2 || std::ferror(file_))
    failed_ = true;
  return !failed_;
}

bool DataFileOutput::Close() {
  if (!file_) return !failed_;
  if (std::fflush(file_) != 0 || std::ferror(file_)) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  return !failed_;
}

std::string TideFileWriter::Record(long recordNumber, const std::tm& t, double pressure,
                                   double temperature, int tempDecimals) const {
  char head[32];
  std::snprintf(head, sizeof head, "%6ld   ", recordNumber);
  std::string line = head;
  AppendDataDateTime(line, t);
  AppendFixed(line, pressure, 11, 4);
  AppendFixed(line, temperature, 11, tempDecimals < 0 ? 0 : tempDecimals);
  return line;
}

bool TideFileWriter::WriteRecord(long recordNumber, const std::tm& t, double pressure,
                                 double temperature, int tempDecimals) {
  return out_.WriteLine(Record(recordNumber, t, pressure, temperature, tempDecimals));
}

bool TideFileWriter::WriteRecord(long recordNumber, const std::tm& t, double pressure,
                                 double temperature, int tempDecimals, double conductivity,
                                 double salinity) {
  std::string line = Record(recordNumber, t, pressure, temperature, tempDecimals);
  AppendFixed(line, conductivity, 11, 5);
  AppendFixed(line, salinity, 11, 3);
  return out_.WriteLine(line);
}

bool WaveBurstFileWriter::WriteBurstHeader(int burstNumber, double startSeconds,
                                           double samplePeriod, int samplesPerBurst) {
  std::string line = "*    " + std::to_string(burstNumber) + "   ";
  AppendFixed(line, startSeconds, 1, 0);
  line += "  ";
  AppendFixed(line, samplePeriod, 6, 2);
  line += "  " + std::to_string(samplesPerBurst);
  return out_.WriteLine(line);
}

bool WaveBurstFileWriter::WriteRow(double a, double b, double c, double d) {
  std::string line = "    ";
  for (double v : {a, b, c, d}) {
    // NaN stays NaN ("nan" fits the field); the row keeps its length either way.
    if (v > 99999.0) v = 99999.0;
    if (v < -99999.0) v = -99999.0;
    AppendFixed(line, v, 14, 6);
  }
  return out_.WriteLine(line);
}

}  // namespace tidora
