#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/recorder.h"

namespace tidora::sim {

// How a memory image is cut into the hexadecimal lines the recorder prints: fixed records of
// `recordSize` bytes, or for the TGR 41plus its marker, start lines and wave bursts.
struct ImageLayout {
  int recordSize = 5;  // 5 or 8 (TGR 41plus), 17, 20 or 25 (TGR 77 BPR), 4 (TGR 41)
  bool tgr41plus = true;
  bool conductivity = false;
};
ImageLayout LayoutOf(const Deployment& d);

// The data section of a binary upload: "DD", one line of upper-case hexadecimal digits per
// record, then "S>"; every line ends with `lineEnd`.
std::string ImageToHexLines(const uint8_t* image, size_t size, const ImageLayout& layout,
                            const std::string& lineEnd = "\r\n");

// The status and coefficient sections: "*" in front of the status reply, and "*" after every
// line feed of both replies.
std::string StatusSection(const std::string& reply);
std::string CoefficientSection(const std::string& reply);

// The three header lines the terminal writes first (line feed only).
std::string UploadHeader(Family family, const std::string& path);

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
