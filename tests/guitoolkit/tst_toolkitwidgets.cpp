#include <QDialog>
#include <QLabel>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <QtTest>

#include "guitoolkit/CFancyTitle.h"
#include "guitoolkit/CHBoxLayout.h"
#include "guitoolkit/CTableDelegate.h"
#include "guitoolkit/CTableView.h"
#include "guitoolkit/CWidgetItem.h"
#include "guitoolkit/CWidgetSizeFactory.h"
#include "guitoolkit/WindowLookup.h"

using namespace Qt::StringLiterals;

using namespace OrvisGUIToolkit;

namespace {

class LeftWrappingDelegate : public CTableDelegate {
public:
    using CTableDelegate::CTableDelegate;
    Qt::Alignment GetTextAlignment(int, int) const override { return Qt::AlignLeft; }
    int GetTextFlags(int column) const override { return column == 1 ? Qt::TextWrapAnywhere : Qt::TextSingleLine; }
    QStyleOptionViewItem optionFor(const QModelIndex& index) const {
        QStyleOptionViewItem option;
        initStyleOption(&option, index);
        return option;
    }
};

} // namespace

// A window system that moves windows itself (Wayland's compositor, an X window manager).
class SystemMovedTitle : public CFancyTitle {
public:
    using CFancyTitle::CFancyTitle;
    int systemMoves = 0;

protected:
    bool beginSystemMove() override {
        ++systemMoves;
        return true;
    }
};

class TestToolkitWidgets : public QObject {
    Q_OBJECT

private slots:
    void titleDragMovesItsWindow() {
        QWidget window(nullptr, Qt::FramelessWindowHint);
        auto* title = new CFancyTitle(&window);
        title->setGeometry(0, 0, 200, 30);
        window.setGeometry(100, 100, 300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint start = window.pos();

        QTest::mousePress(title, Qt::LeftButton, {}, QPoint(10, 10));
        QMouseEvent move(QEvent::MouseMove, QPointF(40, 30), title->mapToGlobal(QPointF(40, 30)), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(title, &move);
        QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(40, 30));
        QCOMPARE(window.pos(), start + QPoint(30, 20));

        // A right-button drag moves nothing.
        QTest::mousePress(title, Qt::RightButton, {}, QPoint(10, 10));
        QMouseEvent rightMove(QEvent::MouseMove, QPointF(60, 60), title->mapToGlobal(QPointF(60, 60)), Qt::NoButton,
                              Qt::RightButton, {});
        QApplication::sendEvent(title, &rightMove);
        QCOMPARE(window.pos(), start + QPoint(30, 20));
    }

    void titleDragIsLeftToTheWindowSystemWhereItCan() {
        QWidget window(nullptr, Qt::FramelessWindowHint);
        auto* title = new SystemMovedTitle(&window);
        title->setGeometry(0, 0, 200, 30);
        window.setGeometry(100, 100, 300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint start = window.pos();

        QTest::mousePress(title, Qt::LeftButton, {}, QPoint(10, 10));
        for (const QPointF at : {QPointF(40, 30), QPointF(80, 60)}) {
            QMouseEvent move(QEvent::MouseMove, at, title->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(title, &move);
        }
        QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(80, 60));
        // Asked once per drag, and the window does not fight the window system by moving itself.
        QCOMPARE(title->systemMoves, 1);
        QCOMPARE(window.pos(), start);
    }

    void doubleClickMaximizesUnlessSwitchedOff() {
        QWidget window(nullptr, Qt::FramelessWindowHint);
        auto* title = new CFancyTitle(&window);
        title->setGeometry(0, 0, 200, 30);
        window.resize(300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy spy(title, &CFancyTitle::SignalWndSizeStatusChanged);

        QTest::mouseDClick(title, Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(!window.isMaximized());
        QCOMPARE(spy.count(), 0);

        QTest::mouseDClick(title, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(window.isMaximized());
        QCOMPARE(spy.count(), 1);
        QTest::mouseDClick(title, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(!window.isMaximized());
        QCOMPARE(spy.count(), 2);

        title->SetOpenDoubleClickEnable(false);
        QTest::mouseDClick(title, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!window.isMaximized());
        QCOMPARE(spy.count(), 2);
    }

    void sizeFactoryRestoresToTheGivenSize() {
        QWidget window;
        window.resize(300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        CWidgetSizeFactory f;
        QVERIFY(!f.IsMaximized(nullptr));
        f.ShowMaximized(&window);
        QTRY_VERIFY(f.IsMaximized(&window));
        f.ShowNormal(&window, QSize());
        QTRY_VERIFY(!f.IsMaximized(&window));
        QTRY_COMPARE(window.size(), QSize(300, 200));
        f.ShowNormal(&window, QSize(320, 240));
        QCOMPARE(window.size(), QSize(320, 240));
    }

    void independentWindowOfAWidget() {
        QWidget top;
        auto* dialog = new QDialog(&top);
        auto* inner = new QWidget(dialog);
        auto* label = new QLabel(inner);
        QCOMPARE(GetIndependentWindow(label, nullptr), dialog);
        QCOMPARE(GetIndependentWindow(dialog, nullptr), dialog);
        QCOMPARE(GetIndependentWindow(label, "QDialog"), dialog);
        // The search goes on past windows of the wrong class.
        QCOMPARE(GetIndependentWindow(label, "QLabel"), nullptr);
        QCOMPARE(GetIndependentWindow(inner, "QWidget"), dialog);
        QCOMPARE(GetIndependentWindow(nullptr, nullptr), nullptr);
    }

    void layoutKeepsItemAlignment() {
        QWidget host;
        auto* layout = new CHBoxLayout(&host);
        layout->SetLayoutContentsMargins(4, 0, 4, 0);
        layout->SetLayoutSpacing(10);
        auto* label = new QLabel(u"title"_s);
        label->setFixedSize(40, 10);
        layout->AddItem(new CWidgetItem(label, Qt::AlignLeft | Qt::AlignTop), 1);
        auto* other = new QLabel(u"x"_s);
        layout->AddWidget(other);
        host.resize(300, 50);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QCOMPARE(label->parentWidget(), &host);
        QCOMPARE(layout->contentsMargins(), QMargins(4, 0, 4, 0));
        QCOMPARE(layout->spacing(), 10);
        QCOMPARE(layout->stretch(0), 1);
        QCOMPARE(label->geometry().topLeft(), QPoint(4, 0));
        QCOMPARE(label->size(), QSize(40, 10));
    }

    void delegateQueriesShapeTheCell() {
        CTableView view;
        QStandardItemModel model(1, 2);
        model.setItem(0, 0, new QStandardItem(u"a"_s));
        model.setItem(0, 1, new QStandardItem(u"b"_s));
        view.setModel(&model);
        auto* plain = new CTableDelegate(&view);
        view.setItemDelegate(plain);
        QCOMPARE(plain->parent(), &view);

        LeftWrappingDelegate custom(&view);
        QStyleOptionViewItem first = custom.optionFor(model.index(0, 0));
        QCOMPARE(first.displayAlignment, Qt::AlignLeft | Qt::AlignVCenter);
        QVERIFY(!(first.features & QStyleOptionViewItem::WrapText));
        QVERIFY(custom.optionFor(model.index(0, 1)).features & QStyleOptionViewItem::WrapText);
    }

    void gridLinesCanBeSwitchedOff() {
        CTableView view;
        QStandardItemModel model(3, 2);
        view.setModel(&model);
        view.setStyleSheet(u"QTreeView { background: white; gridline-color: black; }"_s);
        view.resize(200, 120);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(!view.rootIsDecorated());
        QVERIFY(view.IsShowGridLine());
        const QRect cell = view.visualRect(model.index(0, 0));
        const QPoint onLine(cell.center().x(), cell.bottom());
        const auto darkAt = [&view, onLine] { return qGray(view.viewport()->grab().toImage().pixel(onLine)) < 128; };
        QVERIFY(darkAt());
        view.ShowGridLine(false);
        QVERIFY(!darkAt());
    }
};

QTEST_MAIN(TestToolkitWidgets)
#include "tst_toolkitwidgets.moc"
