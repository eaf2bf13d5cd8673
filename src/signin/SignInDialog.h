#pragma once

#include <memory>

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace Ui {
class SignInDialog;
}

namespace VexaTool {

// Asks for the one ONVIF user name and password of this run and says how many listed devices it goes to. Prefilled
// from the run's login (user "admin" when there is none); "Sign in" is offered once a user name is typed. What the
// user chose is read back after accept().
class SignInDialog : public QDialog {
    Q_OBJECT

public:
    explicit SignInDialog(QWidget* parent = nullptr);
    ~SignInDialog() override;

    void setLogin(const QString& user, const QString& password, bool remembered);
    // How many ONVIF devices are listed now, and whether later ones get the login too.
    void setScope(int listedDevices, bool automatic);
    QString user() const;
    QString password() const;
    bool remember() const;
    bool automatic() const;
    // Clears the typed password from the editor once it has been taken.
    void clearPassword();

    QLineEdit* userEdit() const;
    QLineEdit* passwordEdit() const;
    QCheckBox* rememberBox() const;
    QCheckBox* automaticBox() const;
    QPushButton* signInButton() const;

private:
    void updateButtons();

    std::unique_ptr<Ui::SignInDialog> m_ui;
};

} // namespace VexaTool
