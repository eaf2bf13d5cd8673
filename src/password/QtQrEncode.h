#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>

// Draws a text as a QR code. The text is encoded in byte mode as UTF-8 (plain ASCII stays as it is) at the
// lowest error-correction level, so that the longest key request still gets modules large enough to scan
// from a small label.
class QtQrEncode : public QObject {
    Q_OBJECT

public:
    explicit QtQrEncode(QObject* parent = nullptr);

    void setString(const QString& text);
    QString string() const { return m_text; }

    // A size x size image: black modules of whole pixels, centred on white, with a quiet zone of four modules
    // where the size allows. Null when there is no text, when the text is too long for a QR code, or when size
    // is smaller than the symbol's modules.
    QImage getQRCode(int size) const;

    // Modules per side of the symbol for the current text, 0 when it cannot be encoded.
    int symbolWidth() const;

    static constexpr int kQuietZone = 4;

private:
    QString m_text;
    QByteArray m_bytes;
};
