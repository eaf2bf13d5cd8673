// skin-preview: shows the CommonSkin sheets and CommonStyle on stand-ins of the program's widgets.
//
//   skin-preview [--plugins <dir>] [--screenshot <file.png>]
//
// The sheets are applied exactly as the program applies them: the toolkit folder in name order ignoring
// case, without MacSpecial.qss, then VEXATool.qss.
#include <cstdio>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QPluginLoader>
#include <QStyleFactory>
#include <QTimer>

#include "Gallery.h"

namespace {

QString readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(f.readAll()) : QString();
}

QString programStyleSheet() {
    const QString folder = QStringLiteral(":/OrvisClient/Qss/Qss/OrvisGUIToolkit/");
    QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    names.removeAll(QStringLiteral("MacSpecial.qss"));
    QString sheet;
    for (const QString& name : names)
        sheet += readAll(folder + name);
    return sheet + readAll(QStringLiteral(":/OrvisClient/Qss/Qss/VEXATool/VEXATool.qss"));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption pluginsOption(QStringLiteral("plugins"), QStringLiteral("Plug-in folder."),
                                           QStringLiteral("dir"), QStringLiteral(SKIN_PREVIEW_PLUGIN_DIR));
    const QCommandLineOption shotOption(QStringLiteral("screenshot"), QStringLiteral("Save a picture and quit."),
                                        QStringLiteral("file"));
    parser.addOption(pluginsOption);
    parser.addOption(shotOption);
    parser.process(app);

    const QString plugins = parser.value(pluginsOption);
    QApplication::addLibraryPath(plugins);
    QPluginLoader skin(plugins + QStringLiteral("/skins/libCommonSkin.so"));
    if (!skin.load()) {
        std::fprintf(stderr, "skin-preview: %s\n", qPrintable(skin.errorString()));
        return 1;
    }
    if (QStyle* style = QStyleFactory::create(QStringLiteral("CommonStyle")))
        QApplication::setStyle(style);
    else
        std::fprintf(stderr, "skin-preview: CommonStyle not found under %s\n", qPrintable(plugins));

    QFont font(QStringLiteral("Microsoft YaHei"), 9);
    font.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    QApplication::setFont(font);
    app.setStyleSheet(programStyleSheet());

    Gallery gallery;
    gallery.show();
    if (parser.isSet(shotOption)) {
        const QString file = parser.value(shotOption);
        QTimer::singleShot(300, &gallery, [&gallery, file] {
            const bool saved = gallery.grab().save(file);
            std::fprintf(stderr, "skin-preview: %s %s\n", saved ? "saved" : "could not save", qPrintable(file));
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
