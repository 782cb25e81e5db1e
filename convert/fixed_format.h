#pragma once

// Fast text of the numbers the converter writes, byte for byte what printf writes in the C
// locale. Every function writes at `out` and returns the end of what it wrote; none writes a
// terminating zero. The buffer must hold kFixedTextLimit bytes for a number.

#include <ctime>

namespace tidora {

inline constexpr int kFixedTextLimit = 560;

// printf("%<width>.<precision>f", value). Values whose rounding the fast path cannot decide
// (near a tie, very large, not finite) take the exact path.
char* PutFixed(char* out, double value, int width, int precision);
// printf("%<width>ld", value).
char* PutInteger(char* out, long value, int width = 0);
// "%02d/%02d/%04d %02d:%02d:%02d" (month/day/year hour:minute:second).
char* PutDataDateTime(char* out, const std::tm& t);

}  // namespace tidora
