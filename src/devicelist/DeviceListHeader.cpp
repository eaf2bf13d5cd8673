#include "devicelist/DeviceListHeader.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

namespace VexaTool {

DeviceListHeader::DeviceListHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
}

bool DeviceListHeader::event(QEvent* event) {
    const bool handled = QHeaderView::event(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange || event->type() == QEvent::Polish)
        emit signalLookChanged();
    return handled;
}

void DeviceListHeader::setCheckSection(int logicalIndex) {
    m_section = logicalIndex;
    viewport()->update();
}

void DeviceListHeader::setCheckState(Qt::CheckState state) {
    if (state == m_state)
        return;
    m_state = state;
    if (m_section >= 0)
        updateSection(m_section);
}

QRect DeviceListHeader::checkBoxRect() const {
    if (m_section < 0 || isSectionHidden(m_section))
        return QRect();
    QStyleOptionButton option;
    const QRect box = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    const QRect section(sectionViewportPosition(m_section), 0, sectionSize(m_section), height());
    QRect rect(QPoint(), box.size());
    rect.moveCenter(section.center());
    return rect;
}

void DeviceListHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    if (logicalIndex != m_section)
        return;
    QStyleOptionButton option;
    option.initFrom(this);
    const QRect box = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    option.rect = QRect(QPoint(), box.size());
    option.rect.moveCenter(rect.center());
    option.state |= QStyle::State_Enabled;
    option.state |= m_state == Qt::Checked            ? QStyle::State_On
                    : m_state == Qt::PartiallyChecked ? QStyle::State_NoChange
                                                      : QStyle::State_Off;
    painter->save();
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, painter, this);
    painter->restore();
}

bool DeviceListHeader::onCheckSection(const QPoint& position) const {
    return m_section >= 0 && logicalIndexAt(position) == m_section;
}

void DeviceListHeader::mousePressEvent(QMouseEvent* event) {
    // The whole section is the box's target, and it is not the base class's: a click there never sorts.
    if (event->button() == Qt::LeftButton && onCheckSection(event->position().toPoint())) {
        event->accept();
        emit signalTickAllClicked();
        return;
    }
    QHeaderView::mousePressEvent(event);
}

void DeviceListHeader::mouseReleaseEvent(QMouseEvent* event) {
    if (onCheckSection(event->position().toPoint())) {
        event->accept();
        return;
    }
    QHeaderView::mouseReleaseEvent(event);
}

void DeviceListHeader::mouseDoubleClickEvent(QMouseEvent* event) {
    // A quick second click is a second toggle, not a request to resize the section.
    if (event->button() == Qt::LeftButton && onCheckSection(event->position().toPoint())) {
        event->accept();
        emit signalTickAllClicked();
        return;
    }
    QHeaderView::mouseDoubleClickEvent(event);
}

} // namespace VexaTool
