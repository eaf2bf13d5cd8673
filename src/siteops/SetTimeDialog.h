#pragma once

#include "aptui/BaseDialog.h"
#include "vexa.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace VexaTool {

// "Set time…" for the ticked devices: this computer's UTC set by hand, or NTP servers, and optionally a POSIX time
// zone. Confirm closes it only when what is typed is usable.
class SetTimeDialog : public aptui::BaseDialog {
    Q_OBJECT

public:
    explicit SetTimeDialog(int devices, QWidget* parent = nullptr);

    // What the devices are sent; valid after the dialog was accepted.
    VEXA_TIME_PARAM params() const { return m_params; }
    // Checks the form and fills params(); false with the reason shown.
    bool validate();

private:
    void updateEnabled();

    QRadioButton* m_manual = nullptr;
    QRadioButton* m_ntp = nullptr;
    QLineEdit* m_servers = nullptr;
    QCheckBox* m_setZone = nullptr;
    QLineEdit* m_zone = nullptr;
    QLabel* m_hint = nullptr;
    VEXA_TIME_PARAM m_params{};
};

} // namespace VexaTool
