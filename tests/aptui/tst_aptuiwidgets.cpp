#include <QProxyStyle>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStyleOptionViewItem>
#include <QtTest>

#include "aptui/CoverWidget.h"
#include "aptui/MultiStateLineEdit.h"
#include "aptui/PinButton.h"
#include "aptui/TreeViewWithLeftPixmapDelegate.h"
#include "aptui/Widget.h"
#include "guitoolkit/CTableView.h"

using namespace Qt::StringLiterals;

using aptui::MultiStateLineEdit;

namespace {

// Records the state of every item cell the view asks it to draw.
class RecordingStyle : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_ItemViewItem) {
            const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
            states.append(item->state);
            alignments.append(item->displayAlignment);
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    mutable QList<QStyle::State> states;
    mutable QList<Qt::Alignment> alignments;
};

QRgb centrePixel(QWidget* w) {
    const QImage image = w->grab().toImage();
    return image.pixel(image.width() / 2, image.height() / 2);
}

} // namespace

class TestAptuiWidgets : public QObject {
    Q_OBJECT

private slots:
    void setStateByText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("name");
        QTest::newRow("tip lower") << "tip" << int(MultiStateLineEdit::TIP) << "Tip";
        QTest::newRow("tip number") << "2" << int(MultiStateLineEdit::TIP) << "Tip";
        QTest::newRow("normal mixed") << "NoRmAl" << int(MultiStateLineEdit::NORMAL) << "Normal";
        QTest::newRow("normal number") << "3" << int(MultiStateLineEdit::NORMAL) << "Normal";
        QTest::newRow("error number") << "1" << int(MultiStateLineEdit::ERROR) << "Error";
        QTest::newRow("unknown") << "warning" << int(MultiStateLineEdit::ERROR) << "Error";
        QTest::newRow("empty") << "" << int(MultiStateLineEdit::ERROR) << "Error";
        QTest::newRow("zero") << "0" << int(MultiStateLineEdit::ERROR) << "Error";
        QTest::newRow("padded") << " tip" << int(MultiStateLineEdit::ERROR) << "Error";
    }
    void setStateByText() {
        QFETCH(QString, text);
        QFETCH(int, state);
        QFETCH(QString, name);
        MultiStateLineEdit edit;
        QCOMPARE(edit.state(), u"Normal"_s);
        QSignalSpy spy(&edit, &MultiStateLineEdit::stateChanged);
        edit.setProperty("state", text);
        QCOMPARE(int(edit.lineEditState()), state);
        QCOMPARE(edit.property("state").toString(), name);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), name);
        // Every write is reported, also one that keeps the state.
        edit.setState(text);
        QCOMPARE(spy.count(), 2);
    }

    void stateEnumIsRegisteredByName() {
        MultiStateLineEdit edit;
        QVERIFY(QMetaType::fromName("aptui::MultiStateLineEdit::State").isValid());
        QSignalSpy spy(&edit, &MultiStateLineEdit::stateChanged);
        // Reachable through the meta-object system, as queued connections and scripts need it.
        QVERIFY(QMetaObject::invokeMethod(&edit, "setLineEditState", Qt::QueuedConnection,
                                          Q_ARG(aptui::MultiStateLineEdit::State, MultiStateLineEdit::TIP)));
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(edit.state(), u"Tip"_s);
    }

    void setLineEditStateRestylesAtOnce() {
        MultiStateLineEdit edit;
        edit.setStyleSheet(u"aptui--MultiStateLineEdit { background: rgb(255,255,255); border: none; }"_s
                           "aptui--MultiStateLineEdit[state=\"Error\"] { background: rgb(255,0,0); }");
        edit.resize(120, 30);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QCOMPARE(qRed(centrePixel(&edit)), 255);
        QCOMPARE(qGreen(centrePixel(&edit)), 255);

        QSignalSpy spy(&edit, &MultiStateLineEdit::stateChanged);
        edit.setLineEditState(MultiStateLineEdit::ERROR);
        QCOMPARE(qGreen(centrePixel(&edit)), 0);
        edit.setLineEditState(MultiStateLineEdit::NORMAL);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toString(), u"Normal"_s);
        QCOMPARE(qGreen(centrePixel(&edit)), 255);
    }

    void pinButtonFoldsItsBuddy() {
        QWidget window;
        auto* page = new QWidget(&window);
        auto* pin = new aptui::PinButton(&window);
        pin->setBuddy(page);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(pin->size(), QSize(14, 69));
        QVERIFY(pin->styleSheet().contains(u"left.png"_s));

        QList<bool> visibleWhenSignalled;
        connect(pin, &aptui::PinButton::pinButtonClicked, this,
                [&visibleWhenSignalled, page] { visibleWhenSignalled.append(page->isVisible()); });
        QTest::mouseClick(pin, Qt::LeftButton);
        QVERIFY(!page->isVisible());
        QVERIFY(pin->styleSheet().contains(u"right.png"_s));
        QVERIFY(pin->styleSheet().contains(u"RightSel.png"_s));
        QTest::mouseClick(pin, Qt::LeftButton);
        QVERIFY(page->isVisible());
        QVERIFY(pin->styleSheet().contains(u"leftSel.png"_s));
        // Listeners see the buddy already changed.
        QCOMPARE(visibleWhenSignalled, QList<bool>({false, true}));
    }

    void pinButtonWithoutBuddy() {
        QWidget window;
        auto* pin = new aptui::PinButton(&window);
        auto* page = new QWidget(&window);
        pin->setBuddy(page);
        delete page; // a buddy that goes away must not be touched later
        window.show();
        const QString sheet = pin->styleSheet();
        QSignalSpy spy(pin, &aptui::PinButton::pinButtonClicked);
        QTest::mouseClick(pin, Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(pin->styleSheet(), sheet);
        QVERIFY(pin->buddy() == nullptr);
    }

    void widgetReportsMouseActivity() {
        aptui::Widget w;
        w.resize(50, 50);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QSignalSpy clicked(&w, &aptui::Widget::signalMouseClicked);
        QSignalSpy doubled(&w, &aptui::Widget::signalDoubleClicked);
        QSignalSpy entered(&w, &aptui::Widget::signalMouseEnter);
        QSignalSpy left(&w, &aptui::Widget::signalMouseLeave);
        QTest::mouseClick(&w, Qt::RightButton);
        QCOMPARE(clicked.count(), 1);
        // What a window system delivers for a double-click: press, release, press, double-click, release.
        QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(5, 5));
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), w.mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                        Qt::LeftButton, {});
        QApplication::sendEvent(&w, &dbl);
        QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(clicked.count(), 3);
        QCOMPARE(doubled.count(), 1);
        QEvent enter(QEvent::Enter);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&w, &enter);
        QApplication::sendEvent(&w, &leave);
        QCOMPARE(entered.count(), 1);
        QCOMPARE(left.count(), 1);
    }

    void widgetPaintsItsStyleSheet() {
        aptui::Widget w;
        w.setStyleSheet(u"aptui--Widget { background: rgb(0,0,255); }"_s);
        w.resize(40, 40);
        QCOMPARE(qBlue(centrePixel(&w)), 255);
        QCOMPARE(qRed(centrePixel(&w)), 0);
    }

    void coverIsTranslucentWithAStyledVeil() {
        QWidget window;
        aptui::CoverWidget cover(&window);
        QVERIFY(cover.testAttribute(Qt::WA_TranslucentBackground));
        auto* veil = cover.findChild<QWidget*>(u"m_cover"_s);
        QVERIFY(veil != nullptr);
        window.resize(200, 100);
        cover.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(veil->geometry(), QRect(0, 0, 200, 100));
    }

    void delegatePaintsSelectionAsHover() {
        RecordingStyle style;
        OrvisGUIToolkit::CTableView view;
        view.setStyle(&style);
        QStandardItemModel model(2, 1);
        model.setItem(0, 0, new QStandardItem(u"selected"_s));
        model.setItem(1, 0, new QStandardItem(u"plain"_s));
        view.setModel(&model);
        aptui::TreeViewWithLeftPixmapDelegate delegate(&view);
        view.setItemDelegate(&delegate);
        QCOMPARE(delegate.GetTextAlignment(0, 0), Qt::Alignment(Qt::AlignLeft));
        QCOMPARE(delegate.GetTextFlags(0), 8192);
        view.selectionModel()->select(model.index(0, 0), QItemSelectionModel::Select);
        view.resize(200, 100);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        style.states.clear();
        view.viewport()->grab();
        QCOMPARE(style.states.size(), 2);
        QVERIFY(!(style.states.at(0) & QStyle::State_Selected));
        QVERIFY(style.states.at(0) & QStyle::State_MouseOver);
        QVERIFY(!(style.states.at(1) & QStyle::State_Selected));
        QCOMPARE(style.alignments.at(1), Qt::AlignLeft | Qt::AlignVCenter);
        view.setStyle(nullptr);
    }
};

QTEST_MAIN(TestAptuiWidgets)
#include "tst_aptuiwidgets.moc"
