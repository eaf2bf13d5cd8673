#pragma once

// What the programs that draw docs/screenshots share: the program's own skin, style and font, the built Chinese
// catalogue, and a window saved on a neutral backdrop, as it would sit over a page. Header only, because each of
// those programs already links the application layer these need.

#include <cstdio>

#include <QApplication>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <QTranslator>
#include <QWidget>

#include "app/ToolsApplication.h"

namespace testsupport {

struct ScreenshotPaths {
    QString out; // where the pictures go: the first argument, docs/screenshots by default; created
    QString bin; // the build's program folder: VEXA_BIN_DIR, else the one the program was built for
};

inline ScreenshotPaths screenshotPaths(const QString& defaultBin) {
    const QStringList args = QCoreApplication::arguments();
    ScreenshotPaths paths{args.size() > 1 ? args.at(1) : QStringLiteral("docs/screenshots"),
                          qEnvironmentVariable("VEXA_BIN_DIR", defaultBin)};
    QDir().mkpath(paths.out);
    return paths;
}

// Loads the skin, style and font from the build folder `bin`, as the program does at start.
inline bool prepareScreenshots(apt::ToolsApplication& app, const QString& bin) {
    QCoreApplication::addLibraryPath(bin + QStringLiteral("/plugins"));
    QFont font(QStringLiteral("Microsoft YaHei"), 9);
    font.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    QApplication::setFont(font);
    if (!apt::ToolsApplication::loadSkin(bin + QStringLiteral("/plugins/skins/"), QStringLiteral("CommonSkin")))
        return false;
    app.loadStyle();
    return true;
}

// Loads the program's built Chinese texts into `translator`.
inline bool loadChinese(QTranslator& translator, const QString& bin) {
    return translator.load(bin + QStringLiteral("/translations/vexatool_zh.qm"));
}

// Shows the window, saves it with a margin of backdrop around it, and says so on standard output.
inline bool saveOnBackdrop(QWidget& window, const QString& path) {
    window.show();
    window.raise();
    QTest::qWait(300);
    const QPixmap shot = window.grab();
    const int margin = 24;
    QImage canvas(shot.size() + QSize(2 * margin, 2 * margin), QImage::Format_RGB32);
    canvas.fill(QColor(0xE9, 0xEC, 0xF1));
    QPainter painter(&canvas);
    painter.drawPixmap(margin, margin, shot);
    painter.end();
    window.hide();
    const bool ok = canvas.save(path);
    std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace testsupport
