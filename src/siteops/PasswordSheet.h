#pragma once

#include <QCoreApplication>
#include <QString>
#include <QVector>

namespace VexaTool {

// Generated per-device passwords and the file that keeps them: the only place they are written. The file is
// created new (never over an existing one), readable by its owner only, and whole before any device is sent one.
class PasswordSheet {
    Q_DECLARE_TR_FUNCTIONS(VexaTool::PasswordSheet)

public:
    static constexpr int kGeneratedLength = 20;

    struct Row {
        QString serialNo;
        QString mac;
        QString address;
        QString user;
        QString password;
    };

    // A password from the system's random source: printable ASCII without space, quotes, backslash, '<', '>',
    // '&', ',' or ';' (so that XML and the sheet carry it as it is), with a digit, an upper- and a lower-case letter
    // and a sign; it starts with a letter or digit.
    static QString generate(int length = kGeneratedLength);

    // Creates path exclusively with mode 0600 and writes the rows as CSV; false (nothing left behind) with the
    // reason in error when it exists or cannot be written whole.
    static bool write(const QString& path, const QVector<Row>& rows, QString* error = nullptr);
};

} // namespace VexaTool
