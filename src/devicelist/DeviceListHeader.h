#pragma once

#include <QHeaderView>

namespace VexaTool {

// The device table's header, with a tri-state check box in the tick column's section: ticked when every listed
// row is ticked, partly when some are. A click on that section asks to tick (or untick) the listed rows and
// never sorts; the page decides which rows and sets the state back. GUI thread only.
class DeviceListHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit DeviceListHeader(QWidget* parent = nullptr);

    void setCheckSection(int logicalIndex);
    int checkSection() const { return m_section; }
    void setCheckState(Qt::CheckState state);
    Qt::CheckState checkState() const { return m_state; }
    // Where the box is drawn inside the section, in header coordinates.
    QRect checkBoxRect() const;

signals:
    void signalTickAllClicked();
    // The header's font or style changed (a skin was applied): its sections may need other widths.
    void signalLookChanged();

protected:
    bool event(QEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool onCheckSection(const QPoint& position) const;

    int m_section = -1;
    Qt::CheckState m_state = Qt::Unchecked;
};

} // namespace VexaTool
