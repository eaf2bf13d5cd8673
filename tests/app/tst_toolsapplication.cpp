#include <stdexcept>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleFactory>
#include <QToolTip>
#include <QtTest>

#include "app/MainWindowPlacement.h"
#include "app/ScreenFit.h"
#include "app/ToolsApplication.h"
#include "guitoolkit/CFile.h"

using namespace Qt::StringLiterals;

namespace {

QStringList g_messages;

void collect(QtMsgType, const QMessageLogContext&, const QString& message) {
    g_messages.append(message);
}

class Thrower : public QWidget {
protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) {
            throw std::runtime_error("handler failed");
        }
        return QWidget::event(e);
    }
};

class Counter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::ApplicationFontChange) {
            ++fontChanges;
        }
        return false;
    }
    int fontChanges = 0;
};

} // namespace

class TestToolsApplication : public QObject {
    Q_OBJECT

private:
    QString m_bin = qEnvironmentVariable("VEXA_BIN_DIR");
    QtMessageHandler m_previous = nullptr;

private slots:
    void init() {
        g_messages.clear();
        m_previous = qInstallMessageHandler(collect);
    }
    void cleanup() { qInstallMessageHandler(m_previous); }

    void screenRule_data() {
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<bool>("wide");
        QTest::addColumn<bool>("high");
        QTest::newRow("two 800x600 side by side")
            << QList<QRect>{{0, 0, 800, 600}, {800, 0, 800, 600}} << true << false;
        QTest::newRow("single 1280x720") << QList<QRect>{{0, 0, 1280, 720}} << true << false;
        QTest::newRow("exactly 1024x768") << QList<QRect>{{0, 0, 1024, 768}} << true << true;
        QTest::newRow("1023x767") << QList<QRect>{{0, 0, 1023, 767}} << false << false;
        QTest::newRow("flags from different screens")
            << QList<QRect>{{0, 0, 1280, 600}, {1280, 0, 600, 800}} << true << true;
        QTest::newRow("stacked 800x600") << QList<QRect>{{0, 0, 800, 600}, {0, 600, 800, 600}} << false << true;
        QTest::newRow("no screens") << QList<QRect>{} << false << false;
    }
    void screenRule() {
        QFETCH(QList<QRect>, screens);
        QFETCH(bool, wide);
        QFETCH(bool, high);
        const apt::ScreenFit fit = apt::ScreenFit::of(screens);
        QCOMPARE(fit.wideEnough, wide);
        QCOMPARE(fit.highEnough, high);
        QCOMPARE(fit.fits(), wide && high);
    }

    void mainWindowPlacement_data() {
        QTest::addColumn<QRect>("workArea");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("move");
        QTest::addColumn<QPoint>("position");
        QTest::newRow("1920x1040 keeps proportions")
            << QRect(0, 0, 1920, 1040) << QSize(1417, 768) << false << QPoint();
        QTest::newRow("exactly 768 high") << QRect(0, 0, 1366, 768) << QSize(1366, 768) << false << QPoint();
        QTest::newRow("1280x680 fills the work area")
            << QRect(0, 0, 1280, 680) << QSize(1280, 680) << true << QPoint(0, 0);
        QTest::newRow("task bar on top") << QRect(0, 40, 1280, 680) << QSize(1280, 680) << true << QPoint(0, 40);
    }
    void mainWindowPlacement() {
        QFETCH(QRect, workArea);
        QFETCH(QSize, size);
        QFETCH(bool, move);
        QFETCH(QPoint, position);
        const apt::MainWindowPlacement p = apt::MainWindowPlacement::forWorkArea(workArea);
        QCOMPARE(p.size, size);
        QCOMPARE(p.move, move);
        if (move) {
            QCOMPARE(p.position, position);
        }
    }

    void missingStyleIsReportedAndKeepsTheCurrentOne() {
        auto* app = qobject_cast<apt::ToolsApplication*>(qApp);
        const QString before = QApplication::style()->name();
        app->loadStyle();
        QVERIFY(g_messages.contains(u"[ToolsApplication::loadStyle]The CommonStyle does not exist."_s));
        QCOMPARE(QApplication::style()->name(), before);
    }

    void skinFromTheBuildFolder_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("skin");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("log");
        const QString skins = m_bin + u"/plugins/skins/"_s;
        QTest::newRow("unknown name") << skins << "NoSuchSkin" << false << "[Tool]LoadSkin = NoSuchSkin failed";
        QTest::newRow("empty name") << skins << "" << false << "[Tool]LoadSkin =  failed";
        QTest::newRow("null name") << skins << QString() << false << "[Tool]LoadSkin =  failed";
        QTest::newRow("keys are case-sensitive")
            << skins << "commonskin" << false << "[Tool]LoadSkin = commonskin failed";
        QTest::newRow("no folder") << m_bin + u"/nowhere/"_s << "CommonSkin" << false
                                   << "[Tool]LoadSkin = CommonSkin failed";
        QTest::newRow("not plug-ins") << m_bin + u"/"_s << "CommonSkin" << false
                                      << "[Tool]LoadSkin = CommonSkin failed";
        QTest::newRow("CommonSkin") << skins << "CommonSkin" << true << "[Tool]LoadSkin = CommonSkin Success";
    }
    void skinFromTheBuildFolder() {
        QFETCH(QString, folder);
        QFETCH(QString, skin);
        QFETCH(bool, found);
        QFETCH(QString, log);
        QCOMPARE(apt::ToolsApplication::loadSkin(folder, skin), found);
        QCOMPARE(g_messages.filter(u"[Tool]LoadSkin"_s), QStringList{log});
        if (found) {
            QVERIFY(QFile::exists(u":/OrvisClient/Qss/Qss/VEXATool/VEXATool.qss"_s));
            QVERIFY(QFile::exists(u":/CommonSkin/VEXATool/Images/VEXATool/TipDialog/icon_alert_error_large.png"_s));
        }
    }

    void styleAndSheetsFromTheBuildFolder() {
        auto* app = qobject_cast<apt::ToolsApplication*>(qApp);
        QVERIFY(apt::ToolsApplication::loadSkin(m_bin + u"/plugins/skins/"_s, u"CommonSkin"_s));
        QCoreApplication::addLibraryPath(m_bin + u"/plugins"_s);
        QVERIFY(QStyleFactory::keys().contains(u"CommonStyle"_s));
        g_messages.clear();
        app->loadStyle();
        QVERIFY(!g_messages.contains(u"[ToolsApplication::loadStyle]The CommonStyle does not exist."_s));
        {
            // While a style sheet is set, the application's style is a wrapper around the one set; without
            // it the style itself shows.
            const QString sheet = app->styleSheet();
            app->setStyleSheet(QString());
            QCOMPARE(QApplication::style()->objectName().toLower(), u"commonstyle"_s);
            app->setStyleSheet(sheet);
        }

        const QString folder = u":/OrvisClient/Qss/Qss/OrvisGUIToolkit/"_s;
        QStringList toolkit = QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
        QVERIFY(toolkit.removeAll(u"MacSpecial.qss"_s) == 1);
        const QString expected = OrvisGUIToolkit::CFile::ReadAll(toolkit, folder) +
                                 OrvisGUIToolkit::CFile::ReadAll(u":/OrvisClient/Qss/Qss/VEXATool/VEXATool.qss"_s);
        QCOMPARE(app->styleSheet(), expected);
        const QString mac = OrvisGUIToolkit::CFile::ReadAll(folder + u"MacSpecial.qss"_s);
        if (!mac.trimmed().isEmpty()) {
            QVERIFY(!app->styleSheet().contains(mac));
        }
    }

    void toolTipShowsTheWidgetsOwnText() {
        QWidget window;
        auto* label = new QLabel(u"A long device name that is cut off"_s, &window);
        label->setToolTip(u"set tool tip"_s);
        auto* edit = new QLineEdit(u"typed text"_s, &window);
        edit->setToolTip(u"edit tool tip"_s);
        auto* bare = new QLabel(u"no tip"_s, &window);
        auto* iconOnly = new QLabel(&window);
        iconOnly->setToolTip(u"icon tool tip"_s);
        auto* combo = new QComboBox(&window);
        combo->addItems({u"first choice"_s, u"second choice"_s});
        combo->setCurrentIndex(1);
        combo->setToolTip(u"combo tool tip"_s);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const auto tipFor = [](QWidget* w) {
            QToolTip::hideText();
            if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000)) {
                return u"<still showing>"_s;
            }
            QHelpEvent help(QEvent::ToolTip, QPoint(1, 1), w->mapToGlobal(QPoint(1, 1)));
            QApplication::sendEvent(w, &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(tipFor(label), u"A long device name that is cut off"_s);
        QCOMPARE(tipFor(edit), u"edit tool tip"_s);
        QCOMPARE(tipFor(bare), QString());
        // Nothing of its own to show: the tool tip that was set.
        QCOMPARE(tipFor(iconOnly), u"icon tool tip"_s);
        // No text of its own but a current text: a combo box shows its current choice.
        QCOMPARE(tipFor(combo), u"second choice"_s);
        QToolTip::hideText();
    }

    void exceptionInAHandlerIsCaught() {
        Thrower w;
        QEvent user(QEvent::User);
        QCOMPARE(QApplication::sendEvent(&w, &user), false);
        QVERIFY(!g_messages.filter(u"handler failed"_s).isEmpty());
        // Dispatch goes on as usual afterwards.
        QEvent other(QEvent::Polish);
        QApplication::sendEvent(&w, &other);
    }

    void applicationFontChangeIsSwallowed() {
        QWidget w;
        Counter counter;
        w.installEventFilter(&counter);
        QEvent change(QEvent::ApplicationFontChange);
        QVERIFY(QApplication::sendEvent(&w, &change));
        QCOMPARE(counter.fontChanges, 0);
    }
};

int main(int argc, char** argv) {
    // The application object under test is the program's own, under an identifier of the test's own.
    apt::ToolsApplication app(QStringLiteral("vexa-test-%1").arg(QCoreApplication::applicationPid()), argc, argv);
    TestToolsApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_toolsapplication.moc"
