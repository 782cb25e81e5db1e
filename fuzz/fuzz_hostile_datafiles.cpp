// Data files made hostile the ways the field found: CR-only or mixed line ends, burst headers
// whose sample counts lie, and numbers that are nan, inf or 1e308 in place of samples, sample
// periods and pressures. The seeds are well-formed files written by the data file writers.
// Besides no crash and no sanitizer report: the wave burst reader hands on only finite samples
// of sane size, and a merge that finishes writes only finite pressures.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

#include "datafile/textio.h"
#include "datafile/wbfile.h"
#include "datafile/writers.h"
#include "fuzz/hostile_text.h"
#include "merge/baro_merge.h"
#include "platform/interaction.h"
#include "postproc/page.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace {

using namespace tidora;
using fuzz::Choices;
using fuzz::WithLineEnds;

const char* const kHostile[] = {"nan",         "inf", "-inf",  "1e308",  "-1e308", "2147483647",
                                "-2147483648", "0",   "-0.25", "1e-320", "junk",   ""};
constexpr size_t kHostileCount = sizeof kHostile / sizeof kHostile[0];

// Replaces the `word`th blank-separated word of the text with `value`.
void ReplaceWord(std::string& text, size_t word, const std::string& value) {
  size_t i = 0, k = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlankChar(text[i])) ++i;
    size_t b = i;
    while (i < text.size() && !IsBlankChar(text[i])) ++i;
    if (i > b && k++ == word) {
      text.replace(b, i - b, value);
      return;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static testing::TempDir* dir = new testing::TempDir;  // lives for the run
  Choices in{data, size};
  const uint8_t shape = in.Next();
  const int bursts = 1 + in.Next() % 4;
  const int samples = 4 * (1 + in.Next() % 16);
  const std::string wb = dir->file("f.wb"), tid = dir->file("f.tid"), bp = dir->file("f.bp");

  // A wave burst file, then its hostile words.
  {
    WaveBurstFileWriter w;
    w.Open(wb);
    w.WriteIdentification();
    for (int b = 0; b < bursts; ++b) {
      w.WriteBurstHeader(b, 3600.0 * b, 0.25, samples);
      for (int i = 0; i < samples; i += 4) w.WriteRow(14.7 + b, 14.8, 14.9 + i * 1e-3, 15.0);
    }
    w.Close();
  }
  std::string text = testing::ReadFile(wb);
  for (int k = in.Next() % 4; k > 0; --k)
    ReplaceWord(text, in.Next() * 4 + in.Next() % 4, kHostile[in.Next() % kHostileCount]);
  text = WithLineEnds(text, shape % 3);
  testing::WriteFile(wb, text);
  {
    CWbFile f;
    int nSub = 0, count = 0;
    if (f.ReadFileInfo(wb, nSub) > 0) {
      DataArrays arrays;
      for (int id = 0; id < kMaxDataTypes; ++id) arrays.Want(id);
      for (int row = 0; row < 64 && f.ReadData(arrays, row, count); ++row) {
        for (int i = 0; i < count; ++i) {
          const double v = arrays.Get(kVarSubsurfacePressure, static_cast<size_t>(i));
          if (!std::isfinite(v) || std::fabs(v) > 1e6) std::abort();
        }
        if (!(f.GetLastHeader().period > 0) || !std::isfinite(f.GetLastHeader().period))
          std::abort();
      }
    }
  }

  // A tide file and a barometric file, then their hostile words, then the merge.
  {
    TideFileWriter w;
    w.Open(tid);
    const long first = (shape & 8) ? 999990 : 1;  // record numbers that widen past six digits
    for (int i = 0; i < 24; ++i) {
      std::tm t{};
      t.tm_year = 126;
      t.tm_mon = 5;
      t.tm_mday = 1;
      t.tm_hour = i / 4;
      t.tm_min = 15 * (i % 4);
      w.WriteRecord(first + i, t, 24.7 + i * 0.01, 12.5, 3);
    }
    w.Close();
  }
  std::string tideText = testing::ReadFile(tid);
  std::string baroText;
  for (int h = 0; h < 7; ++h)
    baroText += "6/1/2026 " + std::to_string(h) + ":00:00 " + std::to_string(14 + h % 2) + ".5\r\n";
  for (int k = in.Next() % 3; k > 0; --k)
    ReplaceWord(tideText, in.Next() % 24 * 5 + 3 + in.Next() % 2, kHostile[in.Next() % 11]);
  for (int k = in.Next() % 3; k > 0; --k)
    ReplaceWord(baroText, in.Next() % 21, kHostile[in.Next() % kHostileCount]);
  testing::WriteFile(tid, WithLineEnds(tideText, (shape >> 2) % 3));
  testing::WriteFile(bp, WithLineEnds(baroText, (shape >> 4) % 3));
  const std::string out = dir->file("out.tid");
  testing::WriteFile(out, "previous");
  MergeSettings settings;
  settings.convertToWaterDepth = shape >> 6 & 1;
  ScriptedInteraction ui;
  CInteractionPage page(ui);
  ProcessControl stop;
  CBaroMerge merge(settings, out, {tid, bp}, 24, ui, &page, &stop);
  if (merge.Run() == 0) {
    // Every pressure written is a number.
    const std::string merged = testing::ReadFile(out);
    size_t p = merged.find('\n');
    while (p != std::string::npos && p + 1 < merged.size()) {
      const size_t e = merged.find('\n', p + 1);
      const std::string line = merged.substr(p + 1, e == std::string::npos ? e : e - p - 1);
      p = e;
      FieldScanner s(line);
      std::string record, date, time;
      double v = 0;
      if (s.Word(record) && s.Word(date) && s.Word(time) && s.Double(v) && !std::isfinite(v))
        std::abort();
    }
  } else if (testing::ReadFile(out) != "previous") {
    std::abort();
  }
  return 0;
}
