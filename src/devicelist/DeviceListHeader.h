#pragma once

#include <QHeaderView>

class QCheckBox;

namespace VexaTool {

// The device table's header, with a tri-state check box over the tick column's section: ticked when every listed
// row is ticked, partly when some are. The box is a real check box (the skin draws it, a screen reader names
// it); a click on it asks to tick (or untick) the listed rows and never reaches the header, so it never sorts.
// The page decides which rows and sets the state back. GUI thread only.
class DeviceListHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit DeviceListHeader(QWidget* parent = nullptr);

    void setCheckSection(int logicalIndex);
    int checkSection() const { return m_section; }
    void setCheckState(Qt::CheckState state);
    Qt::CheckState checkState() const;
    QCheckBox* checkBox() const { return m_box; }

signals:
    void signalTickAllClicked();
    // The header's font or style changed (a skin was applied): its sections may need other widths.
    void signalLookChanged();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeBox();

    QCheckBox* m_box = nullptr;
    int m_section = -1;
};

} // namespace VexaTool
