#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "recorder/instrument.h"
#include "sim/recorder.h"

namespace tidora::sim {

// The memory image is cut into lines as the terminal cuts it: one implementation serves both.
using tidora::ImageLayout;
using tidora::ImageToHexLines;
// The layout of the deployment's image: 5 or 8 byte records with markers and bursts (TGR 41plus),
// fixed records of 17, 20 or 25 bytes (TGR 77 BPR) or of 4 bytes (TGR 41).
ImageLayout LayoutOf(const Deployment& d);

// The status and coefficient sections: "*" in front of the status reply, and "*" after every
// line feed of both replies.
std::string StatusSection(const std::string& reply);
std::string CoefficientSection(const std::string& reply);

// The three header lines the terminal writes first.
using tidora::UploadHeader;

// The whole upload file of a deployment, as the terminal writes it for `path`: the data
// section as the ASCII dump received it, or as the conversion of a binary upload's image. The
// TGR 41 always uploads as ASCII.
enum class UploadMethod { kBinary, kAscii };
std::string UploadFileText(const Deployment& d, const std::string& path,
                           UploadMethod method = UploadMethod::kBinary);
bool WriteUploadFile(const Deployment& d, const std::string& path,
                     UploadMethod method = UploadMethod::kBinary);

// CNVHex.ini for the simulated coefficients.
bool WriteCoefficients(const Deployment& d, const std::string& path);

}  // namespace tidora::sim
