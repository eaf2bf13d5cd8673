#include <cstring>

#include <QTest>

#include "discovery/DeviceRecord.h"
#include "vexa.h"

class TestDeviceRecord : public QObject {
    Q_OBJECT

private slots:
    void fullWidthTextsStayBounded();
    void httpPortIsWidenedUnsigned_data();
    void httpPortIsWidenedUnsigned();
    void textsRoundTripByteForByte_data();
    void textsRoundTripByteForByte();
};

static VEXA_DEVICE_INFO sampleLibraryRecord() {
    VEXA_DEVICE_INFO info;
    std::memset(&info, 0xAB, sizeof info); // garbage everywhere that is not set, to catch stray copies
    auto put = [](char* field, std::size_t width, const char* text) {
        std::memset(field, 0, width);
        std::memcpy(field, text, std::strlen(text));
    };
    put(info.serialNo, sizeof info.serialNo, "VX2208-N8P/0820201010AB12345678");
    put(info.mac, sizeof info.mac, "02-1a-2b-01-02-03");
    put(info.ipv4Address, sizeof info.ipv4Address, "192.0.2.64");
    put(info.ipv4SubnetMask, sizeof info.ipv4SubnetMask, "255.255.255.0");
    put(info.ipv4Gateway, sizeof info.ipv4Gateway, "192.0.2.1");
    put(info.softwareVersion, sizeof info.softwareVersion, "V4.1.25build 201021");
    put(info.dspVersion, sizeof info.dspVersion, "V5.0, build 200928");
    put(info.bootTime, sizeof info.bootTime, "2026,12,01,08:00:00");
    put(info.deviceTypeName, sizeof info.deviceTypeName, "NVR-8P");
    put(info.ipv6Address, sizeof info.ipv6Address, "fe80::1a:2bff:fe01:203");
    put(info.ipv6Gateway, sizeof info.ipv6Gateway, "fe80::1");
    put(info.deviceName, sizeof info.deviceName, "Gate camera");
    put(info.serviceTag, sizeof info.serviceTag, "TAG-01");
    info.deviceTypeCode = 0x9D01;
    info.port = 8000;
    info.channelCount = 8;
    info.auxCount = 2;
    info.httpPort = 80;
    info.rtspPort = 554;
    info.ipv6PrefixLength = 64;
    info.supportFlags = 0x47;
    info.resetFlags = 1;
    info.dhcpEnabled = 1;
    info.capabilityLevel = 2;
    info.activationState = 1;
    return info;
}

void TestDeviceRecord::fullWidthTextsStayBounded() {
    VEXA_DEVICE_INFO info = sampleLibraryRecord();
    std::memset(info.serialNo, 'S', sizeof info.serialNo); // no terminator; the MAC follows directly
    std::memset(info.deviceName, 'N', sizeof info.deviceName);
    VEXA_DEVICE_MY_INFO record;
    buildDeviceRecord(info, record);
    QCOMPARE(recordText(record.serialNo), QString(48, QLatin1Char('S')));
    QCOMPARE(recordText(record.deviceName), QString(32, QLatin1Char('N')));
    QCOMPARE(recordText(record.mac), QStringLiteral("02-1a-2b-01-02-03"));

    char field[4];
    setRecordText(field, QByteArray("abcdef"));
    QCOMPARE(QByteArray(field, 4), QByteArray("abcd"));
    setRecordText(field, QByteArray("x"));
    QCOMPARE(QByteArray(field, 4), QByteArray("x\0\0\0", 4));
}

void TestDeviceRecord::httpPortIsWidenedUnsigned_data() {
    QTest::addColumn<int>("port");
    QTest::newRow("none") << 0;
    QTest::newRow("web") << 80;
    QTest::newRow("above signed 16 bits") << 40000;
    QTest::newRow("largest") << 65535;
}

void TestDeviceRecord::httpPortIsWidenedUnsigned() {
    QFETCH(int, port);
    VEXA_DEVICE_INFO info = sampleLibraryRecord();
    info.httpPort = static_cast<uint16_t>(port);
    VEXA_DEVICE_MY_INFO record;
    buildDeviceRecord(info, record);
    QCOMPARE(record.httpPort, port);
}

void TestDeviceRecord::textsRoundTripByteForByte_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("visible"); // what a person sees: invisible characters marked
    const QString same;
    QTest::newRow("ascii") << QByteArray("VX2208-N8P/0820201010AB12345678")
                           << QStringLiteral("VX2208-N8P/0820201010AB12345678") << same;
    QTest::newRow("latin-1 letter") << QByteArray("SN-\xE9") << QStringLiteral("SN-\u00E9") << same;
    QTest::newRow("lone continuation byte")
        << QByteArray("SN-\x80\xBF") << QStringLiteral("SN-\u0080\u00BF") << QStringLiteral("SN-<U+0080>\u00BF");
    QTest::newRow("utf-8 letter") << QByteArray("SN-\xC3\xA9") << QStringLiteral("SN-\u00E9") << same;
    QTest::newRow("utf-8 chinese") << QByteArray("\xE5\xA4\xA7\xE9\x97\xA8") << QStringLiteral("\u5927\u95E8") << same;
    QTest::newRow("0xFF") << QByteArray("\xFF\xFE") << QStringLiteral("\u00FF\u00FE") << same;
    // A model that reads "IPC-1" on screen while it is "1-CPI" reversed, or a serial padded with invisible marks.
    QTest::newRow("right-to-left override") << QByteArray("\xE2\x80\xAE"
                                                          "1-CPI")
                                            << QStringLiteral("\u202E1-CPI") << QStringLiteral("<U+202E>1-CPI");
    QTest::newRow("isolate and mark") << QByteArray("A\xE2\x81\xA6"
                                                    "B\xE2\x80\x8F")
                                      << QStringLiteral("A\u2066B\u200F") << QStringLiteral("A<U+2066>B<U+200F>");
    QTest::newRow("zero-width space") << QByteArray("SN\xE2\x80\x8B"
                                                    "1")
                                      << QStringLiteral("SN\u200B"
                                                        "1")
                                      << QStringLiteral("SN<U+200B>1");
    QTest::newRow("escape") << QByteArray("SN\x1B[2J") << QStringLiteral("SN\u001B[2J")
                            << QStringLiteral("SN<U+001B>[2J");
    QTest::newRow("tag character, outside the BMP")
        << QByteArray("SN\xF3\xA0\x80\x81") << QString::fromUcs4(U"SN\U000E0001") << QStringLiteral("SN<U+E0001>");
    QTest::newRow("emoji stays") << QByteArray("\xF0\x9F\x93\xB7") << QString::fromUcs4(U"\U0001F4F7") << same;
}

// A text reads as UTF-8 where its bytes are UTF-8 and one character per byte otherwise, and either way goes back
// to the device as the bytes it came with; what a person sees marks every invisible character.
void TestDeviceRecord::textsRoundTripByteForByte() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QFETCH(QString, visible);
    VEXA_DEVICE_MY_INFO record;
    std::memset(&record, 0, sizeof record);
    setRecordText(record.serialNo, bytes);
    const QString text = recordText(record.serialNo);
    QCOMPARE(text, shown);
    const bool utf8 = QString::fromUtf8(bytes).toUtf8() == bytes;
    QCOMPARE(utf8 ? text.toUtf8() : text.toLatin1(), bytes);
    QCOMPARE(visibleText(text), visible.isNull() ? shown : visible);
}

QTEST_APPLESS_MAIN(TestDeviceRecord)
#include "tst_devicerecord.moc"
