#pragma once

#include "aptui/BaseDialog.h"

namespace aptui {

// The one-message box built on the base dialog: only the close button in the title, titled "Hint", named
// "APP_WARNINGDLG" for the style sheet. The plain form hides the bottom bar and is closed from its title;
// the question form keeps "Confirm" and "Cancel", and an Accepted result means yes. The caller fixes the size.
class HintBox : public BaseDialog {
    Q_OBJECT

public:
    enum Kind { Message, Question };
    Q_ENUM(Kind)

    HintBox(const QString& text, Kind kind, QWidget* parent = nullptr);

    QString text() const { return m_text; }

private:
    QString m_text;
};

} // namespace aptui
