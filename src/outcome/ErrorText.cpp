#include "outcome/ErrorText.h"

#include "vexa.h"

namespace VexaTool {

QString ErrorText::sentence(uint32_t code) {
    switch (code) {
    case VEXA_NOERROR:
        return tr("Succeed");
    case VEXA_ERR_NOT_STARTED:
        return tr("Device discovery is not running. Restart the program and try again.");
    case VEXA_ERR_BAD_ARGUMENT:
        return tr("The device refused a value. Check the parameters and try again.");
    case VEXA_ERR_NETWORK:
        return tr("No usable network interface. Check the network connection.");
    case VEXA_ERR_UNKNOWN_DEVICE:
        return tr("The device is no longer on the network. Refresh the list and try again.");
    case VEXA_ERR_UNTRUSTED_DEVICE:
        return tr("The device could not prove that it is genuine. Nothing was sent to it.");
    case VEXA_ERR_BUFFER_TOO_SMALL:
        return tr("The device sent more data than expected.");
    case VEXA_ERR_FILE:
        return tr("The file could not be read.");
    case VEXA_ERR_DEVICE_REFUSED:
        return tr("Device deny.");
    case VEXA_ERR_TIMEOUT:
        return tr("Time out.");
    case VEXA_ERR_LOCKED:
        return tr("Too many wrong passwords: the device is locked for a while. Try again later.");
    case VEXA_ERR_WEAK_PASSWORD:
        return tr("The device refused the password as too weak.");
    case VEXA_ERR_NOT_ACTIVATED:
        return tr("The device is not activated. Activate it first.");
    case VEXA_ERR_NOT_SUPPORTED:
        return tr("The device does not support this operation.");
    case VEXA_ERR_ALREADY_ACTIVATED:
        return tr("The device is already activated.");
    case VEXA_ERR_AMBIGUOUS_DEVICE:
        return tr("Two devices on the network share this serial number or MAC address. Nothing was sent.");
    case VEXA_ERR_DEVICE_STORAGE:
        return tr("The device could not save the change and kept its old settings.");
    default:
        return tr("Unknown error %1.").arg(code);
    }
}

QString ErrorText::withCode(uint32_t code) {
    return tr("Error%1:%2").arg(code).arg(sentence(code));
}

bool ErrorText::isKnown(uint32_t code) {
    switch (code) {
    case VEXA_NOERROR:
    case VEXA_ERR_NOT_STARTED:
    case VEXA_ERR_BAD_ARGUMENT:
    case VEXA_ERR_NETWORK:
    case VEXA_ERR_UNKNOWN_DEVICE:
    case VEXA_ERR_UNTRUSTED_DEVICE:
    case VEXA_ERR_BUFFER_TOO_SMALL:
    case VEXA_ERR_FILE:
    case VEXA_ERR_DEVICE_REFUSED:
    case VEXA_ERR_TIMEOUT:
    case VEXA_ERR_LOCKED:
    case VEXA_ERR_WEAK_PASSWORD:
    case VEXA_ERR_NOT_ACTIVATED:
    case VEXA_ERR_NOT_SUPPORTED:
    case VEXA_ERR_ALREADY_ACTIVATED:
    case VEXA_ERR_AMBIGUOUS_DEVICE:
    case VEXA_ERR_DEVICE_STORAGE:
        return true;
    default:
        return false;
    }
}

} // namespace VexaTool
