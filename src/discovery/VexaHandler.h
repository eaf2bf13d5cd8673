#pragma once

#include <QLoggingCategory>
#include <QObject>
#include <QSet>
#include <QStringList>

#include "discovery/DeviceRecord.h"
#include "sync/Singleton.h"
#include "vexa.h"

// The discovery traces ("kelnor_..."), so that QT_LOGGING_RULES="vexa.discovery.debug=false" silences them.
Q_DECLARE_LOGGING_CATEGORY(lcVexaDiscovery)

namespace VEXA {

// The library's entry points the handler uses. The real library by default; tests substitute their own.
struct VexaLibrary {
    decltype(&VEXA_Start_V40) start = &VEXA_Start_V40;
    decltype(&VEXA_Stop) stop = &VEXA_Stop;
    decltype(&VEXA_SendInquiry) sendInquiry = &VEXA_SendInquiry;
    decltype(&VEXA_Clearup) clearUp = &VEXA_Clearup;
    decltype(&VEXA_SetLogToFile) setLogToFile = &VEXA_SetLogToFile;
    decltype(&VEXA_SetDeviceFilterRule) setFilterRule = &VEXA_SetDeviceFilterRule;
    decltype(&VEXA_ActivateDevice) activateDevice = &VEXA_ActivateDevice;
    decltype(&VEXA_ModifyDeviceNetParam) modifyNetParams = &VEXA_ModifyDeviceNetParam;
    decltype(&VEXA_ResetPasswd) resetPassword = &VEXA_ResetPasswd;
    decltype(&VEXA_GetDeviceConfig) getDeviceConfig = &VEXA_GetDeviceConfig;
    decltype(&VEXA_ResetDefaultPasswd) resetDefaultPassword = &VEXA_ResetDefaultPasswd;
    decltype(&VEXA_GetLastError) lastError = &VEXA_GetLastError;
    decltype(&VEXA_GetLastErrorDetail) lastErrorDetail = &VEXA_GetLastErrorDetail;
    decltype(&VEXA_GetStatistics) statistics = &VEXA_GetStatistics;
    decltype(&VEXA_SetOnvifCredentials) setOnvifCredentials = &VEXA_SetOnvifCredentials;
    decltype(&VEXA_SetOnvifCredentialsFor) setOnvifCredentialsFor = &VEXA_SetOnvifCredentialsFor;
    decltype(&VEXA_GetOnvifRefusal) onvifRefusal = &VEXA_GetOnvifRefusal;
    decltype(&VEXA_AcceptOnvifCertificate) acceptOnvifCertificate = &VEXA_AcceptOnvifCertificate;
    decltype(&VEXA_GetOnvifDetailsNote) onvifDetailsNote = &VEXA_GetOnvifDetailsNote;
};

// The only owner of the discovery library. Turns the library's device reports, which arrive on the
// library's own thread, into three signals carrying a copy of the device record; receivers on the GUI
// thread get them as queued calls. Only new devices of our OEM customer, and ONVIF devices, are passed on.
// Every other operation is a synchronous library call made on the GUI thread.
class VexaHandler : public QObject, public Singleton::CSingleton<VexaHandler> {
    Q_OBJECT
    friend class Singleton::CSingleton<VexaHandler>;

public:
    ~VexaHandler() override;

    bool start();
    bool stop();
    bool isStarted() const { return m_started; }
    bool sendInquiry();
    bool clearUp();
    bool setLogToFile(int level, const char* path, int autoDelete);
    bool setFilterRule(bool videoOnly);

    bool activateDevice(const QByteArray& serialNo, const QByteArray& password);
    bool modifyNetParams(const QByteArray& mac, const QByteArray& password, VEXA_NET_PARAM& params);
    bool resetPassword(const QByteArray& serialNo, VEXA_RESET_PARAM& params);
    bool getDeviceConfig(const QByteArray& serialNo, uint32_t command, const void* in, uint32_t inSize, void* out,
                         uint32_t outSize);
    // The device takes newPassword as its administrator password in the same step.
    bool resetDefaultPassword(const QByteArray& serialNo, const QByteArray& securityCode,
                              const QByteArray& newPassword);
    uint32_t lastError() const;
    // The device's own words about the last failure on the calling thread (UTF-8 bytes); empty when it sent none.
    std::string lastErrorDetail() const;
    // The running library's counters, among them how many manufacturer keys this start trusts.
    bool statistics(VEXA_STATISTICS& out) const;
    // Hands the run's ONVIF user and password to the library (memory only); an empty user forgets them. Takes a
    // lock and queues reads, never waits on a device.
    bool setOnvifCredentials(const QString& user, const QString& password);
    // The same login for those devices only (endpoint references, each listed by the library now); an empty user
    // takes it from them. The library gives it to no other device.
    bool setOnvifCredentialsFor(const QStringList& endpoints, const QString& user, const QString& password);
    // Hands OnvifLogin to the library: to every device when it is automatic, else to each device of its scope that
    // is listed now, and to each one of the scope as it is listed later; a device that left the scope loses it.
    void applyOnvifLogin();
    // The ONVIF device's words when it last refused the login; empty when it gave none or is not listed.
    QString onvifRefusal(const QString& endpointReference) const;
    // Trusts the next HTTPS certificate the ONVIF device shows (after it showed another than the pinned one).
    bool acceptOnvifCertificate(const QString& endpointReference);
    // What the ONVIF device's last read could not read and why; empty when all was read or it is not listed.
    QString onvifDetailsNote(const QString& endpointReference) const;

    // The library's device callback. Runs on the library's thread; touches only its arguments.
    static void deviceCallback(const VEXA_DEVICE_INFO* info, void* userData);

    // Replaces the library's entry points; for tests, before the first start().
    void setLibrary(const VexaLibrary& library) { m_library = library; }

    // Reported by some libraries for a device heard anew; handled as VEXA_EVENT_NEW.
    static constexpr int32_t kEventNewAlias = 4;

    static constexpr const char* kOemInfo = "Fynmar_quelbrok";
    static constexpr uint8_t kOemCode = 1;

signals:
    void signalDeviceOnline(VEXA_DEVICE_MY_INFO struDevInfo);
    void signalDeviceOffline(VEXA_DEVICE_MY_INFO struDevInfo);
    void signalDeviceUpdate(VEXA_DEVICE_MY_INFO struDevInfo);
    // A device of ours whose maker mark is another's: not listed, but counted, so that the list can say so.
    void signalDeviceHiddenByMaker(VEXA_DEVICE_MY_INFO struDevInfo);

private:
    VexaHandler();
    void handleReport(const VEXA_DEVICE_INFO& info);

    // A device listed anew: it gets the login when the scope covers it.
    void onOnvifDeviceListed(const VEXA_DEVICE_MY_INFO& record);
    void onOnvifDeviceGone(const VEXA_DEVICE_MY_INFO& record);

    VexaLibrary m_library;
    bool m_started = false;
    // The devices the library holds the login for, when it is not automatic; and the login they hold.
    QSet<QString> m_loginGiven;
    bool m_loginForEvery = false;
    QString m_givenUser;
    QString m_givenPassword;
};

// The texts of a library record the handler checks before it builds a device record: bounded by their
// fields, and a record whose serial number or MAC is empty (for an ONVIF device: whose endpoint reference is
// empty), or whose texts carry control bytes, is malformed and dropped.
bool libraryRecordTextsValid(const VEXA_DEVICE_INFO& info);

} // namespace VEXA
