// Build-time tool: renders the skin's SVG sources to the PNG files that the resource file embeds.
//
//   commonskin-rasterize <manifest> <svg-dir> <out-dir>
//
// Each manifest line reads "<source.svg> <width> <height> <output path relative to out-dir>"; blank lines
// and lines starting with '#' are skipped. Any unreadable source or failed write stops the build.
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

namespace {

bool render(const QString& source, const QSize& size, const QString& target) {
    QSvgRenderer renderer(source);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "rasterize: cannot read %s\n", qPrintable(source));
        return false;
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !image.save(target, "PNG")) {
        std::fprintf(stderr, "rasterize: cannot write %s\n", qPrintable(target));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    // The renderer needs no screen; the offscreen platform keeps the build independent of a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: commonskin-rasterize <manifest> <svg-dir> <out-dir>\n");
        return 2;
    }
    QFile manifest(args.at(1));
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "rasterize: cannot open %s\n", qPrintable(args.at(1)));
        return 1;
    }
    const QDir sourceDir(args.at(2));
    const QDir outDir(args.at(3));
    QTextStream in(&manifest);
    int lineNo = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNo;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList f = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool okW = false;
        bool okH = false;
        const int w = f.size() == 4 ? f.at(1).toInt(&okW) : 0;
        const int h = f.size() == 4 ? f.at(2).toInt(&okH) : 0;
        if (!okW || !okH || w <= 0 || h <= 0) {
            std::fprintf(stderr, "rasterize: %s:%d: malformed line\n", qPrintable(args.at(1)), lineNo);
            return 1;
        }
        if (!render(sourceDir.filePath(f.at(0)), QSize(w, h), outDir.filePath(f.at(3))))
            return 1;
    }
    return 0;
}
