#include "terminal/ui/quaylink_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <array>

#include "platform/ui/about_box.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/help_browser.h"

namespace tidora::ui {

QuaylinkWindow::QuaylinkWindow(CommSettings& settings, SerialPorts& ports, QtInteraction& ui,
                               int terminalLimit, QWidget* parent)
    : QMainWindow(parent), settings_(settings), ui_(ui) {
  setWindowTitle(kWindowTitle);
  setWindowIcon(AppIcon());
  setObjectName("QUAYLINKW");

  terminal_ = new TerminalArea(this, terminalLimit);
  SetControlId(terminal_, kTerminalAreaId);
  setCentralWidget(terminal_);
  setFocusProxy(terminal_);

  auto* bar = new QStatusBar(this);
  bar->setSizeGripEnabled(true);
  setStatusBar(bar);
  for (int i = 0; i < 4; ++i) {
    parts_[i] = new QLabel(this);
    parts_[i]->setFrameShape(QFrame::Panel);
    parts_[i]->setFrameShadow(QFrame::Sunken);
    parts_[i]->setObjectName(QString("statusPart%1").arg(i));
  }
  progress_ = new QProgressBar(this);
  progress_->setTextVisible(false);
  progress_->setRange(0, 100);
  progress_->setValue(0);
  bar->addWidget(parts_[0]);
  bar->addWidget(progress_);
  bar->addWidget(parts_[2]);
  bar->addWidget(parts_[3]);
  parts_[1]->hide();  // the progress indicator stands over part 1
  parts_[0]->setText(kReadyText);
  parts_[2]->setText(QString::fromStdString(settings_.modelName));
  ui_.SetWindow(this);
  ui_.SetStatusLabel(parts_[0]);
  ui_.SetProgressBar(progress_);

  QMenuBar* menu = menuBar();
  QMenu* file = menu->addMenu("&File");
  AddCommand(file, ID_FILE_EXIT, "E&xit");
  AddCommand(menu, ID_CONNECT, "&Connect");
  AddCommand(menu, ID_CONFIGURE, "C&onfigure...");
  AddCommand(menu, ID_STATUS, "&Status");
  AddCommand(menu, ID_COEFFICIENTS, "Co&efficients");
  AddCommand(menu, ID_DATETIME, "DateTi&me...");
  AddCommand(menu, ID_UPLOAD, "&Upload...");
  AddCommand(menu, ID_CAPTURE, "Captu&re...")->setCheckable(true);
  AddCommand(menu, ID_STOP, "S&top");
  AddCommand(menu, ID_DIAGNOSTIC, "&Diagnostic...");
  QMenu* help = menu->addMenu("&Help");
  AddCommand(help, ID_HELP_CONTENTS, "&Contents and Index");
  AddCommand(help, ID_HELP_TOPIC, "Current &Topic...");
  AddCommand(help, ID_HELP_ABOUT, "&About Tidora for Waves...");
  for (const char* keys : {"Alt+?", "Alt+/"}) {
    auto* shortcut = new QShortcut(QKeySequence(keys), this);
    connect(shortcut, &QShortcut::activated, this, [this] { AboutCommand(); });
  }

  session_ = std::make_unique<TerminalSession>(loop_, ports, ui_, *this, settings_);
  terminal_->SetKeyHandler([this](char c) { session_->TypeChar(c); });

  TerminalSession& s = *session_;
  auto on = [this](int id, std::function<void()> fn) {
    connect(findCommand(this, id), &QAction::triggered, this, [fn] { fn(); });
  };
  on(ID_FILE_EXIT, [this] { close(); });
  on(ID_CONNECT, [&s] { s.Connect(); });
  on(ID_CONFIGURE, [this] { ConfigureCommand(); });
  on(ID_STATUS, [&s] { s.StatusCommand(); });
  on(ID_COEFFICIENTS, [&s] { s.CoefficientsCommand(); });
  on(ID_DATETIME, [this] { DateTimeCommand(); });
  on(ID_UPLOAD, [&s] { s.Upload(); });
  on(ID_CAPTURE, [this, &s] {
    // The highlight follows the session, not the click.
    findCommand(this, ID_CAPTURE)->setChecked(s.captureActive());
    s.Capture();
  });
  on(ID_STOP, [&s] { s.Stop(); });
  on(ID_DIAGNOSTIC, [&s] { s.Diagnostic(); });
  on(ID_HELP_CONTENTS, [this] { ShowHelp(this, kHelpContents); });
  on(ID_HELP_TOPIC, [this] { ShowHelp(this, kHelpQuaylink); });
  on(ID_HELP_ABOUT, [this] { AboutCommand(); });

  // Quitting the application (a desktop logout) ends the session as closing the window does.
  connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { Finish(); });

  // The whole menu bar and the status parts' longest texts fit: a narrower stored width
  // (the default 700 among them) is widened to what they need.
  setMinimumWidth(ContentWidth());
  setGeometry(static_cast<int>(settings_.left), static_cast<int>(settings_.top),
              std::max(static_cast<int>(settings_.width), minimumWidth()),
              static_cast<int>(settings_.height));
}

// Widths of the status parts' longest texts: progress counts and messages (part 0), the model
// text (part 2) and the port settings (part 3); part 1 is the progress indicator.
std::array<int, 4> QuaylinkWindow::PartWidths() const {
  auto widest = [this](std::initializer_list<const char*> texts) {
    int w = 0;
    for (const char* t : texts) w = std::max(w, parts_[0]->fontMetrics().horizontalAdvance(t));
    return w + 2 * parts_[0]->frameWidth() + 8;
  };
  return {widest({"Uploaded 999999 scans Errors: 9999", "Binary upload: 100% completed",
                  "Upload failed - wrong instrument type", "Collecting diagnostic info"}),
          100, widest({"TGR 41plus V 6.2a  SN 99999", "TIDEWELL TGR 41 V 3.0"}),
          widest({"COM14, 115200, 8, 1, N", "Port setup failed"})};
}

int QuaylinkWindow::ContentWidth() const {
  std::array<int, 4> parts = PartWidths();
  int status = 0;
  for (int w : parts) status += w + 6;
  status += 24;  // the size grip and the bar's margins
  return std::max(menuBar()->sizeHint().width(), status);
}

QuaylinkWindow::~QuaylinkWindow() {
  Finish();
}

QAction* QuaylinkWindow::AddCommand(QWidget* menu, int id, const QString& text) {
  auto* action = new QAction(text, menu);
  SetControlId(action, id);
  menu->addAction(action);
  return action;
}

QLabel* QuaylinkWindow::statusPart(int part) const {
  return part >= 0 && part < 4 ? parts_[part] : nullptr;
}

void QuaylinkWindow::Start(const ReleaseFlags* release) {
  if (started_) return;
  started_ = true;
  session_->Start(release);
}

void QuaylinkWindow::Finish() {
  if (!started_ || finished_) return;
  finished_ = true;
  // Whatever runs ends as Stop ends it; then the reception thread goes (an uploader in it
  // returns at once), so nothing reaches the session while it ends.
  session_->BeginClose();
  if (dateTime_) dateTime_->reject();
  loop_.Shutdown();
  session_->End(true);
}

void QuaylinkWindow::closeEvent(QCloseEvent* event) {
  Finish();
  event->accept();
}

void QuaylinkWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  LayoutStatusParts();
}

void QuaylinkWindow::LayoutStatusParts() {
  // Right edges at a quarter, a half, three quarters and the full width, as far as each part's
  // longest text allows; the room the texts need comes from the progress indicator first.
  std::array<int, 4> need = PartWidths();
  int quarter = std::max(1, width() / 4 - 6);
  int text0 = std::max(quarter, need[0]), text2 = std::max(quarter, need[2]);
  int text3 = std::max(quarter - 20, need[3]);
  int bar = std::max(need[1], width() - 24 - 18 - text0 - text2 - text3);
  parts_[0]->setFixedWidth(text0);
  progress_->setFixedWidth(std::min(quarter, bar));
  parts_[2]->setFixedWidth(text2);
  parts_[3]->setMinimumWidth(std::max(1, text3));
}

void QuaylinkWindow::ConfigureCommand() {
  ConfigureDialog dialog(settings_, this);
  dialog.onModel = [this](const std::string& model) { SetStatusPart(2, model); };
  if (dialog.exec() == QDialog::Accepted) session_->Configure(dialog.model().Ok());
}

void QuaylinkWindow::DateTimeCommand() {
  DateTimeDialog dialog([this](bool local) { session_->SetDateTime(local); }, this);
  dateTime_ = &dialog;
  dialog.exec();
  dateTime_ = nullptr;
}

void QuaylinkWindow::AboutCommand() {
  QuaylinkAbout about(this);
  about.exec();
}

void QuaylinkWindow::ShowChar(char c) {
  terminal_->ShowChar(c);
}

void QuaylinkWindow::SetMenu(MenuForm form) {
  form_ = form;
  MenuItems items = MenuItemsFor(form);
  const std::pair<int, bool> states[] = {
      {ID_CONNECT, items.connect},   {ID_CONFIGURE, items.configure},
      {ID_STATUS, items.status},     {ID_COEFFICIENTS, items.coefficients},
      {ID_DATETIME, items.dateTime}, {ID_UPLOAD, items.upload},
      {ID_CAPTURE, items.capture},   {ID_DIAGNOSTIC, items.diagnostic},
      {ID_STOP, items.stop}};
  for (auto [id, enabled] : states) findCommand(this, id)->setEnabled(enabled);
  menuBar()->update();
}

void QuaylinkWindow::SetUploadItemEnabled(bool enabled) {
  findCommand(this, ID_UPLOAD)->setEnabled(enabled);
}

void QuaylinkWindow::SetCaptureChecked(bool checked) {
  findCommand(this, ID_CAPTURE)->setChecked(checked);
}

void QuaylinkWindow::SetStatusPart(int part, const std::string& text) {
  if (part == 1 || !statusPart(part)) return;  // part 1 holds the progress indicator
  parts_[part]->setText(QString::fromStdString(text));
}

void QuaylinkWindow::SetDateTimeStatus(const std::string& text) {
  if (dateTime_) dateTime_->SetStatus(text);
}

void QuaylinkWindow::OpenConfigure() {
  ConfigureCommand();
}

bool QuaylinkWindow::GetWindowRect(WindowRect& rect) {
  QRect g = geometry();
  if (!g.isValid()) return false;
  rect = {g.left(), g.top(), g.width(), g.height()};
  return true;
}

ScreenSize QuaylinkWindow::Screen() {
  QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (!screen) return ScreenSize{};
  QSize size = screen->size();
  return ScreenSize{size.width(), size.height()};
}

}  // namespace tidora::ui
