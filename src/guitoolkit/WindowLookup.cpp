#include "guitoolkit/WindowLookup.h"

#include <QWidget>

namespace OrvisGUIToolkit {

QWidget* GetIndependentWindow(QWidget* widget, const char* className) {
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (w->isWindow() && (className == nullptr || w->inherits(className))) {
            return w;
        }
    }
    return nullptr;
}

} // namespace OrvisGUIToolkit
