// Every exported file is read back through the netCDF library and compared, value by value,
// with the data file library's own reading of its source.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "datafile/tests/wave_output_builders.h"
#include "datafile/tgr41file.h"
#include "datafile/wavefiles.h"
#include "datafile/wbfile.h"
#include "datafile/writers.h"
#include "export/cf_export.h"
#include "export/netcdf_file.h"
#include "export/tests/cf_check.h"
#include "merge/merge_lines.h"
#include "testing/test_support.h"
#include "wave/synthetic_sea.h"
#include "wave/wave_math.h"

namespace tidora {
namespace {

using testing::NcDataset;
using testing::TempDir;

const double kFloatFill = NcFillValue(NcType::kFloat);

ExportOptions Options() {
  ExportOptions o;
  o.command = "tidora export test";
  o.version = "9.8.7";
  o.now = 1780000000;
  o.attributes = {{"institution", "Harbour Office"}, {"title", "Bay mooring"}};
  o.latitude = 54.25;
  return o;
}

NcDataset Export(const std::vector<std::string>& inputs, const std::string& output,
                 const ExportOptions& options = Options()) {
  std::string error;
  EXPECT_TRUE(ExportToNetcdf(inputs, output, options, error)) << error;
  NcDataset ds;
  EXPECT_TRUE(testing::LoadNetcdf(output, ds, error)) << error;
  EXPECT_EQ(testing::CheckCf(ds), std::vector<std::string>{});
  return ds;
}

std::unique_ptr<CTGR41File> OpenReader(const std::string& path) {
  auto reader = CreateFileObject(FileIdFromExtension(path));
  int subtitles = 0;
  EXPECT_GT(reader->ReadFileInfo(path, subtitles), 0);
  return reader;
}

std::tm At(int64_t seconds) {
  return CalendarTime(static_cast<double>(seconds));
}

// A tide file of four columns, one record with only pressure and temperature in the middle.
void WriteTide(const std::string& path, const std::string& unitLine = "") {
  TideFileWriter w;
  ASSERT_TRUE(w.Open(path));
  if (!unitLine.empty()) {
    ASSERT_TRUE(w.WriteLine(unitLine));
  }
  for (int i = 0; i < 9000; ++i) {
    const std::tm t = At(1262304000 + 600 * int64_t{i});
    const double p = 30 + std::sin(i * 0.01), temp = 10 + 0.001 * i;
    if (i == 4500)
      ASSERT_TRUE(w.WriteRecord(i + 1, t, p, temp, 3));
    else
      ASSERT_TRUE(w.WriteRecord(i + 1, t, p, temp, 3, 4.1 + 0.0001 * i, 34.5 + 0.0002 * i));
  }
  ASSERT_TRUE(w.Close());
}

// Compares a tide export with the tide reader's records, variable by variable.
void ExpectTideMatches(const std::string& path, const NcDataset& ds) {
  auto reader = OpenReader(path);
  std::vector<int> ids = reader->GetReadableVariableIDs();
  DataArrays data;
  for (int id : ids) data.Want(id);
  int count = 0, row = 0;
  while (reader->ReadData(data, row, count)) ++row;
  ASSERT_EQ(ds.Var("time").values.size(), static_cast<size_t>(row));
  for (int id : ids) {
    const std::string name = id == kVarDateTime       ? "time"
                             : id == kVarPressure     ? "pressure"
                             : id == kVarDepth        ? "depth"
                             : id == kVarTemperature  ? "temperature"
                             : id == kVarConductivity ? "conductivity"
                             : id == kVarSalinity     ? "salinity"
                             : id == kVarSigmaT       ? "sigma_t"
                             : id == kVarSigmaTheta
                                 ? "sigma_theta"
                                 : "sigma_" + std::to_string(id == kVarSigma1   ? 1
                                                             : id == kVarSigma2 ? 2
                                                                                : 4);
    const std::vector<double>& got = ds.Var(name).values;
    ASSERT_EQ(got.size(), static_cast<size_t>(row)) << name;
    for (size_t r = 0; r < got.size(); ++r) {
      // Values a record did not hold are fill values.
      const double want = data.Get(id, r);
      if (r == 4500 && id != kVarDateTime && id != kVarPressure && id != kVarDepth &&
          id != kVarTemperature)
        ASSERT_EQ(got[r], kFloatFill) << name << " at " << r;
      else
        ASSERT_EQ(got[r], want) << name << " at " << r;
    }
  }
}

TEST(ExportTide, EveryValueAndTheCfAttributes) {
  TempDir dir;
  const std::string tid = dir.file("bay.tid"), nc = dir.file("bay.nc");
  WriteTide(tid);
  NcDataset ds = Export({tid}, nc);
  ExpectTideMatches(tid, ds);
  EXPECT_EQ(ds.Global("featureType"), "timeSeries");
  EXPECT_EQ(ds.Global("title"), "Bay mooring");  // the user's attribute wins
  EXPECT_EQ(ds.Global("institution"), "Harbour Office");
  EXPECT_EQ(ds.Global("history"), "2026-05-28T20:26:40Z tidora export test");
  EXPECT_EQ(ds.Global("product_version"), "Tidora for Waves 9.8.7");
  EXPECT_EQ(ds.Global("tide_first_column"), "absolute pressure [psia]");
  EXPECT_EQ(ds.Var("pressure").Text("standard_name"), "sea_water_pressure");
  EXPECT_EQ(ds.Var("pressure").Text("units"), "psi");
  EXPECT_EQ(ds.Var("pressure").Text("long_name"), "Pressure [psi]");
  EXPECT_EQ(ds.Var("sigma_theta").Text("standard_name"), "sea_water_sigma_theta");
  EXPECT_EQ(ds.Var("salinity").Text("standard_name"), "sea_water_practical_salinity");
  EXPECT_EQ(ds.Var("temperature").Text("coordinates"), "latitude longitude station");
  EXPECT_EQ(ds.Var("station").strings, std::vector<std::string>{"bay"});
  EXPECT_EQ(ds.Var("latitude").values, std::vector<double>{54.25});
  EXPECT_EQ(ds.Var("longitude").values, std::vector<double>{NcFillValue(NcType::kDouble)});
  EXPECT_EQ(ds.Var("time").values[1] - ds.Var("time").values[0], 600);
}

TEST(ExportTide, MergedFilesOfGaugePressureAndOfDepth) {
  TempDir dir;
  const std::string gauge = dir.file("gauge.tid"), depth = dir.file("depth.tid");
  WriteTide(gauge, MergeHeaderLine(false, 70));
  WriteTide(depth, MergeHeaderLine(true, 70));
  NcDataset g = Export({gauge}, dir.file("gauge.nc"));
  ExpectTideMatches(gauge, g);
  EXPECT_EQ(g.Var("pressure").Text("standard_name"), "sea_water_pressure_due_to_sea_water");
  NcDataset d = Export({depth}, dir.file("depth.nc"));
  ExpectTideMatches(depth, d);
  EXPECT_EQ(d.Var("depth").Text("standard_name"), "depth");
  EXPECT_EQ(d.vars.count("pressure"), 0u);
  EXPECT_EQ(d.vars.count("sigma_t"), 0u);  // no densities without pressure
}

// Bursts of 10 samples (two in the last row), one whose header says 6.
void WriteBursts(const std::string& path, int bursts, int oddBurst = 2, int oddSamples = 6) {
  WaveBurstFileWriter w;
  ASSERT_TRUE(w.Open(path));
  ASSERT_TRUE(w.WriteIdentification());
  for (int b = 0; b < bursts; ++b) {
    const int n = b == oddBurst ? oddSamples : 10;
    ASSERT_TRUE(w.WriteBurstHeader(b, 3600.0 * b + 86400 * 59, 0.25, n));
    std::vector<double> v;
    for (int i = 0; i < n; ++i) v.push_back(14.7 + 0.001 * (b * 100 + i));
    size_t i = 0;
    for (; i + 4 <= v.size(); i += 4) ASSERT_TRUE(w.WriteRow(v[i], v[i + 1], v[i + 2], v[i + 3]));
    std::string last = "    ";
    for (; i < v.size(); ++i) AppendFixed(last, v[i], 14, 6);
    if (last.size() > 4) {
      ASSERT_TRUE(w.WriteLine(last));
    }
  }
  ASSERT_TRUE(w.Close());
}

TEST(ExportBursts, EverySampleAndFillWhereABurstIsShort) {
  TempDir dir;
  const std::string wb = dir.file("waves.wb"), nc = dir.file("waves.nc");
  WriteBursts(wb, 5);
  NcDataset ds = Export({wb}, nc);
  ASSERT_EQ(ds.Var("pressure").shape, (std::vector<size_t>{5, 10}));
  EXPECT_EQ(ds.Var("pressure").Text("standard_name"), "sea_water_pressure");
  EXPECT_EQ(ds.Global("samples_per_burst").size(), 0u);  // a number, not text
  auto reader = OpenReader(wb);
  auto& wbReader = static_cast<CWbFile&>(*reader);
  DataArrays data;
  for (int id : {kVarSubsurfacePressure, kVarTime, kVarBurstNumber, kVarPeriod}) data.Want(id);
  int count = 0;
  for (size_t b = 0; wbReader.ReadData(data, 0, count); ++b) {
    ASSERT_LT(b, 5u);
    std::tm t{};
    wbReader.AddP41Time(wbReader.GetLastHeader().start, &t);
    EXPECT_EQ(ds.Var("time").values[b], CalendarSeconds(t));
    EXPECT_EQ(ds.Var("burst").values[b], data.Get(kVarBurstNumber, 0));
    EXPECT_EQ(ds.Var("sample_period").values[b], data.Get(kVarPeriod, 0));
    for (size_t i = 0; i < 10; ++i) {
      const double got = ds.Var("pressure").values[b * 10 + i];
      if (i < static_cast<size_t>(count)) {
        EXPECT_EQ(got, data.Get(kVarSubsurfacePressure, i)) << b << " " << i;
        EXPECT_EQ(ds.Var("time_in_burst").values[i], data.Get(kVarTime, i));
      } else {
        EXPECT_EQ(got, kFloatFill) << b << " " << i;
      }
    }
  }
  // A TGR 41plus burst at 59 days is on 29 February 2000.
  EXPECT_EQ(ds.Var("time").values[0], 951782400);
}

// Bursts of 1024 samples on the TIDEWELL clock, an hour apart from three days before the
// leap day of 1996.
void WriteLongFile(const std::string& path, int bursts, int oddBurst = -1) {
  WaveBurstFileWriter w;
  ASSERT_TRUE(w.Open(path));
  const double start = CTGR41File::DateTimeToSec(1996, 2, 26, 0, 0, 0);
  for (int b = 0; b < bursts; ++b) {
    ASSERT_TRUE(w.WriteBurstHeader(b, start + 3600.0 * b, 0.5, b == oddBurst ? 1028 : 1024));
    for (int i = 0; i < (b == oddBurst ? 1028 : 1024); i += 4) {
      auto p = [&](int k) { return 20 + 0.001 * ((b * 37 + i + k) % 1000); };
      ASSERT_TRUE(w.WriteRow(p(0), p(1), p(2), p(3)));
    }
  }
  ASSERT_TRUE(w.Close());
}

// The two readers take turns by blocks of 64 bursts; the file comes out in order.
TEST(ExportBursts, BlocksOfBothReadersKeepTheirOrderAndDates) {
  TempDir dir;
  for (int bursts : {200, 128, 30}) {
    const std::string wb = dir.file("long.wb"), nc = dir.file("long" + std::to_string(bursts));
    WriteLongFile(wb, bursts);
    NcDataset ds = Export({wb}, nc);
    ASSERT_EQ(ds.Var("pressure").shape, (std::vector<size_t>{size_t(bursts), 1024}));
    auto reader = OpenReader(wb);
    auto& wbReader = static_cast<CWbFile&>(*reader);
    DataArrays data;
    for (int id : {kVarSubsurfacePressure, kVarBurstNumber}) data.Want(id);
    int count = 0;
    for (size_t b = 0; wbReader.ReadData(data, 0, count); ++b) {
      std::tm t{};
      wbReader.AddP41Time(wbReader.GetLastHeader().start, &t);
      ASSERT_EQ(ds.Var("time").values[b], CalendarSeconds(t)) << b;
      ASSERT_EQ(ds.Var("burst").values[b], static_cast<double>(b));
      for (size_t i = 0; i < 1024; ++i)
        ASSERT_EQ(ds.Var("pressure").values[b * 1024 + i], data.Get(kVarSubsurfacePressure, i))
            << b << " " << i;
    }
    // 29 February 1996 is there, and the hours run on across it.
    const auto& time = ds.Var("time").values;
    if (bursts == 200) {
      EXPECT_EQ(time[72], CalendarSeconds(1996, 2, 29, 0, 0, 0));
      EXPECT_EQ(time[199] - time[0], 199 * 3600.0);
    }
  }
  // A burst that does not fit, in the second reader's block, fails the export.
  WriteLongFile(dir.file("odd.wb"), 200, 100);
  std::string error;
  EXPECT_FALSE(ExportToNetcdf({dir.file("odd.wb")}, dir.file("odd.nc"), Options(), error));
  EXPECT_NE(error.find("burst 100 has 1028 samples"), std::string::npos) << error;
}

TEST(ExportBursts, ABurstLongerThanTheFirstFailsAndLeavesTheOldOutput) {
  TempDir dir;
  const std::string wb = dir.file("long.wb"), nc = dir.file("long.nc");
  WriteBursts(wb, 3, 1, 14);
  testing::WriteFile(nc, "old");
  std::string error;
  EXPECT_FALSE(ExportToNetcdf({wb}, nc, Options(), error));
  EXPECT_NE(error.find("burst 1 has 14 samples"), std::string::npos) << error;
  EXPECT_EQ(testing::ReadFile(nc), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            2);  // no temporary file left behind
  // A complete export replaces it.
  WriteBursts(wb, 3);
  Export({wb}, nc);
  EXPECT_NE(testing::ReadFile(nc), "old");
}

// An output named through a link is written to the link's target, which keeps its
// permissions; the link stays a link.
TEST(ExportFiles, AnOutputNamedThroughALinkReplacesTheTarget) {
  TempDir dir;
  const std::string wb = dir.file("b.wb"), target = dir.file("kept.nc"), link = dir.file("l.nc");
  WriteBursts(wb, 3);
  testing::WriteFile(target, "old");
  std::filesystem::permissions(target, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
  std::filesystem::create_symlink("kept.nc", link);
  Export({wb}, link);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_NE(testing::ReadFile(target), "old");
  EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);
}

TEST(ExportFiles, BadInputsGiveTheDataFileLibrarysMessages) {
  TempDir dir;
  std::string error;
  const std::string nc = dir.file("x.nc");
  auto fails = [&](const std::vector<std::string>& in) {
    error.clear();
    return !ExportToNetcdf(in, nc, Options(), error) && !std::filesystem::exists(nc);
  };
  EXPECT_TRUE(fails({dir.file("none.tid")}));
  EXPECT_EQ(error, dir.file("none.tid") + ": no such file");
  testing::WriteFile(dir.file("empty.wb"), "");
  EXPECT_TRUE(fails({dir.file("empty.wb")}));
  EXPECT_EQ(error, dir.file("empty.wb") + ": the file is empty");
  testing::WriteFile(dir.file("a.txt"), "1");
  EXPECT_TRUE(fails({dir.file("a.txt")}));
  EXPECT_EQ(error, dir.file("a.txt") + ": not a data file (expected .tid, .wb, .was, .wts or .wt)");
  WriteTide(dir.file("t.tid"));
  EXPECT_TRUE(fails({dir.file("t.tid"), dir.file("t.tid")}));
  EXPECT_EQ(error,
            "give one .tid or .wb file, or the .wts and .was files of one wave run "
            "(one or both)");
  EXPECT_TRUE(fails({}));
  EXPECT_FALSE(ExportToNetcdf({dir.file("t.tid")}, dir.file("no/t.nc"), Options(), error));
  EXPECT_EQ(error.rfind(dir.file("no/t.nc") + ": cannot be written (", 0), 0u) << error;
}

std::vector<testing::WasBurst> WasBursts() {
  std::vector<testing::WasBurst> bursts(3);
  for (int b = 0; b < 3; ++b) {
    bursts[b].burst = b;
    bursts[b].start = 3600L * b;
    bursts[b].variance = 0.0625 * (b + 1);
    bursts[b].sigHeight = 1 + 0.125 * b;
    bursts[b].waterDepth = 12.5 + 0.01 * b;
    bursts[b].densities = {0.5, 1.5 + b, 2.25, 1.0, 0.125, 0.0625};
  }
  bursts[1].densities.resize(5);  // fewer bands: the last is a fill value
  return bursts;
}

std::vector<testing::WtsBurst> WtsBursts() {
  std::vector<testing::WtsBurst> bursts(3);
  for (int b = 0; b < 3; ++b) {
    bursts[b].burst = b;
    bursts[b].start = 3600L * b;
    bursts[b].h13 = 1.25 + 0.5 * b;
    bursts[b].waves = 50 + b;
    bursts[b].waterDepth = 12.5 + 0.01 * b;
  }
  return bursts;
}

// A damaged value in the middle of a file is no end of it: the export fails with the reader's
// message naming the line, and writes nothing.
TEST(ExportFiles, ADamagedValueFailsTheExportNamingItsLine) {
  TempDir dir;
  std::string error;
  const std::string nc = dir.file("d.nc");
  auto damage = [](const std::string& path, const std::string& from, size_t offset,
                   const std::string& to) {
    std::string text = testing::ReadFile(path);
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at + offset, to.size(), to);
    testing::WriteFile(path, text);
  };
  WriteTide(dir.file("t.tid"));
  damage(dir.file("t.tid"), "\n  4000   ", 1 + 28, "        nan");  // its pressure
  EXPECT_FALSE(ExportToNetcdf({dir.file("t.tid")}, nc, Options(), error));
  EXPECT_NE(error.find("not a finite number"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(nc));

  // Bursts are read by two readers taking turns; the damage is in the second one's block.
  WriteBursts(dir.file("b.wb"), 300, -1);
  damage(dir.file("b.wb"), "24.703000", 0, "      inf");  // burst 100
  EXPECT_FALSE(ExportToNetcdf({dir.file("b.wb")}, nc, Options(), error));
  EXPECT_NE(error.find("pressure sample"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(nc));

  std::vector<testing::WtsBurst> wts = WtsBursts();
  wts[2].h13 = NAN;
  testing::WriteFile(dir.file("r.wts"), testing::WtsFileText(wts));
  EXPECT_FALSE(ExportToNetcdf({dir.file("r.wts")}, nc, Options(), error));
  EXPECT_NE(error.find("not a finite number in the burst"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(nc));
}

void ExpectPerBurst(const NcDataset& ds, const std::string& path,
                    const std::vector<std::pair<int, std::string>>& vars) {
  auto reader = OpenReader(path);
  auto* waveReader = dynamic_cast<CWaveOutputFile*>(reader.get());
  DataArrays data;
  for (auto [id, name] : vars) data.Want(id);
  data.Want(kVarEnergyDensity);
  data.Want(kVarFrequency);
  int count = 0;
  size_t b = 0;
  for (; reader->ReadData(data, 0, count); ++b) {
    for (auto [id, name] : vars) EXPECT_EQ(ds.Var(name).values.at(b), data.Get(id, 0)) << name;
    if (auto* was = dynamic_cast<CWasFile*>(waveReader)) {
      const size_t bands = ds.dims.at("frequency");
      const size_t n = static_cast<size_t>(was->GetLastHeader().bands);
      EXPECT_EQ(ds.Var("water_depth").values.at(b), ToFloat(was->GetLastHeader().waterDepth));
      for (size_t i = 0; i < bands; ++i) {
        const double got = ds.Var("spectral_density").values.at(b * bands + i);
        EXPECT_EQ(got, i < n ? data.Get(kVarEnergyDensity, i) : kFloatFill) << b << " " << i;
        if (i < n) {
          EXPECT_EQ(ds.Var("frequency").values.at(i), data.Get(kVarFrequency, i));
        }
      }
    }
  }
  EXPECT_EQ(ds.Var("time").values.size(), b);
}

TEST(ExportWaveStatistics, StatisticsAndSpectraOfOneRun) {
  TempDir dir;
  const std::string wts = dir.file("run.wts"), was = dir.file("run.was");
  testing::WriteFile(wts, testing::WtsFileText(WtsBursts(), true));
  testing::WriteFile(was, testing::WasFileText(WasBursts(), true));
  NcDataset ds = Export({was, wts}, dir.file("run.nc"));
  ExpectPerBurst(ds, wts,
                 {{kVarDateTime, "time"},
                  {kVarBurstNumber, "burst"},
                  {kVarSensorDepth, "instrument_depth"},
                  {kVarSigHeightTss, "significant_height_zc"},
                  {kVarSigPeriodTss, "significant_period_zc"},
                  {kVarAverageHeightTss, "mean_height_zc"},
                  {kVarAveragePeriodTss, "mean_period_zc"},
                  {kVarMaxHeightTss, "max_height"},
                  {kVarH10Tss, "h1_10"},
                  {kVarH100Tss, "h1_100"},
                  {kVarVarianceTss, "variance_zc"},
                  {kVarEnergyTss, "energy_zc"},
                  {kVarNumberOfWaves, "wave_count"}});
  ExpectPerBurst(ds, was,
                 {{kVarDateTime, "time"},
                  {kVarSigHeightAs, "significant_height_spectral"},
                  {kVarSigPeriodAs, "peak_period"},
                  {kVarVarianceAs, "variance_spectral"},
                  {kVarEnergyAs, "energy_spectral"}});
  ASSERT_EQ(ds.Var("spectral_density").dims, (std::vector<std::string>{"time", "frequency"}));
  EXPECT_EQ(ds.Var("spectral_density").Text("standard_name"),
            "sea_surface_wave_variance_spectral_density");
  EXPECT_EQ(ds.Var("spectral_density").Text("units"), "m2 s");
  EXPECT_EQ(ds.Var("significant_height_spectral").Text("standard_name"),
            "sea_surface_wave_significant_height");
  EXPECT_EQ(ds.Var("peak_period").Text("standard_name"),
            "sea_surface_wave_period_at_variance_spectral_density_maximum");
  EXPECT_EQ(ds.Var("spectral_density").attributes.at("confidence_level_percent").numbers,
            std::vector<double>{95});
  EXPECT_EQ(ds.global.at("spectral_estimates_per_band").numbers, std::vector<double>{8});
  EXPECT_EQ(ds.global.at("instrument_height_above_bottom").numbers,
            std::vector<double>{12.5 - 10.25});
  EXPECT_EQ(ds.global.at("sea_water_density").numbers, std::vector<double>{1025});
}

TEST(ExportWaveStatistics, EitherFileAloneAndPairsThatDoNotMatch) {
  TempDir dir;
  const std::string wts = dir.file("run.wts"), was = dir.file("run.was");
  testing::WriteFile(wts, testing::WtsFileText(WtsBursts()));
  testing::WriteFile(was, testing::WasFileText(WasBursts()));
  NcDataset alone = Export({was}, dir.file("was.nc"));
  ExpectPerBurst(alone, was,
                 {{kVarDateTime, "time"}, {kVarSigHeightAs, "significant_height_spectral"}});
  EXPECT_EQ(alone.vars.count("significant_height_zc"), 0u);
  Export({wts}, dir.file("wts.nc"));

  auto shorter = WasBursts();
  shorter.pop_back();
  testing::WriteFile(was, testing::WasFileText(shorter));
  std::string error;
  EXPECT_FALSE(ExportToNetcdf({wts, was}, dir.file("pair.nc"), Options(), error));
  EXPECT_EQ(error, wts + " and " + was + " do not hold the same bursts");
  auto other = WasBursts();
  other[2].bandWidth *= 2;
  testing::WriteFile(was, testing::WasFileText(other));
  EXPECT_FALSE(ExportToNetcdf({wts, was}, dir.file("pair.nc"), Options(), error));
  EXPECT_NE(error.find("burst 2 was analysed with other bands"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(dir.file("pair.nc")));
}

// The whole road: bursts of a known sea, the wave module's outputs, then `tidora export`.
class ExportCommand : public ::testing::Test {
 protected:
  int Run(const std::string& program, const std::string& args) {
    out.clear();
    err.clear();
    return testing::RunCommand(program + " " + args + " </dev/null", &out, &err);
  }
  int Tidora(const std::string& args) { return Run(testing::ProgramPath("tidora"), args); }

  testing::TempHome home;
  TempDir dir;
  std::string out, err;
};

void WriteSea(const std::string& path, int bursts) {
  WaveBurstFileWriter w;
  ASSERT_TRUE(w.Open(path));
  ASSERT_TRUE(w.WriteIdentification());
  const int n = 1024;
  const double dt = 0.5, depth = 8, rho = SeawaterDensity(35, 0);
  for (int b = 0; b < bursts; ++b) {
    std::vector<float> p =
        SeaPressureBurst(NarrowSea(1.2, 7.0, n * dt, 5, 11 + b), depth, depth, rho, n, dt);
    ASSERT_TRUE(w.WriteBurstHeader(b, 1800.0 * b, dt, n));
    for (int i = 0; i < n; i += 4) ASSERT_TRUE(w.WriteRow(p[i], p[i + 1], p[i + 2], p[i + 3]));
  }
  ASSERT_TRUE(w.Close());
}

TEST_F(ExportCommand, WaveModuleOutputsAndBurstsOfAGeneratedSea) {
  const std::string wb = dir.file("sea.wb");
  WriteSea(wb, 4);
  ASSERT_EQ(Tidora("waves " + wb + " --yes"), 0) << err;
  ASSERT_EQ(Tidora("export " + dir.file("sea.wts") + " " + dir.file("sea.was") +
                   " --attr institution=Harbour --attr \"source=bottom recorder\" --latitude 54.5"
                   " --longitude 8.25"),
            0)
      << err;
  EXPECT_EQ(out, dir.file("sea.wts.nc") + "\n");
  NcDataset ds;
  std::string error;
  ASSERT_TRUE(testing::LoadNetcdf(dir.file("sea.wts.nc"), ds, error)) << error;
  EXPECT_EQ(testing::CheckCf(ds), std::vector<std::string>{});
  EXPECT_EQ(ds.Global("source"), "bottom recorder");
  EXPECT_NE(ds.Global("history").find("tidora export " + dir.file("sea.wts")), std::string::npos);
  EXPECT_EQ(ds.Var("longitude").values, std::vector<double>{8.25});
  ASSERT_EQ(ds.Var("time").values.size(), 4u);
  ExpectPerBurst(ds, dir.file("sea.wts"),
                 {{kVarSigHeightTss, "significant_height_zc"}, {kVarNumberOfWaves, "wave_count"}});
  ExpectPerBurst(ds, dir.file("sea.was"),
                 {{kVarDateTime, "time"}, {kVarSigHeightAs, "significant_height_spectral"}});
  // The sea's significant height comes through.
  EXPECT_NEAR(ds.Var("significant_height_spectral").values[0], 1.2, 0.25);

  ASSERT_EQ(Tidora("export " + wb + " --output " + dir.file("bursts.nc")), 0) << err;
  ASSERT_EQ(Run("ncdump", "-h " + dir.file("bursts.nc")), 0) << err;
  for (const char* text :
       {":Conventions = \"CF-1.8\"", ":featureType = \"timeSeries\"",
        "pressure:standard_name = \"sea_water_pressure\"", "pressure:units = \"psi\"",
        "time:units = \"seconds since 1970-01-01 00:00:00\"",
        "pressure:coordinates = \"latitude longitude station\""})
    EXPECT_NE(out.find(text), std::string::npos) << text << "\n" << out;
  // Chunked by whole bursts and compressed.
  ASSERT_EQ(Run("ncdump", "-hs " + dir.file("bursts.nc")), 0) << err;
  EXPECT_NE(out.find("pressure:_ChunkSizes = 64, 1024"), std::string::npos) << out;
  EXPECT_NE(out.find("pressure:_DeflateLevel = 1"), std::string::npos) << out;
  EXPECT_NE(out.find("pressure:_Shuffle = \"true\""), std::string::npos) << out;
}

TEST_F(ExportCommand, BadInputsExitOneAndBadAttributesTwo) {
  EXPECT_EQ(Tidora("export " + dir.file("none.wb")), 1);
  EXPECT_EQ(err, "tidora export: " + dir.file("none.wb") + ": no such file\n");
  testing::WriteFile(dir.file("a.wts"), "no header\r\n");
  EXPECT_EQ(Tidora("export " + dir.file("a.wts")), 1);
  // The reader's own message box comes first, then what became of the export.
  EXPECT_NE(err.find("Unexpected end of file - please contact Brennic"), std::string::npos) << err;
  EXPECT_NE(err.find("tidora export: " + dir.file("a.wts") + ": the file holds no data"),
            std::string::npos)
      << err;
  EXPECT_EQ(Tidora("export " + dir.file("a.wts") + " --attr novalue"), 2);
  EXPECT_FALSE(std::filesystem::exists(dir.file("a.wts.nc")));
}

TEST(ExportFiles, DefaultOutputNames) {
  EXPECT_EQ(DefaultExportPath({"a/b.tid"}), "a/b.tid.nc");
  EXPECT_EQ(DefaultExportPath({"r.was", "r.wts"}), "r.wts.nc");
}

}  // namespace
}  // namespace tidora
