#include "discovery/VexaHandler.h"

#include <cstring>
#include <vector>

#include <QDebug>

#include "discovery/OnvifLogin.h"

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

// A text the library keeps about an ONVIF device; empty when there is none or the device is not listed.
QString onvifText(int (*read)(const char*, char*, uint32_t), const QString& endpointReference) {
    if (!read || endpointReference.isEmpty())
        return QString();
    char text[512] = {};
    if (read(endpointReference.toUtf8().constData(), text, sizeof text) < 1)
        return QString();
    return recordText(text);
}

} // namespace

bool libraryRecordTextsValid(const VEXA_DEVICE_INFO& info) {
    // An ONVIF device has no serial number or MAC until its details are read; its endpoint reference names it.
    const bool byEndpoint = (VEXA_DeviceCapabilities(info.protocol) & VEXA_KNOWN_BY_ENDPOINT) != 0;
    return textValid(info.recordTag, false) && textValid(info.serialNo, !byEndpoint) &&
           textValid(info.mac, !byEndpoint) && textValid(info.ipv4Address, false) &&
           textValid(info.ipv4SubnetMask, false) && textValid(info.softwareVersion, false) &&
           textValid(info.dspVersion, false) && textValid(info.bootTime, false) &&
           textValid(info.endpointReference, byEndpoint);
}

VexaHandler::VexaHandler() {
    setLogToFile(3, nullptr, 1);
    // The run's one ONVIF login goes to the library whenever it or its scope changes, and again at every start.
    OnvifLogin& login = OnvifLogin::instance();
    connect(&login, &OnvifLogin::changed, this, [this] {
        if (m_started)
            applyOnvifLogin();
    });
    // Reports arrive on the library's thread; these run on the handler's.
    connect(this, &VexaHandler::signalDeviceOnline, this, &VexaHandler::onOnvifDeviceListed, Qt::QueuedConnection);
    connect(this, &VexaHandler::signalDeviceOffline, this, &VexaHandler::onOnvifDeviceGone, Qt::QueuedConnection);
}

VexaHandler::~VexaHandler() {
    stop();
}

bool VexaHandler::start() {
    if (m_started)
        return true;
    if (m_library.start(&VexaHandler::deviceCallback, 1, this) >= 1) {
        m_started = true;
        if (OnvifLogin::instance().isSet())
            applyOnvifLogin();
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
        m_loginGiven.clear(); // the library wiped every login
        m_loginForEvery = false;
        return true;
    }
    return false;
}

bool VexaHandler::sendInquiry() {
    return m_library.sendInquiry() >= 1;
}

bool VexaHandler::clearUp() {
    // The library forgets every device, and the logins given to them: each gets its login again when heard.
    m_loginGiven.clear();
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

bool VexaHandler::setOnvifCredentials(const QString& user, const QString& password) {
    if (!m_library.setOnvifCredentials)
        return false;
    QByteArray name = user.toUtf8();
    QByteArray secret = password.toUtf8();
    const bool ok = m_library.setOnvifCredentials(name.constData(), secret.constData()) >= 1;
    secret.fill('\0');
    return ok;
}

bool VexaHandler::setOnvifCredentialsFor(const QStringList& endpoints, const QString& user, const QString& password) {
    if (!m_library.setOnvifCredentialsFor)
        return false;
    std::vector<QByteArray> names;
    names.reserve(static_cast<size_t>(endpoints.size()));
    std::vector<const char*> pointers;
    for (const QString& endpoint : endpoints) {
        names.push_back(endpoint.toUtf8());
        pointers.push_back(names.back().constData());
    }
    QByteArray name = user.toUtf8();
    QByteArray secret = password.toUtf8();
    const bool ok = m_library.setOnvifCredentialsFor(pointers.data(), static_cast<uint32_t>(pointers.size()),
                                                     name.constData(), secret.constData()) >= 1;
    secret.fill('\0');
    return ok;
}

void VexaHandler::applyOnvifLogin() {
    const OnvifLogin& login = OnvifLogin::instance();
    // Every device, later ones too, only when the user chose so: else a host that merely announces itself as a
    // camera would be handed the site's login.
    if (!login.isSet() || login.isAutomatic()) {
        for (const QString& endpoint : std::as_const(m_loginGiven))
            setOnvifCredentialsFor({endpoint}, QString(), QString());
        m_loginGiven.clear();
        m_loginForEvery = login.isSet();
        setOnvifCredentials(login.user(), login.password());
        return;
    }
    if (m_loginForEvery) {
        m_loginForEvery = false;
        setOnvifCredentials(QString(), QString()); // no longer for every device
    }
    const bool sameLogin = login.user() == m_givenUser && login.password() == m_givenPassword;
    QStringList taken;
    for (const QString& endpoint : std::as_const(m_loginGiven))
        if (!login.covers(endpoint))
            taken << endpoint;
    for (const QString& endpoint : std::as_const(taken)) {
        setOnvifCredentialsFor({endpoint}, QString(), QString());
        m_loginGiven.remove(endpoint);
    }
    if (!sameLogin)
        m_loginGiven.clear();
    m_givenUser = login.user();
    m_givenPassword.fill(QChar(0));
    m_givenPassword = login.password();
    // One device at a time: one that left the library meanwhile fails alone, and is given it when it is back.
    for (const QString& endpoint : login.endpoints()) {
        if (!m_loginGiven.contains(endpoint) && setOnvifCredentialsFor({endpoint}, login.user(), login.password()))
            m_loginGiven.insert(endpoint);
    }
}

void VexaHandler::onOnvifDeviceListed(const VEXA_DEVICE_MY_INFO& record) {
    const QString endpoint = recordText(record.endpointReference);
    const OnvifLogin& login = OnvifLogin::instance();
    if (!m_started || endpoint.isEmpty() || login.isAutomatic() || !login.covers(endpoint) ||
        m_loginGiven.contains(endpoint))
        return;
    if (setOnvifCredentialsFor({endpoint}, login.user(), login.password()))
        m_loginGiven.insert(endpoint);
}

void VexaHandler::onOnvifDeviceGone(const VEXA_DEVICE_MY_INFO& record) {
    // The library forgets a device that goes, and its login with it.
    m_loginGiven.remove(recordText(record.endpointReference));
}

QString VexaHandler::onvifRefusal(const QString& endpointReference) const {
    return onvifText(m_library.onvifRefusal, endpointReference);
}

bool VexaHandler::acceptOnvifCertificate(const QString& endpointReference) {
    return m_library.acceptOnvifCertificate &&
           m_library.acceptOnvifCertificate(endpointReference.toUtf8().constData()) >= 1;
}

QString VexaHandler::onvifDetailsNote(const QString& endpointReference) const {
    return onvifText(m_library.onvifDetailsNote, endpointReference);
}

uint32_t VexaHandler::lastError() const {
    return m_library.lastError();
}

std::string VexaHandler::lastErrorDetail() const {
    char detail[512] = {};
    const int length = m_library.lastErrorDetail(detail, sizeof detail);
    return std::string(detail, static_cast<std::size_t>(std::clamp(length, 0, static_cast<int>(sizeof detail) - 1)));
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
        // ONVIF devices are of any make: the OEM mark is ours alone.
        if (info.protocol != VEXA_PROTOCOL_ONVIF &&
            (recordText(info.oemInfo) != QLatin1String(kOemInfo) || info.oemCode != kOemCode)) {
            qCDebug(lcVexaDiscovery).noquote()
                << QStringLiteral("kelnor_szOEMinfo") + address + QStringLiteral("   ") + QString::number(info.oemCode);
            emit signalDeviceHiddenByMaker(record);
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
