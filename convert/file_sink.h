#pragma once

// The converter's output files: the tide file, the wave burst file and the reference file,
// each line in the layout of the data file writers (TideFileWriter, WaveBurstFileWriter), CR LF
// after every line. Lines are made in a buffer reused for the whole run and reach the disk in
// large writes.

#include <cstdio>
#include <string>
#include <vector>

#include "convert/hex_decoder.h"

namespace tidora {

// One output file that remembers whether any write failed.
class BufferedOutput {
 public:
  BufferedOutput() = default;
  ~BufferedOutput();
  BufferedOutput(const BufferedOutput&) = delete;
  BufferedOutput& operator=(const BufferedOutput&) = delete;

  bool Open(const std::string& path);  // create or truncate
  bool IsOpen() const { return file_ != nullptr; }
  // Room for `bytes` more at the returned position; Commit(end) takes what was written there.
  char* Reserve(size_t bytes);
  bool Commit(char* end);
  bool WriteLine(const std::string& text);  // text + "\r\n"
  bool Close();                             // false when anything failed, this close included

 private:
  bool Drain();

  std::FILE* file_ = nullptr;
  std::vector<char> buf_;
  size_t used_ = 0;
  bool failed_ = false;
};

class ConvertFileSink : public ConvertSink {
 public:
  BufferedOutput tide, wave, reference;

  // "TGR 41plus": the wave burst file's first line for recorders counting from 2000.
  bool WriteWaveIdentification() { return wave.WriteLine("TGR 41plus"); }

  bool TideRecord(long number, const std::tm& t, double pressure, double temperature,
                  int tempDecimals) override;
  bool TideRecord(long number, const std::tm& t, double pressure, double temperature,
                  int tempDecimals, double conductivity, double salinity) override;
  bool TideLine(const std::string& text) override { return tide.WriteLine(text); }
  bool BurstHeader(int burstNumber, double startSeconds, double samplePeriod,
                   int samplesPerBurst) override;
  bool BurstRow(double a, double b, double c, double d) override;
  bool ReferenceLine(const std::string& text) override { return reference.WriteLine(text); }

 private:
  char* TideStart(long number, const std::tm& t, double pressure, double temperature,
                  int tempDecimals);
};

}  // namespace tidora
