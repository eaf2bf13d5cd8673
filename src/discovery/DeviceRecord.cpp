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
    record.onvifFlags = source.onvifFlags;
    record.source = source.source;
    record.recordValid = 1;
}

DeviceKey deviceKeyOf(const VEXA_DEVICE_MY_INFO& record) {
    DeviceKey key{recordText(record.serialNo), recordText(record.mac)};
    if (key.isNull() && can(record, VEXA_KNOWN_BY_ENDPOINT))
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

uint32_t capabilitiesOf(const VEXA_DEVICE_MY_INFO& record) {
    return VEXA_DeviceCapabilities(record.protocol);
}

bool detailsRead(const VEXA_DEVICE_MY_INFO& record) {
    return !can(record, VEXA_DETAILS_READ_LATER) || record.detailsState == VEXA_DETAILS_READ ||
           record.detailsState == VEXA_DETAILS_PARTIAL;
}

QString visibleText(const QString& text) {
    auto hidden = [](char32_t c) {
        const QChar::Category category = QChar::category(c);
        return category == QChar::Other_Format || category == QChar::Other_Control;
    };
    // Most texts are printable ASCII: one pass over the code units, no allocation.
    bool plain = true;
    for (const QChar unit : text) {
        const char16_t u = unit.unicode();
        if (u < 0x20 || u >= 0x7F) {
            plain = false;
            break;
        }
    }
    if (plain)
        return text;
    QString out;
    bool marked = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        if (hidden(c)) {
            out += QStringLiteral("<U+%1>").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
            marked = true;
        } else {
            out += QString::fromUcs4(&c, 1);
        }
    }
    return marked ? out : text;
}

void setRecordText(char* field, std::size_t width, const QByteArray& text) {
    std::memset(field, 0, width);
    std::memcpy(field, text.constData(), std::min(width, static_cast<std::size_t>(text.size())));
}
