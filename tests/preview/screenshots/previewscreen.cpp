// Draws the list page with the picture of a simulated camera, the note of a camera that gives no picture, and the
// inventory dialog after an export, in both languages, with the real skin and style. For the README and the manual,
// inside the test network namespace (the simulated cameras answer on loopback):
//
//     bash scripts/netns.sh xvfb-run -a -s "-screen 0 1920x1080x24" build/tests/vexa-preview-screen docs/screenshots

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTemporaryDir>

#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceFilterProxyModel.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/OnvifLogin.h"
#include "discovery/VexaHandler.h"
#include "guitoolkit/CTableView.h"
#include "preview/InventoryDialog.h"
#include "preview/SnapshotPane.h"
#include "support/ScreenshotRun.h"
#include "support/SimulatorProcess.h"

namespace {

bool selectAddress(VexaTool::DeviceDisplayPage& page, const QString& address) {
    const VexaTool::DeviceInfoModel* model = page.model();
    const int column = model->columnOf(VexaTool::DeviceInfoModel::KindIpv4Address);
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, column).data().toString() == address) {
            page.tableView()->setCurrentIndex(page.filterModel()->mapFromSource(model->index(row, column)));
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // Loopback only, and ports of their own.
    qputenv("VEXA_IFACE", "127.0.0.1");
    if (qEnvironmentVariableIsEmpty("VEXA_PORT"))
        qputenv("VEXA_PORT", "46210");
    if (qEnvironmentVariableIsEmpty("VEXA_WSD_PORT"))
        qputenv("VEXA_WSD_PORT", "46211");
    testsupport::ScreenshotRun run("preview-screen", argc, argv);
    if (!run.ready)
        return 1;
    if (qEnvironmentVariableIsEmpty("VEXA_BIN_DIR"))
        qputenv("VEXA_BIN_DIR", run.paths.bin.toUtf8());
    qRegisterMetaType<VEXA_DEVICE_MY_INFO>("VEXA_DEVICE_MY_INFO");
    qRegisterMetaType<ModifyPage>("ModifyPage");
    qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");
    if (!testsupport::trustTestManufacturer())
        return 1;

    QTemporaryDir dir;
    const QString wsd = qEnvironmentVariable("VEXA_WSD_PORT");
    testsupport::SimulatorProcess cameras;
    testsupport::SimulatorProcess withoutPictures;
    if (!cameras.start({QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("--onvif"), QStringLiteral("3"),
                        QStringLiteral("--onvif-base"), QStringLiteral("127.83.8.21"), QStringLiteral("--wsd-port"),
                        wsd, QStringLiteral("--onvif-quirks"), QStringLiteral("internal-uri"),
                        QStringLiteral("--state"), dir.filePath(QStringLiteral("a.txt"))}) ||
        !withoutPictures.start(
            {QStringLiteral("--count"), QStringLiteral("0"), QStringLiteral("--seed"), QStringLiteral("2"),
             QStringLiteral("--onvif"), QStringLiteral("1"), QStringLiteral("--onvif-base"),
             QStringLiteral("127.83.9.31"), QStringLiteral("--wsd-port"), wsd, QStringLiteral("--onvif-quirks"),
             QStringLiteral("no-snapshot"), QStringLiteral("--state"), dir.filePath(QStringLiteral("b.txt"))}))
        return 1;
    VEXA::OnvifLogin::instance().assign(QStringLiteral("admin"), QStringLiteral("Camera-2024"), {}, true);

    const int status = run.eachLanguage([&](const QString& prefix, int) {
        VexaTool::DeviceDisplayPage page(nullptr, dir.filePath(QStringLiteral("ColumnConfig.xml")));
        page.resize(1400, 640);
        page.show();
        VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
        QObject::connect(handler, &VEXA::VexaHandler::signalDeviceOnline, &page,
                         &VexaTool::DeviceDisplayPage::onDeviceLogin);
        QObject::connect(handler, &VEXA::VexaHandler::signalDeviceUpdate, &page,
                         &VexaTool::DeviceDisplayPage::onDeviceUpdate);
        handler->setFilterRule(false);
        if (!handler->start())
            return false;
        if (!QTest::qWaitFor([&] { return page.model()->rowCount() >= 4; }, 20000))
            return false;
        QTest::qWait(4000); // every camera's details
        page.previewSplitter()->setSizes({1000, 400});
        VexaTool::SnapshotPane* pane = page.snapshotPane();
        bool ok = selectAddress(page, QStringLiteral("127.83.8.22")) &&
                  QTest::qWaitFor([&] { return !pane->image().isNull(); }, 15000);
        ok &= testsupport::savePage(page, prefix + QStringLiteral("preview_pane.png"));
        ok &= selectAddress(page, QStringLiteral("127.83.9.31")) &&
              QTest::qWaitFor([&] { return pane->refreshButton()->isEnabled(); }, 15000);
        ok &= testsupport::savePage(page, prefix + QStringLiteral("preview_no_picture.png"));

        VexaTool::InventoryDialog* dialog = page.openInventory();
        dialog->fileEdit()->setText(
            dir.filePath(prefix.section(QLatin1Char('/'), -1) + QStringLiteral("site-inventory.xls")));
        QSignalSpy done(dialog, &VexaTool::InventoryDialog::exportDone);
        dialog->exportButton()->click();
        ok &= done.wait(60000);
        ok &= testsupport::saveOnBackdrop(*dialog, prefix + QStringLiteral("inventory_dialog.png"));
        dialog->close();
        handler->stop();
        return ok;
    });
    withoutPictures.stop();
    cameras.stop();
    return status;
}
