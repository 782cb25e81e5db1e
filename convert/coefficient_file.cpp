#include "convert/coefficient_file.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

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

// First blank-delimited word of a line, at most 259 characters.
std::string FirstWord(const std::string& line) {
  size_t b = line.find_first_not_of(" \t\r\n\f\v");
  if (b == std::string::npos) return {};
  size_t e = line.find_first_of(" \t\r\n\f\v", b);
  std::string w = line.substr(b, e == std::string::npos ? std::string::npos : e - b);
  if (w.size() > kMaxWord) w.resize(kMaxWord);
  return w;
}

CoefficientFileStatus ReadFile(const std::string& path, CoefficientFile& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return CoefficientFileStatus::kCannotOpen;
  std::string line;
  if (!std::getline(in, line)) return CoefficientFileStatus::kTooShort;
  CoefficientFile f;
  f.folder = line;
  while (!f.folder.empty() && (f.folder.back() == '\r' || f.folder.back() == '\n'))
    f.folder.pop_back();
  for (int i = 0; i < kCoefficientSlots; ++i) {
    if (!std::getline(in, line)) return CoefficientFileStatus::kTooShort;
    f.slots[i] = FirstWord(line);
  }
  out = f;
  return CoefficientFileStatus::kOk;
}

}  // namespace

double CoefficientFile::Value(int slot) const {
  if (slot < 0 || slot >= kCoefficientSlots) return 0.0;
  return std::strtod(slots[slot].c_str(), nullptr);
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
