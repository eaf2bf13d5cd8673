#include <QHash>
#include <QStringList>
#include <QTest>

#include "devicelist/TestRecords.h"
#include "discovery/DeviceStore.h"
#include "discovery/OnvifLogin.h"
#include "fleet/DeviceFleet.h"
#include "support/FakeLibrary.h"

using namespace Qt::StringLiterals;
using testrecords::device;
using testrecords::onvifDevice;
using VexaTool::DeviceFleet;

namespace {

// The devices the cases talk about, by a short name.
QHash<QString, VEXA_DEVICE_MY_INFO> namedRecords() {
    QHash<QString, VEXA_DEVICE_MY_INFO> r;
    r.insert(u"a"_s, device("VX1", "02-AB-00-00-00-01", "192.168.1.2"));
    r.insert(u"aMoved"_s, device("VX1", "02-AB-00-00-00-01", "192.168.1.50"));
    r.insert(u"b"_s, device("VX2", "02-AB-00-00-00-02", "192.168.1.3"));
    r.insert(u"sameMac"_s, device("VX9", "02-AB-00-00-00-01", "192.168.1.9"));
    // a's ONVIF side: heard, then read (its MAC written the ONVIF way)
    r.insert(u"twin"_s, onvifDevice("urn:uuid:t1", "192.168.1.2", VEXA_DETAILS_PENDING));
    r.insert(u"twinRead"_s, onvifDevice("urn:uuid:t1", "192.168.1.2", VEXA_DETAILS_READ, "OC1", "02:ab:00:00:00:01"));
    r.insert(u"k"_s, onvifDevice("urn:uuid:k1", "192.168.1.70", VEXA_DETAILS_NEED_LOGIN));
    r.insert(u"kRead"_s, onvifDevice("urn:uuid:k1", "192.168.1.70", VEXA_DETAILS_READ, "OC2", "0a:00:00:00:00:01"));
    r.insert(u"kMoved"_s, onvifDevice("urn:uuid:k1", "192.168.1.71", VEXA_DETAILS_READ, "OC2", "0a:00:00:00:00:01"));
    r.insert(u"kAgain"_s, onvifDevice("urn:uuid:k1", "192.168.1.71", VEXA_DETAILS_PENDING));
    auto bye = r.value(u"kRead"_s);
    bye.onvifFlags = VEXA_ONVIF_SAID_BYE;
    r.insert(u"kBye"_s, bye);
    return r;
}

// What was read back after a change: another address and gateway than a announced.
VEXA_NET_PARAM readBack() {
    VEXA_NET_PARAM params;
    VEXA::netParamsFromRecord(device("VX1", "02-AB-00-00-00-01", "192.168.1.99"), params);
    setRecordText(params.ipv4Gateway, "192.168.1.254");
    return params;
}

QString describe(const VEXA_DEVICE_MY_INFO& record) {
    return deviceKeyOf(record).serialNo + u'@' + recordText(record.ipv4Address) + u'/' + recordText(record.ipv4Gateway);
}

} // namespace

class TestDeviceFleet : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void eventsMakeTheList_data();
    void eventsMakeTheList();

private:
    QHash<QString, VEXA_DEVICE_MY_INFO> m_records = namedRecords();
};

void TestDeviceFleet::initTestCase() {
    fakelib::install();
    fakelib::refusals.insert("urn:uuid:k1", "Sender not authorized");
}

void TestDeviceFleet::init() {
    VEXA::DeviceStore::instance()->clear();
    VEXA::OnvifLogin::instance().clear();
}

void TestDeviceFleet::eventsMakeTheList_data() {
    // Steps: +name online, -name offline, ~name update, hide:name left out for its maker, login:name a sign-in
    // for that device, start:name a change sent to it, settle:name its end without a read-back, back:name with one.
    QTest::addColumn<QString>("steps");
    // Each listed device in list order: key@address/gateway, "*" while restarting, "+onvif" when a twin.
    QTest::addColumn<QString>("listed");
    QTest::addColumn<int>("hidden");
    QTest::addColumn<QString>("refusals"); // endpoint=words, of devices whose sign-in was refused

    const QString a = u"VX1@192.168.1.2/192.168.1.1"_s;
    const QString b = u"VX2@192.168.1.3/192.168.1.1"_s;
    QTest::newRow("one entry per MAC") << u"+a +sameMac +b"_s << a + u' ' + b << 0 << QString();
    QTest::newRow("offline removes") << u"+a +b -a"_s << b << 0 << QString();
    QTest::newRow("twin, ours first") << u"+a +twinRead"_s << a + u"+onvif"_s << 0 << QString();
    QTest::newRow("twin, ONVIF first") << u"+twinRead +a"_s << a + u"+onvif"_s << 0 << QString();
    QTest::newRow("twin known by its details") << u"+twin +a ~twinRead"_s << a + u"+onvif"_s << 0 << QString();
    QTest::newRow("twin alone when ours leaves")
        << u"+a +twinRead -a"_s << u"OC1@192.168.1.2/192.168.1.1"_s << 0 << QString();
    QTest::newRow("twin gone, ours stays") << u"+a +twinRead -twinRead"_s << a << 0 << QString();
    QTest::newRow("re-keyed by its details") << u"+k ~kRead"_s << u"OC2@192.168.1.70/192.168.1.1"_s << 0 << QString();
    QTest::newRow("hidden by maker, counted until it leaves") << u"hide:b +a"_s << a << 1 << QString();
    QTest::newRow("hidden device leaves") << u"hide:b +a -b"_s << a << 0 << QString();
    QTest::newRow("sign-in refused in its words")
        << u"+k login:k ~k"_s << u"urn:uuid:k1@192.168.1.70/"_s << 0 << u"urn:uuid:k1=Sender not authorized"_s;
    QTest::newRow("not signed in: asks, never refused")
        << u"+k ~k"_s << u"urn:uuid:k1@192.168.1.70/"_s << 0 << QString();

    QTest::newRow("restart keeps the entry through silence")
        << u"+a +b start:a -a"_s << a + u'*' + u' ' + b << 0 << QString();
    QTest::newRow("restarted elsewhere: same entry, answered")
        << u"+a +b start:a -a +aMoved"_s << u"VX1@192.168.1.50/192.168.1.1 "_s + b << 0 << QString();
    QTest::newRow("settled without read-back keeps what it announced")
        << u"+a start:a settle:a"_s << a << 0 << QString();
    QTest::newRow("silent until settled: gone") << u"+a +b start:a -a settle:a"_s << b << 0 << QString();
    QTest::newRow("read-back taken") << u"+a start:a back:a"_s << u"VX1@192.168.1.99/192.168.1.254"_s << 0 << QString();
    QTest::newRow("read-back without a restart")
        << u"+a back:a"_s << u"VX1@192.168.1.99/192.168.1.254"_s << 0 << QString();
    QTest::newRow("ONVIF restart: goodbye and a fresh read keep its key")
        << u"+kRead start:kRead ~kBye -kRead ~kAgain"_s << u"OC2@192.168.1.71/*"_s << 0 << QString();
    QTest::newRow("ONVIF restart ends when its details come back")
        << u"+kRead start:kRead -kRead ~kAgain ~kMoved"_s << u"OC2@192.168.1.71/192.168.1.1"_s << 0 << QString();
    QTest::newRow("a change to an unlisted device is ignored") << u"start:a +a"_s << a << 0 << QString();
}

void TestDeviceFleet::eventsMakeTheList() {
    QFETCH(QString, steps);
    QFETCH(QString, listed);
    QFETCH(int, hidden);
    QFETCH(QString, refusals);

    DeviceFleet fleet;
    fleet.setEventSlice(0);
    // What a table would show, built from the signals alone: it must end as the store does.
    QStringList rows;
    QHash<QString, QString> refused;
    auto rowOf = [&rows](const VEXA_DEVICE_MY_INFO& record) {
        const QString endpoint = recordText(record.endpointReference);
        for (int i = 0; i < rows.size(); ++i) {
            if (rows.at(i).section(u'|', 0, 0) == deviceKeyOf(record).serialNo ||
                (!endpoint.isEmpty() && rows.at(i).section(u'|', 1, 1) == endpoint))
                return i;
        }
        return -1;
    };
    connect(&fleet, &DeviceFleet::deviceAdded, this, [&](const VEXA_DEVICE_MY_INFO& record) {
        QVERIFY(rowOf(record) < 0);
        rows << deviceKeyOf(record).serialNo + u'|' + recordText(record.endpointReference);
    });
    connect(&fleet, &DeviceFleet::deviceRemoved, this, [&](const VEXA_DEVICE_MY_INFO& record) {
        if (const int row = rowOf(record); row >= 0)
            rows.removeAt(row);
    });
    auto rewrite = [&](const VEXA_DEVICE_MY_INFO& record) {
        const int row = rowOf(record);
        QVERIFY(row >= 0);
        rows[row] = deviceKeyOf(record).serialNo + u'|' + recordText(record.endpointReference);
    };
    connect(&fleet, &DeviceFleet::deviceUpdated, this, rewrite);
    connect(&fleet, &DeviceFleet::deviceReadBack, this, rewrite);
    connect(&fleet, &DeviceFleet::refusalChanged, this, [&](const QString& endpoint, const QString& reason) {
        if (reason.isEmpty())
            refused.remove(endpoint);
        else
            refused.insert(endpoint, reason);
    });

    for (const QString& step : steps.split(u' ')) {
        const QString name = step.section(u':', -1).mid(step.contains(u':') ? 0 : 1);
        QVERIFY2(m_records.contains(name), qPrintable(step));
        const VEXA_DEVICE_MY_INFO record = m_records.value(name);
        const DeviceKey key = deviceKeyOf(record);
        if (step.startsWith(u'+'))
            fleet.onDeviceOnline(record);
        else if (step.startsWith(u'-'))
            fleet.onDeviceOffline(record);
        else if (step.startsWith(u'~'))
            fleet.onDeviceUpdate(record);
        else if (step.startsWith(u"hide:"))
            fleet.onDeviceHiddenByMaker(record);
        else if (step.startsWith(u"login:"))
            VEXA::OnvifLogin::instance().assign(u"admin"_s, u"Wrong-Pass1"_s, {recordText(record.endpointReference)},
                                                false);
        else if (step.startsWith(u"start:"))
            fleet.changeStarted(key);
        else if (step.startsWith(u"settle:"))
            fleet.changeSettled(key, VexaTool::Outcome::done(), std::nullopt);
        else if (step.startsWith(u"back:"))
            fleet.changeSettled(key, VexaTool::Outcome::done(), readBack());
    }

    QStringList shown;
    QStringList stored;
    for (const VEXA_DEVICE_MY_INFO& record : fleet.records()) {
        const DeviceKey key = deviceKeyOf(record);
        shown << describe(record) + (fleet.isRestarting(key) ? u"*"_s : QString()) +
                     (fleet.hasTwin(key) ? u"+onvif"_s : QString());
        stored << key.serialNo + u'|' + recordText(record.endpointReference);
        // The address-held rule's question: who holds this address now.
        QVERIFY(fleet.holdersOf(recordText(record.ipv4Address)).contains(key));
    }
    QVERIFY(fleet.holdersOf(u"10.9.9.9"_s).isEmpty());
    QCOMPARE(shown.join(u' '), listed);
    QCOMPARE(rows, stored);
    QCOMPARE(fleet.count(), static_cast<int>(stored.size()));
    QCOMPARE(fleet.hiddenByMaker(), hidden);
    QStringList words;
    for (auto it = refused.cbegin(); it != refused.cend(); ++it)
        words << it.key() + u'=' + it.value();
    QCOMPARE(words.join(u' '), refusals);
}

QTEST_GUILESS_MAIN(TestDeviceFleet)
#include "tst_devicefleet.moc"
