#pragma once

// Small text helpers shared by the data file readers and writers: a buffered line reader that
// knows its byte position (the wave burst reader seeks by offsets), a field scanner that reads
// numbers the way the file formats were written, and fixed-point formatting. Numbers are read
// and written without regard to the process locale, so a desktop program that switches to a
// locale with a decimal comma still reads and writes the same files.

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "datafile/fixed_text.h"

namespace tidora {

// Longest part of a line the readers look at; the rest of a longer line is passed over.
inline constexpr size_t kMaxLineChars = 1023;

class TextLineReader {
 public:
  TextLineReader() = default;
  ~TextLineReader() { Close(); }
  TextLineReader(const TextLineReader&) = delete;
  TextLineReader& operator=(const TextLineReader&) = delete;

  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

  // Reads the next line without its end (LF, CR LF or a lone CR), keeping at most `maxChars`
  // characters and passing over the rest of a longer line. False at the end of the file.
  bool ReadLine(std::string& line, size_t maxChars = kMaxLineChars);
  // The same, but a carriage return that ends the line (alone or before a line feed) stays
  // part of it as its last character when there is room for it; `cut` (when given) tells
  // whether characters were passed over.
  bool ReadLineKeepingCr(std::string& line, size_t maxChars, bool* cut = nullptr);
  // Byte position of the next character to be read.
  int64_t Tell() const { return bufferStart_ + static_cast<int64_t>(pos_); }
  // Moves to a byte position (past the end is allowed: reading then finds the end).
  bool Seek(int64_t position);
  bool Rewind() { return Seek(0); }
  // Bytes in the file, -1 when it cannot be told.
  int64_t Size() const;

 private:
  bool Fill();
  // Reads up to the line end (see ReadLine); `cr` tells whether a carriage return ended the
  // line, `cut` whether characters were passed over.
  bool ReadUpToLineEnd(std::string& line, size_t maxChars, bool& cr, bool& cut);

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  size_t pos_ = 0;
  size_t len_ = 0;
  int64_t bufferStart_ = 0;
  bool atEnd_ = false;
};

// Reads fields from a text the way scanf directives do: Int, Long, Double and Word pass over
// leading white space, Literal matches the next character exactly, Blanks passes over white
// space. A failed read leaves the position where it was.
class FieldScanner {
 public:
  explicit FieldScanner(std::string_view text) : p_(text.data()), end_(text.data() + text.size()) {}
  void Blanks();
  bool Int(int& value);
  // An integer as strtol reads it, kept within int: a number too large for any type still
  // reads, as the nearest int.
  bool ClampedInt(int& value);
  bool Long(long& value);
  bool Double(double& value);
  bool Literal(char c);
  bool Word(std::string& word);
  bool AtEnd();  // nothing but white space left
  std::string_view Rest() const { return std::string_view(p_, static_cast<size_t>(end_ - p_)); }

 private:
  // After blanks, an optional sign and then a digit: the first digit (the sign in `negative`),
  // or null with the position unchanged.
  const char* SignedDigits(bool& negative);
  const char* p_;
  const char* end_;
};

// White space as isspace sees it in the C locale; inline, for the readers call it for every byte.
inline bool IsBlankChar(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');  // blank, tab, LF, VT, FF, CR
}
// True when the line holds nothing but white space.
bool IsBlankLine(std::string_view line);
// First blank-separated word of a line (empty when there is none).
std::string_view FirstWord(std::string_view line);

// printf into a string, always in the C locale (a decimal point whatever LC_NUMERIC says):
// for layouts given as printf formats.
std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatCV(const char* format, va_list args);
// The number the text begins with (after blanks), 0 when it begins with none: atof's reading.
double LeadingNumber(std::string_view text);
// The whole text (blanks around it allowed) as one number; false when it is anything else.
bool ParseWholeNumber(std::string_view text, double& value);
bool ParseWholeNumber(std::string_view text, long& value);

// Appends `value` as printf's "%<width>.<precision>f" would in the C locale.
inline void AppendFixed(std::string& out, double value, int width, int precision) {
  if (width <= 32) {
    char buf[kFixedTextLimit];
    out.append(buf, PutFixed(buf, value, width, precision));
  } else {
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(width) + kFixedTextLimit);
    out.resize(
        static_cast<size_t>(PutFixed(out.data() + at, value, width, precision) - out.data()));
  }
}
// Appends the shortest text that reads back to the same value.
void AppendShortest(std::string& out, double value);
void AppendShortest(std::string& out, float value);

// Reads the next number of `text` as FieldScanner::Double does and moves `text` past it; false,
// with `text` unchanged, when no number begins there. A plain decimal of few digits (the
// readers' every sample) is read by one exact division, which rounds as the general
// conversion does, so the value is the same to the bit.
bool NextDouble(std::string_view& text, double& value);

}  // namespace tidora
