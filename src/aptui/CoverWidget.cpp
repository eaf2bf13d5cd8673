#include "aptui/CoverWidget.h"

#include <QHBoxLayout>

namespace aptui {

CoverWidget::CoverWidget(QWidget* parent)
    : Widget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* cover = new QWidget(this);
    cover->setObjectName(QStringLiteral("m_cover"));
    layout->addWidget(cover);
    setAttribute(Qt::WA_TranslucentBackground);
}

} // namespace aptui
