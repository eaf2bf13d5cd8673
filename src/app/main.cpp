#include <memory>

#include <QDir>
#include <QScreen>

#include "app/MainWindowPlacement.h"
#include "app/ProgramShutdown.h"
#include "app/ToolsApplication.h"
#include "app/VEXAToolMainPage.h"

int main(int argc, char** argv) {
    auto app =
        std::make_unique<apt::ToolsApplication>(QString::fromLatin1(apt::ToolsApplication::kApplicationId), argc, argv);
    const QString pluginPath = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator() +
                               QStringLiteral("plugins");
    QCoreApplication::setApplicationName(apt::ToolsApplication::tr("VEXATool"));
    QCoreApplication::addLibraryPath(pluginPath);

    if (!app->initialize()) {
        QCoreApplication::exit(0);
        apt::ProgramShutdown::run();
        app.reset();
        return -1;
    }

    auto window = std::make_unique<VexaTool::VEXAToolMainPage>();
    const apt::MainWindowPlacement placement =
        apt::MainWindowPlacement::forWorkArea(QGuiApplication::primaryScreen()->availableGeometry());
    window->resize(placement.size);
    if (placement.move) {
        window->move(placement.position);
    }
    window->show();
    qInfo("[Tool]Main window shown");

    const int result = QCoreApplication::exec();
    window.reset();
    apt::ProgramShutdown::run();
    app.reset();
    return result;
}
