// The sign-in to ONVIF devices: the dialog's fields and names, the run's login it fills, and what is remembered in
// the keyring (a fake here, so that no test needs a keyring service).

#include <cstring>
#include <functional>
#include <memory>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "discovery/OnvifLogin.h"
#include "signin/KeyringCredentialStore.h"
#include "signin/OnvifSignIn.h"
#include "signin/SignInDialog.h"
#include "support/FakeLibrary.h"

using VexaTool::OnvifCredentialStore;
using VexaTool::OnvifSignIn;
using VexaTool::SignInDialog;

namespace {

// A keyring in memory that answers on the next turn of the event loop, as a real one does; broken: every job
// fails, as on a machine without a keyring service.
struct FakeKeyring {
    QString user;
    QString password;
    bool automatic = false;
    QStringList endpoints;
    bool broken = false;
    int saves = 0;
    int forgets = 0;
};

class FakeStore : public OnvifCredentialStore {
public:
    explicit FakeStore(std::shared_ptr<FakeKeyring> keyring)
        : m_keyring(std::move(keyring)) {}

    void load(QObject* context, std::function<void(const VexaTool::RememberedLogin&)> done) override {
        QTimer::singleShot(0, context, [keyring = m_keyring, done] {
            if (keyring->broken)
                done({});
            else
                done({keyring->user, keyring->password, keyring->automatic, keyring->endpoints});
        });
    }
    void save(const VexaTool::RememberedLogin& login, QObject* context, std::function<void(bool)> done) override {
        ++m_keyring->saves;
        QTimer::singleShot(0, context, [keyring = m_keyring, login, done] {
            if (!keyring->broken) {
                keyring->user = login.user;
                keyring->password = login.password;
                keyring->automatic = login.automatic;
                keyring->endpoints = login.endpoints;
            }
            done(!keyring->broken);
        });
    }
    void forget(QObject* context, std::function<void(bool)> done) override {
        ++m_keyring->forgets;
        QTimer::singleShot(0, context, [keyring = m_keyring, done] {
            if (!keyring->broken) {
                keyring->user.clear();
                keyring->password.clear();
            }
            done(!keyring->broken);
        });
    }

private:
    std::shared_ptr<FakeKeyring> m_keyring;
};

} // namespace

class TestSignIn : public QObject {
    Q_OBJECT

private slots:
    void init() { VEXA::OnvifLogin::instance().clear(); }

    void dialogFields() {
        SignInDialog dialog;
        QCOMPARE(dialog.userEdit()->text(), QStringLiteral("admin"));
        QCOMPARE(dialog.passwordEdit()->echoMode(), QLineEdit::Password);
        QVERIFY(!dialog.rememberBox()->isChecked());
        QVERIFY(dialog.signInButton()->isEnabled());
        // No user name, no sign-in.
        dialog.userEdit()->setText(QStringLiteral("  "));
        QVERIFY(!dialog.signInButton()->isEnabled());
        dialog.setLogin(QStringLiteral("operator"), QStringLiteral("Secret-1"), true);
        QCOMPARE(dialog.user(), QStringLiteral("operator"));
        QCOMPARE(dialog.password(), QStringLiteral("Secret-1"));
        QVERIFY(dialog.remember());
        // Every editor is reached through its label's shortcut and read by its name.
        for (QLineEdit* edit : {dialog.userEdit(), dialog.passwordEdit()}) {
            QVERIFY(!edit->accessibleName().isEmpty());
            bool hasBuddy = false;
            for (const QLabel* label : dialog.findChildren<QLabel*>())
                hasBuddy = hasBuddy || label->buddy() == edit;
            QVERIFY2(hasBuddy, qPrintable(edit->objectName()));
        }
        for (const char* name : {"m_editUser", "m_editPassword", "m_checkRemember", "m_btnSignIn", "m_btnCancel"})
            QVERIFY2(dialog.findChild<QWidget*>(QString::fromLatin1(name)), name);
    }

    void signInThroughTheDialog() {
        auto keyring = std::make_shared<FakeKeyring>();
        OnvifSignIn signIn(std::make_unique<FakeStore>(keyring));
        QSignalSpy changed(&VEXA::OnvifLogin::instance(), &VEXA::OnvifLogin::changed);
        QTimer::singleShot(0, this, [] {
            auto* dialog = qobject_cast<SignInDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->userEdit()->setText(QStringLiteral("operator"));
            QTest::keyClicks(dialog->passwordEdit(), QStringLiteral("Camera-2024"));
            dialog->rememberBox()->setChecked(true);
            dialog->signInButton()->click();
        });
        QVERIFY(signIn.exec(nullptr, {}));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(VEXA::OnvifLogin::instance().user(), QStringLiteral("operator"));
        QCOMPARE(VEXA::OnvifLogin::instance().password(), QStringLiteral("Camera-2024"));
        QTRY_COMPARE(keyring->user, QStringLiteral("operator"));
        QCOMPARE(keyring->password, QStringLiteral("Camera-2024"));
        QVERIFY(signIn.isRemembered());
    }

    void cancelChangesNothing() {
        auto keyring = std::make_shared<FakeKeyring>();
        OnvifSignIn signIn(std::make_unique<FakeStore>(keyring));
        VEXA::OnvifLogin::instance().set(QStringLiteral("admin"), QStringLiteral("Old-Pass1"));
        QTimer::singleShot(0, this, [] {
            auto* dialog = qobject_cast<SignInDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            // Prefilled from the run's login.
            QCOMPARE(dialog->password(), QStringLiteral("Old-Pass1"));
            dialog->passwordEdit()->setText(QStringLiteral("New-Pass1"));
            dialog->reject();
        });
        QVERIFY(!signIn.exec(nullptr, {}));
        QCOMPARE(VEXA::OnvifLogin::instance().password(), QStringLiteral("Old-Pass1"));
        QCOMPARE(keyring->saves + keyring->forgets, 0);
    }

    void remembering_data() {
        QTest::addColumn<bool>("broken");
        QTest::addColumn<bool>("rememberedBefore");
        QTest::addColumn<bool>("remember");
        QTest::addColumn<QString>("keptUser");
        QTest::addColumn<bool>("rememberedAfter");
        QTest::newRow("remember") << false << false << true << QStringLiteral("operator") << true;
        QTest::newRow("untick forgets") << false << true << false << QString() << false;
        QTest::newRow("no keyring service") << true << false << true << QString() << false;
    }

    void remembering() {
        QFETCH(bool, broken);
        QFETCH(bool, rememberedBefore);
        QFETCH(bool, remember);
        QFETCH(QString, keptUser);
        QFETCH(bool, rememberedAfter);
        auto keyring = std::make_shared<FakeKeyring>();
        if (rememberedBefore) {
            keyring->user = QStringLiteral("old");
            keyring->password = QStringLiteral("Old-Pass1");
        }
        OnvifSignIn signIn(std::make_unique<FakeStore>(keyring));
        QSignalSpy loaded(&signIn, &OnvifSignIn::rememberedLoaded);
        signIn.loadRemembered();
        QVERIFY(loaded.wait());
        keyring->broken = broken;
        QSignalSpy finished(&signIn, &OnvifSignIn::storeFinished);
        signIn.apply(QStringLiteral("operator"), QStringLiteral("Camera-2024"), remember);
        // The run's login is set whatever the keyring does.
        QCOMPARE(VEXA::OnvifLogin::instance().user(), QStringLiteral("operator"));
        QVERIFY(finished.wait());
        QCOMPARE(finished.at(0).at(0).toBool(), !broken);
        QCOMPARE(keyring->user, broken && rememberedBefore ? QStringLiteral("old") : keptUser);
        QCOMPARE(signIn.isRemembered(), rememberedAfter);
    }

    void rememberedLoginLoadsWithoutOverridingOne() {
        auto keyring = std::make_shared<FakeKeyring>();
        keyring->user = QStringLiteral("kept");
        keyring->password = QStringLiteral("Kept-Pass1");
        {
            OnvifSignIn signIn(std::make_unique<FakeStore>(keyring));
            QSignalSpy loaded(&signIn, &OnvifSignIn::rememberedLoaded);
            signIn.loadRemembered();
            // Asynchronous: nothing before the keyring answers.
            QVERIFY(!VEXA::OnvifLogin::instance().isSet());
            QVERIFY(loaded.wait());
            QCOMPARE(VEXA::OnvifLogin::instance().user(), QStringLiteral("kept"));
            QVERIFY(signIn.isRemembered());
        }
        VEXA::OnvifLogin::instance().set(QStringLiteral("typed"), QStringLiteral("Typed-Pass1"));
        OnvifSignIn again(std::make_unique<FakeStore>(keyring));
        QSignalSpy loaded(&again, &OnvifSignIn::rememberedLoaded);
        again.loadRemembered();
        QVERIFY(loaded.wait());
        QCOMPARE(VEXA::OnvifLogin::instance().user(), QStringLiteral("typed"));
        // A store that fails loads nothing and says nothing.
        keyring->broken = true;
        VEXA::OnvifLogin::instance().clear();
        OnvifSignIn broken(std::make_unique<FakeStore>(keyring));
        QSignalSpy none(&broken, &OnvifSignIn::rememberedLoaded);
        broken.loadRemembered();
        QVERIFY(none.wait());
        QCOMPARE(none.at(0).at(0).toBool(), false);
        QVERIFY(!VEXA::OnvifLogin::instance().isSet());
    }

    void keyringEntryText_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<QStringList>("endpoints");
        const QStringList two{QStringLiteral("urn:uuid:a"), QStringLiteral("urn:uuid:b")};
        QTest::newRow("own") << VexaTool::encodeLogin({QStringLiteral("ad\"min"), QStringLiteral("p\\w"), false, two})
                             << true << QStringLiteral("ad\"min") << false << two;
        QTest::newRow("own, automatic") << VexaTool::encodeLogin(
                                               {QStringLiteral("admin"), QStringLiteral("p\\w"), true, {}})
                                        << true << QStringLiteral("admin") << true << QStringList();
        // What an earlier version kept: no devices, not automatic.
        QTest::newRow("earlier version") << QByteArray(R"({"user":"admin","password":"p\\w"})") << true
                                         << QStringLiteral("admin") << false << QStringList();
        QTest::newRow("devices not texts") << QByteArray(R"({"user":"admin","password":"p\\w","devices":[1,"",{}]})")
                                           << true << QStringLiteral("admin") << false << QStringList();
        QTest::newRow("garbage") << QByteArray("admin:secret") << false << QString() << false << QStringList();
        QTest::newRow("no user") << QByteArray(R"({"user":"","password":"x"})") << false << QString() << false
                                 << QStringList();
        QTest::newRow("wrong types") << QByteArray(R"({"user":1,"password":"x"})") << false << QString() << false
                                     << QStringList();
    }

    void keyringEntryText() {
        QFETCH(QByteArray, data);
        QFETCH(bool, ok);
        QFETCH(QString, user);
        QFETCH(bool, automatic);
        QFETCH(QStringList, endpoints);
        VexaTool::RememberedLogin read;
        QCOMPARE(VexaTool::decodeLogin(data, read), ok);
        QCOMPARE(read.user, user);
        QCOMPARE(read.automatic, automatic);
        QCOMPARE(read.endpoints, endpoints);
        if (ok)
            QCOMPARE(read.password, QStringLiteral("p\\w"));
    }

    // The login goes to the devices listed at the sign-in, or to every device when the user chose so, and the
    // library is told exactly that; a remembered sign-in brings back the same scope.
    void loginGoesWhereTheUserSendsIt_data() {
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<bool>("remember");
        QTest::newRow("listed devices") << false << false;
        QTest::newRow("listed devices, remembered") << false << true;
        QTest::newRow("every device") << true << false;
        QTest::newRow("every device, remembered") << true << true;
    }

    void loginGoesWhereTheUserSendsIt() {
        QFETCH(bool, automatic);
        QFETCH(bool, remember);
        fakelib::reset();
        fakelib::install();
        VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
        QVERIFY(handler->start());
        auto keyring = std::make_shared<FakeKeyring>();
        const QStringList listed{QStringLiteral("urn:uuid:b"), QStringLiteral("urn:uuid:a")};
        {
            OnvifSignIn signIn(std::make_unique<FakeStore>(keyring));
            QString scope;
            bool offUnlessChosen = false;
            QTimer::singleShot(0, this, [automatic, &scope, &offUnlessChosen] {
                auto* dialog = qobject_cast<SignInDialog*>(QApplication::activeModalWidget());
                if (!dialog)
                    return;
                scope = dialog->findChild<QLabel*>(QStringLiteral("m_labelScope"))->text();
                offUnlessChosen =
                    !dialog->automaticBox()->isChecked() && !dialog->automaticBox()->accessibleName().isEmpty();
                dialog->passwordEdit()->setText(QStringLiteral("Camera-2024"));
                dialog->automaticBox()->setChecked(automatic);
                dialog->signInButton()->click();
            });
            QVERIFY(signIn.exec(nullptr, listed));
            QVERIFY2(scope.contains(QStringLiteral("2 ONVIF device")), qPrintable(scope));
            QVERIFY(offUnlessChosen);
            if (remember) {
                QSignalSpy finished(&signIn, &OnvifSignIn::storeFinished);
                signIn.apply(QStringLiteral("admin"), QStringLiteral("Camera-2024"), true, listed, automatic);
                QVERIFY(finished.wait());
            }
        }
        auto check = [&](const char* when) {
            QVERIFY2(fakelib::onvifEvery == automatic, when);
            QVERIFY2(fakelib::onvifGiven.keys() ==
                         (automatic ? QList<QByteArray>() : QList<QByteArray>{"urn:uuid:a", "urn:uuid:b"}),
                     when);
            const VEXA::OnvifLogin& login = VEXA::OnvifLogin::instance();
            QVERIFY2(login.covers(QStringLiteral("urn:uuid:a")), when);
            QVERIFY2(login.covers(QStringLiteral("urn:uuid:later")) == automatic, when);
        };
        check("signed in");
        if (!automatic) {
            // A device heard later gets no login; one of the scope that went and came back gets it again.
            auto report = [handler](const char* endpoint, int event) {
                VEXA_DEVICE_INFO info{};
                std::memcpy(info.recordTag, "VXDP1", 5);
                info.protocol = VEXA_PROTOCOL_ONVIF;
                info.detailsState = VEXA_DETAILS_NEED_LOGIN;
                info.eventType = event;
                std::memcpy(info.endpointReference, endpoint, std::strlen(endpoint));
                VEXA::VexaHandler::deviceCallback(&info, handler);
            };
            report("urn:uuid:later", VEXA_EVENT_NEW);
            report("urn:uuid:a", VEXA_EVENT_GONE);
            QTest::qWait(0);
            fakelib::onvifGiven.remove("urn:uuid:a"); // the library forgets a device that goes
            report("urn:uuid:a", VEXA_EVENT_NEW);
            QTRY_VERIFY(fakelib::onvifGiven.contains("urn:uuid:a"));
            check("devices came and went");
        }
        if (remember) {
            // The next run: the remembered sign-in goes to the same devices, and no further.
            VEXA::OnvifLogin::instance().clear();
            QVERIFY(!fakelib::onvifEvery && fakelib::onvifGiven.isEmpty());
            OnvifSignIn next(std::make_unique<FakeStore>(keyring));
            QSignalSpy loaded(&next, &OnvifSignIn::rememberedLoaded);
            next.loadRemembered();
            QVERIFY(loaded.wait());
            QCOMPARE(next.isAutomatic(), automatic);
            check("remembered");
        }
        handler->stop();
    }
};

QTEST_MAIN(TestSignIn)
#include "tst_signin.moc"
