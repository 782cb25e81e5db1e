// Program setup files come from people and other programs: reading one must never crash or
// read past what it holds, whatever bytes it contains.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "wave/wave_setup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  tidora::CWaveSetup setup("/fuzz");
  int other = -1;
  setup.Parse(in, &other);
  std::ostringstream out;
  setup.WriteModuleSection(out);
  // A value the analysis cannot use (non-finite, out of its key's range) is never taken, so
  // every setting read is usable and a copy equals its original.
  if (!setup.CheckModuleSettings().empty()) __builtin_trap();
  tidora::CWaveSetup copy = setup;
  if (!copy.Equals(setup)) __builtin_trap();
  return 0;
}
