#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace tidora {

// The recorder families: the TGR 41 (it names itself TIDEWELL), the TGR 41plus and the
// TGR 77 BPR.
enum class RecorderFamily { kTgr41, kTgr41plus, kTgr77Bpr };

// Bytes of a tide record in the recorder's memory. The TGR 41plus writes 5 (8 with
// conductivity), and a time stamp of 4 more after a time-stamp marker; the TGR 77 BPR writes 17
// (20 with conductivity, 25 in its tsunami demonstration).
inline constexpr int kTimeStampBytes = 4;
inline constexpr int MarkerFamilyRecordSize(bool conductivity) {
  return conductivity ? 8 : 5;
}
inline constexpr int BprRecordSize(bool conductivity, bool tsunami) {
  return tsunami ? 25 : (conductivity ? 20 : 17);
}

// The terminal's version, which the upload file's header names.
inline constexpr const char* kProgramVersion = "Version 1.13";

// What the status reply tells about the recorder.
struct InstrumentInfo {
  std::string modelText;
  float firmwareVersion = 0;
  int samplesPerBurst = 0;
  int measurements = 0;
  int bursts = 0;
  bool conductivity = false;
  int linesPerMeasurement = 1;
  bool logging = false;
  bool tsunamiDemo = false;
  bool tgr41plus = false;
  bool tgr77 = false;
  int recordSize = 5;
};

// Fills `info` from a status reply; true when the configured class (`configuredPlus`) matches
// the recorder's.
bool ParseStatus(const std::string& reply, InstrumentInfo& info, bool configuredPlus);
// "*", the reply, and "*" after every line feed; cut to `capacity` - 1 characters.
std::string MakeStatusText(const std::string& reply, size_t capacity = 2048);
// The reply with "*" after every line feed; cut likewise.
std::string MakeCoefficientText(const std::string& reply, size_t capacity = 2048);
// Whether the firmware named in a status reply takes the date/time command.
bool ClockSettingSupported(const std::string& reply);
// "datetime=%02d%02d%04d%02d%02d%02d\r" for the calendar second t (UTC, or local time).
std::string DateTimeCommand(std::time_t t, bool local);
// The recorder's answer to the date/time command: empty on success, else the text to show.
std::string DateTimeReplyError(const std::string& reply);
// Lines the upload's data section is expected to have.
long ExpectedLineCount(const InstrumentInfo& info);
// The family the status reply identified.
RecorderFamily FamilyOf(const InstrumentInfo& info);
// The three header lines an upload file begins with (line feed only); `path` is the file's full
// path.
std::string UploadHeader(RecorderFamily family, const std::string& path);

// Reflected CRC-32 (IEEE 802.3), table driven.
uint32_t Crc32(const uint8_t* data, size_t n);

// How a memory image is cut into the hexadecimal lines the recorder prints: fixed records of
// `recordSize` bytes (TGR 77 BPR), or with `markers` the TGR 41 family's marker records, start
// lines and wave bursts, where a time-stamp marker makes the records after it longer.
struct ImageLayout {
  int recordSize = 5;
  bool markers = true;
  bool conductivity = false;
};
// The layout read from the status reply.
ImageLayout ImageLayoutOf(const InstrumentInfo& info);

// The binary image written as the hexadecimal record lines the recorder would have dumped:
// "DD", the lines, "S>", each line followed by `lineEnd` (none after "S>"). The simulated
// recorder prints its dump with the same function.
std::string ImageToHexLines(const uint8_t* data, size_t n, const ImageLayout& layout,
                            const std::string& lineEnd = "\r\n");
std::string ImageToHexLines(const uint8_t* data, size_t n, const InstrumentInfo& info);

}  // namespace tidora
