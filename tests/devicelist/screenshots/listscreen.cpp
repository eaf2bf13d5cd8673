// Draws the device list with the real skin and style: a few hundred simulated devices, a batch of factory-new
// ones sharing their default address, some not activated, one whose identity does not verify, two ticked.
// For the README and for looking at the list after a change:
//
//     xvfb-run -a -s "-screen 0 1920x1080x24" build/tests/vexa-list-screen docs/screenshots
#include <cstdio>

#include <QDir>
#include <QFont>
#include <QTemporaryDir>
#include <QTest>

#include "../TestRecords.h"
#include "app/ToolsApplication.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceInfoModel.h"
#include "support/Screenshots.h"
#include "toolkit/CTableView.h"

int main(int argc, char** argv) {
    apt::ToolsApplication app(QStringLiteral("vexa-list-screen-%1").arg(QCoreApplication::applicationPid()), argc,
                              argv);
    qRegisterMetaType<ModifyPage>("ModifyPage");
    qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");
    const testsupport::ScreenshotPaths paths = testsupport::screenshotPaths(QStringLiteral(VEXA_DEFAULT_BIN_DIR));
    const QString& out = paths.out;
    const QString& bin = paths.bin;
    if (!testsupport::prepareScreenshots(app, bin))
        return 1;

    QTemporaryDir dir;
    VexaTool::DeviceDisplayPage page(nullptr, dir.filePath(QStringLiteral("ColumnConfig.xml")));
    page.setEventSlice(0);
    page.resize(1280, 720);
    const char* const models[] = {"VX-IPC-B120", "VX-IPC-D240", "VX-PTZ-Z330", "VX-NVR-N208", "VX-DVR-H104"};
    for (int i = 0; i < 320; ++i) {
        const QByteArray n = QByteArray::number(i);
        // Every 40th device is factory-new: not activated, at the default address.
        const bool factoryNew = i % 40 == 3 || i % 40 == 9 || i % 40 == 16;
        const QByteArray address =
            factoryNew ? QByteArray("192.168.1.64")
                       : "127.16." + QByteArray::number(i / 250) + '.' + QByteArray::number(i % 250 + 2);
        auto record =
            testrecords::device("VX" + QByteArray(models[i % 5] + 3).replace('-', "") + "10" + n.rightJustified(9, '0'),
                                "02-56-10-00-" + QByteArray::number((i >> 8) & 0xff, 16).rightJustified(2, '0') + '-' +
                                    QByteArray::number(i & 0xff, 16).rightJustified(2, '0'),
                                address, factoryNew || i % 7 == 5 ? 1 : 0, static_cast<uint8_t>(i % 3));
        setRecordText(record.deviceTypeName, models[i % 5]);
        setRecordText(record.deviceName, (i % 5 >= 3 ? "Recorder " : "Camera ") + n.rightJustified(6, '0'));
        setRecordText(record.ipv4SubnetMask, "255.255.0.0");
        setRecordText(record.ipv4Gateway, "127.16.0.1");
        record.httpPort = i % 11 == 0 ? 0 : (i % 9 == 0 ? 8080 : 80);
        record.channelCount = i % 5 == 3 ? 8 : (i % 5 == 4 ? 4 : 1);
        record.certified = i == 6 ? 0 : 1;
        page.onDeviceLogin(record);
    }
    VexaTool::DeviceInfoModel* model = page.model();
    const int check = model->columnOf(VexaTool::DeviceInfoModel::KindCheck);
    model->item(3, check)->setCheckState(Qt::Checked);
    model->item(43, check)->setCheckState(Qt::Checked);

    page.show();
    page.raise();
    if (qEnvironmentVariableIsSet("LIST_SCREEN_RED"))
        page.setConflictColor(Qt::red);
    QTest::qWait(400);
    const QString path = out + QStringLiteral("/en_device_list.png");
    const bool ok = page.grab().save(path);
    std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(path));
    return ok ? 0 : 1;
}
