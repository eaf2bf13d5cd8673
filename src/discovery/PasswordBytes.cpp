#include "discovery/PasswordBytes.h"

namespace VEXA {

std::optional<QByteArray> passwordBytes(const QString& typed) {
    QByteArray bytes = typed.toUtf8();
    if (bytes.size() > kPasswordBytes) {
        bytes.fill('\0');
        return std::nullopt;
    }
    return bytes;
}

} // namespace VEXA
