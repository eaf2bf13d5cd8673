#include "siteops/OnvifPasswordDialog.h"

#include <algorithm>

#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "aptui/FilePathButton.h"
#include "siteops/StrengthMeter.h"

namespace VexaTool {

namespace {

constexpr int kMaxPasswordBytes = 64;

QLabel* wrapped(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

OnvifPasswordDialog::OnvifPasswordDialog(int devices, const QString& userName, QWidget* parent)
    : aptui::BaseDialog(false, false, false, false, true, true, true, parent)
    , m_userName(userName) {
    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("OnvifPasswordDialog_centerWidget"));
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(wrapped(tr("Change the password of the ONVIF user \"%1\" on %n device(s). A change counts as "
                                 "done only when the device signs in with the new password.",
                                 nullptr, devices)
                                  .arg(userName),
                              "m_labelCaption", content));
    m_shared = new QRadioButton(tr("One new password for all devices"), content);
    m_shared->setObjectName(QStringLiteral("m_radioShared"));
    m_shared->setChecked(true);
    layout->addWidget(m_shared);
    auto* form = new QFormLayout;
    m_newPassword = new QLineEdit(content);
    m_newPassword->setObjectName(QStringLiteral("m_lineEditNewPassword"));
    m_confirm = new QLineEdit(content);
    m_confirm->setObjectName(QStringLiteral("m_lineEditConfirmPassword"));
    for (QLineEdit* edit : {m_newPassword, m_confirm}) {
        edit->setEchoMode(QLineEdit::Password);
        edit->setContextMenuPolicy(Qt::NoContextMenu);
    }
    auto* newLabel = new QLabel(tr("New password"), content);
    newLabel->setBuddy(m_newPassword);
    auto* confirmLabel = new QLabel(tr("Confirm password"), content);
    confirmLabel->setBuddy(m_confirm);
    m_newPassword->setAccessibleName(tr("New password"));
    m_confirm->setAccessibleName(tr("Confirm password"));
    m_meter = new StrengthMeter(content);
    form->addRow(newLabel, m_newPassword);
    form->addRow(QString(), m_meter);
    form->addRow(confirmLabel, m_confirm);
    layout->addLayout(form);
    layout->addWidget(wrapped(tr("When every device takes it, this run's sign-in uses it, and so does a remembered "
                                 "sign-in in the keyring."),
                              "m_labelSharedNote", content));

    m_generated = new QRadioButton(tr("A generated password for each device"), content);
    m_generated->setObjectName(QStringLiteral("m_radioGenerated"));
    layout->addWidget(m_generated);
    auto* fileRow = new QHBoxLayout;
    m_file = new QLineEdit(content);
    m_file->setObjectName(QStringLiteral("m_lineEditFile"));
    m_file->setPlaceholderText(tr("A new file for the passwords"));
    m_file->setAccessibleName(tr("Password file"));
    auto* choose = new aptui::FilePathButton(content);
    choose->setObjectName(QStringLiteral("m_btnChooseFile"));
    choose->setAccessibleName(tr("Choose the password file"));
    fileRow->addWidget(m_file);
    fileRow->addWidget(choose);
    layout->addLayout(fileRow);
    layout->addWidget(wrapped(tr("Warning: this file holds the devices' passwords in plain text, readable by you "
                                 "only. Keep it safe. Generated passwords are not remembered in the keyring; each "
                                 "device signs in with its own during this run."),
                              "m_labelFileWarning", content));
    m_hint = wrapped(QString(), "m_labelHint", content);
    layout->addWidget(m_hint);
    layout->addStretch();
    setContentWidget(content);
    setTitle(tr("Change ONVIF password"));
    resize(500, 480);

    connect(m_generated, &QRadioButton::toggled, this, &OnvifPasswordDialog::updateEnabled);
    connect(m_newPassword, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_meter->setPassword(m_userName, text); });
    connect(choose, &QToolButton::clicked, this, &OnvifPasswordDialog::chooseFile);
    setEnableConfirm(false);
    connect(this, &BaseDialog::signalConfirmButtonClicked, this, [this] {
        if (validate())
            accept();
    });
    updateEnabled();
}

OnvifPasswordDialog::~OnvifPasswordDialog() {
    // The editors' buffers are Qt's; at least what the dialog hands out is not left behind in them.
    m_newPassword->clear();
    m_confirm->clear();
}

bool OnvifPasswordDialog::generated() const {
    return m_generated->isChecked();
}

QString OnvifPasswordDialog::password() const {
    return m_newPassword->text();
}

QString OnvifPasswordDialog::filePath() const {
    return m_file->text().trimmed();
}

void OnvifPasswordDialog::updateEnabled() {
    const bool generated = m_generated->isChecked();
    m_newPassword->setEnabled(!generated);
    m_confirm->setEnabled(!generated);
    m_meter->setEnabled(!generated);
    m_file->setEnabled(generated);
    m_hint->clear();
}

void OnvifPasswordDialog::chooseFile() {
    const QString path =
        m_chooser ? m_chooser()
                  : QFileDialog::getSaveFileName(this, tr("Save the passwords"),
                                                 QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                                                     QStringLiteral("/onvif-passwords.csv"),
                                                 tr("CSV files (*.csv)"));
    if (!path.isEmpty()) {
        m_generated->setChecked(true);
        m_file->setText(path);
    }
}

bool OnvifPasswordDialog::validate() {
    const auto fail = [this](const QString& reason, QWidget* focus) {
        m_hint->setText(reason);
        focus->setFocus();
        return false;
    };
    if (m_generated->isChecked()) {
        const QString path = filePath();
        if (path.isEmpty())
            return fail(tr("Choose a file for the generated passwords."), m_file);
        if (QFileInfo::exists(path))
            return fail(tr("%1 exists already; choose a new file.").arg(path), m_file);
        return true;
    }
    const QString text = m_newPassword->text();
    if (m_meter->setPassword(m_userName, text) == 0)
        return fail(tr("The password needs at least 8 characters of two kinds (digits, letters, signs), and must "
                       "not be the user name."),
                    m_newPassword);
    const bool printable = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isPrint(); });
    if (!printable || text.toUtf8().size() > kMaxPasswordBytes)
        return fail(tr("The password must be printable and at most %1 bytes long.").arg(kMaxPasswordBytes),
                    m_newPassword);
    if (text != m_confirm->text())
        return fail(tr("The two passwords differ."), m_confirm);
    return true;
}

} // namespace VexaTool
