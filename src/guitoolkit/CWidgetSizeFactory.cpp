#include "guitoolkit/CWidgetSizeFactory.h"

#include <QWidget>

namespace OrvisGUIToolkit {

bool CWidgetSizeFactory::IsMaximized(const QWidget* window) const {
    return window != nullptr && window->isMaximized();
}

void CWidgetSizeFactory::ShowMaximized(QWidget* window) const {
    if (window != nullptr) {
        window->showMaximized();
    }
}

void CWidgetSizeFactory::ShowNormal(QWidget* window, const QSize& size) const {
    if (window == nullptr) {
        return;
    }
    window->showNormal();
    if (size.isValid() && !size.isEmpty()) {
        window->resize(size);
    }
}

} // namespace OrvisGUIToolkit
