#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tidora {

// Reads an upload file line by line the way the converter always has: a read returns at most
// 99 characters (a longer line comes back in several reads) and its line end, LF, CR LF or a
// lone CR alike, comes back as one line feed. Works on a file through a large buffer or on
// bytes in memory; a returned view stays valid until the next read.
class HexLineReader {
 public:
  static constexpr size_t kLineLimit = 100;  // including the terminating zero of old

  HexLineReader() = default;
  ~HexLineReader();
  HexLineReader(const HexLineReader&) = delete;
  HexLineReader& operator=(const HexLineReader&) = delete;

  bool Open(const std::string& path);
  void OpenMemory(std::string_view bytes);
  void Close();

  // Next piece of text; false at the end of the input.
  bool ReadLine(std::string_view& line);
  // Lines returned so far.
  long LinesRead() const { return lines_; }

 private:
  bool Fill();  // more bytes into the buffer; false when nothing more

  std::FILE* file_ = nullptr;
  std::vector<char> buf_;
  size_t pos_ = 0, end_ = 0;
  bool eof_ = true;
  long lines_ = 0;
};

// Value of a hexadecimal digit of either case; every other character counts as 0.
extern const std::array<int8_t, 256> kHexDigitValue;
inline int HexDigit(char c) {
  return kHexDigitValue[static_cast<unsigned char>(c)];
}

// Byte i of a line from characters 2i and 2i+1; characters past the line count as 0.
inline uint8_t HexByte(std::string_view line, size_t i) {
  size_t a = 2 * i;
  int hi = a < line.size() ? HexDigit(line[a]) : 0;
  int lo = a + 1 < line.size() ? HexDigit(line[a + 1]) : 0;
  return static_cast<uint8_t>(hi * 16 + lo);
}

// Hexadecimal digits compare without regard to case, as they decode.
inline char UpperHex(char c) {
  return c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The line's first `count` characters are all the hexadecimal digit c (either case).
inline bool AllChars(std::string_view line, size_t count, char c) {
  if (line.size() < count) return false;
  for (size_t i = 0; i < count; ++i)
    if (UpperHex(line[i]) != c) return false;
  return true;
}

// Decodes the first n bytes of a line into out.
void DecodeHexBytes(std::string_view line, uint8_t* out, size_t n);

// Big-endian fields.
inline uint32_t U16(const uint8_t* b) {
  return (uint32_t(b[0]) << 8) | b[1];
}
inline uint32_t U24(const uint8_t* b) {
  return (uint32_t(b[0]) << 16) | (uint32_t(b[1]) << 8) | b[2];
}
inline uint32_t U32(const uint8_t* b) {
  return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}
// A 16.8 value: B0*256 + B1 + B2/256.
inline double Fixed16_8(const uint8_t* b) {
  return b[0] * 256.0 + b[1] + b[2] / 256.0;
}
// A 24.8 value: B0*65536 + B1*256 + B2 + B3/256.
inline double Fixed24_8(const uint8_t* b) {
  return b[0] * 65536.0 + b[1] * 256.0 + b[2] + b[3] / 256.0;
}

}  // namespace tidora
