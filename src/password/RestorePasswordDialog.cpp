#include "password/RestorePasswordDialog.h"

#include <QMouseEvent>
#include <QPushButton>

#include "aptui/MultiStateLineEdit.h"
#include "aptui/WarningDialog.h"
#include "discovery/DeviceCall.h"
#include "discovery/VexaHandler.h"
#include "password/PasswordRecovery.h"
#include "ui_RestorePasswordDialog.h"

namespace VexaTool {

namespace {

struct RestoreReply {
    bool ok = false;
    uint32_t error = 0;
};

} // namespace

RestorePasswordDialog::RestorePasswordDialog(QWidget* parent, const QString& serialNo)
    : aptui::BaseDialog(false, false, false, false, true, true, true, parent)
    , m_ui(std::make_unique<Ui::ResrotePasswordDialog>())
    , m_serialNo(serialNo) {
    m_content = new QWidget(this);
    m_ui->setupUi(m_content);
    m_ui->m_progressBusy->hide();
    setContentWidget(m_content);

    resize(500, 280);
    setTitle(tr("Reset Default Password"));

    setEnableConfirm(false);
    connect(this, &BaseDialog::signalConfirmButtonClicked, this, &RestorePasswordDialog::onRestorePassword,
            Qt::DirectConnection);
    setEnableDefaultConnections(true, true, true, false, true);

    m_ui->m_lineEditSecurityCode->installEventFilter(this);
    m_ui->m_lineEditSecurityCode->setContextMenuPolicy(Qt::NoContextMenu);
    m_ui->m_lineEditSecurityCode->setMaxLength(32);
    m_ui->m_lineEditSecurityCode->setFocus();
}

RestorePasswordDialog::~RestorePasswordDialog() = default;

bool RestorePasswordDialog::eventFilter(QObject* target, QEvent* qevent) {
    if (target == m_ui->m_lineEditSecurityCode && qevent->type() == QEvent::MouseButtonPress)
        onClearWarningInfo();
    return aptui::BaseDialog::eventFilter(target, qevent);
}

void RestorePasswordDialog::onRestorePassword() {
    if (m_busy)
        return;
    const QString code = m_ui->m_lineEditSecurityCode->text();
    const QPoint position = WarningDialog::centredOn(this);
    if (code.isEmpty()) {
        WarningDialog::showWarning(position, WarningDialog::Error, tr("Please input security code."), this,
                                   m_ui->m_lineEditSecurityCode, m_ui->m_labelHintSecurityCode);
        return;
    }

    // The code travels as Latin-1; a character outside it would arrive as "?" and count as a wrong code.
    if (QString::fromLatin1(code.toLatin1()) != code) {
        WarningDialog::showWarning(position, WarningDialog::Error,
                                   tr("The security code contains a character that cannot be sent."), this,
                                   m_ui->m_lineEditSecurityCode, m_ui->m_labelHintSecurityCode);
        return;
    }

    setBusy(true);
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    const QByteArray serialNo = m_serialNo.toLatin1();
    const QByteArray securityCode = code.toLatin1();
    runDeviceCall(
        this,
        [handler, serialNo, securityCode] {
            RestoreReply reply;
            reply.ok = handler->resetDefaultPassword(serialNo, securityCode);
            if (!reply.ok)
                reply.error = handler->lastError();
            return reply;
        },
        [this](const RestoreReply& reply) {
            setBusy(false);
            const QPoint where = WarningDialog::centredOn(this);
            if (reply.ok) {
                // Our devices have no shared default password: a restored device waits to be activated again.
                WarningDialog::showLongWarning(where, WarningDialog::Success,
                                               tr("Restore password succeed.") + u' ' +
                                                   tr("The device is not activated now: activate it with a new "
                                                      "password before you use it."),
                                               this);
                accept();
                return;
            }
            const QString reason = PasswordRecovery::libraryErrorSentence(reply.error);
            if (reason.isEmpty())
                WarningDialog::showWarning(where, WarningDialog::Error, tr("Restore password failed."), this);
            else
                WarningDialog::showLongWarning(where, WarningDialog::Error,
                                               tr("Restore password failed.") + u' ' + reason, this);
        });
}

void RestorePasswordDialog::onClearWarningInfo() {
    m_ui->m_lineEditSecurityCode->setLineEditState(aptui::MultiStateLineEdit::NORMAL);
    m_ui->m_labelHintSecurityCode->clear();
}

void RestorePasswordDialog::setBusy(bool busy) {
    m_busy = busy;
    m_content->setEnabled(!busy);
    if (auto* confirm = findChild<QPushButton*>(QStringLiteral("btnConfirm")))
        confirm->setEnabled(!busy);
    m_ui->m_progressBusy->setVisible(busy);
    setHeldOpen(busy);
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
    // Disabling the form took the focus from the code; give it back so the user can correct it.
    if (!busy)
        m_ui->m_lineEditSecurityCode->setFocus();
}

} // namespace VexaTool
