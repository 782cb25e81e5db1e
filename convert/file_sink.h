#pragma once

// The converter's output files: the tide file, the wave burst file and the reference file. The
// tide and wave burst lines are made by the data file writers, so the layouts live in one
// place; all three files reach the disk in large writes.

#include <string>

#include "convert/hex_decoder.h"
#include "datafile/buffered_output.h"
#include "datafile/writers.h"

namespace tidora {

class ConvertFileSink : public ConvertSink {
 public:
  TideFileWriter tide;
  WaveBurstFileWriter wave;
  BufferedOutput reference;

  // The wave burst file's first line for recorders counting from 2000.
  bool WriteWaveIdentification() { return wave.WriteIdentification(); }

  bool TideRecord(long number, const std::tm& t, double pressure, double temperature,
                  int tempDecimals) override {
    return tide.WriteRecord(number, t, pressure, temperature, tempDecimals);
  }
  bool TideRecord(long number, const std::tm& t, double pressure, double temperature,
                  int tempDecimals, double conductivity, double salinity) override {
    return tide.WriteRecord(number, t, pressure, temperature, tempDecimals, conductivity, salinity);
  }
  bool TideLine(const std::string& text) override { return tide.WriteLine(text); }
  bool BurstHeader(int burstNumber, double startSeconds, double samplePeriod,
                   int samplesPerBurst) override {
    return wave.WriteBurstHeader(burstNumber, startSeconds, samplePeriod, samplesPerBurst);
  }
  bool BurstRow(double a, double b, double c, double d) override {
    return wave.WriteRow(a, b, c, d);
  }
  bool ReferenceLine(const std::string& text) override { return reference.WriteLine(text); }
};

}  // namespace tidora
