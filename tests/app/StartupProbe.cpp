// Linked only into vexa-startup-probe, the program built again for tests; the shipped program has none of it.
//   VEXA_PROBE_HINT_REPLY=accept|reject  answers every modal box the program raises (start-up tests cannot click)
//   VEXA_PROBE_QUIT_AFTER=N              starts discovery and quits the program once N devices have been
//                                        reported, while others are still arriving (the shutdown test)
// When the application object goes, it logs whether the discovery handler was already released.

#include <algorithm>
#include <memory>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include "discovery/VexaHandler.h"

namespace {

void answerModalBoxes(const QByteArray& reply) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, qApp, [reply] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        qInfo("[Probe]answer %s", reply.constData());
        if (reply == "accept") {
            box->accept();
        } else {
            box->reject();
        }
    });
    timer->start(50);
}

void quitAfterDevices(int count) {
    // Not before start-up is over: quitting from inside a start-up question's own loop would test another
    // path. The main window is up once no modal box is and a window is visible.
    const QWidgetList windows = QApplication::topLevelWidgets();
    const bool windowShown = std::any_of(windows.cbegin(), windows.cend(), [](QWidget* w) { return w->isVisible(); });
    if (QApplication::activeModalWidget() != nullptr || !windowShown) {
        QTimer::singleShot(50, qApp, [count] { quitAfterDevices(count); });
        return;
    }
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    auto seen = std::make_shared<int>(0);
    QObject::connect(handler, &VEXA::VexaHandler::signalDeviceOnline, qApp, [seen, count] {
        if (++*seen == count) {
            qInfo("[Probe]quitting after %d devices", count);
            QCoreApplication::quit();
        }
    });
    if (!handler->start()) {
        qWarning("[Probe]discovery did not start");
    }
}

void reportAtApplicationEnd() {
    qInfo("[Probe]application ends; discovery handler %s",
          VEXA::VexaHandler::exists() ? "still alive" : "already released");
}

void setUpProbe() {
    qAddPostRoutine(reportAtApplicationEnd);
    const QByteArray reply = qgetenv("VEXA_PROBE_HINT_REPLY");
    const int quitAfter = qEnvironmentVariableIntValue("VEXA_PROBE_QUIT_AFTER");
    // A queued call runs in the first event loop: a modal box's own loop during start-up, else the main one.
    QTimer::singleShot(0, qApp, [reply, quitAfter] {
        if (!reply.isEmpty()) {
            answerModalBoxes(reply);
        }
        if (quitAfter > 0) {
            quitAfterDevices(quitAfter);
        }
    });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(setUpProbe)
