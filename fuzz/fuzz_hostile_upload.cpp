// Whole conversions of simulated uploads made hostile the ways the field found: line ends of
// every kind, lower-case digits, headers whose counts lie, coefficients that are nan, inf or
// junk (in the upload or in CNVHex.ini), cuts and flipped bytes. The seeds come from the
// simulated recorder, so every run starts from a real upload. Besides no crash and no
// sanitizer report, a conversion must never finish with a non-finite calibration, and one
// whose only changes are line ends and letter case must give every tide record back.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/converter.h"
#include "fuzz/hostile_text.h"
#include "platform/interaction.h"
#include "sim/recorder.h"
#include "sim/upload.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace {

using namespace tidora;
using fuzz::Choices;

const char* const kHostileNumbers[] = {"nan",        "inf",         "-inf",
                                       "1e308",      "-1e308",      "junk",
                                       "2147483647", "-2147483648", "99999999999999999999",
                                       "0",          "-1",          ""};
constexpr size_t kHostileCount = sizeof kHostileNumbers / sizeof kHostileNumbers[0];

// Replaces the number after `key` on its line.
void ReplaceAfter(std::string& text, const std::string& key, const std::string& value) {
  size_t p = text.find(key);
  if (p == std::string::npos) return;
  p += key.size();
  while (p < text.size() && text[p] == ' ') ++p;
  size_t e = p;
  while (e < text.size() && text[e] != ' ' && text[e] != '\r' && text[e] != '\n') ++e;
  text.replace(p, e - p, value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static testing::TempHome* home = new testing::TempHome;  // lives for the run
  Choices in{data, size};
  const uint8_t shape = in.Next(), edits = in.Next();

  sim::Options o;
  o.family = static_cast<sim::Family>(shape % 3);
  o.conductivity = shape & 4;
  o.timeStamped = shape & 8;
  o.tideSamples = 1 + in.Next() % 24;
  o.burstEvery = 1 + in.Next() % 4;
  o.samplesPerBurst = 4 + in.Next() % 64;  // every remainder of 4
  o.referenceEvery = 3;
  sim::Deployment d = sim::Simulate(o);
  std::string text = sim::UploadFileText(d, "/f.hex");

  // Header counts that lie.
  if (edits & 1) {
    const std::string v = kHostileNumbers[in.Next() % kHostileCount];
    switch (in.Next() % 3) {
      case 0:  // the samples per burst open the line after "measure waves"
        if (size_t p = text.find("measure waves"); p != std::string::npos)
          if (size_t q = text.find("\n*", p); q != std::string::npos)
            text.replace(q + 2, text.find(' ', q) - q - 2, v);
        break;
      case 1:
        ReplaceAfter(text, "measurements =", v);
        break;
      default:
        ReplaceAfter(text, "wave bursts =", v);
        break;
    }
  }
  // A coefficient that is no finite number.
  bool badCalibration = false;
  if (edits & 2) {
    // Keys every quartz recorder's header carries and the converter reads.
    static const char* const keys[] = {"U0 =", "Y1 =", "C1 =", "T1 ="};
    const std::string key = keys[in.Next() % 4];
    const std::string v = kHostileNumbers[in.Next() % 6];
    if (text.find(key) != std::string::npos) {
      ReplaceAfter(text, key, v);
      badCalibration = v != "1e308" && v != "-1e308";
    }
  }
  // Lower-case digits in the data section.
  const size_t dataStart = text.find(">DD");
  if ((edits & 4) && dataStart != std::string::npos)
    for (size_t i = dataStart + 3; i < text.size(); ++i)
      if (text[i] >= 'A' && text[i] <= 'F') text[i] = static_cast<char>(text[i] - 'A' + 'a');
  // Line ends: CR LF, LF or CR alone.
  text = fuzz::WithLineEnds(text, (edits >> 3) % 3);
  const bool faithful = (edits & 0xC3) == 0;  // nothing but case and line ends changed
  // A cut, and flipped bytes.
  if (edits & 64) text.resize(in.Next32() % (text.size() + 1));
  if (edits & 128)
    for (int k = in.Next() % 8; k > 0 && !text.empty(); --k)
      text[in.Next32() % text.size()] ^= static_cast<char>(1 + in.Next() % 255);

  const std::string hex = home->file("f.hex");
  testing::WriteFile(hex, text);
  sim::WriteCoefficients(d, CoefficientFilePath());
  CoefficientFile coefficients;
  if (ReadCoefficientFileStrict(CoefficientFilePath(), coefficients) != CoefficientFileStatus::kOk)
    std::abort();
  // A CNVHex.ini slot that is no finite number.
  const uint8_t slot = in.Next();
  bool badFile = false;
  if (slot & 128) {
    const int i = kFirstCoefficientSlot + slot % (kCoefficientSlots - kFirstCoefficientSlot);
    coefficients.slots[static_cast<size_t>(i)] = kHostileNumbers[in.Next() % 6];
    badFile = coefficients.slots[static_cast<size_t>(i)].find("e308") == std::string::npos;
  }

  ScriptedInteraction ui;
  CHexConverter converter(ui);
  ConvertRequest r;
  r.input = hex;
  r.tide = home->file("f.tid");
  r.wave = home->file("f.wb");
  const ConvertSummary s = converter.RunNow(r, coefficients);
  if ((badCalibration || badFile) && s.outcome == ConvertOutcome::kFinished) std::abort();
  if (faithful && !badFile && s.outcome == ConvertOutcome::kFinished &&
      s.tideRecords != static_cast<long>(d.tides.size()))
    std::abort();
  return 0;
}
