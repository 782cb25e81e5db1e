#include "convert/hex_decoder.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "convert/recorder_time.h"
#include "datafile/textio.h"
#include "datafile/writers.h"
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

// Hexadecimal digits compare without regard to case, as they decode.
char UpperHex(char c) {
  return c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool AllChars(std::string_view line, size_t count, char c) {
  if (line.size() < count) return false;
  for (size_t i = 0; i < count; ++i)
    if (UpperHex(line[i]) != c) return false;
  return true;
}

// A data marker ("FFFFFFFD", "FFFFFFFB") anywhere in the line, in either case.
bool ContainsMarker(std::string_view line, std::string_view marker) {
  for (size_t i = 0; i + marker.size() <= line.size(); ++i)
    if (AllChars(line.substr(i), marker.size() - 1, 'F') &&
        UpperHex(line[i + marker.size() - 1]) == marker.back())
      return true;
  return false;
}

constexpr size_t kDataLineMinimum = 8;

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

void CHexDecoder::Reset(const CoefficientFile& file, int startYear, const OutputModes& modes) {
  *this = CHexDecoder();
  file_ = file;
  corr_ = file.Pressure();
  startYear_ = startYear;
  modes_ = modes;
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

bool CHexDecoder::ReadKey(HexLineReader& in, const char* key, double& value) {
  std::string_view line;
  if (!in.ReadLine(line)) return false;
  size_t len = std::strlen(key);
  if (line.size() < 5 + len || line.substr(5, len) != key) return false;
  return NumberAt(line, 5 + len, value);
}

bool CHexDecoder::ReadCoefficients(HexLineReader& in) {
  const bool plus = h_.family == InstrumentFamily::kTgr41plus;
  const bool bpr = h_.family == InstrumentFamily::kTgr77Bpr;
  const bool tidewell = h_.family == InstrumentFamily::kTidewell;

  auto lines = [&]() -> bool {
    std::string_view line;
    for (;;) {
      if (!in.ReadLine(line)) return false;
      if (FromSecondBegins(line, "conductivity = YES", true)) h_.conductivity = true;
      if (FromSecondBegins(line, "tsunami demo", true)) h_.tsunami = true;
      if (FromSecondBegins(line, "Paroscientific", false) ||
          FromSecondBegins(line, "Pressure", false))
        break;
    }
    auto skip = [&]() { return in.ReadLine(line); };
    if (plus && h_.strainGauge) {
      StrainGaugeCoefficients& s = c_.strain;
      if (!ReadKey(in, "PA0 =", s.PA0) || !ReadKey(in, "PA1 =", s.PA1) ||
          !ReadKey(in, "PA2 =", s.PA2) || !ReadKey(in, "PTCA0 =", s.PTCA0) ||
          !ReadKey(in, "PTCA1 =", s.PTCA1) || !ReadKey(in, "PTCA2 =", s.PTCA2) ||
          !ReadKey(in, "PTCB0 =", s.PTCB0) || !ReadKey(in, "PTCB1 =", s.PTCB1) ||
          !ReadKey(in, "PTCB2 =", s.PTCB2) || !ReadKey(in, "PTEMPA0 =", s.PTEMPA0) ||
          !ReadKey(in, "PTEMPA1 =", s.PTEMPA1) || !ReadKey(in, "PTEMPA2 =", s.PTEMPA2) ||
          !ReadKey(in, "M =", c_.M) || !ReadKey(in, "B =", c_.B) ||
          !ReadKey(in, "OFFSET =", c_.offset))
        return false;
    } else {
      QuartzCoefficients& q = c_.quartz;
      if (!ReadKey(in, "U0 =", q.U0) || !ReadKey(in, "Y1 =", q.Y1) || !ReadKey(in, "Y2 =", q.Y2) ||
          !ReadKey(in, "Y3 =", q.Y3) || !ReadKey(in, "C1 =", q.C1) || !ReadKey(in, "C2 =", q.C2) ||
          !ReadKey(in, "C3 =", q.C3) || !ReadKey(in, "D1 =", q.D1) || !ReadKey(in, "D2 =", q.D2) ||
          !ReadKey(in, "T1 =", q.T1) || !ReadKey(in, "T2 =", q.T2) || !ReadKey(in, "T3 =", q.T3) ||
          !ReadKey(in, "T4 =", q.T4))
        return false;
      if (tidewell && !ReadKey(in, "T5 =", q.T5)) return false;
      if ((plus || tidewell) && (!ReadKey(in, "M =", c_.M) || !ReadKey(in, "B =", c_.B)))
        return false;
      if ((plus || bpr) && !ReadKey(in, "OFFSET =", c_.offset)) return false;
    }
    if (bpr) {
      if (!ReadKey(in, "FRA0 =", c_.fra[0]) || !ReadKey(in, "FRA1 =", c_.fra[1]) ||
          !ReadKey(in, "FRA2 =", c_.fra[2]) || !ReadKey(in, "FRA3 =", c_.fra[3]))
        return false;
      if (ReadKey(in, "FRA4 =", c_.fra[4])) {
        if (!ReadKey(in, "FRA5 =", c_.fra[5]) || !ReadKey(in, "FRA6 =", c_.fra[6])) return false;
        if (!skip()) return false;
      } else {
        c_.fra[4] = c_.fra[5] = c_.fra[6] = 0.0;
      }
    }
    if (plus && !skip()) return false;
    if (plus || bpr) {
      if (!ReadKey(in, "TA0 =", c_.ta[0]) || !ReadKey(in, "TA1 =", c_.ta[1]) ||
          !ReadKey(in, "TA2 =", c_.ta[2]) || !ReadKey(in, "TA3 =", c_.ta[3]))
        return false;
      if (h_.conductivity) {
        if (!skip() || !ReadKey(in, "CG =", c_.cond.G) || !ReadKey(in, "CH =", c_.cond.H) ||
            !ReadKey(in, "CI =", c_.cond.I) || !ReadKey(in, "CJ =", c_.cond.J) ||
            !ReadKey(in, "CTCOR =", c_.cond.CTcor) || !ReadKey(in, "CPCOR =", c_.cond.CPcor) ||
            !ReadKey(in, "CSLOPE =", c_.cslope))
          return false;
      }
    }
    if (tidewell) {
      for (int i = 0; i < 4; ++i)
        if (!skip()) return false;
      if (!ReadKey(in, "AI =", c_.AI) || !ReadKey(in, "XI =", c_.XI)) return false;
    }
    return true;
  };
  bool ok = lines();
  coefficientError_ = !ok;

  if (bpr) {
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

double CHexDecoder::ConductivitySlope() const {
  return EffectiveConductivitySlope(c_.cslope);
}

std::tm CHexDecoder::TideTm(double seconds) const {
  if (h_.family == InstrumentFamily::kTidewell) return TidewellTimeToTm(seconds, h_.startTime);
  return Time2000ToTm(seconds);
}

DecodeStatus CHexDecoder::DecodeData(HexLineReader& in, ConvertSink& sink,
                                     const std::atomic<bool>* abort,
                                     const std::function<void(long)>& progress) {
  const long first = in.LinesRead();
  long nextStep = 100;
  auto dispatch = [&](std::string_view line) -> DecodeStatus {
    if (line.size() < kDataLineMinimum) return DecodeStatus::kOk;
    switch (h_.family) {
      case InstrumentFamily::kTgr41plus:
        return Tgr41plusLine(in, line, sink);
      case InstrumentFamily::kTgr77Bpr:
        return Tgr77Line(line, sink);
      case InstrumentFamily::kTidewell:
        return TidewellLine(in, line, sink);
      case InstrumentFamily::kUnknown:
        break;
    }
    return DecodeStatus::kEndOfFile;
  };
  DecodeStatus st = DecodeStatus::kOk;
  if (hasPending_) {
    hasPending_ = false;
    std::string first_line = pendingLine_;
    st = dispatch(first_line);
  }
  while (st == DecodeStatus::kOk) {
    if (abort && abort->load(std::memory_order_relaxed)) {
      st = DecodeStatus::kStopped;
      break;
    }
    std::string_view line;
    if (!in.ReadLine(line)) {
      st = DecodeStatus::kEndOfFile;
      break;
    }
    st = dispatch(line);
    long n = in.LinesRead() - first;
    if (n >= nextStep) {
      nextStep = (n / 100 + 1) * 100;
      if (progress) progress(n);
    }
  }
  // An older recorder's burst that the file ends in is written as far as it goes.
  if (inBurst_ && (st == DecodeStatus::kEndOfFile || st == DecodeStatus::kStopped)) {
    if (burstPending_) ++burstsCut_;
    if (!FlushTidewellBurst(sink)) return DecodeStatus::kWriteError;
  }
  return st;
}

bool CHexDecoder::FlushTidewellBurst(ConvertSink& sink) {
  if (!burstPending_) return true;
  burstPending_ = false;
  // The header's count stays when the rows fit it (the older recorder packs its samples four
  // to three words, the first buffer sometimes holding the temperature); otherwise the rows
  // name the count.
  const long rows = static_cast<long>(pendingRows_.size());
  int samples = h_.samplesPerBurst;
  if (samples <= 0 || std::labs(rows * 4 - static_cast<long>(samples)) >= 8) {
    const int count = static_cast<int>(std::min<long>(rows * 4, INT_MAX));
    if (countMismatches_++ == 0) firstMismatch_ = {pendingBurst_, count};
    samples = count;
  }
  bool ok = sink.BurstHeader(pendingBurst_, pendingStart_, pendingPeriod_, samples);
  if (ok) ++burstsWritten_;
  for (const auto& r : pendingRows_) {
    if (!ok) break;
    ok = sink.BurstRow(r[0], r[1], r[2], r[3]);
  }
  pendingRows_.clear();
  return ok;
}

DecodeStatus CHexDecoder::Tgr41plusLine(HexLineReader& in, std::string_view line,
                                        ConvertSink& sink) {
  const size_t n = static_cast<size_t>(h_.recordLength);
  const size_t m = h_.conductivity ? 8 : 5;
  if (AllChars(line, 2 * n, '0')) return Tgr41plusBurst(in, sink);
  if (AllChars(line, 2 * m - 1, 'F') && line.size() >= 2 * m &&
      UpperHex(line[2 * m - 1]) == (h_.timeStamped ? 'B' : 'D'))
    return DecodeStatus::kMultipleRecords;

  uint8_t b[16];
  DecodeHexBytes(line, b, n);
  double pressure = PressureFromNumber(U24(b), c_.M, c_.B, corr_);
  double temperature = TemperatureFromNumber(U16(b + 3), h_.alternateTemperature);
  double time = h_.timeStamped ? U32(b + n - 4) : tideTime_;
  std::tm t = Time2000ToTm(time);
  int decimals = h_.alternateTemperature ? 4 : 3;
  ++tideCount_;
  bool ok;
  if (h_.conductivity) {
    double p = SeaPressureDbar(pressure);
    double cond = Conductivity(Fixed16_8(b + 5), temperature, p, c_.cond, ConductivitySlope(), 0.0);
    ok = sink.TideRecord(tideCount_, t, pressure, temperature, decimals, cond,
                         SalinityFromConductivity(cond, temperature, p));
  } else {
    ok = sink.TideRecord(tideCount_, t, pressure, temperature, decimals);
  }
  tideTime_ = time + h_.tideInterval;
  return ok ? DecodeStatus::kOk : DecodeStatus::kWriteError;
}

DecodeStatus CHexDecoder::Tgr41plusBurst(HexLineReader& in, ConvertSink& sink) {
  std::string_view line;
  uint8_t a[6], b[6];
  if (!in.ReadLine(line)) return DecodeStatus::kEndOfFile;
  DecodeHexBytes(line, a, 5);
  if (!in.ReadLine(line)) return DecodeStatus::kEndOfFile;
  DecodeHexBytes(line, b, 5);
  const double start = U32(a);
  const double t = Fixed24_8(b);
  const int count = a[4] * 256 + b[4];
  const double period = h_.scanRate > 0 ? 1.0 / h_.scanRate : 0.0;
  // The header's count names the burst unless the burst itself holds another: a damaged or
  // lying header must not make readers expect samples that were never written.
  int samples = h_.samplesPerBurst;
  if (samples != count) {
    if (countMismatches_++ == 0) firstMismatch_ = {burstNumber_, count};
    samples = count;
  }
  if (!sink.BurstHeader(burstNumber_, start, period, samples)) return DecodeStatus::kWriteError;
  ++burstsWritten_;
  auto pressure = [&](double s) {
    if (h_.strainGauge)
      return StrainGaugePressure(s * 32.0, t * 0.256, c_.strain, c_.offset, corr_);
    return QuartzPressure(s, t, c_.quartz, c_.offset, corr_);
  };
  DecodeStatus st = DecodeStatus::kOk;
  for (int row = 0; row < count / 4; ++row) {
    if (!in.ReadLine(line)) {
      st = DecodeStatus::kEndOfFile;
      break;
    }
    DecodeHexBytes(line, a, 6);
    if (!in.ReadLine(line)) {
      st = DecodeStatus::kEndOfFile;
      break;
    }
    DecodeHexBytes(line, b, 6);
    if (!sink.BurstRow(pressure(Fixed16_8(a)), pressure(Fixed16_8(a + 3)), pressure(Fixed16_8(b)),
                       pressure(Fixed16_8(b + 3))))
      return DecodeStatus::kWriteError;
    ++rows_;
  }
  ++burstNumber_;
  if (st != DecodeStatus::kOk) {
    ++burstsCut_;
    return st;
  }
  // The recorder stores two samples a line: with 2 or 3 samples over a whole row one more
  // sample line follows, and the burst's closing record always does. Neither is a tide sample.
  for (int k = 2 * (count / 4); k < count / 2; ++k)
    if (!in.ReadLine(line)) return DecodeStatus::kEndOfFile;
  in.ReadLine(line);
  return DecodeStatus::kOk;
}

DecodeStatus CHexDecoder::Tgr77Line(std::string_view line, ConvertSink& sink) {
  const size_t n = static_cast<size_t>(h_.recordLength);
  uint8_t b[32];
  DecodeHexBytes(line, b, n);
  if (U32(b) == 0xFFFFFFFFu) {
    double value = U32(b + 4) + U24(b + 8) * 1e-6;
    int integer = static_cast<int>(U16(b + 11));
    size_t timePos = (h_.conductivity && !h_.tsunami) ? n - 4 : 13;
    ++refCount_;
    const std::string text =
        FormatC("%6ld   %s %13.6f  %d", refCount_,
                FormatDataDateTime(Time2000ToTm(U32(b + timePos))).c_str(), value, integer);
    return sink.ReferenceLine(text) ? DecodeStatus::kOk : DecodeStatus::kWriteError;
  }

  bool ok;
  if (h_.tsunami) {
    const uint32_t c1 = U32(b), pc = U32(b + 4), c2 = U32(b + 8), tc = U32(b + 12);
    const int e = static_cast<int>(U16(b + 16));
    const double x = U24(b + 18);
    const std::tm t = Time2000ToTm(U32(b + 21));
    double F = 0.0, ep = 1.0;
    for (int i = 0; i < 7; ++i, ep *= e) F += c_.fra[i] * ep;
    // A zero reference count would divide by zero: no frequency then.
    const double fp = c1 ? F * (pc * 256.0 / c1) : 0.0;
    const double ft = c2 ? F * (tc * 1536.0 / c2) : 0.0;
    const double pressure = QuartzPressure(fp, ft, c_.quartz, c_.offset, corr_);
    const double tq = QuartzTemperature(ft, c_.quartz);
    const double tth = ThermistorTemperature(x, c_.ta);
    ++tideCount_;
    switch (modes_.bpr) {
      case BprLayout::kNormal:
        ok = sink.TideRecord(tideCount_, t, pressure, tth, 4);
        break;
      case BprLayout::kFrequencies:
        ok = sink.TideLine(FormatC("%6ld   %s%7d%13.3f%15.6f%15.6f%11.4f%10.3f%11.4f", tideCount_,
                                   FormatDataDateTime(t).c_str(), e, F, fp, ft, pressure, tq, tth));
        break;
      case BprLayout::kRawCounts:
      default:
        ok = sink.TideLine(FormatC("%ld  %ld  %ld  %ld  %d %15.6f%15.6f%11.4f%10.3f%11.4f %s",
                                   static_cast<long>(c1), static_cast<long>(pc),
                                   static_cast<long>(c2), static_cast<long>(tc), e, fp, ft,
                                   pressure, tq, tth, FormatDataDateTime(t).c_str()));
        break;
    }
    return ok ? DecodeStatus::kOk : DecodeStatus::kWriteError;
  }

  const double fp = U32(b) * 0.00002;
  const double ft = U32(b + 4) * 0.00008;
  const double x = U24(b + 8);
  const int integer = static_cast<int>(U16(b + 11));
  const std::tm t = Time2000ToTm(U32(b + n - 4));
  double pressure = QuartzPressure(fp, ft, c_.quartz, c_.offset, corr_);
  if (pressure >= kBprPressureLimit) pressure = kBprPressureSentinel;
  if (pressure <= -kBprPressureLimit) pressure = -kBprPressureSentinel;
  const double temperature = ThermistorTemperature(x, c_.ta);
  double cond = 0, sal = 0;
  if (h_.conductivity) {
    double p = SeaPressureDbar(pressure);
    cond = Conductivity(Fixed16_8(b + 13), temperature, p, c_.cond, ConductivitySlope(), 0.0);
    sal = SalinityFromConductivity(cond, temperature, p);
  }
  ++tideCount_;
  if (modes_.bpr == BprLayout::kFrequencies) {
    std::string text =
        FormatC("%6ld   %s%15.6f%15.6f%13.4f%13.4f%7d", tideCount_, FormatDataDateTime(t).c_str(),
                fp, ft, pressure, temperature, integer);
    if (h_.conductivity) text += FormatC("%11.5f%11.3f", cond, sal);
    ok = sink.TideLine(text);
  } else if (h_.conductivity) {
    ok = sink.TideRecord(tideCount_, t, pressure, temperature, 4, cond, sal);
  } else {
    ok = sink.TideRecord(tideCount_, t, pressure, temperature, 4);
  }
  return ok ? DecodeStatus::kOk : DecodeStatus::kWriteError;
}

DecodeStatus CHexDecoder::TidewellLine(HexLineReader& in, std::string_view line,
                                       ConvertSink& sink) {
  uint8_t b[4];
  DecodeHexBytes(line, b, 4);
  if ((b[0] | b[1] | b[2] | b[3]) == 0) {
    if (!FlushTidewellBurst(sink)) return DecodeStatus::kWriteError;
    inBurst_ = true;
    burstWord_ = 0;
    burstFill_ = 0;
    firstBuffer_ = true;
    return DecodeStatus::kOk;
  }
  if ((b[0] & b[1] & b[2] & b[3]) == 0xFF) {
    if (!FlushTidewellBurst(sink)) return DecodeStatus::kWriteError;
    inBurst_ = false;
    ++burstNumber_;
    burstFill_ = 0;
    return DecodeStatus::kOk;
  }
  const bool version2 = std::fabs(h_.tidewellVersion - 2.0) < 1e-9;
  if (inBurst_) {
    auto pressure = [&](const uint8_t* v) {
      return QuartzPressure(Fixed16_8(v), burstFt_, c_.quartz, c_.offset, corr_);
    };
    const long word = burstWord_++;
    if (word == 0) {
      double raw = U32(b);
      if (burstNumber_ != 0 && raw < prevBurstRaw_) ++startYear_;
      prevBurstRaw_ = raw;
      burstStart_ = TidewellAdjustRawTime(raw, startYear_);
      return DecodeStatus::kOk;
    }
    if (word == 1) {
      // The burst is written once its end shows how many samples it holds.
      burstPending_ = true;
      pendingBurst_ = burstNumber_;
      pendingStart_ = burstStart_;
      pendingPeriod_ = h_.scanRate > 0 ? 1.0 / h_.scanRate : 0.0;
      pendingRows_.clear();
      if (!version2) {
        burstFt_ = Fixed16_8(b) * 4.0;
        return DecodeStatus::kOk;
      }
    }
    std::memcpy(burstBuf_ + 4 * burstFill_, b, 4);
    if (++burstFill_ < 3) return DecodeStatus::kOk;
    burstFill_ = 0;
    if (version2 && firstBuffer_) {
      burstFt_ = Fixed16_8(burstBuf_) * 4.0;
      double p1 = pressure(burstBuf_ + 3);
      pendingRows_.push_back({p1, p1, pressure(burstBuf_ + 6), pressure(burstBuf_ + 9)});
    } else {
      pendingRows_.push_back({pressure(burstBuf_), pressure(burstBuf_ + 3), pressure(burstBuf_ + 6),
                              pressure(burstBuf_ + 9)});
    }
    firstBuffer_ = false;
    ++rows_;
    return DecodeStatus::kOk;
  }

  const int pn = b[0] * 2048 + b[1] * 8 + (b[2] >> 5);
  const int tn = (b[2] & 0x1F) * 256 + b[3];
  double f = 0.0;
  if (h_.conductivity) {
    std::string_view next;
    if (in.ReadLine(next) && next.size() >= kDataLineMinimum) {
      uint8_t c[4];
      DecodeHexBytes(next, c, 4);
      f = Fixed24_8(c);
    }
  }
  const double pressure = PressureFromNumber(pn, c_.M, c_.B, corr_);
  const double temperature = TidewellThermistorTemperature(
      tn, c_.AI, c_.XI, file_.Value(kSlotA0), file_.Value(kSlotA1), file_.Value(kSlotA3));
  const double shown = modes_.thermistorVoltage ? TidewellThermistorVoltage(tn) : temperature;
  const std::tm t = TideTm(tideTime_);
  ++tideCount_;
  bool ok;
  if (h_.conductivity) {
    double p = SeaPressureDbar(pressure);
    double cond = Conductivity(f, temperature, p, file_.Conductivity(),
                               EffectiveConductivitySlope(file_.Value(kSlotConductivitySlope)),
                               file_.Value(kSlotConductivityOffset));
    ok = sink.TideRecord(tideCount_, t, pressure, shown, 3, cond,
                         SalinityFromConductivity(cond, temperature, p));
  } else {
    ok = sink.TideRecord(tideCount_, t, pressure, shown, 3);
  }
  tideTime_ += h_.tideInterval;
  return ok ? DecodeStatus::kOk : DecodeStatus::kWriteError;
}

}  // namespace tidora
