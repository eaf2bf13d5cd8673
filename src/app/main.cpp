#include <memory>

#include <QDir>
#include <QGuiApplication>

#include "app/ProgramShutdown.h"
#include "app/ToolsApplication.h"
#include "app/VEXAToolMainPage.h"
#include "aptui/PopupMenuAccessibility.h"

int main(int argc, char** argv) {
    auto app =
        std::make_unique<apt::ToolsApplication>(QString::fromLatin1(apt::ToolsApplication::kApplicationId), argc, argv);
    const QString pluginPath = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator() +
                               QStringLiteral("plugins");
    QCoreApplication::setApplicationName(apt::ToolsApplication::tr("VEXATool"));
    // Ties the windows to packaging/linux/org.vexatool.VexaTool.desktop (icon and name in the task bar).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vexatool.VexaTool"));
    QCoreApplication::addLibraryPath(pluginPath);
    // Before anything asks for the application's interface: it is made once and kept.
    aptui::listPopupMenusForScreenReaders();

    if (!app->initialize()) {
        QCoreApplication::exit(0);
        apt::ProgramShutdown::run();
        app.reset();
        return -1;
    }

    auto window = VexaTool::VEXAToolMainPage::showOnPrimaryScreen();
    qInfo("[Tool]Main window shown %dx%d at %d,%d", window->width(), window->height(), window->x(), window->y());

    const int result = QCoreApplication::exec();
    window.reset();
    apt::ProgramShutdown::run();
    app.reset();
    return result;
}
