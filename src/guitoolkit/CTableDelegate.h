#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

namespace OrvisGUIToolkit {

// The cell painter of CTableView. Subclasses steer the layout of a cell through two queries instead of
// re-implementing the painting: where the text sits, and how it is laid out.
class CTableDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit CTableDelegate(QAbstractItemView* view);

    // Alignment of the cell's content; the vertical part is centred when the answer gives none.
    virtual Qt::Alignment GetTextAlignment(int row, int column) const;
    // Qt::TextFlag bits for the column's text; the word-wrap flags let the text wrap inside the cell.
    virtual int GetTextFlags(int column) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace OrvisGUIToolkit
