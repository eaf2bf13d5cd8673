#include "aptui/TreeViewWithLeftPixmapDelegate.h"

namespace aptui {

TreeViewWithLeftPixmapDelegate::TreeViewWithLeftPixmapDelegate(QAbstractItemView* view)
    : CTableDelegate(view) {}

Qt::Alignment TreeViewWithLeftPixmapDelegate::GetTextAlignment(int /*row*/, int /*column*/) const {
    return Qt::AlignLeft;
}

int TreeViewWithLeftPixmapDelegate::GetTextFlags(int /*column*/) const {
    return Qt::TextWrapAnywhere;
}

void TreeViewWithLeftPixmapDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
    if (option.state & QStyle::State_Selected) {
        QStyleOptionViewItem hovered(option);
        hovered.state &= ~QStyle::State_Selected;
        hovered.state |= QStyle::State_MouseOver;
        QStyledItemDelegate::paint(painter, hovered, index);
        return;
    }
    QStyledItemDelegate::paint(painter, option, index);
}

} // namespace aptui
