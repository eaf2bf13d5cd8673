#pragma once

// Reads QR codes back with zbarimg, an independent decoder, so that a test proves what a scanner sees.

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

namespace testutil {

inline QString zbarimgPath() {
    return QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
}

// The decoded text of the one QR code in image, or a null string when zbarimg finds none. The image is saved
// as a PNG first, exactly as drawn.
inline QString decodeQr(const QImage& image, const QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    if (!image.save(path, "PNG"))
        return {};
    QProcess zbar;
    zbar.start(zbarimgPath(), {QStringLiteral("--raw"), QStringLiteral("-q"), QStringLiteral("--nodbus"),
                               QStringLiteral("-Sdisable"), QStringLiteral("-Sqrcode.enable"), path});
    if (!zbar.waitForFinished(30000) || zbar.exitStatus() != QProcess::NormalExit || zbar.exitCode() != 0)
        return {};
    QByteArray out = zbar.readAllStandardOutput();
    // --raw ends the text with one line feed of its own.
    if (out.endsWith('\n'))
        out.chop(1);
    return QString::fromUtf8(out);
}

} // namespace testutil
