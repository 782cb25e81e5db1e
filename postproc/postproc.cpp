#include "postproc/postproc.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "outside/utility.h"
#include "platform/interaction.h"

namespace tidora {

CPostProc::CPostProc(std::unique_ptr<CPostProcSetup> setup, Interaction& ui)
    : setup_(std::move(setup)), ui_(ui) {}

CPostProc::~CPostProc() {
  // A thread that outlived StopProcess is stopped and waited for: it uses this object.
  control_.Stop();
  ResumeProcess();
  if (thread_.joinable()) thread_.join();
}

void CPostProc::SetPage(CPostProcPage* page) {
  page_ = page;
  for (auto& m : inputs_) m->SetPage(page);
}

void CPostProc::FillJob(CPostProcJob& job) {
  const CPostProcSetup& s = *setup_;
  job.inputPath = s.inputFiles.empty() ? std::string() : s.inputDir + "/" + s.inputFiles[0];
  job.outputBase = OutputBase();
  job.jobText = jobText;
  job.stop = &control_;
  job.page = page_;
  job.owner = this;
}

int CPostProc::StartProcess() {
  if (IsProcessing()) return 0;
  // Whatever way a value came in (a page takes any number typed), a run never starts on one
  // that the analysis cannot use.
  if (std::string why = setup_->CheckModuleSettings(); !why.empty()) {
    ui_.Message("The settings cannot be used:\n" + why, "Cannot Start Process", MsgIcon::Warning,
                MsgButtons::Ok);
    return 0;
  }
  JoinIfEnded();
  control_.Clear();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = true;
  }
  thread_ = std::thread(&CPostProc::ThreadProcedure, this);
  return 1;
}

void CPostProc::ThreadProcedure() {
  std::unique_ptr<CPostProcJob> job = CreateJob();
  FillJob(*job);
  const int result = ProcessJob(*job);
  if (!result) control_.Stop();
  if (!control_.Stopped() && page_) page_->ProcessingComplete();
  job.reset();
  lastResult_.store(result);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
  }
  cv_.notify_all();
  if (page_) page_->ThreadEnded();
}

int CPostProc::IsProcessing() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return running_ ? 1 : 0;
}

bool CPostProc::WaitForThread(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return cv_.wait_for(lock, timeout, [this] { return !running_; });
}

void CPostProc::JoinIfEnded() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id() && !IsProcessing())
    thread_.join();
}

void CPostProc::ThreadEnded() {
  JoinIfEnded();
  AfterRun();
}

void CPostProc::SuspendProcess() {
  if (IsProcessing()) control_.Suspend();
}

void CPostProc::ResumeProcess() {
  control_.Resume();
}

void CPostProc::StopProcess() {
  if (!IsProcessing()) return;
  ResumeProcess();
  control_.Stop();
  for (int i = 0; i < 20; ++i) {
    if (page_) page_->ProcessPendingMessages();
    if (WaitForThread(waitStep_)) return;
  }
  // A thread cannot be killed safely here; it keeps the stop flag and is waited for when the
  // module goes away. The user is told to close the window.
  ui_.Message(
      "The file processing thread did not terminate properly!\nYour application must be "
      "shutdown.",
      "Thread Error", MsgIcon::Error, MsgButtons::Ok);
  if (page_) page_->RequestClose();
}

int CPostProc::RunAndWait() {
  if (!StartProcess()) return 0;
  while (!WaitForThread(std::chrono::milliseconds(100))) {
  }
  ThreadEnded();
  return lastResult_.load();
}

int CPostProc::OpenInputFiles() {
  for (;;) {
    inputs_.clear();
    CPostProcSetup& s = *setup_;
    bool removed = false;
    for (size_t i = 0; i < s.inputFiles.size(); ++i) {
      const std::string path = s.inputDir + "/" + s.inputFiles[i];
      std::ifstream probe(path, std::ios::binary);
      if (!probe || IsDirectory(path)) {
        ui_.Message(path + " could not be opened. \nRemoving from file list.", "Input File Error",
                    MsgIcon::Warning, MsgButtons::Ok);
        s.inputFiles.erase(s.inputFiles.begin() + static_cast<long>(i));
        removed = true;
        break;
      }
      auto manager = std::make_unique<CTGR41FileManager>(path, factory_ ? factory_(path) : nullptr);
      manager->ReadInfo();
      manager->SetPage(page_);
      inputs_.push_back(std::move(manager));
    }
    if (!removed) break;
  }
  return static_cast<int>(inputs_.size());
}

std::string CPostProc::OutputBase() const {
  const CPostProcSetup& s = *setup_;
  std::string dir = s.outputDir;
  if (dir.empty() || dir.back() != '/') dir += '/';
  if (!s.outputFile.empty()) {
    const size_t dot = s.outputFile.rfind('.');
    const std::string root = s.outputFile.substr(0, dot);
    const std::string after = dot == std::string::npos ? "" : s.outputFile.substr(dot + 1);
    return dir + root + s.nameAppend + "." + after;
  }
  std::string first = s.inputFiles.empty() ? std::string() : s.inputFiles[0];
  RemoveExtension(first);
  return dir + first + s.nameAppend + ".";
}

CPostProc::Overwrite CPostProc::OverwritePrompt(std::string& base, const std::string& ext) {
  if (!overwriteWarning || yesToAll || !IsFile(base + ext)) return Overwrite::kGo;
  std::vector<std::string> buttons = {"&Yes", "&No", "&Cancel"};
  const bool several = setup_->inputFiles.size() >= 2;
  if (several) buttons.insert(buttons.end(), {"Yes to &All", "&Skip"});
  for (;;) {
    const int answer =
        ui_.Choose("Is it OK to overwrite " + base + ext + "?", setup_->DisplayName(), buttons);
    if (answer == 0) return Overwrite::kGo;
    if (several && answer == 3) {
      yesToAll = true;
      return Overwrite::kGo;
    }
    if (several && answer == 4) return Overwrite::kSkip;
    if (answer != 1) {  // Cancel, or the question was dismissed
      control_.Stop();
      return Overwrite::kCancel;
    }
    // No: another name.
    for (;;) {
      FileRequest request;
      request.mode = FileRequest::kSave;
      request.title = "Enter a New Output File Name";
      request.initialDir = setup_->outputDir;
      request.filters = {OutputFileFilter()};
      request.mustExist = false;
      std::vector<std::string> chosen = ui_.ChooseFiles(request);
      if (chosen.empty()) break;  // back to the first question
      const std::string& name = chosen[0];
      if (IsFile(name)) {
        MsgAnswer a = ui_.Message("Is it OK to overwrite" + name + "?", setup_->DisplayName(),
                                  MsgIcon::Question, MsgButtons::YesNo);
        if (a != MsgAnswer::Yes) continue;
      }
      const size_t slash = name.rfind('/');
      const size_t dot = name.rfind('.');
      base = dot == std::string::npos || (slash != std::string::npos && dot < slash)
                 ? name + "."
                 : name.substr(0, dot + 1);
      return Overwrite::kGo;
    }
  }
}

bool CPostProc::CheckRunOutputs(const std::string& base) {
  const CPostProcSetup& s = *setup_;
  std::vector<RoleFile> inputs;
  for (const std::string& name : s.inputFiles) {
    const std::string path = s.inputDir + "/" + name;
    if (!MayReplaceInput(path)) inputs.push_back({"input file", path});
  }
  const std::string problem = CheckOutputFiles(inputs, RunOutputs(base));
  if (problem.empty()) return true;
  ui_.Message(problem, "Output File Error", MsgIcon::Warning, MsgButtons::Ok);
  return false;
}

namespace {

void CommandLineError(Interaction& ui, const CPostProcSetup& s, char option,
                      const std::string& reason) {
  ui.Message("Must terminate the " + s.DisplayName() + " program." + reason,
             std::string("Command Line Error, '/") + option + "' Option", MsgIcon::Error,
             MsgButtons::Ok);
}

}  // namespace

int CPostProc::SetInputFiles(const std::string& pattern) {
  namespace fs = std::filesystem;
  std::string dir, name;
  if (!ExtractDirectory(pattern, dir, 0)) dir = ".";
  ExtractFileName(pattern, name, 0);
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    const std::string file = entry.path().filename().string();
    // Names keep their case: on this platform another case is another file.
    if (fnmatch(name.c_str(), file.c_str(), FNM_PERIOD) == 0 && TestFileName(file))
      found.push_back(file);
  }
  std::sort(found.begin(), found.end());
  if (found.empty()) {
    CommandLineError(ui_, *setup_, 'I', "\nNo input files were found using " + pattern + ".");
    return 0;
  }
  launcher_.inputDir = fs::absolute(dir, ec).lexically_normal().string();
  while (launcher_.inputDir.size() > 1 && launcher_.inputDir.back() == '/')
    launcher_.inputDir.pop_back();
  launcher_.inputFiles = found;
  return 1;
}

int CPostProc::SetOutputDir(const std::string& dir) {
  if (!IsDirectory(dir)) {
    CommandLineError(ui_, *setup_, 'O', "\n" + dir + " is not a directory.");
    return 0;
  }
  std::error_code ec;
  launcher_.outputDir = std::filesystem::absolute(dir, ec).lexically_normal().string();
  while (launcher_.outputDir.size() > 1 && launcher_.outputDir.back() == '/')
    launcher_.outputDir.pop_back();
  launcher_.hasOutputDir = true;
  return 1;
}

void CPostProc::SetNameAppend(const std::string& text) {
  launcher_.nameAppend = text;
  launcher_.hasNameAppend = true;
}

void CPostProc::SetOutputFile(const std::string& name) {
  if (setup_->inputFiles.size() == 1) setup_->outputFile = name;
}

}  // namespace tidora
