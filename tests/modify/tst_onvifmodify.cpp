// The modify page with ONVIF devices ticked, alone or beside ours: what the form offers them, who is sent what
// and who is left out, the login it sends with, and the restart a change may need.
#include <atomic>
#include <mutex>

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include "ModifyTestSupport.h"
#include "aptui/BatchProgressCover.h"
#include "aptui/MultiStateLineEdit.h"
#include "discovery/OnvifLogin.h"
#include "discovery/VexaHandler.h"
#include "modify/DeviceModifyPage.h"
#include "modify/DeviceModifyResultPage.h"
#include "modify/DeviceNetParaPage.h"
#include "outcome/ErrorText.h"
#include "plan/ChangeController.h"
#include "vexa.h"

using namespace modifytest;
using VexaTool::DeviceModifyPage;

namespace fakelib {

std::mutex mutex;
QHash<QByteArray, QByteArray> passwords; // by the name the call was given
QHash<QByteArray, VEXA_NET_PARAM> sent;
QHash<QByteArray, uint32_t> codes;
std::atomic<bool> hold{false};
thread_local uint32_t lastError = 0;

int modify(const char* mac, const char* password, VEXA_NET_PARAM* params) {
    while (hold.load())
        QThread::msleep(2);
    std::lock_guard<std::mutex> lock(mutex);
    passwords.insert(QByteArray(mac), QByteArray(password));
    sent.insert(QByteArray(mac), *params);
    lastError = codes.value(QByteArray(mac), 0);
    return lastError == 0 ? 1 : 0;
}

uint32_t getLastError() {
    return lastError;
}

} // namespace fakelib

namespace {

// An ONVIF device as the library reports it once its details are read: service port 8080, no IPv6 unless given.
DeviceSample onvifSample(int i, const QString& ipv6 = {}) {
    DeviceSample s;
    s.serial = QStringLiteral("CAM%1").arg(i, 4, 10, QLatin1Char('0'));
    s.mac = QStringLiteral("0a-00-00-00-00-%1").arg(i, 2, 16, QLatin1Char('0'));
    s.ipv4 = QStringLiteral("127.70.0.%1").arg(i + 10);
    s.ipv6 = ipv6;
    s.ipv6Gateway = ipv6.isEmpty() ? QString() : QStringLiteral("fd00::1");
    s.port = 8080;
    s.httpPort = 8080;
    s.typeCode = 0;
    s.capability = 0;
    s.support = static_cast<uint8_t>(VEXA_SUPPORT_DHCP | (ipv6.isEmpty() ? 0 : VEXA_SUPPORT_IPV6));
    s.typeName = QStringLiteral("ONVIF-Cam");
    return s;
}

DeviceInfo addOnvif(int i, bool read = true, const QString& ipv6 = {}) {
    VEXA_DEVICE_MY_INFO r = makeRecord(onvifSample(i, ipv6));
    r.protocol = VEXA_PROTOCOL_ONVIF;
    r.detailsState = read ? VEXA_DETAILS_READ : VEXA_DETAILS_NEED_LOGIN;
    r.capabilityLevel = 0;
    setRecordText(
        r.endpointReference,
        QStringLiteral("urn:uuid:00000000-0000-0000-0000-0000000000%1").arg(i, 2, 10, QLatin1Char('0')).toLatin1());
    if (!read) {
        // Before sign-in: the address discovery gave, nothing else; named by the endpoint reference.
        std::memset(r.serialNo, 0, sizeof r.serialNo);
        std::memset(r.mac, 0, sizeof r.mac);
    }
    VEXA::DeviceStore::instance()->add(r);
    const DeviceKey key = deviceKeyOf(r);
    return DeviceInfo{
        QString::number(i), recordText(r.deviceTypeName), recordText(r.ipv4Address), key.serialNo, key.mac, QString()};
}

} // namespace

class TestOnvifModify : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void fieldsAnOnvifDeviceCannotChange_data();
    void fieldsAnOnvifDeviceCannotChange();
    void loginRowsFollowTheSelection_data();
    void loginRowsFollowTheSelection();
    void mixedSelection_data();
    void mixedSelection();
    void restartShowsAndTheResultSaysWhetherItCameBack_data();
    void restartShowsAndTheResultSaysWhetherItCameBack();
    void noRecoveryOrActivationForOnvif();

private:
    aptui::MultiStateLineEdit* edit(const char* name) const {
        return m_page->findChild<aptui::MultiStateLineEdit*>(QString::fromLatin1(name));
    }
    void click(const char* name) {
        QTest::mouseClick(m_page->findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
    }

    std::unique_ptr<QWidget> m_window;
    DeviceModifyPage* m_page = nullptr;
};

void TestOnvifModify::initTestCase() {
    qRegisterMetaType<DeviceInfo>("DeviceInfo");
    qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");
    VEXA::VexaLibrary library;
    library.modifyNetParams = &fakelib::modify;
    library.lastError = &fakelib::getLastError;
    VEXA::VexaHandler::instance()->setLibrary(library);
}

void TestOnvifModify::init() {
    {
        std::lock_guard<std::mutex> lock(fakelib::mutex);
        fakelib::passwords.clear();
        fakelib::sent.clear();
        fakelib::codes.clear();
    }
    fakelib::hold = false;
    VEXA::DeviceStore::instance()->clear();
    VEXA::OnvifLogin::instance().clear();
    // A window of its own, so that the progress cover has something to cover.
    m_window = std::make_unique<QWidget>();
    m_window->resize(800, 700);
    m_page = new DeviceModifyPage(m_window.get());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestOnvifModify::cleanup() {
    fakelib::hold = false;
    QTRY_VERIFY(!m_page->isBusy());
    m_window.reset();
}

void TestOnvifModify::fieldsAnOnvifDeviceCannotChange_data() {
    QTest::addColumn<QString>("selection"); // o: ONVIF, 6: ONVIF with IPv6, v: ours
    QTest::addColumn<bool>("portEnabled");
    QTest::addColumn<bool>("portTip");
    QTest::addColumn<bool>("ipv6Tip");
    QTest::addColumn<QString>("ipv6Shown");
    QTest::newRow("one ONVIF device without IPv6") << u"o"_qs << false << true << true << QString();
    QTest::newRow("one ONVIF device with IPv6") << u"6"_qs << false << true << true << u"fd00::70:1"_qs;
    QTest::newRow("one of ours, as before") << u"v"_qs << true << false << false << u"fe80::64"_qs;
    QTest::newRow("a batch of ONVIF devices of one port") << u"oo"_qs << false << true << false << QString();
    QTest::newRow("ours and ONVIF: the port is for ours") << u"vov"_qs << true << true << false << QString();
    QTest::newRow("a batch of ours, as before") << u"vv"_qs << true << false << false << QString();
}

void TestOnvifModify::fieldsAnOnvifDeviceCannotChange() {
    QFETCH(QString, selection);
    QFETCH(bool, portEnabled);
    QFETCH(bool, portTip);
    QFETCH(bool, ipv6Tip);
    QFETCH(QString, ipv6Shown);
    QVector<DeviceInfo> entries;
    for (int i = 0; i < selection.size(); ++i) {
        const QChar kind = selection.at(i);
        entries << (kind == u'v' ? addDevice(numbered(i), i + 1)
                                 : addOnvif(i + 1, true, kind == u'6' ? u"fd00::70:1"_qs : QString()));
    }
    m_page->onCurrentSelectionChange(entries.size() == 1 ? MODIFY_SINGLE : MODIFY_BATCH, entries);
    QCOMPARE(edit("m_lineEditPort")->isEnabled(), portEnabled);
    QCOMPARE(!edit("m_lineEditPort")->toolTip().isEmpty(), portTip);
    if (entries.size() == 1) {
        QCOMPARE(edit("m_lineEditIPV6Address")->text(), ipv6Shown);
        QCOMPARE(!edit("m_lineEditIPV6Address")->toolTip().isEmpty(), ipv6Tip);
        if (ipv6Tip)
            QVERIFY(!edit("m_lineEditIPV6Address")->isEnabled() && !edit("m_lineEditIPV6Gateway")->isEnabled() &&
                    !edit("m_lineEditIPV6SubnetMaskLen")->isEnabled());
        // A single ONVIF device passes the form whatever its port, and gets back the port it has.
        edit("m_lineEditAdminPassword")->setText(u"Admin-123"_qs);
        edit("m_lineEditOnvifPassword")->setText(u"Camera-2024"_qs);
        edit("m_lineEditRTSP")->setText(u"1554"_qs);
        ModalWatcher watcher;
        click("m_btnModify");
        QTRY_VERIFY(!m_page->isBusy() && !fakelib::sent.isEmpty());
        const VEXA_NET_PARAM p = fakelib::sent.value(entries.first().mac.toLatin1());
        QCOMPARE(int(p.port), entries.first().serialNo.startsWith(u"CAM"_qs) ? 8080 : 8000);
        QCOMPARE(int(p.rtspPort), 1554);
        QCOMPARE(recordText(p.ipv6Address), ipv6Shown);
    }
}

void TestOnvifModify::loginRowsFollowTheSelection_data() {
    QTest::addColumn<QString>("selection");
    QTest::addColumn<bool>("onvifRows");
    QTest::addColumn<bool>("adminRow");
    QTest::newRow("ours only") << u"v"_qs << false << true;
    QTest::newRow("ONVIF only") << u"oo"_qs << true << false;
    QTest::newRow("both") << u"vo"_qs << true << true;
    QTest::newRow("nothing") << QString() << false << true;
}

void TestOnvifModify::loginRowsFollowTheSelection() {
    QFETCH(QString, selection);
    QFETCH(bool, onvifRows);
    QFETCH(bool, adminRow);
    VEXA::OnvifLogin::instance().set(u"operator"_qs, u"Signed-In-1"_qs);
    QVector<DeviceInfo> entries;
    for (int i = 0; i < selection.size(); ++i)
        entries << (selection.at(i) == u'v' ? addDevice(numbered(i), i + 1) : addOnvif(i + 1));
    m_page->onCurrentSelectionChange(entries.size() > 1 ? MODIFY_BATCH : MODIFY_SINGLE, entries);
    QCOMPARE(edit("m_lineEditOnvifUser")->isVisible(), onvifRows);
    QCOMPARE(edit("m_lineEditOnvifPassword")->isVisible(), onvifRows);
    QCOMPARE(edit("m_lineEditAdminPassword")->isVisible(), adminRow);
    if (!onvifRows)
        return;
    // Prefilled from the sign-in; what the user types there becomes the run's login before anything is sent.
    QCOMPARE(edit("m_lineEditOnvifUser")->text(), u"operator"_qs);
    QCOMPARE(edit("m_lineEditOnvifPassword")->text(), u"Signed-In-1"_qs);
    QSignalSpy changed(&VEXA::OnvifLogin::instance(), &VEXA::OnvifLogin::changed);
    edit("m_lineEditOnvifUser")->setText(u"admin"_qs);
    edit("m_lineEditOnvifPassword")->setText(u"Camera-2024"_qs);
    edit("m_lineEditAdminPassword")->setText(u"Admin-123"_qs);
    edit("m_lineEditDeviceName")->setText(u"Gate"_qs);
    if (entries.size() > 1) {
        edit("m_lineEditStartIp")->setText(u"127.70.9.1"_qs);
        edit("m_lineEditSubnetMask")->setText(u"255.255.0.0"_qs);
        edit("m_lineEditGateway")->setText(u"127.70.0.254"_qs);
        edit("m_lineEditRTSP")->setText(u"554"_qs);
    }
    ModalWatcher watcher;
    watcher.onOther = [](QWidget* modal) { qobject_cast<QDialog*>(modal)->accept(); };
    click("m_btnModify");
    QTRY_VERIFY(!m_page->isBusy() && fakelib::sent.size() == entries.size());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(VEXA::OnvifLogin::instance().user(), u"admin"_qs);
    QCOMPARE(VEXA::OnvifLogin::instance().password(), u"Camera-2024"_qs);
    // Each device gets its own kind of password: ours the administrator's, ONVIF devices the ONVIF one.
    for (const DeviceInfo& entry : entries)
        QCOMPARE(fakelib::passwords.value(entry.mac.toLatin1()),
                 entry.serialNo.startsWith(u"CAM"_qs) ? QByteArray("Camera-2024") : QByteArray("Admin-123"));
}

void TestOnvifModify::mixedSelection_data() {
    QTest::addColumn<QString>("selection"); // v: ours, o: ONVIF read, n: ONVIF before sign-in
    QTest::addColumn<QString>("port");      // typed into the batch's port editor
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<QStringList>("addresses"); // the receipt's new address per device
    const QString ok = VexaTool::ErrorText::text(VexaTool::ErrorText::Form::BatchModification, VEXA_NOERROR);
    const QString notRead = u"Left out: the settings of this ONVIF device are not read yet; sign in first."_qs;
    const QString portFixed = u"Left out: the port of an ONVIF device cannot be changed."_qs;
    QTest::newRow("ours and ONVIF take consecutive addresses together")
        << u"vov"_qs << QString() << QStringList{ok, ok, ok}
        << QStringList{u"127.70.9.1"_qs, u"127.70.9.2"_qs, u"127.70.9.3"_qs};
    QTest::newRow("a device before sign-in is left out, the others close ranks")
        << u"vnov"_qs << QString() << QStringList{ok, ok, ok, notRead}
        << QStringList{u"127.70.9.1"_qs, u"127.70.9.2"_qs, u"127.70.9.3"_qs, u"127.70.0.12"_qs};
    QTest::newRow("a port for ours leaves the ONVIF devices out")
        << u"vov"_qs << u"8100"_qs << QStringList{ok, ok, portFixed}
        << QStringList{u"127.70.9.1"_qs, u"127.70.9.2"_qs, u"127.70.0.12"_qs};
}

void TestOnvifModify::mixedSelection() {
    QFETCH(QString, selection);
    QFETCH(QString, port);
    QFETCH(QStringList, results);
    QFETCH(QStringList, addresses);
    QVector<DeviceInfo> entries;
    for (int i = 0; i < selection.size(); ++i) {
        const QChar kind = selection.at(i);
        entries << (kind == u'v' ? addDevice(numbered(i), i + 1) : addOnvif(i + 1, kind == u'o'));
    }
    m_page->onCurrentSelectionChange(MODIFY_BATCH, entries);
    edit("m_lineEditAdminPassword")->setText(u"Admin-123"_qs);
    edit("m_lineEditOnvifPassword")->setText(u"Camera-2024"_qs);
    edit("m_lineEditStartIp")->setText(u"127.70.9.1"_qs);
    edit("m_lineEditSubnetMask")->setText(u"255.255.0.0"_qs);
    edit("m_lineEditGateway")->setText(u"127.70.0.254"_qs);
    edit("m_lineEditRTSP")->setText(u"554"_qs);
    edit("m_lineEditDeviceName")->setText(u"Yard"_qs);
    // Left empty beside ONVIF devices, each device keeps its own port.
    edit("m_lineEditPort")->setText(port);
    QSignalSpy modified(m_page, &DeviceModifyPage::signalModifyResult);
    std::vector<VexaTool::plan::ReceiptEntry> receipt;
    ModalWatcher watcher;
    watcher.onOther = [&receipt](QWidget* modal) {
        if (auto* page = qobject_cast<VexaTool::DeviceModifyResultPage*>(modal))
            receipt = page->receipt();
        qobject_cast<QDialog*>(modal)->accept();
    };
    click("m_btnModify");
    QTRY_VERIFY2(modified.count() == 1, qPrintable(watcher.warnings.join(u'|')));
    QVERIFY2(watcher.warnings.isEmpty(), qPrintable(watcher.warnings.join(u'|')));
    const auto rows = modified.first().first().value<QVector<DeviceInfo>>();
    QStringList got;
    for (const DeviceInfo& row : rows)
        got << row.result;
    QCOMPARE(got, results);
    QTRY_COMPARE(receipt.size(), static_cast<size_t>(results.size()));
    for (int i = 0; i < results.size(); ++i) {
        QCOMPARE(QString::fromStdString(receipt[static_cast<size_t>(i)].newAddress), addresses[i]);
        if (fakelib::sent.contains(rows[i].mac.toLatin1()))
            QCOMPARE(int(fakelib::sent.value(rows[i].mac.toLatin1()).port), rows[i].serialNo.startsWith(u"CAM"_qs)
                                                                                ? 8080
                                                                            : port.isEmpty() ? 8000
                                                                                             : port.toInt());
        // Nothing was sent to a device left out.
        QCOMPARE(fakelib::sent.contains(rows[i].mac.toLatin1()) && !rows[i].mac.isEmpty(),
                 !results[i].startsWith(u"Left out"_qs));
    }
}

void TestOnvifModify::restartShowsAndTheResultSaysWhetherItCameBack_data() {
    QTest::addColumn<uint32_t>("code");
    QTest::addColumn<bool>("success");
    QTest::newRow("back at its new address") << uint32_t(0) << true;
    QTest::newRow("not back in time") << uint32_t(VEXA_ERR_NOT_BACK) << false;
}

void TestOnvifModify::restartShowsAndTheResultSaysWhetherItCameBack() {
    QFETCH(uint32_t, code);
    QFETCH(bool, success);
    const QVector<DeviceInfo> entries{addOnvif(1), addOnvif(2), addOnvif(3)};
    fakelib::codes.insert(entries[1].mac.toLatin1(), code);
    m_page->onCurrentSelectionChange(MODIFY_BATCH, entries);
    edit("m_lineEditOnvifPassword")->setText(u"Camera-2024"_qs);
    edit("m_lineEditStartIp")->setText(u"127.71.0.1"_qs);
    edit("m_lineEditSubnetMask")->setText(u"255.255.0.0"_qs);
    edit("m_lineEditRTSP")->setText(u"554"_qs);
    edit("m_lineEditDeviceName")->setText(u"Yard"_qs);
    edit("m_lineEditGateway")->setText(u"127.71.0.254"_qs);
    fakelib::hold = true;
    auto* changes = m_page->findChild<VexaTool::ChangeController*>();
    QVERIFY(changes);
    QSignalSpy started(changes, &VexaTool::ChangeController::signalChangeStarted);
    QSignalSpy modified(m_page, &DeviceModifyPage::signalModifyResult);
    ModalWatcher watcher;
    watcher.onOther = [](QWidget* modal) { qobject_cast<QDialog*>(modal)->accept(); };
    click("m_btnModify");
    QTRY_VERIFY(m_page->progressCover() != nullptr && m_page->progressCover()->isVisible());
    QVERIFY(!m_page->progressCover()->text().contains(u"Restarting"_qs));
    // Every change has gone out (the fake holds them there): from now on each device may restart.
    QTRY_COMPARE(started.count(), 3);
    // The second device says goodbye while its call runs: it restarts to take its new address.
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    emit handler->signalDeviceOffline(stored(entries[1]));
    QVERIFY(m_page->progressCover()->text().contains(u"Restarting…"_qs));
    // A goodbye from a device of no running call is no restart of ours.
    emit handler->signalDeviceOffline(makeRecord(numbered(40)));
    QVERIFY(!m_page->progressCover()->text().contains(u"devices"_qs));
    fakelib::hold = false;
    QTRY_COMPARE(modified.count(), 1);
    const auto rows = modified.first().first().value<QVector<DeviceInfo>>();
    QCOMPARE(rows[1].result,
             VexaTool::ErrorText::text(VexaTool::ErrorText::Form::BatchModification, success ? VEXA_NOERROR : code));
    QCOMPARE(rows[1].outcome.isDone(), success);
    QCOMPARE(rows[1].ipv4Address, success ? u"127.71.0.2"_qs : entries[1].ipv4Address);
}

void TestOnvifModify::noRecoveryOrActivationForOnvif() {
    const QVector<DeviceInfo> entries{addOnvif(1)};
    m_page->onCurrentSelectionChange(MODIFY_SINGLE, entries);
    auto* lost = m_page->findChild<QPushButton*>(u"m_btnLostPassword"_qs);
    QVERIFY(!lost->isEnabled());
    QVERIFY(!lost->toolTip().isEmpty());
    // Reached all the same (a shortcut, a stale button): one line of why, and no dialog.
    ModalWatcher watcher;
    QSignalSpy recovery(m_page, &DeviceModifyPage::signalRecoveryRequested);
    m_page->onForgetPassword();
    QCOMPARE(recovery.count(), 0);
    QCOMPARE(watcher.warnings, QStringList{lost->toolTip()});
    QCOMPARE(watcher.others, 0);
}

QTEST_MAIN(TestOnvifModify)
#include "tst_onvifmodify.moc"
