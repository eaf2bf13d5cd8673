#include "aptui/SystemMenu.h"

namespace aptui {

SystemMenu::SystemMenu(QWidget* parent)
    : CMenu(parent) {
    setObjectName(QStringLiteral("SystemMenu"));
}

} // namespace aptui
