#pragma once

#include <memory>

#include <QFile>
#include <QString>

#include "deployment/Receipt.h"

namespace VexaTool {

// The program's own record of every batch and plan: one CSV file per run in the user's data folder, created
// (exclusively, never over an earlier one) when the run starts and written row by row as devices answer, each
// row flushed, so that a run cut short by a crash or a power cut still leaves what it did. GUI thread.
class ReceiptHistory {
public:
    ReceiptHistory();
    ~ReceiptHistory();
    ReceiptHistory(const ReceiptHistory&) = delete;
    ReceiptHistory& operator=(const ReceiptHistory&) = delete;

    // <user data>/vexatool/receipts (~/.local/share/vexatool/receipts on Linux), made when missing.
    static QString folder();

    // Starts the file of a new run and writes its header; false when the folder cannot be written (the run
    // goes on; the results page still offers "Save receipt…").
    bool begin();
    void append(const plan::ReceiptEntry& entry);
    // The file of the current or last run; empty before the first.
    QString path() const { return m_path; }

private:
    std::unique_ptr<QFile> m_file;
    QString m_path;
};

} // namespace VexaTool
