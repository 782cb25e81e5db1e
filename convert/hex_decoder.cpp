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

namespace tidora {
namespace {

constexpr size_t kDataLineMinimum = 8;

}  // namespace

void CHexDecoder::Reset(const CoefficientFile& file, int startYear, const OutputModes& modes) {
  *this = CHexDecoder();
  file_ = file;
  corr_ = file.Pressure();
  startYear_ = startYear;
  modes_ = modes;
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
  const QuartzTemperatureTerms quartz = QuartzTerms(t, c_.quartz);
  auto pressure = [&](double s) {
    if (h_.strainGauge)
      return StrainGaugePressure(s * 32.0, t * 0.256, c_.strain, c_.offset, corr_);
    return QuartzPressure(s, quartz, c_.quartz, c_.offset, corr_);
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
  if (h_.tsunami) return Tgr77TsunamiRecord(b, sink);

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
  bool ok;
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

DecodeStatus CHexDecoder::Tgr77TsunamiRecord(const uint8_t* b, ConvertSink& sink) {
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
  bool ok;
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
                                 static_cast<long>(c2), static_cast<long>(tc), e, fp, ft, pressure,
                                 tq, tth, FormatDataDateTime(t).c_str()));
      break;
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
  if (inBurst_) {
    TidewellBurstWord(b);
    return DecodeStatus::kOk;
  }
  return TidewellTide(in, b, sink);
}

void CHexDecoder::TidewellBurstWord(const uint8_t* b) {
  const bool version2 = std::fabs(h_.tidewellVersion - 2.0) < 1e-9;
  auto pressure = [&](const uint8_t* v) {
    return QuartzPressure(Fixed16_8(v), burstFt_, c_.quartz, c_.offset, corr_);
  };
  const long word = burstWord_++;
  if (word == 0) {
    double raw = U32(b);
    if (burstNumber_ != 0 && raw < prevBurstRaw_) ++startYear_;
    prevBurstRaw_ = raw;
    burstStart_ = TidewellAdjustRawTime(raw, startYear_);
    return;
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
      return;
    }
  }
  std::memcpy(burstBuf_ + 4 * burstFill_, b, 4);
  if (++burstFill_ < 3) return;
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
}

DecodeStatus CHexDecoder::TidewellTide(HexLineReader& in, const uint8_t* b, ConvertSink& sink) {
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
