#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "app/VEXAToolMainPage.h"
#include "aptui/BaseDialog.h"
#include "aptui/BaseTitle.h"
#include "aptui/CoverWidget.h"
#include "aptui/HintBox.h"
#include "aptui/Menu.h"
#include "aptui/PinButton.h"
#include "aptui/TipDialog.h"
#include "aptui/WindowTitle.h"
#include "config/ConfigureManager.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/DeviceStore.h"
#include "discovery/OnvifLogin.h"
#include "discovery/VexaHandler.h"
#include "modify/DeviceModifyPage.h"
#include "preview/InventoryDialog.h"
#include "scan/ScanRangesDialog.h"
#include "signin/SignInDialog.h"
#include "support/FakeLibrary.h"
#include "support/SetupFile.h"

using VexaTool::VEXAToolMainPage;

namespace {

// Runs action on the next modal dialog once it is open, and remembers what it saw.
struct ModalAnswer {
    QString text;
    QString title;
    QString objectName;
    QString className;
    bool windowCovered = false;
};

QTimer* answerNextModal(ModalAnswer* seen, const VEXAToolMainPage* window, bool accept) {
    // Polls, since a dialog may open later than the next event (a shortcut clicks its button on a timer).
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, seen, window, accept] {
        auto* dialog = qobject_cast<aptui::BaseDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        seen->objectName = dialog->objectName();
        seen->className = QString::fromLatin1(dialog->metaObject()->className());
        seen->title = dialog->titleBar()->title();
        if (auto* tip = qobject_cast<VexaTool::TipDialog*>(dialog)) {
            seen->text = tip->tipText();
        } else if (auto* hint = qobject_cast<aptui::HintBox*>(dialog)) {
            seen->text = hint->text();
        }
        if (window != nullptr) {
            auto* cover = window->findChild<aptui::CoverWidget*>();
            seen->windowCovered = window->isCovering() && cover != nullptr && cover->isVisible();
        }
        accept ? dialog->accept() : dialog->reject();
    });
    poll->start();
    return poll;
}

QWidget* modifyPage(const VEXAToolMainPage& window) {
    return window.findChild<QWidget*>(QStringLiteral("DeviceModifyPage"));
}

} // namespace

class TestVexaToolMainPage : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    void setConfiguration(const QByteArray& items) {
        QVERIFY(apt::ConfigureManager::GetInstance()->load(testsupport::writeSetup(m_dir.path(), items)));
    }

    // A window of the given size, shown, with the pin placed as the program does after showing it.
    std::unique_ptr<VEXAToolMainPage> shownWindow(QSize size) {
        auto window = std::make_unique<VEXAToolMainPage>();
        window->resize(size);
        window->show();
        window->onMovePinButtion();
        return window;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        fakelib::install();
    }

    void init() {
        VEXA::VexaHandler::instance()->stop();
        fakelib::reset();
        // Each activation takes a while, so that a batch is still sending when the window is closed.
        fakelib::delayMs = 150;
        fakelib::state().configOk = false; // the recovery dialogs meet a library that was never started
        fakelib::state().failCode = VEXA_ERR_NOT_STARTED;
        qunsetenv("VEXA_TRUSTED_KEYS");
        setConfiguration("<Translator><Value>0</Value></Translator>");
    }

    void discoveryStart_data() {
        QTest::addColumn<QByteArray>("filter");
        QTest::addColumn<int>("startResult");
        QTest::addColumn<int>("expectedFilter");
        QTest::newRow("starts, all devices") << QByteArray("0") << 1 << 0;
        QTest::newRow("starts, video only") << QByteArray("1") << 1 << 1;
        QTest::newRow("filter not a number") << QByteArray("yes") << 1 << 0;
        QTest::newRow("fails") << QByteArray("1") << 0 << 1;
    }
    void discoveryStart() {
        QFETCH(QByteArray, filter);
        QFETCH(int, startResult);
        QFETCH(int, expectedFilter);
        setConfiguration("<Filter><Value>" + filter + "</Value></Filter>");
        fakelib::state().startResult = startResult;
        ModalAnswer seen;
        if (startResult == 0) {
            answerNextModal(&seen, nullptr, false);
        }
        VEXAToolMainPage window;
        QCOMPARE(fakelib::snapshot().starts, 1);
        QCOMPARE(fakelib::snapshot().lastFilter, expectedFilter);
        QCOMPARE(VEXA::VexaHandler::instance()->isStarted(), startResult == 1);
        QCOMPARE(seen.text, startResult == 1 ? QString() : QStringLiteral("Initialization failed."));
        // The program goes on: the window is whole and can be shown either way.
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.findChild<aptui::WindowTitle*>());
        QVERIFY(modifyPage(window));
        QCOMPARE(window.windowTitle(), QStringLiteral("VEXA Tool"));
        QVERIFY(window.windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(QMetaType::fromName("VEXA_DEVICE_MY_INFO").isValid());
        QVERIFY(QMetaType::fromName("DeviceInfo").isValid());
    }

    void layout() {
        auto window = shownWindow(QSize(1417, 768));
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto* title = window->findChild<aptui::WindowTitle*>();
        QWidget* list = window->findChild<QWidget*>(QStringLiteral("DeviceDisplayPage"));
        QWidget* modify = modifyPage(*window);
        QVERIFY(title && list && modify);
        QCOMPARE(title->title(), QStringLiteral("VEXA Tool"));
        // The one-pixel frame of the central layout, the title on top, the list left, the modify page right.
        QCOMPARE(title->mapTo(window.get(), QPoint(0, 0)), QPoint(1, 1));
        QCOMPARE(title->width(), 1417 - 2);
        QCOMPARE(modify->width(), 370);
        QCOMPARE(modify->mapTo(window.get(), QPoint(0, 0)), QPoint(1417 - 1 - 370, 1 + 35));
        QCOMPARE(list->mapTo(window.get(), QPoint(0, 0)), QPoint(1, 1 + 35));
        QCOMPARE(list->width(), 1417 - 2 - 370);
        QCOMPARE(modify->height(), 768 - 2 - 35);
    }

    void pinButton_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("pinY");
        QTest::newRow("768 high") << QSize(1417, 768) << 210;
        QTest::newRow("680 high") << QSize(1280, 680) << 184;
        QTest::newRow("1000 high") << QSize(1500, 1000) << 280;
    }
    void pinButton() {
        QFETCH(QSize, size);
        QFETCH(int, pinY);
        auto window = shownWindow(size);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto* pin = window->findChild<aptui::PinButton*>();
        QWidget* border = window->findChild<QWidget*>(QStringLiteral("m_PinBorder"));
        QWidget* spacer = window->findChild<QWidget*>(QStringLiteral("m_rightSpace"));
        QWidget* modify = modifyPage(*window);
        QVERIFY(pin && border && spacer && modify);
        const int w = size.width();
        const int h = size.height();
        QCOMPARE(pin->size(), QSize(20, 80));
        QCOMPARE(border->size(), QSize(20, h - 35));
        QVERIFY(border->testAttribute(Qt::WA_TransparentForMouseEvents));

        struct State {
            bool modifyVisible;
            int pinX;
            int borderX;
            const char* name;
        };
        const State open{true, w - 20 - 370 + 1, w - 20 - 370 + 1, "m_pUnSpreadButton"};
        const State folded{false, w - 20 - 11, w - 20 - 11, "m_pSpreadButton"};
        // After showing, then after each of two clicks.
        for (const State& expected : {open, folded, open}) {
            QCOMPARE(modify->isVisible(), expected.modifyVisible);
            QCOMPARE(pin->pos(), QPoint(expected.pinX, pinY));
            QCOMPARE(border->pos(), QPoint(expected.borderX, 35));
            QCOMPARE(pin->objectName(), QLatin1String(expected.name));
            // The 10-pixel strip stands in for the folded page.
            QCOMPARE(spacer->isVisible(), !expected.modifyVisible);
            QTest::mouseClick(pin, Qt::LeftButton);
        }
        QVERIFY(pin->geometry().intersects(window->rect()));
    }

    void cover() {
        auto window = shownWindow(QSize(1024, 700));
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto* cover = window->findChild<aptui::CoverWidget*>();
        QVERIFY(cover);
        QVERIFY(!cover->isVisible());
        QVERIFY(!window->isCovering());
        window->enableCover();
        QVERIFY(window->isCovering());
        QVERIFY(cover->isVisible());
        QCOMPARE(cover->geometry(), window->rect());
        // Above everything, the pin button included.
        QCOMPARE(window->childAt(window->findChild<aptui::PinButton*>()->geometry().center())->window(), window.get());
        QVERIFY(cover->isAncestorOf(window->childAt(window->rect().center())) ||
                window->childAt(window->rect().center()) == cover);
        // Wider than the window's least width (the list's row of buttons and the picture pane beside the table).
        window->resize(1320, 760);
        QCOMPARE(cover->geometry(), QRect(0, 0, 1320, 760));
        window->disableCover();
        QVERIFY(!window->isCovering());
        QVERIFY(!cover->isVisible());
        window->setCover(true);
        QVERIFY(window->isCovering());
        window->setCover(false);
        QVERIFY(!cover->isVisible());
    }

    void trustedKeys_data() {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<uint>("trusted");
        QTest::addColumn<uint>("rejected");
        QTest::addColumn<bool>("warned");
        QTest::addColumn<QString>("logged");
        QTest::newRow("valid key") << QByteArray("ab12") << 1u << 0u << false << QString();
        QTest::newRow("no variable, no key") << QByteArray() << 0u << 0u << false << QString();
        QTest::newRow("blank variable") << QByteArray(" ,; ") << 0u << 0u << false << QString();
        QTest::newRow("only malformed") << QByteArray("nonsense,zz") << 0u << 2u << true
                                        << QStringLiteral(
                                               "[Tool]VEXA_TRUSTED_KEYS holds no valid key (2 entries ignored)");
        QTest::newRow("one good, one malformed")
            << QByteArray("ab12,zz") << 1u << 1u << false
            << QStringLiteral("[Tool]VEXA_TRUSTED_KEYS: 1 entries ignored, 1 keys trusted");
    }
    void trustedKeys() {
        QFETCH(QByteArray, variable);
        QFETCH(uint, trusted);
        QFETCH(uint, rejected);
        QFETCH(bool, warned);
        QFETCH(QString, logged);
        if (!variable.isNull())
            qputenv("VEXA_TRUSTED_KEYS", variable);
        fakelib::state().trustedKeys = trusted;
        fakelib::state().rejectedKeys = rejected;
        if (!logged.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, qUtf8Printable(logged));
        ModalAnswer seen;
        QPointer<QTimer> poll = answerNextModal(&seen, nullptr, true);
        {
            VEXAToolMainPage window;
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
        }
        QTest::qWait(50);
        QCOMPARE(seen.text.startsWith(QLatin1String("VEXA_TRUSTED_KEYS holds no valid key")), warned);
        if (!warned) {
            // Nothing came: the pending answer must not take a later test's box.
            QVERIFY(poll);
            poll->stop();
            poll->deleteLater();
        }
        qunsetenv("VEXA_TRUSTED_KEYS");
        // Only this start is checked: a start that fails says so and no more.
        QVERIFY(VEXA::VexaHandler::instance()->isStarted());
    }

    void pagesFollowTheHandler() {
        auto window = shownWindow(QSize(1417, 768));
        VexaTool::DeviceInfoModel* model = window->listPage()->model();
        VEXA_DEVICE_MY_INFO record;
        std::memset(&record, 0, sizeof record);
        setRecordText(record.serialNo, "VX0001");
        setRecordText(record.mac, "aa-bb-cc-00-00-01");
        setRecordText(record.ipv4Address, "10.0.0.5");
        record.recordValid = 1;
        // Sent from another thread, as the library does: the rows change on the window's thread.
        std::thread([&record] { emit VEXA::VexaHandler::instance()->signalDeviceOnline(record); }).join();
        QTRY_COMPARE(model->rowCount(), 1);
        setRecordText(record.ipv4Address, "10.0.0.6");
        std::thread([&record] { emit VEXA::VexaHandler::instance()->signalDeviceUpdate(record); }).join();
        QTRY_VERIFY(!model
                         ->findItems(QStringLiteral("10.0.0.6"), Qt::MatchExactly,
                                     model->columnOf(VexaTool::DeviceInfoModel::KindIpv4Address))
                         .isEmpty());
        std::thread([&record] { emit VEXA::VexaHandler::instance()->signalDeviceOffline(record); }).join();
        QTRY_COMPARE(model->rowCount(), 0);
    }

    void selectionReachesTheModifyPage() {
        auto window = shownWindow(QSize(1417, 768));
        DeviceInfo entry;
        entry.serialNo = QStringLiteral("VX0001");
        entry.mac = QStringLiteral("aa-bb-cc-00-00-01");
        emit window->listPage()->signalCurrentSelectionModelChange(MODIFY_SINGLE, {entry});
        // Direct: no event loop turn between the list's report and the modify page's state.
        QCOMPARE(window->modifyPage()->entries(), QVector<DeviceInfo>{entry});
    }

    void pageDialogsCoverTheWindow_data() {
        QTest::addColumn<QString>("dialog");
        QTest::newRow("export") << QStringLiteral("export");
        QTest::newRow("restore password") << QStringLiteral("restore");
    }
    void pageDialogsCoverTheWindow() {
        QFETCH(QString, dialog);
        auto window = shownWindow(QSize(1417, 768));
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        ModalAnswer seen;
        answerNextModal(&seen, window.get(), false);
        if (dialog == QLatin1String("export")) {
            // The button waits for a device; the dialog itself does not.
            window->listPage()->onSaveDeviceInfoToExcel();
            QCOMPARE(seen.className, QStringLiteral("VexaTool::DevicesInfoSavePage"));
        } else {
            DeviceInfo entry;
            entry.serialNo = QStringLiteral("VX0001");
            entry.mac = QStringLiteral("aa-bb-cc-00-00-01");
            emit window->listPage()->signalCurrentSelectionModelChange(MODIFY_SINGLE, {entry});
            // Not in the store: an empty record announces no key reset, so the security code dialog opens.
            QTest::mouseClick(window->modifyPage()->findChild<QPushButton*>(QStringLiteral("m_btnLostPassword")),
                              Qt::LeftButton);
            QCOMPARE(seen.className, QStringLiteral("VexaTool::RestorePasswordDialog"));
        }
        QVERIFY(seen.windowCovered);
        QVERIFY(!window->isCovering());
        QVERIFY(!window->findChild<aptui::CoverWidget*>()->isVisible());
    }

    void exitQuestion_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("yes");
        QTest::newRow("close, no") << "close" << false;
        QTest::newRow("close, yes") << "close" << true;
        QTest::newRow("close button, no") << "button" << false;
        QTest::newRow("Alt+F4, no") << "alt-f4" << false;
    }
    void exitQuestion() {
        QFETCH(QString, how);
        QFETCH(bool, yes);
        auto window = shownWindow(QSize(1024, 700));
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        ModalAnswer seen;
        answerNextModal(&seen, window.get(), yes);
        if (how == QLatin1String("close")) {
            window->close();
        } else if (how == QLatin1String("button")) {
            QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("m_btnClose")), Qt::LeftButton);
        } else {
            QTest::keyClick(window->windowHandle(), Qt::Key_F4, Qt::AltModifier);
        }
        QTRY_VERIFY(!seen.text.isEmpty());
        QCOMPARE(seen.text, QStringLiteral("Exit the VEXA software?"));
        QCOMPARE(seen.title, QStringLiteral("Exit"));
        QVERIFY(seen.windowCovered);
        QCOMPARE(window->isVisible(), !yes);
        // Declined: uncovered and running. Accepted: the program ends under its cover.
        QCOMPARE(window->isCovering(), yes);
    }

    // The window manager's close button is not under the batch's cover: closing must not abandon the devices
    // not yet sent without results.
    void closingDuringABatchStopsItAndShowsTheResults() {
        auto window = shownWindow(QSize(1417, 768));
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        auto* page = window->modifyPage();
        page->setTaskThreads(1);
        QVector<DeviceInfo> entries;
        for (int i = 0; i < 8; ++i) {
            VEXA_DEVICE_MY_INFO record;
            std::memset(&record, 0, sizeof record);
            const QString serial = QStringLiteral("VXCLOSE%1").arg(i);
            const QString mac = QStringLiteral("02-56-00-77-00-%1").arg(i, 2, 10, QLatin1Char('0'));
            setRecordText(record.serialNo, serial.toLatin1());
            setRecordText(record.mac, mac.toLatin1());
            setRecordText(record.ipv4Address, QByteArray("192.168.7.") + QByteArray::number(10 + i));
            record.activationState = 1;
            record.recordValid = 1;
            VEXA::DeviceStore::instance()->add(record);
            entries.append(DeviceInfo{QString::number(i + 1), QString(), recordText(record.ipv4Address), serial, mac,
                                      QStringLiteral("0")});
        }
        fakelib::activations = 0;
        page->onCurrentSelectionChange(ACTIVE_BATCH, entries);
        for (const char* name : {"m_lineEditNewPassword", "m_lineEditConfirmPassword"})
            page->findChild<QLineEdit*>(QString::fromLatin1(name))->setText(QStringLiteral("Abcd-1234"));
        page->findChild<QPushButton*>(QStringLiteral("m_btnActive"))->click();
        QTRY_VERIFY(window->isBatchRunning());

        ModalAnswer question;
        answerNextModal(&question, window.get(), true);
        window->close();
        QVERIFY(question.text.startsWith(QStringLiteral("A batch is sending to devices.")));
        // Stopped, but the window waits for the results page.
        QVERIFY(window->isVisible());
        ModalAnswer results;
        answerNextModal(&results, nullptr, true);
        QTRY_COMPARE(results.className, QStringLiteral("VexaTool::DeviceModifyResultPage"));
        QTRY_VERIFY(!window->isVisible());
        QVERIFY(fakelib::activations < 8);
        VEXA::DeviceStore::instance()->clear();
    }

    void keyPressesAreDropped_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Escape") << int(Qt::Key_Escape);
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Menu") << int(Qt::Key_Menu);
    }
    void keyPressesAreDropped() {
        QFETCH(int, key);
        auto window = shownWindow(QSize(1024, 700));
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &press);
        // Taken and dropped, not passed on as the base class would.
        QVERIFY(press.isAccepted());
        QVERIFY(window->isVisible());
        QVERIFY(!window->isCovering());
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    void titleDoubleClick() {
        auto window = shownWindow(QSize(1024, 700));
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto* title = window->findChild<aptui::WindowTitle*>();
        QTest::mouseDClick(title, Qt::LeftButton, {}, QPoint(300, 15));
        QVERIFY(window->isMaximized());
        QVERIFY(title->findChild<QToolButton*>(QStringLiteral("m_btnResore")));
        // The pin follows the new size.
        QTRY_COMPARE(window->findChild<aptui::PinButton*>()->x(), window->width() - 20 - 370 + 1);
        QTest::mouseDClick(title, Qt::LeftButton, {}, QPoint(300, 15));
        QVERIFY(!window->isMaximized());
        QVERIFY(title->findChild<QToolButton*>(QStringLiteral("m_btnMaximize")));
    }

    void systemMenu() {
        // Small enough that the menu fits the test screen and is not pushed back onto it.
        auto window = shownWindow(QSize(700, 500));
        // The pages' minimum widths make the window wider than asked: keep its right edge, where the menu
        // opens, inside the screen.
        window->move(window->screen()->availableGeometry().right() - window->width() - 20, 30);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto* menu = window->findChild<aptui::Menu*>(QStringLiteral("aboutMenu"));
        QVERIFY(menu);
        QVERIFY(menu->windowFlags().testFlag(Qt::Popup));
        QCOMPARE(menu->focusPolicy(), Qt::NoFocus);
        QCOMPARE(menu->actions().size(), 4);
        QCOMPARE(menu->actions().at(0), window->signInAction());
        QCOMPARE(window->signInAction()->text(), QStringLiteral("Sign in to ONVIF devices…"));
        QCOMPARE(menu->actions().at(1), window->scanAddressesAction());
        QCOMPARE(window->scanAddressesAction()->objectName(), QStringLiteral("m_actionScanAddresses"));
        QCOMPARE(window->scanAddressesAction()->text(), QStringLiteral("Scan addresses…"));
        QCOMPARE(menu->actions().at(2), window->exportInventoryAction());
        QCOMPARE(window->exportInventoryAction()->objectName(), QStringLiteral("m_actionExportInventory"));
        window->exportInventoryAction()->trigger();
        QPointer<VexaTool::InventoryDialog> inventory = window->findChild<VexaTool::InventoryDialog*>();
        QVERIFY(inventory && inventory->isVisible());
        inventory->close();
        QTRY_VERIFY(!inventory);
        QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("m_btnSystemMenu")), Qt::LeftButton);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), QPoint(window->x() + window->width() - 326, window->y() + 20));
        auto* name = menu->findChild<QLabel*>(QStringLiteral("m_labNameValue"));
        QVERIFY(name && name->isVisible());
        QCOMPARE(name->text(), QStringLiteral("Name: VEXA"));
        menu->close();

        // The menu and the button above the list open the one scan dialog, beside the list rather than over it.
        QVERIFY(!window->scanDialog());
        window->scanAddressesAction()->trigger();
        QVERIFY(window->scanDialog() && window->scanDialog()->isVisible());
        QVERIFY(!window->scanDialog()->isModal());
        QPointer<VexaTool::ScanRangesDialog> opened = window->scanDialog();
        opened->close();
        window->listPage()->scanAddressesButton()->click();
        QCOMPARE(window->scanDialog(), opened.data());
        QVERIFY(opened->isVisible());
    }

    void signInFromTheMenuAndTheListUnderTheCover_data() {
        QTest::addColumn<bool>("fromMenu");
        QTest::newRow("menu") << true;
        QTest::newRow("button above the list") << false;
    }

    void signInFromTheMenuAndTheListUnderTheCover() {
        QFETCH(bool, fromMenu);
        VEXA::OnvifLogin::instance().clear();
        auto window = shownWindow(QSize(1024, 700));
        bool covered = false;
        QTimer::singleShot(0, window.get(), [&covered, w = window.get()] {
            auto* dialog = qobject_cast<VexaTool::SignInDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            covered = w->isCovering();
            dialog->passwordEdit()->setText(QStringLiteral("Camera-2024"));
            dialog->signInButton()->click();
        });
        if (fromMenu)
            window->signInAction()->trigger();
        else
            window->listPage()->signInButton()->click();
        QVERIFY(covered);
        QVERIFY(!window->isCovering());
        QCOMPARE(VEXA::OnvifLogin::instance().user(), QStringLiteral("admin"));
        QCOMPARE(VEXA::OnvifLogin::instance().password(), QStringLiteral("Camera-2024"));
        VEXA::OnvifLogin::instance().clear();
    }

    void helpCoversTheWindow() {
        // No manual in the working folder nor beside the test: the hint box runs under the cover.
        QTemporaryDir empty;
        const QString before = QDir::currentPath();
        QDir::setCurrent(empty.path());
        auto window = shownWindow(QSize(1024, 700));
        ModalAnswer seen;
        answerNextModal(&seen, window.get(), false);
        emit window->signalGetHelp();
        QDir::setCurrent(before);
        QCOMPARE(seen.text, QStringLiteral("No user manual found."));
        QVERIFY(seen.windowCovered);
        QVERIFY(!window->isCovering());
    }
};

QTEST_MAIN(TestVexaToolMainPage)
#include "tst_vexatoolmainpage.moc"
