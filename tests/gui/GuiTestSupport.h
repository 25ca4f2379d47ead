#pragma once
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace velto::gui::testing {

// Closes the next modal box (a message box) once it is shown, handing its
// text to `seen`, so that code that shows one can run inside a test.
void CloseNextModal(std::function<void(const QString&)> seen = {});

}  // namespace velto::gui::testing
