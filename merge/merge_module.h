#pragma once

#include <string>
#include <vector>

#include "merge/baro_merge.h"
#include "merge/merge_setup.h"
#include "postproc/postproc.h"

namespace tidora {

// The merge module: its setup, its input selection and its job on the processing thread.
class CMergeModule : public CPostProc {
 public:
  explicit CMergeModule(Interaction& ui);
  CMergeSetup& MergeSetup() { return static_cast<CMergeSetup&>(*setup_); }
  const CMergeSetup& MergeSetup() const { return static_cast<const CMergeSetup&>(*setup_); }

  // The module's input selection: names (without directory) are sorted and checked; a
  // refused selection shows its message and changes nothing. A taken one replaces the
  // selection, opens the input managers and resets the output file name to its default.
  bool SelectInputs(std::vector<std::string> names);

  // Prepares a run without a window: the two inputs (paths), the input directory taken from
  // the first in name order, and the output path (empty: the default name in that
  // directory). Returns an empty text, or why the run cannot start.
  std::string PrepareFileRun(const std::string& a, const std::string& b, const std::string& output);

  enum class Outcome {
    kNone,       // no run yet
    kDone,       // the output was written
    kSkipped,    // Skip at the overwrite prompt
    kCancelled,  // Cancel at the overwrite prompt
    kStopped,    // the stop flag ended the run; the output is as it was
    kFailed,     // an input could not be read or the merge reported an error
  };
  Outcome LastOutcome() const { return outcome_; }
  const std::string& LastOutputPath() const { return outputPath_; }
  long LastScanCount() const { return scanCount_; }
  std::vector<RoleFile> RunOutputs(const std::string& base) const override;

 protected:
  int ProcessJob(CPostProcJob& job) override;
  // The output may be the tide file itself: it replaces it once the merge is complete.
  bool MayReplaceInput(const std::string& path) const override;
  FileFilter OutputFileFilter() const override { return {"Output File ()", {"*.tid"}}; }

 private:
  Outcome outcome_ = Outcome::kNone;
  std::string outputPath_;
  long scanCount_ = 0;
};

}  // namespace tidora
