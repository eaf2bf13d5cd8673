#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "ModifyTestSupport.h"
#include "aptui/BatchProgressCover.h"
#include "aptui/MultiStateLineEdit.h"
#include "config/ConfigureManager.h"
#include "deployment/CsvReader.h"
#include "discovery/VexaHandler.h"
#include "modify/DeviceActivePage.h"
#include "modify/DeviceModifyPage.h"
#include "modify/DeviceModifyResultPage.h"
#include "modify/DeviceNetParaPage.h"
#include "modify/DeviceTaskRunner.h"
#include "outcome/ErrorText.h"
#include "plan/ChangeController.h"
#include "plan/PlanText.h"
#include "plan/ReceiptHistory.h"
#include "support/FakeLibrary.h"
#include "support/ListRows.h"
#include "support/SetupFile.h"
#include "vexa.h"

using namespace modifytest;
using VexaTool::DeviceModifyPage;

struct Results {
    int shown = 0;
    QStringList column4;
    QString header4;
    QString countCaption;
    QString failCaption;
    std::vector<VexaTool::plan::ReceiptEntry> receipt;
    QString historyPath; // the receipt the batch wrote by itself
};

class TestDeviceModifyPage : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void kinds_data();
    void kinds();
    void noSelectionLocksEverything();
    void activationChecks_data();
    void activationChecks();
    void meter_data();
    void meter();
    void passwordsNeverTouchTheClipboard_data();
    void passwordsNeverTouchTheClipboard();
    void adminPasswordIsCheckedFirst();
    void dhcpOnKeepsTextsOffRestoresStored();
    void marksAreClearedOnTheNextSelection();
    void singleActivation_data();
    void singleActivation();
    void batchActivationResults();
    void singleModification_data();
    void singleModification();
    void batchModificationCountsAddresses();
    void batchWithDhcpOnKeepsAddresses();
    void batchRefusedBeforeAnyCall_data();
    void batchRefusedBeforeAnyCall();
    void lockedStartAddressKeepsEachDevicesOwn();
    void batchRunsInParallelInOrderAndGuiStaysLive();
    void stopLeavesTheRestNotSent();
    void forgetPassword_data();
    void forgetPassword();
    void receiptsFolderOpensOrIsShownToCopy_data();
    void receiptsFolderOpensOrIsShownToCopy();
    void taskThreadsFromSetup_data();
    void taskThreadsFromSetup();

private:
    QWidget* child(const char* name) const { return m_page->findChild<QWidget*>(QString::fromLatin1(name)); }
    aptui::MultiStateLineEdit* edit(const char* name) const {
        return m_page->findChild<aptui::MultiStateLineEdit*>(QString::fromLatin1(name));
    }
    void click(const char* button) {
        QTest::mouseClick(m_page->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
    }
    void activateWith(const QString& password);
    QVector<DeviceInfo> batch(int count, DeviceSample sample = {});
    static void readResults(QWidget* modal, Results& results);

    std::unique_ptr<DeviceModifyPage> m_page;
};

void TestDeviceModifyPage::initTestCase() {
    qRegisterMetaType<DeviceInfo>("DeviceInfo");
    qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");
    fakelib::install();
}

void TestDeviceModifyPage::init() {
    fakelib::reset();
    // The recovery dialogs opened from here meet a library that was never started, as before the stand-in.
    fakelib::state().configOk = false;
    fakelib::state().failCode = VEXA_ERR_NOT_STARTED;
    VEXA::DeviceStore::instance()->clear();
    m_page = std::make_unique<DeviceModifyPage>();
    m_page->setTaskThreads(8);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
}

void TestDeviceModifyPage::cleanup() {
    m_page.reset();
}

QVector<DeviceInfo> TestDeviceModifyPage::batch(int count, DeviceSample sample) {
    QVector<DeviceInfo> entries;
    for (int i = 0; i < count; ++i)
        entries << addDevice(numbered(i, sample), i + 1);
    return entries;
}

void TestDeviceModifyPage::readResults(QWidget* modal, Results& results) {
    auto* page = qobject_cast<VexaTool::DeviceModifyResultPage*>(modal);
    if (page == nullptr)
        return;
    ++results.shown;
    QStandardItemModel* model = page->model();
    results.column4 = testsupport::columnTexts(*model, 4);
    results.header4 = model->headerData(4, Qt::Horizontal).toString();
    results.countCaption = page->findChild<QLabel*>(u"m_labelDeviceAll"_qs)->text();
    results.failCaption = page->findChild<QLabel*>(u"m_labelDeviceFail"_qs)->text();
    results.receipt = page->receipt();
    if (auto* history = page->findChild<QPushButton*>(u"m_btnReceiptHistory"_qs); history && !history->isHidden())
        results.historyPath = history->toolTip();
    page->accept();
}

void TestDeviceModifyPage::activateWith(const QString& password) {
    edit("m_lineEditNewPassword")->setText(password);
    edit("m_lineEditConfirmPassword")->setText(password);
    click("m_btnActive");
}

void TestDeviceModifyPage::kinds_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("title"); // of the form or the notice
    QTest::newRow("single modify") << int(MODIFY_SINGLE) << 0 << u"Modify Network parameters"_qs;
    QTest::newRow("batch modify") << int(MODIFY_BATCH) << 0 << u"Batch Modify Network parameters"_qs;
    QTest::newRow("single activation") << int(ACTIVE_SINGLE) << 1 << u"Device active"_qs;
    QTest::newRow("batch activation") << int(ACTIVE_BATCH) << 1 << u"Batch devices active"_qs;
    QTest::newRow("mixed") << int(ACTIVE_MIXED) << 1 << u"Batch devices network parameters"_qs;
}

void TestDeviceModifyPage::kinds() {
    QFETCH(int, kind);
    QFETCH(int, page);
    QFETCH(QString, title);
    // From the mixed notice first, so that a kind has to undo what another left behind.
    const QVector<DeviceInfo> entries = batch(kind == MODIFY_SINGLE || kind == ACTIVE_SINGLE ? 1 : 3);
    m_page->onCurrentSelectionChange(ACTIVE_MIXED, batch(2, numbered(50)));
    m_page->onCurrentSelectionChange(ModifyPage(kind), entries);
    QCOMPARE(m_page->findChild<QStackedWidget*>(u"m_stackedWidget"_qs)->currentIndex(), page);
    const QString shownTitle = page == 0 ? m_page->findChild<QLabel*>(u"m_labelDeviceNetPara"_qs)->text()
                                         : m_page->findChild<QLabel*>(u"m_labelNetPara"_qs)->text();
    QVERIFY2(shownTitle.contains(title), qPrintable(shownTitle));
    if (page == 1) {
        const bool mixed = kind == ACTIVE_MIXED;
        QCOMPARE(m_page->activePage()->imagePath(),
                 QString::fromLatin1(mixed ? VexaTool::DeviceActivePage::kAbnormalImage
                                           : VexaTool::DeviceActivePage::kNotActivatedImage));
        QCOMPARE(child("m_tipWidget")->isVisible(), !mixed);
        QCOMPARE(child("m_labelWord2")->isVisible(), mixed);
        if (mixed)
            QVERIFY(
                m_page->findChild<QLabel*>(u"m_labelWord2"_qs)
                    ->text()
                    .contains(
                        u"Note: please activate <span style=\"font-weight:600;\">the device </span>to perform other operations"_qs));
    }
    if (kind == ACTIVE_SINGLE || kind == ACTIVE_BATCH) {
        for (const char* bar : {"m_labelLevel1", "m_labelLevel2", "m_labelLevel3"})
            QCOMPARE(child(bar)->property("image").toString(), QString::fromLatin1(DeviceModifyPage::kGreyBar));
    }
}

void TestDeviceModifyPage::noSelectionLocksEverything() {
    m_page->onCurrentSelectionChange(MODIFY_SINGLE, batch(1));
    edit("m_lineEditAdminPassword")->setText(u"secret"_qs);
    m_page->onCurrentSelectionChange(MODIFY_SINGLE, {});
    QVERIFY(!child("m_btnModify")->isEnabled());
    QVERIFY(!child("m_btnLostPassword")->isEnabled());
    QVERIFY(child("m_btnLostPassword")->isVisible());
    QVERIFY(!edit("m_lineEditAdminPassword")->isEnabled());
    QVERIFY(edit("m_lineEditAdminPassword")->text().isEmpty());
    QVERIFY(!edit("m_lineEditIpAddress")->isEnabled());
    QVERIFY(edit("m_lineEditIpAddress")->text().isEmpty());
    QVERIFY(!m_page->findChild<QCheckBox*>(u"m_checkBoxDHCP"_qs)->isEnabled());
}

void TestDeviceModifyPage::activationChecks_data() {
    QTest::addColumn<int>("devices");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("marksNewPassword");
    QTest::newRow("no selection first") << 0 << QString() << QString() << u"Please select a device."_qs << false;
    QTest::newRow("empty before mismatch") << 1 << QString() << u"x"_qs << u"The password can not be empty."_qs << true;
    QTest::newRow("mismatch is case-sensitive")
        << 1 << u"Abcd1234"_qs << u"abcd1234"_qs << u"The password you typed do not match."_qs << true;
    QTest::newRow("level 0 after match")
        << 2 << u"abcdefgh"_qs << u"abcdefgh"_qs
        << u"Valid password range [8-16]. You can use a combination of numbers,lowercase, uppercase and special "
           "character for your password with at least two kinds of them contained."_qs
        << true;
    // Typed whole and refused whole: an editor that cut it would activate with a password nobody typed.
    QTest::newRow("17 characters, refused not cut")
        << 1 << u"Abcd1234Abcd1234X"_qs << u"Abcd1234Abcd1234X"_qs
        << u"The password is too long: it may take at most 16 bytes, and a character outside ASCII takes more than "
           "one."_qs
        << true;
}

void TestDeviceModifyPage::activationChecks() {
    QFETCH(int, devices);
    QFETCH(QString, password);
    QFETCH(QString, confirmation);
    QFETCH(QString, message);
    QFETCH(bool, marksNewPassword);
    const QVector<DeviceInfo> entries = batch(devices, [] {
        DeviceSample s;
        s.activation = 1;
        return s;
    }());
    m_page->onCurrentSelectionChange(devices > 1 ? ACTIVE_BATCH : ACTIVE_SINGLE, entries);
    edit("m_lineEditNewPassword")->setText(password);
    edit("m_lineEditConfirmPassword")->setText(confirmation);
    ModalWatcher watcher;
    m_page->onActiveDevices();
    QCOMPARE(watcher.warnings, QStringList{message});
    QCOMPARE(edit("m_lineEditNewPassword")->lineEditState() == aptui::MultiStateLineEdit::ERROR, marksNewPassword);
    QVERIFY(fakelib::calls.isEmpty());
}

void TestDeviceModifyPage::meter_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QStringList>("bars");
    const QString grey = QString::fromLatin1(DeviceModifyPage::kGreyBar);
    const QString red = QString::fromLatin1(DeviceModifyPage::kRedBar);
    const QString yellow = QString::fromLatin1(DeviceModifyPage::kYellowBar);
    const QString green = QString::fromLatin1(DeviceModifyPage::kGreenBar);
    QTest::newRow("empty") << QString() << QString() << QStringList{grey, grey, grey};
    QTest::newRow("one kind") << u"abcdefgh"_qs << QString() << QStringList{grey, grey, grey};
    QTest::newRow("the user name itself") << u"admin"_qs << QString() << QStringList{grey, grey, grey};
    QTest::newRow("weak") << u"abcd1234"_qs << u"Weak"_qs << QStringList{red, grey, grey};
    QTest::newRow("medium") << u"abcdEFGH"_qs << u"Medium"_qs << QStringList{yellow, yellow, grey};
    QTest::newRow("strong") << u"abcD1234"_qs << u"Strong"_qs << QStringList{green, green, green};
}

void TestDeviceModifyPage::meter() {
    QFETCH(QString, password);
    QFETCH(QString, word);
    QFETCH(QStringList, bars);
    m_page->onCurrentSelectionChange(ACTIVE_SINGLE, batch(1));
    edit("m_lineEditNewPassword")->setText(u"aB3$xY9!"_qs); // a strong one first: the meter must come down
    edit("m_lineEditNewPassword")->setText(password);
    QCOMPARE(m_page->findChild<QLabel*>(u"m_labelLevel"_qs)->text(), word);
    const QStringList shown{child("m_labelLevel1")->property("image").toString(),
                            child("m_labelLevel2")->property("image").toString(),
                            child("m_labelLevel3")->property("image").toString()};
    QCOMPARE(shown, bars);
}

void TestDeviceModifyPage::passwordsNeverTouchTheClipboard_data() {
    QTest::addColumn<QString>("editor");
    QTest::addColumn<int>("kind");
    QTest::newRow("new password") << u"m_lineEditNewPassword"_qs << int(ACTIVE_SINGLE);
    QTest::newRow("confirmation") << u"m_lineEditConfirmPassword"_qs << int(ACTIVE_SINGLE);
    QTest::newRow("admin password") << u"m_lineEditAdminPassword"_qs << int(MODIFY_SINGLE);
}

void TestDeviceModifyPage::passwordsNeverTouchTheClipboard() {
    QFETCH(QString, editor);
    QFETCH(int, kind);
    m_page->onCurrentSelectionChange(ModifyPage(kind), batch(1));
    auto* field = m_page->findChild<aptui::MultiStateLineEdit*>(editor);
    QCOMPARE(field->contextMenuPolicy(), Qt::NoContextMenu);
    QVERIFY(field->maxLength() > 16); // too long is refused with the reason, never cut
    field->setFocus();
    QApplication::clipboard()->setText(u"pasted"_qs);
    QTest::keySequence(field, QKeySequence::Paste);
    QVERIFY(field->text().isEmpty());
    field->setText(u"Secret-99"_qs);
    field->selectAll();
    QTest::keySequence(field, QKeySequence::Copy);
    QTest::keySequence(field, QKeySequence::Cut);
    QCOMPARE(QApplication::clipboard()->text(), u"pasted"_qs);
    QCOMPARE(field->text(), u"Secret-99"_qs);
}

void TestDeviceModifyPage::adminPasswordIsCheckedFirst() {
    for (int devices : {1, 3}) {
        m_page->onCurrentSelectionChange(devices == 1 ? MODIFY_SINGLE : MODIFY_BATCH,
                                         batch(devices, numbered(devices * 10)));
        edit("m_lineEditRTSP")->clear(); // the form would fail too, if it were asked
        ModalWatcher watcher;
        click("m_btnModify");
        QCOMPARE(watcher.warnings, QStringList{u"Sorry, please enter the administrator password."_qs});
        QCOMPARE(edit("m_lineEditAdminPassword")->lineEditState(), aptui::MultiStateLineEdit::ERROR);
        QCOMPARE(edit("m_lineEditRTSP")->lineEditState(), aptui::MultiStateLineEdit::NORMAL);
    }
    QVERIFY(fakelib::calls.isEmpty());
}

void TestDeviceModifyPage::dhcpOnKeepsTextsOffRestoresStored() {
    m_page->onCurrentSelectionChange(MODIFY_SINGLE, batch(1));
    auto* box = m_page->findChild<QCheckBox*>(u"m_checkBoxDHCP"_qs);
    edit("m_lineEditIpAddress")->setText(u"10.9.9.9"_qs);
    box->setChecked(true);
    QCOMPARE(edit("m_lineEditIpAddress")->text(), u"10.9.9.9"_qs);
    for (const char* name :
         {"m_lineEditIpAddress", "m_lineEditSubnetMask", "m_lineEditGateway", "m_lineEditIPV6Address"})
        QVERIFY2(!edit(name)->isEnabled(), name);
    QVERIFY(edit("m_lineEditPort")->isEnabled());
    box->setChecked(false);
    QCOMPARE(edit("m_lineEditIpAddress")->text(), u"10.20.0.10"_qs); // the stored address, not the edit
    QVERIFY(edit("m_lineEditIpAddress")->isEnabled());
    QVERIFY(edit("m_lineEditIPV6Address")->isEnabled());
    QVERIFY(!box->isChecked());
}

void TestDeviceModifyPage::marksAreClearedOnTheNextSelection() {
    const QVector<DeviceInfo> two = batch(2);
    for (const char* broken : {"m_lineEditIPV6Gateway", "m_lineEditRTSP"}) {
        m_page->onCurrentSelectionChange(MODIFY_SINGLE, {two[0]});
        edit("m_lineEditAdminPassword")->setText(u"Admin-123"_qs);
        edit(broken)->clear();
        {
            ModalWatcher watcher;
            click("m_btnModify");
            QCOMPARE(watcher.warnings.size(), 1);
        }
        QCOMPARE(edit(broken)->lineEditState(), aptui::MultiStateLineEdit::ERROR);
        m_page->onCurrentSelectionChange(MODIFY_SINGLE, {two[1]});
        QCOMPARE(edit(broken)->lineEditState(), aptui::MultiStateLineEdit::NORMAL);
    }
}

void TestDeviceModifyPage::singleActivation_data() {
    QTest::addColumn<uint>("code");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("result");
    QTest::newRow("success") << 0u << u"Activate Succeed."_qs << u"Succeed"_qs;
    QTest::newRow("2009 keeps the result") << 2009u << u"Device deny."_qs << u"0"_qs;
    QTest::newRow("2011 keeps the result") << 2011u << u"Time out."_qs << u"0"_qs;
    QTest::newRow("2021") << 2021u << u"Error2021:others"_qs << u"Error2021:others"_qs;
    const QString weak = VexaTool::ErrorText::withCode(2013);
    QTest::newRow("2013 weak") << 2013u << weak << weak;
}

void TestDeviceModifyPage::singleActivation() {
    QFETCH(uint, code);
    QFETCH(QString, warning);
    QFETCH(QString, result);
    DeviceSample sample;
    sample.activation = 1;
    const QVector<DeviceInfo> entries = batch(1, sample);
    fakelib::codes.insert(entries[0].serialNo.toLatin1(), code);
    m_page->onCurrentSelectionChange(ACTIVE_SINGLE, entries);
    QSignalSpy active(m_page.get(), &DeviceModifyPage::signalActiveResult);
    QSignalSpy activated(m_page.get(), &DeviceModifyPage::signalActivated);
    ModalWatcher watcher;
    activateWith(u"Abcd-1234"_qs);
    QTRY_COMPARE(watcher.warnings, QStringList{warning});
    QCOMPARE(m_page->entries().first().result, result);
    QCOMPARE(active.count(), code == 0 ? 1 : 0);
    // The page tells the list, which alone writes the store; it writes nothing itself.
    QCOMPARE(activated.count(), code == 0 ? 1 : 0);
    QCOMPARE(stored(entries[0]).activationState, 1);
    QVERIFY(!m_page->progressCover()->isVisible());
}

void TestDeviceModifyPage::batchActivationResults() {
    DeviceSample sample;
    sample.activation = 1;
    const QVector<DeviceInfo> entries = batch(6, sample);
    const QList<uint32_t> codes{0, 2009, 2011, 2021, 2012, 0};
    for (int i = 0; i < entries.size(); ++i)
        fakelib::codes.insert(entries[i].serialNo.toLatin1(), codes[i]);
    m_page->onCurrentSelectionChange(ACTIVE_BATCH, entries);
    QSignalSpy active(m_page.get(), &DeviceModifyPage::signalActiveResult);
    QSignalSpy cover(m_page.get(), &DeviceModifyPage::signalCoverMainPage);
    QSignalSpy activated(m_page.get(), &DeviceModifyPage::signalActivated);
    Results results;
    ModalWatcher watcher;
    watcher.onOther = [&results](QWidget* modal) { readResults(modal, results); };
    activateWith(u"Abcd-1234"_qs);
    QTRY_COMPARE(results.shown, 1);
    QCOMPARE(results.header4, u"Activation"_qs);
    QCOMPARE(results.countCaption, u"Batch activate devices 6"_qs);
    QCOMPARE(results.failCaption, u"Activate fail numbers 4"_qs);
    const QStringList expected{QString(),
                               u"Error2009:Device deny."_qs,
                               u"Error2011:others"_qs,
                               u"Error2021:reactive"_qs,
                               VexaTool::ErrorText::withCode(2012),
                               QString()};
    QCOMPARE(results.column4, expected);
    QCOMPARE(active.count(), 1);
    QCOMPARE(cover.count(), 1);
    const auto sentBack = active.first().first().value<QVector<DeviceInfo>>();
    QCOMPARE(sentBack.size(), 6);
    QCOMPARE(sentBack[0].result, u"Succeed"_qs);
    QCOMPARE(sentBack[1].result, u"Error2009:Device deny."_qs);
    QStringList took;
    for (const QList<QVariant>& signal : activated)
        took << signal.first().value<DeviceKey>().serialNo;
    took.sort(); // they come in the order the devices answered
    QCOMPARE(took, (QStringList{entries[0].serialNo, entries[5].serialNo}));
    QVERIFY(watcher.warnings.isEmpty());
}

void TestDeviceModifyPage::singleModification_data() {
    QTest::addColumn<uint>("code");
    QTest::addColumn<QString>("says"); // the device's own words
    QTest::addColumn<QString>("result");
    using VexaTool::ErrorText;
    QTest::newRow("success") << 0u << QString() << QString();
    QTest::newRow("2009") << 2009u << QString() << ErrorText::text(ErrorText::Form::BatchModification, 2009);
    QTest::newRow("2011") << 2011u << QString() << ErrorText::text(ErrorText::Form::BatchModification, 2011);
    QTest::newRow("2012 locked") << 2012u << QString() << ErrorText::text(ErrorText::Form::BatchModification, 2012);
    QTest::newRow("refused in the device's own words")
        << 2033u << u"ter:InvalidArgVal: no such address"_qs
        << VexaTool::PlanText::withDetail(ErrorText::text(ErrorText::Form::BatchModification, 2033),
                                          "ter:InvalidArgVal: no such address");
}

void TestDeviceModifyPage::singleModification() {
    QFETCH(uint, code);
    QFETCH(QString, says);
    QFETCH(QString, result);
    const QVector<DeviceInfo> entries = batch(1);
    fakelib::codes.insert(entries[0].mac.toLatin1(), code);
    fakelib::details.insert(entries[0].mac.toLatin1(), says.toUtf8());
    m_page->onCurrentSelectionChange(MODIFY_SINGLE, entries);
    edit("m_lineEditAdminPassword")->setText(u"Admin-123"_qs);
    edit("m_lineEditIpAddress")->setText(u"10.20.000.077"_qs);
    QSignalSpy modified(m_page.get(), &DeviceModifyPage::signalModifyResult);
    // One device ends as a batch does: on a results page that stays until closed, with its receipt.
    QString shown;
    std::vector<VexaTool::plan::ReceiptEntry> receipt;
    ModalWatcher watcher;
    watcher.onOther = [&](QWidget* modal) {
        if (auto* results = qobject_cast<VexaTool::DeviceModifyResultPage*>(modal)) {
            const QStandardItem* cell = results->model()->item(0, 4);
            shown = cell->data(Qt::AccessibleTextRole).toString();
            receipt = results->receipt();
        }
        qobject_cast<QDialog*>(modal)->accept();
    };
    click("m_btnModify");
    QTRY_COMPARE(modified.count(), 1);
    QTRY_VERIFY(!receipt.empty());
    QVERIFY(watcher.warnings.isEmpty());
    QCOMPARE(shown, code == 0 ? VexaTool::ErrorText::text(VexaTool::ErrorText::Form::BatchModification, 0) : result);
    QCOMPARE(QString::fromStdString(receipt.back().detail), says);
    QCOMPARE(QString::fromStdString(receipt.back().newAddress), u"10.20.0.77"_qs);
    QCOMPARE(QByteArray(fakelib::sent.value(entries[0].mac.toLatin1()).ipv4Address), QByteArray("10.20.0.77"));
    // The page writes nothing into the store: the list learns the new address from the device itself.
    QCOMPARE(recordText(stored(entries[0]).ipv4Address), u"10.20.0.10"_qs);
}

void TestDeviceModifyPage::batchModificationCountsAddresses() {
    DeviceSample sample;
    sample.typeCode = 0x1000; // outside the three ranges: a start address is offered
    sample.capability = 2;    // no level 1 device: the gateway editor stays locked
    const QVector<DeviceInfo> entries = batch(10, sample);
    fakelib::codes.insert(entries[3].mac.toLatin1(), 2011);
    m_page->onCurrentSelectionChange(MODIFY_BATCH, entries);
    QVERIFY(!edit("m_lineEditGateway")->isEnabled());
    edit("m_lineEditAdminPassword")->setText(u"Admin-123"_qs);
    edit("m_lineEditStartIp")->setText(u"192.168.001.250"_qs);
    edit("m_lineEditSubnetMask")->setText(u"255.255.0.0"_qs);
    edit("m_lineEditPort")->setText(u"8100"_qs);
    edit("m_lineEditHttpPort")->setText(u"8080"_qs);
    edit("m_lineEditRTSP")->setText(u"1554"_qs);
    edit("m_lineEditDeviceName")->setText(u"Hall-{n}"_qs);
    QSignalSpy modified(m_page.get(), &DeviceModifyPage::signalModifyResult);
    Results results;
    ModalWatcher watcher;
    watcher.onOther = [&results](QWidget* modal) { readResults(modal, results); };
    click("m_btnModify");
    QTRY_COMPARE(results.shown, 1);
    QVERIFY(watcher.warnings.isEmpty());
    QCOMPARE(results.header4, u"Modification"_qs);
    QCOMPARE(results.countCaption, u"Devices Number: 10"_qs);
    QCOMPARE(results.failCaption, u"Failed Number: 1"_qs);
    QCOMPARE(modified.count(), 1);
    const auto sentBack = modified.first().first().value<QVector<DeviceInfo>>();
    const QStringList addresses{u"192.168.1.250"_qs, u"192.168.1.251"_qs, u"192.168.1.252"_qs, u"192.168.1.253"_qs,
                                u"192.168.1.254"_qs, u"192.168.1.255"_qs, u"192.168.2.0"_qs,   u"192.168.2.1"_qs,
                                u"192.168.2.2"_qs,   u"192.168.2.3"_qs};
    for (int i = 0; i < 10; ++i) {
        const VEXA_NET_PARAM p = fakelib::sent.value(entries[i].mac.toLatin1());
        QCOMPARE(QString::fromLatin1(p.ipv4Address), addresses[i]);
        QCOMPARE(QByteArray(p.ipv4SubnetMask), QByteArray("255.255.0.0"));
        QCOMPARE(QByteArray(p.ipv4Gateway), QByteArray("192.168.1.1"));          // kept: the editor was locked
        QCOMPARE(QByteArray(p.deviceName), "Hall-" + QByteArray::number(i + 1)); // in list order
        QCOMPARE(p.port, 8100);
        QCOMPARE(p.httpPort, 8080);
        QCOMPARE(p.rtspPort, 1554);
        QCOMPARE(p.dhcpEnabled, 0);
        const bool failed = i == 3;
        QCOMPARE(sentBack[i].result, failed ? u"Error2011:time out"_qs : u"Succeed"_qs);
        QCOMPARE(sentBack[i].ipv4Address, failed ? entries[i].ipv4Address : addresses[i]);
        QCOMPARE(recordText(stored(entries[i]).ipv4Address), entries[i].ipv4Address); // until the device reports
        // The receipt: the address each device had and was to get (the result says whether it did, as in
        // vexa apply-plan's receipt), the name sent, the result.
        const VexaTool::plan::ReceiptEntry& line = results.receipt.at(static_cast<std::size_t>(i));
        QCOMPARE(QString::fromStdString(line.serial), entries[i].serialNo);
        QCOMPARE(QString::fromStdString(line.oldAddress), entries[i].ipv4Address);
        QCOMPARE(QString::fromStdString(line.newAddress), addresses[i]);
        QCOMPARE(line.name, "Hall-" + std::to_string(i + 1));
        QCOMPARE(QString::fromStdString(line.result), sentBack[i].result);
        QCOMPARE(line.outcome, sentBack[i].outcome);
        QCOMPARE(line.outcome.isDone(), sentBack[i].result == u"Succeed"_qs);
    }
    QCOMPARE(results.receipt.size(), std::size_t(10));

    // The same lines were written by the batch itself, row by row, into the user's receipts folder.
    QVERIFY(results.historyPath.startsWith(VexaTool::ReceiptHistory::folder()));
    QFile history(results.historyPath);
    QVERIFY(history.open(QIODevice::ReadOnly));
    const std::string text = history.readAll().toStdString();
    const auto parsed = VexaTool::plan::CsvReader::parse(VexaTool::plan::CsvReader::skipByteOrderMark(text));
    QCOMPARE(parsed.error, VexaTool::plan::CsvReader::Error::None);
    QCOMPARE(parsed.records.size(), std::size_t(11));
    QCOMPARE(parsed.records[0].fields.at(4), std::string("New Address"));
    std::set<std::string> written;
    for (std::size_t r = 1; r < parsed.records.size(); ++r) {
        const std::vector<std::string>& f = parsed.records[r].fields;
        written.insert(f.at(1) + "|" + f.at(3) + "|" + f.at(4) + "|" + f.at(5) + "|" + f.at(6) + "|" + f.at(7) + "|" +
                       f.at(8));
    }
    std::set<std::string> shown;
    for (const VexaTool::plan::ReceiptEntry& line : results.receipt)
        shown.insert(line.serial + "|" + line.oldAddress + "|" + line.newAddress + "|" + line.name + "|" + line.result +
                     "|" + VexaTool::outcomeKindName(line.outcome.kind) + "|" + std::to_string(line.outcome.code));
    QCOMPARE(written, shown);
}

void TestDeviceModifyPage::batchWithDhcpOnKeepsAddresses() {
    DeviceSample sample;
    sample.typeCode = 0x1000;
    QVector<DeviceInfo> entries = batch(2, sample);
    entries << addDevice(numbered(7,
                                  [] {
                                      DeviceSample s;
                                      s.typeCode = 0x1000;
                                      s.port = 9000; // ports differ: the port editor is locked and each keeps its own
                                      return s;
                                  }()),
                         3);
    m_page->onCurrentSelectionChange(MODIFY_BATCH, entries);
    QVERIFY(!edit("m_lineEditPort")->isEnabled());
    m_page->findChild<QCheckBox*>(u"m_checkBoxBatchDHCP"_qs)->setChecked(true);
    QVERIFY(!edit("m_lineEditStartIp")->isEnabled());
    edit("m_lineEditAdminPassword")->setText(u"Admin-123"_qs);
    edit("m_lineEditRTSP")->setText(u"554"_qs);
    edit("m_lineEditDeviceName")->setText(u"Yard"_qs);
    edit("m_lineEditHttpPort")->setText(u"80"_qs);
    QSignalSpy modified(m_page.get(), &DeviceModifyPage::signalModifyResult);
    Results results;
    ModalWatcher watcher;
    watcher.onOther = [&results](QWidget* modal) { readResults(modal, results); };
    click("m_btnModify");
    QTRY_COMPARE(results.shown, 1);
    const auto sentBack = modified.first().first().value<QVector<DeviceInfo>>();
    for (int i = 0; i < 3; ++i) {
        const VEXA_NET_PARAM p = fakelib::sent.value(entries[i].mac.toLatin1());
        QCOMPARE(p.dhcpEnabled, 1);
        QCOMPARE(QString::fromLatin1(p.ipv4Address), entries[i].ipv4Address);
        QCOMPARE(int(p.port), i == 2 ? 9000 : 8000);
        QCOMPARE(sentBack[i].ipv4Address, entries[i].ipv4Address);
        QCOMPARE(sentBack[i].result, u"Succeed"_qs);
    }
}

void TestDeviceModifyPage::batchRefusedBeforeAnyCall_data() {
    QTest::addColumn<int>("typeCode");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("outsider"); // the address of a listed device not in the batch
    QTest::newRow("leaves a /24") << 0x1000 << u"192.168.1.250"_qs << u"255.255.255.0"_qs
                                  << u"10 addresses from 192.168.1.250 would leave the subnet of mask 255.255.255.0."_qs
                                  << QString();
    QTest::newRow("hits the broadcast")
        << 0x1000 << u"10.0.0.246"_qs << u"255.255.255.0"_qs
        << u"10 addresses from 10.0.0.246 would include the network or broadcast address "
           "of the subnet."_qs
        << QString();
    QTest::newRow("past x.x.255.255") << 0x1000 << u"10.0.255.250"_qs << u"255.0.0.0"_qs
                                      << u"10 addresses from 10.0.255.250 would run past 10.0.255.255."_qs << QString();
    QTest::newRow("takes a listed device's address")
        << 0x1000 << u"10.20.0.30"_qs << u"255.255.255.0"_qs
        << u"10.20.0.35 is the address of VXOUT0001 (02-56-00-99-00-01), which is not in this batch."_qs
        << u"10.20.0.35"_qs;
}

void TestDeviceModifyPage::batchRefusedBeforeAnyCall() {
    QFETCH(int, typeCode);
    QFETCH(QString, start);
    QFETCH(QString, mask);
    QFETCH(QString, message);
    QFETCH(QString, outsider);
    DeviceSample sample;
    sample.typeCode = typeCode;
    if (!outsider.isEmpty()) {
        DeviceSample other;
        other.serial = u"VXOUT0001"_qs;
        other.mac = u"02-56-00-99-00-01"_qs;
        other.ipv4 = outsider;
        addDevice(other, 99);
    }
    m_page->onCurrentSelectionChange(MODIFY_BATCH, batch(10, sample));
    edit("m_lineEditAdminPassword")->setText(u"Admin-123"_qs);
    edit("m_lineEditStartIp")->setText(start);
    edit("m_lineEditSubnetMask")->setText(mask);
    edit("m_lineEditRTSP")->setText(u"554"_qs);
    edit("m_lineEditDeviceName")->setText(u"Yard"_qs);
    edit("m_lineEditPort")->setText(u"8000"_qs);
    edit("m_lineEditHttpPort")->setText(u"80"_qs);
    QSignalSpy modified(m_page.get(), &DeviceModifyPage::signalModifyResult);
    ModalWatcher watcher;
    click("m_btnModify");
    QCOMPARE(watcher.warnings, QStringList{message});
    QCOMPARE(watcher.others, 0);
    QVERIFY(!m_page->isBusy());
    QVERIFY(fakelib::calls.isEmpty());
    QCOMPARE(modified.count(), 0);
}

// Our cameras' types lock the start address: renaming or re-porting them must not need DHCP.
void TestDeviceModifyPage::lockedStartAddressKeepsEachDevicesOwn() {
    DeviceSample sample;
    sample.typeCode = 0x9E00;
    const QVector<DeviceInfo> entries = batch(3, sample);
    m_page->onCurrentSelectionChange(MODIFY_BATCH, entries);
    QVERIFY(!edit("m_lineEditStartIp")->isEnabled());
    edit("m_lineEditAdminPassword")->setText(u"Admin-123"_qs);
    edit("m_lineEditRTSP")->setText(u"1554"_qs);
    edit("m_lineEditDeviceName")->setText(u"Yard"_qs);
    edit("m_lineEditHttpPort")->setText(u"80"_qs);
    edit("m_lineEditPort")->setText(u"8000"_qs);
    Results results;
    ModalWatcher watcher;
    watcher.onOther = [&results](QWidget* modal) { readResults(modal, results); };
    click("m_btnModify");
    QTRY_VERIFY2(results.shown == 1, qPrintable(watcher.warnings.join(u'|')));
    QCOMPARE(watcher.warnings, QStringList());
    for (const DeviceInfo& entry : entries) {
        const VEXA_NET_PARAM p = fakelib::sent.value(entry.mac.toLatin1());
        QCOMPARE(QString::fromLatin1(p.ipv4Address), entry.ipv4Address);
        QCOMPARE(QByteArray(p.ipv4SubnetMask), QByteArray("255.255.255.0"));
        QCOMPARE(QByteArray(p.ipv4Gateway), QByteArray("192.168.1.1"));
        QCOMPARE(p.dhcpEnabled, 0);
        QCOMPARE(int(p.rtspPort), 1554);
        QCOMPARE(QByteArray(p.deviceName), QByteArray("Yard"));
    }
}

void TestDeviceModifyPage::batchRunsInParallelInOrderAndGuiStaysLive() {
    m_page->setTaskThreads(3);
    fakelib::delayMs = 40;
    DeviceSample sample;
    sample.activation = 1;
    const QVector<DeviceInfo> entries = batch(12, sample);
    m_page->onCurrentSelectionChange(ACTIVE_BATCH, entries);
    QSignalSpy active(m_page.get(), &DeviceModifyPage::signalActiveResult);
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
    ticker.start(10);
    Results results;
    ModalWatcher watcher;
    watcher.onOther = [&results](QWidget* modal) { readResults(modal, results); };
    activateWith(u"Abcd-1234"_qs);
    QVERIFY(m_page->isBusy());
    aptui::BatchProgressCover* cover = m_page->progressCover();
    QVERIFY(cover->isVisible());
    QCOMPARE(cover->text(), u"Activating 1 of 12"_qs);
    QVERIFY(cover->stopOffered());
    QTRY_COMPARE(results.shown, 1);
    // Four rounds of 40 ms: the timer on the GUI thread kept ticking meanwhile.
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    QCOMPARE(fakelib::maxInFlight.load(), 3);
    const auto sentBack = active.first().first().value<QVector<DeviceInfo>>();
    for (int i = 0; i < entries.size(); ++i) {
        QCOMPARE(sentBack[i].serialNo, entries[i].serialNo);
        QCOMPARE(sentBack[i].result, u"Succeed"_qs);
    }
    QVERIFY(!cover->isVisible());
}

void TestDeviceModifyPage::stopLeavesTheRestNotSent() {
    m_page->setTaskThreads(2);
    fakelib::delayMs = 60;
    DeviceSample sample;
    sample.typeCode = 0x1000;
    const QVector<DeviceInfo> entries = batch(12, sample);
    m_page->onCurrentSelectionChange(MODIFY_BATCH, entries);
    edit("m_lineEditAdminPassword")->setText(u"Admin-123"_qs);
    edit("m_lineEditStartIp")->setText(u"10.1.0.10"_qs);
    edit("m_lineEditSubnetMask")->setText(u"255.255.0.0"_qs);
    edit("m_lineEditRTSP")->setText(u"554"_qs);
    edit("m_lineEditDeviceName")->setText(u"Yard"_qs);
    edit("m_lineEditPort")->setText(u"8000"_qs);
    edit("m_lineEditHttpPort")->setText(u"80"_qs);
    QSignalSpy modified(m_page.get(), &DeviceModifyPage::signalModifyResult);
    Results results;
    ModalWatcher watcher;
    watcher.onOther = [&results](QWidget* modal) { readResults(modal, results); };
    // Stop as the first device answers: two calls may be in flight then, the rest has not started.
    auto* changes = m_page->findChild<VexaTool::ChangeController*>();
    QVERIFY(changes);
    bool stopped = false;
    connect(changes, &VexaTool::ChangeController::signalChangeSettled, this, [this, &stopped] {
        if (stopped)
            return;
        stopped = true;
        QTest::mouseClick(m_page->progressCover()->findChild<QPushButton*>(u"m_btnBatchStop"_qs), Qt::LeftButton);
        QVERIFY(!m_page->progressCover()->stopOffered());
    });
    click("m_btnModify");
    QTRY_COMPARE(results.shown, 1);
    const auto sentBack = modified.first().first().value<QVector<DeviceInfo>>();
    int notSent = 0;
    for (int i = 0; i < entries.size(); ++i) {
        const bool called = fakelib::calls.contains(entries[i].mac.toLatin1());
        if (sentBack[i].result == VexaTool::PlanText::stopped()) {
            ++notSent;
            QVERIFY(!called);
            QCOMPARE(recordText(stored(entries[i]).ipv4Address), entries[i].ipv4Address);
        } else if (sentBack[i].outcome.kind == VexaTool::Outcome::Kind::Unknown) {
            // Gone out as Stop was pressed: not waited for; its outcome comes when the device answers.
            QCOMPARE(sentBack[i].result, VexaTool::PlanText::stoppedWaiting());
        } else {
            QVERIFY(called);
            QCOMPARE(sentBack[i].result, u"Succeed"_qs);
            QCOMPARE(recordText(stored(entries[i]).ipv4Address), entries[i].ipv4Address); // until it reports
        }
    }
    QVERIFY2(notSent >= 6, qPrintable(QString::number(notSent)));
    // The devices not sent are the tail of the selection.
    QCOMPARE(sentBack.last().result, VexaTool::PlanText::stopped());
    const auto failed = std::count_if(sentBack.cbegin(), sentBack.cend(),
                                      [](const DeviceInfo& entry) { return !entry.outcome.isDone(); });
    QCOMPARE(results.failCaption, u"Failed Number: %1"_qs.arg(failed));
}

void TestDeviceModifyPage::forgetPassword_data() {
    QTest::addColumn<int>("support");
    QTest::addColumn<int>("resetFlags");
    QTest::addColumn<bool>("keyExchange");
    QTest::addColumn<bool>("qr");
    QTest::addColumn<bool>("ipc");
    QTest::newRow("security code") << 0 << 1 << false << true << false;
    QTest::newRow("key exchange") << int(VEXA_SUPPORT_KEY_RESET) << 0 << true << false << false;
    QTest::newRow("key exchange, QR, IPC")
        << int(VEXA_SUPPORT_KEY_RESET | VEXA_SUPPORT_RESET_IPC) << 1 << true << true << true;
}

void TestDeviceModifyPage::forgetPassword() {
    QFETCH(int, support);
    QFETCH(int, resetFlags);
    QFETCH(bool, keyExchange);
    QFETCH(bool, qr);
    QFETCH(bool, ipc);
    DeviceSample sample;
    sample.support = static_cast<uint8_t>(support);
    sample.resetFlags = static_cast<uint8_t>(resetFlags);
    m_page->onCurrentSelectionChange(MODIFY_SINGLE, batch(1, sample));
    QSignalSpy asked(m_page.get(), &DeviceModifyPage::signalRecoveryRequested);
    QSignalSpy cover(m_page.get(), &DeviceModifyPage::signalCoverMainPage);
    QSignalSpy uncover(m_page.get(), &DeviceModifyPage::signalDisCoverMainPage);
    ModalWatcher watcher;
    click("m_btnLostPassword");
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.first().at(0).toString(), u"VXTEST0000"_qs);
    QCOMPARE(asked.first().at(1).toBool(), keyExchange);
    QCOMPARE(asked.first().at(2).toBool(), qr);
    QCOMPARE(asked.first().at(3).toBool(), ipc);
    // One dialog; one that was still fetching its key request when first answered stayed open until that call
    // ended and was answered again.
    QVERIFY(watcher.others >= 1);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(cover.count(), 1);
    QCOMPARE(uncover.count(), 1);
}

void TestDeviceModifyPage::taskThreadsFromSetup_data() {
    QTest::addColumn<QString>("value"); // null: no TaskThread item
    QTest::addColumn<int>("threads");
    QTest::newRow("missing") << QString() << 8;
    QTest::newRow("one at a time") << u"1"_qs << 1;
    QTest::newRow("32") << u" 32 "_qs << 32;
    QTest::newRow("zero") << u"0"_qs << 8;
    QTest::newRow("not a number") << u"many"_qs << 8;
    QTest::newRow("capped") << u"100000"_qs << 64;
}

void TestDeviceModifyPage::taskThreadsFromSetup() {
    QFETCH(QString, value);
    QFETCH(int, threads);
    QTemporaryDir dir;
    QVERIFY(apt::ConfigureManager::GetInstance()->load(testsupport::writeSetup(
        dir.path(), value.isNull() ? QByteArray("<Skin><Value>CommonSkin</Value></Skin>")
                                   : "<TaskThread><Value>" + value.toUtf8() + "</Value></TaskThread>")));
    QCOMPARE(DeviceModifyPage::configuredTaskThreads(), threads);
    DeviceModifyPage page;
    QCOMPARE(page.taskThreads(), threads);
}

void TestDeviceModifyPage::receiptsFolderOpensOrIsShownToCopy_data() {
    QTest::addColumn<bool>("opens"); // whether something (a file manager) opens folders here
    QTest::newRow("a file manager opens it") << true;
    QTest::newRow("nothing opens it: the path to copy") << false;
}

void TestDeviceModifyPage::receiptsFolderOpensOrIsShownToCopy() {
    QFETCH(bool, opens);
    QTemporaryDir dir;
    const QString receipt = dir.filePath(u"receipt-1.csv"_qs);
    VexaTool::DeviceModifyResultPage results;
    QList<QUrl> asked;
    results.setFolderOpener([&asked, opens](const QUrl& url) {
        asked << url;
        return opens;
    });
    results.setReceiptHistory(receipt);
    results.show();
    auto* path = results.findChild<QLabel*>(u"m_labelReceiptPath"_qs);
    auto* copy = results.findChild<QPushButton*>(u"m_btnCopyReceiptFolder"_qs);
    QVERIFY(path && path->isVisible() && path->text().contains(QDir::toNativeSeparators(receipt)));
    QVERIFY(!copy->isVisible());
    QTest::mouseClick(results.findChild<QPushButton*>(u"m_btnReceiptHistory"_qs), Qt::LeftButton);
    QCOMPARE(asked, QList<QUrl>{QUrl::fromLocalFile(dir.path())});
    QCOMPARE(copy->isVisible(), !opens);
    if (!opens) {
        QVERIFY(path->text().contains(QDir::toNativeSeparators(dir.path())));
        QTest::mouseClick(copy, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), QDir::toNativeSeparators(dir.path()));
    }
}

QTEST_MAIN(TestDeviceModifyPage)

#include "tst_devicemodifypage.moc"
