#include "convert/hex_decoder.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>

#include "convert/recorder_time.h"
#include "datafile/textio.h"
#include "recorder/instrument.h"

namespace tidora {
namespace {

bool Contains(std::string_view line, std::string_view text) {
  return line.find(text) != std::string_view::npos;
}

// The line's text from its second character begins with `text` (the upload file puts "*"
// in front of every status and coefficient line).
bool FromSecondBegins(std::string_view line, std::string_view text, bool ignoreCase) {
  if (line.size() < 1 + text.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char a = line[1 + i], b = text[i];
    if (ignoreCase) {
      a = static_cast<char>(std::tolower(static_cast<unsigned char>(a)));
      b = static_cast<char>(std::tolower(static_cast<unsigned char>(b)));
    }
    if (a != b) return false;
  }
  return true;
}

// Numbers read from a position of a line; false when there is none.
bool NumberAt(std::string_view line, size_t pos, double& out) {
  if (pos >= line.size()) return false;
  FieldScanner s(line.substr(pos));
  double v = 0;
  if (!s.Double(v) || !std::isfinite(v)) return false;
  out = v;
  return true;
}

bool IntAt(std::string_view line, size_t pos, int& out) {
  if (pos >= line.size()) return false;
  FieldScanner s(line.substr(pos));
  return s.ClampedInt(out);
}

// A data marker ("FFFFFFFD", "FFFFFFFB") anywhere in the line, in either case.
bool ContainsMarker(std::string_view line, std::string_view marker) {
  for (size_t i = 0; i + marker.size() <= line.size(); ++i)
    if (AllChars(line.substr(i), marker.size() - 1, 'F') &&
        UpperHex(line[i + marker.size() - 1]) == marker.back())
      return true;
  return false;
}

// Where a coefficient line of the header goes, and for which recorders it is there.
enum FamilyBit : unsigned {
  kPlusBit = 1,
  kBprBit = 2,
  kTidewellBit = 4,
  kAnyFamily = 15,  // every family, an unidentified one included
};

unsigned FamilyBitOf(InstrumentFamily family) {
  switch (family) {
    case InstrumentFamily::kTgr41plus:
      return kPlusBit;
    case InstrumentFamily::kTgr77Bpr:
      return kBprBit;
    case InstrumentFamily::kTidewell:
      return kTidewellBit;
    case InstrumentFamily::kUnknown:
      break;
  }
  return 8;
}

// The sensor a line belongs to: the TGR 41plus with a strain gauge lists its own pressure
// coefficients, every other recorder the quartz sensor's.
enum class Sensor { kAny, kStrain, kQuartz, kConductivity };

enum class Step {
  kKey,       // "KEY = value", required
  kOptional,  // "KEY = value"; when it is not there, the rest of its group is not listed either
              // and takes the defaults (the line read in its place is passed over)
  kSkip,      // a line without a value
};

using Field = double& (*)(HeaderCoefficients&);
#define TIDORA_COEFFICIENT(member) [](HeaderCoefficients& c) -> double& { return c.member; }

struct CoefficientLine {
  unsigned families;
  Sensor sensor;
  Step step;
  const char* key = nullptr;
  Field field = nullptr;
  int group = 0;  // nonzero: read only when the group's optional key was there
  double fallback = 0.0;
};

// The coefficient lines in the order the recorders list them, after the pressure sensor's
// title line.
const CoefficientLine kCoefficientLines[] = {
    {kPlusBit, Sensor::kStrain, Step::kKey, "PA0 =", TIDORA_COEFFICIENT(strain.PA0)},
    {kPlusBit, Sensor::kStrain, Step::kKey, "PA1 =", TIDORA_COEFFICIENT(strain.PA1)},
    {kPlusBit, Sensor::kStrain, Step::kKey, "PA2 =", TIDORA_COEFFICIENT(strain.PA2)},
    {kPlusBit, Sensor::kStrain, Step::kKey, "PTCA0 =", TIDORA_COEFFICIENT(strain.PTCA0)},
    {kPlusBit, Sensor::kStrain, Step::kKey, "PTCA1 =", TIDORA_COEFFICIENT(strain.PTCA1)},
    {kPlusBit, Sensor::kStrain, Step::kKey, "PTCA2 =", TIDORA_COEFFICIENT(strain.PTCA2)},
    {kPlusBit, Sensor::kStrain, Step::kKey, "PTCB0 =", TIDORA_COEFFICIENT(strain.PTCB0)},
    {kPlusBit, Sensor::kStrain, Step::kKey, "PTCB1 =", TIDORA_COEFFICIENT(strain.PTCB1)},
    {kPlusBit, Sensor::kStrain, Step::kKey, "PTCB2 =", TIDORA_COEFFICIENT(strain.PTCB2)},
    {kPlusBit, Sensor::kStrain, Step::kKey, "PTEMPA0 =", TIDORA_COEFFICIENT(strain.PTEMPA0)},
    {kPlusBit, Sensor::kStrain, Step::kKey, "PTEMPA1 =", TIDORA_COEFFICIENT(strain.PTEMPA1)},
    {kPlusBit, Sensor::kStrain, Step::kKey, "PTEMPA2 =", TIDORA_COEFFICIENT(strain.PTEMPA2)},
    {kAnyFamily, Sensor::kQuartz, Step::kKey, "U0 =", TIDORA_COEFFICIENT(quartz.U0)},
    {kAnyFamily, Sensor::kQuartz, Step::kKey, "Y1 =", TIDORA_COEFFICIENT(quartz.Y1)},
    {kAnyFamily, Sensor::kQuartz, Step::kKey, "Y2 =", TIDORA_COEFFICIENT(quartz.Y2)},
    {kAnyFamily, Sensor::kQuartz, Step::kKey, "Y3 =", TIDORA_COEFFICIENT(quartz.Y3)},
    {kAnyFamily, Sensor::kQuartz, Step::kKey, "C1 =", TIDORA_COEFFICIENT(quartz.C1)},
    {kAnyFamily, Sensor::kQuartz, Step::kKey, "C2 =", TIDORA_COEFFICIENT(quartz.C2)},
    {kAnyFamily, Sensor::kQuartz, Step::kKey, "C3 =", TIDORA_COEFFICIENT(quartz.C3)},
    {kAnyFamily, Sensor::kQuartz, Step::kKey, "D1 =", TIDORA_COEFFICIENT(quartz.D1)},
    {kAnyFamily, Sensor::kQuartz, Step::kKey, "D2 =", TIDORA_COEFFICIENT(quartz.D2)},
    {kAnyFamily, Sensor::kQuartz, Step::kKey, "T1 =", TIDORA_COEFFICIENT(quartz.T1)},
    {kAnyFamily, Sensor::kQuartz, Step::kKey, "T2 =", TIDORA_COEFFICIENT(quartz.T2)},
    {kAnyFamily, Sensor::kQuartz, Step::kKey, "T3 =", TIDORA_COEFFICIENT(quartz.T3)},
    {kAnyFamily, Sensor::kQuartz, Step::kKey, "T4 =", TIDORA_COEFFICIENT(quartz.T4)},
    {kTidewellBit, Sensor::kQuartz, Step::kKey, "T5 =", TIDORA_COEFFICIENT(quartz.T5)},
    {kPlusBit | kTidewellBit, Sensor::kAny, Step::kKey, "M =", TIDORA_COEFFICIENT(M)},
    {kPlusBit | kTidewellBit, Sensor::kAny, Step::kKey, "B =", TIDORA_COEFFICIENT(B)},
    {kPlusBit | kBprBit, Sensor::kAny, Step::kKey, "OFFSET =", TIDORA_COEFFICIENT(offset)},
    {kBprBit, Sensor::kAny, Step::kKey, "FRA0 =", TIDORA_COEFFICIENT(fra[0])},
    {kBprBit, Sensor::kAny, Step::kKey, "FRA1 =", TIDORA_COEFFICIENT(fra[1])},
    {kBprBit, Sensor::kAny, Step::kKey, "FRA2 =", TIDORA_COEFFICIENT(fra[2])},
    {kBprBit, Sensor::kAny, Step::kKey, "FRA3 =", TIDORA_COEFFICIENT(fra[3])},
    // Later BPR firmware lists three more frequency terms and a line after them.
    {kBprBit, Sensor::kAny, Step::kOptional, "FRA4 =", TIDORA_COEFFICIENT(fra[4]), 1},
    {kBprBit, Sensor::kAny, Step::kKey, "FRA5 =", TIDORA_COEFFICIENT(fra[5]), 1},
    {kBprBit, Sensor::kAny, Step::kKey, "FRA6 =", TIDORA_COEFFICIENT(fra[6]), 1},
    {kBprBit, Sensor::kAny, Step::kSkip, nullptr, nullptr, 1},
    {kPlusBit, Sensor::kAny, Step::kSkip},
    {kPlusBit | kBprBit, Sensor::kAny, Step::kKey, "TA0 =", TIDORA_COEFFICIENT(ta[0])},
    {kPlusBit | kBprBit, Sensor::kAny, Step::kKey, "TA1 =", TIDORA_COEFFICIENT(ta[1])},
    {kPlusBit | kBprBit, Sensor::kAny, Step::kKey, "TA2 =", TIDORA_COEFFICIENT(ta[2])},
    {kPlusBit | kBprBit, Sensor::kAny, Step::kKey, "TA3 =", TIDORA_COEFFICIENT(ta[3])},
    {kPlusBit | kBprBit, Sensor::kConductivity, Step::kSkip},
    {kPlusBit | kBprBit, Sensor::kConductivity, Step::kKey, "CG =", TIDORA_COEFFICIENT(cond.G)},
    {kPlusBit | kBprBit, Sensor::kConductivity, Step::kKey, "CH =", TIDORA_COEFFICIENT(cond.H)},
    {kPlusBit | kBprBit, Sensor::kConductivity, Step::kKey, "CI =", TIDORA_COEFFICIENT(cond.I)},
    {kPlusBit | kBprBit, Sensor::kConductivity, Step::kKey, "CJ =", TIDORA_COEFFICIENT(cond.J)},
    {kPlusBit | kBprBit, Sensor::kConductivity, Step::kKey,
     "CTCOR =", TIDORA_COEFFICIENT(cond.CTcor)},
    {kPlusBit | kBprBit, Sensor::kConductivity, Step::kKey,
     "CPCOR =", TIDORA_COEFFICIENT(cond.CPcor)},
    {kPlusBit | kBprBit, Sensor::kConductivity, Step::kKey, "CSLOPE =", TIDORA_COEFFICIENT(cslope)},
    {kTidewellBit, Sensor::kAny, Step::kSkip},
    {kTidewellBit, Sensor::kAny, Step::kSkip},
    {kTidewellBit, Sensor::kAny, Step::kSkip},
    {kTidewellBit, Sensor::kAny, Step::kSkip},
    {kTidewellBit, Sensor::kAny, Step::kKey, "AI =", TIDORA_COEFFICIENT(AI)},
    {kTidewellBit, Sensor::kAny, Step::kKey, "XI =", TIDORA_COEFFICIENT(XI)},
};
#undef TIDORA_COEFFICIENT

// A "KEY = value" line with the key from the line's sixth character.
bool ReadKey(HexLineReader& in, const char* key, double& value) {
  std::string_view line;
  if (!in.ReadLine(line)) return false;
  size_t len = std::strlen(key);
  if (line.size() < 5 + len || line.substr(5, len) != key) return false;
  return NumberAt(line, 5 + len, value);
}

}  // namespace

int HeaderState::ProgressTotal() const {
  long long total = measurements;
  if (family != InstrumentFamily::kTgr77Bpr)
    total += static_cast<long long>(bursts) * (samplesPerBurst / 2 + 4);
  if (total < 0) return 0;
  if (total > INT_MAX) return INT_MAX;
  return static_cast<int>(total);
}

bool ApplyOutputSwitch(std::string_view arg, OutputModes& modes) {
  if (arg.size() != 2 || (arg[0] != '-' && arg[0] != '/')) return false;
  switch (std::tolower(static_cast<unsigned char>(arg[1]))) {
    case 'v':
      modes.thermistorVoltage = true;
      return true;
    case 't':
      modes.bpr = BprLayout::kFrequencies;
      return true;
    case 'd':
      modes.bpr = BprLayout::kRawCounts;
      return true;
    default:
      return false;
  }
}

DecodeStatus CHexDecoder::ScanHeader(HexLineReader& in) {
  std::string_view line;
  for (;;) {
    if (!in.ReadLine(line)) return DecodeStatus::kNoInstrument;
    if (Contains(line, "*TGR 41plus V 5.2") || Contains(line, "*TGR 41plus V 6.0"))
      h_.waveRateFix = true;
    size_t p = line.find("TIDEWELL");
    if (p != std::string_view::npos) {
      h_.family = InstrumentFamily::kTidewell;
      double v;
      if (NumberAt(line, p + 10, v)) h_.tidewellVersion = v;
      h_.burstsAreMeasurements = Contains(line, "13186");
      break;
    }
    if (Contains(line, "*TGR 41plus")) {
      h_.family = InstrumentFamily::kTgr41plus;
      h_.alternateTemperature = Contains(line, "35850");
      break;
    }
    if (Contains(line, "*TGR 77 BPR")) {
      h_.family = InstrumentFamily::kTgr77Bpr;
      break;
    }
  }

  if (h_.family == InstrumentFamily::kTgr77Bpr) {
    for (;;) {
      if (!in.ReadLine(line)) {
        h_.measurements = 1;
        break;
      }
      if (FromSecondBegins(line, "conductivity = YES", true)) h_.conductivity = true;
      size_t p = line.find("measurements =");
      if (p != std::string_view::npos) {
        IntAt(line, p + 14, h_.measurements);
        break;
      }
    }
    return DecodeStatus::kOk;
  }

  for (;;) {
    if (!in.ReadLine(line)) return DecodeStatus::kHeaderError;
    if (Contains(line, "strain gauge pressure sensor")) h_.strainGauge = true;
    if (FromSecondBegins(line, "conductivity = YES", true)) h_.conductivity = true;
    if (FromSecondBegins(line, "measure waves", false)) break;
  }
  if (!in.ReadLine(line)) return DecodeStatus::kHeaderError;
  IntAt(line, 1, h_.samplesPerBurst);
  size_t at = line.find("burst at");
  if (at == std::string_view::npos || !NumberAt(line, at + 8, h_.scanRate))
    return DecodeStatus::kHeaderError;
  if (!h_.burstsAreMeasurements) {
    while (in.ReadLine(line)) {
      size_t p = line.find("measurements =");
      if (p != std::string_view::npos) {
        IntAt(line, p + 14, h_.measurements);
        break;
      }
    }
  }
  if (in.ReadLine(line)) {
    size_t p = line.find("wave bursts =");
    if (p != std::string_view::npos) IntAt(line, p + 13, h_.bursts);
  }
  if (h_.burstsAreMeasurements) h_.measurements = h_.bursts;
  return DecodeStatus::kOk;
}

bool CHexDecoder::ReadCoefficientLines(HexLineReader& in) {
  std::string_view line;
  for (;;) {
    if (!in.ReadLine(line)) return false;
    if (FromSecondBegins(line, "conductivity = YES", true)) h_.conductivity = true;
    if (FromSecondBegins(line, "tsunami demo", true)) h_.tsunami = true;
    if (FromSecondBegins(line, "Paroscientific", false) ||
        FromSecondBegins(line, "Pressure", false))
      break;
  }
  const unsigned family = FamilyBitOf(h_.family);
  const bool strain = h_.family == InstrumentFamily::kTgr41plus && h_.strainGauge;
  auto listed = [&](const CoefficientLine& row) {
    if ((row.families & family) == 0) return false;
    switch (row.sensor) {
      case Sensor::kStrain:
        return strain;
      case Sensor::kQuartz:
        return !strain;
      case Sensor::kConductivity:
        return h_.conductivity;
      case Sensor::kAny:
        break;
    }
    return true;
  };
  int absentGroup = 0;
  for (const CoefficientLine& row : kCoefficientLines) {
    if (!listed(row)) continue;
    if (row.group != 0 && row.group == absentGroup) {
      if (row.field) row.field(c_) = row.fallback;
      continue;
    }
    switch (row.step) {
      case Step::kSkip:
        if (!in.ReadLine(line)) return false;
        break;
      case Step::kKey:
        if (!ReadKey(in, row.key, row.field(c_))) return false;
        break;
      case Step::kOptional:
        if (!ReadKey(in, row.key, row.field(c_))) {
          row.field(c_) = row.fallback;
          absentGroup = row.group;
        }
        break;
    }
  }
  return true;
}

bool CHexDecoder::ReadCoefficients(HexLineReader& in) {
  const bool ok = ReadCoefficientLines(in);
  coefficientError_ = !ok;
  if (h_.family == InstrumentFamily::kTgr77Bpr) {
    h_.recordLength = BprRecordSize(h_.conductivity, h_.tsunami);
  } else {
    h_.recordLength = MarkerFamilyRecordSize(h_.conductivity);
  }
  return ok;
}

void CHexDecoder::FindDataMarker(HexLineReader& in) {
  std::string_view line;
  switch (h_.family) {
    case InstrumentFamily::kTgr41plus:
      while (in.ReadLine(line)) {
        if (ContainsMarker(line, "FFFFFFFB")) {
          h_.timeStamped = true;
          h_.recordLength += kTimeStampBytes;
          break;
        }
        if (ContainsMarker(line, "FFFFFFFD")) break;
      }
      break;
    case InstrumentFamily::kTidewell:
      while (in.ReadLine(line))
        if (line.size() >= 8 && ContainsMarker(line.substr(0, 8), "FFFFFFFD")) break;
      break;
    case InstrumentFamily::kTgr77Bpr:
      while (in.ReadLine(line)) {
        if (line.empty() || line[0] != '*') {
          pendingLine_.assign(line);
          hasPending_ = true;
          break;
        }
      }
      break;
    case InstrumentFamily::kUnknown:
      break;
  }
}

void CHexDecoder::ReadStartLines(HexLineReader& in) {
  if (h_.family != InstrumentFamily::kTgr41plus && h_.family != InstrumentFamily::kTidewell) return;
  std::string_view line;
  uint8_t b[4];
  if (in.ReadLine(line)) {
    DecodeHexBytes(line, b, 4);
    h_.startTime = U32(b);
  }
  if (in.ReadLine(line)) {
    DecodeHexBytes(line, b, 2);
    h_.tideInterval = U16(b);
  }
  in.ReadLine(line);
  if (h_.family == InstrumentFamily::kTidewell)
    h_.startTime = TidewellAdjustRawTime(h_.startTime, startYear_);
  tideTime_ = h_.startTime;
}

bool CHexDecoder::ApplyWaveRateFix() {
  if (h_.family != InstrumentFamily::kTgr41plus || !h_.waveRateFix || h_.scanRate == 4.0)
    return false;
  h_.scanRate = 4.0;
  return true;
}

}  // namespace tidora
