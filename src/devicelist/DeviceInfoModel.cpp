#include "devicelist/DeviceInfoModel.h"

#include <algorithm>
#include <utility>

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QTextDocumentFragment>

#include "devicelist/CIpStandardItem.h"
#include "devicelist/NumericStandardItem.h"
#include "export/ExcelManager.h"
#include "fleet/ClockOffset.h"
#include "guitoolkit/TargetPath.h"
#include "vexa.h"

namespace VexaTool {

namespace {

const char* const kColumnConfigName = "ColumnConfig.xml";
const char* const kConflictIcon = ":/CommonSkin/VEXATool/Images/VEXATool/BaseControl/Inputs/icon_alert_info.png";
const char* const kUnverifiedIcon = ":/CommonSkin/VEXATool/Images/VEXATool/BaseControl/Inputs/icon_alert_error.png";
const char* const kOnvifIcon = ":/CommonSkin/VEXATool/Images/VEXATool/BaseControl/Inputs/icon_protocol_onvif.png";

// Whether the row of a device with this protocol role (absent for ours) is found by its endpoint reference.
bool knownByEndpoint(const QVariant& protocol) {
    return protocol.isValid() &&
           (VEXA_DeviceCapabilities(static_cast<uint8_t>(protocol.toInt())) & VEXA_KNOWN_BY_ENDPOINT) != 0;
}

// Whether the first count positions hold each of 0 to count - 1 once.
bool isPermutation(const QVector<int>& positions, int count = DeviceInfoModel::KindCount) {
    if (positions.size() < count)
        return false;
    QVector<bool> seen(count, false);
    for (int i = 0; i < count; ++i) {
        const int p = positions.at(i);
        if (p < 0 || p >= count || seen.at(p))
            return false;
        seen[p] = true;
    }
    return true;
}

} // namespace

DeviceInfoModel::DeviceInfoModel(QObject* parent, const QString& configPath)
    : QStandardItemModel(parent)
    , m_textBrush(QColor(QStringLiteral("#666666")))
    , m_conflictBrush(QColor(QStringLiteral("#E6A117")))
    , m_unverifiedIcon(QString::fromLatin1(kUnverifiedIcon))
    , m_onvifIcon(QString::fromLatin1(kOnvifIcon))
    , m_conflictIcon(QString::fromLatin1(kConflictIcon)) {
    if (configPath.isEmpty()) {
        // An installed program's folder is the system's: the column order is then kept per user.
        m_configPath = OrvisGUIToolkit::GetWritableTargetPathFile(QString::fromLatin1(kColumnConfigName),
                                                                  QStandardPaths::AppConfigLocation);
    } else {
        m_configPath = QDir::isRelativePath(configPath)
                           ? QCoreApplication::applicationDirPath() + QLatin1Char('/') + configPath
                           : configPath;
    }
    m_yes = tr("Yes");
    m_no = tr("No");
    m_on = tr("ON");
    m_off = tr("OFF");
    m_notAvailable = tr("N/A");
    m_activated = tr("Activated");
    m_notActivated = tr("Not activated");
    m_notApplicable = QStringLiteral("\u2014");
    m_restartingText = tr("Restarting…");
    m_restartingTip = tr("A change was sent to it. It keeps its row until it answers again.");
    m_notApplicableTip = tr("ONVIF devices have no activation step: they come with the password their maker set.");
    m_empty = tr("");
    loadPositions();
    setColumnCount(KindCount);
    setHeader();

    connect(this, &QAbstractItemModel::rowsInserted, this, &DeviceInfoModel::onRowsInserted);
    connect(this, &QAbstractItemModel::rowsAboutToBeRemoved, this, &DeviceInfoModel::onRowsAboutToBeRemoved);
    connect(this, &QAbstractItemModel::rowsRemoved, this, &DeviceInfoModel::flushRepaints);
    connect(this, &QAbstractItemModel::modelAboutToBeReset, this, &DeviceInfoModel::forgetAll);
    connect(this, &QStandardItemModel::itemChanged, this, &DeviceInfoModel::onItemChanged);
}

void DeviceInfoModel::loadPositions() {
    m_positions.clear();
    if (m_config.load(m_configPath)) {
        for (int i = 0; i < m_config.childElementCount(); ++i) {
            bool ok = false;
            const int position =
                m_config.childElement(i).firstElementByTag(QStringLiteral("IndexValue")).text().trimmed().toInt(&ok);
            m_positions.append(ok ? position : -1);
        }
    }
    // A missing, short or inconsistent file would leave kinds without a column or two kinds in one column:
    // each kind then sits at its own number.
    // A file written before the last column came keeps its order, the new column last.
    if (m_positions.size() == KindCount - 1 && isPermutation(m_positions, KindCount - 1))
        m_positions.append(KindCount - 1);
    m_configUsable = m_positions.size() >= KindCount && isPermutation(m_positions);
    if (!m_configUsable) {
        m_positions.clear();
        for (int kind = 0; kind < KindCount; ++kind)
            m_positions.append(kind);
    }
}

int DeviceInfoModel::columnOf(int kind) const {
    if (kind < 0 || kind >= KindCount)
        return -1;
    return m_positions.at(kind);
}

void DeviceInfoModel::setHeader() {
    const QString titles[KindCount] = {QString(),
                                       tr("ID"),
                                       tr("Device Type"),
                                       tr("Activate"),
                                       tr("IPv4 Address"),
                                       tr("Port"),
                                       tr("Soft Vision"),
                                       tr("IPv4 GateWay"),
                                       tr("HttpPort"),
                                       tr("Serial Number"),
                                       tr("IPv4 Mask"),
                                       tr("MAC"),
                                       tr("Channel NO"),
                                       tr("DSP Vision"),
                                       tr("Start Time"),
                                       tr("IPv6 Address"),
                                       tr("IPv6 GateWay"),
                                       tr("IPv6 Prefix Length"),
                                       tr("Is Support IPv6"),
                                       tr("Is Support Mod IPv6"),
                                       tr("Is Support DHCP"),
                                       tr("IPv4 DHCP"),
                                       tr("Service Tag"),
                                       tr("RTSP Port"),
                                       tr("isActivatd"),
                                       tr("Clock")};
    for (int kind = 0; kind < KindCount; ++kind) {
        auto* item = new QStandardItem(titles[kind]);
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        if (kind == KindPort || kind == KindHttpPort || kind == KindRtspPort || kind == KindChannelNo ||
            kind == KindIpv6PrefixLength)
            item->setData(true, ExcelManager::NumberColumnRole);
        if (kind == KindCheck) {
            item->setData(tr(""), Qt::CheckStateRole);
            item->setData(true, kHeaderFlagRole);
            item->setToolTip(tr("Tick every listed device, or untick them all"));
            item->setData(tr("Tick all listed devices"), Qt::AccessibleTextRole);
        }
        setHorizontalHeaderItem(columnOf(kind), item);
    }
}

QStandardItem* DeviceInfoModel::cell(int row, int kind) const {
    return item(row, columnOf(kind));
}

QString DeviceInfoModel::text(int row, int kind) const {
    const QStandardItem* found = cell(row, kind);
    return found ? found->text() : QString();
}

void DeviceInfoModel::setCellText(int row, int kind, const QString& value) {
    if (QStandardItem* found = cell(row, kind))
        found->setText(value);
}

void DeviceInfoModel::addDevice(const VEXA_DEVICE_MY_INFO& record) {
    const int row = rowCount();
    const int level = record.capabilityLevel;
    QList<QStandardItem*> items;
    items.reserve(KindCount);
    for (int position = 0; position < KindCount; ++position)
        items.append(nullptr);
    auto place = [&](int kind, QStandardItem* item) { items[columnOf(kind)] = item; };

    auto* check = new QStandardItem;
    check->setCheckable(true);
    check->setCheckState(Qt::Unchecked);
    place(KindCheck, check);
    place(KindId, new NumericStandardItem(QString::asprintf("%03d", row + 1)));
    place(KindIpv4Address, new aptui::CIpStandardItem(QString()));
    place(KindIpv4Mask, new aptui::CIpStandardItem(QString()));
    place(KindIpv4Gateway, level == 1 || level == 2 ? new aptui::CIpStandardItem(QString()) : new QStandardItem);
    for (QStandardItem*& item : items) {
        if (!item)
            item = new QStandardItem;
    }
    // Filled before insertion, so a new row costs one insertion signal and no change signals.
    QStandardItem* byKind[KindCount];
    for (int kind = 0; kind < KindCount; ++kind)
        byKind[kind] = items.at(columnOf(kind));
    if (can(record, VEXA_KNOWN_BY_ENDPOINT)) {
        fillOnvifCells(byKind, record);
        byKind[KindCheck]->setData(QVariant::fromValue(deviceKeyOf(record)), DeviceKeyRole);
    } else {
        fillCells(byKind, record, true);
        // The key is the record's own texts, sharing those of the serial-number and MAC cells unless a cell marks
        // an invisible character.
        DeviceKey key = deviceKeyOf(record);
        if (const QString serial = byKind[KindSerialNumber]->text(); serial == key.serialNo)
            key.serialNo = serial;
        if (const QString mac = byKind[KindMac]->text(); mac == key.mac)
            key.mac = mac;
        byKind[KindCheck]->setData(QVariant::fromValue(key), DeviceKeyRole);
    }
    markScanned(byKind[KindId], record);
    appendRow(items);
    // Ours carry no protocol role (it reads as our protocol): one value fewer in each of 10,000 rows.
    if (!can(record, VEXA_KNOWN_BY_ENDPOINT) && !m_alsoOnvif.isEmpty() && m_alsoOnvif.contains(keyText(keyOf(row))))
        markRow(row);
}

void DeviceInfoModel::fillOnvifCells(QStandardItem* const (&byKind)[KindCount], const VEXA_DEVICE_MY_INFO& record) {
    const bool read = record.detailsState == VEXA_DETAILS_READ || record.detailsState == VEXA_DETAILS_PARTIAL;
    // What the device did not give reads "N/A", as for our devices' missing values.
    auto given = [this](const QString& value) { return value.isEmpty() ? m_notAvailable : value; };
    auto set = [&byKind](int kind, const QString& value) {
        if (byKind[kind])
            byKind[kind]->setText(visibleText(value));
    };
    set(KindDeviceType, shared(given(recordText(record.deviceTypeName))));
    set(KindActivate, given(recordText(record.deviceName)));
    set(KindIpv4Address, recordText(record.ipv4Address));
    set(KindPort, record.port > 0 ? shared(QString::asprintf("%5d", record.port)) : m_notAvailable);
    set(KindSoftVersion, shared(given(recordText(record.softwareVersion))));
    set(KindIpv4Gateway, shared(given(recordText(record.ipv4Gateway))));
    set(KindHttpPort,
        record.httpPort > 0 && record.httpPort < 65536 ? shared(QString::number(record.httpPort)) : m_notAvailable);
    set(KindSerialNumber, given(recordText(record.serialNo)));
    set(KindIpv4Mask, shared(given(recordText(record.ipv4SubnetMask))));
    set(KindMac, given(recordText(record.mac)));
    set(KindChannelNo, m_notAvailable);
    set(KindDspVersion, m_notAvailable);
    set(KindStartTime, m_notAvailable);
    const bool ipv6 = read && (record.supportFlags & VEXA_SUPPORT_IPV6);
    set(KindIpv6Address, ipv6 ? recordText(record.ipv6Address) : m_notAvailable);
    set(KindIpv6Gateway, ipv6 ? shared(given(recordText(record.ipv6Gateway))) : m_notAvailable);
    set(KindIpv6PrefixLength, ipv6 ? shared(QString::asprintf("%2d", record.ipv6PrefixLength)) : m_notAvailable);
    set(KindSupportIpv6, read ? (ipv6 ? m_yes : m_no) : m_notAvailable);
    set(KindSupportModIpv6, read ? m_no : m_notAvailable);
    set(KindSupportDhcp, read ? (record.supportFlags & VEXA_SUPPORT_DHCP ? m_yes : m_no) : m_notAvailable);
    set(KindIpv4Dhcp, read ? (record.dhcpEnabled == 1 ? m_on : m_off) : m_notAvailable);
    set(KindServiceTag, m_notAvailable);
    set(KindRtspPort, record.rtspPort > 0 ? shared(QString::number(record.rtspPort)) : m_notAvailable);
    if (byKind[KindCheck]) {
        byKind[KindCheck]->setData(recordText(record.endpointReference), EndpointRole);
        byKind[KindCheck]->setData(recordText(record.manufacturer), MakerRole);
        byKind[KindCheck]->setData(QStringLiteral("ONVIF"), KeywordsRole);
    }
    if (byKind[KindId]) {
        byKind[KindId]->setData(record.protocol, ProtocolRole);
        byKind[KindId]->setData(record.detailsState, DetailsStateRole);
        byKind[KindId]->setData(record.onvifFlags ? QVariant(int(record.onvifFlags)) : QVariant(), OnvifFlagsRole);
    }
}

void DeviceInfoModel::fillCells(QStandardItem* const (&byKind)[KindCount], const VEXA_DEVICE_MY_INFO& record,
                                bool firstReport) {
    const int level = record.capabilityLevel;
    // A later report of a level-2 device leaves its gateway and IPv6 cells, and its IPv6 support, as the first
    // report filled them; level 0 empties them, higher levels never touch them.
    const bool fillsAddresses = level == 1 || (level == 2 && firstReport);
    auto set = [&byKind](int kind, const QString& value) {
        if (byKind[kind])
            byKind[kind]->setText(visibleText(value));
    };
    set(KindDeviceType, shared(recordText(record.deviceTypeName)));
    set(KindActivate, recordText(record.deviceName));
    set(KindIpv4Address, recordText(record.ipv4Address));
    set(KindPort, shared(QString::asprintf("%5d", record.port)));
    set(KindSoftVersion, shared(recordText(record.softwareVersion)));
    if (level == 0)
        set(KindIpv4Gateway, m_empty);
    else if (fillsAddresses)
        set(KindIpv4Gateway, shared(recordText(record.ipv4Gateway)));
    set(KindHttpPort,
        record.httpPort > 0 && record.httpPort < 65536 ? shared(QString::number(record.httpPort)) : m_notAvailable);
    set(KindSerialNumber, recordText(record.serialNo));
    set(KindIpv4Mask, shared(recordText(record.ipv4SubnetMask)));
    set(KindMac, recordText(record.mac));
    set(KindChannelNo, shared(QString::asprintf("%2d", record.channelCount)));
    set(KindDspVersion, shared(recordText(record.dspVersion)));
    set(KindStartTime, recordText(record.bootTime));
    if (level == 0) {
        set(KindIpv6Address, m_empty);
        set(KindIpv6Gateway, m_empty);
        set(KindIpv6PrefixLength, m_empty);
    } else if (fillsAddresses) {
        set(KindIpv6Address, recordText(record.ipv6Address));
        set(KindIpv6Gateway, shared(recordText(record.ipv6Gateway)));
        set(KindIpv6PrefixLength, shared(QString::asprintf("%2d", record.ipv6PrefixLength)));
    }
    if (!(record.supportFlags & VEXA_SUPPORT_IPV6))
        set(KindSupportIpv6, m_no);
    else if (level % 2 == 1 || fillsAddresses)
        set(KindSupportIpv6, m_yes);
    set(KindSupportModIpv6, record.supportFlags & VEXA_SUPPORT_MODIFY_IPV6 ? m_yes : m_no);
    set(KindSupportDhcp, record.supportFlags & VEXA_SUPPORT_DHCP ? m_yes : m_no);
    set(KindIpv4Dhcp, record.dhcpEnabled == 1 ? m_on : m_off);
    set(KindServiceTag, recordText(record.serviceTag));
    set(KindRtspPort, shared(QString::number(record.rtspPort)));
    set(KindActivationState, record.activationState == 0 ? m_activated : m_notActivated);
    if (QStandardItem* state = byKind[KindActivationState]) {
        if (record.activationState == 0)
            state->setData(QVariant(), Qt::ForegroundRole);
        else
            state->setForeground(QBrush(Qt::red));
    }
    if (byKind[KindId])
        markIdentity(byKind[KindId], record.certified != 0);
}

void DeviceInfoModel::markIdentity(QStandardItem* idItem, bool certified) {
    if (certified) {
        idItem->setData(QVariant(), UnverifiedRole);
        if (!idItem->data(AlsoOnvifRole).toBool()) {
            idItem->setData(QVariant(), Qt::DecorationRole);
            idItem->setData(QVariant(), Qt::ToolTipRole);
        }
        return;
    }
    idItem->setData(true, UnverifiedRole);
    idItem->setIcon(m_unverifiedIcon);
    QString tip = tr("The identity of this device is not verified, so no password is sent to it.");
    if (idItem->data(AlsoOnvifRole).toBool())
        tip += QLatin1Char('\n') + tr("It also answers as an ONVIF device.");
    idItem->setToolTip(tip);
}

void DeviceInfoModel::markScanned(QStandardItem* idItem, const VEXA_DEVICE_MY_INFO& record) {
    if (idItem && record.source == VEXA_SOURCE_SCAN && !idItem->data(FoundByScanRole).toBool())
        idItem->setData(true, FoundByScanRole);
}

void DeviceInfoModel::markRow(int row) {
    QStandardItem* id = cell(row, KindId);
    QStandardItem* check = cell(row, KindCheck);
    if (!id || !check)
        return;
    if (!knownByEndpoint(id->data(ProtocolRole))) {
        const bool also = m_alsoOnvif.contains(keyText(keyOf(row)));
        id->setData(also ? QVariant(true) : QVariant(), AlsoOnvifRole);
        check->setData(also ? QVariant(QStringLiteral("ONVIF")) : QVariant(), KeywordsRole);
        const bool unverified = id->data(UnverifiedRole).toBool();
        if (also && !unverified) {
            id->setIcon(m_onvifIcon);
            id->setToolTip(tr("It also answers as an ONVIF device; it is handled as one of ours."));
        } else {
            markIdentity(id, !unverified);
        }
        return;
    }
    // An ONVIF device: the maker and the device's refusal are texts from the network, hence the escaping.
    const QString endpoint = check->data(EndpointRole).toString();
    const QString maker = check->data(MakerRole).toString();
    const int state = id->data(DetailsStateRole).toInt();
    QStringList lines;
    lines << (maker.isEmpty() ? tr("ONVIF device")
                              : tr("ONVIF device made by %1").arg(visibleText(maker).toHtmlEscaped()));
    QString status;
    bool fault = true;
    const bool refused =
        state == VEXA_DETAILS_NEED_LOGIN && m_credentialsSet && (m_loginForAll || m_loginScope.contains(endpoint));
    switch (state) {
    case VEXA_DETAILS_READ:
        status = m_activated;
        fault = false;
        break;
    case VEXA_DETAILS_NEED_LOGIN:
        if (refused) {
            status = tr("Sign-in refused");
            const QString reason = m_refusals.value(endpoint);
            lines << (reason.isEmpty() ? tr("Sign-in refused: the device did not accept the user name or password.")
                                       : tr("Sign-in refused: %1").arg(visibleText(reason).toHtmlEscaped()));
        } else {
            status = tr("Sign-in needed");
            lines << tr("Sign in to ONVIF devices to read its details.");
        }
        break;
    case VEXA_DETAILS_UNREACHABLE:
        status = tr("Not reachable");
        lines << tr("Its ONVIF service did not answer.");
        break;
    case VEXA_DETAILS_PARTIAL: {
        status = tr("Details partly read");
        fault = false;
        const QString note = m_detailsNotes.value(endpoint);
        lines << (note.isEmpty() ? tr("Some of its details could not be read.")
                                 : tr("Details partly read: %1").arg(note.toHtmlEscaped()));
        break;
    }
    default:
        status = tr("Reading details");
        fault = false;
        break;
    }
    // What the library holds against a message that only claims something of the device.
    const int flags = id->data(OnvifFlagsRole).toInt() &
                      (VEXA_ONVIF_CERTIFICATE_CHANGED | VEXA_ONVIF_SAID_BYE | VEXA_ONVIF_ADDRESS_CLAIMED);
    if (flags & VEXA_ONVIF_CERTIFICATE_CHANGED) {
        status = tr("Certificate changed");
        fault = true;
        lines << tr("Its HTTPS certificate is not the one it showed before, so nothing was sent to it. If the camera "
                    "was replaced or reset, right-click the row and accept the new certificate.");
    } else if (flags & VEXA_ONVIF_SAID_BYE) {
        status = tr("Said goodbye; checking");
        fault = false;
        lines << tr("It said goodbye. It stays listed until its address stops answering.");
    }
    if (flags & VEXA_ONVIF_ADDRESS_CLAIMED)
        lines << tr("A message named another address for it. It stays at this one until the camera itself confirms "
                    "the move.");
    id->setData(refused ? QVariant(true) : QVariant(), SignInRefusedRole);
    id->setIcon(m_onvifIcon);
    id->setToolTip(QStringLiteral("<p>") + lines.join(QStringLiteral("<br>")) + QStringLiteral("</p>"));
    if (QStandardItem* stateItem = cell(row, KindActivationState)) {
        stateItem->setText(status);
        if (fault)
            stateItem->setForeground(QBrush(Qt::red));
        else
            stateItem->setData(QVariant(), Qt::ForegroundRole);
        stateItem->setToolTip(refused || flags || state == VEXA_DETAILS_PARTIAL ? id->toolTip() : QString());
    }
}

int DeviceInfoModel::rowOfEndpoint(const QString& endpoint) const {
    const QStandardItem* check = m_rowsByEndpoint.value(endpoint);
    return check ? check->row() : -1;
}

int DeviceInfoModel::onvifRowsIn(int detailsState) const {
    int n = 0;
    const int idColumn = columnOf(KindId);
    for (const QStandardItem* check : m_rowsByEndpoint) {
        const QStandardItem* id = item(check->row(), idColumn);
        if (id && id->data(DetailsStateRole).toInt() == detailsState)
            ++n;
    }
    return n;
}

void DeviceInfoModel::setCredentialsSet(bool set) {
    if (set == m_credentialsSet)
        return;
    m_credentialsSet = set;
    // The library reads every device that asked for a login again: until it reports, their rows say they are being
    // read, never that the new login was refused.
    for (QStandardItem* check : std::as_const(m_rowsByEndpoint)) {
        const int row = check->row();
        QStandardItem* id = row >= 0 ? item(row, columnOf(KindId)) : nullptr;
        if (id && id->data(DetailsStateRole).toInt() == VEXA_DETAILS_NEED_LOGIN) {
            id->setData(VEXA_DETAILS_PENDING, DetailsStateRole);
            markRow(row);
        }
    }
}

void DeviceInfoModel::setLoginScope(bool all, const QSet<QString>& endpoints) {
    if (all == m_loginForAll && endpoints == m_loginScope)
        return;
    const bool wasAll = m_loginForAll;
    const QSet<QString> before = m_loginScope;
    m_loginForAll = all;
    m_loginScope = endpoints;
    for (auto it = m_rowsByEndpoint.cbegin(); it != m_rowsByEndpoint.cend(); ++it) {
        const int row = it.value()->row();
        QStandardItem* id = row >= 0 ? item(row, columnOf(KindId)) : nullptr;
        if (!id || id->data(DetailsStateRole).toInt() != VEXA_DETAILS_NEED_LOGIN)
            continue;
        const bool covered = all || endpoints.contains(it.key());
        const bool wasCovered = wasAll || before.contains(it.key());
        // Newly given the login: the library reads it again. No longer given it: it needs a sign-in.
        if (covered && !wasCovered && m_credentialsSet)
            id->setData(VEXA_DETAILS_PENDING, DetailsStateRole);
        markRow(row);
    }
}

void DeviceInfoModel::setRefusalReason(const QString& endpoint, const QString& reason) {
    if (reason.isEmpty())
        m_refusals.remove(endpoint);
    else
        m_refusals.insert(endpoint, reason);
    const int row = rowOfEndpoint(endpoint);
    if (row >= 0)
        markRow(row);
}

void DeviceInfoModel::setDetailsNote(const QString& endpoint, const QString& note) {
    if (note.isEmpty())
        m_detailsNotes.remove(endpoint);
    else
        m_detailsNotes.insert(endpoint, note);
    const int row = rowOfEndpoint(endpoint);
    if (row >= 0)
        markRow(row);
}

void DeviceInfoModel::setRestarting(const DeviceKey& key, bool restarting) {
    const QString text = keyText(key);
    if (restarting)
        m_restarting.insert(text);
    else
        m_restarting.remove(text);
    const int row = rowOf(key);
    QStandardItem* id = row >= 0 ? cell(row, KindId) : nullptr;
    if (!id)
        return;
    id->setData(restarting ? QVariant(true) : QVariant(), RestartingRole);
    const QModelIndex state = index(row, columnOf(KindActivationState));
    emit dataChanged(state, state, {Qt::DisplayRole, Qt::ToolTipRole});
}

void DeviceInfoModel::setAlsoOnvif(const DeviceKey& key, bool also) {
    const QString text = keyText(key);
    if (also == m_alsoOnvif.contains(text))
        return;
    if (also)
        m_alsoOnvif.insert(text);
    else
        m_alsoOnvif.remove(text);
    const int row = rowOf(key);
    if (row >= 0)
        markRow(row);
}

DeviceKey DeviceInfoModel::keyOf(int row) const {
    const QStandardItem* check = cell(row, KindCheck);
    return check ? check->data(DeviceKeyRole).value<DeviceKey>() : DeviceKey();
}

void DeviceInfoModel::showReadBack(const VEXA_DEVICE_MY_INFO& record) {
    const int row = rowOf(deviceKeyOf(record));
    if (row < 0 || can(record, VEXA_KNOWN_BY_ENDPOINT)) {
        updateDevice(record);
        return;
    }
    QStandardItem* byKind[KindCount];
    for (int kind = 0; kind < KindCount; ++kind)
        byKind[kind] = cell(row, kind);
    fillCells(byKind, record, true);
}

void DeviceInfoModel::updateDevice(const VEXA_DEVICE_MY_INFO& record) {
    const bool byEndpoint = can(record, VEXA_KNOWN_BY_ENDPOINT);
    const DeviceKey key =
        byEndpoint ? deviceKeyOf(record) : DeviceKey{recordText(record.serialNo), recordText(record.mac)};
    int row = rowOf(key);
    if (row < 0 && byEndpoint)
        row = rowOfEndpoint(recordText(record.endpointReference));
    if (row < 0)
        return;
    QStandardItem* byKind[KindCount];
    for (int kind = 0; kind < KindCount; ++kind)
        byKind[kind] = cell(row, kind);
    markScanned(byKind[KindId], record);
    if (!byEndpoint) {
        fillCells(byKind, record, false);
        return;
    }
    // The key changes when the details arrive (or the device is another one at the same endpoint): the row is
    // filed anew under it, in place, with its tick and position.
    const bool rekeyed = !(keyOf(row) == key);
    if (rekeyed)
        untrack(row);
    fillOnvifCells(byKind, record);
    if (rekeyed) {
        byKind[KindCheck]->setData(QVariant::fromValue(key), DeviceKeyRole);
        track(row);
        flushRepaints();
    }
    markRow(row);
}

void DeviceInfoModel::removeDevice(const VEXA_DEVICE_MY_INFO& record) {
    int row = rowOf(deviceKeyOf(record));
    if (row < 0 && can(record, VEXA_KNOWN_BY_ENDPOINT))
        row = rowOfEndpoint(recordText(record.endpointReference));
    if (row >= 0) {
        removeRow(row);
        renumberFrom(row);
    } else {
        renumberFrom(0);
    }
}

void DeviceInfoModel::sort(int column, Qt::SortOrder order) {
    const int rows = rowCount();
    if (column < 0 || column >= columnCount())
        return;
    QList<std::pair<const QStandardItem*, int>> byCell;
    QList<int> withoutCell;
    byCell.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        if (const QStandardItem* cell = item(row, column))
            byCell.append({cell, row});
        else
            withoutCell.append(row);
    }
    std::stable_sort(byCell.begin(), byCell.end(), [order](const auto& a, const auto& b) {
        return order == Qt::AscendingOrder ? *a.first < *b.first : *b.first < *a.first;
    });
    QList<int> sorted;
    sorted.reserve(rows);
    for (const auto& [cell, row] : std::as_const(byCell))
        sorted.append(row);
    sorted += withoutCell;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    {
        // The same cells come back, so what the model keeps by cell holds; nobody is told of the rows going and coming.
        const QSignalBlocker blocker(this);
        learnPlaces();
        QList<QList<QStandardItem*>> taken(rows);
        for (int row = rows - 1; row >= 0; --row)
            taken[row] = takeRow(row);
        for (int row : std::as_const(sorted))
            appendRow(taken.at(row));
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void DeviceInfoModel::learnPlaces(int from) {
    const int rows = rowCount();
    const int columns = columnCount();
    for (int row = from; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            if (const QStandardItem* cell = item(row, column))
                cell->index();
        }
    }
}

void DeviceInfoModel::renumberFrom(int row) {
    const int last = rowCount() - 1;
    if (row > last)
        return;
    {
        // One change signal for the whole run of IDs instead of one per row.
        const QSignalBlocker blocker(this);
        for (int r = row; r <= last; ++r)
            setCellText(r, KindId, QString::asprintf("%03d", r + 1));
    }
    // The cells behind a removed row are one row from where they last were: told now, while the search is short,
    // they do not add up to long searches at the next sort or when all rows go.
    learnPlaces(row);
    emit dataChanged(index(row, columnOf(KindId)), index(last, columnOf(KindId)), {Qt::DisplayRole, Qt::EditRole});
}

bool DeviceInfoModel::writeDefaultConfig() {
    QByteArray xml("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ColumnConfig>\n");
    for (int kind = 0; kind < KindCount; ++kind)
        xml += "    <Column><IndexValue>" + QByteArray::number(m_positions.at(kind)) + "</IndexValue></Column>\n";
    xml += "</ColumnConfig>\n";
    QSaveFile file(m_configPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size() || !file.commit())
        return false;
    return m_config.load(m_configPath) && m_config.childElementCount() >= KindCount;
}

bool DeviceInfoModel::moveColumn(int from, int to) {
    if (!m_configUsable) {
        if (!writeDefaultConfig())
            return false;
        m_configUsable = true;
    }
    if (from != to) {
        for (int i = 0; i < m_config.childElementCount(); ++i) {
            XmlNode value = m_config.childElement(i).firstElementByTag(QStringLiteral("IndexValue"));
            if (value.isNull())
                continue;
            const int g = value.text().trimmed().toInt();
            int moved = g;
            if (g == from)
                moved = to;
            else if (from < to && g > from && g <= to)
                moved = g - 1;
            else if (to < from && g >= to && g < from)
                moved = g + 1;
            if (moved != g)
                value.setNumber(moved);
        }
    }
    return m_config.save(m_configPath);
}

QString DeviceInfoModel::shared(const QString& text) {
    const auto found = m_sharedTexts.constFind(text);
    if (found != m_sharedTexts.cend())
        return *found;
    m_sharedTexts.insert(text);
    return text;
}

int DeviceInfoModel::rowOf(const QString& serialNo, const QString& mac) const {
    int first = -1;
    const auto found = m_rowsByMac.constFind(mac);
    if (found != m_rowsByMac.cend()) {
        for (const QStandardItem* serial : *found) {
            if (serial->text() != serialNo)
                continue;
            const int row = serial->row();
            if (row >= 0 && (first < 0 || row < first))
                first = row;
        }
    }
    if (first < 0 && !m_onvifRows.isEmpty()) {
        const QStandardItem* onvif = m_onvifRows.value(keyText(DeviceKey{serialNo, mac}));
        first = onvif ? onvif->row() : -1;
    }
    return first;
}

QList<int> DeviceInfoModel::checkedRows() const {
    QList<int> rows;
    rows.reserve(m_checked.size());
    for (const QStandardItem* item : m_checked)
        rows.append(item->row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int DeviceInfoModel::addressUsers(const QString& address) const {
    return static_cast<int>(m_addressCells.value(address).size());
}

void DeviceInfoModel::setClock(const QString& endpoint, const VEXA_CLOCK_INFO& clock) {
    const int row = rowOfEndpoint(endpoint);
    QStandardItem* item = row >= 0 ? cell(row, KindClock) : nullptr;
    if (!item)
        return;
    if (!(clock.flags & VEXA_CLOCK_READ)) {
        item->setText(tr("Not read"));
        item->setData(QVariant(), Qt::ForegroundRole);
        item->setToolTip(tr("The device did not give its time."));
        return;
    }
    const int offset = clock.offsetSeconds;
    const ClockOffset::Level level = ClockOffset::level(offset);
    QString tip = ClockOffset::toolTip(clock);
    if (level == ClockOffset::Level::Far)
        tip = tr("More than %1 s off: sign-ins and recordings' times fail.").arg(ClockOffset::kFarBeyond) +
              QLatin1Char('\n') + tip;
    else if (level == ClockOffset::Level::Marked)
        tip = tr("More than %1 s off.").arg(ClockOffset::kMarkedBeyond) + QLatin1Char('\n') + tip;
    item->setText(ClockOffset::text(offset));
    item->setData(level == ClockOffset::Level::Far      ? QVariant(m_clockFarBrush)
                  : level == ClockOffset::Level::Marked ? QVariant(m_conflictBrush)
                                                        : QVariant(),
                  Qt::ForegroundRole);
    item->setToolTip(tip);
}

void DeviceInfoModel::setConflictBrush(const QBrush& brush) {
    m_conflictBrush = brush;
    const int column = columnOf(KindIpv4Address);
    for (auto it = m_addressCells.cbegin(); it != m_addressCells.cend(); ++it) {
        if (it->size() < 2)
            continue;
        for (QStandardItem* item : *it) {
            const QModelIndex at = indexFromItem(item);
            emit dataChanged(at, at.siblingAtColumn(column), {Qt::ForegroundRole});
        }
    }
}

QVariant DeviceInfoModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::ToolTipRole || !index.isValid() ||
        !QStandardItemModel::data(index.siblingAtColumn(columnOf(KindId)), FoundByScanRole).toBool())
        return cellData(index, role);
    const QString tip = cellData(index, role).toString();
    const QString note = tr("Found by scanning addresses");
    if (tip.isEmpty())
        return note;
    return Qt::mightBeRichText(tip) ? tip + QStringLiteral("<p>") + note + QStringLiteral("</p>")
                                    : tip + QLatin1Char('\n') + note;
}

QVariant DeviceInfoModel::cellData(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return QStandardItemModel::data(index, role);
    const bool marks =
        role == Qt::ForegroundRole || role == Qt::FontRole || role == Qt::DecorationRole || role == Qt::ToolTipRole;
    if (marks && index.column() == columnOf(KindIpv4Address)) {
        // Drawn in the text's colour and an icon: the skin's item rules paint no background of the model's.
        const int users = addressUsers(QStandardItemModel::data(index, Qt::DisplayRole).toString());
        if (users > 1) {
            switch (role) {
            case Qt::ForegroundRole:
                return m_conflictBrush;
            case Qt::DecorationRole:
                return m_conflictIcon;
            default:
                return tr("Address used by %1 devices").arg(users);
            }
        }
    }
    if (role == Qt::AccessibleTextRole && index.column() == columnOf(KindCheck)) {
        // The tick cell shows only a box: a screen reader says whose box it is.
        const QString serial = QStandardItemModel::data(index.siblingAtColumn(columnOf(KindSerialNumber))).toString();
        const QString address = QStandardItemModel::data(index.siblingAtColumn(columnOf(KindIpv4Address))).toString();
        return tr("Tick %1 at %2").arg(serial, address);
    }
    if (role == Qt::AccessibleDescriptionRole) {
        // What a tool tip tells the mouse, a screen reader reads as the cell's description.
        const QString tip = data(index, Qt::ToolTipRole).toString();
        if (!tip.isEmpty())
            return Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip;
        return QStandardItemModel::data(index, role);
    }
    if ((role == Qt::DisplayRole || role == Qt::ToolTipRole) && index.column() == columnOf(KindActivationState)) {
        // A device we asked to restart says so until it answers again, whatever it last reported.
        if (!m_restarting.isEmpty() &&
            QStandardItemModel::data(index.siblingAtColumn(columnOf(KindId)), RestartingRole).toBool())
            return role == Qt::DisplayRole ? QVariant(m_restartingText) : QVariant(m_restartingTip);
        // Activation is a step of our devices only: an ONVIF device whose details are read shows a dash.
        const QModelIndex id = index.siblingAtColumn(columnOf(KindId));
        // A row that says something of its own (said goodbye, another certificate, claimed elsewhere) keeps it.
        const int claims = QStandardItemModel::data(id, OnvifFlagsRole).toInt() &
                           (VEXA_ONVIF_CERTIFICATE_CHANGED | VEXA_ONVIF_SAID_BYE | VEXA_ONVIF_ADDRESS_CLAIMED);
        if (knownByEndpoint(QStandardItemModel::data(id, ProtocolRole)) &&
            QStandardItemModel::data(id, DetailsStateRole).toInt() == VEXA_DETAILS_READ && claims == 0)
            return role == Qt::DisplayRole ? QVariant(m_notApplicable) : QVariant(m_notApplicableTip);
    }
    if (role == Qt::ForegroundRole) {
        // Every cell is grey unless it says otherwise; kept here rather than in 25 items per row.
        const QVariant own = QStandardItemModel::data(index, role);
        return own.isValid() ? own : QVariant(m_textBrush);
    }
    return QStandardItemModel::data(index, role);
}

void DeviceInfoModel::onRowsInserted(const QModelIndex& parent, int first, int last) {
    if (parent.isValid())
        return;
    for (int row = first; row <= last; ++row)
        track(row);
    flushRepaints();
}

void DeviceInfoModel::onRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last) {
    if (parent.isValid())
        return;
    for (int row = first; row <= last; ++row)
        untrack(row);
}

void DeviceInfoModel::forgetAll() {
    m_rowsByMac.clear();
    m_rowsByEndpoint.clear();
    m_onvifRows.clear();
    m_addressCells.clear();
    m_addressOf.clear();
    m_checked.clear();
    m_pendingRepaint.clear();
}

void DeviceInfoModel::track(int row) {
    const QStandardItem* id = cell(row, KindId);
    if (id && knownByEndpoint(id->data(ProtocolRole))) {
        QStandardItem* check = cell(row, KindCheck);
        m_rowsByEndpoint.insert(check->data(EndpointRole).toString(), check);
        m_onvifRows.insert(keyText(keyOf(row)), check);
        markRow(row);
    } else if (QStandardItem* serial = cell(row, KindSerialNumber)) {
        m_rowsByMac[text(row, KindMac)].append(serial);
    }
    if (QStandardItem* address = cell(row, KindIpv4Address))
        trackAddress(address, address->text());
    if (QStandardItem* check = cell(row, KindCheck)) {
        if (check->checkState() == Qt::Checked)
            m_checked.insert(check);
    }
}

void DeviceInfoModel::untrack(int row) {
    const QStandardItem* id = cell(row, KindId);
    if (id && knownByEndpoint(id->data(ProtocolRole))) {
        QStandardItem* check = cell(row, KindCheck);
        const QString endpoint = check->data(EndpointRole).toString();
        if (m_rowsByEndpoint.value(endpoint) == check)
            m_rowsByEndpoint.remove(endpoint);
        const QString key = keyText(keyOf(row));
        if (m_onvifRows.value(key) == check)
            m_onvifRows.remove(key);
    } else if (QStandardItem* serial = cell(row, KindSerialNumber)) {
        auto bucket = m_rowsByMac.find(text(row, KindMac));
        if (bucket == m_rowsByMac.end() || !bucket->contains(serial)) {
            // The MAC cell was rewritten behind the model's back: find the cell wherever it is filed.
            for (bucket = m_rowsByMac.begin(); bucket != m_rowsByMac.end() && !bucket->contains(serial);)
                ++bucket;
        }
        if (bucket != m_rowsByMac.end()) {
            bucket->removeOne(serial);
            if (bucket->isEmpty())
                m_rowsByMac.erase(bucket);
        }
    }
    if (QStandardItem* address = cell(row, KindIpv4Address))
        untrackAddress(address);
    if (QStandardItem* check = cell(row, KindCheck))
        m_checked.remove(check);
}

void DeviceInfoModel::trackAddress(QStandardItem* item, const QString& address) {
    m_addressOf.insert(item, address);
    if (address.isEmpty())
        return;
    QVector<QStandardItem*>& cells = m_addressCells[address];
    cells.append(item);
    // The first holder of the address turns into a conflict now; the new cell is drawn with it anyway.
    if (cells.size() == 2)
        m_pendingRepaint.append(cells.first());
}

void DeviceInfoModel::untrackAddress(QStandardItem* item) {
    const auto found = m_addressOf.constFind(item);
    if (found == m_addressOf.cend())
        return;
    const QString address = *found;
    m_addressOf.erase(found);
    auto cells = m_addressCells.find(address);
    if (cells == m_addressCells.end())
        return;
    cells->removeOne(item);
    if (cells->size() == 1)
        m_pendingRepaint.append(cells->first());
    else if (cells->isEmpty())
        m_addressCells.erase(cells);
}

void DeviceInfoModel::flushRepaints() {
    const QVector<QStandardItem*> pending = std::exchange(m_pendingRepaint, {});
    for (QStandardItem* item : pending) {
        // A cell may have gone with its row since it was queued.
        if (!m_addressOf.contains(item))
            continue;
        const QModelIndex at = indexFromItem(item);
        if (at.isValid())
            emit dataChanged(at, at, {Qt::ForegroundRole, Qt::DecorationRole, Qt::ToolTipRole});
    }
}

void DeviceInfoModel::onItemChanged(QStandardItem* item) {
    if (item->parent() && item->parent() != invisibleRootItem())
        return;
    const int column = item->column();
    if (column == columnOf(KindCheck)) {
        if (item->checkState() == Qt::Checked)
            m_checked.insert(item);
        else
            m_checked.remove(item);
    } else if (column == columnOf(KindIpv4Address)) {
        const auto known = m_addressOf.constFind(item);
        if (known == m_addressOf.cend() || *known == item->text())
            return;
        untrackAddress(item);
        trackAddress(item, item->text());
        flushRepaints();
    }
}

} // namespace VexaTool
