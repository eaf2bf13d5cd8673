#include "app/AboutDialog.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

#include "aptui/HintBox.h"
#include "config/ConfigureManager.h"

AboutDialog::AboutDialog(QObject* parent)
    : CDlgAbout(parent) {
    setPanelSize(320, 134);
    setName(tr("VEXA"));
    setCornerButtonText(tr("User Help"));
    setCornerButtonVisible(false);
    setOptionalButtonsVisible(false);
    setVersion(tr("v3.0.0.1build") + QStringLiteral("20180202_096"));
    connect(this, &AboutDialog::signalConerBtnClicked, this, &AboutDialog::onGetHelp);
}

QString AboutDialog::manualPath(const QString& folder, unsigned language) {
    switch (language) {
    case 0:
        return folder + QStringLiteral("/VEXA User Manual.pdf");
    case 1:
        return folder + QStringLiteral("/") + QString::fromUtf8("设备网络搜索用户使用手册.pdf");
    default:
        return folder;
    }
}

QUrl AboutDialog::manualUrl() {
    const unsigned language = apt::ConfigureManager::GetInstance()->language();
    const QString inWorkingFolder = manualPath(QDir::currentPath(), language);
    if (QFileInfo::exists(inWorkingFolder)) {
        return QUrl::fromLocalFile(inWorkingFolder);
    }
    // Started from elsewhere (a shortcut, a terminal in another folder): the installed copy is beside us.
    const QString besideProgram = manualPath(QCoreApplication::applicationDirPath(), language);
    return QUrl::fromLocalFile(QFileInfo::exists(besideProgram) ? besideProgram : inWorkingFolder);
}

bool AboutDialog::onGetHelp() {
    const QUrl url = manualUrl();
    // Desktop openers start a viewer and report success even for a missing file; look first.
    if (QFileInfo::exists(url.toLocalFile()) && QDesktopServices::openUrl(url)) {
        return true;
    }
    aptui::HintBox box(tr("No user manual found."), aptui::HintBox::Message);
    box.setFixedSize(350, 220);
    emit signalCover();
    box.exec();
    emit signalDiscover();
    return false;
}
