#pragma once

// Writers of the tide file (.tid) and the wave burst file (.wb). Both files are written in
// binary mode with CR LF after every line, byte for byte in the layouts the readers expect.
// These are the only place the layouts live: the converter writes its files with them too.
// Lines reach the disk in large writes (see BufferedOutput).

#include <ctime>
#include <string>
#include <string_view>

#include "datafile/buffered_output.h"

namespace tidora {

// "%02d/%02d/%04d %02d:%02d:%02d" (month/day/year hour:minute:second).
std::string FormatDataDateTime(const std::tm& t);
// The same appended to `out`.
void AppendDataDateTime(std::string& out, const std::tm& t);

// Writes a tide file. All Write* return false after any write error; Close() returns false
// when anything failed (for example a full disk).
class TideFileWriter {
 public:
  bool Open(const std::string& path) { return out_.Open(path); }
  // For the converter's special layouts: the text followed by CR LF.
  bool WriteLine(std::string_view text) { return out_.WriteLine(text); }
  // "%6ld   %s%11.4f%11.<tempDecimals>f" with %s = FormatDataDateTime(t).
  bool WriteRecord(long recordNumber, const std::tm& t, double pressure, double temperature,
                   int tempDecimals);
  // The same, then "%11.5f%11.3f": conductivity [S/m], salinity [PSU].
  bool WriteRecord(long recordNumber, const std::tm& t, double pressure, double temperature,
                   int tempDecimals, double conductivity, double salinity);
  bool Close() { return out_.Close(); }

 private:
  // The fields both record layouts begin with, written at the room reserved for a line.
  char* Record(long recordNumber, const std::tm& t, double pressure, double temperature,
               int tempDecimals);
  BufferedOutput out_;
};

// Writes a wave burst file.
class WaveBurstFileWriter {
 public:
  bool Open(const std::string& path) { return out_.Open(path); }
  // "TGR 41plus": burst times count seconds from 2000-01-01.
  bool WriteIdentification() { return out_.WriteLine("TGR 41plus"); }
  // "*    %d   %1.0f  %6.2f  %d": burst number, start time [s], sample period [s], samples
  // per burst.
  bool WriteBurstHeader(int burstNumber, double startSeconds, double samplePeriod,
                        int samplesPerBurst);
  // "    %14.6f%14.6f%14.6f%14.6f" with each value clamped to -99999..99999, so that every
  // row is 62 bytes and readers can skip bursts by offset.
  bool WriteRow(double a, double b, double c, double d);
  bool WriteLine(std::string_view text) { return out_.WriteLine(text); }
  bool Close() { return out_.Close(); }

 private:
  BufferedOutput out_;
};

// Length of one burst row on disk, CR LF included.
inline constexpr int kWaveBurstRowBytes = 62;

}  // namespace tidora
