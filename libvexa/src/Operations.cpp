// Device operations. Until the secure channel lands they refuse cleanly with a documented code.

#include "vexa.h"

#include <memory>

namespace vexa {
class Engine;
void setLastError(uint32_t code);
std::shared_ptr<Engine> runningEngine();
} // namespace vexa

namespace {

int refuse() {
    vexa::setLastError(vexa::runningEngine() ? VEXA_ERR_NOT_SUPPORTED : VEXA_ERR_NOT_STARTED);
    return 0;
}

} // namespace

extern "C" {

int VEXA_ActivateDevice(const char*, const char*) {
    return refuse();
}
int VEXA_ModifyDeviceNetParam(const char*, const char*, VEXA_NET_PARAM*) {
    return refuse();
}
int VEXA_ResetPasswd(const char*, VEXA_RESET_PARAM*) {
    return refuse();
}
int VEXA_GetDeviceConfig(const char*, uint32_t, const void*, uint32_t, void*, uint32_t) {
    return refuse();
}
int VEXA_ResetDefaultPasswd(const char*, const char*) {
    return refuse();
}

} // extern "C"
