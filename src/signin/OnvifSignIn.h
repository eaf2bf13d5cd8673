#pragma once

#include <memory>

#include <QObject>
#include <QString>
#include <QStringList>

#include "signin/OnvifCredentialStore.h"

class QWidget;

namespace VexaTool {

// The sign-in to ONVIF devices: loads a remembered login at start, asks for one in SignInDialog, fills
// VEXA::OnvifLogin (which the discovery handler hands to the library) and keeps the login in the store, or
// forgets it there, as the user chose. The login goes to the devices listed when the user signs in (those of a
// remembered sign-in at start), or to every device when the user chose "Sign in to new devices automatically".
// GUI thread only.
class OnvifSignIn : public QObject {
    Q_OBJECT

public:
    // store null: the system keyring.
    explicit OnvifSignIn(std::unique_ptr<OnvifCredentialStore> store = nullptr, QObject* parent = nullptr);
    ~OnvifSignIn() override;

    // Asks the store for a remembered login without waiting; it becomes the run's login unless one was set
    // meanwhile. A store that fails (no keyring service) leaves everything as it was, silently.
    void loadRemembered();
    bool isRemembered() const { return m_remembered; }

    // Shows the dialog; true when the user signed in. listed: the ONVIF devices in the list now (endpoint
    // references), those the login goes to.
    bool exec(QWidget* parent, const QStringList& listed);
    // What "Sign in" does with the dialog's answer.
    void apply(const QString& user, const QString& password, bool remember, const QStringList& listed = {},
               bool automatic = false);
    // The run's login took a new password (every device it went to took it): a remembered login is saved again.
    void rememberAgain();
    // Whether the last sign-in, or the remembered one, gives the login to devices found later too.
    bool isAutomatic() const { return m_automatic; }

signals:
    void rememberedLoaded(bool found);
    // After a save or forget in the store: ok false when the store refused.
    void storeFinished(bool ok);

private:
    std::unique_ptr<OnvifCredentialStore> m_store;
    bool m_remembered = false;
    bool m_automatic = false;
};

} // namespace VexaTool
