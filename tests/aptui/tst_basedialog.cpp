#include <memory>

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "aptui/BaseDialog.h"
#include "aptui/BaseTitle.h"
#include "aptui/HintBox.h"
#include "aptui/TipDialog.h"
#include "support/ModalAnswer.h"

using namespace Qt::StringLiterals;

using aptui::BaseDialog;

namespace {

QToolButton* titleButton(const QWidget* dialog, const char* name) {
    return dialog->findChild<QToolButton*>(QString::fromLatin1(name));
}

QPushButton* bottomButton(const QWidget* dialog, const char* name) {
    return dialog->findChild<QPushButton*>(QString::fromLatin1(name));
}

// Runs exec() on dialog and, once it is up, clicks the named button inside it.
int execAndClick(QDialog& dialog, const char* buttonName) {
    testsupport::clickInNextModal(QString::fromLatin1(buttonName));
    return dialog.exec();
}

} // namespace

class TestBaseDialog : public QObject {
    Q_OBJECT

private slots:
    void titleFlagsHideAndDisable_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("asFlags");
        const char* const names[] = {"btnApp", "btnOption", "btnMin", "btnMax", "btnClose", "btnConfirm", "btnCancel"};
        for (int i = 0; i < 7; ++i) {
            for (const bool asFlags : {false, true}) {
                QTest::addRow("%s%s", names[i], asFlags ? " (flags)" : "")
                    << i << QString::fromLatin1(names[i]) << asFlags;
            }
        }
    }
    void titleFlagsHideAndDisable() {
        QFETCH(int, which);
        QFETCH(QString, button);
        QFETCH(bool, asFlags);
        bool flags[7] = {true, true, true, true, true, true, true};
        flags[which] = false;
        // Both constructors: the list of seven switches and the flags type, bit n standing for switch n.
        std::unique_ptr<BaseDialog> made =
            asFlags
                ? std::make_unique<BaseDialog>(BaseDialog::Buttons::fromInt(0x7F & ~(1 << which)))
                : std::make_unique<BaseDialog>(flags[0], flags[1], flags[2], flags[3], flags[4], flags[5], flags[6]);
        BaseDialog& dialog = *made;
        dialog.show();
        auto* b = dialog.findChild<QAbstractButton*>(button);
        QVERIFY(b != nullptr);
        QVERIFY(!b->isVisible());
        QVERIFY(!b->isEnabled());
        // The others stay reachable.
        for (const char* other : {"btnApp", "btnOption", "btnMin", "btnMax", "btnClose", "btnConfirm", "btnCancel"}) {
            if (button != QLatin1String(other)) {
                QVERIFY(dialog.findChild<QAbstractButton*>(QString::fromLatin1(other))->isEnabled());
            }
        }
    }

    void titleDoubleClickMaximizesOnlyWithMaxButton_data() {
        QTest::addColumn<int>("form");
        QTest::addColumn<bool>("maximizes");
        QTest::newRow("dialog with max button") << 0 << true;
        QTest::newRow("dialog without max button") << 1 << false;
        QTest::newRow("max button hidden later") << 2 << false;
        QTest::newRow("hint message") << 3 << false;
        QTest::newRow("hint question") << 4 << false;
    }
    void titleDoubleClickMaximizesOnlyWithMaxButton() {
        QFETCH(int, form);
        QFETCH(bool, maximizes);
        std::unique_ptr<BaseDialog> dialog;
        if (form == 3 || form == 4) {
            dialog = std::make_unique<aptui::HintBox>(u"Question"_s,
                                                      form == 4 ? aptui::HintBox::Question : aptui::HintBox::Message);
        } else {
            dialog = std::make_unique<BaseDialog>(true, true, true, form != 1, true, true, true);
            if (form == 2) {
                dialog->titleBar()->setMaxButtonShow(false);
            }
        }
        dialog->resize(350, 220);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        const QSize before = dialog->size();
        QTest::mouseDClick(dialog->titleBar(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 10));
        QTRY_COMPARE(dialog->isMaximized(), maximizes);
        if (!maximizes) {
            QCOMPARE(dialog->size(), before);
        }
    }

    void formCarriesTheStyledNames() {
        BaseDialog dialog(true, true, true, true, true, true, true);
        QCOMPARE(dialog.objectName(), u"BaseDialog"_s);
        QCOMPARE(dialog.windowTitle(), u"BaseDialog"_s);
        QCOMPARE(dialog.size(), QSize(400, 475));
        QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
        for (const char* name : {"mainBorder", "m_BaseDialogBottom", "m_labelNULL", "BaseTitle"}) {
            QVERIFY2(dialog.findChild<QWidget*>(QString::fromLatin1(name)) != nullptr, name);
        }
        QCOMPARE(dialog.findChild<QLabel*>(u"m_labelNULL"_s)->text(), u"null content"_s);
        QCOMPARE(bottomButton(&dialog, "btnConfirm")->text(), u"Confirm"_s);
        QCOMPARE(bottomButton(&dialog, "btnCancel")->text(), u"Cancel"_s);
        dialog.setTitle(u"Export"_s);
        QCOMPARE(dialog.windowTitle(), u"Export"_s);
        QCOMPARE(dialog.titleBar()->title(), u"Export"_s);
    }

    void dialogWithParentStaysAWindow() {
        QWidget owner;
        BaseDialog dialog(false, false, false, false, true, true, true, &owner);
        QVERIFY(dialog.isWindow());
        QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    }

    void defaultConnectionsAreNeverDoubled() {
        BaseDialog dialog(false, false, true, true, true, true, true);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (int call = 0; call < 2; ++call) {
            dialog.setEnableDefaultConnections(true, true, true, true, true);
            // A doubled connection would maximize and restore again within one click.
            titleButton(&dialog, "btnMax")->click();
            QTRY_VERIFY(dialog.isMaximized());
            titleButton(&dialog, "btnMax")->click();
            QTRY_VERIFY(!dialog.isMaximized());
        }

        QSignalSpy finished(&dialog, &QDialog::finished);
        titleButton(&dialog, "btnClose")->click();
        QCOMPARE(finished.count(), 1);
        QVERIFY(!dialog.isVisible());
    }

    void switchedOffReactionsOnlySignal() {
        BaseDialog dialog(false, false, true, true, true, true, true);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.setEnableDefaultConnections(false, false, false, false, false);
        QSignalSpy maxSpy(&dialog, &BaseDialog::signalMaxButtonClicked);
        QSignalSpy closeSpy(&dialog, &BaseDialog::signalCloseButtonClicked);
        QSignalSpy cancelSpy(&dialog, &BaseDialog::signalCancelButtonClicked);
        titleButton(&dialog, "btnMax")->click();
        titleButton(&dialog, "btnClose")->click();
        bottomButton(&dialog, "btnCancel")->click();
        QCOMPARE(maxSpy.count(), 1);
        QCOMPARE(closeSpy.count(), 1);
        QCOMPARE(cancelSpy.count(), 1);
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.isMaximized());

        // And on again: one connection, not none.
        dialog.setEnableDefaultConnections(true, true, true, true, true);
        titleButton(&dialog, "btnClose")->click();
        QVERIFY(!dialog.isVisible());
    }

    void confirmThatDoesNotAccept() {
        BaseDialog dialog(false, false, false, false, true, true, true);
        dialog.setEnableConfirm(false);
        QSignalSpy confirmSpy(&dialog, &BaseDialog::signalConfirmButtonClicked);
        dialog.show();
        bottomButton(&dialog, "btnConfirm")->click();
        QCOMPARE(confirmSpy.count(), 1);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void execResults_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::newRow("confirm") << "btnConfirm" << int(QDialog::Accepted);
        QTest::newRow("cancel") << "btnCancel" << int(QDialog::Rejected);
        QTest::newRow("title close") << "btnClose" << int(QDialog::Rejected);
    }
    void execResults() {
        QFETCH(QString, button);
        QFETCH(int, result);
        BaseDialog dialog(false, false, false, false, true, true, true);
        QSignalSpy confirmSpy(&dialog, &BaseDialog::signalConfirmButtonClicked);
        QCOMPARE(execAndClick(dialog, button.toLatin1().constData()), result);
        QCOMPARE(confirmSpy.count(), button == u"btnConfirm"_s ? 1 : 0);
    }

    void defaultTextTemplates_data() {
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("bold") << true << "Text"
                              << "<html><head/><body><p align=\"center\"><span style=\" font-size:12pt; "
                                 "font-weight:600;\">Text</span></p></body></html>";
        QTest::newRow("plain") << false << "Text"
                               << "<html><head/><body><p align=\"center\"><span style=\" "
                                  "font-size:12pt;\">Text</span></p></body></html>";
        QTest::newRow("percent signs kept") << false << "50%2 %1"
                                            << "<html><head/><body><p align=\"center\"><span style=\" "
                                               "font-size:12pt;\">50%2 %1</span></p></body></html>";
    }
    void defaultTextTemplates() {
        QFETCH(bool, bold);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        BaseDialog dialog(false, false, false, false, true, true, true);
        if (bold) {
            dialog.setDefaultText(text, 12, true);
        } else {
            dialog.setDefaultText(text, 12);
        }
        QCOMPARE(dialog.findChild<QLabel*>(u"m_labelNULL"_s)->text(), expected);
        // A plain message afterwards is laid out as plain text again: two lines, not one rich-text line.
        const QString plain = u"first line\nsecond line"_s;
        dialog.setDefaultText(plain);
        QCOMPARE(dialog.findChild<QLabel*>(u"m_labelNULL"_s)->text(), plain);
        BaseDialog fresh(false, false, false, false, true, true, true);
        fresh.setDefaultText(plain);
        QCOMPARE(dialog.findChild<QLabel*>(u"m_labelNULL"_s)->sizeHint(),
                 fresh.findChild<QLabel*>(u"m_labelNULL"_s)->sizeHint());
    }

    void contentWidgetThenDefaultTextIsHarmless() {
        BaseDialog dialog(false, false, false, false, true, true, true);
        auto* content = new QLabel(u"mine"_s);
        content->setObjectName("content");
        dialog.setContentWidget(content);
        QVERIFY(dialog.findChild<QLabel*>(u"m_labelNULL"_s) == nullptr);
        dialog.setDefaultText(u"a"_s);
        dialog.setDefaultText(u"b"_s, 10);
        dialog.setDefaultText(u"c"_s, 10, true);
        QCOMPARE(content->text(), u"mine"_s);
        QVERIFY(dialog.findChild<QWidget*>(u"mainBorder"_s)->isAncestorOf(content));

        // A second content widget replaces the first; the first stays alive but out of sight.
        auto* second = new QLabel(u"second"_s);
        dialog.setContentWidget(second);
        dialog.show();
        QVERIFY(second->isVisible());
        QVERIFY(!content->isVisible());
        // Setting the current content again keeps it in sight.
        dialog.setContentWidget(second);
        QVERIFY(second->isVisible());
    }

    void hintBoxForms_data() {
        QTest::addColumn<bool>("question");
        QTest::newRow("message") << false;
        QTest::newRow("question") << true;
    }
    void hintBoxForms() {
        QFETCH(bool, question);
        aptui::HintBox box(u"VEXA is already running."_s,
                           question ? aptui::HintBox::Question : aptui::HintBox::Message);
        box.setFixedSize(400, 256);
        box.show();
        QCOMPARE(box.objectName(), u"APP_WARNINGDLG"_s);
        QCOMPARE(box.windowTitle(), u"Hint"_s);
        QCOMPARE(box.findChild<QLabel*>(u"m_labelNULL"_s)->text(), u"VEXA is already running."_s);
        QCOMPARE(box.findChild<QWidget*>(u"m_BaseDialogBottom"_s)->isVisible(), question);
        QCOMPARE(bottomButton(&box, "btnConfirm")->isVisible(), question);
        QVERIFY(titleButton(&box, "btnClose")->isVisible());
        for (const char* hidden : {"btnApp", "btnOption", "btnMin", "btnMax"}) {
            QVERIFY(!titleButton(&box, hidden)->isVisible());
        }
        box.hide();
        QCOMPARE(execAndClick(box, "btnClose"), int(QDialog::Rejected));
        if (question) {
            QCOMPARE(execAndClick(box, "btnConfirm"), int(QDialog::Accepted));
        }
    }

    void tipDialogResult_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::newRow("confirm is yes") << "btnConfirm" << int(QDialog::Accepted);
        QTest::newRow("cancel is no") << "btnCancel" << int(QDialog::Rejected);
        QTest::newRow("close is no") << "btnClose" << int(QDialog::Rejected);
    }
    void tipDialogResult() {
        QFETCH(QString, button);
        QFETCH(int, result);
        VexaTool::TipDialog dialog;
        dialog.resize(350, 220);
        dialog.setTitle(u"Exit"_s);
        dialog.setTipText(u"Exit the VEXA software?"_s);
        QVERIFY(dialog.findChild<QWidget*>(u"TipDialog"_s) != nullptr);
        QVERIFY(dialog.findChild<QLabel*>(u"m_labelNULL"_s) == nullptr);
        QCOMPARE(dialog.findChild<QLabel*>(u"m_labelTip"_s)->text(), u"Exit the VEXA software?"_s);
        QCOMPARE(execAndClick(dialog, button.toLatin1().constData()), result);
        // Asked a second time, it answers afresh.
        QCOMPARE(execAndClick(dialog, "btnConfirm"), int(QDialog::Accepted));
    }

    // While a call is under way nothing may close the dialog or start a second call; afterwards all comes back.
    void busyCoverHoldsTheDialogAndGivesItBack_data() {
        QTest::addColumn<QString>("closer");
        QTest::newRow("cancel") << "btnCancel";
        QTest::newRow("title close") << "btnClose";
        QTest::newRow("escape") << "escape";
    }
    void busyCoverHoldsTheDialogAndGivesItBack() {
        QFETCH(QString, closer);
        BaseDialog dialog(false, false, false, false, true, true, true);
        auto* content = new QWidget(&dialog);
        auto* progress = new QWidget(content);
        progress->hide();
        dialog.setContentWidget(content);
        QSignalSpy confirmSpy(&dialog, &BaseDialog::signalConfirmButtonClicked);
        dialog.show();
        const auto close = [&] {
            if (closer == u"escape"_s)
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else if (closer == u"btnClose"_s)
                titleButton(&dialog, "btnClose")->click();
            else
                bottomButton(&dialog, "btnCancel")->click();
        };
        dialog.showBusy(true, progress);
        QVERIFY(dialog.isBusy());
        QVERIFY(!content->isEnabled());
        QVERIFY(progress->isVisible());
        QCOMPARE(dialog.cursor().shape(), Qt::BusyCursor);
        bottomButton(&dialog, "btnConfirm")->click();
        QCOMPARE(confirmSpy.count(), 0);
        close();
        QVERIFY(dialog.isVisible());

        dialog.showBusy(false, progress);
        QVERIFY(!dialog.isBusy());
        QVERIFY(content->isEnabled());
        QVERIFY(!progress->isVisible());
        QVERIFY(bottomButton(&dialog, "btnConfirm")->isEnabled());
        close();
        QVERIFY(!dialog.isVisible());
    }
};

QTEST_MAIN(TestBaseDialog)
#include "tst_basedialog.moc"
