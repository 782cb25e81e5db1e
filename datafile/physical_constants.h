#pragma once

// Physical constants shared by the data file library and the processing built on it.

namespace tidora {

inline constexpr double kPascalsPerPsi = 6894.757;

}  // namespace tidora
