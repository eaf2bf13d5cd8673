#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include "vexa.h"

namespace apt {

// What the program says about the manufacturer keys a discovery start trusts. Without a trusted key no device
// proves that it is genuine and no secret is ever sent, so a key list that was given but holds nothing usable
// must not go unnoticed.
class TrustedKeys {
    Q_DECLARE_TR_FUNCTIONS(apt::TrustedKeys)

public:
    // The user's warning when variable (the text of VEXA_TRUSTED_KEYS) is not blank yet the start trusts no
    // key; else empty. A missing variable, or one of separators alone, is the ordinary case of a build without keys.
    static QString warning(const VEXA_STATISTICS& statistics, const QByteArray& variable);
    // The log line for the same start: also names entries ignored beside valid ones; empty when all is well.
    static QString logLine(const VEXA_STATISTICS& statistics, const QByteArray& variable);
};

} // namespace apt
