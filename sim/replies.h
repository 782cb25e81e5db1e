#pragma once

#include <string>

#include "sim/recorder.h"

namespace tidora::sim {

// What the simulated recorder answers, exactly as it goes over the serial line (CR LF line
// ends, the echo of the command first, the "S>" prompt last). Kept in one place: the upload
// file and a recorder served on a serial line use the same texts.

// Reply to "DS": identification, sampling scheme and counts.
std::string StatusReply(const Deployment& d);
// Reply to "DC": the calibration coefficients in the order the converter reads them.
std::string CoefficientReply(const Deployment& d);
// Reply to a dump command ("DD", or "DE" and "DA" on a TGR 41): the echo of the command, the
// memory as lines of hexadecimal digits, the prompt.
std::string DumpReply(const Deployment& d, const std::string& command = "DD");
// Reply to "bytecount".
std::string ByteCountReply(size_t bytes);

}  // namespace tidora::sim
