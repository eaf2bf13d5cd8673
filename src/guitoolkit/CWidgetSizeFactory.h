#pragma once

#include <QSize>

class QWidget;

namespace OrvisGUIToolkit {

// Mix-in of title bars: the window-state operations a frameless window needs, since it has no system frame
// that would offer them.
class CWidgetSizeFactory {
public:
    virtual ~CWidgetSizeFactory() = default;

    bool IsMaximized(const QWidget* window) const;
    void ShowMaximized(QWidget* window) const;
    // Back to the normal state; a valid size is applied as the new normal size, an empty size keeps the old one.
    void ShowNormal(QWidget* window, const QSize& size) const;
};

} // namespace OrvisGUIToolkit
