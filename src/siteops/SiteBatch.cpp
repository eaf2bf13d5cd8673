#include "siteops/SiteBatch.h"

#include <algorithm>

#include "discovery/OnvifLogin.h"
#include "discovery/VexaHandler.h"
#include "plan/PlanDevices.h"

namespace VexaTool {

namespace {

plan::ApplyOutcome outcomeOfCall(bool ok) {
    plan::ApplyOutcome outcome;
    static_cast<Outcome&>(outcome) = Outcome::ofCall(ok, ok ? 0 : VEXA_GetLastError());
    if (!ok) {
        char detail[256] = {};
        if (VEXA_GetLastErrorDetail(detail, sizeof detail) > 0)
            outcome.detail = plan::fieldText(detail);
    }
    return outcome;
}

QStringList sentTo(const QVector<SiteBatch::Target>& targets) {
    QStringList endpoints;
    for (const SiteBatch::Target& target : targets)
        if (target.leftOut.isEmpty())
            endpoints << recordText(target.record.endpointReference);
    return endpoints;
}

} // namespace

SiteBatch::SiteBatch(int maxThreads, QObject* parent)
    : QObject(parent)
    , m_batch(new PlanBatch(maxThreads, this)) {
    m_batch->setResultForm(ErrorText::Form::BatchModification);
    connect(m_batch, &PlanBatch::signalProgress, this, &SiteBatch::signalProgress);
    connect(m_batch, &PlanBatch::signalFinished, this, &SiteBatch::onFinished);
    connect(m_batch, &PlanBatch::signalSettled, this, &SiteBatch::onSettled);
}

SiteBatch::~SiteBatch() {
    delete m_batch; // waits for the workers before the passwords go
    m_batch = nullptr;
    wipePasswords();
}

bool SiteBatch::start(Kind kind, const QVector<Target>& targets,
                      const std::function<PlanBatch::Change(const Target& target, int index)>& make) {
    if (m_batch->isBusy())
        return false;
    if (std::all_of(targets.cbegin(), targets.cend(), [](const Target& t) { return !t.leftOut.isEmpty(); }))
        return false;
    std::vector<PlanBatch::Change> changes;
    std::vector<plan::PlanDevice> devices;
    for (qsizetype i = 0; i < targets.size(); ++i) {
        const Target& target = targets.at(i);
        devices.push_back(planDeviceFromRecord(target.record));
        PlanBatch::Change change;
        if (target.leftOut.isEmpty())
            change = make(target, static_cast<int>(i));
        change.change.device = static_cast<int>(i);
        change.change.row = static_cast<int>(i);
        // The receipt's address columns: the device stays where it is.
        change.change.oldAddress = recordText(target.record.ipv4Address).toStdString();
        change.change.newAddress = change.change.oldAddress;
        change.name = devices.back().name;
        change.label = target.label;
        change.leftOut = target.leftOut;
        changes.push_back(std::move(change));
    }
    m_kind = kind;
    m_targets = targets;
    m_finished = false;
    return m_batch->start(std::move(changes), std::move(devices), {}, plan::Credentials());
}

bool SiteBatch::startSetTime(const QVector<Target>& targets, const VEXA_TIME_PARAM& params) {
    return start(Kind::SetTime, targets, [params](const Target& target, int) {
        PlanBatch::Change change;
        change.operation = [params, name = recordText(target.record.endpointReference).toUtf8()](QString& note) {
            VEXA_CLOCK_INFO after{};
            const bool ok = VEXA_SetDeviceTime(name.constData(), &params, nullptr, &after) != 0;
            plan::ApplyOutcome outcome = outcomeOfCall(ok);
            if (ok && (after.flags & VEXA_CLOCK_ZONE_REFUSED))
                note = tr("The device refused the time zone; the time was set without it.");
            return outcome;
        };
        return change;
    });
}

bool SiteBatch::startPasswords(const QVector<Target>& targets, const QStringList& passwords, bool shared) {
    if (passwords.size() != targets.size() || m_batch->isBusy())
        return false;
    wipePasswords();
    auto kept = std::make_shared<std::vector<QByteArray>>();
    for (const QString& password : passwords)
        kept->push_back(password.toUtf8());
    m_passwords = kept;
    m_shared = shared;
    const bool started = start(Kind::Password, targets, [kept](const Target& target, int index) {
        PlanBatch::Change change;
        change.operation = [kept, index, name = recordText(target.record.endpointReference).toUtf8()](QString&) {
            const QByteArray& password = (*kept)[static_cast<std::size_t>(index)];
            return outcomeOfCall(VEXA_SetUserPassword(name.constData(), password.constData()) != 0);
        };
        return change;
    });
    if (!started)
        wipePasswords();
    return started;
}

void SiteBatch::onSettled(int index) {
    if (!m_finished)
        return;
    // A call stopped in flight settles after the run finished: a device that took its new password then keeps it
    // as a login of its own. The passwords stay until the last such call is back.
    if (m_kind == Kind::Password && m_passwords && m_batch->entries().at(index).outcome.isDone())
        keepOwnLogins({index});
    if (!m_batch->isBusy())
        wipePasswords();
}

void SiteBatch::keepOwnLogins(const QList<int>& indexes) {
    VEXA::OnvifLogin& login = VEXA::OnvifLogin::instance();
    if (!login.isSet() || indexes.isEmpty())
        return;
    // They leave the shared login's scope, so that it is never sent to them again; each keeps its own login in the
    // library.
    QStringList endpoints;
    for (const int i : indexes)
        endpoints << recordText(m_targets.at(i).record.endpointReference);
    login.keepOwnLogin(endpoints);
    VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
    for (qsizetype k = 0; k < indexes.size(); ++k)
        handler->setOnvifCredentialsFor({endpoints.at(k)}, login.user(),
                                        QString::fromUtf8((*m_passwords)[static_cast<std::size_t>(indexes.at(k))]));
}

void SiteBatch::onFinished() {
    m_finished = true;
    if (m_kind == Kind::SetTime) {
        emit signalClocksSet(sentTo(m_targets));
    } else if (m_passwords) {
        VEXA::OnvifLogin& login = VEXA::OnvifLogin::instance();
        // Every device it was sent to (those left out were never meant to take it).
        bool everyDeviceTook = true;
        for (qsizetype i = 0; i < m_targets.size(); ++i)
            everyDeviceTook =
                everyDeviceTook && (!m_targets.at(i).leftOut.isEmpty() || m_batch->entries().at(i).outcome.isDone());
        if (m_shared && everyDeviceTook && login.isSet()) {
            // The run's login goes on with the new password (the devices already use it in the library).
            login.assign(login.user(), QString::fromUtf8(m_passwords->front()), login.endpoints(), login.isAutomatic());
            emit signalSharedPasswordTaken();
        } else {
            QList<int> done;
            for (qsizetype i = 0; i < m_targets.size(); ++i)
                if (m_batch->entries().at(i).outcome.isDone())
                    done << static_cast<int>(i);
            keepOwnLogins(done);
        }
    }
    if (!m_batch->isBusy())
        wipePasswords();
    emit signalFinished();
}

void SiteBatch::wipePasswords() {
    if (!m_passwords)
        return;
    for (QByteArray& password : *m_passwords)
        password.fill('\0');
    m_passwords.reset();
}

} // namespace VexaTool
