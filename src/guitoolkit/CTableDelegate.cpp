#include "guitoolkit/CTableDelegate.h"

#include <QAbstractItemView>

namespace OrvisGUIToolkit {

CTableDelegate::CTableDelegate(QAbstractItemView* view)
    : QStyledItemDelegate(view) {}

Qt::Alignment CTableDelegate::GetTextAlignment(int /*row*/, int /*column*/) const {
    return Qt::AlignCenter;
}

int CTableDelegate::GetTextFlags(int /*column*/) const {
    return Qt::TextSingleLine;
}

void CTableDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    Qt::Alignment alignment = GetTextAlignment(index.row(), index.column());
    if (!(alignment & Qt::AlignVertical_Mask)) {
        alignment |= Qt::AlignVCenter;
    }
    option->displayAlignment = alignment;
    const int flags = GetTextFlags(index.column());
    if (flags & (Qt::TextWordWrap | Qt::TextWrapAnywhere)) {
        option->features |= QStyleOptionViewItem::WrapText;
    } else {
        option->features &= ~QStyleOptionViewItem::ViewItemFeatures(QStyleOptionViewItem::WrapText);
    }
}

} // namespace OrvisGUIToolkit
