// Start-up of the program up to its main window shown, as one whole process: the same steps as the program's
// entry point (application object, settings, skin, style, language, instance and screen checks, main window
// with discovery started, sizing, showing), then it waits until the window is exposed and exits. The driver
// (bench/startup.sh) times whole runs of this process; the line printed here gives the part inside main().
#include <cstdio>
#include <memory>

#include <QDir>
#include <QElapsedTimer>
#include <QWindow>

#include "app/ToolsApplication.h"
#include "app/VEXAToolMainPage.h"

int main(int argc, char** argv) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    // An identifier of its own: a running copy of the program must not turn the benchmark away.
    auto app = std::make_unique<apt::ToolsApplication>(
        QStringLiteral("VEXA start-up benchmark %1").arg(QCoreApplication::applicationPid()), argc, argv);
    QCoreApplication::addLibraryPath(QCoreApplication::applicationDirPath() + QStringLiteral("/plugins"));
    if (!app->initialize()) {
        std::fprintf(stderr, "start-up refused\n");
        return 1;
    }
    auto window = VexaTool::VEXAToolMainPage::showOnPrimaryScreen();
    QElapsedTimer waited;
    waited.start();
    while (!(window->windowHandle() && window->windowHandle()->isExposed()) && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    // One more pass so that the first paint has been done.
    QCoreApplication::processEvents();
    const bool exposed = window->windowHandle() && window->windowHandle()->isExposed();
    std::printf("{\"exposed\":%s,\"in_main_ms\":%.1f,\"width\":%d,\"height\":%d}\n", exposed ? "true" : "false",
                sinceMain.nsecsElapsed() / 1e6, window->width(), window->height());
    std::fflush(stdout);
    window.reset();
    app.reset();
    return exposed ? 0 : 1;
}
