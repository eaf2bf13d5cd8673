// The CommonStyle plug-in: found by QStyleFactory from the build's plugins folder, a Fusion proxy whose
// adjustments actually take effect.
#include <memory>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOptionFocusRect>
#include <QTest>
#include <QTreeView>

namespace {

QString pluginsDir() {
    const QByteArray bin = qgetenv("VEXA_BIN_DIR");
    return (bin.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../bin")
                          : QString::fromLocal8Bit(bin)) +
           QStringLiteral("/plugins");
}

// Paints a focus rectangle for the widget onto white and tells whether anything was drawn.
bool drawsFocusRect(const QStyle& style, QWidget& widget) {
    QImage image(40, 20, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QStyleOptionFocusRect option;
    option.initFrom(&widget);
    option.rect = image.rect().adjusted(2, 2, -2, -2);
    option.state |= QStyle::State_KeyboardFocusChange | QStyle::State_HasFocus;
    {
        QPainter p(&image);
        style.drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, &widget);
    }
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return true;
    return false;
}

} // namespace

class tst_CommonStyle : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void foundThroughTheLibraryPath();
    void isAFusionProxy();
    void noFocusRectangleOnItemViews();
    void paletteMatchesTheSkin();
    void disabledTextIsReadable();

private:
    std::unique_ptr<QStyle> m_style;
};

void tst_CommonStyle::initTestCase() {
    // What the program does at start: its plugins folder joins the library paths.
    QCoreApplication::addLibraryPath(pluginsDir());
    m_style.reset(QStyleFactory::create(QStringLiteral("CommonStyle")));
    QVERIFY2(m_style != nullptr, qPrintable(pluginsDir()));
}

void tst_CommonStyle::foundThroughTheLibraryPath() {
    QVERIFY(QStyleFactory::keys().contains(QStringLiteral("CommonStyle"), Qt::CaseInsensitive));
    // the factory's lookup ignores case, as the program's configuration may spell it either way
    std::unique_ptr<QStyle> lower(QStyleFactory::create(QStringLiteral("commonstyle")));
    QVERIFY(lower != nullptr);
}

void tst_CommonStyle::isAFusionProxy() {
    auto* proxy = qobject_cast<QProxyStyle*>(m_style.get());
    QVERIFY(proxy != nullptr);
    QVERIFY(proxy->baseStyle() != nullptr);
    QCOMPARE(proxy->baseStyle()->name().toLower(), QStringLiteral("fusion"));
}

void tst_CommonStyle::noFocusRectangleOnItemViews() {
    QTreeView view;
    QVERIFY(!drawsFocusRect(*m_style, view));
    QVERIFY(!drawsFocusRect(*m_style, *view.viewport()));
    // elsewhere keyboard users still see where the focus is
    QPushButton button;
    QVERIFY(drawsFocusRect(*m_style, button));
}

void tst_CommonStyle::paletteMatchesTheSkin() {
    const QPalette p = m_style->standardPalette();
    QCOMPARE(p.color(QPalette::Active, QPalette::Highlight), QColor(0x2F, 0x6F, 0xDE));
    QCOMPARE(p.color(QPalette::Inactive, QPalette::Highlight), QColor(0x2F, 0x6F, 0xDE));
    QCOMPARE(p.color(QPalette::Active, QPalette::WindowText), QColor(0x33, 0x33, 0x33));
    QCOMPARE(p.color(QPalette::Active, QPalette::Base), QColor(Qt::white));
}

void tst_CommonStyle::disabledTextIsReadable() {
    // disabled text must stay distinguishable from both the page and enabled text
    const QPalette p = m_style->standardPalette();
    const int disabled = qGray(p.color(QPalette::Disabled, QPalette::Text).rgb());
    const int enabled = qGray(p.color(QPalette::Active, QPalette::Text).rgb());
    const int base = qGray(p.color(QPalette::Disabled, QPalette::Base).rgb());
    QVERIFY(disabled > enabled + 40);
    QVERIFY(base > disabled + 40);
}

QTEST_MAIN(tst_CommonStyle)
#include "tst_commonstyle.moc"
