// The CF check itself: it must find each kind of breach it is there to find.
#include <gtest/gtest.h>

#include <netcdf.h>

#include "export/tests/cf_check.h"

namespace tidora::testing {
namespace {

TEST(CfUnits, SpellingsParseToTheirDimensions) {
  UnitDims d;
  bool reference = false;
  ASSERT_TRUE(ParseUnits("m2 s", d));
  EXPECT_EQ(d, (UnitDims{{2, 0, 1, 0, 0, 0}}));
  ASSERT_TRUE(ParseUnits("kg m-3", d));
  EXPECT_EQ(d, (UnitDims{{-3, 1, 0, 0, 0, 0}}));
  UnitDims psi, dbar;
  ASSERT_TRUE(ParseUnits("psi", psi));
  ASSERT_TRUE(ParseUnits("dbar", dbar));
  EXPECT_EQ(psi, dbar);
  UnitDims hz, perSecond;
  ASSERT_TRUE(ParseUnits("Hz", hz));
  ASSERT_TRUE(ParseUnits("s-1", perSecond));
  EXPECT_EQ(hz, perSecond);
  ASSERT_TRUE(ParseUnits("seconds since 1970-01-01 00:00:00", d, &reference));
  EXPECT_TRUE(reference);
  ASSERT_TRUE(ParseUnits("1", d));
  EXPECT_EQ(d, UnitDims{});
  for (const char* bad :
       {"m^2", "deg C", "Kg/m^3", "", "seconds since 1970", "meters since 1970-01-01"})
    EXPECT_FALSE(ParseUnits(bad, d)) << bad;
}

NcAttribute Text(const std::string& s) {
  NcAttribute a;
  a.type = NC_CHAR;
  a.text = s;
  return a;
}

// A small compliant time series, to be spoiled one way at a time.
NcDataset Good() {
  NcDataset ds;
  ds.dims = {{"time", 3}};
  ds.global = {{"Conventions", Text("CF-1.8")},
               {"title", Text("t")},
               {"history", Text("h")},
               {"featureType", Text("timeSeries")}};
  NcVariable time{"time", NC_DOUBLE, {"time"}, {3}, {}, {0, 600, 1200}, {}};
  time.attributes = {{"units", Text("seconds since 1970-01-01 00:00:00")},
                     {"standard_name", Text("time")}};
  NcVariable station{"station", NC_STRING, {}, {}, {{"cf_role", Text("timeseries_id")}}, {}, {"b"}};
  NcVariable lat{"latitude", NC_DOUBLE, {}, {}, {}, {54}, {}};
  lat.attributes = {{"units", Text("degrees_north")}, {"standard_name", Text("latitude")}};
  NcVariable lon{"longitude", NC_DOUBLE, {}, {}, {}, {8}, {}};
  lon.attributes = {{"units", Text("degrees_east")}, {"standard_name", Text("longitude")}};
  NcVariable p{"pressure", NC_FLOAT, {"time"}, {3}, {}, {1, 2, 3}, {}};
  NcAttribute fill;
  fill.type = NC_FLOAT;
  fill.numbers = {9.96921e36};
  p.attributes = {{"units", Text("psi")},
                  {"standard_name", Text("sea_water_pressure")},
                  {"coordinates", Text("latitude longitude station")},
                  {"_FillValue", fill}};
  for (NcVariable* v : {&time, &station, &lat, &lon, &p}) ds.vars[v->name] = *v;
  return ds;
}

TEST(CfCheck, FindsEachBreach) {
  EXPECT_EQ(CheckCf(Good()), std::vector<std::string>{});
  struct Case {
    const char* expected;
    void (*spoil)(NcDataset&);
  };
  const Case cases[] = {
      {"Conventions is not \"CF-1.8\"",
       [](NcDataset& d) { d.global["Conventions"] = Text("CF-1.6"); }},
      {"variable pressure: units \"m^2\" do not parse",
       [](NcDataset& d) { d.vars["pressure"].attributes["units"] = Text("m^2"); }},
      {"variable pressure: units \"m\" do not convert to dbar",
       [](NcDataset& d) { d.vars["pressure"].attributes["units"] = Text("m"); }},
      {"variable pressure: standard name \"sea_pressure\" is not in the table",
       [](NcDataset& d) { d.vars["pressure"].attributes["standard_name"] = Text("sea_pressure"); }},
      {"variable pressure: _FillValue of another type",
       [](NcDataset& d) { d.vars["pressure"].attributes["_FillValue"].type = NC_DOUBLE; }},
      {"variable pressure: coordinate lat does not exist",
       [](NcDataset& d) {
         d.vars["pressure"].attributes["coordinates"] = Text("lat longitude station");
       }},
      {"variable pressure: coordinate latitude spans dimension time it lacks",
       [](NcDataset& d) {
         d.vars["latitude"].dims = {"time"};
         d.vars["pressure"].dims = {};
       }},
      {"variable time: coordinate values are not strictly monotonic",
       [](NcDataset& d) {
         d.vars["time"].values = {0, 600, 600};
       }},
      {"variable time: a time needs a reference \"since\" unit, and only a time has one",
       [](NcDataset& d) { d.vars["time"].attributes["units"] = Text("s"); }},
      {"featureType \"station\" is not one of CF's",
       [](NcDataset& d) { d.global["featureType"] = Text("station"); }},
      {"a single time series needs one variable with cf_role timeseries_id",
       [](NcDataset& d) {
         d.vars.erase("station");
         d.vars["pressure"].attributes["coordinates"] = Text("latitude longitude");
       }},
      {"a discrete sampling geometry needs time, latitude and longitude",
       [](NcDataset& d) {
         d.vars.erase("longitude");
         d.vars["pressure"].attributes["coordinates"] = Text("latitude station");
       }},
      {"variable pressure: no units",
       [](NcDataset& d) { d.vars["pressure"].attributes.erase("units"); }},
  };
  for (const Case& c : cases) {
    NcDataset ds = Good();
    c.spoil(ds);
    EXPECT_EQ(CheckCf(ds), std::vector<std::string>{c.expected});
  }
}

}  // namespace
}  // namespace tidora::testing
