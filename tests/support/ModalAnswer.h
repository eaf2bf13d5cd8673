#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace testsupport {

// Arms an answer for the next modal widget: once the call under test has raised it (its exec() loop runs
// the queued check), answer gets it. Checks again every 10 ms for up to timeoutMs; a box that never comes
// fails the running test. Call it right before the call that blocks in exec().
void answerNextModal(std::function<void(QWidget* modal)> answer, int timeoutMs = 5000);

// The common answer: click the button of that object name in the next modal widget. A hidden button, which
// the user could not click either, is not clicked: a dialog is closed with done(99) instead. A missing
// button fails the running test (and closes a dialog the same way).
void clickInNextModal(const QString& buttonName, int timeoutMs = 5000);

} // namespace testsupport
