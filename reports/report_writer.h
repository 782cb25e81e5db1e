#pragma once

// The report run: which variables to read from each input, how the inputs are combined into
// one table with a row per burst, and the report file (.r41) written from that table.

#include <array>
#include <string>
#include <vector>

#include "datafile/tgr41file.h"
#include "reports/tabulon_psu.h"

namespace tidora {

class Interaction;

// Header values of the first input (its first burst), for the header information lines.
struct ReportHeader {
  std::string inputPath;       // full path of the first input
  double integrationTime = 0;  // sample period, seconds
  int points = 0;
  double waterDepth = 0;
  double instrumentDepth = 0;
  double density = 0;
};

// One input as read: for each variable asked of it, one value per record (burst).
struct ReportInput {
  std::string path;
  int rows = 0;         // row count the file states (its bursts)
  int recordsRead = 0;  // bursts actually read
  std::array<bool, kMaxDataTypes> requested{};
  std::array<std::vector<double>, kMaxDataTypes> values;
  ReportHeader header;
  bool HoldsData(int id, int row) const {
    return id >= 0 && id < kMaxDataTypes && requested[id] && row >= 0 && row < recordsRead &&
           static_cast<size_t>(row) < values[id].size();
  }
};

// The combined inputs: `rows` values for every variable (0 where no input holds one).
struct ReportTable {
  ReportHeader header;
  int rows = 1;
  std::array<std::vector<double>, kMaxDataTypes> columns;
  double Value(int id, int row) const {
    if (id < 0 || id >= kMaxDataTypes || row < 0) return 0;
    const auto& c = columns[id];
    return static_cast<size_t>(row) < c.size() ? c[static_cast<size_t>(row)] : 0;
  }
};

// True for the variables a report can hold.
bool IsReportVariable(int id);

// Whether a file offers a variable: its long name is one of the file's column names.
bool FileHasColumn(const std::vector<std::string>& columnNames, int id);

// Marks in `requested` the slot's variable when the file has a column of that name, and
// Pressure Sensor Depth for every file whatever its columns say.
void RequestSlotVariable(int id, const std::vector<std::string>& columnNames,
                         std::array<bool, kMaxDataTypes>& requested);

// Header values from the first input; the row count is the smallest of the inputs' (at least
// 1, and no more than the most bursts any input gave); for every variable and row the value
// of the last input, in name order, that holds it.
ReportTable CombineReportInputs(const std::vector<ReportInput>& inputs);

class CReportWriter {
 public:
  // The printf patterns of one separator: text (labels and time), "%.3f", "%.0f", "%.6e".
  struct Patterns {
    const char* text;
    const char* fixed3;
    const char* whole;
    const char* exponent;
  };
  static const Patterns& PatternsFor(int separator);

  CReportWriter(std::string outputPath, const CTabulon_Psu& settings);

  // The label of a column ("" for a variable a report cannot hold).
  std::string Label(int id) const;
  // The time text of a burst time (calendar seconds) in the chosen form, before placing.
  std::string TimeText(double t) const;
  // One field with its separator; "" for a variable a report cannot hold.
  std::string Field(int id, double value) const;
  // The whole report as written to disk (CR LF line ends, no final line end).
  std::string Render(const ReportTable& table) const;
  // Writes the report: 1 on success; 0 after the "Output File Error" box, with nothing
  // written (an existing file is replaced only by a complete report).
  int Write(const ReportTable& table, Interaction& ui) const;

  const std::string& OutputPath() const { return outputPath_; }

 private:
  std::string outputPath_;
  CTabulon_Psu settings_;
  const Patterns& patterns_;
};

}  // namespace tidora
