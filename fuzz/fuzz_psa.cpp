// Program setup files come from people and other programs: reading one must never crash or
// read past what it holds, whatever bytes it contains.
#include <cmath>
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
  // A copy equals its original unless a setting read as NaN (which equals nothing).
  bool nan = false;
  for (const auto& d : tidora::CWaveSetup::Settings())
    if (d.type == tidora::SettingType::kDouble && std::isnan(setup.*d.doubleField)) nan = true;
  tidora::CWaveSetup copy = setup;
  if (!nan && !copy.Equals(setup)) __builtin_trap();
  return 0;
}
