#pragma once

#include <array>
#include <string>

#include "convert/calibration.h"

namespace tidora {

// The user's coefficient file CNVHex.ini in the settings directory: line 1 a folder (not read
// back), lines 2 to 18 seventeen values, one per line, each the first blank-delimited word.
// Slots 0..2 are serial settings the converter does not use; slots 3..16 are the coefficients.
inline constexpr int kCoefficientSlots = 17;
inline constexpr int kFirstCoefficientSlot = 3;

enum CoefficientSlot {
  kSlotPort = 0,
  kSlotBaud1 = 1,
  kSlotBaud2 = 2,
  kSlotSlopeCorrection = 3,
  kSlotOffsetCorrection = 4,
  kSlotA0 = 5,
  kSlotA1 = 6,
  kSlotA3 = 7,
  kSlotSerialNumber = 8,
  kSlotG = 9,
  kSlotH = 10,
  kSlotI = 11,
  kSlotJ = 12,
  kSlotCPcor = 13,
  kSlotCTcor = 14,
  kSlotConductivitySlope = 15,
  kSlotConductivityOffset = 16,
};

struct CoefficientFile {
  std::string folder;  // line 1; written, never used when reading
  std::array<std::string, kCoefficientSlots> slots;

  // Slots 3..16 parsed as numbers (text that is no number parses as far as it goes, else 0).
  double Value(int slot) const;
  void SetValue(int slot, double value);  // round-trip text of the value
  // The first of slots 3..16 that does not hold one finite number, or -1 when all do.
  int FirstUnreadableSlot() const;

  PressureCorrection Pressure() const;
  // The file's conductivity coefficients (used for the older recorder).
  ConductivityCoefficients Conductivity() const;
};

// The slots as the launcher starts with them, and as a file that ends early leaves them.
CoefficientFile DefaultCoefficientsAtStart();
CoefficientFile DefaultCoefficientsForShortFile();

// Path of CNVHex.ini in the settings directory.
std::string CoefficientFilePath();

enum class CoefficientFileStatus { kOk, kCannotOpen, kTooShort };

// Strict reading before a run: all 18 lines must be there.
CoefficientFileStatus ReadCoefficientFileStrict(const std::string& path, CoefficientFile& out);

// Dialog loading: a file that ends early gives every slot the short-file default; a missing
// file leaves `io` as it was. Returns the status of the read.
CoefficientFileStatus LoadCoefficientFile(const std::string& path, CoefficientFile& io);

// Writes the file (folder line, then each slot followed by a line feed). False when the file
// cannot be written; an existing file is then left as it was.
bool WriteCoefficientFile(const std::string& path, const CoefficientFile& file);

// Messages of the strict reading, as the conversion shows them.
inline constexpr const char* kMsgCannotOpenCoefficients =
    "Could not open cnvhex.ini, please re-enter coefficients";
inline constexpr const char* kMsgShortCoefficients =
    "Error reading cnvhex.ini, please re-enter coefficients";

// The conversion dialog's remembered fields, section [ConvertHEX] of TidoraWaves.ini.
struct ConvertSettings {
  std::string hexFile;
  std::string tidOutputFile;
  std::string wbOutputFile;
  int startYear = 2000;
};
ConvertSettings LoadConvertSettings();
bool SaveConvertSettings(const ConvertSettings& s);

}  // namespace tidora
