#include "password/RestorePasswordDialog.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPushButton>

#include "aptui/MultiStateLineEdit.h"
#include "aptui/WarningDialog.h"
#include "discovery/DeviceCall.h"
#include "discovery/VexaHandler.h"
#include "guitoolkit/GuiText.h"
#include "password/PasswordRecovery.h"
#include "passwordrule/PasswordLevel.h"
#include "ui_RestorePasswordDialog.h"

namespace VexaTool {

namespace {

struct RestoreReply {
    bool ok = false;
    uint32_t error = 0;
};

QString meterImage(const char* colour) {
    return QStringLiteral(":/CommonSkin/Password/Images/Public/Control/Password/%1.png").arg(QLatin1String(colour));
}

// The device's own password field holds 16 bytes; the library takes no more.
constexpr qsizetype kMaxDevicePasswordBytes = 16;

} // namespace

RestorePasswordDialog::RestorePasswordDialog(QWidget* parent, const QString& serialNo)
    : aptui::BaseDialog(false, false, false, false, true, true, true, parent)
    , m_ui(std::make_unique<Ui::ResrotePasswordDialog>())
    , m_serialNo(serialNo) {
    m_content = new QWidget(this);
    m_ui->setupUi(m_content);
    m_ui->m_progressBusy->hide();
    setContentWidget(m_content);

    resize(500, 380);
    setTitle(tr("Reset Default Password"));

    setEnableConfirm(false);
    connect(this, &BaseDialog::signalConfirmButtonClicked, this, &RestorePasswordDialog::onRestorePassword,
            Qt::DirectConnection);
    setEnableDefaultConnections(true, true, true, false, true);

    m_ui->m_lineEditSecurityCode->installEventFilter(this);
    m_ui->m_lineEditSecurityCode->setContextMenuPolicy(Qt::NoContextMenu);
    m_ui->m_lineEditSecurityCode->setMaxLength(32);
    for (QLineEdit* editor : {m_ui->m_lineEditNewPassword, m_ui->m_lineEditConfirmPassword}) {
        // Not cut by the editor: too long is refused with the reason (see onRestorePassword).
        editor->installEventFilter(this);
        editor->setEchoMode(QLineEdit::Password);
        editor->setContextMenuPolicy(Qt::NoContextMenu);
        editor->setAcceptDrops(false); // a drop would be a paste by other means
    }
    connect(m_ui->m_lineEditNewPassword, &QLineEdit::textChanged, this,
            &RestorePasswordDialog::onNewPasswordTextChanged);
    onNewPasswordTextChanged(QString());
    m_ui->m_lineEditSecurityCode->setFocus();
}

RestorePasswordDialog::~RestorePasswordDialog() = default;

bool RestorePasswordDialog::eventFilter(QObject* target, QEvent* qevent) {
    if ((target == m_ui->m_lineEditSecurityCode || target == m_ui->m_lineEditNewPassword ||
         target == m_ui->m_lineEditConfirmPassword) &&
        qevent->type() == QEvent::MouseButtonPress)
        onClearWarningInfo();
    return aptui::BaseDialog::eventFilter(target, qevent);
}

void RestorePasswordDialog::onRestorePassword() {
    if (isBusy())
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

    // The device takes this password in the same step as the code: it must be what the user meant, twice.
    const QString newPassword = m_ui->m_lineEditNewPassword->text();
    if (newPassword.isEmpty()) {
        WarningDialog::showWarning(position, WarningDialog::Error, tr("The password can not be empty."), this,
                                   m_ui->m_lineEditNewPassword, m_ui->m_labelHintNewPassword);
        return;
    }
    if (m_ui->m_lineEditConfirmPassword->text() != newPassword) {
        WarningDialog::showWarning(position, WarningDialog::Error, tr("The password you typed do not match."), this,
                                   m_ui->m_lineEditConfirmPassword, m_ui->m_labelHintConfirmPassword);
        return;
    }
    if (passwordLevel("admin", newPassword.toStdString()) < 1) {
        WarningDialog::showLongWarning(
            position, WarningDialog::Error,
            tr("Valid password range [8-16]. You can use a combination of numbers, lowercase, uppercase and special "
               "character for your password with at least two kinds of them contained."),
            this);
        return;
    }
    QByteArray password = OrvisGUIToolkit::ConvertFromUnicode(newPassword, nullptr);
    if (password.size() > kMaxDevicePasswordBytes) {
        password.fill('\0');
        WarningDialog::showLongWarning(position, WarningDialog::Error,
                                       tr("The password is too long: it may take at most 16 bytes, and a character "
                                          "outside ASCII takes more than one."),
                                       this);
        return;
    }

    setBusy(true);
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    const QByteArray serialNo = m_serialNo.toLatin1();
    const QByteArray securityCode = code.toLatin1();
    runDeviceCall(
        this,
        [handler, serialNo, securityCode, password]() mutable {
            RestoreReply reply;
            reply.ok = handler->resetDefaultPassword(serialNo, securityCode, password);
            password.fill('\0');
            if (!reply.ok)
                reply.error = handler->lastError();
            return reply;
        },
        [this](const RestoreReply& reply) {
            setBusy(false);
            const QPoint where = WarningDialog::centredOn(this);
            if (reply.ok) {
                WarningDialog::showLongWarning(
                    where, WarningDialog::Success,
                    tr("Restore password succeed.") + u' ' + tr("The device now has the new password."), this);
                accept();
                return;
            }
            const QString reason = libraryErrorSentence(reply.error);
            if (reason.isEmpty())
                WarningDialog::showWarning(where, WarningDialog::Error, tr("Restore password failed."), this);
            else
                WarningDialog::showLongWarning(where, WarningDialog::Error,
                                               tr("Restore password failed.") + u' ' + reason, this);
        });
}

void RestorePasswordDialog::onClearWarningInfo() {
    m_ui->m_lineEditSecurityCode->clearMark(m_ui->m_labelHintSecurityCode);
    m_ui->m_lineEditNewPassword->clearMark(m_ui->m_labelHintNewPassword);
    m_ui->m_lineEditConfirmPassword->clearMark(m_ui->m_labelHintConfirmPassword);
}

void RestorePasswordDialog::onNewPasswordTextChanged(const QString& password) {
    const int level = passwordLevel("admin", password.toStdString());
    QLabel* const bars[] = {m_ui->m_labelLevel1, m_ui->m_labelLevel2, m_ui->m_labelLevel3};
    static const char* const colours[] = {"grey", "red", "yellow", "green"};
    static const char* const words[] = {"", QT_TR_NOOP("Weak"), QT_TR_NOOP("Medium"), QT_TR_NOOP("Strong")};
    const int shown = std::clamp(level, 0, 3);
    for (int i = 0; i < 3; ++i)
        bars[i]->setPixmap(QPixmap(meterImage(i < shown ? colours[shown] : "grey")));
    m_ui->m_labelLevel->setText(shown ? tr(words[shown]) : QString());
}

void RestorePasswordDialog::setBusy(bool busy) {
    showBusy(busy, m_ui->m_progressBusy);
    // Disabling the form took the focus from the code; give it back so the user can correct it.
    if (!busy)
        m_ui->m_lineEditSecurityCode->setFocus();
}

} // namespace VexaTool
