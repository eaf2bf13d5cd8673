#include "aptui/Widget.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOption>

namespace aptui {

Widget::Widget(QWidget* parent)
    : QWidget(parent) {}

bool Widget::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        emit signalMouseClicked();
        break;
    case QEvent::MouseButtonDblClick:
        emit signalDoubleClicked();
        break;
    case QEvent::Enter:
        emit signalMouseEnter();
        break;
    case QEvent::Leave:
        emit signalMouseLeave();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void Widget::paintEvent(QPaintEvent* event) {
    // A QWidget subclass draws no style-sheet background unless it asks its style to.
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    QWidget::paintEvent(event);
}

} // namespace aptui
