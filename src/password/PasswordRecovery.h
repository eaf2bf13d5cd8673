#pragma once

#include <cstdint>

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "vexa.h"

// The file and record work of password recovery, kept apart from the dialogs so that it can be tested alone.
namespace VexaTool {

// Where the folder and file choosers start: "C:\" on Windows, the home folder elsewhere.
QString defaultLocation();
// Process-wide, shared by every reset dialog, never saved: the last folder a key request went to, and the last
// key file chosen. GUI thread only.
QString& keyFolder();
QString& keyFile();

// "<serial>-<yyyyMMdd><hhmm>.xml", with every "\" and "/" of the serial number replaced by "_".
QString keyRequestFileName(const QString& serialNo, const QDateTime& when);

// The data of a key request reply whose data area holds capacity bytes. False (and out untouched) when the
// length field claims more than the data area: such a reply is broken, and reading on would leave the record.
bool keyRequestData(uint32_t length, const char* data, uint32_t capacity, QByteArray& out);

// The text of a key request for the QR code: the data up to its first zero byte, as Latin-1.
QString keyRequestText(const QByteArray& data);

// Copies the key file at keyPath to copyPath without its trailing line ends. The library then reads the copy.
struct KeyCopy {
    enum Status {
        Written,    // copyPath holds the key text
        Unreadable, // keyPath could not be read; copyPath no longer exists, so the library reports the failure
        TooLong,    // the key text is longer than maxKeyBytes; nothing is written
        CopyFailed, // copyPath could not be written
    };
    Status status = CopyFailed;
    QString path; // the path to send: copyPath, or empty after CopyFailed
};
KeyCopy copyKeyFile(const QString& keyPath, const QString& copyPath, qsizetype maxKeyBytes);

// Fills a zeroed reset record. Exactly one of key and keyFilePath is non-empty. A text that does not fit its
// field (the key and the path with their terminating zero, the password without one) is refused, never cut.
enum class RecordFit { Ok, KeyTooLong, PathTooLong, PasswordTooLong };
RecordFit fillResetRecord(VEXA_RESET_PARAM& record, const QByteArray& key, const QByteArray& keyFilePath,
                          const QByteArray& newPassword, bool resetIpc);

// The longest key text the record and the device take (its field less the terminating zero).
constexpr qsizetype kMaxKeyBytes = sizeof(VEXA_RESET_PARAM::key) - 1;
constexpr qsizetype kMaxPathBytes = sizeof(VEXA_RESET_PARAM::keyFilePath) - 1;
constexpr qsizetype kMaxPasswordBytes = sizeof(VEXA_RESET_PARAM::newPassword);

// The program's sentence for the library's failure code (ErrorText) for the codes a user can act on in these
// dialogs, else an empty string: the dialog's own short failure text then stands alone.
QString libraryErrorSentence(uint32_t code);

} // namespace VexaTool
