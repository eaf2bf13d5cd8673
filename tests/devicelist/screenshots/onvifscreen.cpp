// Draws the mixed list (our devices and ONVIF devices of other makes, before and after their details are read, one
// that refused the sign-in, one of ours that also answers as an ONVIF device) and the sign-in dialog, with the real
// skin and style. For the README and the manual:
//
//     xvfb-run -a -s "-screen 0 1920x1080x24" build/tests/vexa-onvif-screen docs/images

#include <QLineEdit>
#include <QTemporaryDir>

#include "../TestRecords.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/OnvifLogin.h"
#include "signin/SignInDialog.h"
#include "support/ScreenshotRun.h"

int main(int argc, char** argv) {
    testsupport::ScreenshotRun run("onvif-screen", argc, argv);
    if (!run.ready)
        return 1;
    qRegisterMetaType<ModifyPage>("ModifyPage");
    qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");

    QTemporaryDir dir;
    VexaTool::DeviceDisplayPage page(nullptr, dir.filePath(QStringLiteral("ColumnConfig.xml")));
    page.setEventSlice(0);
    page.resize(1280, 560);
    VEXA::OnvifLogin::instance().assign(QStringLiteral("admin"), QStringLiteral("Camera-2024"), {}, true);
    const char* const models[] = {"VX-IPC-B120", "VX-IPC-D240", "VX-PTZ-Z330"};
    for (int i = 0; i < 6; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        auto record =
            testrecords::device("VX10000000" + n, "02-56-10-00-00-0" + n, "192.168.1." + QByteArray::number(20 + i));
        setRecordText(record.deviceTypeName, models[i % 3]);
        setRecordText(record.deviceName, "Camera 00000" + n);
        page.onDeviceLogin(record);
    }
    const char* const makes[][3] = {
        {"Othermake", "OC-2041", "2.4.1"}, {"Northlens", "NL-B4", "5.0.3"}, {"Camtrix", "CT-D22", "1.9.8"}};
    for (int i = 0; i < 8; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        const QByteArray endpoint = "urn:uuid:6f6e7669-0000-4000-8000-00000000000" + n;
        const QByteArray address = "192.168.1." + QByteArray::number(100 + i);
        const uint8_t state = i < 5 ? VEXA_DETAILS_READ : VEXA_DETAILS_NEED_LOGIN;
        auto record = testrecords::onvifDevice(endpoint, address, state, "OV1200" + n + "4417", "02-4f-3c-00-00-0" + n);
        setRecordText(record.deviceName, "Lobby " + n);
        if (state == VEXA_DETAILS_READ) {
            setRecordText(record.manufacturer, makes[i % 3][0]);
            setRecordText(record.deviceTypeName, makes[i % 3][1]);
            setRecordText(record.softwareVersion, makes[i % 3][2]);
        }
        page.onDeviceLogin(record);
    }
    // One of ours that also answers as an ONVIF device.
    auto twin = testrecords::onvifDevice("urn:uuid:6f6e7669-0000-4000-8000-0000000000ff", "192.168.1.21",
                                         VEXA_DETAILS_READ, "OC99", "02:56:10:00:00:02");
    page.onDeviceLogin(twin);
    page.model()->setRefusalReason(QStringLiteral("urn:uuid:6f6e7669-0000-4000-8000-000000000006"),
                                   QStringLiteral("Sender not authorized"));

    const bool listSaved = testsupport::savePage(page, run.paths.out + QStringLiteral("/onvif-list.png"));

    VexaTool::SignInDialog dialog;
    dialog.setLogin(QStringLiteral("admin"), QStringLiteral("Camera-2024"), true);
    dialog.setScope(static_cast<int>(page.listedOnvifDevices().size()), false);
    const bool dialogSaved = testsupport::saveOnBackdrop(dialog, run.paths.out + QStringLiteral("/onvif-signin.png"));
    return listSaved && dialogSaved ? 0 : 1;
}
