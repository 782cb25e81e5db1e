#include "terminal/dump_check.h"

#include <algorithm>
#include <iterator>

namespace tidora {

void DumpLineCheck::Start() {
  Restart();
  errors_ = 0;
  reference_ = 0;
}

void DumpLineCheck::Restart() {
  total_ = lineStart_ = 0;
  line_ = 1;
  std::fill(std::begin(samples_), std::end(samples_), 0);
}

long DumpLineCheck::Add(uint8_t c, bool plusRecords) {
  ++total_;
  if (c != '\n') return 0;
  long n = line_;
  long length = total_ - lineStart_;
  lineStart_ = total_;
  if (n <= 10) {
    samples_[n] = static_cast<int>(std::min<long>(length, 0x7FFFFFFF));
  } else if (n == 11) {
    std::sort(std::begin(samples_), std::end(samples_));
    reference_ = samples_[5];
  } else {
    bool error;
    if (plusRecords) {
      long digits = length - 2;
      error = !(digits == 10 || digits == 12 || digits == 16 || digits == 18 || digits == 24);
    } else {
      error = length != reference_;
    }
    if (error) ++errors_;
  }
  line_ = n + 1;
  return n;
}

}  // namespace tidora
