#pragma once

#include <QWidget>
#include <functional>

namespace tidora::testing {

// The application object of a GUI test program, made on first use on the offscreen platform
// (the tests set QT_QPA_PLATFORM themselves, so they run the same from CTest and by hand).
void EnsureApplication();

// Runs `handle` on the next modal window that opens (a dialog's exec() or a message box), from
// inside its event loop; `handle` must close it. Returns at once.
void HandleNextModal(std::function<void(QWidget*)> handle);

// Processes pending events until `done` holds or the time runs out; false on timeout.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000);

}  // namespace tidora::testing
