#include "aptui/PinButton.h"

namespace aptui {

namespace {

const char* const kLeftSheet = "aptui--PinButton{     "
                               "border-image:url(:/aptui/complex/Images/System/Complex/left.png);}"
                               "aptui--PinButton:pressed{     "
                               "border-image:url(:/aptui/complex/Images/System/Complex/leftSel.png);}";
const char* const kRightSheet = "aptui--PinButton{     "
                                "border-image:url(:/aptui/complex/Images/System/Complex/right.png);}"
                                "aptui--PinButton:pressed{     "
                                "border-image:url(:/aptui/complex/Images/System/Complex/RightSel.png);}";

} // namespace

PinButton::PinButton(QWidget* parent)
    : QPushButton(parent) {
    // Order matters: the buddy changes before anyone hears pinButtonClicked().
    connect(this, &QPushButton::clicked, this, &PinButton::buddyState);
    connect(this, &QPushButton::clicked, this, &PinButton::pinButtonClicked);
    setStyleSheet(QString::fromLatin1(kLeftSheet));
    setFixedSize(14, 69);
    setAccessibleName(tr("Show or hide the settings page"));
}

void PinButton::setBuddy(QWidget* buddy) {
    m_buddy = buddy;
}

void PinButton::buddyState() {
    if (!m_buddy) {
        return;
    }
    if (m_buddy->isVisible()) {
        m_buddy->hide();
        setStyleSheet(QString::fromLatin1(kRightSheet));
    } else {
        m_buddy->show();
        setStyleSheet(QString::fromLatin1(kLeftSheet));
    }
}

} // namespace aptui
