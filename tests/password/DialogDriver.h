#pragma once

// Drives the modal boxes a dialog opens: records every warning box (text, tall or not) and closes it at once,
// and answers file and folder choosers with a prepared path (or cancels them). Keep one driver alive at a time:
// whichever sees a box first takes it.

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include "aptui/WarningDialog.h"

namespace testutil {

struct SeenWarning {
    QString text;
    bool tall = false;
};

class DialogDriver : public QObject {
public:
    DialogDriver() {
        // A timer keeps running inside the nested event loop of a modal box, so it can close what it finds.
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    QList<SeenWarning> warnings;
    QStringList chooserAnswers; // answered in order; an empty entry cancels
    int choosersSeen = 0;
    QString lastChooserDirectory;

    QStringList texts() const {
        QStringList out;
        for (const SeenWarning& w : warnings)
            out << w.text;
        return out;
    }

private:
    void poll() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible())
                continue;
            if (auto* box = qobject_cast<VexaTool::WarningDialog*>(widget)) {
                warnings.append(
                    {box->findChild<QLabel*>(QStringLiteral("m_labelWarnText"))->text(), box->height() > 140});
                box->findChild<QPushButton*>(QStringLiteral("m_btnClose"))->click();
            } else if (auto* message = qobject_cast<QMessageBox*>(widget)) {
                // A chooser's own complaint means the test gave it a bad answer.
                qWarning("file chooser said: %s", qPrintable(message->text()));
                message->reject();
            } else if (auto* chooser = qobject_cast<QFileDialog*>(widget)) {
                if (chooser->property("answered").toBool())
                    continue;
                chooser->setProperty("answered", true);
                ++choosersSeen;
                lastChooserDirectory = chooser->directory().absolutePath();
                const QString answer = chooserAnswers.isEmpty() ? QString() : chooserAnswers.takeFirst();
                // Answered from a timer of its own: a chooser that complains runs a nested loop, and this timer
                // must be free to close what it opens.
                QTimer::singleShot(0, chooser, [chooser, answer] {
                    if (answer.isEmpty()) {
                        chooser->reject();
                        return;
                    }
                    chooser->setDirectory(QFileInfo(answer).absolutePath());
                    if (auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                        name->setText(answer);
                    // QFileDialog::accept is protected; through QDialog it still runs the chooser's own accept.
                    static_cast<QDialog*>(chooser)->accept();
                });
            }
        }
    }

    QTimer m_timer;
};

// The dialog's widget of that name; a missing one ends the test, as the form's names are what the tests drive.
template <typename T>
T* child(const QWidget& dialog, const char* name) {
    T* widget = dialog.findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

} // namespace testutil
