#include "convert/file_sink.h"

#include <cstring>

#include "convert/fixed_format.h"

namespace tidora {
namespace {

constexpr size_t kBufferBytes = 1 << 20;
// Room for any line the sink makes: a few numbers, each at most kFixedTextLimit bytes.
constexpr size_t kLineRoom = 8 * static_cast<size_t>(kFixedTextLimit);

char* PutText(char* out, const char* text, size_t n) {
  std::memcpy(out, text, n);
  return out + n;
}

char* PutLineEnd(char* out) {
  out[0] = '\r';
  out[1] = '\n';
  return out + 2;
}

}  // namespace

BufferedOutput::~BufferedOutput() {
  Close();
}

bool BufferedOutput::Open(const std::string& path) {
  Close();
  failed_ = false;
  used_ = 0;
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) {
    failed_ = true;
    return false;
  }
  // The buffer here is the only one: whole buffers go straight to the file.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  buf_.resize(kBufferBytes + kLineRoom);
  return true;
}

bool BufferedOutput::Drain() {
  if (used_ > 0 && file_ && !failed_ && std::fwrite(buf_.data(), 1, used_, file_) != used_)
    failed_ = true;
  used_ = 0;
  return !failed_;
}

char* BufferedOutput::Reserve(size_t bytes) {
  if (used_ + bytes > buf_.size()) {
    Drain();
    if (bytes > buf_.size()) buf_.resize(bytes);
  }
  return buf_.data() + used_;
}

bool BufferedOutput::Commit(char* end) {
  if (!file_ || failed_) {
    failed_ = true;
    used_ = 0;
    return false;
  }
  used_ = static_cast<size_t>(end - buf_.data());
  return used_ < kBufferBytes || Drain();
}

bool BufferedOutput::WriteLine(const std::string& text) {
  char* p = Reserve(text.size() + 2);
  return Commit(PutLineEnd(PutText(p, text.data(), text.size())));
}

bool BufferedOutput::Close() {
  if (!file_) return !failed_;
  Drain();
  if (std::fflush(file_) != 0 || std::ferror(file_)) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  buf_ = {};
  return !failed_;
}

char* ConvertFileSink::TideStart(long number, const std::tm& t, double pressure, double temperature,
                                 int tempDecimals) {
  char* p = tide.Reserve(kLineRoom);
  p = PutInteger(p, number, 6);
  p = PutText(p, "   ", 3);
  p = PutDataDateTime(p, t);
  p = PutFixed(p, pressure, 11, 4);
  return PutFixed(p, temperature, 11, tempDecimals < 0 ? 0 : tempDecimals);
}

bool ConvertFileSink::TideRecord(long number, const std::tm& t, double pressure, double temperature,
                                 int tempDecimals) {
  return tide.Commit(PutLineEnd(TideStart(number, t, pressure, temperature, tempDecimals)));
}

bool ConvertFileSink::TideRecord(long number, const std::tm& t, double pressure, double temperature,
                                 int tempDecimals, double conductivity, double salinity) {
  char* p = TideStart(number, t, pressure, temperature, tempDecimals);
  p = PutFixed(p, conductivity, 11, 5);
  p = PutFixed(p, salinity, 11, 3);
  return tide.Commit(PutLineEnd(p));
}

bool ConvertFileSink::BurstHeader(int burstNumber, double startSeconds, double samplePeriod,
                                  int samplesPerBurst) {
  char* p = wave.Reserve(kLineRoom);
  p = PutText(p, "*    ", 5);
  p = PutInteger(p, burstNumber);
  p = PutText(p, "   ", 3);
  p = PutFixed(p, startSeconds, 1, 0);
  p = PutText(p, "  ", 2);
  p = PutFixed(p, samplePeriod, 6, 2);
  p = PutText(p, "  ", 2);
  p = PutInteger(p, samplesPerBurst);
  return wave.Commit(PutLineEnd(p));
}

bool ConvertFileSink::BurstRow(double a, double b, double c, double d) {
  char* p = wave.Reserve(kLineRoom);
  p = PutText(p, "    ", 4);
  for (double v : {a, b, c, d}) {
    // NaN stays NaN ("nan" fits the field); the row keeps its length either way.
    if (v > 99999.0) v = 99999.0;
    if (v < -99999.0) v = -99999.0;
    p = PutFixed(p, v, 14, 6);
  }
  return wave.Commit(PutLineEnd(p));
}

}  // namespace tidora
