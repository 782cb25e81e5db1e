#include "launch/ui/coefficient_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdlib>

#include "outside/utility.h"
#include "platform/interaction.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/help_browser.h"

namespace tidora::ui {

namespace {

constexpr const char* kFileLinePrefix = "Initialization file: ";

struct SlotLabel {
  int slot;
  const char* label;
};
constexpr SlotLabel kPressure[] = {{kSlotSlopeCorrection, "Slope Correction ="},
                                   {kSlotOffsetCorrection, "Offset Correction ="}};
constexpr SlotLabel kTemperature[] = {{kSlotA0, "A0 ="}, {kSlotA1, "A1 ="}, {kSlotA3, "A3 ="}};
constexpr SlotLabel kConductivity[] = {{kSlotSerialNumber, "Serial Number ="},
                                       {kSlotG, "G ="},
                                       {kSlotH, "H ="},
                                       {kSlotI, "I ="},
                                       {kSlotJ, "J ="},
                                       {kSlotCPcor, "CPcor ="},
                                       {kSlotCTcor, "CTcor ="},
                                       {kSlotConductivitySlope, "Slope ="},
                                       {kSlotConductivityOffset, "Offset ="}};

FileRequest IniRequest(FileRequest::Mode mode, const std::string& folder) {
  FileRequest r;
  r.mode = mode;
  r.initialDir = folder;
  r.filters = {{"Text Files (*.ini)", {"*.ini"}}, {"All Files (*.*)", {"*"}}};
  r.defaultExtension = "ini";
  r.mustExist = mode != FileRequest::kSave;
  return r;
}

std::string FolderWithSlash(const std::string& path) {
  std::string dir;
  if (!ExtractDirectory(path, dir, 0)) return {};
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace

CoefficientDialog::CoefficientDialog(Interaction& ui, CoefficientSession& session, QWidget* parent)
    : QDialog(parent), ui_(ui), session_(session) {
  setWindowTitle(kCoefficientDialogTitle);
  LoadCoefficientFile(CoefficientFilePath(), session_.slots);
  atOpen_ = session_.slots;

  auto group = [&](int id, const char* title, const auto& rows) {
    auto* box = new QGroupBox(title, this);
    SetControlId(box, id);
    auto* grid = new QGridLayout(box);
    int r = 0;
    for (const SlotLabel& s : rows) {
      auto* label = new QLabel(s.label, box);
      SetControlId(label, kIdCoefLabel + s.slot);
      auto* edit = new QLineEdit(box);
      SetControlId(edit, kIdCoefField + s.slot);
      edit->setMinimumWidth(DialogUnitsX(this, 76));
      fields_[s.slot] = edit;
      grid->addWidget(label, r, 0);
      grid->addWidget(edit, r, 1);
      ++r;
    }
    return box;
  };
  auto* left = new QVBoxLayout;
  left->addWidget(group(kIdCoefPressureGroup, "Pressure Sensor", kPressure));
  left->addWidget(
      group(kIdCoefTemperatureGroup, "Temperature Calibration Coefficients", kTemperature));
  left->addStretch(1);
  auto* groups = new QHBoxLayout;
  groups->addLayout(left);
  groups->addWidget(
      group(kIdCoefConductivityGroup, "Conductivity Calibration Coefficients", kConductivity));

  fileLine_ = new QLabel(this);
  SetControlId(fileLine_, kIdCoefFileLine);
  auto* note = new QLabel(
      "Note: Temperature and Conductivity Coefficients not used with TGR 41plus or TGR 77 BPR",
      this);
  SetControlId(note, kIdCoefNote);

  auto button = [&](int id, const char* text) {
    auto* b = new QPushButton(text, this);
    SetControlId(b, id);
    b->setAutoDefault(false);
    return b;
  };
  auto* ok = button(kIdCoefOk, "OK");
  auto* open = button(kIdCoefOpen, "Open");
  auto* saveAs = button(kIdCoefSaveAs, "Save As");
  auto* help = button(kIdCoefHelp, "Help");
  auto* cancel = button(kIdCoefCancel, "Cancel");
  ok->setDefault(true);
  auto* buttons = new QHBoxLayout;
  for (auto* b : {ok, open, saveAs, help, cancel}) buttons->addWidget(b);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(groups);
  layout->addWidget(fileLine_);
  layout->addWidget(note);
  layout->addLayout(buttons);

  connect(ok, &QPushButton::clicked, this, &CoefficientDialog::accept);
  connect(open, &QPushButton::clicked, this, &CoefficientDialog::Open);
  connect(saveAs, &QPushButton::clicked, this, &CoefficientDialog::SaveAs);
  connect(help, &QPushButton::clicked, this, [this] { ShowHelp(this, kHelpConvertHex); });
  connect(cancel, &QPushButton::clicked, this, &CoefficientDialog::reject);

  ShowSlots();
  fileLine_->setText(QString(kFileLinePrefix) + QString::fromStdString(CoefficientFilePath()));
}

void CoefficientDialog::ShowSlots() {
  for (int s = kFirstCoefficientSlot; s < kCoefficientSlots; ++s) {
    if (fields_[s]) fields_[s]->setText(QString::fromStdString(session_.slots.slots[s]));
  }
}

void CoefficientDialog::ReadFields() {
  for (int s = kFirstCoefficientSlot; s < kCoefficientSlots; ++s) {
    if (!fields_[s]) continue;
    // Parsed as far as it goes, without a word: "1.5x" is 1.5, "x" is 0.
    std::string text = fields_[s]->text().toStdString();
    session_.slots.SetValue(s, std::strtod(text.c_str(), nullptr));
  }
}

bool CoefficientDialog::Write(const std::string& path) {
  if (WriteCoefficientFile(path, session_.slots)) return true;
  ui_.Message("Could not write " + path, kCoefficientDialogTitle, MsgIcon::Error, MsgButtons::Ok);
  return false;
}

void CoefficientDialog::Open() {
  std::vector<std::string> files =
      ui_.ChooseFiles(IniRequest(FileRequest::kOpen, session_.initialFolder));
  if (files.empty()) return;
  const std::string& file = files.front();
  LoadCoefficientFile(file, session_.slots);
  session_.lastChosenFile = file;
  session_.initialFolder = FolderWithSlash(file);
  session_.slots.folder = session_.initialFolder;
  ShowSlots();
  fileLine_->setText(QString(kFileLinePrefix) + QString::fromStdString(file));
  Write(CoefficientFilePath());
}

void CoefficientDialog::SaveAs() {
  ReadFields();
  FileRequest r = IniRequest(FileRequest::kSave, session_.initialFolder);
  if (!session_.lastChosenFile.empty()) r.initialName = session_.lastChosenFile;
  std::vector<std::string> files = ui_.ChooseFiles(r);
  if (files.empty()) return;
  const std::string& file = files.front();
  session_.lastChosenFile = file;
  session_.initialFolder = FolderWithSlash(file);
  session_.slots.folder = session_.initialFolder;
  if (Write(CoefficientFilePath()) && Write(file)) {
    fileLine_->setText(QString(kFileLinePrefix) + QString::fromStdString(file));
  }
}

void CoefficientDialog::accept() {
  ReadFields();
  bool ok = Write(CoefficientFilePath());
  if (!session_.lastChosenFile.empty()) ok = Write(session_.lastChosenFile) && ok;
  if (!ok) return;  // the values typed stay on screen rather than being lost
  QDialog::accept();
}

void CoefficientDialog::reject() {
  session_.slots = atOpen_;
  QDialog::reject();
}

}  // namespace tidora::ui
