#pragma once

#include <cstdint>

namespace tidora {

// The line check of an ASCII dump, fed every character on the reception thread. The lengths of
// lines 1 to 10 give the reference length (the middle one of them and a zero, sorted); line 11
// is not checked; every later line is an error when its length differs from the reference or,
// from a TGR 41plus, when its digits are no record's (10, 12, 16, 18 or 24).
class DumpLineCheck {
 public:
  // A new dump: counts, reference and errors from zero.
  void Start();
  // The dump starts again (a late prompt was taken for data): the lines are counted from the
  // first again; the reference and the errors found stay.
  void Restart();
  // Counts a character; at a line feed returns the number of the line it ends, otherwise 0.
  long Add(uint8_t c, bool plusRecords);
  int errors() const { return errors_; }

 private:
  long total_ = 0;
  long line_ = 1;
  long lineStart_ = 0;
  int errors_ = 0;
  int samples_[11] = {};
  long reference_ = 0;
};

}  // namespace tidora
