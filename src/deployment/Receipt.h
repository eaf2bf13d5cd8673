#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "deviceoutcome/Outcome.h"

namespace VexaTool::plan {

// One line of the record of what was done to a device.
struct ReceiptEntry {
    std::string time; // local time, "2026-12-08 09:15:02"
    std::string serial;
    std::string mac;
    std::string oldAddress;
    std::string newAddress;
    std::string name;
    std::string result;   // the sentence for a person, in the language of the header
    Outcome outcome = {}; // what the sentence says, stored beside it as the kind's fixed word and the code
    std::string detail;   // the device's own words about a failure, as it sent them
};

// The fields of an entry in the order of the header.
std::vector<std::string> receiptRow(const ReceiptEntry& entry);
// One entry as a CSV line to add to a receipt already begun (no byte-order mark).
std::string receiptLine(const ReceiptEntry& entry);

// The receipt as CSV text: a header row, then one row per entry. The header is the program's translated
// column names, or englishReceiptHeader().
std::string receiptCsv(const std::vector<ReceiptEntry>& entries, const std::vector<std::string>& header);
std::vector<std::string> englishReceiptHeader();

// A batch modification's result text for a library code: "Succeed", "Error2009:device deny",
// "Error2011:time out", "Error<code>:others".
std::string batchResultText(uint32_t code);
// The English result text of a planned change: batchResultText when sent, otherwise why it was not (answered:
// what answered at its new address).
std::string resultText(const Outcome& outcome, const std::string& holderSerial, const std::string& answered = {});
// The receipt's row for a run whose address check was skipped (--no-address-check, or the program's setting).
ReceiptEntry addressCheckSkippedEntry();

std::string localTimeNow();

} // namespace VexaTool::plan
