#include "guitoolkit/CCheckBox.h"

namespace OrvisGUIToolkit {

CCheckBox::CCheckBox(QWidget* parent)
    : QCheckBox(parent) {}

} // namespace OrvisGUIToolkit
