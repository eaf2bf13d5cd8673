#include "guitoolkit/CMenu.h"

namespace OrvisGUIToolkit {

CMenu::CMenu(QWidget* parent)
    : QMenu(parent) {}

} // namespace OrvisGUIToolkit
