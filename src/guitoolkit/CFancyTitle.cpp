#include "guitoolkit/CFancyTitle.h"

#include <QMouseEvent>
#include <QWindow>

namespace OrvisGUIToolkit {

CFancyTitle::CFancyTitle(QWidget* parent)
    : QFrame(parent) {}

void CFancyTitle::SetOpenDoubleClickEnable(bool enable) {
    m_doubleClickEnabled = enable;
}

void CFancyTitle::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        QWidget* w = window();
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - w->frameGeometry().topLeft();
        event->accept();
        return;
    }
    QFrame::mousePressEvent(event);
}

void CFancyTitle::mouseMoveEvent(QMouseEvent* event) {
    QWidget* w = window();
    // A maximized window keeps its place; moving it would leave it "maximized" somewhere off the work area.
    if (m_dragging && (event->buttons() & Qt::LeftButton) && !w->isMaximized() && !w->isFullScreen()) {
        // Under Wayland a window cannot place itself: the compositor moves it, and then for the whole drag.
        if (beginSystemMove()) {
            m_dragging = false;
            event->accept();
            return;
        }
        w->move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
        return;
    }
    QFrame::mouseMoveEvent(event);
}

bool CFancyTitle::beginSystemMove() {
    QWindow* handle = window()->windowHandle();
    return handle != nullptr && handle->startSystemMove();
}

void CFancyTitle::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
    }
    QFrame::mouseReleaseEvent(event);
}

void CFancyTitle::mouseDoubleClickEvent(QMouseEvent* event) {
    if (m_doubleClickEnabled && event->button() == Qt::LeftButton) {
        QWidget* w = window();
        if (w->isMaximized()) {
            w->showNormal();
        } else {
            w->showMaximized();
        }
        emit SignalWndSizeStatusChanged();
        event->accept();
        return;
    }
    QFrame::mouseDoubleClickEvent(event);
}

} // namespace OrvisGUIToolkit
