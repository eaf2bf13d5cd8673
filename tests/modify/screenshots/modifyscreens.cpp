// Draws the device configuration pages with the real skin and style for docs/screenshots, and for looking at
// them after a change:
//
//     xvfb-run -a -s "-screen 0 1920x1080x24" build/tests/vexa-modify-screens docs/screenshots
//
// The pages are drawn in English and in Chinese (the program's built translations). The devices are made-up samples in
// the device store; nothing is sent anywhere.

#include <QCheckBox>
#include <QPainter>
#include <QVBoxLayout>

#include "../ModifyTestSupport.h"
#include "aptui/BatchProgressCover.h"
#include "aptui/MultiStateLineEdit.h"
#include "aptui/Widget.h"
#include "modify/DeviceModifyPage.h"
#include "modify/DeviceModifyResultPage.h"
#include "modify/DeviceNetParaPage.h"
#include "outcome/ErrorText.h"
#include "support/ScreenshotRun.h"

using namespace modifytest;

namespace {

// The right-hand page as it sits in the main window: fixed width, full height.
struct Host {
    aptui::Widget window;
    VexaTool::DeviceModifyPage* page = nullptr;
    Host() {
        window.setObjectName(QStringLiteral("centralWidget"));
        window.resize(370, 704);
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        page = new VexaTool::DeviceModifyPage(&window);
        layout->addWidget(page);
    }
    aptui::MultiStateLineEdit* edit(const char* name) const {
        return page->findChild<aptui::MultiStateLineEdit*>(QString::fromLatin1(name));
    }
};

bool drawAll(const QString& prefix) {

    VEXA::DeviceStore::instance()->clear();
    DeviceSample camera;
    camera.serial = QStringLiteral("VXIPCB12001000000000");
    camera.ipv4 = QStringLiteral("192.168.1.64");
    camera.ipv6 = QStringLiteral("fd00:56:1::40");
    camera.ipv6Gateway = QStringLiteral("fd00:56:1::1");
    camera.name = QStringLiteral("Lobby camera");
    camera.typeCode = 0x1001;
    const DeviceInfo single = addDevice(camera, 1);
    QVector<DeviceInfo> many;
    for (int i = 0; i < 12; ++i) {
        DeviceSample sample = numbered(100 + i, camera);
        sample.typeName = i % 3 == 0 ? QStringLiteral("VX-NVR-N416") : QStringLiteral("VX-IPC-B120");
        sample.activation = 0;
        many << addDevice(sample, i + 2);
    }
    QVector<DeviceInfo> fresh;
    for (int i = 0; i < 3; ++i) {
        DeviceSample sample = numbered(200 + i, camera);
        sample.activation = 1;
        fresh << addDevice(sample, i + 20);
    }

    bool ok = true;
    {
        Host host;
        host.page->onCurrentSelectionChange(MODIFY_SINGLE, {single});
        host.edit("m_lineEditAdminPassword")->setText(QStringLiteral("Admin-123"));
        ok &= testsupport::saveOnBackdrop(host.window, prefix + QStringLiteral("form_single.png"));
    }
    {
        Host host;
        host.page->onCurrentSelectionChange(MODIFY_BATCH, many);
        host.edit("m_lineEditStartIp")->setText(QStringLiteral("192.168.1.250"));
        host.edit("m_lineEditSubnetMask")->setText(QStringLiteral("255.255.0.0"));
        host.edit("m_lineEditPort")->setText(QStringLiteral("8000"));
        host.edit("m_lineEditHttpPort")->setText(QStringLiteral("80"));
        host.edit("m_lineEditRTSP")->setText(QStringLiteral("554"));
        host.edit("m_lineEditDeviceName")->setText(QStringLiteral("Hall"));
        ok &= testsupport::saveOnBackdrop(host.window, prefix + QStringLiteral("form_batch.png"));
    }
    {
        Host host;
        host.page->onCurrentSelectionChange(MODIFY_SINGLE, {single});
        auto* ip = host.edit("m_lineEditIpAddress");
        ip->setText(QStringLiteral("192.168.1.300"));
        ip->setLineEditState(aptui::MultiStateLineEdit::ERROR);
        host.page->findChild<QLabel*>(QStringLiteral("m_labelHintIpAddress"))
            ->setPixmap(QPixmap(
                QStringLiteral(":/CommonSkin/VEXATool/Images/VEXATool/BaseControl/Inputs/icon_alert_error.png")));
        ok &= testsupport::saveOnBackdrop(host.window, prefix + QStringLiteral("form_error.png"));
        VexaTool::WarningDialog box(VexaTool::WarningDialog::Error,
                                    VexaTool::DeviceNetParaPage::tr("IP Address not correct."), nullptr, 60000);
        ok &= testsupport::saveOnBackdrop(box, prefix + QStringLiteral("form_error_warning.png"));
    }
    const QStringList passwords{QStringLiteral("abcdefgh"), QStringLiteral("abcd1234"), QStringLiteral("abcdEFGH"),
                                QStringLiteral("abcD1234!")};
    for (int level = 0; level < passwords.size(); ++level) {
        Host host;
        host.page->onCurrentSelectionChange(level == 3 ? ACTIVE_BATCH : ACTIVE_SINGLE,
                                            level == 3 ? fresh : QVector<DeviceInfo>{fresh.first()});
        host.edit("m_lineEditNewPassword")->setText(passwords[level]);
        host.edit("m_lineEditConfirmPassword")->setText(passwords[level]);
        ok &= testsupport::saveOnBackdrop(host.window, prefix + QStringLiteral("activation_level%1.png").arg(level));
    }
    {
        Host host;
        host.page->onCurrentSelectionChange(ACTIVE_MIXED, {single, fresh.first()});
        ok &= testsupport::saveOnBackdrop(host.window, prefix + QStringLiteral("mixed.png"));
    }
    {
        Host host;
        host.page->onCurrentSelectionChange(MODIFY_BATCH, many);
        host.window.show();
        aptui::BatchProgressCover cover(&host.window);
        cover.begin(aptui::BatchProgressCover::Modifying, 256);
        cover.setProgress(96, 256);
        ok &= testsupport::saveOnBackdrop(host.window, prefix + QStringLiteral("batch_progress.png"));
    }
    {
        QVector<DeviceInfo> results = many.mid(0, 8);
        const QStringList addresses{QStringLiteral("192.168.1.250"), QStringLiteral("192.168.1.251"),
                                    QStringLiteral("192.168.1.252"), QStringLiteral("192.168.1.253"),
                                    QStringLiteral("192.168.1.254"), QStringLiteral("192.168.1.255"),
                                    QStringLiteral("192.168.2.0"),   QStringLiteral("192.168.2.1")};
        for (int i = 0; i < results.size(); ++i) {
            results[i].result = VexaTool::ErrorText::text(VexaTool::ErrorText::Form::BatchModification, 0);
            results[i].ipv4Address = addresses[i];
        }
        results[2].result = VexaTool::ErrorText::text(VexaTool::ErrorText::Form::BatchModification, 2011);
        results[2].ipv4Address = many[2].ipv4Address;
        results[5].result = VexaTool::ErrorText::text(VexaTool::ErrorText::Form::BatchModification, 2012);
        results[5].ipv4Address = many[5].ipv4Address;
        results[7].result = VexaTool::DeviceModifyPage::tr("Not sent");
        results[7].ipv4Address = many[7].ipv4Address;
        VexaTool::DeviceModifyResultPage page;
        page.setEntries(results);
        ok &= testsupport::saveOnBackdrop(page, prefix + QStringLiteral("results.png"));
    }
    {
        // One ONVIF camera given a new address that it never answered at: the outcome waits on its page, with the
        // receipt's path, until the installer closes it.
        DeviceInfo camera{
            QStringLiteral("004"),          QStringLiteral("KO-D2140"),          QStringLiteral("192.168.1.108"),
            QStringLiteral("OV0017379739"), QStringLiteral("0a-6b-00-01-07-9c"), QString()};
        camera.outcome = VexaTool::Outcome::ofCall(false, 2033);
        camera.result = VexaTool::ErrorText::text(VexaTool::ErrorText::Form::BatchModification, 2033);
        VexaTool::DeviceModifyResultPage page;
        page.setEntries({camera});
        page.setReceiptHistory(
            QStringLiteral("/home/installer/.local/share/VEXATool/receipts/receipt-20261209-101500.csv"));
        ok &= testsupport::saveOnBackdrop(page, prefix + QStringLiteral("single_onvif_results.png"));
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    testsupport::ScreenshotRun run("modify-screens", argc, argv);
    return run.eachLanguage([](const QString& prefix, int) { return drawAll(prefix + QStringLiteral("modify_")); });
}
