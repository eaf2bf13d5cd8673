#include "app/VEXAToolMainPage.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>

#include "app/AboutDialog.h"
#include "app/MainWindowPlacement.h"
#include "app/ToolsApplication.h"
#include "app/TrustedKeys.h"
#include "aptui/CoverWidget.h"
#include "aptui/Menu.h"
#include "aptui/PinButton.h"
#include "aptui/PopupMenuAccessibility.h"
#include "aptui/TipDialog.h"
#include "aptui/Widget.h"
#include "aptui/WindowTitle.h"
#include "config/ConfigureManager.h"
#include "devicelist/DeviceDisplayPage.h"
#include "discovery/DeviceRecord.h"
#include "discovery/VexaHandler.h"
#include "fleet/DeviceFleet.h"
#include "fleet/FleetClocks.h"
#include "modify/DeviceModifyPage.h"
#include "plan/PlanBatch.h"
#include "scan/ScanRangesDialog.h"
#include "signin/OnvifSignIn.h"
#include "ui_VEXAToolMainPage.h"

namespace VexaTool {

namespace {

constexpr int kRightSpaceWidth = 10;
constexpr int kPinWidth = 20;
constexpr int kPinHeight = 80;

void rename(QWidget* widget, const QString& name) {
    if (widget->objectName() == name) {
        return;
    }
    widget->setObjectName(name);
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    widget->update();
}

} // namespace

VEXAToolMainPage::VEXAToolMainPage(QWidget* parent)
    : QMainWindow(parent)
    , m_ui(std::make_unique<Ui::VEXAToolMainPage>()) {
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);

    m_hLayout = new QHBoxLayout;
    m_hLayout->setContentsMargins(0, 0, 0, 0);
    m_hLayout->setSpacing(0);
    m_title = new aptui::WindowTitle(this);

    installPages(new DeviceDisplayPage(this), new DeviceModifyPage(this));

    m_pinBorder = new QWidget(this);
    m_pinBorder->setObjectName(QStringLiteral("m_PinBorder"));
    m_pinBorder->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_pinButton = new aptui::PinButton(this);
    m_pinButton->raise();
    m_pinButton->setBuddy(m_modifyPage);
    m_pinButton->setObjectName(QStringLiteral("m_pSpreadButton"));

    m_title->setTitle(tr("VEXA Tool"));
    setWindowTitle(tr("VEXA Tool"));

    m_cover = new aptui::CoverWidget(this);
    m_cover->hide();
    m_cover->lower();
    m_covering = false;

    setWindowIcon(QIcon(QStringLiteral(":/CommonSkin/VEXATool/Images/VEXATool/SystemInfo/logo_large.png")));

    m_aboutAction = new AboutDialog(this);
    m_aboutMenu = new aptui::Menu(this);
    m_signInAction = new QAction(tr("Sign in to ONVIF devices…"), this);
    m_signInAction->setObjectName(QStringLiteral("m_actionSignIn"));
    m_aboutMenu->addAction(m_signInAction);
    m_scanAction = new QAction(tr("Scan addresses…"), this);
    m_scanAction->setObjectName(QStringLiteral("m_actionScanAddresses"));
    m_aboutMenu->addAction(m_scanAction);
    connect(m_scanAction, &QAction::triggered, this, &VEXAToolMainPage::onScanAddresses);
    connect(m_listPage, &DeviceDisplayPage::signalScanAddressesRequested, this, &VEXAToolMainPage::onScanAddresses);
    m_exportInventoryAction = new QAction(tr("Export inventory…"), this);
    m_exportInventoryAction->setObjectName(QStringLiteral("m_actionExportInventory"));
    m_aboutMenu->addAction(m_exportInventoryAction);
    connect(m_exportInventoryAction, &QAction::triggered, m_listPage, &DeviceDisplayPage::onExportInventory);
    m_aboutMenu->addAction(m_aboutAction);
    // A remembered login arrives from the keyring while the window is already in use.
    m_signIn = new OnvifSignIn(nullptr, this);
    m_signIn->loadRemembered();
    connect(m_signInAction, &QAction::triggered, this, &VEXAToolMainPage::onSignIn);
    connect(m_listPage, &DeviceDisplayPage::signalSignInRequested, this, &VEXAToolMainPage::onSignIn);
    m_aboutMenu->setObjectName(QStringLiteral("aboutMenu"));
    m_aboutMenu->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    m_aboutMenu->setAttribute(Qt::WA_TranslucentBackground);
    m_aboutMenu->setFocusPolicy(Qt::NoFocus);
    aptui::listPopupMenusForScreenReaders();

    connect(m_title, &aptui::WindowTitle::signalSystemMenu, this, &VEXAToolMainPage::OnBtnSystemMenu,
            Qt::DirectConnection);
    connect(m_aboutAction, &AboutDialog::signalCover, this, &VEXAToolMainPage::enableCover);
    connect(m_aboutAction, &AboutDialog::signalDiscover, this, &VEXAToolMainPage::disableCover);
    connect(this, &VEXAToolMainPage::signalGetHelp, m_aboutAction, &AboutDialog::onGetHelp);

    // Records cross from the library's thread in queued calls, by value.
    qRegisterMetaType<VEXA_DEVICE_MY_INFO>("VEXA_DEVICE_MY_INFO");
    qRegisterMetaType<DeviceInfo>("DeviceInfo");

    connect(m_pinButton, &aptui::PinButton::pinButtonClicked, this, &VEXAToolMainPage::onMovePinButtion);
    connect(m_pinButton, &aptui::PinButton::pinButtonClicked, this, &VEXAToolMainPage::onShowOrHideRightSpace);

    startDiscovery();
}

VEXAToolMainPage::~VEXAToolMainPage() = default;

DeviceDisplayPage* VEXAToolMainPage::listPage() const {
    return m_listPage;
}

DeviceModifyPage* VEXAToolMainPage::modifyPage() const {
    return m_modifyPage;
}

std::unique_ptr<VEXAToolMainPage> VEXAToolMainPage::showOnPrimaryScreen() {
    auto window = std::make_unique<VEXAToolMainPage>();
    const apt::MainWindowPlacement placement =
        apt::MainWindowPlacement::forWorkArea(QGuiApplication::primaryScreen()->availableGeometry());
    window->resize(placement.size);
    if (placement.move) {
        window->move(placement.position);
    }
    window->show();
    window->onMovePinButtion();
    return window;
}

void VEXAToolMainPage::installPages(DeviceDisplayPage* listPage, DeviceModifyPage* modifyPage) {
    m_listPage = listPage;
    m_modifyPage = modifyPage;
    m_rightSpace = new QWidget(this);
    m_rightSpace->setObjectName(QStringLiteral("m_rightSpace"));
    m_rightSpace->setFixedWidth(kRightSpaceWidth);
    m_hLayout->addWidget(listPage);
    m_hLayout->addWidget(modifyPage);
    m_hLayout->addWidget(m_rightSpace);
    m_ui->verticalLayout->addWidget(m_title);
    m_ui->verticalLayout->addLayout(m_hLayout);
    m_rightSpace->hide();

    // The handler speaks from the library's thread; the fleet only ever runs on this one.
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    DeviceFleet* fleet = listPage->fleet();
    connect(handler, &VEXA::VexaHandler::signalDeviceOnline, fleet, &DeviceFleet::onDeviceOnline, Qt::QueuedConnection);
    connect(handler, &VEXA::VexaHandler::signalDeviceOffline, fleet, &DeviceFleet::onDeviceOffline,
            Qt::QueuedConnection);
    connect(handler, &VEXA::VexaHandler::signalDeviceUpdate, fleet, &DeviceFleet::onDeviceUpdate, Qt::QueuedConnection);
    connect(handler, &VEXA::VexaHandler::signalDeviceHiddenByMaker, fleet, &DeviceFleet::onDeviceHiddenByMaker,
            Qt::QueuedConnection);
    // Direct: the modify page must know the ticked devices before the next click reaches it.
    connect(listPage, &DeviceDisplayPage::signalCurrentSelectionModelChange, modifyPage,
            &DeviceModifyPage::onCurrentSelectionChange, Qt::DirectConnection);
    connect(modifyPage, &DeviceModifyPage::signalModifyResult, listPage, &DeviceDisplayPage::onDevicesModifyResult);
    connect(modifyPage, &DeviceModifyPage::signalActiveResult, listPage, &DeviceDisplayPage::onDevicesActiveResult);
    // What the modify page changes reaches the list through the fleet, from what the devices answer.
    connect(modifyPage, &DeviceModifyPage::signalActivated, fleet, &DeviceFleet::activated);
    connect(modifyPage->changes(), &ChangeController::signalChangeStarted, fleet, &DeviceFleet::changeStarted);
    connect(modifyPage->changes(), &ChangeController::signalChangeSettled, fleet, &DeviceFleet::changeSettled);
    connect(modifyPage, &DeviceModifyPage::signalClocksSet, listPage->clocks(), &FleetClocks::read);
    // A remembered sign-in follows a new password that every device took.
    connect(modifyPage, &DeviceModifyPage::signalOnvifPasswordTaken, this, [this] {
        if (m_signIn)
            m_signIn->rememberAgain();
    });
    // The modify page joins its window's cover by itself when built with a parent; a second connection would
    // only raise the cover twice, so only the list page is wired here.
    connect(listPage, &DeviceDisplayPage::signalCoverMainPage, this, &VEXAToolMainPage::enableCover);
    connect(listPage, &DeviceDisplayPage::signalDisCoverMainPage, this, &VEXAToolMainPage::disableCover);
}

void VEXAToolMainPage::onSignIn() {
    enableCover();
    m_signIn->exec(this, m_listPage->listedOnvifDevices());
    disableCover();
}

ScanRangesDialog* VEXAToolMainPage::scanDialog() const {
    return m_scanDialog;
}

void VEXAToolMainPage::onScanAddresses() {
    if (!m_scanDialog)
        m_scanDialog = new ScanRangesDialog(this);
    m_scanDialog->show();
    m_scanDialog->raise();
    m_scanDialog->activateWindow();
}

void VEXAToolMainPage::startDiscovery() {
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    handler->setFilterRule(apt::ConfigureManager::GetInstance()->filterEnabled());
    // Certificate verdicts kept across runs, so that a device seen before costs one signature check, not two.
    const QString verdicts =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/verdicts");
    VEXA_SetVerdictFile(QFile::encodeName(verdicts).constData());
    // ONVIF cameras' HTTPS certificates, pinned at first contact: a camera that later shows another is sent nothing.
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dataFolder);
    VEXA_SetOnvifPinFile(QFile::encodeName(dataFolder + QStringLiteral("/onvif-certificates")).constData());
    if (!handler->start()) {
        // The window is useful without devices too (the about panel, a later refresh), so it goes on.
        apt::ToolsApplication::showHint(tr("Initialization failed."), aptui::HintBox::Message);
        return;
    }
    VEXA_STATISTICS statistics;
    if (!handler->statistics(statistics))
        return;
    const QByteArray keys = qgetenv("VEXA_TRUSTED_KEYS");
    const QString line = apt::TrustedKeys::logLine(statistics, keys);
    if (!line.isEmpty())
        qWarning("%s", qUtf8Printable(line));
    const QString warning = apt::TrustedKeys::warning(statistics, keys);
    if (!warning.isEmpty())
        apt::ToolsApplication::showHint(warning, aptui::HintBox::Message);
}

void VEXAToolMainPage::onMovePinButtion() {
    if (!m_modifyPage || !m_pinButton) {
        return;
    }
    const int w = width();
    const int h = height();
    const int t = m_title->height();
    m_pinBorder->setFixedSize(kPinWidth, h - t);
    m_pinButton->setFixedSize(kPinWidth, kPinHeight);
    const int y = static_cast<int>(h * 0.3 - 20);
    if (m_modifyPage->isVisible()) {
        const int x = w - m_pinBorder->width() - m_modifyPage->width();
        m_pinBorder->move(x + 1, t);
        m_pinButton->move(x + 1, y);
        rename(m_pinButton, QStringLiteral("m_pUnSpreadButton"));
    } else {
        const int x = w - m_pinBorder->width() - 11;
        m_pinButton->move(x, y);
        m_pinBorder->move(x, t);
        rename(m_pinButton, QStringLiteral("m_pSpreadButton"));
    }
}

void VEXAToolMainPage::onShowOrHideRightSpace() {
    if (!m_modifyPage) {
        return;
    }
    m_rightSpace->setVisible(m_modifyPage->isHidden());
}

void VEXAToolMainPage::OnBtnSystemMenu() {
    m_aboutMenu->popup(QPoint(x() + width() - 326, y() + 20));
}

void VEXAToolMainPage::setCover(bool coverIt) {
    if (coverIt) {
        m_cover->show();
        m_cover->move(0, 0);
        m_cover->raise();
    } else {
        m_cover->hide();
        m_cover->lower();
    }
    m_covering = coverIt;
}

void VEXAToolMainPage::enableCover() {
    setCover(true);
}

void VEXAToolMainPage::disableCover() {
    setCover(false);
}

void VEXAToolMainPage::keyPressEvent(QKeyEvent* event) {
    // Dropped on purpose: the base class would pass Escape and the like on, and nothing here answers them.
    Q_UNUSED(event);
}

void VEXAToolMainPage::resizeEvent(QResizeEvent* event) {
    m_cover->resize(event->size());
    if (m_covering) {
        m_cover->move(0, 0);
    }
    onMovePinButtion();
    QMainWindow::resizeEvent(event);
}

bool VEXAToolMainPage::isBatchRunning() const {
    return (m_modifyPage && m_modifyPage->isBusy()) || (m_listPage && m_listPage->planBatch()->isRunning());
}

void VEXAToolMainPage::leaveWhenBatchEnded() {
    // The batch's results page is a modal box of its own: the window goes only after the user has read it.
    if (isBatchRunning() || QApplication::activeModalWidget() != nullptr) {
        QTimer::singleShot(100, this, &VEXAToolMainPage::leaveWhenBatchEnded);
        return;
    }
    m_leaving = true;
    close();
}

void VEXAToolMainPage::closeEvent(QCloseEvent* event) {
    if (m_leaving) {
        event->accept();
        return;
    }
    // The window manager's close button is not under the batch's cover: leaving silently would abandon the
    // devices not yet sent with no results and no receipt.
    if (isBatchRunning()) {
        event->ignore();
        VexaTool::TipDialog tip;
        tip.resize(400, 240);
        tip.setTitle(tr("Exit"));
        tip.setTipText(tr("A batch is sending to devices. Stop it and exit? Devices not yet sent are left as they "
                          "are; the results are shown before VEXA closes."));
        if (tip.exec() != QDialog::Accepted)
            return;
        if (m_modifyPage && m_modifyPage->isBusy())
            m_modifyPage->onStopOperation();
        if (m_listPage && m_listPage->planBatch()->isRunning())
            m_listPage->planBatch()->stop();
        leaveWhenBatchEnded();
        return;
    }
    VexaTool::TipDialog tip;
    tip.resize(350, 220);
    tip.setTitle(tr("Exit"));
    tip.setTipText(tr("Exit the VEXA software?"));
    enableCover();
    if (tip.exec() == QDialog::Accepted) {
        event->accept();
        return;
    }
    disableCover();
    event->ignore();
}

} // namespace VexaTool
