#include "aptui/BaseDialog.h"

#include <functional>

#include "aptui/BaseTitle.h"
#include "ui_BaseDialog.h"

namespace aptui {

namespace {

void showButton(QWidget* button, bool showIt) {
    button->setVisible(showIt);
    button->setEnabled(showIt);
}

} // namespace

BaseDialog::BaseDialog(Buttons buttons, QWidget* parent)
    : BaseDialog(buttons.testFlag(Button::App), buttons.testFlag(Button::Option), buttons.testFlag(Button::Min),
                 buttons.testFlag(Button::Max), buttons.testFlag(Button::Close), buttons.testFlag(Button::Confirm),
                 buttons.testFlag(Button::Cancel), parent) {}

BaseDialog::BaseDialog(bool app, bool option, bool min, bool max, bool close, bool confirm, bool cancel,
                       QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::BaseDialog>()) {
    m_ui->setupUi(this);
    m_labelNULL = m_ui->m_labelNULL;

    m_title = new BaseTitle(app, option, min, max, close, this);
    m_ui->titleLayout->addWidget(m_title);

    showButton(m_ui->btnConfirm, confirm);
    showButton(m_ui->btnCancel, cancel);

    connect(m_title, &BaseTitle::signalAppButtonClicked, this, &BaseDialog::signalAppButtonClicked);
    connect(m_title, &BaseTitle::signalOptionButtonClicked, this, &BaseDialog::signalOptionButtonClicked);
    connect(m_title, &BaseTitle::signalMinButtonClicked, this, &BaseDialog::signalMinButtonClicked);
    connect(m_title, &BaseTitle::signalMaxButtonClicked, this, &BaseDialog::signalMaxButtonClicked);
    connect(m_title, &BaseTitle::signalCloseButtonClicked, this, &BaseDialog::signalCloseButtonClicked);
    connect(m_ui->btnConfirm, &QPushButton::clicked, this, &BaseDialog::onConfirmBtnClicked);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &BaseDialog::onCancelBtnClicked);

    m_minConnection = connectMin();
    m_maxConnection = connectMax();
    m_closeConnection = connectClose();
    m_minConnected = static_cast<bool>(m_minConnection);
    m_maxConnected = static_cast<bool>(m_maxConnection);
    m_closeConnected = static_cast<bool>(m_closeConnection);

    // Frameless, but still a dialog: a dialog given a parent must stay a window of its own rather than
    // become a child widget painted inside that parent.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
}

BaseDialog::~BaseDialog() = default;

QMetaObject::Connection BaseDialog::connectMin() {
    return connect(m_title, &BaseTitle::signalMinButtonClicked, this, &QWidget::showMinimized);
}

QMetaObject::Connection BaseDialog::connectMax() {
    return connect(m_title, &BaseTitle::signalMaxButtonClicked, this, &BaseDialog::restoreWindow);
}

QMetaObject::Connection BaseDialog::connectClose() {
    return connect(m_title, &BaseTitle::signalCloseButtonClicked, this, &QWidget::close);
}

void BaseDialog::setEnableDefaultConnections(bool enableMin, bool enableMax, bool enableClose, bool enableConfirm,
                                             bool enableCancel) {
    // Connect only what is not connected yet: a second call must not make one click act twice.
    const auto apply = [](bool enable, bool& connected, QMetaObject::Connection& connection,
                          const std::function<QMetaObject::Connection()>& make) {
        if (!enable) {
            QObject::disconnect(connection);
            connected = false;
        } else if (!connected) {
            connection = make();
            connected = static_cast<bool>(connection);
        }
    };
    apply(enableMin, m_minConnected, m_minConnection, [this] { return connectMin(); });
    apply(enableMax, m_maxConnected, m_maxConnection, [this] { return connectMax(); });
    apply(enableClose, m_closeConnected, m_closeConnection, [this] { return connectClose(); });
    m_confirmAccepts = enableConfirm;
    m_cancelCloses = enableCancel;
}

void BaseDialog::setEnableConfirm(bool enable) {
    m_confirmAccepts = enable;
}

void BaseDialog::setTitle(const QString& title) {
    m_title->setTitle(title);
    setWindowTitle(title);
}

void BaseDialog::setDefaultText(const QString& text) {
    if (m_labelNULL) {
        // Plain, never guessed: a message after a rich one keeps its line breaks, and a device name that
        // looks like markup is shown as typed.
        m_labelNULL->setTextFormat(Qt::PlainText);
        m_labelNULL->setText(text);
    }
}

void BaseDialog::setDefaultText(const QString& text, int fontSize) {
    setDefaultText(text, fontSize, false);
}

void BaseDialog::setDefaultText(const QString& text, int fontSize, bool blod) {
    if (!m_labelNULL) {
        return;
    }
    const QString pattern =
        blod ? QStringLiteral("<html><head/><body><p align=\"center\"><span style=\" font-size:%2pt; "
                              "font-weight:600;\">%1</span></p></body></html>")
             : QStringLiteral("<html><head/><body><p align=\"center\"><span style=\" "
                              "font-size:%2pt;\">%1</span></p></body></html>");
    // The size goes in before the text, so that a "%2" typed inside the text stays as it is.
    QString html = pattern;
    html.replace(QLatin1String("%2"), QString::number(fontSize));
    // The text is data (often a device's name), never markup.
    html.replace(QLatin1String("%1"), text.toHtmlEscaped());
    m_labelNULL->setTextFormat(Qt::RichText);
    m_labelNULL->setText(html);
}

void BaseDialog::setConfirmButtonText(const QString& text) {
    m_ui->btnConfirm->setText(text);
}

void BaseDialog::setCancelButtonText(const QString& text) {
    m_ui->btnCancel->setText(text);
}

void BaseDialog::setBottomBarHeight(int height) {
    m_ui->m_BaseDialogBottom->setFixedHeight(height);
}

void BaseDialog::setBottomVisible(bool value) {
    m_ui->m_BaseDialogBottom->setVisible(value);
}

void BaseDialog::onConfirmBtnClicked() {
    if (m_confirmAccepts) {
        accept();
    }
    emit signalConfirmButtonClicked();
}

void BaseDialog::onCancelBtnClicked() {
    if (m_cancelCloses) {
        close();
    }
    emit signalCancelButtonClicked();
}

void BaseDialog::setHeldOpen(bool held) {
    m_heldOpen = held;
    if (!m_ui->btnCancel->isHidden())
        m_ui->btnCancel->setEnabled(!held);
}

void BaseDialog::showBusy(bool busy, QWidget* progress) {
    m_busy = busy;
    if (m_contentWidget)
        m_contentWidget->setEnabled(!busy);
    if (!m_ui->btnConfirm->isHidden())
        m_ui->btnConfirm->setEnabled(!busy);
    if (progress)
        progress->setVisible(busy);
    setHeldOpen(busy);
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void BaseDialog::reject() {
    if (m_heldOpen)
        return;
    QDialog::reject();
}

void BaseDialog::restoreWindow() {
    if (isMaximized()) {
        showNormal();
    } else {
        showMaximized();
    }
}

void BaseDialog::setContentWidget(QWidget* widget) {
    QLayout* content = m_ui->BorderLayout;
    while (QLayoutItem* item = content->takeAt(0)) {
        // A widget that leaves the layout stays alive (its owner may still use it) but must not float
        // over the new content; the new content itself may already be in the layout and stays visible.
        if (QWidget* w = item->widget(); w != nullptr && w != m_labelNULL && w != widget) {
            w->hide();
        }
        std::unique_ptr<QLayoutItem> owned(item);
    }
    std::unique_ptr<QLabel> label(m_labelNULL.data());
    m_labelNULL = nullptr;
    m_ui->m_labelNULL = nullptr;
    m_contentWidget = widget;
    if (widget != nullptr) {
        content->addWidget(widget);
    }
}

} // namespace aptui
