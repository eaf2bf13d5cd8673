#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>

class QTextCodec;

namespace OrvisGUIToolkit {

// The codec that ConvertFromUnicode uses when the caller names none; start-up passes the system locale's codec.
// Not owned: codecs live for the whole process.
void InitGuiTextCodec(QTextCodec* codec);
QTextCodec* GuiTextCodec();

// The locale the interface runs in; becomes the process default so that widgets format numbers and dates by it.
void InitGuiLocale(const QLocale& locale);
QLocale GuiLocale();

// 8-bit text for the discovery library. With a null codec the start-up codec is used, and without one the
// system's local 8-bit encoding.
QByteArray ConvertFromUnicode(const QString& text, QTextCodec* codec = nullptr);

} // namespace OrvisGUIToolkit
