#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/interaction.h"
#include "platform/output_files.h"
#include "postproc/file_manager.h"
#include "postproc/page.h"
#include "postproc/process_control.h"
#include "postproc/setup.h"

namespace tidora {

class Interaction;
class CPostProc;

// One run of a module, made by the module for each Start Process and dropped at its end.
struct CPostProcJob {
  virtual ~CPostProcJob() = default;
  std::string inputPath;   // input directory + "/" + first input name
  std::string outputBase;  // see CPostProc::OutputBase
  std::string jobText;
  ProcessControl* stop = nullptr;
  CPostProcPage* page = nullptr;
  CPostProc* owner = nullptr;
};

// What every processing module shares: its setup, its input managers, and the processing
// thread with its stop flag. A module derives from it and supplies ProcessJob.
class CPostProc {
 public:
  CPostProc(std::unique_ptr<CPostProcSetup> setup, Interaction& ui);
  virtual ~CPostProc();
  CPostProc(const CPostProc&) = delete;
  CPostProc& operator=(const CPostProc&) = delete;

  CPostProcSetup& Setup() { return *setup_; }
  const CPostProcSetup& Setup() const { return *setup_; }
  Interaction& UI() { return ui_; }
  void SetPage(CPostProcPage* page);
  CPostProcPage* Page() const { return page_; }

  // ---- The processing thread. ----
  // Clears the stop flag and starts the thread; 0 when one is already running, or when a
  // module setting must not be used (after saying which).
  int StartProcess();
  // Sets the stop flag and waits for the thread in steps (20 of WaitStep); a thread that does
  // not end gets the "Thread Error" box and the page is asked to close.
  void StopProcess();
  int IsProcessing() const;
  // The exit check pauses the thread while it asks; the thread waits at its next step.
  void SuspendProcess();
  void ResumeProcess();
  bool IsSuspended() const { return control_.IsSuspended(); }
  // True when the thread procedure ended within the timeout (or none runs).
  bool WaitForThread(std::chrono::milliseconds timeout);
  // The page's handling of the thread-ended message: joins the thread and runs the module's
  // after-run hook. Call it on the page's thread, not on the processing thread.
  void ThreadEnded();
  // The module's own check before a job starts (after the framework's input and output
  // checks); false when the job must not start, after the module has said why.
  virtual bool StartCheck() { return true; }
  // Start, wait for the end and handle it: the command line's way of running. Returns the
  // result of ProcessJob (0 when it could not start).
  int RunAndWait();
  int LastResult() const { return lastResult_.load(); }

  std::atomic<int>& StopFlag() { return control_.Flag(); }
  // The run's stop and suspension, handed to every processing loop.
  ProcessControl& Control() { return control_; }
  // For the processing side: true when a stop was asked; waits while suspended.
  bool StopRequested() { return control_.StopRequested(); }
  void SetWaitStep(std::chrono::milliseconds step) { waitStep_ = step; }

  // ---- Values the launcher hands over before Run; the window applies them when it opens. ----
  struct LauncherValues {
    std::string inputDir;
    std::vector<std::string> inputFiles;
    std::string outputDir;
    bool hasOutputDir = false;
    std::string nameAppend;
    bool hasNameAppend = false;
  };
  // Files matching a pattern (wildcards in the name part); each must pass TestFileName. No
  // match: the "Command Line Error, '/I' Option" box and 0.
  int SetInputFiles(const std::string& pattern);
  // An existing directory, stored as a full path; otherwise the "/O" box and 0.
  int SetOutputDir(const std::string& dir);
  void SetNameAppend(const std::string& text);
  // Taken only when exactly one input file is selected in the setup.
  void SetOutputFile(const std::string& name);
  void SetJobText(const std::string& text) { jobText = text; }
  int GetLastProcessed() const { return setup_->lastProcessed; }
  void SetLastProcessed(int n) { setup_->lastProcessed = n; }
  const LauncherValues& Launcher() const { return launcher_; }

  // ---- Input managers. ----
  // Releases the old managers and opens one per selected input name, removing (with the
  // "Input File Error" box) every name whose file does not open. Returns the input count.
  int OpenInputFiles();
  std::vector<std::unique_ptr<CTGR41FileManager>>& Inputs() { return inputs_; }
  void SetReaderFactory(ReaderFactory factory) { factory_ = std::move(factory); }

  // ---- Output names. ----
  // Output directory + "/" + OutputFile up to its last dot + NameAppend + "." + what followed
  // the dot; without OutputFile, the first input name without extension + NameAppend + ".".
  std::string OutputBase() const;
  enum class Overwrite { kGo, kSkip, kCancel };
  // Asks before an existing base + ext is overwritten (when the option is on and Yes to All
  // was not given); No lets the user choose another name, which replaces `base`. Cancel sets
  // the stop flag.
  Overwrite OverwritePrompt(std::string& base, const std::string& ext);
  bool overwriteWarning = true;
  bool yesToAll = false;
  std::string jobText;

  // ---- Output checks. ----
  // The files a run writes for an output base (as OutputBase gives it, or as the overwrite
  // prompt changed it), each with what it is.
  virtual std::vector<RoleFile> RunOutputs(const std::string&) const { return {}; }
  // False, after the "Output File Error" box naming both files, when an output of a run with
  // this base is one of the selected inputs (other than one the module replaces on purpose),
  // another output, or an existing file that is not a regular file.
  bool CheckRunOutputs(const std::string& base);

 protected:
  // Module hooks.
  virtual std::unique_ptr<CPostProcJob> CreateJob() { return std::make_unique<CPostProcJob>(); }
  virtual void FillJob(CPostProcJob& job);
  virtual int ProcessJob(CPostProcJob& job) = 0;
  virtual void AfterRun() {}
  virtual bool TestFileName(const std::string&) const { return true; }
  // An input the module's output may replace once the output is complete.
  virtual bool MayReplaceInput(const std::string&) const { return false; }
  // The filter of the "Enter a New Output File Name" dialog of the overwrite prompt.
  virtual FileFilter OutputFileFilter() const { return {"Output File ()", {"*.rpt"}}; }

  std::unique_ptr<CPostProcSetup> setup_;
  Interaction& ui_;
  CPostProcPage* page_ = nullptr;
  std::vector<std::unique_ptr<CTGR41FileManager>> inputs_;
  ReaderFactory factory_;
  LauncherValues launcher_;

 private:
  void ThreadProcedure();
  void JoinIfEnded();

  std::thread thread_;
  ProcessControl control_;
  std::atomic<int> lastResult_{0};
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  bool running_ = false;  // guarded by mutex_
  std::chrono::milliseconds waitStep_{250};
};

}  // namespace tidora
