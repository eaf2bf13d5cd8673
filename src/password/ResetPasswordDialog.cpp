#include "password/ResetPasswordDialog.h"

#include <cstring>

#include <QDateTime>
#include <QFileDialog>
#include <QIcon>
#include <QKeyEvent>
#include <QPushButton>
#include <QSaveFile>

#include "aptui/MultiStateLineEdit.h"
#include "aptui/WarningDialog.h"
#include "discovery/DeviceCall.h"
#include "discovery/PasswordBytes.h"
#include "discovery/VexaHandler.h"
#include "guitoolkit/GuiText.h"
#include "guitoolkit/TargetPath.h"
#include "password/PasswordRecovery.h"
#include "password/QtQrEncode.h"
#include "passwordrule/PasswordLevel.h"
#include "ui_ResetPasswordDialog.h"

namespace VexaTool {

namespace {

constexpr int kQrLabelSize = 108;
const char* const kAdmin = "admin";

struct KeyRequestReply {
    bool ok = false;
    uint32_t error = 0;
    QByteArray data;
};

// Runs on a worker thread.
KeyRequestReply fetchKeyRequest(VEXA::VexaHandler* handler, const QByteArray& serialNo, bool qr) {
    KeyRequestReply reply;
    if (qr) {
        VEXA_KEY_REQUEST_QR record{};
        reply.ok = handler->getDeviceConfig(serialNo, VEXA_CMD_KEY_REQUEST_QR, nullptr, 0, &record, sizeof record);
        if (reply.ok)
            reply.ok = keyRequestData(record.dataLength, record.data, sizeof record.data, reply.data);
    } else {
        VEXA_KEY_REQUEST record{};
        reply.ok = handler->getDeviceConfig(serialNo, VEXA_CMD_KEY_REQUEST, nullptr, 0, &record, sizeof record);
        if (reply.ok)
            reply.ok = keyRequestData(record.dataLength, record.data, sizeof record.data, reply.data);
    }
    if (!reply.ok)
        reply.error = handler->lastError();
    return reply;
}

struct ResetReply {
    bool ok = false;
    uint32_t error = 0;
};

QString meterImage(const char* colour) {
    return QStringLiteral(":/CommonSkin/Password/Images/Public/Control/Password/%1.png").arg(QLatin1String(colour));
}

} // namespace

ResetPasswordDialog::ResetPasswordDialog(QWidget* parent, const QString& serialNo, bool qrSupport, bool ipcResetSupport)
    : aptui::BaseDialog(false, false, false, false, true, true, true, parent)
    , m_ui(std::make_unique<Ui::ResetPasswordDialog>())
    , m_qrEncode(std::make_unique<QtQrEncode>(nullptr))
    , m_serialNo(serialNo)
    , m_qrSupport(qrSupport)
    , m_ipcResetSupport(ipcResetSupport) {
    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("ResetPasswordDialog_centerWidget"));
    m_ui->setupUi(content);
    m_ui->m_progressBusy->hide();

    for (QLabel* bar : {m_ui->m_labelLevel1, m_ui->m_labelLevel2, m_ui->m_labelLevel3})
        bar->setPixmap(QPixmap(meterImage("grey")));
    setContentWidget(content);
    setTitle(tr("Reset Password"));
    resize(510, 360);

    m_ui->m_btnFilePath->hide();

    connect(m_ui->m_radioBtnAutoInput, &QRadioButton::toggled, this, &ResetPasswordDialog::onMaualAutoChanged);
    connect(m_ui->m_radioBtnManualInput, &QRadioButton::toggled, this, &ResetPasswordDialog::onMaualAutoChanged);
    connect(m_ui->m_btnExport, &QPushButton::clicked, this, &ResetPasswordDialog::onExportFile);
    connect(m_ui->m_btnFilePath, &QToolButton::clicked, this, &ResetPasswordDialog::onClearFilePathError);
    connect(m_ui->m_btnFilePath, &QToolButton::clicked, this, &ResetPasswordDialog::onImportFile);
    setEnableConfirm(false);
    connect(this, &BaseDialog::signalConfirmButtonClicked, this, &ResetPasswordDialog::onResetPassword,
            Qt::DirectConnection);
    setEnableDefaultConnections(true, true, true, false, true);
    connect(m_ui->m_lineEditNewPassword, &QLineEdit::textChanged, this, &ResetPasswordDialog::onNewPasswordTextChanged);
    connect(m_ui->m_btnQRcode, &QPushButton::clicked, this, &ResetPasswordDialog::onGenerateQRcode);

    if (m_qrSupport) {
        requestQrCode(false);
    } else {
        m_ui->m_radioBtnManualInput->hide();
        m_ui->m_radioBtnAutoInput->setChecked(true);
        m_ui->m_labelQcCode->clear();
        m_ui->m_btnQRcode->hide();
    }
    if (!m_ipcResetSupport)
        m_ui->m_checkBoxIPC->hide();

    for (QLineEdit* editor : {m_ui->m_lineEditFilePath, m_ui->m_lineEditConfirmPassword, m_ui->m_lineEditNewPassword})
        editor->installEventFilter(this);
    // The passwords are not cut by their editors: too long is refused with the reason (see onResetPassword).
    m_ui->m_lineEditFilePath->setMaxLength(128);
    setWindowIcon(QIcon(QStringLiteral(":/CommonSkin/VEXATool/Images/VEXATool/SystemInfo/logo_large.png")));
    for (QLineEdit* editor : {m_ui->m_lineEditNewPassword, m_ui->m_lineEditConfirmPassword}) {
        editor->setContextMenuPolicy(Qt::NoContextMenu);
        // Dropped text would be a paste by other means.
        editor->setAcceptDrops(false);
    }
}

ResetPasswordDialog::~ResetPasswordDialog() = default;

bool ResetPasswordDialog::eventFilter(QObject* target, QEvent* qevent) {
    const bool password = target == m_ui->m_lineEditNewPassword || target == m_ui->m_lineEditConfirmPassword;
    if (qevent->type() == QEvent::MouseButtonPress) {
        if (target == m_ui->m_lineEditFilePath)
            m_ui->m_lineEditFilePath->clearMark(m_ui->m_labelHintFilePath);
        else if (target == m_ui->m_lineEditNewPassword)
            m_ui->m_lineEditNewPassword->clearMark(m_ui->m_labelHintNewPassword);
        else if (target == m_ui->m_lineEditConfirmPassword)
            m_ui->m_lineEditConfirmPassword->clearMark(m_ui->m_labelHintConfirmPassword);
    } else if (password && qevent->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(qevent);
        if (key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut))
            return true;
    } else if (password && qevent->type() == QEvent::MouseButtonRelease) {
        // The middle button pastes the selection on X11.
        if (static_cast<QMouseEvent*>(qevent)->button() == Qt::MiddleButton)
            return true;
    }
    return aptui::BaseDialog::eventFilter(target, qevent);
}

void ResetPasswordDialog::onMaualAutoChanged() {
    m_ui->m_btnFilePath->setVisible(!m_ui->m_radioBtnManualInput->isChecked());
}

void ResetPasswordDialog::onGenerateQRcode() {
    if (!isBusy())
        requestQrCode(true);
}

void ResetPasswordDialog::requestQrCode(bool reportFailure) {
    setBusy(true);
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    const QByteArray serialNo = m_serialNo.toLatin1();
    runDeviceCall(
        this, [handler, serialNo] { return fetchKeyRequest(handler, serialNo, true); },
        [this, reportFailure](const KeyRequestReply& reply) {
            setBusy(false);
            if (reply.ok && !reply.data.isEmpty()) {
                const QString text = keyRequestText(reply.data);
                m_qrEncode->setString(text);
                const qreal ratio = devicePixelRatioF();
                // Drawn at the screen's pixel density, so that every module stays a whole number of pixels.
                const QImage image = m_qrEncode->getQRCode(qRound(kQrLabelSize * ratio));
                if (!image.isNull()) {
                    QPixmap pixmap = QPixmap::fromImage(image);
                    pixmap.setDevicePixelRatio(ratio);
                    m_ui->m_labelQcCode->setPixmap(pixmap);
                    return;
                }
            }
            if (reportFailure)
                warn(WarningDialog::Error, tr("Generate QR code error."), nullptr, nullptr, false);
        });
}

void ResetPasswordDialog::onExportFile() {
    if (isBusy())
        return;
    QString folder = QFileDialog::getExistingDirectory(this, QString(), keyFolder(), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return;
    keyFolder() = folder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');

    setBusy(true);
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    const QByteArray serialNo = m_serialNo.toLatin1();
    const bool qr = m_qrSupport;
    runDeviceCall(
        this, [handler, serialNo, qr] { return fetchKeyRequest(handler, serialNo, qr); },
        [this, folder](const KeyRequestReply& reply) {
            setBusy(false);
            if (!reply.ok) {
                const QString reason = libraryErrorSentence(reply.error);
                warn(WarningDialog::Error,
                     reason.isEmpty() ? tr("Get key error.") : tr("Get key error.") + u' ' + reason, nullptr, nullptr,
                     !reason.isEmpty());
                return;
            }
            QSaveFile file(folder + keyRequestFileName(m_serialNo, QDateTime::currentDateTime()));
            if (!file.open(QIODevice::WriteOnly) || file.write(reply.data) != reply.data.size() || !file.commit()) {
                warn(WarningDialog::Error, tr("Create device key file error."));
                return;
            }
            warn(WarningDialog::Success, tr("Exported."));
        });
}

void ResetPasswordDialog::onImportFile() {
    const QString file = QFileDialog::getOpenFileName(this, QString(), keyFile());
    if (file.isEmpty())
        return;
    keyFile() = file;
    if (file.size() > m_ui->m_lineEditFilePath->maxLength()) {
        warn(WarningDialog::Error,
             tr("The path of the key file is too long. Move the file to a shorter path and choose it again."),
             m_ui->m_lineEditFilePath, m_ui->m_labelHintFilePath, true);
        return;
    }
    m_ui->m_lineEditFilePath->setText(file);
    m_ui->m_lineEditFilePath->setCursorPosition(0);
}

void ResetPasswordDialog::onResetPassword() {
    if (isBusy())
        return;
    const QString keyText = m_ui->m_lineEditFilePath->text();
    const QString newPassword = m_ui->m_lineEditNewPassword->text();
    const bool autoInput = m_ui->m_radioBtnAutoInput->isChecked();
    if (keyText.isEmpty()) {
        warn(WarningDialog::Error, tr("Please input the secret key."), m_ui->m_lineEditFilePath,
             m_ui->m_labelHintFilePath);
        return;
    }
    const QByteArray typedKey = autoInput ? QByteArray() : OrvisGUIToolkit::ConvertFromUnicode(keyText, nullptr);
    if (typedKey.size() > kMaxKeyBytes) {
        warn(WarningDialog::Error, tr("The secret key is too long."), m_ui->m_lineEditFilePath,
             m_ui->m_labelHintFilePath);
        return;
    }
    if (newPassword.isEmpty()) {
        m_ui->m_lineEditNewPassword->setFocus();
        warn(WarningDialog::Error, tr("The password can not be empty."), m_ui->m_lineEditNewPassword,
             m_ui->m_labelHintNewPassword);
        return;
    }
    if (m_ui->m_lineEditConfirmPassword->text() != newPassword) {
        warn(WarningDialog::Error, tr("The password you typed do not match."), m_ui->m_lineEditNewPassword,
             m_ui->m_labelHintNewPassword);
        return;
    }
    if (m_ui->m_labelLevel->text().isEmpty()) {
        warn(WarningDialog::Error,
             tr("Valid password range [8-16]. You can use a combination of numbers, lowercase, uppercase and special "
                "character for your password with at least two kinds of them contained."),
             m_ui->m_lineEditNewPassword, m_ui->m_labelHintNewPassword, true);
        return;
    }
    const std::optional<QByteArray> encoded = VEXA::passwordBytes(newPassword);
    if (!encoded) {
        warn(WarningDialog::Error,
             tr("The password is too long: it may take at most 16 bytes, and a character outside ASCII takes more "
                "than one."),
             m_ui->m_lineEditNewPassword, m_ui->m_labelHintNewPassword, true);
        return;
    }

    QByteArray password = *encoded;
    QByteArray copyPath;
    if (autoInput) {
        const KeyCopy copy = copyKeyFile(
            keyText,
            OrvisGUIToolkit::GetWritableTargetPathFile(QStringLiteral("copy.xml"), QStandardPaths::AppDataLocation),
            kMaxKeyBytes);
        if (copy.status == KeyCopy::TooLong) {
            warn(WarningDialog::Error, tr("The key in the key file is too long. Please check the key file."),
                 m_ui->m_lineEditFilePath, m_ui->m_labelHintFilePath, true);
            return;
        }
        if (copy.status == KeyCopy::CopyFailed) {
            warn(WarningDialog::Error, tr("The key file could not be copied beside the program."),
                 m_ui->m_lineEditFilePath, m_ui->m_labelHintFilePath, true);
            return;
        }
        copyPath = OrvisGUIToolkit::ConvertFromUnicode(copy.path, nullptr);
    }
    const bool resetIpc = m_ui->m_checkBoxIPC->isVisibleTo(this) && m_ui->m_checkBoxIPC->isChecked();
    VEXA_RESET_PARAM record;
    const RecordFit fit = fillResetRecord(record, typedKey, copyPath, password, resetIpc);
    password.fill('\0');
    if (fit != RecordFit::Ok) {
        // Only the copy path can still be too long here: the program's folder is too deep.
        std::memset(&record, 0, sizeof record);
        warn(WarningDialog::Error, tr("The path of the program's folder is too long for the key file copy."),
             m_ui->m_lineEditFilePath, m_ui->m_labelHintFilePath, true);
        return;
    }

    setBusy(true);
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    const QByteArray serialNo = m_serialNo.toLatin1();
    runDeviceCall(
        this,
        [handler, serialNo, record]() mutable {
            ResetReply reply;
            reply.ok = handler->resetPassword(serialNo, record);
            if (!reply.ok)
                reply.error = handler->lastError();
            std::memset(&record, 0, sizeof record);
            return reply;
        },
        [this](const ResetReply& reply) {
            setBusy(false);
            if (reply.ok) {
                warn(WarningDialog::Success, tr("Reset password Succeed."));
                accept();
                return;
            }
            const QString reason = libraryErrorSentence(reply.error);
            warn(WarningDialog::Error,
                 reason.isEmpty() ? tr("Reset password failed.") : tr("Reset password failed.") + u' ' + reason,
                 nullptr, nullptr, !reason.isEmpty());
        });
    std::memset(&record, 0, sizeof record);
}

void ResetPasswordDialog::onNewPasswordTextChanged(const QString& strNewPassword) {
    const int level = passwordLevel(kAdmin, strNewPassword.toStdString());
    QLabel* const bars[] = {m_ui->m_labelLevel1, m_ui->m_labelLevel2, m_ui->m_labelLevel3};
    for (QLabel* bar : bars)
        bar->setPixmap(QPixmap(meterImage("grey")));
    m_ui->m_labelLevel->setText(QString());
    if (level == 1) {
        bars[0]->setPixmap(QPixmap(meterImage("red")));
        m_ui->m_labelLevel->setText(tr("Weak"));
    } else if (level == 2) {
        for (int i = 0; i < 2; ++i)
            bars[i]->setPixmap(QPixmap(meterImage("yellow")));
        m_ui->m_labelLevel->setText(tr("Medium"));
    } else if (level == 3) {
        for (QLabel* bar : bars)
            bar->setPixmap(QPixmap(meterImage("green")));
        m_ui->m_labelLevel->setText(tr("Strong"));
    }
}

void ResetPasswordDialog::onClearWarningInfo() {
    m_ui->m_lineEditFilePath->clearMark(m_ui->m_labelHintFilePath);
    m_ui->m_lineEditNewPassword->clearMark(m_ui->m_labelHintNewPassword);
    m_ui->m_lineEditConfirmPassword->clearMark(m_ui->m_labelHintConfirmPassword);
}

void ResetPasswordDialog::onClearFilePathError() {
    m_ui->m_lineEditFilePath->clearMark(m_ui->m_labelHintFilePath);
}

void ResetPasswordDialog::setBusy(bool busy) {
    showBusy(busy, m_ui->m_progressBusy);
}

void ResetPasswordDialog::warn(int kind, const QString& text, aptui::MultiStateLineEdit* field, QLabel* hint,
                               bool tall) {
    const QPoint position = WarningDialog::centredOn(this);
    if (tall)
        WarningDialog::showLongWarning(position, kind, text, this, field, hint);
    else
        WarningDialog::showWarning(position, kind, text, this, field, hint);
}

} // namespace VexaTool
