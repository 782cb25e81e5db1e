// The wave output files are read back by the report module and the plotting component, and
// people edit them: reading one must never crash or overrun, whatever bytes it holds.
#include "fuzz/reader_fuzz.h"
#include "testing/scripted_interaction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static tidora::ScriptedInteraction ui;
  for (int kind : {tidora::kWasFileId, tidora::kWtsFileId, tidora::kWtFileId})
    tidora::fuzz::ExerciseReader(kind, data, size, 1000, &ui);
  ui.Clear();
  return 0;
}
