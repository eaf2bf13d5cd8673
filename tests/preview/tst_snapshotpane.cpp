// The picture pane without a network: a device that cannot give a picture, or whose details are not read, gets a
// plain note and no fetch; the decoder refuses what is not a picture.

#include <QPushButton>
#include <QTest>

#include "../devicelist/TestRecords.h"
#include "preview/SnapshotPane.h"

using VexaTool::SnapshotPane;

class TestSnapshotPane : public QObject {
    Q_OBJECT

private slots:
    void noteWithoutFetch_data();
    void noteWithoutFetch();
};

void TestSnapshotPane::noteWithoutFetch_data() {
    QTest::addColumn<bool>("selected");
    QTest::addColumn<VEXA_DEVICE_MY_INFO>("record");
    QTest::addColumn<QString>("note");
    QTest::newRow("nothing selected") << false << VEXA_DEVICE_MY_INFO{} << "Select a camera to see its picture.";
    QTest::newRow("ours") << true << testrecords::device("SN1", "00-11-22-33-44-55", "10.0.0.2")
                          << "No picture: this device does not give one.";
    QTest::newRow("onvif, sign-in needed")
        << true << testrecords::onvifDevice("urn:uuid:1", "10.0.0.5", VEXA_DETAILS_NEED_LOGIN)
        << "No picture: sign in to this device first.";
    QTest::newRow("onvif, not read yet") << true
                                         << testrecords::onvifDevice("urn:uuid:2", "10.0.0.6", VEXA_DETAILS_PENDING)
                                         << "No picture: the device's details are not read yet.";
}

void TestSnapshotPane::noteWithoutFetch() {
    QFETCH(bool, selected);
    QFETCH(VEXA_DEVICE_MY_INFO, record);
    QFETCH(QString, note);
    SnapshotPane pane;
    pane.showDevice(selected ? &record : nullptr);
    QCOMPARE(pane.note(), note);
    QVERIFY(pane.image().isNull());
    // A fetch under way would enable Refresh when it returns; none was started.
    QTest::qWait(50);
    QVERIFY(!pane.refreshButton()->isEnabled());
    QString why;
    QVERIFY(SnapshotPane::decode(QByteArray("<html>not a picture</html>"), &why).isNull());
    QCOMPARE(why, QStringLiteral("No picture: the device sent something that is not a picture."));
}

QTEST_MAIN(TestSnapshotPane)
#include "tst_snapshotpane.moc"
