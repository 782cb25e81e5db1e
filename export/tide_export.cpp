// A tide file as a CF time series: one row per record, the columns the file holds and the
// densities the data file library derives from them.
#include <algorithm>
#include <filesystem>

#include "datafile/tidfile.h"
#include "export/export_parts.h"

namespace tidora {
namespace {

// Which value column a variable comes from; the densities need all four.
int SourceColumn(int id) {
  switch (id) {
    case kVarPressure:
    case kVarDepth:
      return 0;
    case kVarTemperature:
      return 1;
    case kVarConductivity:
      return 2;
    case kVarSalinity:
      return 3;
    default:
      return 4;
  }
}

const char* FirstColumnText(CTidFile::FirstColumn c) {
  switch (c) {
    case CTidFile::FirstColumn::kAbsolutePressure:
      return "absolute pressure [psia]";
    case CTidFile::FirstColumn::kGaugePressure:
      return "pressure with barometric pressure removed [psi]";
    case CTidFile::FirstColumn::kDepth:
      return "depth [meters]";
  }
  return "";
}

}  // namespace

bool ExportTide(NcFile& nc, OpenedSource& source, const ExportOptions& options,
                std::string& error) {
  auto& reader = static_cast<CTidFile&>(*source.reader);
  const std::string name = std::filesystem::path(source.path).filename().string();
  CommonParts common =
      WriteCommonParts(nc, options, "Tide record of " + name, SourceRoot(source.path));
  nc.Text(-1, "source_file", name);
  nc.Text(-1, "tide_first_column", FirstColumnText(reader.GetFirstColumn()));
  nc.Number(-1, "tide_value_columns", reader.GetNumValueColumns(), NcType::kInt);
  nc.Number(-1, "tide_records", source.rows, NcType::kInt);

  const int timeDim = nc.Dim("time", 0);
  const int timeVar = DefineTime(nc, timeDim, "record time");
  std::vector<int> ids;
  for (int id : reader.GetReadableVariableIDs())
    if (id != kVarDateTime) ids.push_back(id);
  std::vector<int> vars;
  for (int id : ids) {
    int var = DefineCatalogueVariable(nc, id, {timeDim}, common.coordinates, {4096});
    if (id == kVarPressure && reader.GetFirstColumn() == CTidFile::FirstColumn::kGaugePressure)
      nc.Text(var, "standard_name", "sea_water_pressure_due_to_sea_water");
    if (id == kVarDepth) nc.Text(var, "positive", "down");
    if (id == kVarSigmaT)
      nc.Text(var, "comment", "density minus 1000 kg m-3 at zero sea pressure, EOS-80");
    if (id == kVarSigmaTheta || (id >= kVarSigma1 && id <= kVarSigma4)) {
      const int reference = id == kVarSigmaTheta ? 0
                            : id == kVarSigma1   ? 1000
                            : id == kVarSigma2   ? 2000
                                                 : 4000;
      nc.Text(var, "comment",
              "potential density minus 1000 kg m-3 referred to " + std::to_string(reference) +
                  " dbar, EOS-80");
    }
    vars.push_back(var);
  }
  WriteUserAttributes(nc, options);
  if (!nc.EndDefinitions()) return false;
  WriteCommonValues(nc, common, options);

  // Records go through index 0 of the reader's arrays and out in blocks: memory stays flat.
  TimeBlock block(nc, 4096);
  const size_t timeColumn = block.Add(timeVar, 1, NcType::kDouble);
  for (size_t i = 0; i < ids.size(); ++i) block.Add(vars[i], 1, CfVariableOf(ids[i]).type);
  DataArrays data;
  data.Want(kVarDateTime);
  for (int id : ids) data.Want(id);
  int count = 0;
  for (int stored; !block.Failed() && (stored = reader.ReadData(data, 0, count)) != 0;) {
    // Columns come in order, so the count of values stored tells which the record had.
    const int columns = std::min(stored - 1, 4);
    block.Row(timeColumn)[0] = data.Get(kVarDateTime, 0);
    for (size_t i = 0; i < ids.size(); ++i)
      if (SourceColumn(ids[i]) < columns || (SourceColumn(ids[i]) == 4 && columns == 4))
        block.Row(timeColumn + 1 + i)[0] = data.Get(ids[i], 0);
    block.EndRow();
  }
  block.Flush();
  if (!reader.GetDataError().empty()) {  // a damaged record is no end of the file
    error = reader.GetDataError();
    return false;
  }
  if (!nc.Ok()) error = nc.Error();
  return nc.Ok();
}

}  // namespace tidora
