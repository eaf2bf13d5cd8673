#include "signin/SignInDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "ui_SignInDialog.h"

namespace VexaTool {

SignInDialog::SignInDialog(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::SignInDialog>()) {
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_ui->m_editUser->setText(QStringLiteral("admin"));
    setScope(0, false);
    connect(m_ui->m_editUser, &QLineEdit::textChanged, this, &SignInDialog::updateButtons);
    connect(m_ui->m_btnSignIn, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    updateButtons();
}

SignInDialog::~SignInDialog() {
    clearPassword();
}

void SignInDialog::setLogin(const QString& user, const QString& password, bool remembered) {
    m_ui->m_editUser->setText(user.isEmpty() ? QStringLiteral("admin") : user);
    m_ui->m_editPassword->setText(password);
    m_ui->m_checkRemember->setChecked(remembered);
    if (!user.isEmpty())
        m_ui->m_editPassword->setFocus();
}

QString SignInDialog::user() const {
    return m_ui->m_editUser->text().trimmed();
}

QString SignInDialog::password() const {
    return m_ui->m_editPassword->text();
}

bool SignInDialog::remember() const {
    return m_ui->m_checkRemember->isChecked();
}

void SignInDialog::setScope(int listedDevices, bool automatic) {
    m_ui->m_labelScope->setText(
        tr("The login goes to the %n ONVIF device(s) listed now. A device found later shows “Sign-in needed” "
           "until you sign in again.",
           nullptr, listedDevices));
    m_ui->m_checkAutomatic->setChecked(automatic);
}

bool SignInDialog::automatic() const {
    return m_ui->m_checkAutomatic->isChecked();
}

void SignInDialog::clearPassword() {
    m_ui->m_editPassword->clear();
}

QLineEdit* SignInDialog::userEdit() const {
    return m_ui->m_editUser;
}

QLineEdit* SignInDialog::passwordEdit() const {
    return m_ui->m_editPassword;
}

QCheckBox* SignInDialog::rememberBox() const {
    return m_ui->m_checkRemember;
}

QCheckBox* SignInDialog::automaticBox() const {
    return m_ui->m_checkAutomatic;
}

QPushButton* SignInDialog::signInButton() const {
    return m_ui->m_btnSignIn;
}

void SignInDialog::updateButtons() {
    m_ui->m_btnSignIn->setEnabled(!user().isEmpty());
}

} // namespace VexaTool
