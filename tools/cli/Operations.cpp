#include "Commands.h"

namespace cli {

const char* operationsUsage() {
    return "";
}

int operation(const std::string&, const std::vector<std::string>&) {
    return -1;
}

} // namespace cli
