// Upload files come from serial lines and people's disks: the header scan and coefficient
// reading must never crash or read past a line, whatever the bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "convert/hex_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tidora::HexLineReader in;
  in.OpenMemory(std::string_view(reinterpret_cast<const char*>(data), size));
  tidora::CHexDecoder d;
  d.Reset(tidora::DefaultCoefficientsAtStart(), 1996, {});
  if (d.ScanHeader(in) != tidora::DecodeStatus::kOk) return 0;
  d.ReadCoefficients(in);
  d.FindDataMarker(in);
  d.ReadStartLines(in);
  d.ApplyWaveRateFix();
  (void)d.Header().ProgressTotal();
  return 0;
}
