// Draws the device list with the real skin and style: a few hundred simulated devices, a batch of factory-new
// ones sharing their default address, some not activated, one whose identity does not verify, two ticked.
// For the README and for looking at the list after a change:
//
//     xvfb-run -a -s "-screen 0 1920x1080x24" build/tests/vexa-list-screen docs/screenshots

#include <QTemporaryDir>

#include "../TestRecords.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceInfoModel.h"
#include "guitoolkit/CTableView.h"
#include "support/ScreenshotRun.h"

int main(int argc, char** argv) {
    testsupport::ScreenshotRun run("list-screen", argc, argv);
    if (!run.ready)
        return 1;
    qRegisterMetaType<ModifyPage>("ModifyPage");
    qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");

    QTemporaryDir dir;
    VexaTool::DeviceDisplayPage page(nullptr, dir.filePath(QStringLiteral("ColumnConfig.xml")));
    page.setEventSlice(0);
    page.resize(1280, 720);
    for (int i = 0; i < 320; ++i) {
        // Every 40th device is factory-new: not activated, at the default address.
        const bool factoryNew = i % 40 == 3 || i % 40 == 9 || i % 40 == 16;
        const QByteArray address =
            factoryNew ? QByteArray("192.168.1.64")
                       : "127.16." + QByteArray::number(i / 250) + '.' + QByteArray::number(i % 250 + 2);
        auto record = testrecords::pictureDevice(i, address, factoryNew);
        record.httpPort = i % 11 == 0 ? 0 : (i % 9 == 0 ? 8080 : 80);
        record.channelCount = i % 5 == 3 ? 8 : (i % 5 == 4 ? 4 : 1);
        record.certified = i == 6 ? 0 : 1;
        page.onDeviceLogin(record);
    }
    VexaTool::DeviceInfoModel* model = page.model();
    const int check = model->columnOf(VexaTool::DeviceInfoModel::KindCheck);
    model->item(3, check)->setCheckState(Qt::Checked);
    model->item(43, check)->setCheckState(Qt::Checked);

    if (qEnvironmentVariableIsSet("LIST_SCREEN_RED"))
        page.setConflictColor(Qt::red);
    return testsupport::savePage(page, run.paths.out + QStringLiteral("/en_device_list.png")) ? 0 : 1;
}
