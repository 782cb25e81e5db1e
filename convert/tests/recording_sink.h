#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "convert/hex_decoder.h"

namespace tidora::testing {

// Keeps everything the decoder hands over, for tests and fuzzing; can be told to fail writing.
class RecordingSink : public ConvertSink {
 public:
  struct Tide {
    long number;
    std::tm t;
    double pressure, temperature;
    int decimals;
    bool hasConductivity;
    double conductivity, salinity;
  };
  struct Header {
    int burst;
    double start, period;
    int samples;
    size_t firstRow;
  };
  std::vector<Tide> tides;
  std::vector<std::string> tideLines, referenceLines;
  std::vector<Header> headers;
  std::vector<std::vector<double>> rows;
  long failAfter = -1;  // calls before writing starts failing

  bool TideRecord(long n, const std::tm& t, double p, double temp, int dec) override {
    tides.push_back({n, t, p, temp, dec, false, 0, 0});
    return Ok();
  }
  bool TideRecord(long n, const std::tm& t, double p, double temp, int dec, double c,
                  double s) override {
    tides.push_back({n, t, p, temp, dec, true, c, s});
    return Ok();
  }
  bool TideLine(const std::string& text) override {
    tideLines.push_back(text);
    return Ok();
  }
  bool BurstHeader(int b, double start, double period, int samples) override {
    headers.push_back({b, start, period, samples, rows.size()});
    return Ok();
  }
  bool BurstRow(double a, double b, double c, double d) override {
    rows.push_back({a, b, c, d});
    return Ok();
  }
  bool ReferenceLine(const std::string& text) override {
    referenceLines.push_back(text);
    return Ok();
  }

 private:
  bool Ok() { return failAfter < 0 || calls_++ < failAfter; }
  long calls_ = 0;
};

}  // namespace tidora::testing
