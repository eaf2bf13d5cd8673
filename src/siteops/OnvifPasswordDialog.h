#pragma once

#include <functional>

#include "aptui/BaseDialog.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace VexaTool {

class StrengthMeter;

// "Change ONVIF password…" for the ticked devices, for the user they are signed in as: one new password for all,
// typed twice with the strength meter, or a generated password per device saved to a new file the user chooses.
// Confirm closes it only when the choice is usable.
class OnvifPasswordDialog : public aptui::BaseDialog {
    Q_OBJECT

public:
    OnvifPasswordDialog(int devices, const QString& userName, QWidget* parent = nullptr);
    ~OnvifPasswordDialog() override;

    bool generated() const;
    QString password() const; // the one new password (not generated)
    QString filePath() const; // where generated passwords go
    // Replaces the file chooser (tests).
    void setFileChooser(std::function<QString()> chooser) { m_chooser = std::move(chooser); }
    // Checks the form; false with the reason shown.
    bool validate();

private:
    void updateEnabled();
    void chooseFile();

    QString m_userName;
    QRadioButton* m_shared = nullptr;
    QRadioButton* m_generated = nullptr;
    QLineEdit* m_newPassword = nullptr;
    QLineEdit* m_confirm = nullptr;
    StrengthMeter* m_meter = nullptr;
    QLineEdit* m_file = nullptr;
    QLabel* m_hint = nullptr;
    std::function<QString()> m_chooser;
};

} // namespace VexaTool
