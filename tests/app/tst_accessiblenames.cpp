// Every control a user can reach has a name that a screen reader reads (and our GUI tests find): walks each
// page and dialog of the program and fails on a focusable widget or a button without an accessible name.

#include <cstring>
#include <functional>
#include <memory>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QMenu>
#include <QStandardItemModel>
#include <QtTest>

#include "app/AboutDialog.h"
#include "app/VEXAToolMainPage.h"
#include "aptui/HintBox.h"
#include "aptui/TipDialog.h"
#include "aptui/WarningDialog.h"
#include "aptui/Widget.h"
#include "aptui/WindowTitle.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/DeviceStore.h"
#include "discovery/VexaHandler.h"
#include "export/DevicesInfoSavePage.h"
#include "guitoolkit/CTableView.h"
#include "modify/DeviceModifyPage.h"
#include "modify/DeviceModifyResultPage.h"
#include "password/ResetPasswordDialog.h"
#include "password/RestorePasswordDialog.h"
#include "plan/PlanPreviewPage.h"
#include "scan/ScanRangesDialog.h"
#include "scan/ScanSummaryDialog.h"
#include "signin/SignInDialog.h"
#include "support/FakeLibrary.h"

using VexaTool::VEXAToolMainPage;

namespace {

// The names of the controls under root that a screen reader would announce as nameless.
QStringList namelessControls(QWidget* root) {
    QStringList nameless;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        if (w != root && !w->isVisibleTo(root))
            continue;
        // Qt's own parts of a composite widget (a table's corner button, a spin box's line edit) are named
        // through their owner.
        if (w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const bool control = w->focusPolicy() != Qt::NoFocus || qobject_cast<QAbstractButton*>(w) != nullptr;
        if (!control || w->isWindow() != (w == root))
            continue;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
        if (face == nullptr)
            continue;
        const QAccessible::Role role = face->role();
        // A window itself is named by its title; a scroll area's view port is not a control of its own.
        if (w == root || role == QAccessible::Client || role == QAccessible::Pane)
            continue;
        if (face->text(QAccessible::Name).trimmed().isEmpty())
            nameless << QStringLiteral("%1 (%2)").arg(w->objectName(),
                                                      QString::fromLatin1(w->metaObject()->className()));
    }
    return nameless;
}

VEXA_DEVICE_MY_INFO storedDevice(const char* serial, const char* mac, uint8_t activation) {
    VEXA_DEVICE_MY_INFO r;
    std::memset(&r, 0, sizeof r);
    setRecordText(r.serialNo, serial);
    setRecordText(r.mac, mac);
    setRecordText(r.ipv4Address, "192.168.1.64");
    setRecordText(r.ipv4SubnetMask, "255.255.255.0");
    setRecordText(r.ipv4Gateway, "192.168.1.1");
    r.port = 8000;
    r.httpPort = 80;
    r.rtspPort = 554;
    r.capabilityLevel = 2;
    r.supportFlags = 0x07;
    r.activationState = activation;
    r.recordValid = 1;
    VEXA::DeviceStore::instance()->add(r);
    return r;
}

} // namespace

class TestAccessibleNames : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        fakelib::install();
        fakelib::state().configOk = false; // the recovery dialogs meet a library that was never started
        fakelib::state().failCode = VEXA_ERR_NOT_STARTED;
        qRegisterMetaType<DeviceInfo>("DeviceInfo");
        qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");
    }

    void everyPageAndDialog_data() {
        QTest::addColumn<QString>("what");
        for (const char* what :
             {"main window, nothing ticked", "main window, one device", "main window, a batch",
              "main window, activation", "reset password", "restore password", "export", "results", "plan preview",
              "exit question", "hint", "warning", "sign-in", "scan addresses", "scan summary", "about panel"})
            QTest::newRow(what) << QString::fromLatin1(what);
    }

    void everyPageAndDialog() {
        QFETCH(QString, what);
        VEXA::DeviceStore::instance()->clear();
        std::unique_ptr<QWidget> root;
        std::unique_ptr<QStandardItemModel> model;
        if (what.startsWith(QLatin1String("main window"))) {
            auto window = std::make_unique<VEXAToolMainPage>();
            window->resize(1417, 768);
            const auto entry = [](const char* serial, const char* mac) {
                return DeviceInfo{QStringLiteral("1"),
                                  QString(),
                                  QStringLiteral("192.168.1.64"),
                                  QString::fromLatin1(serial),
                                  QString::fromLatin1(mac),
                                  QStringLiteral("0")};
            };
            if (what.endsWith(QLatin1String("one device"))) {
                storedDevice("VXA1", "02-56-00-00-00-01", 0);
                window->modifyPage()->onCurrentSelectionChange(MODIFY_SINGLE, {entry("VXA1", "02-56-00-00-00-01")});
            } else if (what.endsWith(QLatin1String("a batch"))) {
                storedDevice("VXA1", "02-56-00-00-00-01", 0);
                storedDevice("VXA2", "02-56-00-00-00-02", 0);
                window->modifyPage()->onCurrentSelectionChange(
                    MODIFY_BATCH, {entry("VXA1", "02-56-00-00-00-01"), entry("VXA2", "02-56-00-00-00-02")});
            } else if (what.endsWith(QLatin1String("activation"))) {
                storedDevice("VXA1", "02-56-00-00-00-01", 1);
                window->modifyPage()->onCurrentSelectionChange(ACTIVE_SINGLE, {entry("VXA1", "02-56-00-00-00-01")});
            }
            root = std::move(window);
        } else if (what == u"reset password") {
            root = std::make_unique<VexaTool::ResetPasswordDialog>(nullptr, QStringLiteral("VXA1"), true, true);
        } else if (what == u"restore password") {
            root = std::make_unique<VexaTool::RestorePasswordDialog>(nullptr, QStringLiteral("VXA1"));
        } else if (what == u"export") {
            model = std::make_unique<QStandardItemModel>();
            root = std::make_unique<VexaTool::DevicesInfoSavePage>(model.get());
        } else if (what == u"results") {
            auto results = std::make_unique<VexaTool::DeviceModifyResultPage>();
            results->setReceipt({VexaTool::plan::ReceiptEntry{}});
            results->setReceiptHistory(QStringLiteral("/tmp/receipts/receipt.csv"));
            root = std::move(results);
        } else if (what == u"plan preview") {
            root = std::make_unique<VexaTool::PlanPreviewPage>();
        } else if (what == u"sign-in") {
            root = std::make_unique<VexaTool::SignInDialog>();
        } else if (what == u"scan addresses") {
            root = std::make_unique<VexaTool::ScanRangesDialog>(nullptr, QStringLiteral("/nonexistent/ranges.txt"));
        } else if (what == u"scan summary") {
            root = std::make_unique<VexaTool::ScanSummaryDialog>(VexaTool::ScanTally(), QStringLiteral("10.2.0.0/24"),
                                                                 QString());
        } else if (what == u"exit question") {
            root = std::make_unique<VexaTool::TipDialog>();
        } else if (what == u"hint") {
            root = std::make_unique<aptui::HintBox>(QStringLiteral("A hint"), aptui::HintBox::Question);
        } else if (what == u"warning") {
            root = std::make_unique<VexaTool::WarningDialog>(VexaTool::WarningDialog::Error, QStringLiteral("No."),
                                                             nullptr, 60000);
        }
        // The about panel belongs to its menu action, which deletes it.
        std::unique_ptr<AboutDialog> about;
        QWidget* shown = root.get();
        if (!shown) {
            about = std::make_unique<AboutDialog>();
            shown = about->panel();
        }
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        const QStringList nameless = namelessControls(shown);
        QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(QLatin1String(", "))));
        shown->hide();
    }

    // The main window's pop-up menu is reached from the application, as a reader walks the tree, and names its
    // items.
    void popupMenu() {
        VEXAToolMainPage window;
        window.resize(1417, 768);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* title = window.findChild<aptui::WindowTitle*>();
        QVERIFY(title);
        emit title->signalSystemMenu();
        auto* menu = window.findChild<QMenu*>(u"aboutMenu"_qs);
        QTRY_VERIFY(menu && menu->isVisible());

        QAccessibleInterface* top = QAccessible::queryAccessibleInterface(qApp);
        const auto openMenu = [top]() -> QAccessibleInterface* {
            for (int i = 0; i < top->childCount(); ++i)
                if (QAccessibleInterface* child = top->child(i); child && child->role() == QAccessible::PopupMenu)
                    return child;
            return nullptr;
        };
        QAccessibleInterface* found = openMenu();
        QVERIFY2(found, "the open menu is not in the tree");
        QCOMPARE(found->parent()->object(), qApp);
        QVERIFY(top->indexOfChild(found) >= 0);
        QStringList items;
        for (int i = 0; i < found->childCount(); ++i)
            items << found->child(i)->text(QAccessible::Name);
        QVERIFY2(items.contains(u"Sign in to ONVIF devices…"_qs), qPrintable(items.join(u", "_qs)));
        menu->hide();
        QVERIFY(!openMenu());
    }

    // Table cells as a screen reader meets them: the tick box says whose it is and that it is checkable, an
    // icon says what it means, a tool tip is read as the cell's description.
    void tableCells_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("name");        // part of the cell's name
        QTest::addColumn<QString>("description"); // part of its description; empty: none asked
        QTest::addColumn<bool>("checkable");
        QTest::newRow("tick cell") << u"tick"_qs << u"Tick VXA1 at 192.168.1.64"_qs << QString() << true;
        QTest::newRow("ID cell of an unverified device")
            << u"id"_qs << u"001"_qs << u"identity of this device is not verified"_qs << false;
        QTest::newRow("results icon cell") << u"result"_qs << u"Device deny."_qs << QString() << false;
    }

    void tableCells() {
        QFETCH(QString, what);
        QFETCH(QString, name);
        QFETCH(QString, description);
        QFETCH(bool, checkable);
        VEXA::DeviceStore::instance()->clear();
        std::unique_ptr<QWidget> root;
        QAbstractItemView* view = nullptr;
        int column = 0;
        if (what == u"result") {
            auto results = std::make_unique<VexaTool::DeviceModifyResultPage>();
            DeviceInfo failed{u"1"_qs,    u"VX-C200"_qs,           u"192.168.1.64"_qs,
                              u"VXA1"_qs, u"02-56-00-00-00-01"_qs, u"Device deny."_qs};
            failed.outcome = VexaTool::Outcome::ofCall(false, VEXA_ERR_DEVICE_REFUSED);
            results->setEntries({failed});
            view = results->findChild<QAbstractItemView*>(u"m_tableViewResult"_qs);
            column = 4;
            root = std::move(results);
        } else {
            auto window = std::make_unique<VEXAToolMainPage>();
            window->resize(1417, 768);
            VEXA_DEVICE_MY_INFO record = storedDevice("VXA1", "02-56-00-00-00-01", 0);
            VEXA::DeviceStore::instance()->clear(); // the page stores it itself
            window->listPage()->onDeviceLogin(record);
            view = window->listPage()->tableView();
            const auto* model = window->listPage()->model();
            column = model->columnOf(what == u"tick" ? VexaTool::DeviceInfoModel::KindCheck
                                                     : VexaTool::DeviceInfoModel::KindId);
            root = std::move(window);
        }
        root->show();
        QVERIFY(QTest::qWaitForWindowExposed(root.get()));
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(view);
        QVERIFY(table && table->tableInterface());
        QAccessibleInterface* cell = table->tableInterface()->cellAt(0, column);
        QVERIFY(cell);
        QVERIFY2(cell->text(QAccessible::Name).contains(name), qPrintable(cell->text(QAccessible::Name)));
        if (!description.isEmpty())
            QVERIFY2(cell->text(QAccessible::Description).contains(description),
                     qPrintable(cell->text(QAccessible::Description)));
        QCOMPARE(bool(cell->state().checkable), checkable);
    }
};

QTEST_MAIN(TestAccessibleNames)
#include "tst_accessiblenames.moc"
