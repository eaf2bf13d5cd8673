#include "guitoolkit/GuiText.h"

#include <atomic>
#include <optional>

#include <QStringEncoder>
#include <QTextCodec>

namespace OrvisGUIToolkit {

namespace {

std::atomic<QTextCodec*> g_codec{nullptr};
QLocale g_locale;

// Qt's own encoders cover the Unicode family, Latin-1 and the system encoding; the compatibility codecs are
// only needed for the legacy multi-byte ones (GB2312, Big5, ...).
std::optional<QStringConverter::Encoding> nativeEncoding(QTextCodec* codec) {
    const QByteArray name = codec->name();
    if (name.compare("System", Qt::CaseInsensitive) == 0) {
        return QStringConverter::System;
    }
    return QStringConverter::encodingForName(name.constData());
}

} // namespace

void InitGuiTextCodec(QTextCodec* codec) {
    g_codec.store(codec);
}

QTextCodec* GuiTextCodec() {
    return g_codec.load();
}

void InitGuiLocale(const QLocale& locale) {
    g_locale = locale;
    QLocale::setDefault(locale);
}

QLocale GuiLocale() {
    return g_locale;
}

QByteArray ConvertFromUnicode(const QString& text, QTextCodec* codec) {
    if (codec == nullptr) {
        codec = g_codec.load();
    }
    std::optional<QStringConverter::Encoding> encoding =
        codec != nullptr ? nativeEncoding(codec) : std::optional<QStringConverter::Encoding>(QStringConverter::System);
    if (encoding) {
        QStringEncoder encoder(*encoding, QStringConverter::Flag::Stateless);
        return encoder.encode(text);
    }
    return codec->fromUnicode(text);
}

} // namespace OrvisGUIToolkit
