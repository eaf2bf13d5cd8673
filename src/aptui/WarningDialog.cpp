#include "aptui/WarningDialog.h"

#include <QImage>
#include <QPixmap>
#include <QTimerEvent>

#include "aptui/MultiStateLineEdit.h"
#include "ui_WarningDialog.h"

namespace VexaTool {

namespace {

const char* const kErrorHintIcon = ":/CommonSkin/VEXATool/Images/VEXATool/BaseControl/Inputs/icon_alert_error.png";
const char* const kInfoHintIcon = ":/CommonSkin/VEXATool/Images/VEXATool/BaseControl/Inputs/icon_alert_info.png";

} // namespace

WarningDialog::WarningDialog(Kind kind, const QString& text, QWidget* /*caller*/, int autoCloseMs)
    : QDialog(nullptr)
    , m_ui(std::make_unique<Ui::WarningDialog>()) {
    m_ui->setupUi(this);
    connect(m_ui->m_btnClose, &QPushButton::clicked, this, &WarningDialog::onBtnClose);
    resize(310, 120);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setContent(kind, text);
    setAttribute(Qt::WA_TranslucentBackground);
    // Only a success closes itself: an error or a notice waits for the reader, who may be up a ladder.
    // A coarse timer may fire up to 5 % early; the box stays up for the whole interval.
    if (kind == Success)
        m_closeTimer.start(autoCloseMs, Qt::PreciseTimer, this);
}

WarningDialog::~WarningDialog() = default;

QString WarningDialog::largeIconPath(Kind kind) {
    switch (kind) {
    case Success:
        return QStringLiteral(":/CommonSkin/VEXATool/Images/VEXATool/TipDialog/icon_alert_ok_large.png");
    case Information:
        return QStringLiteral(":/CommonSkin/VEXATool/Images/VEXATool/TipDialog/icon_alert_info_large.png");
    case Error:
        return QStringLiteral(":/CommonSkin/VEXATool/Images/VEXATool/TipDialog/icon_alert_error_large.png");
    default:
        return {};
    }
}

void WarningDialog::setContent(Kind kind, const QString& text) {
    // Messages quote device texts; they are shown as typed, never read as markup.
    m_ui->m_labelWarnText->setTextFormat(Qt::PlainText);
    m_ui->m_labelWarnText->setText(text);
    const QString icon = largeIconPath(kind);
    if (icon.isEmpty()) {
        m_ui->m_labelWarnPicture->clear();
        return;
    }
    const QImage image(icon);
    m_ui->m_labelWarnPicture->setPixmap(
        QPixmap::fromImage(image.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

void WarningDialog::onBtnClose() {
    close();
    emit signalWarnClose();
}

void WarningDialog::timerEvent(QTimerEvent* event) {
    // Only our own timer closes the box; timers that Qt starts on a widget for its own purposes must not.
    if (event->timerId() == m_closeTimer.timerId()) {
        m_closeTimer.stop();
        close();
        return;
    }
    QDialog::timerEvent(event);
}

QPoint WarningDialog::centredOn(const QWidget* caller) {
    if (caller == nullptr) {
        return {};
    }
    return caller->mapToGlobal(QPoint(0, 0)) + QPoint(caller->width() / 2 - 155, caller->height() / 2 - 60);
}

void WarningDialog::showWarning(const QPoint& position, Kind kind, const QString& text, QWidget* caller,
                                aptui::MultiStateLineEdit* field, QLabel* hintLabel) {
    run(position, kind, text, caller, field, hintLabel, false);
}

void WarningDialog::showLongWarning(const QPoint& position, Kind kind, const QString& text, QWidget* caller,
                                    aptui::MultiStateLineEdit* field, QLabel* hintLabel) {
    run(position, kind, text, caller, field, hintLabel, true);
}

void WarningDialog::mark(Kind kind, aptui::MultiStateLineEdit* field, QLabel* hintLabel) {
    if (field == nullptr || hintLabel == nullptr)
        return;
    if (kind == Error) {
        field->setLineEditState(aptui::MultiStateLineEdit::ERROR);
        hintLabel->setPixmap(QPixmap(QString::fromLatin1(kErrorHintIcon)));
    } else if (kind == Information) {
        field->setLineEditState(aptui::MultiStateLineEdit::TIP);
        hintLabel->setPixmap(QPixmap(QString::fromLatin1(kInfoHintIcon)));
    }
}

void WarningDialog::run(const QPoint& position, Kind kind, const QString& text, QWidget* caller,
                        aptui::MultiStateLineEdit* field, QLabel* hintLabel, bool tall) {
    mark(kind, field, hintLabel);
    WarningDialog dialog(kind, text, caller);
    if (tall) {
        dialog.resize(310, 160);
    }
    dialog.move(position);
    dialog.exec();
}

} // namespace VexaTool
