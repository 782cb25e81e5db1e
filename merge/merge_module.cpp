#include "merge/merge_module.h"

#include <algorithm>

#include <filesystem>

#include "merge/selection.h"
#include "outside/utility.h"
#include "platform/interaction.h"

namespace tidora {

namespace fs = std::filesystem;

CMergeModule::CMergeModule(Interaction& ui) : CPostProc(std::make_unique<CMergeSetup>(), ui) {}

bool CMergeModule::SelectInputs(std::vector<std::string> names) {
  auto taken = TakeMergeSelection(std::move(names), ui_);
  if (!taken) return false;
  CMergeSetup& s = MergeSetup();
  s.inputFiles = *taken;
  OpenInputFiles();
  s.outputFile = DefaultMergeOutputName(s.inputFiles);
  s.lastProcessed = 0;
  return true;
}

std::string CMergeModule::PrepareFileRun(const std::string& a, const std::string& b,
                                         const std::string& output) {
  std::error_code ec;
  const fs::path pa = fs::absolute(a, ec).lexically_normal();
  const fs::path pb = fs::absolute(b, ec).lexically_normal();
  for (const fs::path& p : {pa, pb})
    if (!fs::is_regular_file(p, ec)) return p.string() + " could not be opened.";
  if (pa.parent_path() != pb.parent_path()) return "both input files must be in one directory";
  std::vector<std::string> names{pa.filename().string(), pb.filename().string()};
  SortInputNames(names);
  if (auto problem = CheckMergeSelection(names)) return problem->text;

  CMergeSetup& s = MergeSetup();
  s.inputDir = pa.parent_path().string();
  s.inputFiles = names;
  s.nameAppend.clear();
  if (output.empty()) {
    s.outputDir = s.inputDir;
    s.outputFile = DefaultMergeOutputName(names);
  } else {
    // A device or a folder is refused as it is named, never given an extension instead.
    if (std::string problem = CheckOutputFiles({}, {{"output file", output}}); !problem.empty())
      return problem;
    const fs::path po = fs::absolute(output, ec).lexically_normal();
    if (!po.has_filename()) return output + " is not a file name";
    s.outputDir = po.parent_path().string();
    s.outputFile = po.filename().string();
    if (!IsDirectory(s.outputDir)) return s.outputDir + " cannot be found.";
  }
  if (OpenInputFiles() != 2) return "the input files could not be opened";
  return {};
}

std::vector<RoleFile> CMergeModule::RunOutputs(const std::string& base) const {
  std::string path = base;
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) path += '.';
  if (path.back() == '.') path += "tid";
  return {{"output file", path}};
}

bool CMergeModule::MayReplaceInput(const std::string& path) const {
  return !IsBarometricName(path);
}

int CMergeModule::ProcessJob(CPostProcJob& job) {
  outcome_ = Outcome::kNone;
  scanCount_ = 0;
  ProcessControl& stop = Control();
  CPostProcPage* page = job.page;
  const CMergeSetup& setup = MergeSetup();

  // The output name keeps its extension through the overwrite prompt; a name typed there
  // gets it too.
  const std::string planned = RunOutputs(job.outputBase).front().path;
  const size_t dot = planned.rfind('.');
  std::string base = planned.substr(0, dot + 1);
  const std::string ext = planned.substr(dot + 1);
  auto refused = [&] {  // before anything started: nothing to report as stopped
    outcome_ = Outcome::kFailed;
    return 0;
  };
  if (!CheckRunOutputs(planned)) return refused();
  outputPath_ = planned;  // named when it is kept, too
  if (const Overwrite answer = OverwritePrompt(base, ext); answer != Overwrite::kGo) {
    outcome_ = answer == Overwrite::kSkip ? Outcome::kSkipped : Outcome::kCancelled;
    return 1;
  }
  outputPath_ = base + ext;
  if (outputPath_ != planned && !CheckRunOutputs(outputPath_)) return refused();

  std::vector<std::string> paths;
  for (const std::string& name : setup.inputFiles) paths.push_back(setup.inputDir + "/" + name);
  if (page) {
    page->ProcessingStarted(static_cast<int>(paths.size()));
    // The status names the tide file, the one being merged, whatever the names' order.
    auto tide = std::find_if(setup.inputFiles.begin(), setup.inputFiles.end(),
                             [](const std::string& n) { return !IsBarometricName(n); });
    if (tide != setup.inputFiles.end()) page->ProcessingFile(0, *tide);
  }
  // The scan count comes from the data file library's reading of the tide file when the
  // inputs were opened (read again only when that found none); the barometric file has no
  // reader. The records themselves are not kept: the merge streams.
  bool readFailed = false;
  for (auto& m : inputs_) {
    if (!m->Reader()) continue;
    if (m->IsTideFile() && m->Rows() > 0) {
      scanCount_ = m->Rows();
    } else if (!m->ReadInfo()) {
      ui_.Message(m->Path() + " could not be read.", kInputErrorCaption, MsgIcon::Warning,
                  MsgButtons::Ok);
      readFailed = true;
    } else if (m->IsTideFile()) {
      scanCount_ = m->Rows();
    }
  }
  if (readFailed || stop.StopRequested()) {
    outcome_ = readFailed ? Outcome::kFailed : Outcome::kStopped;
    if (page) page->ProcessingStopped(0);
    return 0;
  }

  CBaroMerge merge(setup.Merge(), outputPath_, paths, scanCount_, ui_, page, &stop);
  const int failed = merge.Run();
  if (stop.Stopped()) {
    outcome_ = Outcome::kStopped;
    if (page) page->ProcessingStopped(0);
    return 0;
  }
  if (failed) {
    // The error has been shown; the run must not be reported as complete.
    outcome_ = Outcome::kFailed;
    if (page) page->ProcessingStopped(0);
    return 0;
  }
  outcome_ = Outcome::kDone;
  return 1;
}

}  // namespace tidora
