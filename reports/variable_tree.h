#pragma once

// The report module's variable selection: the tree of the variables a report can hold.

#include <array>

#include "datafile/tgr41select.h"
#include "reports/tabulon_psu.h"

namespace tidora {

class CTabulonSelection : public CTGR41Selection {
 public:
  // Burst number, date/time, the four variables with an auto-spectrum and a time-series
  // calculation, the time-series heights, periods and counts, and the sensor depth.
  void BuildTGR41Tree() override;
};

// "Select Variables...": the selection opens on a copy of the 17 slots, titled "Select
// Variables"; `run` shows it and returns true for OK. Only then are the slots replaced.
template <class ShowFn>
bool SelectReportVariables(CTabulon_Psu& psu, ShowFn run) {
  CTabulonSelection selection;
  selection.SetTitle("Select Variables");
  selection.SetChosen(std::vector<int>(psu.columns.begin(), psu.columns.end()));
  selection.Open();
  if (!run(selection)) return false;
  psu.columns = selection.GetChosen();
  return true;
}

}  // namespace tidora
