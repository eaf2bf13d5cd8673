#include "signin/OnvifSignIn.h"

#include "discovery/OnvifLogin.h"
#include "signin/KeyringCredentialStore.h"
#include "signin/SignInDialog.h"

namespace VexaTool {

OnvifSignIn::OnvifSignIn(std::unique_ptr<OnvifCredentialStore> store, QObject* parent)
    : QObject(parent)
    , m_store(store ? std::move(store) : std::make_unique<KeyringCredentialStore>()) {}

OnvifSignIn::~OnvifSignIn() = default;

void OnvifSignIn::loadRemembered() {
    m_store->load(this, [this](const QString& user, const QString& password) {
        const bool found = !user.isEmpty();
        if (found) {
            m_remembered = true;
            VEXA::OnvifLogin& login = VEXA::OnvifLogin::instance();
            // The user may have signed in by hand while the keyring was answering: that login stands.
            if (!login.isSet())
                login.set(user, password);
        }
        emit rememberedLoaded(found);
    });
}

bool OnvifSignIn::exec(QWidget* parent) {
    SignInDialog dialog(parent);
    const VEXA::OnvifLogin& login = VEXA::OnvifLogin::instance();
    dialog.setLogin(login.user(), login.password(), m_remembered);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    apply(dialog.user(), dialog.password(), dialog.remember());
    dialog.clearPassword();
    return true;
}

void OnvifSignIn::apply(const QString& user, const QString& password, bool remember) {
    VEXA::OnvifLogin::instance().set(user, password);
    if (remember && !user.isEmpty()) {
        m_store->save(user, password, this, [this](bool ok) {
            m_remembered = ok;
            emit storeFinished(ok);
        });
    } else {
        // Unticked: what an earlier run remembered goes too.
        m_store->forget(this, [this](bool ok) {
            if (ok)
                m_remembered = false;
            emit storeFinished(ok);
        });
    }
}

} // namespace VexaTool
