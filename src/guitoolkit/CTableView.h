#pragma once

#include <QTreeView>

namespace OrvisGUIToolkit {

// A flat table on a tree view: no root decoration, no expanding, whole rows selected, and optional grid
// lines between cells. A tree view is used rather than a table view because its header sorts and moves
// columns the way the device lists need.
class CTableView : public QTreeView {
    Q_OBJECT

public:
    explicit CTableView(QWidget* parent = nullptr);

    void ShowGridLine(bool show);
    bool IsShowGridLine() const { return m_showGridLine; }

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    bool m_showGridLine = true;
};

} // namespace OrvisGUIToolkit
