// The inventory's rows for each kind of device it meets, and the CSV they make: one row per profile, or one that
// says why there is none; device texts that a spreadsheet would run are guarded and read back as they were.

#include <algorithm>
#include <cstring>

#include <QtTest>

#include "deployment/CsvReader.h"
#include "deployment/CsvWriter.h"
#include "deployment/Inventory.h"

using VexaTool::plan::CsvReader;
using VexaTool::plan::CsvWriter;
using VexaTool::plan::Inventory;
using VexaTool::plan::InventoryDevice;
using VexaTool::plan::InventoryMedia;

Q_DECLARE_METATYPE(InventoryDevice)
Q_DECLARE_METATYPE(InventoryMedia)

namespace {

template <std::size_t N>
void put(char (&field)[N], const char* text) {
    // A text that fills the field keeps no terminator, as the library writes it.
    std::memcpy(field, text, std::min(N, std::strlen(text)));
}

VEXA_MEDIA_PROFILE profile(const char* name, const char* stream, const char* streamGiven, const char* snapshot,
                           const char* note = "") {
    VEXA_MEDIA_PROFILE p{};
    put(p.token, "tok");
    put(p.name, name);
    put(p.encoding, "H264");
    p.width = 1920;
    p.height = 1080;
    p.frameRate = 25;
    put(p.streamUri, stream);
    put(p.streamUriOriginal, streamGiven);
    put(p.snapshotUri, snapshot);
    put(p.note, note);
    return p;
}

InventoryDevice camera(const char* maker = "Maker") {
    InventoryDevice d;
    d.maker = maker;
    d.model = "Dome";
    d.serialNo = "SN1";
    d.mac = "aa:bb:cc:00:00:01";
    d.firmware = "1.0";
    d.address = "10.0.0.5";
    d.httpPort = 80;
    d.rtspPort = 554;
    d.signIn = "signed in";
    d.protocol = "onvif";
    return d;
}

InventoryMedia read(std::vector<VEXA_MEDIA_PROFILE> profiles, uint32_t count, const char* note = "") {
    InventoryMedia m;
    m.state = InventoryMedia::State::Read;
    m.profiles = std::move(profiles);
    m.info.profileCount = count;
    m.info.clockKnown = 1;
    m.info.clockOffset = -3;
    put(m.info.note, note);
    return m;
}

QStringList checks(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* check : list)
        out.append(QString::fromUtf8(check));
    return out;
}

} // namespace

class TestInventory : public QObject {
    Q_OBJECT

private slots:
    void rows_data();
    void rows();
};

void TestInventory::rows_data() {
    QTest::addColumn<InventoryDevice>("device");
    QTest::addColumn<InventoryMedia>("media");
    QTest::addColumn<bool>("userColumn");
    // "row:Column=value" for each cell checked; the row count is the largest row named plus one.
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<int>("count");

    InventoryDevice ours;
    ours.model = "NVR-8";
    ours.serialNo = "OUR1";
    ours.mac = "00:11:22:33:44:55";
    ours.address = "10.0.0.2";
    ours.httpPort = 80;
    ours.signIn = Inventory::signInState(true, 0, false, 0, false);
    ours.protocol = "vexa";
    QTest::newRow("ours: the fields it has")
        << ours << InventoryMedia{} << false
        << checks({"0:Model=NVR-8", "0:Sign-in=activated",
                   "0:RTSP Port=", "0:Profile=", "0:Stream URI=", "0:Clock Offset="})
        << 1;

    InventoryDevice locked = camera();
    locked.signIn = Inventory::signInState(false, 0, true, VEXA_DETAILS_NEED_LOGIN, false);
    InventoryMedia refused;
    refused.state = InventoryMedia::State::Refused;
    refused.failure = "Sender not authorized";
    QTest::newRow("onvif, login refused")
        << locked << refused << false
        << checks({"0:Sign-in=login needed", "0:Note=Sender not authorized", "0:Stream URI="}) << 1;

    InventoryMedia failed;
    failed.state = InventoryMedia::State::Failed;
    failed.failure = "The device did not answer";
    failed.clockRead = true;
    failed.clockOffset = 12;
    QTest::newRow("onvif, media read failed; the clock still stands")
        << camera() << failed << false
        << checks({"0:Note=media not read: The device did not answer", "0:Clock Offset=12", "0:MAC=aa:bb:cc:00:00:01"})
        << 1;

    QTest::newRow("onvif, no profiles") << camera() << read({}, 0, "GetProfiles: none") << false
                                        << checks({"0:Profile=", "0:Note=GetProfiles: none", "0:Clock Offset=-3"}) << 1;

    QTest::newRow("onvif, one profile without a snapshot")
        << camera() << read({profile("Main", "rtsp://10.0.0.5:554/s1", "", "", "GetSnapshotUri: not supported")}, 1)
        << false
        << checks({"0:Profile=Main", "0:Stream URI=rtsp://10.0.0.5:554/s1",
                   "0:Snapshot URI=", "0:Note=GetSnapshotUri: not supported", "0:Resolution=1920x1080",
                   "0:Frame Rate=25", "0:Encoding=H264"})
        << 1;

    QTest::newRow("onvif, two profiles, host rewritten, user column")
        << camera()
        << read({profile("Main", "rtsp://10.0.0.5:554/s1", "rtsp://192.168.1.5:554/s1", "http://10.0.0.5/snap"),
                 profile("", "rtsp://10.0.0.5:554/s2", "rtsp://192.168.1.5:554/s2", "http://10.0.0.5/snap")},
                2)
        << true
        << checks({"0:Stream URI=rtsp://10.0.0.5:554/s1", "0:Stream URI Given=rtsp://192.168.1.5:554/s1",
                   "1:Stream URI=rtsp://10.0.0.5:554/s2", "1:Stream URI Given=rtsp://192.168.1.5:554/s2",
                   "1:Profile=tok", "0:User=installer", "1:User=installer", "1:Sign-in=signed in", "1:Protocol=onvif"})
        << 2;

    QTest::newRow("onvif, more profiles than were written")
        << camera() << read({profile("A", "", "", "")}, 5) << false << checks({"0:Profile=A"}) << 1;

    QTest::newRow("formula-like device texts")
        << camera("=HYPERLINK(\"x\")") << read({profile("+cmd", "@rtsp", "", "-1")}, 1) << false
        << checks({"0:Maker==HYPERLINK(\"x\")", "0:Profile=+cmd", "0:Stream URI=@rtsp", "0:Snapshot URI=-1"}) << 1;
}

void TestInventory::rows() {
    QFETCH(InventoryDevice, device);
    QFETCH(InventoryMedia, media);
    QFETCH(bool, userColumn);
    QFETCH(QStringList, cells);
    QFETCH(int, count);

    const std::vector<std::string> header = Inventory::header(userColumn);
    const auto rows = Inventory::rows(device, media, userColumn, "installer");
    QCOMPARE(static_cast<int>(rows.size()), count);
    for (const auto& row : rows)
        QCOMPARE(row.size(), header.size());
    for (const QString& check : cells) {
        const int colon = check.indexOf(QLatin1Char(':'));
        const int equals = check.indexOf(QLatin1Char('='));
        const size_t row = check.left(colon).toUInt();
        const std::string column = check.mid(colon + 1, equals - colon - 1).toStdString();
        const auto at = std::find(header.begin(), header.end(), column);
        QVERIFY2(at != header.end(), column.c_str());
        QCOMPARE(QString::fromStdString(rows.at(row).at(static_cast<size_t>(at - header.begin()))),
                 check.mid(equals + 1));
    }

    // The CSV reads back cell for cell; nothing in it starts a formula.
    const std::string csv = Inventory::csv(header, rows, false);
    const CsvReader::Result parsed = CsvReader::parse(csv);
    QCOMPARE(parsed.error, CsvReader::Error::None);
    QCOMPARE(parsed.records.size(), rows.size() + 1);
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < header.size(); ++c) {
            const std::string& raw = parsed.records[r + 1].fields.at(c);
            QVERIFY2(raw.empty() || std::strchr("=+-@", raw.front()) == nullptr, raw.c_str());
            QCOMPARE(std::string(CsvWriter::unguard(raw)), rows[r][c]);
        }
    }
}

QTEST_APPLESS_MAIN(TestInventory)
#include "tst_inventory.moc"
