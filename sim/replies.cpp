#include "sim/replies.h"

#include <cstdio>

#include "datafile/textio.h"
#include "sim/upload.h"

namespace tidora::sim {
namespace {

std::string Line(const std::string& text) {
  return text + "\r\n";
}

std::string Coefficient(const char* key, double value) {
  return FormatC("    %s %.12e\r\n", key, value);
}

int BurstCount(const Deployment& d) {
  return static_cast<int>(d.bursts.size());
}

}  // namespace

std::string StatusReply(const Deployment& d) {
  const Options& o = d.options;
  std::string s = Line("DS");
  switch (o.family) {
    case Family::kTgr41:
      s += Line("TIDEWELL V " + o.firmware + "  SN " + (o.serial13186 ? "13186" : "4101"));
      break;
    case Family::kTgr41plus:
      s += Line("TGR 41plus V " + o.firmware + "  SN " +
                (o.alternateTemperature ? "35850" : "41007"));
      break;
    case Family::kTgr77Bpr:
      s += Line("TGR 77 BPR V " + o.firmware + "  SN 77012");
      break;
  }
  s += Line("vbatt = 13.1, vlith = 9.0, ioper = 9.5 ma");
  if (o.family == Family::kTgr41plus)
    s += Line(o.strainGauge ? "strain gauge pressure sensor, range = 300 psia"
                            : "quartz pressure sensor, range = 300 psia");
  s += Line(o.conductivity ? "conductivity = YES" : "conductivity = NO");
  s += Line(FormatC("tide measurement interval = %.2f minutes", o.tideInterval / 60.0));
  if (o.family == Family::kTgr77Bpr) {
    s += Line("tide measurements = " + std::to_string(d.tides.size()));
    if (o.tsunami) s += Line("tsunami demo = ON");
  } else {
    s += Line("measure waves every " + std::to_string(o.burstEvery) + " tide samples");
    s += Line(std::to_string(o.samplesPerBurst) + " wave samples/burst at " +
              FormatC("%.2f scans/sec", d.statedScanRate()));
    if (o.serial13186) {
      // This recorder counts its bursts as its measurements: the count comes first.
      s += Line("wave bursts = " + std::to_string(BurstCount(d)));
      s += Line("tide measurements = " + std::to_string(d.tides.size()));
    } else {
      s += Line("tide measurements = " + std::to_string(d.tides.size()));
      s += Line("wave bursts = " + std::to_string(BurstCount(d)));
    }
  }
  s += Line("logdata = NO");
  return s + "S>";
}

std::string CoefficientReply(const Deployment& d) {
  const Options& o = d.options;
  const HeaderCoefficients& c = d.coef;
  const bool plus = o.family == Family::kTgr41plus;
  const bool bpr = o.family == Family::kTgr77Bpr;
  const bool tidewell = o.family == Family::kTgr41;
  std::string s = Line("DC");
  if (plus && o.strainGauge) {
    s += Line("Pressure sensor: strain gauge, S/N 2231");
    const auto& g = c.strain;
    s += Coefficient("PA0 =", g.PA0) + Coefficient("PA1 =", g.PA1) + Coefficient("PA2 =", g.PA2);
    s += Coefficient("PTCA0 =", g.PTCA0) + Coefficient("PTCA1 =", g.PTCA1) +
         Coefficient("PTCA2 =", g.PTCA2);
    s += Coefficient("PTCB0 =", g.PTCB0) + Coefficient("PTCB1 =", g.PTCB1) +
         Coefficient("PTCB2 =", g.PTCB2);
    s += Coefficient("PTEMPA0 =", g.PTEMPA0) + Coefficient("PTEMPA1 =", g.PTEMPA1) +
         Coefficient("PTEMPA2 =", g.PTEMPA2);
    s += Coefficient("M =", c.M) + Coefficient("B =", c.B) + Coefficient("OFFSET =", c.offset);
  } else {
    s += Line("Paroscientific pressure sensor, S/N 104455");
    const auto& q = c.quartz;
    s += Coefficient("U0 =", q.U0) + Coefficient("Y1 =", q.Y1) + Coefficient("Y2 =", q.Y2) +
         Coefficient("Y3 =", q.Y3);
    s += Coefficient("C1 =", q.C1) + Coefficient("C2 =", q.C2) + Coefficient("C3 =", q.C3);
    s += Coefficient("D1 =", q.D1) + Coefficient("D2 =", q.D2);
    s += Coefficient("T1 =", q.T1) + Coefficient("T2 =", q.T2) + Coefficient("T3 =", q.T3) +
         Coefficient("T4 =", q.T4);
    if (tidewell) s += Coefficient("T5 =", q.T5);
    if (plus || tidewell) s += Coefficient("M =", c.M) + Coefficient("B =", c.B);
    if (plus || bpr) s += Coefficient("OFFSET =", c.offset);
  }
  if (bpr) {
    for (int i = 0; i < 7; ++i) {
      std::string key = "FRA" + std::to_string(i) + " =";
      s += Coefficient(key.c_str(), c.fra[i]);
    }
  }
  if (plus || bpr) {
    s += Line("Temperature:");
    s += Coefficient("TA0 =", c.ta[0]) + Coefficient("TA1 =", c.ta[1]) +
         Coefficient("TA2 =", c.ta[2]) + Coefficient("TA3 =", c.ta[3]);
    if (o.conductivity) {
      s += Line("Conductivity: S/N 2744");
      s += Coefficient("CG =", c.cond.G) + Coefficient("CH =", c.cond.H) +
           Coefficient("CI =", c.cond.I) + Coefficient("CJ =", c.cond.J);
      s += Coefficient("CTCOR =", c.cond.CTcor) + Coefficient("CPCOR =", c.cond.CPcor) +
           Coefficient("CSLOPE =", c.cslope);
    }
  }
  if (tidewell) {
    s += Line("Thermistor interface:") + Line("    bridge = 15000 ohm") +
         Line("    reference = 5.0 V") + Line("    counts = 13 bit");
    s += Coefficient("AI =", c.AI) + Coefficient("XI =", c.XI);
  }
  return s + "S>";
}

std::string DumpReply(const Deployment& d, const std::string& command) {
  std::vector<uint8_t> image = BuildMemoryImage(d);
  std::string lines = ImageToHexLines(image.data(), image.size(), LayoutOf(d));
  return command + lines.substr(2);  // the recorder prints the lines the terminal would
}

std::string ByteCountReply(size_t bytes) {
  return Line("bytecount") + Line("bytes = " + std::to_string(bytes)) + "S>";
}

}  // namespace tidora::sim
