#include "platform/ui/tests/gui_test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "platform/ui/numeric_locale.h"

namespace tidora::testing {

void EnsureApplication() {
  if (qApp) return;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "gui_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
  tidora::ui::KeepCNumericLocale();
}

void HandleNextModal(std::function<void(QWidget*)> handle) {
  QPointer<QWidget> before = QApplication::activeModalWidget();
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, before, handle = std::move(handle)] {
    QWidget* w = QApplication::activeModalWidget();
    if (w && w != before) {
      timer->stop();
      timer->deleteLater();
      handle(w);
    }
  });
  timer->start();
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > timeoutMs) return false;
    QTest::qWait(5);
  }
  return true;
}

}  // namespace tidora::testing

// The font library keeps caches for the life of the process; they are not the programs' leaks.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
