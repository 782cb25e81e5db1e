#include "launch/ui/convert_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <cerrno>
#include <cstdlib>

#include "outside/utility.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/help_browser.h"

namespace tidora::ui {

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

ConvertHexDialog::ConvertHexDialog(Interaction& ui, CoefficientSession& coefficients,
                                   std::vector<std::string> switches, QWidget* parent)
    : QDialog(parent),
      outer_(ui),
      coefficients_(coefficients),
      switches_(std::move(switches)),
      ui_(ui, this),
      converter_(std::make_unique<CHexConverter>(ui_)) {
  setWindowTitle(kConvertDialogTitle);
  ui_.SetWindow(this);

  DialogBuilder b(this);
  auto row = [&](int id, const char* label, int widthUnits) {
    QLineEdit* e = b.Edit(id, QString(), widthUnits);
    b.AddRow(b.Label(kIdConvLabelBase + id - 1600, label), e);
    return e;
  };
  input_ = row(kIdConvInput, "Input file", 200);
  tide_ = row(kIdConvTide, "Output tide file", 200);
  wave_ = row(kIdConvWave, "Output wave file", 200);
  year_ = b.Edit(kIdConvStartYear, QString(), 40);
  auto* yearRow = new QHBoxLayout;
  yearRow->addWidget(year_);
  yearRow->addWidget(
      b.Label(kIdConvYearNote, "(Start Year not used for TGR 41plus or TGR 77 BPR)"));
  yearRow->addStretch(1);
  b.grid()->addWidget(b.Label(kIdConvLabelBase + 4, "Start Year"), b.row(), 0);
  b.grid()->addLayout(yearRow, b.row(), 1);

  auto* browse = b.Button(kIdConvBrowse, "Browse");
  auto* coef = b.Button(kIdConvCoefficients, "Coefficients");
  auto* convert = b.Button(kIdConvConvert, "Convert File");
  auto* help = b.Button(kIdConvHelp, "Help");
  exit_ = b.Button(kIdConvExit, "Exit");
  auto* cancel = b.Button(kIdConvCancel, "Cancel");
  auto* buttons = new QVBoxLayout;
  for (auto* w : {browse, coef, convert, help, exit_, cancel}) buttons->addWidget(w);
  buttons->addStretch(1);
  b.grid()->addLayout(buttons, 0, 2, 6, 1);

  status_ = b.Label(kIdConvStatus, "Ready...");
  progress_ = new QProgressBar(this);
  SetControlId(progress_, kIdConvProgress);
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  b.grid()->addWidget(status_, 5, 0, 1, 2);
  b.grid()->addWidget(progress_, 6, 0, 1, 3);
  ui_.SetStatusLabel(status_);
  ui_.SetProgressBar(progress_);

  ConvertSettings s = LoadConvertSettings();
  input_->setText(Q(s.hexFile));
  tide_->setText(Q(s.tidOutputFile));
  wave_->setText(Q(s.wbOutputFile));
  year_->setText(QString::number(s.startYear));

  connect(browse, &QPushButton::clicked, this, &ConvertHexDialog::Browse);
  connect(coef, &QPushButton::clicked, this, &ConvertHexDialog::Coefficients);
  connect(convert, &QPushButton::clicked, this, &ConvertHexDialog::ConvertFile);
  connect(help, &QPushButton::clicked, this, [this] { ShowHelp(this, kHelpConvertHex); });
  connect(exit_, &QPushButton::clicked, this, &ConvertHexDialog::Exit);
  connect(cancel, &QPushButton::clicked, this, &ConvertHexDialog::reject);

  // The worker's reports are handled here, on the dialog's thread, before the worker goes on.
  converter_->SetReportHandler([this](ConvertReport r) {
    if (QThread::currentThread() == thread()) {
      OnReport(r);
    } else {
      QMetaObject::invokeMethod(
          this, [this, r] { OnReport(r); }, Qt::BlockingQueuedConnection);
    }
  });
}

ConvertHexDialog::~ConvertHexDialog() {
  if (converter_->IsRunning()) converter_->Stop();
  WaitForWorker();
}

void ConvertHexDialog::WaitForWorker() {
  // The worker may be inside a call that waits for this thread: serve it until it ends.
  while (converter_->IsRunning()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  converter_->Wait();
}

void ConvertHexDialog::OnReport(ConvertReport report) {
  switch (report) {
    case ConvertReport::kConverting:
      if (running_) exit_->setEnabled(false);  // not after the operator stopped the run
      return;
    case ConvertReport::kFinished:
      progress_->setValue(0);
      [[fallthrough]];
    default:
      // Every other report ends the run.
      exit_->setEnabled(true);
      running_ = false;
      return;
  }
}

void ConvertHexDialog::Browse() {
  FileRequest r;
  r.mode = FileRequest::kOpen;
  r.title = "Select one .HEX File";
  r.filters = {{"Input Hex File (*.hex)", {"*.hex"}}};
  r.mustExist = true;
  std::string current = input_->text().toStdString(), dir;
  r.initialDir = !current.empty() && ExtractDirectory(current, dir, 0) && IsDirectory(dir)
                     ? dir
                     : QDir::currentPath().toStdString();
  std::vector<std::string> files = outer_.ChooseFiles(r);
  if (files.empty()) return;
  SetInputFile(files.front());
}

void ConvertHexDialog::SetInputFile(const std::string& path) {
  std::string tide = path, wave = path;
  SetExtension(tide, "tid");
  SetExtension(wave, "wb");
  input_->setText(Q(path));
  tide_->setText(Q(tide));
  wave_->setText(Q(wave));
}

void ConvertHexDialog::Coefficients() {
  CoefficientDialog dlg(outer_, coefficients_, this);
  dlg.exec();
}

void ConvertHexDialog::ConvertFile() {
  if (running_) return;  // one run at a time: the converter's state is shared
  WaitForWorker();       // a stopped run finishes its line first
  std::string yearText = year_->text().trimmed().toStdString();
  char* end = nullptr;
  errno = 0;
  long year = std::strtol(yearText.c_str(), &end, 10);
  if (yearText.empty() || *end != '\0' || errno == ERANGE) {
    outer_.Message("Please enter an integer.", kConvertCaption, MsgIcon::Warning, MsgButtons::Ok);
    year_->setFocus();
    return;
  }
  if (year < 1990 || year > 2100) {
    outer_.Message("Please enter an integer between 1990 and 2100.", kConvertCaption,
                   MsgIcon::Warning, MsgButtons::Ok);
    year_->setFocus();
    return;
  }
  ConvertRequest request;
  request.input = input_->text().toStdString();
  request.tide = tide_->text().toStdString();
  request.wave = wave_->text().toStdString();
  request.startYear = static_cast<int>(year);
  for (const std::string& s : switches_) ApplyOutputSwitch(s, request.modes);
  progress_->setValue(0);
  running_ = true;
  if (converter_->Start(request) != ConvertStart::kStarted) running_ = false;
}

void ConvertHexDialog::Exit() {
  if (running_) return;
  ConvertSettings s;
  s.hexFile = input_->text().toStdString();
  s.tidOutputFile = tide_->text().toStdString();
  s.wbOutputFile = wave_->text().toStdString();
  s.startYear = year_->text().toInt();
  if (!SaveConvertSettings(s)) {
    outer_.Message("Could not save the settings to the suite settings file", kConvertCaption,
                   MsgIcon::Warning, MsgButtons::Ok);
  }
  WaitForWorker();
  accept();
}

void ConvertHexDialog::reject() {
  if (running_) {
    // First Cancel: stop the run; the dialog is idle again and a second Cancel closes it.
    converter_->Stop();
    running_ = false;
    exit_->setEnabled(true);
    return;
  }
  WaitForWorker();
  QDialog::reject();
}

void ConvertHexDialog::closeEvent(QCloseEvent* e) {
  if (running_) {
    e->ignore();  // the run must be stopped first
    return;
  }
  QDialog::closeEvent(e);
}

}  // namespace tidora::ui
