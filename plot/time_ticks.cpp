#include "plot/time_ticks.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "datafile/tgr41file.h"

namespace tidora {

std::vector<AxisTick> DateTimeTicks(double low, double high, int maxTicks) {
  std::vector<AxisTick> ticks;
  if (!(high > low) || maxTicks < 1 || !std::isfinite(low) || !std::isfinite(high)) return ticks;
  static const double kSteps[] = {1,       2,       5,        10,      15,     30,     60,
                                  120,     300,     600,      900,     1800,   3600,   7200,
                                  10800,   21600,   43200,    86400,   172800, 604800, 1209600,
                                  2592000, 7862400, 15724800, 31536000};
  double step = 0;
  for (double s : kSteps)
    if ((high - low) / s <= maxTicks) {
      step = s;
      break;
    }
  if (step == 0) step = 31536000 * std::ceil((high - low) / 31536000 / maxTicks);
  for (double t = std::ceil(low / step) * step; t <= high; t += step) {
    const std::tm tm = CalendarTime(t);
    char text[40];
    if (step < 60)
      std::snprintf(text, sizeof text, "%02d/%02d %02d:%02d:%02d", tm.tm_mon + 1, tm.tm_mday,
                    tm.tm_hour, tm.tm_min, tm.tm_sec);
    else if (step < 86400)
      std::snprintf(text, sizeof text, "%02d/%02d %02d:%02d", tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                    tm.tm_min);
    else
      std::snprintf(text, sizeof text, "%02d/%02d/%04d", tm.tm_mon + 1, tm.tm_mday,
                    tm.tm_year + 1900);
    ticks.push_back({t, text});
  }
  return ticks;
}

}  // namespace tidora
