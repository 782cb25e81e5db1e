// The record decoders on arbitrary data lines behind a valid header of each family and
// variant: no crash, no read past a line, no endless loop.
#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/hex_decoder.h"
#include "sim/recorder.h"
#include "sim/replies.h"
#include "sim/upload.h"

namespace {

class NullSink : public tidora::ConvertSink {
 public:
  bool TideRecord(long, const std::tm&, double, double, int) override { return true; }
  bool TideRecord(long, const std::tm&, double, double, int, double, double) override {
    return true;
  }
  bool TideLine(const std::string& s) override { return !s.empty(); }
  bool BurstHeader(int, double, double, int) override { return true; }
  bool BurstRow(double, double, double, double) override { return true; }
  bool ReferenceLine(const std::string& s) override { return !s.empty(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  using namespace tidora;
  const uint8_t flags = data[0], layout = data[1];
  sim::Options o;
  o.family = static_cast<sim::Family>(flags % 3);
  o.conductivity = flags & 4;
  o.strainGauge = flags & 8;
  o.timeStamped = flags & 16;
  o.tsunami = flags & 32;
  o.alternateTemperature = flags & 64;
  if (flags & 128) o.firmware = "2.0";
  o.tideSamples = 0;
  sim::Deployment d = sim::Simulate(o);
  std::string text = sim::UploadHeader(o.family, "/f.hex") +
                     sim::StatusSection(sim::StatusReply(d)) +
                     sim::CoefficientSection(sim::CoefficientReply(d)) + "DD\r\n";
  if (o.family == sim::Family::kTgr41plus)
    text += "FFFFFFFFFD\r\n0000000100\r\n0384000000\r\n0000000000\r\n";
  if (o.family == sim::Family::kTgr41) text += "FFFFFFFD\r\n00000001\r\n03840000\r\n00000000\r\n";
  text.append(reinterpret_cast<const char*>(data + 2), size - 2);

  HexLineReader in;
  in.OpenMemory(text);
  CHexDecoder dec;
  OutputModes modes;
  modes.thermistorVoltage = layout & 1;
  modes.bpr = static_cast<BprLayout>((layout >> 1) % 3);
  dec.Reset(d.file, 1990 + layout % 120, modes);
  if (dec.ScanHeader(in) != DecodeStatus::kOk) return 0;
  dec.ReadCoefficients(in);
  dec.FindDataMarker(in);
  dec.ReadStartLines(in);
  NullSink sink;
  dec.DecodeData(in, sink, nullptr, [](long) {});
  return 0;
}
