#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

namespace VEXA {

// Every password a person types (activation, administrator, reset, a plan's) goes to a device as UTF-8, and
// the devices keep at most 16 bytes of it. A longer one is refused, never cut: a cut password would become
// another one than the installer typed, and a device would count each refusal toward its lock-out.
constexpr qsizetype kPasswordBytes = 16;

// The bytes to send, or nothing when they would not fit the device.
std::optional<QByteArray> passwordBytes(const QString& typed);

} // namespace VEXA
