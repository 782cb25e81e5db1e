#include "postproc/page.h"

#include "datafile/textio.h"
#include "platform/interaction.h"

namespace tidora {

std::string ProcessingFileText(int index, int fileCount, const std::string& name) {
  return FormatC("Processing %d/%d: %s...", index + 1, fileCount, name.c_str());
}

std::string ProcessingStoppedText(int index, int fileCount, const std::string& name) {
  return FormatC("Processing stopped, %d/%d: %s", index + 1, fileCount, name.c_str());
}

void CInteractionPage::ProgressRange(int low, int high) {
  ui_.ProgressRange(low, high);
}

void CInteractionPage::ProgressPos(int percent) {
  ui_.ProgressPos(percent);
  percent_ = std::to_string(percent) + "%";
}

void CInteractionPage::ProcessingStarted(int fileCount) {
  fileCount_ = fileCount;
  inputsEnabled_ = false;
  ui_.ProgressPos(0);
}

void CInteractionPage::ProcessingComplete() {
  percent_.clear();
  inputsEnabled_ = true;
  finalStatus_ = "Processing complete";
  ui_.Status("Finishing processing.  Please wait.");
}

void CInteractionPage::ProcessingFile(int index, const std::string& name) {
  ui_.ProgressPos(0);
  ui_.Status(ProcessingFileText(index, fileCount_, name));
  percent_ = "0%";
}

void CInteractionPage::ProcessingStopped(int index) {
  percent_.clear();
  inputsEnabled_ = true;
  std::string name = index >= 0 && index < static_cast<int>(names_.size()) ? names_[index] : "";
  finalStatus_ = ProcessingStoppedText(index, fileCount_, name);
  ui_.Status("Stopping processing.  Please wait.");
}

void CInteractionPage::ThreadEnded() {
  ui_.Status(finalStatus_);
  finalStatus_.clear();
}

void CInteractionPage::ProcessingWaveData() {
  ui_.ProgressPos(0);
  ui_.Status("Processing Wave Data...");
  percent_ = "0%";
}

void CInteractionPage::StatusText(const std::string& text) {
  ui_.Status(text);
}

}  // namespace tidora
