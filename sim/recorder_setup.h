#pragma once

#include "sim/recorder.h"
#include "sim/recorder_engine.h"

namespace tidora::sim {

// The serial side of a simulated deployment: the replies of sim/replies.h without the echo and
// the prompt the engine adds itself, the memory image, and the dump lines the recorder prints.
// `logging` makes the recorder report that it is still logging.
RecorderSetup SetupFor(const Deployment& d, const RecorderFaults& faults = {},
                       bool logging = false);

}  // namespace tidora::sim
