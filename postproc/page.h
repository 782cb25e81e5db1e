#pragma once

#include <string>
#include <vector>

namespace tidora {

class Interaction;

// The messages the processing thread sends to the File Setup page. A window implements them
// by handing each call to its own thread: every call but ThreadEnded is synchronous (the
// thread waits until the page has handled it), ThreadEnded is queued. Calls come from the
// processing thread.
class CPostProcPage {
 public:
  virtual ~CPostProcPage() = default;
  virtual void ProgressRange(int low, int high) = 0;                    // progress bar range
  virtual void ProgressPos(int percent) = 0;                            // bar and "%d%%"
  virtual void ProcessingStarted(int fileCount) = 0;                    // inputs disabled
  virtual void ProcessingComplete() = 0;                                // "Processing complete"
  virtual void ProcessingFile(int index, const std::string& name) = 0;  // "Processing %d/%d: %s..."
  virtual void ProcessingStopped(int index) = 0;                        // "Processing stopped, ..."
  virtual void ThreadEnded() = 0;                                       // queued, see CPostProc
  virtual void ProcessingWaveData() = 0;                                // "Processing Wave Data..."
  virtual void StatusText(const std::string& text) = 0;
  // The module asks the page to show its settings page when the run has ended (the user
  // declined the setup summary).
  virtual void ShowDataSetupPage() {}
  // The sheet is asked to close (a processing thread that would not end).
  virtual void RequestClose() {}
  // Called by StopProcess while it waits, so that a window can deliver the messages the
  // processing thread is blocked on.
  virtual void ProcessPendingMessages() {}
};

// The status texts of a file being processed and of a stopped run ("Processing 2/3: a.wb...",
// "Processing stopped, 2/3: a.wb"); index counts from 0.
std::string ProcessingFileText(int index, int fileCount, const std::string& name);
std::string ProcessingStoppedText(int index, int fileCount, const std::string& name);

// A page without a window: the page's texts go to the interaction's status line and progress
// (command line, tests). It keeps the page's state as the window would.
class CInteractionPage : public CPostProcPage {
 public:
  explicit CInteractionPage(Interaction& ui) : ui_(ui) {}
  void SetInputNames(const std::vector<std::string>& names) { names_ = names; }

  void ProgressRange(int low, int high) override;
  void ProgressPos(int percent) override;
  void ProcessingStarted(int fileCount) override;
  void ProcessingComplete() override;
  void ProcessingFile(int index, const std::string& name) override;
  void ProcessingStopped(int index) override;
  void ThreadEnded() override;
  void ProcessingWaveData() override;
  void StatusText(const std::string& text) override;
  void ShowDataSetupPage() override { dataSetupShown_ = true; }
  void RequestClose() override { closeRequested_ = true; }

  const std::string& Percent() const { return percent_; }
  bool DataSetupShown() const { return dataSetupShown_; }
  bool CloseRequested() const { return closeRequested_; }
  bool InputsEnabled() const { return inputsEnabled_; }

 private:
  Interaction& ui_;
  std::vector<std::string> names_;
  int fileCount_ = 0;
  std::string percent_;
  std::string finalStatus_;
  bool inputsEnabled_ = true;
  bool dataSetupShown_ = false;
  bool closeRequested_ = false;
};

}  // namespace tidora
