#pragma once

// Test helpers for the configuration pages: device records made to measure, and a watcher that answers the
// modal dialogs the pages open (the self-closing warnings are read and closed at once, never waited out).

#include <cstring>
#include <functional>

#include <QApplication>
#include <QLabel>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include "aptui/WarningDialog.h"
#include "discovery/DeviceRecord.h"
#include "discovery/DeviceStore.h"
#include "vexa.h"

namespace modifytest {

struct DeviceSample {
    QString serial = QStringLiteral("VXTEST0001");
    QString mac = QStringLiteral("02-56-00-00-00-01");
    QString ipv4 = QStringLiteral("192.168.1.64");
    QString mask = QStringLiteral("255.255.255.0");
    QString gateway = QStringLiteral("192.168.1.1");
    QString ipv6 = QStringLiteral("fe80::64");
    QString ipv6Gateway = QStringLiteral("fe80::1");
    int prefix = 64;
    int port = 8000;
    int httpPort = 80;
    int rtspPort = 554;
    QString name = QStringLiteral("Lobby");
    int typeCode = 0x1234;
    uint8_t support = VEXA_SUPPORT_IPV6 | VEXA_SUPPORT_MODIFY_IPV6 | VEXA_SUPPORT_DHCP;
    uint8_t capability = 2;
    uint8_t dhcp = 0;
    uint8_t activation = 0;
    uint8_t resetFlags = 0;
    QString typeName = QStringLiteral("VX-C200");
};

inline VEXA_DEVICE_MY_INFO makeRecord(const DeviceSample& s) {
    VEXA_DEVICE_MY_INFO r;
    std::memset(&r, 0, sizeof r);
    setRecordText(r.serialNo, s.serial.toLatin1());
    setRecordText(r.mac, s.mac.toLatin1());
    setRecordText(r.ipv4Address, s.ipv4.toLatin1());
    setRecordText(r.ipv4SubnetMask, s.mask.toLatin1());
    setRecordText(r.ipv4Gateway, s.gateway.toLatin1());
    setRecordText(r.ipv6Address, s.ipv6.toLatin1());
    setRecordText(r.ipv6Gateway, s.ipv6Gateway.toLatin1());
    setRecordText(r.deviceName, s.name.toUtf8());
    setRecordText(r.deviceTypeName, s.typeName.toLatin1());
    r.ipv6PrefixLength = static_cast<uint8_t>(s.prefix);
    r.port = s.port;
    r.httpPort = s.httpPort;
    r.rtspPort = static_cast<uint16_t>(s.rtspPort);
    r.deviceTypeCode = s.typeCode;
    r.supportFlags = s.support;
    r.capabilityLevel = s.capability;
    r.dhcpEnabled = s.dhcp;
    r.activationState = s.activation;
    r.resetFlags = s.resetFlags;
    r.recordValid = 1;
    return r;
}

// Stores the device and returns the entry the list page would send for it.
inline DeviceInfo addDevice(const DeviceSample& sample, int index = 1) {
    VEXA::DeviceStore::instance()->add(makeRecord(sample));
    return DeviceInfo{QStringLiteral("%1").arg(index, 3, 10, QLatin1Char('0')),
                      sample.typeName,
                      sample.ipv4,
                      sample.serial,
                      sample.mac,
                      QStringLiteral("0")};
}

inline DeviceSample numbered(int i, DeviceSample sample = {}) {
    sample.serial = QStringLiteral("VXTEST%1").arg(i, 4, 10, QLatin1Char('0'));
    sample.mac =
        QStringLiteral("02-56-00-00-%1-%2").arg(i / 256, 2, 16, QLatin1Char('0')).arg(i % 256, 2, 16, QLatin1Char('0'));
    sample.ipv4 = QStringLiteral("10.20.%1.%2").arg(i / 200).arg(i % 200 + 10);
    return sample;
}

inline VEXA_DEVICE_MY_INFO stored(const DeviceInfo& entry) {
    VEXA_DEVICE_MY_INFO r;
    std::memset(&r, 0, sizeof r);
    VEXA::DeviceStore::instance()->get(entry.serialNo, entry.mac, r);
    return r;
}

// Answers modal dialogs while it lives: warnings are recorded and closed, anything else goes to onOther
// (which must close it), or is rejected.
class ModalWatcher : public QObject {
public:
    ModalWatcher() {
        connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::poll);
        m_timer.start(5);
    }

    QStringList warnings;
    std::function<void(QWidget*)> onOther;
    int others = 0;

private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            return;
        if (auto* warning = qobject_cast<VexaTool::WarningDialog*>(modal)) {
            auto* label = warning->findChild<QLabel*>(QStringLiteral("m_labelWarnText"));
            warnings << (label ? label->text() : QString());
            warning->close();
            return;
        }
        ++others;
        if (onOther)
            onOther(modal);
        else if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
    }

    QTimer m_timer;
};

} // namespace modifytest
