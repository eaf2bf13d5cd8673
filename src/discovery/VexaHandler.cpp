#include "discovery/VexaHandler.h"

#include <cstring>

#include <QDebug>

Q_LOGGING_CATEGORY(lcVexaDiscovery, "vexa.discovery")

namespace VEXA {

namespace {

template <std::size_t N>
bool textValid(const char (&field)[N], bool required) {
    const std::size_t length = strnlen(field, N);
    if (required && length == 0)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(field[i]) < 0x20 || field[i] == 0x7F)
            return false;
    }
    return true;
}

} // namespace

bool libraryRecordTextsValid(const VEXA_DEVICE_INFO& info) {
    return textValid(info.recordTag, false) && textValid(info.serialNo, true) && textValid(info.mac, true) &&
           textValid(info.ipv4Address, false) && textValid(info.ipv4SubnetMask, false) &&
           textValid(info.softwareVersion, false) && textValid(info.dspVersion, false) &&
           textValid(info.bootTime, false);
}

VexaHandler::VexaHandler() {
    setLogToFile(3, nullptr, 1);
}

VexaHandler::~VexaHandler() {
    stop();
}

bool VexaHandler::start() {
    if (m_started)
        return true;
    if (m_library.start(&VexaHandler::deviceCallback, 1, this) >= 1) {
        m_started = true;
        return true;
    }
    return false;
}

bool VexaHandler::statistics(VEXA_STATISTICS& out) const {
    out = VEXA_STATISTICS{};
    return m_started && m_library.statistics != nullptr && m_library.statistics(&out) >= 1;
}

bool VexaHandler::stop() {
    if (!m_started)
        return true;
    if (m_library.stop() >= 1) {
        m_started = false;
        return true;
    }
    return false;
}

bool VexaHandler::sendInquiry() {
    return m_library.sendInquiry() >= 1;
}

bool VexaHandler::clearUp() {
    return m_library.clearUp() >= 1;
}

bool VexaHandler::setLogToFile(int level, const char* path, int autoDelete) {
    return m_library.setLogToFile(level, path, autoDelete) >= 1;
}

bool VexaHandler::setFilterRule(bool videoOnly) {
    if (m_library.setFilterRule(videoOnly ? 1 : 0, 0, 0) != 0)
        return true;
    qCDebug(lcVexaDiscovery).noquote() << "VEXA_SetDeviceFilterRule error" << lastError();
    return false;
}

bool VexaHandler::activateDevice(const QByteArray& serialNo, const QByteArray& password) {
    return m_library.activateDevice(serialNo.constData(), password.constData()) >= 1;
}

bool VexaHandler::modifyNetParams(const QByteArray& mac, const QByteArray& password, VEXA_NET_PARAM& params) {
    return m_library.modifyNetParams(mac.constData(), password.constData(), &params) >= 1;
}

bool VexaHandler::resetPassword(const QByteArray& serialNo, VEXA_RESET_PARAM& params) {
    return m_library.resetPassword(serialNo.constData(), &params) >= 1;
}

bool VexaHandler::getDeviceConfig(const QByteArray& serialNo, uint32_t command, const void* in, uint32_t inSize,
                                  void* out, uint32_t outSize) {
    return m_library.getDeviceConfig(serialNo.constData(), command, in, inSize, out, outSize) >= 1;
}

bool VexaHandler::resetDefaultPassword(const QByteArray& serialNo, const QByteArray& securityCode,
                                       const QByteArray& newPassword) {
    return m_library.resetDefaultPassword(serialNo.constData(), securityCode.constData(), newPassword.constData()) >= 1;
}

uint32_t VexaHandler::lastError() const {
    return m_library.lastError();
}

void VexaHandler::deviceCallback(const VEXA_DEVICE_INFO* info, void* userData) {
    if (!info) {
        qCDebug(lcVexaDiscovery) << "kelnor_pDeviceInfo_Null";
        return;
    }
    const QString address = recordText(info->ipv4Address);
    qCDebug(lcVexaDiscovery).noquote() << QStringLiteral("kelnor_start_") + address;
    auto* handler = static_cast<VexaHandler*>(userData);
    if (!handler) {
        qCDebug(lcVexaDiscovery).noquote() << QStringLiteral("kelnor_pHandler_Null") + address;
        return;
    }
    // ONVIF devices have no serial number or MAC until their details are read, and the list keys rows by them:
    // the program takes them in a later step; until then it lists ours only.
    if (info->protocol == VEXA_PROTOCOL_ONVIF)
        return;
    if (!libraryRecordTextsValid(*info)) {
        qCDebug(lcVexaDiscovery).noquote() << QStringLiteral("kelnor_stringLenCheck") + address;
        return;
    }
    handler->handleReport(*info);
}

void VexaHandler::handleReport(const VEXA_DEVICE_INFO& info) {
    VEXA_DEVICE_MY_INFO record;
    buildDeviceRecord(info, record);
    const QString address = recordText(record.ipv4Address);

    switch (info.eventType) {
    case VEXA_EVENT_NEW:
    case VexaHandler::kEventNewAlias:
        if (recordText(info.oemInfo) != QLatin1String(kOemInfo) || info.oemCode != kOemCode) {
            qCDebug(lcVexaDiscovery).noquote()
                << QStringLiteral("kelnor_szOEMinfo") + address + QStringLiteral("   ") + QString::number(info.oemCode);
            return;
        }
        qCDebug(lcVexaDiscovery).noquote() << QStringLiteral("kelnor_signal_add_") + address;
        emit signalDeviceOnline(record);
        break;
    case VEXA_EVENT_CHANGED:
        qCDebug(lcVexaDiscovery).noquote() << QStringLiteral("kelnor_VEXA_UPDATE") + address;
        emit signalDeviceUpdate(record);
        break;
    case VEXA_EVENT_GONE:
        qCDebug(lcVexaDiscovery).noquote() << QStringLiteral("kelnor_VEXA_DEC") + address;
        emit signalDeviceOffline(record);
        break;
    default:
        qCDebug(lcVexaDiscovery).noquote() << QStringLiteral("kelnor_default") + address;
        break;
    }
}

} // namespace VEXA
