#include "aptui/BatchProgressCover.h"

#include <algorithm>

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace aptui {

BatchProgressCover::BatchProgressCover(QWidget* window)
    : aptui::CoverWidget(window) {
    setObjectName(QStringLiteral("m_coverBatchProgress"));
    // The veil comes from the skin (aptui--CoverWidget #m_cover); the box on it is this cover's own.
    auto* box = new QFrame(this);
    box->setObjectName(QStringLiteral("m_frameBatchProgress"));
    box->setFixedWidth(320);
    // An opaque box: repainting the bar then leaves the veil and the page under it alone.
    box->setAutoFillBackground(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, Qt::white);
    box->setPalette(palette);
    box->setStyleSheet(QStringLiteral("#m_frameBatchProgress { background-color: #FFFFFF; border: 1px solid #C4CAD2;"
                                      " border-radius: 6px; }"
                                      "#m_labelBatchProgress { color: #1F2329; font-size: 10pt; }"));
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->setContentsMargins(24, 20, 24, 20);
    boxLayout->setSpacing(14);
    m_label = new QLabel(box);
    m_label->setObjectName(QStringLiteral("m_labelBatchProgress"));
    m_label->setAlignment(Qt::AlignCenter);
    m_progress = new QProgressBar(box);
    m_progress->setObjectName(QStringLiteral("m_progressBatch"));
    m_progress->setTextVisible(false);
    m_progress->setFixedHeight(8);
    m_stop = new QPushButton(tr("Stop"), box);
    m_stop->setObjectName(QStringLiteral("m_btnBatchStop"));
    m_stop->setFixedHeight(30);
    boxLayout->addWidget(m_label);
    boxLayout->addWidget(m_progress);
    boxLayout->addWidget(m_stop);

    // The base cover lays a veil over the whole area; the box floats centred on top of it.
    auto* overlay = new QVBoxLayout;
    overlay->addStretch();
    overlay->addWidget(box, 0, Qt::AlignHCenter);
    overlay->addStretch();
    auto* veil = findChild<QWidget*>(QStringLiteral("m_cover"));
    if (veil != nullptr)
        veil->setLayout(overlay);

    connect(m_stop, &QPushButton::clicked, this, &BatchProgressCover::onStop);
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(100);
    connect(&m_refresh, &QTimer::timeout, this, &BatchProgressCover::showProgress);
    window->installEventFilter(this);
    hide();
}

void BatchProgressCover::begin(Operation operation, int total) {
    m_operation = operation;
    // A change can be given up while its device restarts, even a single one; an activation only between devices.
    m_stop->setVisible(total > 1 || operation != Activating);
    m_stop->setEnabled(true);
    m_refresh.stop();
    m_done = 0;
    m_total = total;
    m_restarting = 0;
    showProgress();
    setGeometry(parentWidget()->rect());
    show();
    raise();
    qApp->installEventFilter(this);
    if (m_stop->isVisible())
        m_stop->setFocus();
    else
        setFocus();
}

void BatchProgressCover::setProgress(int done, int total) {
    m_done = done;
    m_total = total;
    if (!m_refresh.isActive())
        m_refresh.start();
}

void BatchProgressCover::showProgress() {
    const int current = std::min(m_done + 1, std::max(m_total, 1));
    QString text;
    switch (m_operation) {
    case Modifying:
        text = tr("Modifying %1 of %2").arg(current).arg(m_total);
        break;
    case Activating:
        text = tr("Activating %1 of %2").arg(current).arg(m_total);
        break;
    case SettingTime:
        text = tr("Setting the time of %1 of %2").arg(current).arg(m_total);
        break;
    case ChangingPasswords:
        text = tr("Changing the password of %1 of %2").arg(current).arg(m_total);
        break;
    }
    if (m_restarting == 1)
        text += QLatin1Char('\n') + tr("Restarting…");
    else if (m_restarting > 1)
        text += QLatin1Char('\n') + tr("Restarting… (%1 devices)").arg(m_restarting);
    m_label->setText(text);
    // QProgressBar repaints at once on a new value; with updates off it only schedules the paint, which then
    // joins the label's in the next regular update.
    m_progress->setUpdatesEnabled(false);
    m_progress->setRange(0, std::max(m_total, 1));
    m_progress->setValue(m_done);
    m_progress->setUpdatesEnabled(true);
}

void BatchProgressCover::setRestarting(int devices) {
    m_restarting = std::max(devices, 0);
    showProgress();
}

void BatchProgressCover::end() {
    m_refresh.stop();
    qApp->removeEventFilter(this);
    hide();
}

QString BatchProgressCover::text() const {
    return m_label->text();
}

int BatchProgressCover::value() const {
    return m_progress->value();
}

bool BatchProgressCover::stopOffered() const {
    return !m_stop->isHidden() && m_stop->isEnabled();
}

void BatchProgressCover::onStop() {
    m_stop->setEnabled(false);
    emit signalStop();
}

bool BatchProgressCover::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    // Keys aimed at anything under the veil (the device list, the form) are swallowed while it is up.
    const QEvent::Type type = event->type();
    if (isVisible() && (type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::ShortcutOverride ||
                        type == QEvent::Shortcut)) {
        auto* target = qobject_cast<QWidget*>(watched);
        if (target != nullptr && target->window() == window() && target != this && !isAncestorOf(target))
            return true;
    }
    return aptui::CoverWidget::eventFilter(watched, event);
}

} // namespace aptui
