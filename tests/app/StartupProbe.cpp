// Linked only into vexa-startup-probe, the program built again for tests; the shipped program has none of it.
//   VEXA_PROBE_HINT_REPLY=accept|reject  answers every modal box the program raises (start-up tests cannot click)
//   VEXA_PROBE_QUIT_AFTER=N              quits the program once N devices are listed (in the device store the
//                                        list page fills), while devices keep arriving (the shutdown test)
// When the application object goes, it logs whether the discovery handler was already released.

#include <algorithm>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include "discovery/DeviceStore.h"
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
    // The main window started discovery before it was shown, so devices may all have been reported before
    // this runs: counting reports from here on would wait forever for ones that already came. What counts is
    // what reached the list, looked at from now on.
    if (!VEXA::VexaHandler::instance()->isStarted())
        qWarning("[Probe]discovery did not start");
    qInfo("[Probe]watching from %d devices already listed", VEXA::DeviceStore::instance()->count());
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, count] {
        const int listed = VEXA::DeviceStore::instance()->count();
        if (listed < count)
            return;
        poll->stop();
        qInfo("[Probe]quitting with %d devices listed (wanted %d)", listed, count);
        QCoreApplication::quit();
    });
    poll->start(20);
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
