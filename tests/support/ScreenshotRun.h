#pragma once

// The frame of every program that draws docs/screenshots: the application with the program's skin, style and
// font, the output and build folders, and a set of pictures drawn once per language, switched as the program
// switches it (a settings file read by the language manager, the toolkit told the locale). Header only, because
// each of those programs already links the application layer.

#include <cstdio>
#include <functional>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "app/LanaguageManager.h"
#include "app/ToolsApplication.h"
#include "config/ConfigureManager.h"
#include "guitoolkit/GuiText.h"
#include "support/Screenshots.h"
#include "support/SetupFile.h"

namespace testsupport {

// Shows a page, saves it as it stands, without a backdrop, and says so on standard output.
inline bool savePage(QWidget& page, const QString& path) {
    page.show();
    page.raise();
    QTest::qWait(400);
    const bool ok = page.grab().save(path);
    std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(path));
    return ok;
}

class ScreenshotRun {
public:
    // `name` tells this program's application apart from another one drawing at the same time.
    ScreenshotRun(const char* name, int& argc, char** argv)
        : app(QStringLiteral("vexa-%1-%2").arg(QLatin1String(name)).arg(QCoreApplication::applicationPid()), argc, argv)
        , paths(screenshotPaths(QStringLiteral(VEXA_DEFAULT_BIN_DIR)))
        , ready(prepareScreenshots(app, paths.bin)) {}

    // Calls `draw` with "<out>/en_" and language 0, then "<out>/zh_" and language 1; returns the exit code.
    int eachLanguage(const std::function<bool(const QString& prefix, int language)>& draw) {
        if (!ready)
            return 1;
        bool ok = true;
        QTemporaryDir settings;
        for (const int language : {0, 1}) {
            apt::ConfigureManager configuration;
            if (!configuration.load(writeSetup(settings.path(), languageItem(language))))
                return 1;
            apt::LanaguageManager languages(configuration, paths.bin + QStringLiteral("/translations/"));
            OrvisGUIToolkit::InitGuiLocale(languages.locale());
            ok &= draw(paths.out + (language == 1 ? QStringLiteral("/zh_") : QStringLiteral("/en_")), language);
        }
        return ok ? 0 : 1;
    }

    apt::ToolsApplication app;
    const ScreenshotPaths paths;
    const bool ready;
};

} // namespace testsupport
