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
    m_store->load(this, [this](const RememberedLogin& remembered) {
        const bool found = !remembered.user.isEmpty();
        if (found) {
            m_remembered = true;
            VEXA::OnvifLogin& login = VEXA::OnvifLogin::instance();
            // The user may have signed in by hand while the keyring was answering: that login stands.
            if (!login.isSet()) {
                m_automatic = remembered.automatic;
                login.assign(remembered.user, remembered.password, remembered.endpoints, remembered.automatic);
            }
        }
        emit rememberedLoaded(found);
    });
}

bool OnvifSignIn::exec(QWidget* parent, const QStringList& listed) {
    SignInDialog dialog(parent);
    const VEXA::OnvifLogin& login = VEXA::OnvifLogin::instance();
    dialog.setLogin(login.user(), login.password(), m_remembered);
    dialog.setScope(static_cast<int>(listed.size()), m_automatic);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    apply(dialog.user(), dialog.password(), dialog.remember(), listed, dialog.automatic());
    dialog.clearPassword();
    return true;
}

void OnvifSignIn::apply(const QString& user, const QString& password, bool remember, const QStringList& listed,
                        bool automatic) {
    VEXA::OnvifLogin& login = VEXA::OnvifLogin::instance();
    m_automatic = automatic;
    login.assign(user, password, listed, automatic);
    if (remember && !user.isEmpty()) {
        RememberedLogin kept{user, password, automatic, listed};
        m_store->save(kept, this, [this](bool ok) {
            m_remembered = ok;
            emit storeFinished(ok);
        });
        kept.wipe();
    } else {
        // Unticked: what an earlier run remembered goes too.
        m_store->forget(this, [this](bool ok) {
            if (ok)
                m_remembered = false;
            emit storeFinished(ok);
        });
    }
}

void OnvifSignIn::rememberAgain() {
    const VEXA::OnvifLogin& login = VEXA::OnvifLogin::instance();
    if (!m_remembered || !login.isSet())
        return;
    RememberedLogin kept{login.user(), login.password(), login.isAutomatic(), login.endpoints()};
    m_store->save(kept, this, [this](bool ok) {
        m_remembered = ok;
        emit storeFinished(ok);
    });
    kept.wipe();
}

} // namespace VexaTool
