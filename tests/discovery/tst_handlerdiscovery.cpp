#include <QFile>
#include <QProcess>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "discovery/VexaHandler.h"

using VEXA::VexaHandler;

// The handler on the real library, against a simulated fleet on loopback.
class TestHandlerDiscovery : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void reportsOurVideoDevicesOnce();
    void clearUpBringsThemBackAsNew();
    void simulatorShutdownReportsAllGone();

private:
    static QSet<QString> serials(const QSignalSpy& spy);

    QTemporaryDir m_dir;
    QProcess m_simulator;
    QSet<QString> m_expected; // devices of our OEM and of the video class
    VexaHandler* m_handler = nullptr;
};

void TestHandlerDiscovery::initTestCase() {
    QVERIFY(qEnvironmentVariable("VEXA_IFACE") == QLatin1String("127.0.0.1"));
    qRegisterMetaType<VEXA_DEVICE_MY_INFO>("VEXA_DEVICE_MY_INFO");
    const QString dump = m_dir.filePath(QStringLiteral("fleet.txt"));
    m_simulator.setProgram(qEnvironmentVariable("VEXA_BIN_DIR") + QStringLiteral("/vexa-devsim"));
    m_simulator.setArguments({QStringLiteral("--count"), QStringLiteral("60"), QStringLiteral("--seed"),
                              QStringLiteral("11"), QStringLiteral("--dump"), dump, QStringLiteral("--reply-delay"),
                              QStringLiteral("20:200")});
    m_simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_simulator.start();
    QVERIFY(m_simulator.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dump), 10000);

    QFile file(dump);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    int devices = 0;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        ++devices;
        QMap<QString, QString> fields;
        for (const QString& item : line.split(QLatin1Char('\t'))) {
            const qsizetype eq = item.indexOf(QLatin1Char('='));
            fields.insert(item.left(eq), item.mid(eq + 1));
        }
        if (fields.value(QStringLiteral("oemInfo")) == QLatin1String(VexaHandler::kOemInfo) &&
            fields.value(QStringLiteral("oemCode")) == QLatin1String("1") &&
            fields.value(QStringLiteral("class")) == QLatin1String("1"))
            m_expected.insert(fields.value(QStringLiteral("serial")));
    }
    QCOMPARE(devices, 60);
    // The fleet mixes in devices the list must not show; otherwise this test proves little.
    QVERIFY(m_expected.size() > 30 && m_expected.size() < 60);

    m_handler = VexaHandler::instance();
    QVERIFY(m_handler->setFilterRule(true));
}

void TestHandlerDiscovery::cleanupTestCase() {
    if (m_handler)
        QVERIFY(m_handler->stop());
    if (m_simulator.state() != QProcess::NotRunning) {
        m_simulator.kill();
        m_simulator.waitForFinished();
    }
}

QSet<QString> TestHandlerDiscovery::serials(const QSignalSpy& spy) {
    QSet<QString> result;
    for (const QList<QVariant>& arguments : spy)
        result.insert(recordText(arguments.at(0).value<VEXA_DEVICE_MY_INFO>().serialNo));
    return result;
}

void TestHandlerDiscovery::reportsOurVideoDevicesOnce() {
    QSignalSpy online(m_handler, &VexaHandler::signalDeviceOnline);
    QVERIFY(m_handler->start());
    QVERIFY(m_handler->start());
    QTRY_COMPARE_WITH_TIMEOUT(serials(online), m_expected, 10000);
    QTest::qWait(300); // late duplicates would show here
    QCOMPARE(online.count(), m_expected.size());
}

void TestHandlerDiscovery::clearUpBringsThemBackAsNew() {
    QSignalSpy online(m_handler, &VexaHandler::signalDeviceOnline);
    QVERIFY(m_handler->clearUp());
    QVERIFY(m_handler->sendInquiry());
    QTRY_COMPARE_WITH_TIMEOUT(serials(online), m_expected, 10000);
}

void TestHandlerDiscovery::simulatorShutdownReportsAllGone() {
    QSignalSpy offline(m_handler, &VexaHandler::signalDeviceOffline);
    m_simulator.terminate();
    QVERIFY(m_simulator.waitForFinished(10000));
    QTRY_VERIFY_WITH_TIMEOUT(serials(offline).contains(m_expected), 10000);
}

QTEST_GUILESS_MAIN(TestHandlerDiscovery)
#include "tst_handlerdiscovery.moc"
