#include "Receipt.h"

#include <ctime>

#include "CsvWriter.h"
#include "PlanValidator.h"

namespace VexaTool::plan {

std::vector<std::string> englishReceiptHeader() {
    return {"Time", "Serial Number", "MAC",     "Old Address", "New Address",
            "Name", "Result",        "Outcome", "Code",        "Device Says"};
}

std::vector<std::string> receiptRow(const ReceiptEntry& e) {
    return {e.time,
            e.serial,
            e.mac,
            e.oldAddress,
            e.newAddress,
            e.name,
            e.result,
            outcomeKindName(e.outcome.kind),
            std::to_string(e.outcome.code),
            e.detail};
}

std::string receiptCsv(const std::vector<ReceiptEntry>& entries, const std::vector<std::string>& header) {
    CsvWriter writer;
    writer.addRow(header);
    for (const ReceiptEntry& e : entries)
        writer.addRow(receiptRow(e));
    return writer.data();
}

std::string batchResultText(uint32_t code) {
    switch (code) {
    case 0:
        return "Succeed";
    case 2009:
        return "Error2009:device deny";
    case 2011:
        return "Error2011:time out";
    case 2018:
        return "Error2018:device changed meanwhile, not applied";
    case 2019:
        return "Error2019:unknown, check the device";
    default:
        return "Error" + std::to_string(code) + ":others";
    }
}

std::string receiptLine(const ReceiptEntry& entry) {
    CsvWriter::Options options;
    options.byteOrderMark = false;
    CsvWriter writer(options);
    writer.addRow(receiptRow(entry));
    return writer.data();
}

std::string resultText(const Outcome& outcome, const std::string& holderSerial, const std::string& answered) {
    if (outcome.wasSent())
        return batchResultText(outcome.code);
    if (!answered.empty())
        return addressTakenText(answered);
    return holderSerial.empty() ? "Not sent: stopped." : notSentText(holderSerial);
}

ReceiptEntry addressCheckSkippedEntry() {
    ReceiptEntry entry;
    entry.time = localTimeNow();
    entry.result = "Address check skipped: new addresses were not asked whether anything answers there.";
    return entry;
}

std::string localTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return buffer;
}

} // namespace VexaTool::plan
