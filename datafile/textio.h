#pragma once

// Small text helpers shared by the data file readers and writers: a buffered line reader that
// knows its byte position (the wave burst reader seeks by offsets), a field scanner that reads
// numbers the way the file formats were written, and fixed-point formatting. Numbers are read
// and written without regard to the process locale, so a desktop program that switches to a
// locale with a decimal comma still reads and writes the same files.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

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

  // Reads the next line without its end (LF or CR LF), keeping at most `maxChars` characters
  // and passing over the rest of a longer line. False at the end of the file.
  bool ReadLine(std::string& line, size_t maxChars = kMaxLineChars);
  // Byte position of the next character to be read.
  int64_t Tell() const { return bufferStart_ + static_cast<int64_t>(pos_); }
  // Moves to a byte position (past the end is allowed: reading then finds the end).
  bool Seek(int64_t position);
  bool Rewind() { return Seek(0); }

 private:
  bool Fill();

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
  bool Long(long& value);
  bool Double(double& value);
  bool Literal(char c);
  bool Word(std::string& word);
  bool AtEnd();  // nothing but white space left

 private:
  const char* p_;
  const char* end_;
};

bool IsBlankChar(char c);
// True when the line holds nothing but white space.
bool IsBlankLine(std::string_view line);
// First blank-separated word of a line (empty when there is none).
std::string_view FirstWord(std::string_view line);

// Appends `value` as printf's "%<width>.<precision>f" would in the C locale.
void AppendFixed(std::string& out, double value, int width, int precision);
// Appends the shortest text that reads back to the same value.
void AppendShortest(std::string& out, double value);
void AppendShortest(std::string& out, float value);

}  // namespace tidora
