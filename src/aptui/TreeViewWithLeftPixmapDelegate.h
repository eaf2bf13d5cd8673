#pragma once

#include "guitoolkit/CTableDelegate.h"

namespace aptui {

// Cell painter of the device tables: content on the left, text wrapped anywhere, and selected rows drawn
// with the hover look.
class TreeViewWithLeftPixmapDelegate : public OrvisGUIToolkit::CTableDelegate {
    Q_OBJECT

public:
    explicit TreeViewWithLeftPixmapDelegate(QAbstractItemView* view);

    Qt::Alignment GetTextAlignment(int row, int column) const override;
    int GetTextFlags(int column) const override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace aptui
