#include "convert/coefficient_file.h"

#include <cmath>

#include "datafile/textio.h"

#include "outside/utility.h"
#include "platform/profile.h"
#include "platform/settings_dir.h"

namespace tidora {
namespace {

constexpr const char* kSettingsFile = "TidoraWaves.ini";
constexpr const char* kSection = "ConvertHEX";
constexpr size_t kMaxWord = 259;

CoefficientFile Defaults(const char* cpcor, const char* ctcor) {
  CoefficientFile f;
  f.slots = {"COM1",     "9600",     "9600",     "1.000000", "0.000000", "0.000000",
             "0.000000", "0.000000", "0.000000", "0.000000", "0.000000", "0.000000",
             "0.000000", cpcor,      ctcor,      "1.000000", "0.000000"};
  return f;
}

CoefficientFileStatus ReadFile(const std::string& path, CoefficientFile& out) {
  TextLineReader in;
  if (!in.Open(path)) return CoefficientFileStatus::kCannotOpen;
  std::string line;
  if (!in.ReadLine(line)) return CoefficientFileStatus::kTooShort;
  CoefficientFile f;
  f.folder = line;
  for (int i = 0; i < kCoefficientSlots; ++i) {
    if (!in.ReadLine(line)) return CoefficientFileStatus::kTooShort;
    // The first blank-delimited word, at most 259 characters.
    f.slots[i] = std::string(FirstWord(line).substr(0, kMaxWord));
  }
  out = f;
  return CoefficientFileStatus::kOk;
}

}  // namespace

double CoefficientFile::Value(int slot) const {
  if (slot < 0 || slot >= kCoefficientSlots) return 0.0;
  double v = 0.0;
  FieldScanner s(slots[static_cast<size_t>(slot)]);
  return s.Double(v) ? v : 0.0;
}

int CoefficientFile::FirstUnreadableSlot() const {
  for (int i = kFirstCoefficientSlot; i < kCoefficientSlots; ++i) {
    FieldScanner s(slots[static_cast<size_t>(i)]);
    double v = 0.0;
    if (!s.Double(v) || !s.AtEnd() || !std::isfinite(v)) return i;
  }
  return -1;
}

void CoefficientFile::SetValue(int slot, double value) {
  if (slot < 0 || slot >= kCoefficientSlots) return;
  slots[slot] = DoubleToRoundTripText(value);
}

PressureCorrection CoefficientFile::Pressure() const {
  return {Value(kSlotSlopeCorrection), Value(kSlotOffsetCorrection)};
}

ConductivityCoefficients CoefficientFile::Conductivity() const {
  ConductivityCoefficients c;
  c.G = Value(kSlotG);
  c.H = Value(kSlotH);
  c.I = Value(kSlotI);
  c.J = Value(kSlotJ);
  c.CPcor = Value(kSlotCPcor);
  c.CTcor = Value(kSlotCTcor);
  return c;
}

CoefficientFile DefaultCoefficientsAtStart() {
  return Defaults("-9.57e-08", "3.25e-06");
}
CoefficientFile DefaultCoefficientsForShortFile() {
  return Defaults("0.000000", "0.000000");
}

std::string CoefficientFilePath() {
  return SettingsFile("CNVHex.ini");
}

CoefficientFileStatus ReadCoefficientFileStrict(const std::string& path, CoefficientFile& out) {
  return ReadFile(path, out);
}

CoefficientFileStatus LoadCoefficientFile(const std::string& path, CoefficientFile& io) {
  CoefficientFile f;
  CoefficientFileStatus st = ReadFile(path, f);
  if (st == CoefficientFileStatus::kOk) {
    io = f;
  } else if (st == CoefficientFileStatus::kTooShort) {
    std::string folder = io.folder;
    io = DefaultCoefficientsForShortFile();
    io.folder = folder;
  }
  return st;
}

bool WriteCoefficientFile(const std::string& path, const CoefficientFile& file) {
  std::string text = file.folder;
  if (text.empty() || text.back() != '/') text += '/';
  text += '\n';
  for (const std::string& s : file.slots) {
    text += s;
    text += '\n';
  }
  return WriteFileAtomically(path, text);
}

ConvertSettings LoadConvertSettings() {
  std::string file = SettingsFile(kSettingsFile);
  ConvertSettings s;
  s.hexFile = GetProfileString(kSection, "HEXFile", "", file);
  s.tidOutputFile = GetProfileString(kSection, "TIDOutputFile", "", file);
  s.wbOutputFile = GetProfileString(kSection, "WBOutputFile", "", file);
  s.startYear = GetProfileInt(kSection, "StartYear", 2000, file);
  return s;
}

bool SaveConvertSettings(const ConvertSettings& s) {
  std::string file = SettingsFile(kSettingsFile);
  bool ok = WriteProfileString(kSection, "HEXFile", s.hexFile, file);
  ok = WriteProfileString(kSection, "TIDOutputFile", s.tidOutputFile, file) && ok;
  ok = WriteProfileString(kSection, "WBOutputFile", s.wbOutputFile, file) && ok;
  ok = WriteProfileString(kSection, "StartYear", std::to_string(s.startYear), file) && ok;
  return ok;
}

}  // namespace tidora
