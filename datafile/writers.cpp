#include "datafile/writers.h"

#include <cstring>

#include "datafile/fixed_text.h"

namespace tidora {

namespace {

// Room for any line the writers make: a few numbers, each at most kFixedTextLimit bytes.
constexpr size_t kLineRoom = 8 * static_cast<size_t>(kFixedTextLimit);

char* PutText(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

char* PutLineEnd(char* out) {
  out[0] = '\r';
  out[1] = '\n';
  return out + 2;
}

}  // namespace

std::string FormatDataDateTime(const std::tm& t) {
  char text[kFixedTextLimit];
  return std::string(text, PutDataDateTime(text, t));
}

void AppendDataDateTime(std::string& out, const std::tm& t) {
  char text[kFixedTextLimit];
  out.append(text, PutDataDateTime(text, t));
}

char* TideFileWriter::Record(long recordNumber, const std::tm& t, double pressure,
                             double temperature, int tempDecimals) {
  char* p = out_.Reserve(kLineRoom);
  p = PutInteger(p, recordNumber, 6);
  p = PutText(p, "   ");
  p = PutDataDateTime(p, t);
  p = PutFixed(p, pressure, 11, 4);
  return PutFixed(p, temperature, 11, tempDecimals < 0 ? 0 : tempDecimals);
}

bool TideFileWriter::WriteRecord(long recordNumber, const std::tm& t, double pressure,
                                 double temperature, int tempDecimals) {
  return out_.Commit(PutLineEnd(Record(recordNumber, t, pressure, temperature, tempDecimals)));
}

bool TideFileWriter::WriteRecord(long recordNumber, const std::tm& t, double pressure,
                                 double temperature, int tempDecimals, double conductivity,
                                 double salinity) {
  char* p = Record(recordNumber, t, pressure, temperature, tempDecimals);
  p = PutFixed(p, conductivity, 11, 5);
  p = PutFixed(p, salinity, 11, 3);
  return out_.Commit(PutLineEnd(p));
}

bool WaveBurstFileWriter::WriteBurstHeader(int burstNumber, double startSeconds,
                                           double samplePeriod, int samplesPerBurst) {
  char* p = out_.Reserve(kLineRoom);
  p = PutText(p, "*    ");
  p = PutInteger(p, burstNumber);
  p = PutText(p, "   ");
  p = PutFixed(p, startSeconds, 1, 0);
  p = PutText(p, "  ");
  p = PutFixed(p, samplePeriod, 6, 2);
  p = PutText(p, "  ");
  p = PutInteger(p, samplesPerBurst);
  return out_.Commit(PutLineEnd(p));
}

bool WaveBurstFileWriter::WriteRow(double a, double b, double c, double d) {
  char* p = out_.Reserve(kLineRoom);
  p = PutText(p, "    ");
  for (double v : {a, b, c, d}) {
    // NaN stays NaN ("nan" fits the field); the row keeps its length either way.
    if (v > 99999.0) v = 99999.0;
    if (v < -99999.0) v = -99999.0;
    p = PutFixed(p, v, 14, 6);
  }
  return out_.Commit(PutLineEnd(p));
}

}  // namespace tidora
