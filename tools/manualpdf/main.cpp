// Renders a Markdown user manual to PDF with Qt's own text engine, at build time and without a display:
//
//     vexa-manual-pdf INPUT.md OUTPUT.pdf [PREVIEW]
//
// With PREVIEW, each page is also drawn to PREVIEW-<n>.png from the same layout, to look at without a PDF viewer.
// Relative image paths are resolved from the Markdown file's folder; a picture wider than the page is scaled
// down to the text width. Exit code 0 on success, 1 on a bad argument or a failed read or write.
#include <cstdio>

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

namespace {

// The widest a picture may be, in the document's own units (points at the writer's logical DPI).
void fitImages(QTextDocument& doc, qreal maxWidth) {
    struct Picture {
        int position;
        int length;
        QTextImageFormat format;
    };
    QList<Picture> pictures;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid() && fragment.charFormat().isImageFormat()) {
                pictures.append({fragment.position(), fragment.length(), fragment.charFormat().toImageFormat()});
            }
        }
    }
    // Last first, so that removing a missing picture leaves the earlier positions valid.
    for (auto it = pictures.crbegin(); it != pictures.crend(); ++it) {
        QTextImageFormat image = it->format;
        const QImage picture = doc.resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
        QTextCursor cursor(&doc);
        cursor.setPosition(it->position);
        cursor.setPosition(it->position + it->length, QTextCursor::KeepAnchor);
        if (picture.isNull()) {
            std::fprintf(stderr, "vexa-manual-pdf: picture %s not found; left out\n", qPrintable(image.name()));
            cursor.removeSelectedText();
            continue;
        }
        const qreal width = qMin<qreal>(picture.width(), maxWidth);
        image.setWidth(width);
        image.setHeight(width * picture.height() / picture.width());
        cursor.setCharFormat(image);
    }
}

// Markdown headings carry no space above them; after a table they would stick to it.
void spaceHeadings(QTextDocument& doc) {
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        if (format.headingLevel() > 0 && format.topMargin() < 14) {
            format.setTopMargin(14);
            QTextCursor(block).setBlockFormat(format);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3 && args.size() != 4) {
        std::fprintf(stderr, "usage: vexa-manual-pdf INPUT.md OUTPUT.pdf [PREVIEW]\n");
        return 1;
    }
    QFile input(args.at(1));
    if (!input.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "vexa-manual-pdf: cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    const QString markdown = QString::fromUtf8(input.readAll());

    QSaveFile output(args.at(2));
    if (!output.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "vexa-manual-pdf: cannot write %s\n", qPrintable(args.at(2)));
        return 1;
    }
    QPdfWriter writer(&output);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18),
                                     QPageLayout::Millimeter));
    writer.setResolution(300);
    writer.setCreator(QStringLiteral("VEXA Tool"));

    QTextDocument doc;
    doc.setBaseUrl(QUrl::fromLocalFile(QFileInfo(input).absolutePath() + QLatin1Char('/')));
    // Latin text in the sans face, Chinese from the CJK face; both come with the build's font packages.
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSizeF(10);
    doc.setDefaultFont(font);
    doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    const QString title = doc.begin().text().trimmed();
    writer.setTitle(title);

    // The layout works in screen pixels (96 per inch); a page of that many pixels prints a 10-point font at
    // 10 points. Picture widths are in the same units.
    const QRectF points = writer.pageLayout().paintRect(QPageLayout::Point);
    const QRectF page(QPointF(0, 0), points.size() * (96.0 / 72.0));
    doc.setPageSize(page.size());
    spaceHeadings(doc);
    fitImages(doc, page.width() - 2 * doc.documentMargin());
    doc.print(&writer);
    if (!output.commit()) {
        std::fprintf(stderr, "vexa-manual-pdf: cannot write %s\n", qPrintable(args.at(2)));
        return 1;
    }
    if (args.size() == 4) {
        const qreal scale = 2.0;
        for (int i = 0; i < doc.pageCount(); ++i) {
            QImage image((page.size() * scale).toSize(), QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(scale, scale);
            painter.translate(0, -i * page.height());
            doc.drawContents(&painter, QRectF(0, i * page.height(), page.width(), page.height()));
            painter.end();
            image.save(QStringLiteral("%1-%2.png").arg(args.at(3)).arg(i + 1));
        }
    }
    std::printf("wrote %s (%d pages)\n", qPrintable(args.at(2)), doc.pageCount());
    return 0;
}
