#include <QTemporaryDir>
#include <QTest>

#include "ZbarDecode.h"
#include "password/QtQrEncode.h"

namespace {

// A key request document of exactly the longest size a device hands out for a QR code (384 bytes).
QString longestKeyRequest() {
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><KeyRequest version=\"1\">"
                                  "<Serial>VX9F21-A/B\\0042</Serial><Nonce>");
    const QString filler = QStringLiteral("Zq7-_aB0+/=&amp;");
    while (text.size() < 384 - 25)
        text += filler.at(text.size() % filler.size());
    text += QStringLiteral("</Nonce></KeyRequest>");
    while (text.size() < 384)
        text.insert(text.size() - 21, QLatin1Char('x'));
    return text;
}

} // namespace

class TestQtQrEncode : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void scannerReadsTheText_data();
    void scannerReadsTheText();
    void nothingToDraw_data();
    void nothingToDraw();
    void quietZoneAndSize();

private:
    QTemporaryDir m_dir;
};

void TestQtQrEncode::initTestCase() {
    QVERIFY2(!testutil::zbarimgPath().isEmpty(), "zbarimg (Debian zbar-tools) is needed to read the codes back");
    QVERIFY(m_dir.isValid());
}

void TestQtQrEncode::scannerReadsTheText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("size");
    const QString longest = longestKeyRequest();
    QCOMPARE(longest.size(), 384);
    QTest::newRow("longest key request in the dialog's label") << longest << 108;
    QTest::newRow("longest key request, large") << longest << 400;
    QTest::newRow("command-1 sized request") << longest.left(256) << 108;
    QTest::newRow("one character") << QStringLiteral("A") << 108;
    QTest::newRow("markup and spaces kept") << QStringLiteral("  <a href=\"x\">&lt;b&gt;</a>  ") << 108;
    QTest::newRow("non-ASCII as UTF-8") << QStringLiteral("序列号 Größe") << 108;
    QTest::newRow("size not a multiple of the modules") << longest.left(100) << 97;
}

void TestQtQrEncode::scannerReadsTheText() {
    QFETCH(QString, text);
    QFETCH(int, size);
    QtQrEncode encoder;
    encoder.setString(text);
    QCOMPARE(encoder.string(), text);
    const QImage image = encoder.getQRCode(size);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(size, size));
    QCOMPARE(testutil::decodeQr(image, m_dir, QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_')), text);
}

void TestQtQrEncode::nothingToDraw_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("size");
    QTest::newRow("no text") << QString() << 108;
    QTest::newRow("beyond the largest symbol") << QString(3000, QLatin1Char('k')) << 2000;
    QTest::newRow("smaller than one pixel per module") << longestKeyRequest() << 40;
    QTest::newRow("zero size") << QStringLiteral("A") << 0;
}

void TestQtQrEncode::nothingToDraw() {
    QFETCH(QString, text);
    QFETCH(int, size);
    QtQrEncode encoder;
    encoder.setString(text);
    QVERIFY(encoder.getQRCode(size).isNull());
}

void TestQtQrEncode::quietZoneAndSize() {
    QtQrEncode encoder;
    encoder.setString(longestKeyRequest());
    const int modules = encoder.symbolWidth();
    QVERIFY(modules >= 21 && modules <= 108);
    const QImage image = encoder.getQRCode(108).convertToFormat(QImage::Format_RGB32);
    // Scanners need light around the symbol: the outermost rows and columns are white, the finder pattern
    // starts right inside the quiet zone.
    const int scale = qMax(1, 108 / (modules + 2 * QtQrEncode::kQuietZone));
    const int offset = (108 - scale * modules) / 2;
    QVERIFY(offset >= QtQrEncode::kQuietZone);
    for (int i = 0; i < 108; ++i) {
        QCOMPARE(image.pixel(i, 0), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(0, i), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(i, 107), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(107, i), qRgb(255, 255, 255));
    }
    QCOMPARE(image.pixel(offset, offset), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(offset - 1, offset), qRgb(255, 255, 255));

    // Larger labels get larger modules, never a blurred symbol.
    const QImage large = encoder.getQRCode(4 * (modules + 2 * QtQrEncode::kQuietZone));
    const int largeOffset = 4 * QtQrEncode::kQuietZone;
    for (int i = 0; i < 4; ++i)
        QCOMPARE(large.pixel(largeOffset + i, largeOffset + i), qRgb(0, 0, 0));

    // A new text replaces the old one.
    encoder.setString(QStringLiteral("short"));
    QVERIFY(encoder.symbolWidth() < modules);
}

QTEST_GUILESS_MAIN(TestQtQrEncode)
#include "tst_qtqrencode.moc"
