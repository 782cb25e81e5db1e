#include "reports/variable_tree.h"

#include "datafile/tgr41file.h"

namespace tidora {

void CTabulonSelection::BuildTGR41Tree() {
  const int roots[] = {kVarBurstNumber,   kVarDateTime,         kVarEnergyAs,
                       kVarSigPeriodAs,   kVarSigHeightAs,      kVarVarianceAs,
                       kVarH10Tss,        kVarH100Tss,          kVarMaxHeightTss,
                       kVarNumberOfWaves, kVarAveragePeriodTss, kVarAverageHeightTss,
                       kVarSensorDepth};
  for (int id : roots) {
    const int item = AddTGR41(id, kNoItem);
    if (id == kVarEnergyAs || id == kVarSigPeriodAs || id == kVarSigHeightAs ||
        id == kVarVarianceAs)
      AddCalcType(id, item);
  }
}

}  // namespace tidora
