#pragma once

#include <QCoreApplication>
#include <QString>

#include "vexa.h"

namespace VexaTool {

// How a device's clock compares with this computer's, in the words and marks of the "Clock" column. A clock a few
// seconds off still signs in; beyond a minute logins and recordings' times fail.
class ClockOffset {
    Q_DECLARE_TR_FUNCTIONS(VexaTool::ClockOffset)

public:
    enum class Level { Fine, Marked, Far };
    static constexpr int kMarkedBeyond = 5;
    static constexpr int kFarBeyond = 60;

    // "+3 s", "−2 min 5 s", "−2 h 59 min": the sign always, seconds dropped once hours are shown.
    static QString text(int seconds);
    static Level level(int seconds);
    // The device's time zone and NTP setting, for the cell's tool tip; plain text (the zone is the device's).
    static QString toolTip(const VEXA_CLOCK_INFO& clock);
};

} // namespace VexaTool
