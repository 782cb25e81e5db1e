#include "reports/report_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "datafile/textio.h"
#include "outside/utility.h"
#include "platform/interaction.h"
#include "platform/profile.h"

namespace tidora {
namespace {

enum class NumberForm { kNone, kTime, kFixed3, kWhole, kExponent };

NumberForm FormOf(int id) {
  if (IsPerCalculationType(id)) return NumberForm::kExponent;
  switch (id) {
    case kVarBurstNumber:
    case kVarNumberOfWaves:
      return NumberForm::kWhole;
    case kVarDateTime:
      return NumberForm::kTime;
    case kVarSensorDepth:
      return NumberForm::kFixed3;
    case kVarH10Tss:
    case kVarH100Tss:
    case kVarMaxHeightTss:
    case kVarAveragePeriodTss:
    case kVarAverageHeightTss:
      return NumberForm::kExponent;
    default:
      return NumberForm::kNone;
  }
}

constexpr CReportWriter::Patterns kPatterns[] = {
    {"%20s", "%20.3f", "%20.0f", "%20.6e"},
    {"%s\t", "%.3f\t", "%.0f\t", "%.6e\t"},
    {"%s;", "%.3f;", "%.0f;", "%.6e;"},
    {"%s:", "%.3f:", "%.0f:", "%.6e:"},
};

}  // namespace

bool IsReportVariable(int id) {
  return FormOf(id) != NumberForm::kNone;
}

bool FileHasColumn(const std::vector<std::string>& columnNames, int id) {
  std::string name;
  if (!GetDataNameFromID(name, id)) return false;
  return std::find(columnNames.begin(), columnNames.end(), name) != columnNames.end();
}

void RequestSlotVariable(int id, const std::vector<std::string>& columnNames,
                         std::array<bool, kMaxDataTypes>& requested) {
  requested[kVarSensorDepth] = true;
  if (FileHasColumn(columnNames, id)) requested[static_cast<size_t>(id)] = true;
}

ReportTable CombineReportInputs(const std::vector<ReportInput>& inputs) {
  ReportTable table;
  if (inputs.empty()) return table;
  table.header = inputs.front().header;
  int rows = inputs.front().rows;
  int mostRead = 0;
  for (const ReportInput& in : inputs) {
    rows = std::min(rows, in.rows);
    mostRead = std::max(mostRead, in.recordsRead);
  }
  // Rows that no input has read would only repeat zeros: a burst count taken from a damaged
  // burst number must not make millions of them.
  table.rows = std::max(1, std::min(rows, mostRead));
  for (int id = 0; id < kMaxDataTypes; ++id) {
    bool any = false;
    for (const ReportInput& in : inputs) any = any || in.requested[id];
    if (!any) continue;
    auto& column = table.columns[id];
    column.assign(static_cast<size_t>(table.rows), 0.0);
    for (int r = 0; r < table.rows; ++r) {
      for (auto it = inputs.rbegin(); it != inputs.rend(); ++it) {
        if (it->HoldsData(id, r)) {
          column[static_cast<size_t>(r)] = it->values[id][static_cast<size_t>(r)];
          break;
        }
      }
    }
  }
  return table;
}

// ---- CReportWriter ----

const CReportWriter::Patterns& CReportWriter::PatternsFor(int separator) {
  return kPatterns[std::clamp(separator, 0, 3)];
}

CReportWriter::CReportWriter(std::string outputPath, const CTabulon_Psu& settings)
    : outputPath_(std::move(outputPath)),
      settings_(settings),
      patterns_(PatternsFor(settings.columnSeparator)) {}

std::string CReportWriter::Label(int id) const {
  if (!IsReportVariable(id)) return {};
  std::string label;
  if (id == kVarDateTime && settings_.julianDaysConvFmt == kTimeJulianDays)
    label = "Time-jdays";
  else
    GetShortDataNameFromID(label, id);
  return FormatC(patterns_.text, label.c_str());
}

std::string CReportWriter::TimeText(double t) const {
  const std::tm tm = CalendarTime(t);
  switch (settings_.julianDaysConvFmt) {
    case kTimeOfDay:
      return TimeToTimeOnlyStr(tm);
    case kTimeDateAndTime:
      return TimeToDateTimeStr(tm);
    default: {
      // Days from 00:00:00 on 1 January of the time's own year, that day being day 1.
      const double yearStart = CalendarSeconds(int64_t{tm.tm_year} + 1900, 1, 1, 0, 0, 0);
      return FormatC("%.6f", (t - yearStart) / 86400.0 + 1.0);
    }
  }
}

std::string CReportWriter::Field(int id, double value) const {
  switch (FormOf(id)) {
    case NumberForm::kTime:
      return FormatC(patterns_.text, TimeText(value).c_str());
    case NumberForm::kFixed3:
      return FormatC(patterns_.fixed3, value);
    case NumberForm::kWhole:
      return FormatC(patterns_.whole, value);
    case NumberForm::kExponent:
      return FormatC(patterns_.exponent, value);
    default:
      return {};
  }
}

std::string CReportWriter::Render(const ReportTable& table) const {
  // The report is a text file: every line feed is written as CR LF.
  std::string out;
  if (settings_.outputHeaderInfo) {
    std::string root = table.header.inputPath;
    RemoveExtension(root);
    const ReportHeader& h = table.header;
    out += FormatC("# filename = %s[.WAS, .WTS]\r\n", root.c_str());
    out += FormatC("# wave integration time = %.2lf\r\n", h.integrationTime);
    out += FormatC("# number of points in the burst = %d\r\n", h.points);
    out += FormatC("# height of TGR 41 above the bottom = %.3lf\r\n",
                   h.waterDepth - h.instrumentDepth);
    out += FormatC("# density = %.3lf\r\n", h.density);
  }
  const std::vector<int> used = settings_.UsedColumns();
  if (settings_.labelDataColumns)
    for (int id : used) out += Label(id);
  for (int r = 0; r < table.rows; ++r) {
    out += "\r\n";
    for (int id : used) out += Field(id, table.Value(id, r));
  }
  return out;
}

int CReportWriter::Write(const ReportTable& table, Interaction& ui) const {
  if (WriteFileAtomically(outputPath_, Render(table))) return 1;
  ui.Message(outputPath_ + " cannot be opened for writing, contact Brennic.", "Output File Error",
             MsgIcon::Warning, MsgButtons::Ok);
  return 0;
}

}  // namespace tidora
