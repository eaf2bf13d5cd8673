#include "password/QtQrEncode.h"

#include <memory>
#include <qrencode.h>

#include <QPainter>

namespace {

struct QRcodeFree {
    void operator()(QRcode* code) const { QRcode_free(code); }
};
using QRcodePtr = std::unique_ptr<QRcode, QRcodeFree>;

QRcodePtr encode(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return nullptr;
    // encodeData rather than encodeString: a NUL or a byte above 0x7F is carried, not cut or re-interpreted.
    return QRcodePtr(QRcode_encodeData(static_cast<int>(bytes.size()),
                                       reinterpret_cast<const unsigned char*>(bytes.constData()), 0, QR_ECLEVEL_L));
}

} // namespace

QtQrEncode::QtQrEncode(QObject* parent)
    : QObject(parent) {}

void QtQrEncode::setString(const QString& text) {
    m_text = text;
    m_bytes = text.toUtf8();
}

int QtQrEncode::symbolWidth() const {
    const QRcodePtr code = encode(m_bytes);
    return code ? code->width : 0;
}

QImage QtQrEncode::getQRCode(int size) const {
    const QRcodePtr code = encode(m_bytes);
    if (!code || size < code->width)
        return {};
    const int width = code->width;
    // Whole pixels per module: modules of unequal width (1.5 pixels drawn as 1 or 2) defeat scanners at the
    // sizes a dialog label allows. What is left around the symbol stays white, the quiet zone.
    const int scale = qMax(1, size / (width + 2 * kQuietZone));
    const int offset = (size - scale * width) / 2;

    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (int y = 0; y < width; ++y) {
        const unsigned char* row = code->data + static_cast<ptrdiff_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            if ((row[x] & 1) != 0)
                painter.drawRect(offset + x * scale, offset + y * scale, scale, scale);
        }
    }
    return image;
}
