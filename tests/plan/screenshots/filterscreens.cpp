// Draws the device list with the quick filter in use, with the real skin and style, in English and Chinese:
//
//     xvfb-run -a -s "-screen 0 1920x1080x24" build/tests/vexa-filter-screens docs/screenshots
//
// The Chinese picture takes its texts from the program's built translations.
#include <QLineEdit>
#include <QTemporaryDir>

#include "../../devicelist/TestRecords.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceFilterProxyModel.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/DeviceStore.h"
#include "support/ScreenshotRun.h"

int main(int argc, char** argv) {
    testsupport::ScreenshotRun run("filter-screens", argc, argv);
    qRegisterMetaType<ModifyPage>("ModifyPage");
    qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");
    return run.eachLanguage([](const QString& prefix, int) {
        QTemporaryDir dir;
        VEXA::DeviceStore::instance()->clear(); // the store outlives a page: the next one lists them afresh
        VexaTool::DeviceDisplayPage page(nullptr, dir.filePath(QStringLiteral("ColumnConfig.xml")));
        page.setEventSlice(0);
        page.resize(1280, 560);
        for (int i = 0; i < 240; ++i)
            page.onDeviceLogin(testrecords::pictureDevice(i, "127.16." + QByteArray::number(i / 100) + '.' +
                                                                 QByteArray::number(i % 100 + 2)));
        // Recorders on one subnet, two of them ticked: the count says how many of all are shown.
        page.filterEdit()->setText(QStringLiteral("nvr 127.16.1."));
        VexaTool::DeviceFilterProxyModel* shown = page.filterModel();
        const int check = page.model()->columnOf(VexaTool::DeviceInfoModel::KindCheck);
        for (const int row : {0, 2})
            shown->setData(shown->index(row, check), Qt::Checked, Qt::CheckStateRole);
        return testsupport::savePage(page, prefix + QStringLiteral("device_list_filter.png"));
    });
}
