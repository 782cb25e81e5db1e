#pragma once

// What the hostile fuzz targets share: the input read as a stream of choices, and text made
// hostile the ways the field found (line ends of every kind).
#include <cstddef>
#include <cstdint>
#include <string>

namespace tidora::fuzz {

// Bytes of the input, read one after the other; zeros once they run out.
struct Choices {
  const uint8_t* p;
  size_t n;
  uint8_t Next() { return n ? (--n, *p++) : 0; }
  uint32_t Next32() {
    return uint32_t{Next()} << 24 | uint32_t{Next()} << 16 | uint32_t{Next()} << 8 | Next();
  }
};

// The text with every line end (LF or CR LF) made CR LF (0), LF (1) or a lone CR (2).
inline std::string WithLineEnds(const std::string& text, int ends) {
  std::string t;
  t.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n')
      t += ends == 0 ? "\r\n" : ends == 1 ? "\n" : "\r";
    else
      t += text[i];
  }
  return t;
}

}  // namespace tidora::fuzz
