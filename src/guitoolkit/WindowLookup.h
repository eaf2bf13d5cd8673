#pragma once

class QWidget;

namespace OrvisGUIToolkit {

// The top-level window that holds widget (widget itself when it is one). With a class name, the nearest
// window up the parent chain that inherits that class; null when there is none.
QWidget* GetIndependentWindow(QWidget* widget, const char* className);

} // namespace OrvisGUIToolkit
