// Wave burst files come from the converter and people's editors: reading one must never crash
// or overrun, whatever bytes it holds.
#include "fuzz/reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tidora::fuzz::ExerciseReader(tidora::kWaveBurstFileId, data, size, 100000);
  return 0;
}
