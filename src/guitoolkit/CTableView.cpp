#include "guitoolkit/CTableView.h"

#include <QHeaderView>
#include <QPainter>

namespace OrvisGUIToolkit {

CTableView::CTableView(QWidget* parent)
    : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setSectionsMovable(true);
    header()->setStretchLastSection(true);
}

void CTableView::ShowGridLine(bool show) {
    if (m_showGridLine == show) {
        return;
    }
    m_showGridLine = show;
    viewport()->update();
}

void CTableView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QTreeView::drawRow(painter, option, index);
    if (!m_showGridLine) {
        return;
    }
    // The line colour is the style's grid colour, so a style sheet's gridline-color applies here too.
    const QColor color(static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    painter->save();
    painter->setPen(color);
    const QRect r = option.rect;
    painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    const QHeaderView* h = header();
    for (int visual = 0; visual < h->count(); ++visual) {
        const int logical = h->logicalIndex(visual);
        if (h->isSectionHidden(logical)) {
            continue;
        }
        const int x = columnViewportPosition(logical) + columnWidth(logical) - 1;
        painter->drawLine(x, r.top(), x, r.bottom());
    }
    painter->restore();
}

} // namespace OrvisGUIToolkit
