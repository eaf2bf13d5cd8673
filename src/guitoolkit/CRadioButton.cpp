#include "guitoolkit/CRadioButton.h"

namespace OrvisGUIToolkit {

CRadioButton::CRadioButton(QWidget* parent)
    : QRadioButton(parent) {}

} // namespace OrvisGUIToolkit
