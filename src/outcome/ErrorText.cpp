#include "outcome/ErrorText.h"

#include "vexa.h"

namespace VexaTool {

namespace {

// One row per library code: adding a code to vexa.h means adding one line here (a test reads vexa.h and fails on a
// code without a row).
struct Sentence {
    uint32_t code;
    const char* text;
};
constexpr Sentence kSentences[] = {
    {VEXA_NOERROR, QT_TRANSLATE_NOOP("VexaTool::ErrorText", "Succeed")},
    {VEXA_ERR_NOT_STARTED,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText", "Device discovery is not running. Restart the program and try again.")},
    {VEXA_ERR_BAD_ARGUMENT,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText", "The device refused a value. Check the parameters and try again.")},
    {VEXA_ERR_NETWORK,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText", "No usable network interface. Check the network connection.")},
    {VEXA_ERR_UNKNOWN_DEVICE,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText",
                       "The device is no longer on the network. Refresh the list and try again.")},
    {VEXA_ERR_UNTRUSTED_DEVICE,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText",
                       "The device could not prove that it is genuine. Nothing was sent to it.")},
    {VEXA_ERR_BUFFER_TOO_SMALL, QT_TRANSLATE_NOOP("VexaTool::ErrorText", "The device sent more data than expected.")},
    {VEXA_ERR_FILE, QT_TRANSLATE_NOOP("VexaTool::ErrorText", "The file could not be read.")},
    {VEXA_ERR_DEVICE_REFUSED, QT_TRANSLATE_NOOP("VexaTool::ErrorText", "Device deny.")},
    {VEXA_ERR_TIMEOUT, QT_TRANSLATE_NOOP("VexaTool::ErrorText", "Time out.")},
    {VEXA_ERR_LOCKED,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText",
                       "Too many wrong passwords: the device is locked for a while. Try again later.")},
    {VEXA_ERR_WEAK_PASSWORD, QT_TRANSLATE_NOOP("VexaTool::ErrorText", "The device refused the password as too weak.")},
    {VEXA_ERR_NOT_ACTIVATED,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText", "The device is not activated. Activate it first.")},
    {VEXA_ERR_NOT_SUPPORTED, QT_TRANSLATE_NOOP("VexaTool::ErrorText", "The device does not support this operation.")},
    {VEXA_ERR_AMBIGUOUS_DEVICE,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText",
                       "Two devices on the network share this serial number or MAC address. Nothing was sent.")},
    {VEXA_ERR_DEVICE_STORAGE,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText", "The device could not save the change and kept its old settings.")},
    {VEXA_ERR_ALREADY_ACTIVATED, QT_TRANSLATE_NOOP("VexaTool::ErrorText", "The device is already activated.")},
    {VEXA_ERR_UNCONFIRMED,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText",
                       "The device was only heard announcing itself and did not answer when asked. Nothing was sent; "
                       "refresh the list.")},
    {VEXA_ERR_NEED_CREDENTIALS,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText", "The device asks for a user name and password. Sign in and try again.")},
    {VEXA_ERR_VALUE_REFUSED, QT_TRANSLATE_NOOP("VexaTool::ErrorText", "The device refused a value of the change.")},
    {VEXA_ERR_DEVICE_FAULT, QT_TRANSLATE_NOOP("VexaTool::ErrorText", "The device could not carry out the request.")},
    {VEXA_ERR_NOT_BACK,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText",
                       "The device did not come back at its new address in time. Check the device.")},
    {VEXA_ERR_NOT_APPLIED,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText",
                       "The device answered, but still has its old settings: the change was not applied.")},
    {VEXA_ERR_BAD_ANSWER, QT_TRANSLATE_NOOP("VexaTool::ErrorText", "The device's answer could not be understood.")},
    {VEXA_ERR_CONNECTION,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText", "No connection to the device. Check the address and the network.")},
    {VEXA_ERR_CERTIFICATE_CHANGED,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText",
                       "The camera's HTTPS certificate is not the one it showed before, so nothing was sent. If the "
                       "camera was replaced, accept its new certificate from the row's menu.")},
    {VEXA_ERR_ADDRESS_TAKEN,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText", "Something answers at the new address. Nothing was sent.")},
    {VEXA_ERR_PUBLIC_RANGE,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText",
                       "The range holds public addresses. Confirm that they are yours before scanning them.")},
    {VEXA_ERR_BUSY, QT_TRANSLATE_NOOP("VexaTool::ErrorText", "Another scan is running. Wait for it or stop it.")},
    {VEXA_ERR_DEVICE_CHANGED,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText", "The device changed meanwhile; refresh and try again.")},
    {VEXA_ERR_OUTCOME_UNKNOWN,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText",
                       "The device did not confirm the change in time; it may have been applied. Check the device.")},
    {VEXA_ERR_RESTORE_PENDING,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText",
                       "The device is being restored with its security code; it takes no activation meanwhile.")},
    {VEXA_ERR_PASSWORD_NOT_TAKEN,
     QT_TRANSLATE_NOOP("VexaTool::ErrorText", "The device accepted the request but the new password does not work.")},
};

// The pages' own words for a few codes; "%1" takes the code, and a row without words reads as the code's sentence
// (so every list of results says success with one word). Every other code reads as the form's fallback below.
using Form = ErrorText::Form;
constexpr const char* kModifyPage = "VexaTool::DeviceModifyPage";
constexpr const char* kPlanText = "VexaTool::PlanText";
struct Wording {
    Form form;
    uint32_t code;
    const char* context;
    const char* text;
};
constexpr Wording kWordings[] = {
    {Form::SingleActivation, VEXA_NOERROR, kModifyPage,
     QT_TRANSLATE_NOOP("VexaTool::DeviceModifyPage", "Activate Succeed.")},
    {Form::SingleActivation, VEXA_ERR_DEVICE_REFUSED, kModifyPage,
     QT_TRANSLATE_NOOP("VexaTool::DeviceModifyPage", "Device deny.")},
    {Form::SingleActivation, VEXA_ERR_TIMEOUT, kModifyPage,
     QT_TRANSLATE_NOOP("VexaTool::DeviceModifyPage", "Time out.")},
    {Form::SingleActivation, VEXA_ERR_ALREADY_ACTIVATED, kModifyPage,
     QT_TRANSLATE_NOOP("VexaTool::DeviceModifyPage", "Error%1:others")},
    {Form::BatchActivation, VEXA_NOERROR, nullptr, nullptr},
    {Form::BatchActivation, VEXA_ERR_DEVICE_REFUSED, kModifyPage,
     QT_TRANSLATE_NOOP("VexaTool::DeviceModifyPage", "Error%1:Device deny.")},
    {Form::BatchActivation, VEXA_ERR_TIMEOUT, kModifyPage,
     QT_TRANSLATE_NOOP("VexaTool::DeviceModifyPage", "Error%1:others")},
    {Form::BatchActivation, VEXA_ERR_ALREADY_ACTIVATED, kModifyPage,
     QT_TRANSLATE_NOOP("VexaTool::DeviceModifyPage", "Error%1:reactive")},
    {Form::SingleModification, VEXA_NOERROR, kModifyPage,
     QT_TRANSLATE_NOOP("VexaTool::DeviceModifyPage", "Modify network parameters succeed.")},
    {Form::SingleModification, VEXA_ERR_DEVICE_REFUSED, kModifyPage,
     QT_TRANSLATE_NOOP("VexaTool::DeviceModifyPage", "Device deny.")},
    {Form::SingleModification, VEXA_ERR_TIMEOUT, kModifyPage,
     QT_TRANSLATE_NOOP("VexaTool::DeviceModifyPage", "Time out.")},
    {Form::BatchModification, VEXA_NOERROR, nullptr, nullptr},
    {Form::BatchModification, VEXA_ERR_DEVICE_REFUSED, kModifyPage,
     QT_TRANSLATE_NOOP("VexaTool::DeviceModifyPage", "Error%1:device deny")},
    {Form::BatchModification, VEXA_ERR_TIMEOUT, kModifyPage,
     QT_TRANSLATE_NOOP("VexaTool::DeviceModifyPage", "Error%1:time out")},
    {Form::PlanResult, VEXA_NOERROR, nullptr, nullptr},
    {Form::PlanResult, VEXA_ERR_DEVICE_REFUSED, kPlanText,
     QT_TRANSLATE_NOOP("VexaTool::PlanText", "Error%1:device deny")},
    {Form::PlanResult, VEXA_ERR_TIMEOUT, kPlanText, QT_TRANSLATE_NOOP("VexaTool::PlanText", "Error%1:time out")},
};

const char* sentenceOf(uint32_t code) {
    for (const Sentence& row : kSentences) {
        if (row.code == code)
            return row.text;
    }
    return nullptr;
}

QString fill(const char* context, const char* text, uint32_t code) {
    QString words = QCoreApplication::translate(context, text);
    return words.contains(QLatin1String("%1")) ? words.arg(code) : words;
}

} // namespace

QString ErrorText::sentence(uint32_t code) {
    const char* text = sentenceOf(code);
    return text ? tr(text) : tr("Unknown error %1.").arg(code);
}

QString ErrorText::withCode(uint32_t code) {
    return tr("Error%1:%2").arg(code).arg(sentence(code));
}

QString ErrorText::text(Form form, uint32_t code) {
    if (form == Form::Sentence)
        return sentence(code);
    for (const Wording& row : kWordings) {
        if (row.form == form && row.code == code)
            return row.text ? fill(row.context, row.text, code) : sentence(code);
    }
    // A plan's receipt names only the codes above; the pages give every code the library knows its sentence.
    if (form == Form::PlanResult)
        return QCoreApplication::translate("VexaTool::PlanText", "Error%1:others").arg(code);
    return isKnown(code) ? withCode(code)
                         : QCoreApplication::translate("VexaTool::DeviceModifyPage", "Error%1:others").arg(code);
}

bool ErrorText::isKnown(uint32_t code) {
    return sentenceOf(code) != nullptr;
}

} // namespace VexaTool
