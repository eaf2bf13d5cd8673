#include "guitoolkit/CHBoxLayout.h"

#include <QWidget>

namespace OrvisGUIToolkit {

CHBoxLayout::CHBoxLayout(QWidget* parent)
    : QHBoxLayout(parent) {}

void CHBoxLayout::SetLayoutContentsMargins(int left, int top, int right, int bottom) {
    setContentsMargins(left, top, right, bottom);
}

void CHBoxLayout::SetLayoutSpacing(int spacing) {
    setSpacing(spacing);
}

void CHBoxLayout::AddWidget(QWidget* widget) {
    addWidget(widget);
}

void CHBoxLayout::AddItem(QLayoutItem* item, int stretch) {
    if (item == nullptr) {
        return;
    }
    // A widget item must make its widget a child of the layout's widget, which addItem alone does not do.
    if (QWidget* w = item->widget(); w != nullptr && parentWidget() != nullptr && w->parentWidget() != parentWidget()) {
        addChildWidget(w);
    }
    insertItem(-1, item);
    setStretch(count() - 1, stretch);
}

} // namespace OrvisGUIToolkit
