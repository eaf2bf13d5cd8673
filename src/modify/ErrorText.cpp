#include "modify/ErrorText.h"

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
    case VEXA_ERR_NEED_CREDENTIALS:
        return tr("The device asks for a user name and password. Sign in and try again.");
    case VEXA_ERR_VALUE_REFUSED:
        return tr("The device refused a value of the change.");
    case VEXA_ERR_DEVICE_FAULT:
        return tr("The device could not carry out the request.");
    case VEXA_ERR_NOT_BACK:
        return tr("The device did not come back at its new address in time. Check the device.");
    case VEXA_ERR_NOT_APPLIED:
        return tr("The device answered, but still has its old settings: the change was not applied.");
    case VEXA_ERR_BAD_ANSWER:
        return tr("The device's answer could not be understood.");
    case VEXA_ERR_CONNECTION:
        return tr("No connection to the device. Check the address and the network.");
    case VEXA_ERR_DEVICE_CHANGED:
        return tr("The device changed meanwhile; refresh and try again.");
    case VEXA_ERR_OUTCOME_UNKNOWN:
        return tr("The device did not confirm the change in time; it may have been applied. Check the device.");
    case VEXA_ERR_RESTORE_PENDING:
        return tr("The device is being restored with its security code; it takes no activation meanwhile.");
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
    case VEXA_ERR_NEED_CREDENTIALS:
    case VEXA_ERR_VALUE_REFUSED:
    case VEXA_ERR_DEVICE_FAULT:
    case VEXA_ERR_NOT_BACK:
    case VEXA_ERR_NOT_APPLIED:
    case VEXA_ERR_BAD_ANSWER:
    case VEXA_ERR_CONNECTION:
    case VEXA_ERR_DEVICE_CHANGED:
    case VEXA_ERR_OUTCOME_UNKNOWN:
    case VEXA_ERR_RESTORE_PENDING:
        return true;
    default:
        return false;
    }
}

} // namespace VexaTool
