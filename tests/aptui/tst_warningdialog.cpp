#include <QAbstractEventDispatcher>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "aptui/MultiStateLineEdit.h"
#include "aptui/WarningDialog.h"
#include "support/ModalAnswer.h"

using namespace Qt::StringLiterals;

using aptui::MultiStateLineEdit;
using VexaTool::WarningDialog;

namespace {

struct SeenBox {
    QRect geometry;
    QString text;
    bool hasIcon = false;
    Qt::WindowFlags flags;
};

// Calls show (which blocks in exec) and, while the box is up, records it and closes it with its button.
template <typename Show>
SeenBox runAndClose(Show show) {
    SeenBox seen;
    testsupport::answerNextModal([&seen](QWidget* modal) {
        auto* box = qobject_cast<WarningDialog*>(modal);
        QVERIFY(box != nullptr);
        seen.geometry = box->geometry();
        seen.text = box->findChild<QLabel*>(u"m_labelWarnText"_s)->text();
        seen.hasIcon = !box->findChild<QLabel*>(u"m_labelWarnPicture"_s)->pixmap().isNull();
        seen.flags = box->windowFlags();
        box->findChild<QPushButton*>(u"m_btnClose"_s)->click();
    });
    show();
    return seen;
}

} // namespace

class TestWarningDialog : public QObject {
    Q_OBJECT

private slots:
    void iconByKind_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("icon");
        QTest::newRow("success") << 0 << true;
        QTest::newRow("information") << 1 << true;
        QTest::newRow("error") << 2 << true;
        QTest::newRow("unknown") << 3 << false;
        QTest::newRow("negative") << -1 << false;
    }
    void iconByKind() {
        QFETCH(int, kind);
        QFETCH(bool, icon);
        WarningDialog box(kind, u"text"_s, nullptr);
        const QPixmap pixmap = box.findChild<QLabel*>(u"m_labelWarnPicture"_s)->pixmap();
        QCOMPARE(!pixmap.isNull(), icon);
        if (icon) {
            // The stand-in icons are 64 x 48: the box squeezes them to 32 x 32, proportions or not.
            QCOMPARE(pixmap.size(), QSize(32, 32));
            const QImage expected(WarningDialog::largeIconPath(static_cast<WarningDialog::Kind>(kind)));
            QCOMPARE(pixmap.toImage().pixel(16, 16), expected.pixel(32, 24));
        }
        QCOMPARE(box.findChild<QLabel*>(u"m_labelWarnText"_s)->text(), u"text"_s);
        QCOMPARE(box.objectName(), u"WarningDialog"_s);
        QCOMPARE(box.size(), QSize(310, 120));
        QVERIFY(box.testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(box.parent() == nullptr);
    }

    void marking_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("withField");
        QTest::addColumn<bool>("withLabel");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("hintIcon");
        QTest::newRow("error marks") << 2 << true << true << "Error" << true;
        QTest::newRow("information marks") << 1 << true << true << "Tip" << true;
        QTest::newRow("success leaves alone") << 0 << true << true << "Normal" << false;
        QTest::newRow("error without label") << 2 << true << false << "Normal" << false;
        QTest::newRow("error without field") << 2 << false << true << "Normal" << false;
        QTest::newRow("unknown kind") << 7 << true << true << "Normal" << false;
    }
    void marking() {
        QFETCH(int, kind);
        QFETCH(bool, withField);
        QFETCH(bool, withLabel);
        QFETCH(QString, state);
        QFETCH(bool, hintIcon);
        QWidget page;
        auto* field = new MultiStateLineEdit(&page);
        auto* hint = new QLabel(&page);
        page.resize(400, 300);
        page.show();
        QSignalSpy spy(field, &MultiStateLineEdit::stateChanged);
        const SeenBox seen = runAndClose([&] {
            WarningDialog::showWarning(WarningDialog::centredOn(&page), kind, u"Please input the IP address."_s, &page,
                                       withField ? field : nullptr, withLabel ? hint : nullptr);
        });
        QCOMPARE(seen.text, u"Please input the IP address."_s);
        QCOMPARE(field->state(), state);
        QCOMPARE(spy.count(), state == u"Normal"_s ? 0 : 1);
        QCOMPARE(!hint->pixmap().isNull(), hintIcon);
    }

    void placedAndSizedByVariant_data() {
        QTest::addColumn<bool>("longVariant");
        QTest::addColumn<int>("height");
        QTest::newRow("short") << false << 120;
        QTest::newRow("long") << true << 160;
    }
    void placedAndSizedByVariant() {
        QFETCH(bool, longVariant);
        QFETCH(int, height);
        const QString text = u"The new password must be 8 to 16 characters long and combine at least two kinds of "
                             u"characters: digits, lower-case letters, upper-case letters and symbols."_s;
        QWidget caller;
        caller.setGeometry(100, 100, 500, 400);
        caller.show();
        QVERIFY(QTest::qWaitForWindowExposed(&caller));
        const QPoint at = WarningDialog::centredOn(&caller);
        QCOMPARE(at, caller.mapToGlobal(QPoint(0, 0)) + QPoint(250 - 155, 200 - 60));
        const SeenBox seen = runAndClose([&] {
            if (longVariant) {
                WarningDialog::showLongWarning(at, 2, text, &caller);
            } else {
                WarningDialog::showWarning(at, 2, text, &caller);
            }
        });
        QCOMPARE(seen.geometry.topLeft(), at);
        // The text wraps inside the box; it never widens it.
        QCOMPARE(seen.geometry.size(), QSize(310, height));
        QVERIFY(seen.hasIcon);
    }

    void onlyASuccessClosesItself_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("closes");
        QTest::newRow("success") << int(WarningDialog::Success) << true;
        QTest::newRow("information waits") << int(WarningDialog::Information) << false;
        QTest::newRow("error waits") << int(WarningDialog::Error) << false;
    }
    void onlyASuccessClosesItself() {
        QFETCH(int, kind);
        QFETCH(bool, closes);
        WarningDialog box(kind, u"Saved."_s, nullptr, 30);
        QSignalSpy closed(&box, &WarningDialog::signalWarnClose);
        QSignalSpy finished(&box, &QDialog::finished);
        box.show();
        if (closes)
            QTRY_VERIFY_WITH_TIMEOUT(!box.isVisible(), 1000);
        else
            QTest::qWait(300); // ten times its interval
        QCOMPARE(box.isVisible(), !closes);
        QCOMPARE(finished.count(), closes ? 1 : 0);
        // Only the close button reports signalWarnClose.
        QCOMPARE(closed.count(), 0);
    }

    void autoCloseTimerIsExact() {
        // A coarse timer would let the box vanish up to 100 ms before its two seconds are up.
        WarningDialog box(0, u"Saved."_s, nullptr);
        const QList<QAbstractEventDispatcher::TimerInfo> timers =
            QAbstractEventDispatcher::instance()->registeredTimers(&box);
        QCOMPARE(timers.size(), 1);
        QCOMPARE(timers.at(0).interval, WarningDialog::kAutoCloseMs);
        QCOMPARE(timers.at(0).timerType, Qt::PreciseTimer);
    }

    void closeButtonClosesAtOnce() {
        WarningDialog box(2, u"Failed."_s, nullptr);
        QSignalSpy closed(&box, &WarningDialog::signalWarnClose);
        box.show();
        box.findChild<QPushButton*>(u"m_btnClose"_s)->click();
        QVERIFY(!box.isVisible());
        QCOMPARE(closed.count(), 1);
    }

    void foreignTimersDoNotCloseIt() {
        WarningDialog box(2, u"Failed."_s, nullptr);
        box.show();
        QTimerEvent foreign(box.startTimer(1000) + 1000);
        QApplication::sendEvent(&box, &foreign);
        QVERIFY(box.isVisible());
    }
};

QTEST_MAIN(TestWarningDialog)
#include "tst_warningdialog.moc"
