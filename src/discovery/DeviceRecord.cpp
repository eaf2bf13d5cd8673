#include "discovery/DeviceRecord.h"

#include <cstring>

#include <QStringDecoder>

#include "discovery/NetworkPart.h"
#include "vexa.h"

namespace {

template <std::size_t N, std::size_t M>
void copyField(char (&target)[N], const char (&source)[M]) {
    static_assert(N == M, "a text is copied between fields of one width");
    std::memcpy(target, source, N);
}

} // namespace

void buildDeviceRecord(const VEXA_DEVICE_INFO& source, VEXA_DEVICE_MY_INFO& record) {
    std::memset(&record, 0, sizeof record);
    copyField(record.serialNo, source.serialNo);
    copyField(record.mac, source.mac);
    copyField(record.softwareVersion, source.softwareVersion);
    copyField(record.dspVersion, source.dspVersion);
    copyField(record.bootTime, source.bootTime);
    copyField(record.deviceTypeName, source.deviceTypeName);
    copyField(record.serviceTag, source.serviceTag);
    copyField(record.manufacturer, source.manufacturer);
    copyField(record.endpointReference, source.endpointReference);
    VEXA::copyNetworkPart(record, source);

    record.deviceTypeCode = source.deviceTypeCode;
    record.channelCount = source.channelCount;
    record.auxCount = source.auxCount;
    record.supportFlags = source.supportFlags;
    record.resetFlags = source.resetFlags;
    record.capabilityLevel = source.capabilityLevel;
    record.activationState = source.activationState;
    record.certified = source.certified;
    record.protocol = source.protocol;
    record.detailsState = source.detailsState;
    record.recordValid = 1;
}

DeviceKey deviceKeyOf(const VEXA_DEVICE_MY_INFO& record) {
    DeviceKey key{recordText(record.serialNo), recordText(record.mac)};
    if (key.isNull() && record.protocol == VEXA_PROTOCOL_ONVIF)
        key.serialNo = recordText(record.endpointReference);
    return key;
}

QString recordText(const char* field, std::size_t width) {
    const auto size = static_cast<qsizetype>(strnlen(field, width));
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(QByteArrayView(field, size));
    if (!utf8.hasError())
        return text;
    // Older devices keep 8-bit Latin-1 texts: one character per byte reads them right, where UTF-8 would show
    // replacement marks.
    return QString::fromLatin1(field, size);
}

void setRecordText(char* field, std::size_t width, const QByteArray& text) {
    std::memset(field, 0, width);
    std::memcpy(field, text.constData(), std::min(width, static_cast<std::size_t>(text.size())));
}
