#pragma once

// The plotting module: Start Process reads the chosen files into a plot on the processing
// thread; the window draws it when the run has ended.

#include <functional>
#include <string>
#include <vector>

#include "plot/plot_data.h"
#include "plot/plot_setup.h"
#include "postproc/postproc.h"

namespace tidora {

class CPlotModule : public CPostProc {
 public:
  explicit CPlotModule(Interaction& ui);
  CPlotSetup& PlotSetup() { return static_cast<CPlotSetup&>(*setup_); }
  const CPlotSetup& PlotSetup() const { return static_cast<const CPlotSetup&>(*setup_); }

  // The selected input files as paths.
  std::vector<std::string> InputPaths() const;
  // The plot of the last run that succeeded, and why the last run failed.
  const PlotModel& Plot() const { return plot_; }
  const std::string& LastError() const { return error_; }
  // Called on the page's thread after each run that built a plot.
  void SetPlotReady(std::function<void(const PlotModel&)> fn) { plotReady_ = std::move(fn); }

 protected:
  int ProcessJob(CPostProcJob& job) override;
  void AfterRun() override;
  bool TestFileName(const std::string& name) const override;
  FileFilter OutputFileFilter() const override;

 private:
  PlotModel plot_;
  std::string error_;
  bool built_ = false;
  std::function<void(const PlotModel&)> plotReady_;
};

}  // namespace tidora
