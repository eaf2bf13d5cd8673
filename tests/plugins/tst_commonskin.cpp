// The CommonSkin plug-in: found and loaded from plugins/skins like the program does it, answering the skin
// interface, carrying every image the program addresses at a usable size, and style sheets that parse and
// give the program's states their look.
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QLineEdit>
#include <QPluginLoader>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include "appbase/ISkinPlugin.h"

// Stand-ins with the program's class names, so that the sheets' type selectors match.
namespace aptui {
class MultiStateLineEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString state READ state WRITE setState)
public:
    QString state() const { return m_state; }
    void setState(const QString& s) { m_state = s; }

private:
    QString m_state = QStringLiteral("Normal");
};

class CoverWidget : public QWidget {
    Q_OBJECT
};

class BaseTitle : public QFrame {
    Q_OBJECT
};
} // namespace aptui

namespace {

QStringList g_parseWarnings;
QtMessageHandler g_previousHandler = nullptr;

void captureParseWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("Could not parse")))
        g_parseWarnings << message;
    if (g_previousHandler != nullptr)
        g_previousHandler(type, context, message);
}

QString pluginsDir() {
    const QByteArray bin = qgetenv("VEXA_BIN_DIR");
    return (bin.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../bin")
                          : QString::fromLocal8Bit(bin)) +
           QStringLiteral("/plugins");
}

QString readResource(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

const QString kToolkitSheets = QStringLiteral(":/OrvisClient/Qss/Qss/OrvisGUIToolkit/");
const QString kAppSheet = QStringLiteral(":/OrvisClient/Qss/Qss/VEXATool/VEXATool.qss");

// The program's order: the toolkit folder by name ignoring case, without MacSpecial.qss, then its own sheet.
QString programSheet() {
    QStringList names = QDir(kToolkitSheets).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    names.removeAll(QStringLiteral("MacSpecial.qss"));
    QString sheet;
    for (const QString& name : names)
        sheet += readResource(kToolkitSheets + name);
    return sheet + readResource(kAppSheet);
}

bool near(QRgb a, QRgb b, int tolerance = 6) {
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

QString hex(QRgb c) {
    return QColor(c).name();
}

} // namespace

class tst_CommonSkin : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void pluginAnswersTheSkinInterface();
    void imagesOfTheProgram_data();
    void imagesOfTheProgram();
    void everyImageTheSheetsUseExists();
    void toolkitFolderHoldsTheMacSheetBesideTheOthers();
    void parseFailuresAreDetected();
    void sheetParses_data();
    void sheetParses();
    void editorStatesAreColoured_data();
    void editorStatesAreColoured();
    void coverVeilIsTranslucentDark();
    void dialogCloseButtonTurnsRedOnHover_data();
    void dialogCloseButtonTurnsRedOnHover();

private:
    QPluginLoader m_loader;
};

void tst_CommonSkin::initTestCase() {
    g_previousHandler = qInstallMessageHandler(captureParseWarnings);

    // Like the program: every file of the skin folder in name order, first one whose keys name the skin.
    const QDir folder(pluginsDir() + QStringLiteral("/skins"));
    const QStringList files = folder.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    QVERIFY2(!files.isEmpty(), qPrintable(folder.path() + QStringLiteral(" holds no plug-in")));
    for (const QString& file : files) {
        m_loader.setFileName(QDir::cleanPath(folder.filePath(file)));
        auto* skin = qobject_cast<ISkinPlugin*>(m_loader.instance());
        if (skin != nullptr && skin->keys().contains(QStringLiteral("CommonSkin")))
            return;
        m_loader.unload();
    }
    QFAIL("no plug-in in plugins/skins provides CommonSkin");
}

void tst_CommonSkin::cleanup() {
    qApp->setStyleSheet(QString());
    g_parseWarnings.clear();
}

void tst_CommonSkin::pluginAnswersTheSkinInterface() {
    QCOMPARE(m_loader.metaData().value(QLatin1String("IID")).toString(), QStringLiteral("com.ISkinPlugin/1.1"));
    auto* skin = qobject_cast<ISkinPlugin*>(m_loader.instance());
    QVERIFY(skin != nullptr);
    QCOMPARE(skin->keys(), QStringList{QStringLiteral("CommonSkin")});
}

void tst_CommonSkin::imagesOfTheProgram_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");

    const QString img = QStringLiteral(":/CommonSkin/VEXATool/Images/VEXATool/");
    const QString pwd = QStringLiteral(":/CommonSkin/Password/Images/Public/Control/Password/");
    const QString complex = QStringLiteral(":/aptui/complex/Images/System/Complex/");
    const struct {
        QString path;
        QSize size;
    } images[] = {
        {img + QStringLiteral("SystemInfo/logo_large.png"), QSize(128, 128)},
        {complex + QStringLiteral("calculate.png"), QSize(128, 128)},
        {img + QStringLiteral("BaseControl/Inputs/icon_alert_ok.png"), QSize(16, 16)},
        {img + QStringLiteral("BaseControl/Inputs/icon_alert_info.png"), QSize(16, 16)},
        {img + QStringLiteral("BaseControl/Inputs/icon_alert_error.png"), QSize(16, 16)},
        {img + QStringLiteral("TipDialog/icon_alert_ok_large.png"), QSize(48, 48)},
        {img + QStringLiteral("TipDialog/icon_alert_info_large.png"), QSize(48, 48)},
        {img + QStringLiteral("TipDialog/icon_alert_error_large.png"), QSize(48, 48)},
        // the strength bars fill the 65 px wide labels of the meter
        {pwd + QStringLiteral("grey.png"), QSize(65, 6)},
        {pwd + QStringLiteral("red.png"), QSize(65, 6)},
        {pwd + QStringLiteral("yellow.png"), QSize(65, 6)},
        {pwd + QStringLiteral("green.png"), QSize(65, 6)},
        {img + QStringLiteral("Dialog/icon_floder_open.png"), QSize(16, 16)},
        {img + QStringLiteral("Dialog/icon_floder_open_hover.png"), QSize(16, 16)},
        {img + QStringLiteral("Dialog/icon_floder_open_dis.png"), QSize(16, 16)},
        // the pin is sized 20 x 80 by the main window
        {complex + QStringLiteral("left.png"), QSize(20, 80)},
        {complex + QStringLiteral("leftSel.png"), QSize(20, 80)},
        {complex + QStringLiteral("right.png"), QSize(20, 80)},
        {complex + QStringLiteral("RightSel.png"), QSize(20, 80)},
        {img + QStringLiteral("ParamModify/icon_not_activated.png"), QSize(100, 100)},
        {img + QStringLiteral("ParamModify/icon_abnormal.png"), QSize(100, 100)},
    };
    for (const auto& i : images)
        QTest::newRow(qPrintable(i.path.mid(2))) << i.path << i.size;
}

void tst_CommonSkin::imagesOfTheProgram() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path + QStringLiteral(" is missing or unreadable")));
    QCOMPARE(image.size(), size);
    // A blank render (an empty or mistyped SVG) would still load: demand some visible, opaque ink.
    int opaque = 0;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            opaque += qAlpha(argb.pixel(x, y)) > 200 ? 1 : 0;
    QVERIFY2(opaque >= size.width() * size.height() / 10, qPrintable(path + QStringLiteral(" is nearly empty")));
}

void tst_CommonSkin::everyImageTheSheetsUseExists() {
    static const QRegularExpression url(QStringLiteral("url\\(\\s*([^)\\s]+)\\s*\\)"));
    int checked = 0;
    QDirIterator it(QStringLiteral(":/OrvisClient/Qss/Qss"), {QStringLiteral("*.qss")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString sheet = it.next();
        const QString text = readResource(sheet);
        for (auto m = url.globalMatch(text); m.hasNext();) {
            const QString path = m.next().captured(1);
            QVERIFY2(path.startsWith(QLatin1String(":/")), qPrintable(sheet + QStringLiteral(": ") + path));
            QVERIFY2(!QImage(path).isNull(), qPrintable(sheet + QStringLiteral(" uses missing ") + path));
            ++checked;
        }
    }
    QVERIFY(checked > 40);
}

void tst_CommonSkin::toolkitFolderHoldsTheMacSheetBesideTheOthers() {
    const QStringList names = QDir(kToolkitSheets).entryList(QDir::Files);
    QVERIFY(names.contains(QStringLiteral("MacSpecial.qss")));
    QVERIFY(names.size() >= 3);
    QVERIFY(!readResource(kAppSheet).isEmpty());
    // Files are joined without a separator: each must end its last rule and comment by itself.
    for (const QString& name : names) {
        const QString text = readResource(kToolkitSheets + name);
        QVERIFY2(text.endsWith(QLatin1Char('\n')), qPrintable(name));
        QCOMPARE(text.count(QLatin1String("/*")), text.count(QLatin1String("*/")));
        QCOMPARE(text.count(QLatin1Char('{')), text.count(QLatin1Char('}')));
    }
}

void tst_CommonSkin::parseFailuresAreDetected() {
    qApp->setStyleSheet(QStringLiteral("QWidget { color: red; } QLabel { color: "));
    QWidget w;
    w.ensurePolished();
    QVERIFY(!g_parseWarnings.isEmpty());
}

void tst_CommonSkin::sheetParses_data() {
    QTest::addColumn<QString>("sheet");
    QDirIterator it(QStringLiteral(":/OrvisClient/Qss/Qss"), {QStringLiteral("*.qss")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QTest::newRow(qPrintable(path.mid(2))) << readResource(path);
    }
    QTest::newRow("program order") << programSheet();
}

void tst_CommonSkin::sheetParses() {
    QFETCH(QString, sheet);
    QVERIFY(!sheet.trimmed().isEmpty());
    qApp->setStyleSheet(sheet);
    QWidget w;
    auto* layout = new QVBoxLayout(&w);
    layout->addWidget(new QPushButton(QStringLiteral("x")));
    layout->addWidget(new aptui::MultiStateLineEdit);
    w.ensurePolished();
    for (auto* child : w.findChildren<QWidget*>())
        child->ensurePolished();
    QVERIFY2(g_parseWarnings.isEmpty(), qPrintable(g_parseWarnings.join(QLatin1Char('\n'))));
}

void tst_CommonSkin::editorStatesAreColoured_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QRgb>("border");
    QTest::addColumn<QRgb>("fill");
    QTest::newRow("Normal") << QStringLiteral("Normal") << qRgb(0xD0, 0xD4, 0xDA) << qRgb(0xFF, 0xFF, 0xFF);
    QTest::newRow("Error") << QStringLiteral("Error") << qRgb(0xE5, 0x48, 0x4D) << qRgb(0xFE, 0xF0, 0xF1);
    QTest::newRow("ERROR") << QStringLiteral("ERROR") << qRgb(0xE5, 0x48, 0x4D) << qRgb(0xFE, 0xF0, 0xF1);
    QTest::newRow("Tip") << QStringLiteral("Tip") << qRgb(0xE6, 0xA1, 0x17) << qRgb(0xFF, 0xF8, 0xE8);
}

void tst_CommonSkin::editorStatesAreColoured() {
    QFETCH(QString, state);
    QFETCH(QRgb, border);
    QFETCH(QRgb, fill);
    qApp->setStyleSheet(programSheet());
    aptui::MultiStateLineEdit edit;
    edit.setState(state);
    edit.setFixedSize(200, 30);
    const QImage shot = edit.grab().toImage();
    const QRgb edge = shot.pixel(0, 15);
    const QRgb inside = shot.pixel(150, 15);
    QVERIFY2(near(edge, border), qPrintable(hex(edge)));
    QVERIFY2(near(inside, fill), qPrintable(hex(inside)));
}

void tst_CommonSkin::coverVeilIsTranslucentDark() {
    qApp->setStyleSheet(programSheet());
    QWidget window;
    window.setObjectName(QStringLiteral("page"));
    window.setStyleSheet(QStringLiteral("#page { background: #FFFFFF; }"));
    window.resize(200, 100);
    auto* cover = new aptui::CoverWidget;
    cover->setParent(&window);
    cover->show();
    cover->setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(cover);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* veil = new QWidget;
    veil->setObjectName(QStringLiteral("m_cover"));
    layout->addWidget(veil);
    cover->setGeometry(window.rect());
    const QRgb c = window.grab().toImage().pixel(100, 50);
    // darker than the white page, yet the page still shows through
    QVERIFY2(qGray(c) < 215 && qGray(c) > 100, qPrintable(hex(c)));
}

void tst_CommonSkin::dialogCloseButtonTurnsRedOnHover_data() {
    QTest::addColumn<bool>("hovered");
    QTest::newRow("idle") << false;
    QTest::newRow("hovered") << true;
}

void tst_CommonSkin::dialogCloseButtonTurnsRedOnHover() {
    QFETCH(bool, hovered);
    qApp->setStyleSheet(programSheet());
    aptui::BaseTitle title;
    auto* close = new QToolButton(&title);
    close->setObjectName(QStringLiteral("btnClose"));
    close->setGeometry(0, 0, 28, 28);
    close->setAttribute(Qt::WA_UnderMouse, hovered);
    const QRgb c = close->grab().toImage().pixel(4, 14);
    QCOMPARE(near(c, qRgb(0xE5, 0x48, 0x4D)), hovered);
    // the glyph is drawn in every state
    QVERIFY(close->grab().toImage().pixel(14, 14) != c);
}

QTEST_MAIN(tst_CommonSkin)
#include "tst_commonskin.moc"
