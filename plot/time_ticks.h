#pragma once

// Tick marks of a date/time axis whose values are calendar seconds (see CalendarSeconds):
// labels from the same calendar as the data files, whatever the time zone of the computer.

#include <string>
#include <vector>

namespace tidora {

struct AxisTick {
  double value;
  std::string label;
};

// Ticks at whole steps (seconds, minutes, hours, days, months as 30 days, years as 365 days)
// between low and high, at most maxTicks of them; labels "MM/DD HH:MM" (with ":SS" below a
// minute) for steps under a day, else "MM/DD/YYYY".
std::vector<AxisTick> DateTimeTicks(double low, double high, int maxTicks);

}  // namespace tidora
