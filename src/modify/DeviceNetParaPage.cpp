#include "modify/DeviceNetParaPage.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QSignalBlocker>

#include "aptui/MultiStateLineEdit.h"
#include "aptui/WarningDialog.h"
#include "common/AddressValidation.h"
#include "discovery/DeviceStore.h"
#include "guitoolkit/CIntValidator.h"
#include "modify/AddressPlan.h"
#include "ui_DeviceNetParaPage.h"
#include "vexa.h"

namespace VexaTool {

namespace {

bool inTypeRanges(int32_t code) {
    return (code >= 0x9D00 && code <= 0x9DFF) || (code >= 0x9E00 && code <= 0x9EFF) ||
           (code >= 0x9F00 && code <= 0x9FFF);
}

quint32 decimal(const aptui::MultiStateLineEdit* edit) {
    return edit->text().trimmed().toUInt();
}

// What a device name becomes on the wire: UTF-8, the encoding device texts are read back with.
QByteArray nameBytes(const QString& name) {
    return name.trimmed().toUtf8();
}

QString onvifPortTip() {
    return QCoreApplication::translate("VexaTool::DeviceNetParaPage",
                                       "An ONVIF device's port is where its service answers; it cannot be changed "
                                       "here.");
}

} // namespace

DeviceNetParaPage::DeviceNetParaPage(QWidget* parent)
    : aptui::Widget(parent)
    , m_ui(std::make_unique<Ui::DeviceNetParaPage>()) {
    m_ui->setupUi(this);
    connect(m_ui->m_checkBoxDHCP, &QCheckBox::stateChanged, this, &DeviceNetParaPage::signalDhcpStateChanged);
    connect(m_ui->m_checkBoxBatchDHCP, &QCheckBox::stateChanged, this, &DeviceNetParaPage::signalBatchDhcpStateChanged);

    m_ui->m_lineEditStartIp->installEventFilter(this);
    for (aptui::MultiStateLineEdit* edit : gridEditors())
        edit->installEventFilter(this);

    m_ui->m_lineEditPort->setValidator(new OrvisGUIToolkit::CIntValidator(0, 65535, this));
    m_ui->m_lineEditHttpPort->setValidator(new OrvisGUIToolkit::CIntValidator(0, 65535, this));
    m_ui->m_lineEditRTSP->setValidator(new OrvisGUIToolkit::CIntValidator(1, 65535, this));
    m_ui->m_lineEditIPV6SubnetMaskLen->setValidator(new OrvisGUIToolkit::CIntValidator(0, 127, this));
    for (aptui::MultiStateLineEdit* edit :
         {m_ui->m_lineEditStartIp, m_ui->m_lineEditIpAddress, m_ui->m_lineEditSubnetMask, m_ui->m_lineEditGateway})
        edit->setMaxLength(15);
    m_ui->m_lineEditIPV6Address->setMaxLength(64);
    m_ui->m_lineEditIPV6Gateway->setMaxLength(64);
    // Characters, not bytes: the byte limit of the device's field is checked on submit, with a sentence.
    m_ui->m_lineEditDeviceName->setMaxLength(static_cast<int>(sizeof(VEXA_NET_PARAM::deviceName)));

    // A batch keeps each device's name unless the user asks otherwise; one name for all is rarely meant.
    m_keepNames = new QCheckBox(tr("Keep each device's name"), m_ui->m_widgetStartIp);
    m_keepNames->setObjectName(QStringLiteral("m_checkBoxKeepNames"));
    m_keepNames->setAccessibleName(tr("Keep each device's name"));
    m_keepNames->setToolTip(tr("Untick to name the devices: {n} in the name counts 1, 2, 3… in the list's order, "
                               "as in Lobby-{n}."));
    m_keepNames->setChecked(true);
    m_ui->m_layoutStartIp->addWidget(m_keepNames, 2, 1, 1, 2);
    // Typing a name unticks it; ticking it again empties the name.
    connect(m_keepNames, &QCheckBox::toggled, this, [this](bool keep) {
        if (!keep)
            return;
        m_ui->m_lineEditDeviceName->clear();
        m_ui->m_lineEditDeviceName->clearMark(m_ui->m_labelHintDeviceName);
    });
    connect(m_ui->m_lineEditDeviceName, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_ui->m_widgetStartIp->isVisibleTo(this) && !text.trimmed().isEmpty())
            m_keepNames->setChecked(false);
    });
}

QString DeviceNetParaPage::batchName(const QString& pattern, int number) {
    QString name = pattern.trimmed();
    return name.replace(QLatin1String("{n}"), QString::number(number));
}

DeviceNetParaPage::~DeviceNetParaPage() = default;

QList<aptui::MultiStateLineEdit*> DeviceNetParaPage::gridEditors() const {
    return {m_ui->m_lineEditSerialNumber, m_ui->m_lineEditDeviceName,  m_ui->m_lineEditIpAddress,
            m_ui->m_lineEditPort,         m_ui->m_lineEditSubnetMask,  m_ui->m_lineEditGateway,
            m_ui->m_lineEditIPV6Address,  m_ui->m_lineEditIPV6Gateway, m_ui->m_lineEditIPV6SubnetMaskLen,
            m_ui->m_lineEditHttpPort,     m_ui->m_lineEditRTSP};
}

QList<QLabel*> DeviceNetParaPage::hintLabels() const {
    return {m_ui->m_labelHintStartIp,     m_ui->m_labelHintDeviceSerial, m_ui->m_labelHintIpAddress,
            m_ui->m_labelHintPort,        m_ui->m_labelHintSubnetMask,   m_ui->m_labelHintGateway,
            m_ui->m_labelHintIPv6Address, m_ui->m_labelHintIPv6Gateway,  m_ui->m_labelHintPrefixLength,
            m_ui->m_labelHintHttpPort,    m_ui->m_labelHintRTSPPort,     m_ui->m_labelHintDeviceName};
}

QLabel* DeviceNetParaPage::hintFor(const QObject* editor) const {
    const std::pair<const QObject*, QLabel*> pairs[] = {
        {m_ui->m_lineEditStartIp, m_ui->m_labelHintStartIp},
        {m_ui->m_lineEditSerialNumber, m_ui->m_labelHintDeviceSerial},
        {m_ui->m_lineEditDeviceName, m_ui->m_labelHintDeviceName},
        {m_ui->m_lineEditIpAddress, m_ui->m_labelHintIpAddress},
        {m_ui->m_lineEditPort, m_ui->m_labelHintPort},
        {m_ui->m_lineEditSubnetMask, m_ui->m_labelHintSubnetMask},
        {m_ui->m_lineEditGateway, m_ui->m_labelHintGateway},
        {m_ui->m_lineEditIPV6Address, m_ui->m_labelHintIPv6Address},
        {m_ui->m_lineEditIPV6Gateway, m_ui->m_labelHintIPv6Gateway},
        {m_ui->m_lineEditIPV6SubnetMaskLen, m_ui->m_labelHintPrefixLength},
        {m_ui->m_lineEditHttpPort, m_ui->m_labelHintHttpPort},
        {m_ui->m_lineEditRTSP, m_ui->m_labelHintRTSPPort},
    };
    for (const auto& [edit, hint] : pairs) {
        if (edit == editor)
            return hint;
    }
    return nullptr;
}

int DeviceNetParaPage::labelColumnWidth() const {
    int width = 0;
    for (const QLabel* label :
         {m_ui->m_labelSerialNumber, m_ui->m_labelDeviceName, m_ui->m_labelIpAddress, m_ui->m_labelPort,
          m_ui->m_labelSubnetMask, m_ui->m_labelGateway, m_ui->m_labelIPV6Address, m_ui->m_labelIPV6Gateway,
          m_ui->m_labelIPV6SubnetMaskLen, m_ui->m_labelHttpPort, m_ui->m_labelRTSP})
        width = std::max(width, label->sizeHint().width());
    return width;
}

aptui::MultiStateLineEdit* DeviceNetParaPage::editor(const QString& objectName) const {
    return findChild<aptui::MultiStateLineEdit*>(objectName);
}

void DeviceNetParaPage::resetMarks() {
    for (QLabel* hint : hintLabels())
        hint->clear();
    m_ui->m_lineEditStartIp->setLineEditState(aptui::MultiStateLineEdit::NORMAL);
    for (aptui::MultiStateLineEdit* edit : gridEditors())
        edit->setLineEditState(aptui::MultiStateLineEdit::NORMAL);
}

void DeviceNetParaPage::setSingleLayout() {
    m_ui->m_labelDeviceNetPara->setText(tr("Modify Network parameters"));
    showLayout(false);
}

void DeviceNetParaPage::setBatchLayout() {
    m_ui->m_labelDeviceNetPara->setText(tr("Batch Modify Network parameters"));
    {
        const QSignalBlocker blocker(m_ui->m_checkBoxBatchDHCP);
        m_ui->m_checkBoxBatchDHCP->setChecked(false);
    }
    showLayout(true);
}

void DeviceNetParaPage::showLayout(bool batch) {
    // A batch has a start address and one DHCP box for all; one device shows its own serial number and address.
    m_ui->m_widgetStartIp->setVisible(batch);
    m_ui->m_checkBoxBatchDHCP->setVisible(batch);
    m_ui->m_lineEditDeviceName->setPlaceholderText(batch ? tr("Lobby-{n}") : QString());
    for (QWidget* widget : std::initializer_list<QWidget*>{
             m_ui->m_labelSerialNumber, m_ui->m_lineEditSerialNumber, m_ui->m_labelHintDeviceSerial,
             m_ui->m_labelIpAddress, m_ui->m_lineEditIpAddress, m_ui->m_labelHintIpAddress, m_ui->m_checkBoxDHCP})
        widget->setVisible(!batch);
    resetMarks();
}

void DeviceNetParaPage::clearAndLock() {
    for (aptui::MultiStateLineEdit* edit : gridEditors()) {
        edit->clear();
        edit->setEnabled(false);
    }
    m_ui->m_lineEditSerialNumber->setReadOnly(true);
    {
        const QSignalBlocker blocker(m_ui->m_checkBoxDHCP);
        m_ui->m_checkBoxDHCP->setChecked(false);
    }
    m_ui->m_checkBoxDHCP->setEnabled(false);
    m_serialNo.clear();
    m_mac.clear();
    m_shownName.clear();
    m_shownTexts.clear();
    m_portFixed = false;
    resetMarks();
}

void DeviceNetParaPage::unlock() {
    for (aptui::MultiStateLineEdit* edit : gridEditors())
        edit->setEnabled(true);
    m_ui->m_checkBoxDHCP->setEnabled(true);
}

void DeviceNetParaPage::fillFromDevice(const QString& serialNo, const QString& mac, bool fromCheckBox, int state) {
    if (serialNo.isEmpty() && mac.isEmpty()) {
        clearAndLock();
        return;
    }
    VEXA_NET_PARAM params;
    std::memset(&params, 0, sizeof params);
    VEXA_DEVICE_MY_INFO record;
    std::memset(&record, 0, sizeof record);
    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    store->readNetParams(serialNo, mac, params);
    store->get(serialNo, mac, record);

    m_ui->m_lineEditSerialNumber->setText(serialNo);
    m_ui->m_lineEditSerialNumber->setReadOnly(true);
    m_ui->m_lineEditSerialNumber->setCursorPosition(0);
    m_serialNo = serialNo;
    m_mac = mac;
    m_shownName = recordText(params.deviceName);
    m_ui->m_lineEditDeviceName->setText(m_shownName);

    m_ui->m_lineEditIpAddress->setText(recordText(params.ipv4Address));
    m_ui->m_lineEditPort->setText(QString::number(params.port));
    m_ui->m_lineEditSubnetMask->setText(recordText(params.ipv4SubnetMask));
    m_ui->m_lineEditGateway->setText(recordText(params.ipv4Gateway));
    for (QWidget* edit : std::initializer_list<QWidget*>{m_ui->m_lineEditIpAddress, m_ui->m_lineEditPort,
                                                         m_ui->m_lineEditSubnetMask, m_ui->m_lineEditGateway})
        edit->setEnabled(true);

    m_ui->m_lineEditHttpPort->setText(QString::number(params.httpPort));
    m_ui->m_lineEditRTSP->setText(QString::number(params.rtspPort));
    m_ui->m_lineEditHttpPort->setEnabled(m_ui->m_lineEditHttpPort->text() != QLatin1String("0"));

    const QList<QWidget*> ipv6{m_ui->m_lineEditIPV6Address, m_ui->m_lineEditIPV6Gateway,
                               m_ui->m_lineEditIPV6SubnetMaskLen};
    if (record.capabilityLevel == 1 || record.capabilityLevel == 2) {
        m_ui->m_lineEditIPV6Address->setText(recordText(params.ipv6Address));
        m_ui->m_lineEditIPV6Gateway->setText(recordText(params.ipv6Gateway));
        m_ui->m_lineEditIPV6SubnetMaskLen->setText(QString::number(params.ipv6PrefixLength));
        const bool supported = (record.supportFlags & VEXA_SUPPORT_IPV6) != 0;
        if (!supported) {
            m_ui->m_lineEditIPV6Address->clear();
            m_ui->m_lineEditIPV6Gateway->clear();
            m_ui->m_lineEditIPV6SubnetMaskLen->clear();
        }
        // Editable only where the device takes a change: it ignores IPv6 values without the modify bit.
        const bool editable = supported && (record.supportFlags & VEXA_SUPPORT_MODIFY_IPV6) != 0;
        for (QWidget* edit : ipv6)
            edit->setEnabled(editable);
    } else if (record.capabilityLevel == 0) {
        m_ui->m_lineEditIPV6Address->clear();
        m_ui->m_lineEditIPV6Gateway->clear();
        m_ui->m_lineEditIPV6SubnetMaskLen->clear();
        for (QWidget* edit : ipv6)
            edit->setEnabled(false);
    } else {
        for (QWidget* edit : ipv6)
            edit->setEnabled(false);
    }

    m_portFixed = !can(record, VEXA_CAN_SET_PORT);
    lockForOnvif(record);
    m_shownTexts.clear();
    for (const aptui::MultiStateLineEdit* edit : gridEditors())
        m_shownTexts.insert(edit, edit->text());

    // The box is set here without telling the modify page: this fill already leaves the form as it should be.
    const QSignalBlocker blocker(m_ui->m_checkBoxDHCP);
    if (record.supportFlags & VEXA_SUPPORT_DHCP) {
        m_ui->m_checkBoxDHCP->setEnabled(true);
        const bool dhcpOn = fromCheckBox ? state == 0 : record.dhcpEnabled == 1;
        if (dhcpOn) {
            applyDhcp();
            m_ui->m_lineEditPort->setFocus();
        } else {
            m_ui->m_checkBoxDHCP->setChecked(false);
            m_ui->m_lineEditIpAddress->setFocus();
        }
    } else {
        m_ui->m_checkBoxDHCP->setChecked(false);
        m_ui->m_checkBoxDHCP->setEnabled(false);
        m_ui->m_lineEditIpAddress->setFocus();
    }
}

void DeviceNetParaPage::lockForOnvif(const VEXA_DEVICE_MY_INFO& record) {
    const QList<QWidget*> ipv6{m_ui->m_lineEditIPV6Address, m_ui->m_lineEditIPV6Gateway,
                               m_ui->m_lineEditIPV6SubnetMaskLen};
    if (can(record, VEXA_CAN_SET_PORT | VEXA_CAN_SET_IPV6)) {
        m_ui->m_lineEditPort->setToolTip(QString());
        for (QWidget* edit : ipv6)
            edit->setToolTip(QString());
        return;
    }
    // The library refuses both for an ONVIF device before anything is sent: the form does not offer them.
    m_ui->m_lineEditPort->setEnabled(false);
    m_ui->m_lineEditPort->setToolTip(onvifPortTip());
    const bool hasIpv6 = record.ipv6Address[0] != '\0';
    m_ui->m_lineEditIPV6Address->setText(recordText(record.ipv6Address));
    m_ui->m_lineEditIPV6Gateway->setText(recordText(record.ipv6Gateway));
    m_ui->m_lineEditIPV6SubnetMaskLen->setText(hasIpv6 ? QString::number(record.ipv6PrefixLength) : QString());
    const QString tip = hasIpv6 ? tr("The IPv6 settings of an ONVIF device cannot be changed here.")
                                : tr("The device reports no IPv6 address.");
    for (QWidget* edit : ipv6) {
        edit->setEnabled(false);
        edit->setToolTip(tip);
    }
}

void DeviceNetParaPage::batchFill(const QVector<DeviceInfo>& entries) {
    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    VEXA_DEVICE_MY_INFO record;
    std::memset(&record, 0, sizeof record);

    bool startAndMask = false;
    int gateways = 0;
    bool port = true;
    bool http = true;
    bool ours = false;
    bool fixedPort = false;
    std::optional<int32_t> ourPort;
    for (const DeviceInfo& entry : entries) {
        std::memset(&record, 0, sizeof record);
        store->get(entry.serialNo, entry.mac, record);
        if (!inTypeRanges(record.deviceTypeCode))
            startAndMask = true;
        if (takesGateway(record))
            ++gateways;
        if (!can(record, VEXA_CAN_SET_PORT)) {
            // Its port is compared with nobody's, as it never gets one.
            fixedPort = true;
        } else {
            ours = true;
            if (ourPort && record.port != *ourPort)
                port = false;
            ourPort = record.port;
        }
        if (record.httpPort == 0)
            http = false;
    }
    port = port && ours;
    m_batchStartEnabled = startAndMask;
    m_batchGatewayEnabled = gateways > 0;
    m_batchPortsOptional = fixedPort;

    for (aptui::MultiStateLineEdit* edit :
         {m_ui->m_lineEditStartIp, m_ui->m_lineEditPort, m_ui->m_lineEditSubnetMask, m_ui->m_lineEditGateway,
          m_ui->m_lineEditIPV6Address, m_ui->m_lineEditIPV6Gateway, m_ui->m_lineEditIPV6SubnetMaskLen,
          m_ui->m_lineEditHttpPort, m_ui->m_lineEditRTSP, m_ui->m_lineEditDeviceName})
        edit->clear();
    m_ui->m_lineEditStartIp->setEnabled(startAndMask);
    m_ui->m_lineEditSubnetMask->setEnabled(startAndMask);
    m_ui->m_lineEditPort->setEnabled(port);
    m_ui->m_lineEditPort->setToolTip(!fixedPort ? QString()
                                     : port ? tr("ONVIF devices keep their port: a port typed here leaves them out.")
                                            : onvifPortTip());
    m_ui->m_lineEditGateway->setEnabled(gateways > 0);
    // One rule for every mix: the gateway goes to the devices that take one, the others keep theirs.
    const int keeping = static_cast<int>(entries.size()) - gateways;
    m_ui->m_lineEditGateway->setToolTip(
        keeping == 0 ? QString()
        : gateways == 0
            ? tr("None of these devices takes a gateway from a batch: each keeps its own.")
            : tr("The gateway goes only to the devices that take one: %n of the ticked devices keep their own.",
                 nullptr, keeping));
    m_ui->m_lineEditHttpPort->setEnabled(http);
    m_ui->m_lineEditRTSP->setEnabled(true);
    m_batchCount = static_cast<int>(entries.size());
    m_keepNames->setChecked(true);
    m_ui->m_lineEditDeviceName->setEnabled(true);
    for (QWidget* edit : std::initializer_list<QWidget*>{m_ui->m_lineEditIPV6Address, m_ui->m_lineEditIPV6Gateway,
                                                         m_ui->m_lineEditIPV6SubnetMaskLen})
        edit->setEnabled(false);
    {
        const QSignalBlocker blocker(m_ui->m_checkBoxBatchDHCP);
        m_ui->m_checkBoxBatchDHCP->setChecked(false);
    }
    m_ui->m_lineEditStartIp->setFocus();
}

bool DeviceNetParaPage::fail(aptui::MultiStateLineEdit* edit, QLabel* hint, const QString& message,
                             const QPoint& position) {
    if (m_faults != nullptr) {
        WarningDialog::mark(WarningDialog::Error, edit, hint);
        m_faults->append(message);
        return false;
    }
    WarningDialog::showWarning(position, WarningDialog::Error, message, this, edit, hint);
    return false;
}

bool DeviceNetParaPage::checkRequiredAddress(aptui::MultiStateLineEdit* edit, QLabel* hint, const QPoint& position) {
    const QString text = edit->text().trimmed();
    if (text.isEmpty())
        return fail(edit, hint, tr("Please input IP Address."), position);
    if (!isValidIpv4(text) || AddressPlan::canonicalIpv4(text).isEmpty())
        return fail(edit, hint, tr("IP Address not correct."), position);
    return true;
}

bool DeviceNetParaPage::checkMask(const QPoint& position) {
    const QString text = m_ui->m_lineEditSubnetMask->text().trimmed();
    if (text.isEmpty())
        return fail(m_ui->m_lineEditSubnetMask, m_ui->m_labelHintSubnetMask, tr("Subnet mask can not be empty."),
                    position);
    if (!isValidSubnetMask(text))
        return fail(m_ui->m_lineEditSubnetMask, m_ui->m_labelHintSubnetMask, tr("Subnet Mask not correct."), position);
    return true;
}

bool DeviceNetParaPage::checkPort(const QPoint& position) {
    const quint32 port = decimal(m_ui->m_lineEditPort);
    if (port < 2000 || port > 65535)
        return fail(m_ui->m_lineEditPort, m_ui->m_labelHintPort, tr("Device port ranges from 2000 to 65535."),
                    position);
    return true;
}

bool DeviceNetParaPage::checkGateway(const QPoint& position) {
    const QString text = m_ui->m_lineEditGateway->text().trimmed();
    if (text.isEmpty())
        return fail(m_ui->m_lineEditGateway, m_ui->m_labelHintGateway, tr("Gateway can not be empty"), position);
    if (!isValidGateway(text) || AddressPlan::canonicalIpv4(text).isEmpty())
        return fail(m_ui->m_lineEditGateway, m_ui->m_labelHintGateway, tr("Gateway not correct."), position);
    return true;
}

bool DeviceNetParaPage::checkHttpPort(const QPoint& position) {
    if (!m_ui->m_lineEditHttpPort->isEnabled())
        return true;
    const quint32 port = decimal(m_ui->m_lineEditHttpPort);
    if (port < 1 || port > 65535)
        return fail(m_ui->m_lineEditHttpPort, m_ui->m_labelHintHttpPort, tr("Http port ranges from 1 to 65535."),
                    position);
    return true;
}

bool DeviceNetParaPage::checkRtsp(const QPoint& position) {
    if (m_ui->m_lineEditRTSP->text().trimmed().isEmpty())
        return fail(m_ui->m_lineEditRTSP, m_ui->m_labelHintRTSPPort, tr("RTSP port ranges from 0 to 65535."), position);
    return true;
}

bool DeviceNetParaPage::checkDeviceName(const QPoint& position) {
    // A batch pattern is judged by its longest name, the one with the highest number.
    const QString typed = m_ui->m_lineEditDeviceName->text().trimmed();
    const QString name = m_faults != nullptr ? batchName(typed, std::max(m_batchCount, 1)) : typed;
    if (name.isEmpty())
        return fail(m_ui->m_lineEditDeviceName, m_ui->m_labelHintDeviceName, tr("Device name cannot be empty."),
                    position);
    // The device keeps 32 bytes: a longer name would arrive cut inside a character.
    const QByteArray bytes = nameBytes(name);
    bool control = false;
    for (const QChar c : name)
        control |= c.category() == QChar::Other_Control;
    if (bytes.size() > static_cast<qsizetype>(sizeof(VEXA_NET_PARAM::deviceName)) || control)
        return fail(m_ui->m_lineEditDeviceName, m_ui->m_labelHintDeviceName,
                    tr("Device name is too long for the device."), position);
    return true;
}

bool DeviceNetParaPage::checkIpv6(aptui::MultiStateLineEdit* edit, QLabel* hint, const QString& message,
                                  const QPoint& position) {
    const QString text = edit->text().trimmed();
    if (text.isEmpty() || !isValidIpv6(text) || AddressPlan::canonicalIpv6(text).isEmpty())
        return fail(edit, hint, message, position);
    return true;
}

bool DeviceNetParaPage::checkPrefixLength(const QPoint& position) {
    const QString text = m_ui->m_lineEditIPV6SubnetMaskLen->text().trimmed();
    bool ok = false;
    const int value = text.toInt(&ok);
    if (text.isEmpty() || !ok || value < 0 || value > 127)
        return fail(m_ui->m_lineEditIPV6SubnetMaskLen, m_ui->m_labelHintPrefixLength,
                    tr("IPv6 prefix length ranges from 0 to 127."), position);
    return true;
}

bool DeviceNetParaPage::nameEdited() const {
    return m_ui->m_lineEditDeviceName->text() != m_shownName;
}

bool DeviceNetParaPage::changed(const aptui::MultiStateLineEdit* edit) const {
    return edit->isEnabled() && edit->text() != m_shownTexts.value(edit);
}

bool DeviceNetParaPage::validateSingle(const QPoint& position) {
    // Only what the user changed is the form's to judge; the rest goes back as the device has it.
    if ((changed(m_ui->m_lineEditRTSP) && !checkRtsp(position)) || (nameEdited() && !checkDeviceName(position)) ||
        (changed(m_ui->m_lineEditIpAddress) &&
         !checkRequiredAddress(m_ui->m_lineEditIpAddress, m_ui->m_labelHintIpAddress, position)) ||
        (changed(m_ui->m_lineEditPort) && !checkPort(position)) ||
        (changed(m_ui->m_lineEditSubnetMask) && !checkMask(position)) ||
        (changed(m_ui->m_lineEditGateway) && !checkGateway(position)))
        return false;
    if ((changed(m_ui->m_lineEditIPV6Address) && !checkIpv6(m_ui->m_lineEditIPV6Address, m_ui->m_labelHintIPv6Address,
                                                            tr("IPv6 Address not correct."), position)) ||
        (changed(m_ui->m_lineEditIPV6Gateway) && !checkIpv6(m_ui->m_lineEditIPV6Gateway, m_ui->m_labelHintIPv6Gateway,
                                                            tr("IPv6 gateway not correct."), position)) ||
        (changed(m_ui->m_lineEditIPV6SubnetMaskLen) && !checkPrefixLength(position)))
        return false;
    return !changed(m_ui->m_lineEditHttpPort) || checkHttpPort(position);
}

bool DeviceNetParaPage::validateBatch(const QPoint& position) {
    resetMarks();
    QStringList faults;
    m_faults = &faults;
    if (m_ui->m_lineEditRTSP->isEnabled())
        checkRtsp(position);
    if (!m_keepNames->isChecked())
        checkDeviceName(position);
    if (m_ui->m_lineEditStartIp->isEnabled())
        checkRequiredAddress(m_ui->m_lineEditStartIp, m_ui->m_labelHintStartIp, position);
    // Beside ONVIF devices the ports are optional: left empty, every device keeps its own.
    const bool portLeftEmpty = m_batchPortsOptional && m_ui->m_lineEditPort->text().trimmed().isEmpty();
    if (m_ui->m_lineEditPort->isEnabled() && !portLeftEmpty)
        checkPort(position);
    if (m_ui->m_lineEditSubnetMask->isEnabled())
        checkMask(position);
    if (m_ui->m_lineEditGateway->isEnabled())
        checkGateway(position);
    if (!(m_batchPortsOptional && m_ui->m_lineEditHttpPort->text().trimmed().isEmpty()))
        checkHttpPort(position);
    m_faults = nullptr;
    if (faults.isEmpty())
        return true;
    // One box names every fault, each beside its field too: the form is mended in one pass.
    WarningDialog::showLongWarning(position, WarningDialog::Error, faults.join(QLatin1Char('\n')), this);
    return false;
}

VEXA_NET_PARAM DeviceNetParaPage::readSingle() const {
    // A disabled editor says nothing: the device keeps what it has there (a device that reports IPv6 but takes
    // no change of it refuses a record whose IPv6 differs, and DHCP must not erase a static IPv6 address).
    VEXA_NET_PARAM params;
    std::memset(&params, 0, sizeof params);
    VEXA::DeviceStore::instance()->readNetParams(m_serialNo, m_mac, params);
    // An editor left as it was filled says nothing either: an odd value the device reported goes back as it is.
    if (changed(m_ui->m_lineEditIpAddress))
        setRecordText(params.ipv4Address, AddressPlan::canonicalIpv4(m_ui->m_lineEditIpAddress->text()).toLatin1());
    if (changed(m_ui->m_lineEditSubnetMask))
        setRecordText(params.ipv4SubnetMask, AddressPlan::canonicalIpv4(m_ui->m_lineEditSubnetMask->text()).toLatin1());
    if (changed(m_ui->m_lineEditGateway))
        setRecordText(params.ipv4Gateway, AddressPlan::canonicalIpv4(m_ui->m_lineEditGateway->text()).toLatin1());
    if (changed(m_ui->m_lineEditPort))
        params.port = static_cast<uint16_t>(decimal(m_ui->m_lineEditPort));
    if (changed(m_ui->m_lineEditRTSP))
        params.rtspPort = static_cast<uint16_t>(decimal(m_ui->m_lineEditRTSP));
    if (nameEdited())
        setRecordText(params.deviceName, nameBytes(m_ui->m_lineEditDeviceName->text()));
    // A device without DHCP shows the box unticked and locked: it is told "off", whatever flag it reported.
    params.dhcpEnabled = m_ui->m_checkBoxDHCP->isChecked() ? 1 : 0;
    const quint32 http = decimal(m_ui->m_lineEditHttpPort);
    // A device whose service port is fixed and that has no web server is told nothing about one (the library
    // would try to open it).
    if (!m_portFixed || m_ui->m_lineEditHttpPort->isEnabled())
        params.httpPort = static_cast<uint16_t>(http == 0 ? 80 : http);
    if (m_ui->m_checkBoxBatchDHCP->isHidden()) {
        if (changed(m_ui->m_lineEditIPV6Address))
            setRecordText(params.ipv6Address,
                          AddressPlan::canonicalIpv6(m_ui->m_lineEditIPV6Address->text()).toLatin1());
        if (changed(m_ui->m_lineEditIPV6Gateway))
            setRecordText(params.ipv6Gateway,
                          AddressPlan::canonicalIpv6(m_ui->m_lineEditIPV6Gateway->text()).toLatin1());
        if (changed(m_ui->m_lineEditIPV6SubnetMaskLen))
            params.ipv6PrefixLength = static_cast<uint8_t>(decimal(m_ui->m_lineEditIPV6SubnetMaskLen));
    }
    return params;
}

DeviceNetParaPage::BatchValues DeviceNetParaPage::readBatch() const {
    BatchValues values;
    values.startEnabled = m_ui->m_lineEditStartIp->isEnabled();
    values.gatewayEnabled = m_ui->m_lineEditGateway->isEnabled();
    values.startAddress = AddressPlan::canonicalIpv4(m_ui->m_lineEditStartIp->text());
    values.mask = AddressPlan::canonicalIpv4(m_ui->m_lineEditSubnetMask->text());
    values.gateway = AddressPlan::canonicalIpv4(m_ui->m_lineEditGateway->text());
    values.keepNames = m_keepNames->isChecked();
    values.deviceName = values.keepNames ? QString() : m_ui->m_lineEditDeviceName->text().trimmed();
    values.port = decimal(m_ui->m_lineEditPort);
    values.httpPort = decimal(m_ui->m_lineEditHttpPort);
    values.rtspPort = decimal(m_ui->m_lineEditRTSP);
    return values;
}

bool DeviceNetParaPage::batchDhcpOff() const {
    return !m_ui->m_checkBoxBatchDHCP->isChecked();
}

void DeviceNetParaPage::applyDhcp() {
    {
        const QSignalBlocker blocker(m_ui->m_checkBoxDHCP);
        m_ui->m_checkBoxDHCP->setChecked(true);
    }
    for (QWidget* edit : std::initializer_list<QWidget*>{
             m_ui->m_lineEditIpAddress, m_ui->m_lineEditSubnetMask, m_ui->m_lineEditGateway,
             m_ui->m_lineEditIPV6Address, m_ui->m_lineEditIPV6Gateway, m_ui->m_lineEditIPV6SubnetMaskLen})
        edit->setEnabled(false);
}

void DeviceNetParaPage::batchDhcpChange(bool enable) {
    if (!enable) {
        for (aptui::MultiStateLineEdit* edit :
             {m_ui->m_lineEditStartIp, m_ui->m_lineEditSubnetMask, m_ui->m_lineEditGateway}) {
            edit->clear();
            edit->setEnabled(false);
        }
        return;
    }
    // Back to what the selection allows: turning DHCP on and off again must not unlock what the batch fill locked.
    m_ui->m_lineEditStartIp->setEnabled(m_batchStartEnabled);
    m_ui->m_lineEditSubnetMask->setEnabled(m_batchStartEnabled);
    m_ui->m_lineEditGateway->setEnabled(m_batchGatewayEnabled);
}

bool DeviceNetParaPage::takesGateway(const VEXA_DEVICE_MY_INFO& record) {
    return can(record, VEXA_CAN_SET_GATEWAY) || record.capabilityLevel == 1;
}

VEXA_NET_PARAM DeviceNetParaPage::batchParams(const VEXA_DEVICE_MY_INFO& record, VEXA_NET_PARAM params,
                                              const BatchValues& values, bool dhcpOff, const QString& newAddress,
                                              const QByteArray& name) {
    // With the start address locked, the stored address, mask, gateway and DHCP flag go back unchanged.
    if (dhcpOff && values.startEnabled) {
        setRecordText(params.ipv4Address, newAddress.toLatin1());
        setRecordText(params.ipv4SubnetMask, values.mask.toLatin1());
        // A device that takes no gateway from a batch keeps its own, as the form's tool tip says.
        if (values.gatewayEnabled && takesGateway(record))
            setRecordText(params.ipv4Gateway, values.gateway.toLatin1());
        params.dhcpEnabled = 0;
    } else if (!dhcpOff) {
        params.dhcpEnabled = 1;
    }
    if (values.port != 0)
        params.port = static_cast<uint16_t>(values.port);
    if (values.httpPort != 0)
        params.httpPort = static_cast<uint16_t>(values.httpPort);
    params.rtspPort = static_cast<uint16_t>(values.rtspPort);
    // A name editor left empty (or locked) keeps each device's own name.
    if (!name.isEmpty())
        setRecordText(params.deviceName, name);
    return params;
}

bool DeviceNetParaPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        if (QLabel* hint = hintFor(watched)) {
            static_cast<aptui::MultiStateLineEdit*>(watched)->clearMark(hint);
        }
    }
    return aptui::Widget::eventFilter(watched, event);
}

} // namespace VexaTool
