#include "datafile/writers.h"

#include <cmath>

#include "datafile/textio.h"

namespace tidora {

std::string FormatDataDateTime(const std::tm& t) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d", t.tm_mon + 1, t.tm_mday,
                t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
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
  line += FormatDataDateTime(t);
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
