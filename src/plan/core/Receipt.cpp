#include "Receipt.h"

#include <ctime>

#include "CsvWriter.h"

namespace VexaTool::plan {

std::vector<std::string> englishReceiptHeader() {
    return {"Time", "Serial Number", "MAC", "Old Address", "New Address", "Name", "Result"};
}

std::string receiptCsv(const std::vector<ReceiptEntry>& entries, const std::vector<std::string>& header) {
    CsvWriter writer;
    writer.addRow(header);
    for (const ReceiptEntry& e : entries)
        writer.addRow({e.time, e.serial, e.mac, e.oldAddress, e.newAddress, e.name, e.result});
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

std::string localTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return buffer;
}

} // namespace VexaTool::plan
