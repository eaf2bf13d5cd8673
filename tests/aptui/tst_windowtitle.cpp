#include <QLabel>
#include <QMainWindow>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include "aptui/Menu.h"
#include "aptui/WindowTitle.h"

using aptui::WindowTitle;

namespace {

// A window that counts the close requests it receives and refuses them when told to.
class Window : public QMainWindow {
public:
    bool refuse = false;
    int closeRequests = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++closeRequests;
        if (refuse) {
            event->ignore();
        } else {
            event->accept();
        }
    }
};

struct Fixture {
    Window window;
    WindowTitle* title = nullptr;

    Fixture() {
        title = new WindowTitle(&window);
        window.setMenuWidget(title);
        window.resize(800, 600);
        window.show();
    }
    QToolButton* button(const char* name) const { return title->findChild<QToolButton*>(QLatin1String(name)); }
};

} // namespace

class TestWindowTitle : public QObject {
    Q_OBJECT

private slots:
    void barLayout() {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QCOMPARE(f.title->height(), 35);
        // Left to right: icon, title, then the system-menu, minimize, maximize and close buttons.
        const char* const order[] = {"m_btnIcon", "m_btnSystemMenu", "m_btnMinimize", "m_btnMaximize", "m_btnClose"};
        int lastX = -1;
        for (const char* name : order) {
            QToolButton* b = f.button(name);
            QVERIFY2(b, name);
            QCOMPARE(b->size(), QSize(24, 24));
            QVERIFY2(b->text().isEmpty() && b->icon().isNull(), name);
            const int x = b->mapTo(f.title, QPoint(0, 0)).x();
            QVERIFY2(x > lastX, name);
            lastX = x;
        }
        QCOMPARE(f.button("m_btnIcon")->focusPolicy(), Qt::NoFocus);
        QCOMPARE(f.button("m_btnClose")->focusPolicy(), Qt::ClickFocus);
        // The close button is flush with the right edge less the bar's margin.
        QToolButton* close = f.button("m_btnClose");
        QCOMPARE(close->mapTo(f.title, QPoint(0, 0)).x() + close->width(), f.title->width() - 4);
        f.title->setTitle(QStringLiteral("VEXA Tool"));
        auto* label = f.title->findChild<QLabel*>(QStringLiteral("m_labelTitle"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("VEXA Tool"));
        QVERIFY(label->mapTo(f.title, QPoint(0, 0)).x() < f.button("m_btnSystemMenu")->mapTo(f.title, QPoint()).x());
    }

    void doubleClick_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("maximizes");
        QTest::newRow("left") << Qt::LeftButton << true;
        QTest::newRow("right") << Qt::RightButton << false;
        QTest::newRow("middle") << Qt::MiddleButton << false;
    }
    void doubleClick() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, maximizes);
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QSignalSpy sizeChanged(f.title, &WindowTitle::SignalWndSizeStatusChanged);
        QTest::mouseDClick(f.title, button, {}, QPoint(200, 15));
        QCOMPARE(f.window.isMaximized(), maximizes);
        QCOMPARE(sizeChanged.count(), maximizes ? 1 : 0);
        QVERIFY(f.button(maximizes ? "m_btnResore" : "m_btnMaximize"));
        QVERIFY(!f.button(maximizes ? "m_btnMaximize" : "m_btnResore"));
        // A second double-click takes it back, and the button its first name.
        QTest::mouseDClick(f.title, button, {}, QPoint(200, 15));
        QVERIFY(!f.window.isMaximized());
        QVERIFY(f.button("m_btnMaximize"));
        QCOMPARE(sizeChanged.count(), maximizes ? 2 : 0);
    }

    void maximizeButtonActsAfterTheClick() {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QToolButton* max = f.button("m_btnMaximize");
        QTest::mouseClick(max, Qt::LeftButton);
        // Queued: nothing has changed when the click returns.
        QVERIFY(!f.window.isMaximized());
        QTRY_VERIFY(f.window.isMaximized());
        QCOMPARE(max->objectName(), QStringLiteral("m_btnResore"));
        QTest::mouseClick(max, Qt::LeftButton);
        QTRY_VERIFY(!f.window.isMaximized());
        QCOMPARE(max->objectName(), QStringLiteral("m_btnMaximize"));
    }

    void closeButton_data() {
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<bool>("byShortcut");
        QTest::newRow("agreed, click") << false << false;
        QTest::newRow("refused, click") << true << false;
        QTest::newRow("refused, Alt+F4") << true << true;
    }
    void closeButton() {
        QFETCH(bool, refuse);
        QFETCH(bool, byShortcut);
        Fixture f;
        f.window.refuse = refuse;
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        QSignalSpy closeApp(f.title, &WindowTitle::signalCloseApp);
        if (byShortcut) {
            QTest::keyClick(f.window.windowHandle(), Qt::Key_F4, Qt::AltModifier);
        } else {
            QTest::mouseClick(f.button("m_btnClose"), Qt::LeftButton);
        }
        // A shortcut clicks its button on a short timer.
        QTRY_COMPARE(f.window.closeRequests, 1);
        // Emitted whether or not the window agreed.
        QCOMPARE(closeApp.count(), 1);
        QCOMPARE(f.window.isVisible(), refuse);
    }

    void otherButtons() {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QSignalSpy systemMenu(f.title, &WindowTitle::signalSystemMenu);
        QTest::mouseClick(f.button("m_btnSystemMenu"), Qt::LeftButton);
        QCOMPARE(systemMenu.count(), 1);
        QTest::mouseClick(f.button("m_btnMinimize"), Qt::LeftButton);
        QTRY_VERIFY(f.window.isMinimized());
    }

    void titleAloneActsOnItself() {
        WindowTitle title;
        title.show();
        QTest::mouseDClick(&title, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(title.isMaximized());
    }

    void menu_data() {
        QTest::addColumn<bool>("withTitle");
        QTest::newRow("parent only") << false;
        QTest::newRow("title and parent") << true;
    }
    void menu() {
        QFETCH(bool, withTitle);
        QWidget owner;
        std::unique_ptr<aptui::Menu> menu = withTitle ? std::make_unique<aptui::Menu>(QStringLiteral("About"), &owner)
                                                      : std::make_unique<aptui::Menu>(&owner);
        QCOMPARE(menu->objectName(), QStringLiteral("Menu"));
        QVERIFY(menu->windowFlags().testFlag(Qt::Popup));
        QVERIFY(menu->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(menu->testAttribute(Qt::WA_TranslucentBackground));
        if (withTitle) {
            QCOMPARE(menu->title(), QStringLiteral("About"));
        }
        menu->addAction(QStringLiteral("entry"));
        menu->popup(QPoint(10, 10));
        QTRY_VERIFY(menu->isVisible());
        menu->close();
    }
};

QTEST_MAIN(TestWindowTitle)
#include "tst_windowtitle.moc"
