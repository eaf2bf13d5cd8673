#pragma once

#include <QWidgetItem>

namespace OrvisGUIToolkit {

// A layout item that keeps its widget at a fixed alignment inside the space the layout gives it.
class CWidgetItem : public QWidgetItem {
public:
    CWidgetItem(QWidget* widget, Qt::Alignment alignment);
};

} // namespace OrvisGUIToolkit
