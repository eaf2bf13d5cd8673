#include "guitoolkit/CWidgetItem.h"

namespace OrvisGUIToolkit {

CWidgetItem::CWidgetItem(QWidget* widget, Qt::Alignment alignment)
    : QWidgetItem(widget) {
    setAlignment(alignment);
}

} // namespace OrvisGUIToolkit
