// Builds each window of the application shell with the real skin, style and translations and saves a picture
// of it, for the README and for looking at the look after a change:
//
//     xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/vexa-shell-screens docs/screenshots
//
// The message texts of the warning and tip dialogs are samples of what later pages say. The main window is
// drawn without devices: its discovery library is replaced by one that starts and reports nothing.
#include <cstdio>

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QTest>

#include "app/ToolsApplication.h"
#include "app/VEXAToolMainPage.h"
#include "aptui/HintBox.h"
#include "aptui/Menu.h"
#include "aptui/MultiStateLineEdit.h"
#include "aptui/TipDialog.h"
#include "aptui/WarningDialog.h"
#include "aptui/Widget.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/VexaHandler.h"
#include "export/DevicesInfoSavePage.h"
#include "support/ScreenshotRun.h"

namespace {

struct Samples {
    QString success;
    QString error;
    QString exitTitle;
    QString exitQuestion;
    QString ipLabel;
    QString ipHint;
};

Samples samplesFor(unsigned language) {
    if (language == 1) {
        return {QString::fromUtf8("修改成功。"),  QString::fromUtf8("IP 地址无效，请重新输入。"),
                QString::fromUtf8("退出"),        QString::fromUtf8("确定退出 VEXA 软件吗？"),
                QString::fromUtf8("IPv4 地址："), QString::fromUtf8("IP 地址无效")};
    }
    return {QStringLiteral("Modified successfully."),
            QStringLiteral("Invalid IP address. Please input again."),
            QStringLiteral("Exit"),
            QStringLiteral("Exit the VEXA software?"),
            QStringLiteral("IPv4 Address:"),
            QStringLiteral("Invalid IP address")};
}

int startNothing(VEXA_DEVICE_CALLBACK, int, void*) {
    return 1;
}
int stopNothing() {
    return 1;
}

// The main window as the program shows it, then with its about menu popped up.
bool saveMainWindow(const QString& prefix) {
    VexaTool::VEXAToolMainPage window;
    window.resize(1365, 768);
    window.move(0, 0);
    window.show();
    window.onMovePinButtion();
    bool ok = testsupport::saveOnBackdrop(window, prefix + QStringLiteral("main_window.png"));
    window.show();
    QTest::qWait(200);
    auto* menu = window.findChild<aptui::Menu*>(QStringLiteral("aboutMenu"));
    window.OnBtnSystemMenu();
    QTest::qWait(300);
    QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPixmap panel = menu->grab();
    QPainter painter(&shot);
    painter.drawPixmap(menu->pos() - window.pos(), panel);
    painter.end();
    ok &= shot.save(prefix + QStringLiteral("main_window_menu.png"));
    ok &= panel.save(prefix + QStringLiteral("about_menu.png"));
    std::printf("%s %smain_window_menu.png, about_menu.png\n", ok ? "saved" : "FAILED", qPrintable(prefix));
    menu->close();

    // The exit question over the covered window.
    window.enableCover();
    QTest::qWait(200);
    QImage covered = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    VexaTool::TipDialog tip;
    tip.resize(350, 220);
    tip.setTitle(VexaTool::VEXAToolMainPage::tr("Exit"));
    tip.setTipText(VexaTool::VEXAToolMainPage::tr("Exit the VEXA software?"));
    tip.show();
    QTest::qWait(200);
    const QPixmap question = tip.grab();
    tip.hide();
    QPainter over(&covered);
    over.drawPixmap((covered.width() - question.width()) / 2, (covered.height() - question.height()) / 2, question);
    over.end();
    const bool exitOk = covered.save(prefix + QStringLiteral("main_window_exit.png"));
    std::printf("%s %smain_window_exit.png\n", exitOk ? "saved" : "FAILED", qPrintable(prefix));
    window.disableCover();
    return ok && exitOk;
}

} // namespace

int main(int argc, char** argv) {
    testsupport::ScreenshotRun run("shell-screens", argc, argv);
    VEXA::VexaLibrary library;
    library.start = &startNothing;
    library.stop = &stopNothing;
    VEXA::VexaHandler::instance()->setLibrary(library);

    return run.eachLanguage([](const QString& prefix, int language) {
        const Samples s = samplesFor(unsigned(language));
        bool ok = saveMainWindow(prefix);
        {
            aptui::HintBox box(apt::ToolsApplication::tr("VEXA is already running."), aptui::HintBox::Message);
            box.setFixedSize(400, 256);
            ok &= testsupport::saveOnBackdrop(box, prefix + QStringLiteral("hint_already_running.png"));
        }
        {
            aptui::HintBox box(
                apt::ToolsApplication::tr("Display resolution less than 1024*768,are you sure to start the program?"),
                aptui::HintBox::Question);
            box.setFixedSize(400, 256);
            ok &= testsupport::saveOnBackdrop(box, prefix + QStringLiteral("hint_resolution.png"));
        }
        {
            VexaTool::WarningDialog box(VexaTool::WarningDialog::Success, s.success, nullptr, 60000);
            ok &= testsupport::saveOnBackdrop(box, prefix + QStringLiteral("warning_success.png"));
        }
        {
            VexaTool::WarningDialog box(VexaTool::WarningDialog::Error, s.error, nullptr, 60000);
            ok &= testsupport::saveOnBackdrop(box, prefix + QStringLiteral("warning_error.png"));
        }
        {
            // The export dialog as the list page opens it, filled in as a user would.
            VexaTool::DeviceInfoModel model;
            VexaTool::DevicesInfoSavePage dialog(&model);
            dialog.findChild<aptui::MultiStateLineEdit*>(QStringLiteral("m_lineEditFilename"))
                ->setText(QStringLiteral("site-a-cameras"));
            dialog.findChild<aptui::MultiStateLineEdit*>(QStringLiteral("m_lineEditFilepath"))
                ->setText(QStringLiteral("/home/installer/Documents/"));
            ok &= testsupport::saveOnBackdrop(dialog, prefix + QStringLiteral("export_dialog.png"));
        }
        {
            VexaTool::TipDialog tip;
            tip.resize(350, 220);
            tip.setTitle(s.exitTitle);
            tip.setTipText(s.exitQuestion);
            ok &= testsupport::saveOnBackdrop(tip, prefix + QStringLiteral("tip_exit.png"));
        }
        {
            aptui::Widget page;
            page.setObjectName(QStringLiteral("ModifyNetParamPage"));
            page.resize(420, 90);
            auto* grid = new QGridLayout(&page);
            grid->setContentsMargins(20, 20, 20, 20);
            grid->setHorizontalSpacing(10);
            auto* label = new QLabel(s.ipLabel, &page);
            auto* edit = new aptui::MultiStateLineEdit(&page);
            edit->setObjectName(QStringLiteral("m_lineEditIpAddress"));
            edit->setText(QStringLiteral("192.168.1.300"));
            edit->setMinimumWidth(200);
            auto* hint = new QLabel(&page);
            hint->setObjectName(QStringLiteral("m_labelHintIpAddress"));
            hint->setFixedSize(16, 16);
            grid->addWidget(label, 0, 0);
            grid->addWidget(edit, 0, 1);
            grid->addWidget(hint, 0, 2);
            auto* note = new QLabel(s.ipHint, &page);
            note->setObjectName(QStringLiteral("m_labelHintText"));
            grid->addWidget(note, 1, 1);
            edit->setLineEditState(aptui::MultiStateLineEdit::ERROR);
            hint->setPixmap(QPixmap(
                QStringLiteral(":/CommonSkin/VEXATool/Images/VEXATool/BaseControl/Inputs/icon_alert_error.png")));
            ok &= testsupport::saveOnBackdrop(page, prefix + QStringLiteral("editor_error.png"));
        }
        return ok;
    });
}
