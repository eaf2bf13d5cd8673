#include "devicelist/DeviceListHeader.h"

#include <QCheckBox>
#include <QEvent>
#include <QSignalBlocker>

namespace VexaTool {

DeviceListHeader::DeviceListHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    m_box = new QCheckBox(viewport());
    m_box->setObjectName(QStringLiteral("m_checkBoxTickAll"));
    m_box->setTristate(true);
    m_box->setFocusPolicy(Qt::NoFocus);
    m_box->setAccessibleName(tr("Tick all listed devices"));
    m_box->setToolTip(tr("Tick every listed device, or untick them all"));
    m_box->hide();
    // The box's own next state is not the answer: the page sets it from the rows it ticked.
    connect(m_box, &QCheckBox::clicked, this, &DeviceListHeader::signalTickAllClicked);
    connect(this, &QHeaderView::sectionResized, this, &DeviceListHeader::placeBox);
    connect(this, &QHeaderView::sectionMoved, this, &DeviceListHeader::placeBox);
    connect(this, &QHeaderView::geometriesChanged, this, &DeviceListHeader::placeBox);
}

bool DeviceListHeader::event(QEvent* event) {
    const bool handled = QHeaderView::event(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange || event->type() == QEvent::Polish)
        emit signalLookChanged();
    return handled;
}

void DeviceListHeader::resizeEvent(QResizeEvent* event) {
    QHeaderView::resizeEvent(event);
    placeBox();
}

void DeviceListHeader::setCheckSection(int logicalIndex) {
    m_section = logicalIndex;
    placeBox();
}

void DeviceListHeader::setCheckState(Qt::CheckState state) {
    const QSignalBlocker blocker(m_box);
    m_box->setCheckState(state);
}

Qt::CheckState DeviceListHeader::checkState() const {
    return m_box->checkState();
}

void DeviceListHeader::placeBox() {
    if (m_section < 0 || m_section >= count() || isSectionHidden(m_section)) {
        m_box->hide();
        return;
    }
    const QSize size = m_box->sizeHint();
    QRect rect(QPoint(), size);
    rect.moveCenter(QRect(sectionViewportPosition(m_section), 0, sectionSize(m_section), height()).center());
    m_box->setGeometry(rect);
    m_box->show();
}

} // namespace VexaTool
