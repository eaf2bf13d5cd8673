// Draws the device list with the quick filter in use, with the real skin and style, in English and Chinese:
//
//     xvfb-run -a -s "-screen 0 1920x1080x24" build/tests/vexa-filter-screens docs/screenshots
//
// The Chinese picture takes its texts from the program's built translations.
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QFont>
#include <QHash>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include "../../devicelist/TestRecords.h"
#include "app/ToolsApplication.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceFilterProxyModel.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/DeviceStore.h"
#include "support/Screenshots.h"

namespace {

void fill(VexaTool::DeviceDisplayPage& page) {
    const char* const models[] = {"VX-IPC-B120", "VX-IPC-D240", "VX-PTZ-Z330", "VX-NVR-N208", "VX-DVR-H104"};
    for (int i = 0; i < 240; ++i) {
        const QByteArray n = QByteArray::number(i);
        auto record =
            testrecords::device("VX" + QByteArray(models[i % 5] + 3).replace('-', "") + "10" + n.rightJustified(9, '0'),
                                "02-56-10-00-" + QByteArray::number((i >> 8) & 0xff, 16).rightJustified(2, '0') + '-' +
                                    QByteArray::number(i & 0xff, 16).rightJustified(2, '0'),
                                "127.16." + QByteArray::number(i / 100) + '.' + QByteArray::number(i % 100 + 2),
                                i % 7 == 5 ? 1 : 0, static_cast<uint8_t>(i % 3));
        setRecordText(record.deviceTypeName, models[i % 5]);
        setRecordText(record.deviceName, (i % 5 >= 3 ? "Recorder " : "Camera ") + n.rightJustified(6, '0'));
        setRecordText(record.ipv4SubnetMask, "255.255.0.0");
        setRecordText(record.ipv4Gateway, "127.16.0.1");
        page.onDeviceLogin(record);
    }
}

} // namespace

int main(int argc, char** argv) {
    apt::ToolsApplication app(QStringLiteral("vexa-filter-screens-%1").arg(QCoreApplication::applicationPid()), argc,
                              argv);
    qRegisterMetaType<ModifyPage>("ModifyPage");
    qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");
    const testsupport::ScreenshotPaths paths = testsupport::screenshotPaths(QStringLiteral(VEXA_DEFAULT_BIN_DIR));
    const QString& out = paths.out;
    const QString& bin = paths.bin;
    if (!testsupport::prepareScreenshots(app, bin))
        return 1;

    QTranslator chinese;
    bool ok = true;
    for (const bool zh : {false, true}) {
        if (zh && (!testsupport::loadChinese(chinese, bin) || !QCoreApplication::installTranslator(&chinese)))
            return 1;
        QTemporaryDir dir;
        VEXA::DeviceStore::instance()->clear(); // the store outlives a page: the next one lists them afresh
        VexaTool::DeviceDisplayPage page(nullptr, dir.filePath(QStringLiteral("ColumnConfig.xml")));
        page.setEventSlice(0);
        page.resize(1280, 560);
        fill(page);
        // Recorders on one subnet, two of them ticked: the count says how many of all are shown.
        page.filterEdit()->setText(QStringLiteral("nvr 127.16.1."));
        VexaTool::DeviceFilterProxyModel* shown = page.filterModel();
        const int check = page.model()->columnOf(VexaTool::DeviceInfoModel::KindCheck);
        for (const int row : {0, 2})
            shown->setData(shown->index(row, check), Qt::Checked, Qt::CheckStateRole);
        page.show();
        page.raise();
        QTest::qWait(400);
        const QString path =
            out + (zh ? QStringLiteral("/zh_") : QStringLiteral("/en_")) + QStringLiteral("device_list_filter.png");
        const bool saved = page.grab().save(path);
        std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
        ok &= saved;
    }
    return ok ? 0 : 1;
}
