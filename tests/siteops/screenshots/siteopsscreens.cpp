// Draws the Clock column (clocks in step, a few seconds off and hours off) and the "Set time…" and "Change ONVIF
// password…" dialogs with the real skin and style, in English and Chinese, for the README and the manual:
//
//     xvfb-run -a -s "-screen 0 1920x1080x24" build/tests/vexa-siteops-screens docs/screenshots
//
// The devices are made-up records; nothing is sent anywhere.

#include <cstring>

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeView>

#include "../../devicelist/TestRecords.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceInfoModel.h"
#include "siteops/OnvifPasswordDialog.h"
#include "siteops/SetTimeDialog.h"
#include "support/ScreenshotRun.h"

namespace {

bool drawAll(const QString& prefix) {
    bool ok = true;
    {
        QTemporaryDir dir;
        VexaTool::DeviceDisplayPage page(nullptr, dir.filePath(QStringLiteral("ColumnConfig.xml")));
        page.setEventSlice(0);
        page.resize(1280, 420);
        const char* const makes[][2] = {{"Othermake", "OC-2041"}, {"Northlens", "NL-B4"}, {"Camtrix", "CT-D22"}};
        const int offsets[] = {1, 10800, -12, 0, -2, 75};
        for (int i = 0; i < 6; ++i) {
            const QByteArray n = QByteArray::number(i + 1);
            auto record = testrecords::onvifDevice("urn:uuid:6f6e7669-0000-4000-8000-00000000010" + n,
                                                   "192.168.1." + QByteArray::number(100 + i), VEXA_DETAILS_READ,
                                                   "OV1200" + n + "4417", "02-4f-3c-00-00-0" + n);
            setRecordText(record.deviceName, "Lobby " + n);
            setRecordText(record.manufacturer, makes[i % 3][0]);
            setRecordText(record.deviceTypeName, makes[i % 3][1]);
            page.onDeviceLogin(record);
        }
        // The page's own reads fail here (no library running); the samples are shown after them.
        QTest::qWait(300);
        for (int i = 0; i < 6; ++i) {
            VEXA_CLOCK_INFO clock{};
            clock.flags = VEXA_CLOCK_READ | (i % 2 ? VEXA_CLOCK_NTP | VEXA_CLOCK_NTP_READ : 0);
            clock.offsetSeconds = offsets[i];
            std::strcpy(clock.timeZone, "CET-1CEST,M3.5.0,M10.5.0/3");
            std::strcpy(clock.ntpServers, "192.168.1.1");
            page.model()->setClock(QStringLiteral("urn:uuid:6f6e7669-0000-4000-8000-00000000010%1").arg(i + 1), clock);
        }
        // The columns that tell the devices apart, and the clock beside them.
        auto* table = page.findChild<QTreeView*>(QStringLiteral("m_tableViewVexa"));
        const VexaTool::DeviceInfoModel* model = page.model();
        const QList<int> shown{
            VexaTool::DeviceInfoModel::KindCheck,           VexaTool::DeviceInfoModel::KindId,
            VexaTool::DeviceInfoModel::KindDeviceType,      VexaTool::DeviceInfoModel::KindIpv4Address,
            VexaTool::DeviceInfoModel::KindSerialNumber,    VexaTool::DeviceInfoModel::KindMac,
            VexaTool::DeviceInfoModel::KindActivationState, VexaTool::DeviceInfoModel::KindClock};
        for (int kind = 0; kind < VexaTool::DeviceInfoModel::KindCount; ++kind)
            table->setColumnHidden(model->columnOf(kind), !shown.contains(kind));
        ok &= testsupport::savePage(page, prefix + QStringLiteral("clock_column.png"));
    }
    {
        VexaTool::SetTimeDialog dialog(6);
        dialog.findChild<QRadioButton*>(QStringLiteral("m_radioNtp"))->setChecked(true);
        dialog.findChild<QLineEdit*>(QStringLiteral("m_lineEditNtp"))
            ->setText(QStringLiteral("192.168.1.1, ntp.site.lan"));
        dialog.findChild<QCheckBox*>(QStringLiteral("m_checkZone"))->setChecked(true);
        dialog.findChild<QLineEdit*>(QStringLiteral("m_lineEditZone"))
            ->setText(QStringLiteral("CET-1CEST,M3.5.0,M10.5.0/3"));
        ok &= testsupport::saveOnBackdrop(dialog, prefix + QStringLiteral("set_time.png"));
    }
    {
        VexaTool::OnvifPasswordDialog dialog(6, QStringLiteral("admin"));
        dialog.findChild<QLineEdit*>(QStringLiteral("m_lineEditNewPassword"))
            ->setText(QStringLiteral("Site-Day-2026!"));
        dialog.findChild<QLineEdit*>(QStringLiteral("m_lineEditConfirmPassword"))
            ->setText(QStringLiteral("Site-Day-2026!"));
        ok &= testsupport::saveOnBackdrop(dialog, prefix + QStringLiteral("onvif_password.png"));
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    testsupport::ScreenshotRun run("siteops-screens", argc, argv);
    return run.eachLanguage([](const QString& prefix, int) { return drawAll(prefix + QStringLiteral("siteops_")); });
}
