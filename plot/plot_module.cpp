#include "plot/plot_module.h"

#include "datafile/tgr41file.h"
#include "platform/interaction.h"

namespace tidora {

CPlotModule::CPlotModule(Interaction& ui) : CPostProc(std::make_unique<CPlotSetup>(), ui) {}

std::vector<std::string> CPlotModule::InputPaths() const {
  std::vector<std::string> paths;
  for (const std::string& name : Setup().inputFiles) paths.push_back(Setup().inputDir + "/" + name);
  return paths;
}

int CPlotModule::ProcessJob(CPostProcJob& job) {
  built_ = false;
  error_.clear();
  CPostProcPage* page = job.page;
  if (page) {
    page->ProgressRange(0, 100);
    page->ProcessingStarted(static_cast<int>(Setup().inputFiles.size()));
  }
  PlotProgress progress;
  progress.stop = job.stop;
  progress.percent = [page](int percent) {
    if (page) page->ProgressPos(percent);
  };
  PlotModel model;
  if (!BuildPlot(InputPaths(), PlotSetup().Plot(), model, error_, &UI(), progress)) {
    if (!StopRequested()) UI().Message(error_, "Plot Data", MsgIcon::Warning, MsgButtons::Ok);
    return 0;
  }
  plot_ = std::move(model);
  built_ = true;
  return 1;
}

void CPlotModule::AfterRun() {
  if (built_ && plotReady_) plotReady_(plot_);
  built_ = false;
}

bool CPlotModule::TestFileName(const std::string& name) const {
  return FileIdFromExtension(name) >= 0;
}

FileFilter CPlotModule::OutputFileFilter() const {
  return {"Picture (*.png *.svg *.pdf)", {"*.png", "*.svg", "*.pdf"}};
}

}  // namespace tidora
