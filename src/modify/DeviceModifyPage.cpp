#include "modify/DeviceModifyPage.h"

#include <algorithm>
#include <cstring>

#include <QKeyEvent>
#include <QKeySequence>
#include <QMetaMethod>
#include <QPixmap>
#include <QSet>

#include "aptui/BaseDialog.h"
#include "aptui/BatchProgressCover.h"
#include "aptui/MultiStateLineEdit.h"
#include "aptui/WarningDialog.h"
#include "config/ConfigureManager.h"
#include "deployment/FieldText.h"
#include "discovery/DeviceStore.h"
#include "discovery/OnvifLogin.h"
#include "discovery/PasswordBytes.h"
#include "discovery/VexaHandler.h"
#include "guitoolkit/GuiText.h"
#include "modify/AddressPlan.h"
#include "modify/DeviceActivePage.h"
#include "modify/DeviceModifyResultPage.h"
#include "modify/DeviceNetParaPage.h"
#include "outcome/ErrorText.h"
#include "password/ResetPasswordDialog.h"
#include "password/RestorePasswordDialog.h"
#include "passwordrule/PasswordLevel.h"
#include "plan/PlanDevices.h"
#include "plan/PlanText.h"
#include "plan/ReceiptFile.h"
#include "plan/ReceiptHistory.h"
#include "siteops/OnvifPasswordDialog.h"
#include "siteops/PasswordSheet.h"
#include "siteops/SetTimeDialog.h"
#include "sync/XRT_Mutex.h"
#include "ui_DeviceModifyPage.h"
#include "vexa.h"

namespace VexaTool {

namespace {

QString tooLongPassword() {
    return QCoreApplication::translate("VexaTool::DeviceModifyPage",
                                       "The password is too long: it may take at most 16 bytes, and a character "
                                       "outside ASCII takes more than one.");
}

bool sameDevices(const QVector<DeviceInfo>& a, const QVector<DeviceInfo>& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].serialNo != b[i].serialNo || a[i].mac != b[i].mac)
            return false;
    }
    return true;
}

bool sameDeviceSet(const QVector<DeviceInfo>& a, const QVector<DeviceInfo>& b) {
    if (a.size() != b.size())
        return false;
    QSet<QString> keys;
    for (const DeviceInfo& entry : b)
        keys.insert(entry.serialNo + QChar(0) + entry.mac);
    for (const DeviceInfo& entry : a) {
        if (!keys.contains(entry.serialNo + QChar(0) + entry.mac))
            return false;
    }
    return true;
}

VEXA_DEVICE_MY_INFO storedRecord(const DeviceInfo& entry) {
    VEXA_DEVICE_MY_INFO record;
    std::memset(&record, 0, sizeof record);
    VEXA::DeviceStore::instance()->get(entry.serialNo, entry.mac, record);
    return record;
}

QString noOnvifRecovery() {
    return QCoreApplication::translate("VexaTool::DeviceModifyPage",
                                       "ONVIF devices have no password recovery here; reset a forgotten password on "
                                       "the device itself.");
}

void connectToWindowSlot(QObject* sender, const QMetaMethod& signal, QWidget* window, const char* slot) {
    if (window == nullptr)
        return;
    const int index = window->metaObject()->indexOfSlot(slot);
    if (index >= 0)
        QObject::connect(sender, signal, window, window->metaObject()->method(index));
}

} // namespace

DeviceModifyPage::DeviceModifyPage(QWidget* parent)
    : aptui::Widget(parent)
    , m_ui(std::make_unique<Ui::DeviceModifyPage>()) {
    m_ui->setupUi(this);
    setMinimumWidth(370);
    setMaximumWidth(370);
    resize(370, 704);

    m_netParaPage = new DeviceNetParaPage(this);
    m_activePage = new DeviceActivePage(this);
    m_ui->m_stackedWidget->addWidget(m_netParaPage);
    m_ui->m_stackedWidget->addWidget(m_activePage);
    m_ui->m_stackedWidget->setCurrentIndex(0);
    const int labelWidth =
        std::max({m_netParaPage->labelColumnWidth(), m_ui->m_labelAdminPassword->sizeHint().width(),
                  m_ui->m_labelNewPassword->sizeHint().width(), m_ui->m_labelConfirmPasswoed->sizeHint().width(),
                  m_ui->m_labelOnvifUser->sizeHint().width(), m_ui->m_labelOnvifPassword->sizeHint().width()});
    for (QLabel* label : {m_ui->m_labelAdminPassword, m_ui->m_labelNewPassword, m_ui->m_labelConfirmPasswoed,
                          m_ui->m_labelOnvifUser, m_ui->m_labelOnvifPassword})
        label->setMinimumWidth(labelWidth);

    m_history = std::make_unique<ReceiptHistory>();
    m_runner = new DeviceTaskRunner(configuredTaskThreads(), this);
    connect(m_runner, &DeviceTaskRunner::signalOutcome, this, &DeviceModifyPage::onRunOutcome);
    connect(m_runner, &DeviceTaskRunner::signalFinished, this, &DeviceModifyPage::onRunFinished);
    m_changes = new ChangeController(configuredTaskThreads(), this);
    m_changes->batch()->setResultForm(ErrorText::Form::BatchModification);
    connect(m_changes, &ChangeController::signalFinished, this, &DeviceModifyPage::onChangesFinished);
    m_site = new SiteBatch(configuredTaskThreads(), this);
    connect(m_site, &SiteBatch::signalFinished, this, &DeviceModifyPage::onSiteFinished);
    connect(m_site, &SiteBatch::signalClocksSet, this, &DeviceModifyPage::signalClocksSet);
    connect(m_site, &SiteBatch::signalSharedPasswordTaken, this, &DeviceModifyPage::signalOnvifPasswordTaken);
    connect(m_ui->m_btnSetTime, &QPushButton::clicked, this, &DeviceModifyPage::onSetTime);
    connect(m_ui->m_btnOnvifPassword, &QPushButton::clicked, this, &DeviceModifyPage::onChangeOnvifPassword);

    connect(m_ui->m_btnActive, &QPushButton::clicked, this, &DeviceModifyPage::onActiveDevices);
    connect(m_ui->m_btnModify, &QPushButton::clicked, this, &DeviceModifyPage::onModifyNetParas);
    connect(m_ui->m_btnLostPassword, &QPushButton::clicked, this, &DeviceModifyPage::onForgetPassword);
    connect(m_ui->m_lineEditNewPassword, &QLineEdit::textChanged, this, &DeviceModifyPage::onNewPasswordTextChanged);
    connect(m_netParaPage, &DeviceNetParaPage::signalDhcpStateChanged, this, &DeviceModifyPage::onDhcpStateChanged);
    connect(m_netParaPage, &DeviceNetParaPage::signalBatchDhcpStateChanged, this,
            &DeviceModifyPage::onBatchDhcpStateChanged);
    // The main window offers these slots; a page made without one (tests, tools) simply has no cover.
    QWidget* host = parent != nullptr ? parent->window() : nullptr;
    connectToWindowSlot(this, QMetaMethod::fromSignal(&DeviceModifyPage::signalCoverMainPage), host, "enableCover()");
    connectToWindowSlot(this, QMetaMethod::fromSignal(&DeviceModifyPage::signalDisCoverMainPage), host,
                        "disableCover()");

    for (aptui::MultiStateLineEdit* edit :
         {m_ui->m_lineEditNewPassword, m_ui->m_lineEditConfirmPassword, m_ui->m_lineEditAdminPassword}) {
        // No length limit on the editor: a cut password would reach the device while the user believes the whole
        // one. Too long is refused, with the reason, when the change is asked for.
        edit->installEventFilter(this);
        edit->setContextMenuPolicy(Qt::NoContextMenu);
        edit->setEchoMode(QLineEdit::Password);
    }
    // ONVIF passwords are the device maker's business: no 16-byte limit of ours.
    m_ui->m_lineEditOnvifPassword->installEventFilter(this);
    m_ui->m_lineEditOnvifPassword->setEchoMode(QLineEdit::Password);
    m_ui->m_lineEditOnvifUser->installEventFilter(this);
    onCurrentSelectionChange(MODIFY_SINGLE, {});
}

DeviceModifyPage::~DeviceModifyPage() = default;

int DeviceModifyPage::configuredTaskThreads() {
    const apt::Configure* item = apt::ConfigureManager::GetInstance()->find(apt::ConfigureManager::TaskThread);
    if (item == nullptr)
        return kDefaultTaskThreads;
    bool ok = false;
    const int value = item->value().trimmed().toInt(&ok);
    if (!ok || value < 1)
        return kDefaultTaskThreads;
    return std::min(value, kMaxTaskThreads);
}

void DeviceModifyPage::setTaskThreads(int count) {
    m_runner->setMaxThreads(std::clamp(count, 1, kMaxTaskThreads));
    m_changes->batch()->setMaxThreads(std::clamp(count, 1, kMaxTaskThreads));
    m_site->batch()->setMaxThreads(std::clamp(count, 1, kMaxTaskThreads));
}

int DeviceModifyPage::taskThreads() const {
    return m_runner->maxThreads();
}

aptui::BatchProgressCover* DeviceModifyPage::progressCover() const {
    return m_cover.data();
}

bool DeviceModifyPage::isBusy() const {
    return m_runner->isRunning() || m_changes->isRunning() || m_site->batch()->isRunning();
}

QPoint DeviceModifyPage::dialogPosition() const {
    return WarningDialog::centredOn(this);
}

void DeviceModifyPage::showError(const QString& text, aptui::MultiStateLineEdit* field, QLabel* hint) {
    WarningDialog::showWarning(dialogPosition(), WarningDialog::Error, text, this, field, hint);
}

void DeviceModifyPage::setBar(QLabel* bar, const char* image) {
    const QString path = QString::fromLatin1(image);
    bar->setPixmap(QPixmap(path));
    bar->setProperty("image", path);
}

void DeviceModifyPage::resetPasswordEditors() {
    for (aptui::MultiStateLineEdit* edit :
         {m_ui->m_lineEditNewPassword, m_ui->m_lineEditConfirmPassword, m_ui->m_lineEditAdminPassword,
          m_ui->m_lineEditOnvifUser, m_ui->m_lineEditOnvifPassword})
        edit->setLineEditState(aptui::MultiStateLineEdit::NORMAL);
    m_ui->m_labelHintOnvifUser->clear();
    m_ui->m_labelHintOnvifPassword->clear();
    m_ui->m_labelHintNewPassword->clear();
    m_ui->m_labelHintConfirmPassword->clear();
    m_ui->m_labelHintAdimaPassword->clear();
}

void DeviceModifyPage::onCurrentSelectionChange(ModifyPage kind, QVector<DeviceInfo> entries) {
    // The same devices in a new order (the table was sorted): the batch follows the order, and what the user
    // has typed stays.
    if (kind == m_kind && entries.size() > 1 && sameDeviceSet(entries, m_entries)) {
        m_entries = entries;
        return;
    }
    m_kind = kind;
    if (!entries.isEmpty())
        m_netParaPage->unlock();
    m_entries = entries;
    if (entries.isEmpty()) {
        m_netParaPage->setSingleLayout();
        m_netParaPage->fillFromDevice(QString(), QString(), false, 0);
        showModifyForm(true, false);
        updateLoginRows(entries);
        return;
    }
    switch (kind) {
    case MODIFY_SINGLE:
        m_netParaPage->setSingleLayout();
        showModifyForm(true, true);
        m_netParaPage->fillFromDevice(entries.first().serialNo, entries.first().mac, false, 0);
        break;
    case MODIFY_BATCH:
        m_netParaPage->setBatchLayout();
        showModifyForm(false, true);
        m_netParaPage->batchFill(entries);
        break;
    case ACTIVE_SINGLE:
    case ACTIVE_BATCH:
        m_ui->m_stackedWidget->setCurrentIndex(1);
        if (kind == ACTIVE_SINGLE)
            m_activePage->showSingleActivation();
        else
            m_activePage->showBatchActivation();
        m_ui->m_lineEditNewPassword->clear();
        m_ui->m_lineEditConfirmPassword->clear();
        m_ui->m_frameActive->show();
        for (QLabel* bar : {m_ui->m_labelLevel1, m_ui->m_labelLevel2, m_ui->m_labelLevel3})
            setBar(bar, kGreyBar);
        m_ui->m_frameModifyPara->hide();
        resetPasswordEditors();
        break;
    case ACTIVE_MIXED:
        m_ui->m_stackedWidget->setCurrentIndex(1);
        m_activePage->showMixedSelection();
        m_ui->m_frameActive->hide();
        m_ui->m_frameModifyPara->hide();
        break;
    }
    updateLoginRows(entries);
}

void DeviceModifyPage::showModifyForm(bool single, bool enabled) {
    m_ui->m_stackedWidget->setCurrentIndex(0);
    m_ui->m_frameActive->hide();
    m_ui->m_lineEditAdminPassword->clear();
    m_ui->m_frameModifyPara->show();
    // A lost password is recovered one device at a time.
    m_ui->m_btnLostPassword->setVisible(single);
    m_ui->m_btnLostPassword->setEnabled(single && enabled);
    if (single)
        m_ui->m_btnModify->setFocus();
    m_ui->m_btnModify->setEnabled(enabled);
    m_ui->m_lineEditAdminPassword->setEnabled(enabled);
    resetPasswordEditors();
}

void DeviceModifyPage::updateLoginRows(const QVector<DeviceInfo>& entries) {
    bool userLogin = false;
    bool adminPassword = false;
    for (const DeviceInfo& entry : entries)
        (can(storedRecord(entry), VEXA_SIGNS_IN_AS_USER) ? userLogin : adminPassword) = true;
    for (QWidget* widget : std::initializer_list<QWidget*>{
             m_ui->m_labelOnvifUser, m_ui->m_lineEditOnvifUser, m_ui->m_labelHintOnvifUser, m_ui->m_labelOnvifPassword,
             m_ui->m_lineEditOnvifPassword, m_ui->m_labelHintOnvifPassword})
        widget->setVisible(userLogin);
    for (QWidget* widget : std::initializer_list<QWidget*>{m_ui->m_labelAdminPassword, m_ui->m_lineEditAdminPassword,
                                                           m_ui->m_labelHintAdimaPassword})
        widget->setVisible(adminPassword || !userLogin);
    // Offered when a ticked device can: the batch leaves out the others and says why.
    const auto anyCan = [&entries](uint32_t capability) {
        return std::any_of(entries.cbegin(), entries.cend(),
                           [capability](const DeviceInfo& e) { return can(storedRecord(e), capability); });
    };
    m_ui->m_btnSetTime->setVisible(anyCan(VEXA_CAN_SET_TIME));
    m_ui->m_btnOnvifPassword->setVisible(anyCan(VEXA_CAN_SET_USER_PASSWORD));
    const VEXA::OnvifLogin& login = VEXA::OnvifLogin::instance();
    m_ui->m_lineEditOnvifUser->setText(login.isSet() ? login.user() : QString::fromLatin1(kUserName));
    m_ui->m_lineEditOnvifPassword->setText(login.password());
    // Key reset and security codes do not exist in ONVIF.
    const bool noRecovery = entries.size() == 1 && !can(storedRecord(entries.first()), VEXA_CAN_RECOVER);
    if (noRecovery)
        m_ui->m_btnLostPassword->setEnabled(false);
    m_ui->m_btnLostPassword->setToolTip(noRecovery ? noOnvifRecovery() : QString());
}

QString DeviceModifyPage::leftOutReason(const VEXA_DEVICE_MY_INFO& record, bool portTyped) const {
    if (!detailsRead(record))
        return tr("Left out: the settings of this ONVIF device are not read yet; sign in first.");
    if (portTyped && !can(record, VEXA_CAN_SET_PORT))
        return tr("Left out: the port of an ONVIF device cannot be changed.");
    return {};
}

void DeviceModifyPage::onNewPasswordTextChanged(const QString& text) {
    const int level = passwordLevel(kUserName, text.toStdString());
    for (QLabel* bar : {m_ui->m_labelLevel1, m_ui->m_labelLevel2, m_ui->m_labelLevel3})
        setBar(bar, kGreyBar);
    m_ui->m_labelLevel->clear();
    switch (level) {
    case 1:
        setBar(m_ui->m_labelLevel1, kRedBar);
        m_ui->m_labelLevel->setText(tr("Weak"));
        break;
    case 2:
        setBar(m_ui->m_labelLevel1, kYellowBar);
        setBar(m_ui->m_labelLevel2, kYellowBar);
        m_ui->m_labelLevel->setText(tr("Medium"));
        break;
    case 3:
        setBar(m_ui->m_labelLevel1, kGreenBar);
        setBar(m_ui->m_labelLevel2, kGreenBar);
        setBar(m_ui->m_labelLevel3, kGreenBar);
        m_ui->m_labelLevel->setText(tr("Strong"));
        break;
    default:
        break;
    }
}

void DeviceModifyPage::onActiveDevices() {
    if (isBusy())
        return;
    if (m_entries.isEmpty()) {
        showError(tr("Please select a device."));
        return;
    }
    for (const DeviceInfo& entry : m_entries) {
        if (!can(storedRecord(entry), VEXA_CAN_ACTIVATE)) {
            showError(tr("ONVIF devices have no activation here: they come with the password their maker set."));
            return;
        }
    }
    const QString password = m_ui->m_lineEditNewPassword->text();
    if (password.isEmpty()) {
        showError(tr("The password can not be empty."), m_ui->m_lineEditNewPassword, m_ui->m_labelHintNewPassword);
        return;
    }
    if (password != m_ui->m_lineEditConfirmPassword->text()) {
        showError(tr("The password you typed do not match."), m_ui->m_lineEditNewPassword,
                  m_ui->m_labelHintNewPassword);
        return;
    }
    if (m_ui->m_labelLevel->text().isEmpty()) {
        WarningDialog::showLongWarning(
            dialogPosition(), WarningDialog::Error,
            tr("Valid password range [8-16]. You can use a combination of numbers,lowercase, uppercase and special "
               "character for your password with at least two kinds of them contained."),
            this, m_ui->m_lineEditNewPassword, m_ui->m_labelHintNewPassword);
        return;
    }

    Run run;
    run.operation = m_entries.size() == 1 ? Operation::ActivateSingle : Operation::ActivateBatch;
    run.entries = m_entries;
    const std::optional<QByteArray> encoded = VEXA::passwordBytes(password);
    if (!encoded) {
        showError(tooLongPassword(), m_ui->m_lineEditNewPassword, m_ui->m_labelHintNewPassword);
        return;
    }
    const QByteArray passwordBytes = *encoded;
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    std::vector<DeviceTaskRunner::Task> tasks;
    for (const DeviceInfo& entry : run.entries) {
        tasks.push_back([handler, serial = entry.serialNo.toLatin1(), passwordBytes]() {
            const bool ok = handler->activateDevice(serial, passwordBytes);
            return Outcome::ofCall(ok, ok ? VEXA_NOERROR : handler->lastError());
        });
    }
    startRun(std::move(run), std::move(tasks));
}

void DeviceModifyPage::onModifyNetParas() {
    if (isBusy())
        return;
    if (m_entries.isEmpty()) {
        showError(tr("Sorry, please select the equipment."));
        return;
    }
    // A mixed selection changes every device that can take the change; the others are named in the results.
    const bool portTyped = m_entries.size() > 1 && m_netParaPage->readBatch().port != 0;
    QVector<DeviceInfo> runnable;
    QVector<DeviceInfo> leftOut;
    QStringList reasons;
    QVector<bool> userLoginOfRunnable;
    for (const DeviceInfo& entry : m_entries) {
        const VEXA_DEVICE_MY_INFO record = storedRecord(entry);
        if (const QString reason = leftOutReason(record, portTyped); !reason.isEmpty()) {
            leftOut.append(entry);
            reasons.append(reason);
        } else {
            runnable.append(entry);
            userLoginOfRunnable.append(can(record, VEXA_SIGNS_IN_AS_USER));
        }
    }
    if (runnable.isEmpty()) {
        showError(reasons.first());
        return;
    }
    const bool adminRuns = userLoginOfRunnable.contains(false);
    const bool userLoginRuns = userLoginOfRunnable.contains(true);
    if (adminRuns && m_ui->m_lineEditAdminPassword->text().isEmpty()) {
        showError(tr("Sorry, please enter the administrator password."), m_ui->m_lineEditAdminPassword,
                  m_ui->m_labelHintAdimaPassword);
        return;
    }
    const QString onvifUser = m_ui->m_lineEditOnvifUser->text().trimmed();
    if (userLoginRuns && onvifUser.isEmpty()) {
        showError(tr("Please enter the ONVIF user name."), m_ui->m_lineEditOnvifUser, m_ui->m_labelHintOnvifUser);
        return;
    }
    if (userLoginRuns && m_ui->m_lineEditOnvifPassword->text().isEmpty()) {
        showError(tr("Please enter the ONVIF password."), m_ui->m_lineEditOnvifPassword,
                  m_ui->m_labelHintOnvifPassword);
        return;
    }
    Run run;
    run.entries = runnable;
    if (m_entries.size() == 1) {
        if (!m_netParaPage->validateSingle(dialogPosition()))
            return;
        run.operation = Operation::ModifySingle;
        run.params.push_back(m_netParaPage->readSingle());
    } else {
        if (!m_netParaPage->validateBatch(dialogPosition()))
            return;
        run.operation = Operation::ModifyBatch;
        if (!planBatchModification(run))
            return;
        // Left-out devices keep what they have; the receipt says so beside the others.
        for (const DeviceInfo& entry : leftOut) {
            run.entries.append(entry);
            run.params.push_back(VEXA_NET_PARAM{});
            if (!run.newAddresses.isEmpty())
                run.newAddresses.append(entry.ipv4Address);
        }
        run.leftOut = QStringList(runnable.size(), QString()) + reasons;
    }
    QByteArray password;
    if (adminRuns) {
        const std::optional<QByteArray> encoded = VEXA::passwordBytes(m_ui->m_lineEditAdminPassword->text());
        if (!encoded) {
            showError(tooLongPassword(), m_ui->m_lineEditAdminPassword, m_ui->m_labelHintAdimaPassword);
            return;
        }
        password = *encoded;
    }
    QByteArray onvifPassword;
    if (userLoginRuns) {
        // The library takes the user from the run's login only; it signs every request (digest), never in clear.
        // The user sends this login to the ticked ONVIF devices, and to no other device.
        QStringList endpoints;
        for (qsizetype i = 0; i < runnable.size(); ++i)
            if (userLoginOfRunnable.at(i))
                endpoints << recordText(storedRecord(runnable.at(i)).endpointReference);
        VEXA::OnvifLogin& login = VEXA::OnvifLogin::instance();
        login.assign(onvifUser, m_ui->m_lineEditOnvifPassword->text(), login.endpoints() + endpoints,
                     login.isAutomatic());
        onvifPassword = m_ui->m_lineEditOnvifPassword->text().toUtf8();
    }
    // Each device with the record it is to get; the ones left out say why, in the order of the results.
    std::vector<PlanBatch::Change> changes;
    std::vector<plan::PlanDevice> devices;
    for (qsizetype i = 0; i < run.entries.size(); ++i) {
        const DeviceInfo& entry = run.entries.at(i);
        devices.push_back(planDeviceFromRecord(storedRecord(entry)));
        const VEXA_NET_PARAM& params = run.params[static_cast<std::size_t>(i)];
        const bool sent = i < runnable.size();
        PlanBatch::Change change;
        change.change.device = static_cast<int>(i);
        change.change.params = params;
        change.change.oldAddress = entry.ipv4Address.toStdString();
        change.change.newAddress = sent ? plan::fieldText(params.ipv4Address) : change.change.oldAddress;
        change.name = sent ? recordText(params.deviceName).toStdString() : std::string();
        change.label = entry.index;
        change.leftOut = sent ? QString() : run.leftOut.value(i);
        changes.push_back(std::move(change));
    }
    plan::Credentials credentials{password.toStdString(), onvifPassword.toStdString()};
    password.fill('\0');
    onvifPassword.fill('\0');
    if (!m_changes->startChanges(std::move(changes), std::move(devices), std::move(credentials))) {
        showError(tr("A device has not answered an earlier change yet. Try again once it has."));
        return;
    }
    m_run = std::move(run);
    m_run.before = m_run.entries;
    showCover(aptui::BatchProgressCover::Modifying, m_changes->batch()->total());
    connect(m_changes, &ChangeController::signalProgress, m_cover, &aptui::BatchProgressCover::setProgress,
            Qt::UniqueConnection);
    connect(m_changes, &ChangeController::signalRestarting, m_cover, &aptui::BatchProgressCover::setRestarting,
            Qt::UniqueConnection);
    emit signalBusyChanged(true);
}

bool DeviceModifyPage::planBatchModification(Run& run) {
    const DeviceNetParaPage::BatchValues values = m_netParaPage->readBatch();
    const bool dhcpOff = m_netParaPage->batchDhcpOff();
    const int count = static_cast<int>(run.entries.size());
    if (dhcpOff) {
        aptui::MultiStateLineEdit* startEdit = m_netParaPage->editor(QStringLiteral("m_lineEditStartIp"));
        QLabel* startHint = m_netParaPage->findChild<QLabel*>(QStringLiteral("m_labelHintStartIp"));
        // Devices whose type locks the start address (our cameras) keep each its own address.
        const AddressPlan::Fault fault =
            values.startEnabled ? AddressPlan::consecutive(values.startAddress, values.mask, count, run.newAddresses)
                                : AddressPlan::Fault::None;
        switch (fault) {
        case AddressPlan::Fault::None:
            break;
        case AddressPlan::Fault::NoStart:
            showError(tr("These devices take no start address. Enable DHCP, or select devices that take one."));
            return false;
        case AddressPlan::Fault::PastEnd:
            showError(tr("%1 addresses from %2 would run past %3.255.255.")
                          .arg(count)
                          .arg(values.startAddress, values.startAddress.section(QLatin1Char('.'), 0, 1)),
                      startEdit, startHint);
            return false;
        case AddressPlan::Fault::NetworkOrBroadcast:
            showError(tr("%1 addresses from %2 would include the network or broadcast address of the subnet.")
                          .arg(count)
                          .arg(values.startAddress),
                      startEdit, startHint);
            return false;
        case AddressPlan::Fault::LeavesSubnet:
            showError(tr("%1 addresses from %2 would leave the subnet of mask %3.")
                          .arg(count)
                          .arg(values.startAddress, values.mask),
                      startEdit, startHint);
            return false;
        }
    }

    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    if (!run.newAddresses.isEmpty()) {
        // As a plan is checked: an address a listed device outside the batch already has would give two
        // devices one address.
        QVector<VEXA_DEVICE_MY_INFO> listed;
        store->copyAll(listed);
        QSet<QString> inBatch;
        for (const DeviceInfo& entry : run.entries)
            inBatch.insert(entry.serialNo + QChar(0) + entry.mac);
        const QSet<QString> taken(run.newAddresses.cbegin(), run.newAddresses.cend());
        for (const VEXA_DEVICE_MY_INFO& record : listed) {
            const QString address = recordText(record.ipv4Address);
            if (!taken.contains(address) ||
                inBatch.contains(recordText(record.serialNo) + QChar(0) + recordText(record.mac)))
                continue;
            showError(tr("%1 is the address of %2 (%3), which is not in this batch.")
                          .arg(address, recordText(record.serialNo), recordText(record.mac)),
                      m_netParaPage->editor(QStringLiteral("m_lineEditStartIp")),
                      m_netParaPage->findChild<QLabel*>(QStringLiteral("m_labelHintStartIp")));
            return false;
        }
    }
    // UTF-8, as device texts are read; checked against the 32-byte field by the form.
    for (int j = 0; j < count; ++j) {
        const QByteArray name =
            values.keepNames ? QByteArray() : DeviceNetParaPage::batchName(values.deviceName, j + 1).toUtf8();
        const DeviceInfo& entry = run.entries[j];
        VEXA_NET_PARAM params;
        std::memset(&params, 0, sizeof params);
        store->readNetParams(entry.serialNo, entry.mac, params);
        params = DeviceNetParaPage::batchParams(storedRecord(entry), params, values, dhcpOff, run.newAddresses.value(j),
                                                name);
        run.params.push_back(params);
    }
    return true;
}

void DeviceModifyPage::showCover(aptui::BatchProgressCover::Operation operation, int total) {
    QWidget* host = window();
    if (m_cover.isNull() || m_cover->parentWidget() != host)
        m_cover = new aptui::BatchProgressCover(host);
    connect(m_cover, &aptui::BatchProgressCover::signalStop, this, &DeviceModifyPage::onStopOperation,
            Qt::UniqueConnection);
    m_cover->begin(operation, total);
}

void DeviceModifyPage::startRun(Run run, std::vector<DeviceTaskRunner::Task> tasks) {
    m_run = std::move(run);
    m_run.before = m_run.entries;
    showCover(aptui::BatchProgressCover::Activating, static_cast<int>(tasks.size()));
    connect(m_runner, &DeviceTaskRunner::signalProgress, m_cover, &aptui::BatchProgressCover::setProgress,
            Qt::UniqueConnection);
    if (m_run.operation == Operation::ActivateBatch)
        m_history->begin();
    emit signalBusyChanged(true);
    m_runner->start(std::move(tasks));
}

void DeviceModifyPage::onStopOperation() {
    m_runner->stop();
    m_changes->stop();
    m_site->stop();
}

void DeviceModifyPage::onRunOutcome(int index, const DeviceOutcome& outcome) {
    if (index < 0 || index >= m_run.entries.size())
        return;
    DeviceInfo& entry = m_run.entries[index];
    entry.outcome = outcome;
    switch (m_run.operation) {
    case Operation::ActivateBatch:
        if (!outcome.wasSent()) {
            entry.result = tr("Not sent");
        } else if (outcome.isDone()) {
            entry.result = ErrorText::text(ErrorText::Form::BatchActivation, VEXA_NOERROR);
            emit signalActivated(DeviceKey{entry.serialNo, entry.mac});
        } else {
            entry.result = ErrorText::text(ErrorText::Form::BatchActivation, outcome.code);
        }
        break;
    case Operation::ActivateSingle:
    case Operation::ModifySingle:
    case Operation::ModifyBatch: // changes run through the change controller
        return;                  // reported as a whole when the call is done
    }
    if (index < m_run.before.size())
        m_history->append(receiptEntry(index, entry));
}

plan::ReceiptEntry DeviceModifyPage::receiptEntry(qsizetype index, const DeviceInfo& after) const {
    // An activation keeps the address: New Address is the one the device has.
    DeviceInfo kept = after;
    kept.ipv4Address = m_run.before.at(index).ipv4Address;
    return ReceiptFile::entry(QDateTime::currentDateTime(), m_run.before.at(index), kept, QString());
}

void DeviceModifyPage::onRunFinished(const QVector<DeviceOutcome>& outcomes) {
    if (!m_cover.isNull())
        m_cover->end();
    emit signalBusyChanged(false);
    const Run run = m_run;
    switch (run.operation) {
    case Operation::ActivateSingle:
        if (!outcomes.isEmpty())
            finishSingle(outcomes.first());
        break;
    case Operation::ActivateBatch:
        if (sameDevices(run.entries, m_entries))
            m_entries = run.entries;
        showBatchResults(run.entries, true);
        break;
    case Operation::ModifySingle:
    case Operation::ModifyBatch:
        break;
    }
}

void DeviceModifyPage::finishSingle(const DeviceOutcome& outcome) {
    QVector<DeviceInfo> entries = m_run.entries;
    DeviceInfo& entry = entries.first();
    if (outcome.isDone()) {
        emit signalActivated(DeviceKey{entry.serialNo, entry.mac});
        entry.result = ErrorText::sentence(VEXA_NOERROR);
        entry.outcome = outcome;
        if (sameDevices(entries, m_entries))
            m_entries = entries;
        emit signalActiveResult(entries);
        WarningDialog::showWarning(dialogPosition(), WarningDialog::Success,
                                   ErrorText::text(ErrorText::Form::SingleActivation, VEXA_NOERROR), this);
        return;
    }
    const Outcome shown = outcome.wasSent() ? outcome : Outcome::notSent(VEXA_ERR_NOT_STARTED);
    const QString text = ErrorText::text(ErrorText::Form::SingleActivation, shown.code);
    // 2009 and 2011 leave the entry's result as it was; every other code becomes its result text.
    if (shown.code != VEXA_ERR_DEVICE_REFUSED && shown.code != VEXA_ERR_TIMEOUT && sameDevices(entries, m_entries)) {
        m_entries.first().result = text;
        m_entries.first().outcome = shown;
    }
    showError(text);
}

void DeviceModifyPage::onChangesFinished() {
    if (!m_cover.isNull())
        m_cover->end();
    emit signalBusyChanged(false);
    const PlanBatch* batch = m_changes->batch();
    // The results name each device by serial number, MAC and address beside the list's ID.
    QVector<DeviceInfo> entries = batch->entries();
    for (qsizetype i = 0; i < entries.size() && i < m_run.before.size(); ++i)
        entries[i].deviceType = m_run.before.at(i).deviceType;
    if (sameDevices(entries, m_entries))
        m_entries = entries;
    emit signalModifyResult(entries);
    DeviceModifyResultPage results;
    results.setEntries(entries);
    std::vector<plan::ReceiptEntry> receipt = batch->receipt();
    // The site's rules may forbid asking addresses: the receipt says that new ones were not asked.
    if (!batch->asksAddresses())
        receipt.insert(receipt.begin(), plan::addressCheckSkippedEntry());
    results.setReceipt(std::move(receipt));
    results.setReceiptHistory(batch->historyPath());
    emit signalCoverMainPage();
    results.exec();
    emit signalDisCoverMainPage();
}

void DeviceModifyPage::showBatchResults(const QVector<DeviceInfo>& entries, bool activation) {
    DeviceModifyResultPage results;
    if (activation) {
        results.setResultHeader(4, tr("Activation"));
        results.setCountCaption(tr("Batch activate devices"));
        results.setFailureCaption(tr("Activate fail numbers"));
    }
    results.setEntries(entries);
    if (m_run.before.size() == entries.size()) {
        std::vector<plan::ReceiptEntry> receipt;
        for (qsizetype i = 0; i < entries.size(); ++i)
            receipt.push_back(receiptEntry(i, entries.at(i)));
        results.setReceipt(std::move(receipt));
    }
    results.setReceiptHistory(m_history->path());
    if (activation)
        emit signalActiveResult(entries);
    emit signalCoverMainPage();
    results.exec();
    emit signalDisCoverMainPage();
}

void DeviceModifyPage::onForgetPassword() {
    if (m_entries.isEmpty()) {
        showError(tr("Please select a device."));
        return;
    }
    const VEXA_DEVICE_MY_INFO record = storedRecord(m_entries.first());
    if (!can(record, VEXA_CAN_RECOVER)) {
        showError(noOnvifRecovery());
        return;
    }
    openRecoveryDialog(m_entries.first().serialNo, (record.supportFlags & VEXA_SUPPORT_KEY_RESET) != 0,
                       (record.resetFlags & VEXA_RESET_QR) != 0, (record.supportFlags & VEXA_SUPPORT_RESET_IPC) != 0);
}

void DeviceModifyPage::openRecoveryDialog(const QString& serialNo, bool keyExchange, bool qrSupported, bool ipcReset) {
    emit signalRecoveryRequested(serialNo, keyExchange, qrSupported, ipcReset);
    std::unique_ptr<aptui::BaseDialog> dialog;
    if (keyExchange)
        dialog = std::make_unique<ResetPasswordDialog>(nullptr, serialNo, qrSupported, ipcReset);
    else
        dialog = std::make_unique<RestorePasswordDialog>(nullptr, serialNo);
    emit signalCoverMainPage();
    dialog->exec();
    emit signalDisCoverMainPage();
}

void DeviceModifyPage::onDhcpStateChanged(int state) {
    if (m_entries.isEmpty())
        return;
    if (state == Qt::Checked)
        m_netParaPage->applyDhcp();
    else
        m_netParaPage->fillFromDevice(m_entries.first().serialNo, m_entries.first().mac, true, 1);
}

void DeviceModifyPage::onBatchDhcpStateChanged(int state) {
    m_netParaPage->batchDhcpChange(state != Qt::Checked);
}

bool DeviceModifyPage::eventFilter(QObject* watched, QEvent* event) {
    QLabel* hint = nullptr;
    if (watched == m_ui->m_lineEditAdminPassword)
        hint = m_ui->m_labelHintAdimaPassword;
    else if (watched == m_ui->m_lineEditOnvifPassword)
        hint = m_ui->m_labelHintOnvifPassword;
    else if (watched == m_ui->m_lineEditOnvifUser)
        hint = m_ui->m_labelHintOnvifUser;
    else if (watched == m_ui->m_lineEditConfirmPassword)
        hint = m_ui->m_labelHintConfirmPassword;
    else if (watched == m_ui->m_lineEditNewPassword)
        hint = m_ui->m_labelHintNewPassword;
    if (hint != nullptr) {
        if (event->type() == QEvent::MouseButtonPress) {
            static_cast<aptui::MultiStateLineEdit*>(watched)->clearMark(hint);
        } else if (watched != m_ui->m_lineEditOnvifUser &&
                   (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
            auto* key = static_cast<QKeyEvent*>(event);
            // Passwords never pass through the clipboard, in or out.
            if (key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Copy) ||
                key->matches(QKeySequence::Cut)) {
                event->accept();
                return true;
            }
        }
    }
    return aptui::Widget::eventFilter(watched, event);
}

bool DeviceModifyPage::siteTargets(uint32_t capability, const QString& leftOut, QVector<SiteBatch::Target>& targets) {
    if (m_entries.isEmpty()) {
        showError(tr("Sorry, please select the equipment."));
        return false;
    }
    QStringList endpoints;
    for (const DeviceInfo& entry : std::as_const(m_entries)) {
        SiteBatch::Target target;
        target.record = storedRecord(entry);
        target.label = entry.index;
        if (!can(target.record, capability))
            target.leftOut = leftOut;
        else
            endpoints << recordText(target.record.endpointReference);
        targets.append(target);
    }
    if (endpoints.isEmpty()) {
        showError(leftOut);
        return false;
    }
    const QString user = m_ui->m_lineEditOnvifUser->text().trimmed();
    if (user.isEmpty()) {
        showError(tr("Please enter the ONVIF user name."), m_ui->m_lineEditOnvifUser, m_ui->m_labelHintOnvifUser);
        return false;
    }
    if (m_ui->m_lineEditOnvifPassword->text().isEmpty()) {
        showError(tr("Please enter the ONVIF password."), m_ui->m_lineEditOnvifPassword,
                  m_ui->m_labelHintOnvifPassword);
        return false;
    }
    // As for a network change: the login goes to the ticked devices that take part, and to no other.
    VEXA::OnvifLogin& login = VEXA::OnvifLogin::instance();
    login.assign(user, m_ui->m_lineEditOnvifPassword->text(), login.endpoints() + endpoints, login.isAutomatic());
    return true;
}

void DeviceModifyPage::onSetTime() {
    QVector<SiteBatch::Target> targets;
    if (isBusy() || !siteTargets(VEXA_CAN_SET_TIME, tr("Left out: the time of this device cannot be set."), targets))
        return;
    const auto runnable =
        std::count_if(targets.cbegin(), targets.cend(), [](const SiteBatch::Target& t) { return t.leftOut.isEmpty(); });
    SetTimeDialog dialog(static_cast<int>(runnable), this);
    emit signalCoverMainPage();
    const bool accepted = dialog.exec() == QDialog::Accepted;
    emit signalDisCoverMainPage();
    if (accepted)
        startSite(m_site->startSetTime(targets, dialog.params()), aptui::BatchProgressCover::SettingTime);
}

void DeviceModifyPage::onChangeOnvifPassword() {
    QVector<SiteBatch::Target> targets;
    if (isBusy() || !siteTargets(VEXA_CAN_SET_USER_PASSWORD,
                                 tr("Left out: the ONVIF password of this device cannot be changed."), targets))
        return;
    const auto runnable =
        std::count_if(targets.cbegin(), targets.cend(), [](const SiteBatch::Target& t) { return t.leftOut.isEmpty(); });
    const QString user = VEXA::OnvifLogin::instance().user();
    OnvifPasswordDialog dialog(static_cast<int>(runnable), user, this);
    emit signalCoverMainPage();
    const bool accepted = dialog.exec() == QDialog::Accepted;
    emit signalDisCoverMainPage();
    if (!accepted)
        return;
    QStringList passwords;
    if (!dialog.generated()) {
        passwords = QStringList(targets.size(), dialog.password());
    } else {
        // The file is whole before any device is sent a password: else the passwords would be lost with it.
        QVector<PasswordSheet::Row> rows;
        for (const SiteBatch::Target& target : std::as_const(targets)) {
            passwords << (target.leftOut.isEmpty() ? PasswordSheet::generate() : QString());
            if (target.leftOut.isEmpty())
                rows.append({recordText(target.record.serialNo), recordText(target.record.mac),
                             recordText(target.record.ipv4Address), user, passwords.back()});
        }
        QString error;
        const bool written = PasswordSheet::write(dialog.filePath(), rows, &error);
        for (PasswordSheet::Row& row : rows)
            row.password.fill(QChar(0));
        if (!written) {
            for (QString& password : passwords)
                password.fill(QChar(0));
            showError(tr("Nothing was sent: %1").arg(error));
            return;
        }
    }
    startSite(m_site->startPasswords(targets, passwords, !dialog.generated()),
              aptui::BatchProgressCover::ChangingPasswords);
    for (QString& password : passwords)
        password.fill(QChar(0));
}

void DeviceModifyPage::startSite(bool started, aptui::BatchProgressCover::Operation operation) {
    if (!started) {
        showError(tr("A device has not answered an earlier change yet. Try again once it has."));
        return;
    }
    showCover(operation, m_site->batch()->total());
    connect(m_site, &SiteBatch::signalProgress, m_cover, &aptui::BatchProgressCover::setProgress, Qt::UniqueConnection);
    emit signalBusyChanged(true);
}

void DeviceModifyPage::onSiteFinished() {
    if (!m_cover.isNull())
        m_cover->end();
    emit signalBusyChanged(false);
    const PlanBatch* batch = m_site->batch();
    const bool time = m_site->kind() == SiteBatch::Kind::SetTime;
    DeviceModifyResultPage results;
    results.setResultHeader(4, time ? tr("Set time") : tr("ONVIF password"));
    results.setCountCaption(time ? tr("Set the time of devices") : tr("Change the ONVIF password of devices"));
    QVector<DeviceInfo> entries = batch->entries();
    for (qsizetype i = 0; i < entries.size() && i < m_site->targets().size(); ++i)
        entries[i].deviceType = recordText(m_site->targets().at(i).record.deviceTypeName);
    results.setEntries(entries);
    results.setReceipt(batch->receipt());
    results.setReceiptHistory(batch->historyPath());
    emit signalCoverMainPage();
    results.exec();
    emit signalDisCoverMainPage();
}

} // namespace VexaTool
