#include "siteops/SetTimeDialog.h"

#include <algorithm>
#include <cstring>

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "siteops/NtpServerList.h"

namespace VexaTool {

SetTimeDialog::SetTimeDialog(int devices, QWidget* parent)
    : aptui::BaseDialog(false, false, false, false, true, true, true, parent) {
    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("SetTimeDialog_centerWidget"));
    auto* layout = new QVBoxLayout(content);
    auto* caption = new QLabel(tr("Set the clock of %n device(s).", nullptr, devices), content);
    caption->setObjectName(QStringLiteral("m_labelCaption"));
    layout->addWidget(caption);
    m_manual = new QRadioButton(tr("This computer's time (UTC), set by hand"), content);
    m_manual->setObjectName(QStringLiteral("m_radioManual"));
    m_manual->setChecked(true);
    m_ntp = new QRadioButton(tr("From NTP servers"), content);
    m_ntp->setObjectName(QStringLiteral("m_radioNtp"));
    m_servers = new QLineEdit(content);
    m_servers->setObjectName(QStringLiteral("m_lineEditNtp"));
    m_servers->setPlaceholderText(tr("1 to 4 servers, e.g. 192.168.1.1, ntp.example.org"));
    m_servers->setAccessibleName(tr("NTP servers"));
    m_setZone = new QCheckBox(tr("Set the time zone"), content);
    m_setZone->setObjectName(QStringLiteral("m_checkZone"));
    m_zone = new QLineEdit(content);
    m_zone->setObjectName(QStringLiteral("m_lineEditZone"));
    m_zone->setPlaceholderText(tr("POSIX time zone, e.g. CET-1CEST,M3.5.0,M10.5.0/3"));
    m_zone->setAccessibleName(tr("Time zone"));
    m_zone->setMaxLength(static_cast<int>(sizeof m_params.timeZone) - 1);
    m_hint = new QLabel(content);
    m_hint->setObjectName(QStringLiteral("m_labelHint"));
    m_hint->setWordWrap(true);
    m_hint->setTextFormat(Qt::PlainText);
    for (QWidget* w : {static_cast<QWidget*>(m_manual), static_cast<QWidget*>(m_ntp), static_cast<QWidget*>(m_servers),
                       static_cast<QWidget*>(m_setZone), static_cast<QWidget*>(m_zone), static_cast<QWidget*>(m_hint)})
        layout->addWidget(w);
    auto* note = new QLabel(tr("Each device is read back afterwards: its clock must be within 2 s of this computer's, "
                               "or its NTP servers as sent."),
                            content);
    note->setObjectName(QStringLiteral("m_labelNote"));
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch();
    setContentWidget(content);
    setTitle(tr("Set time"));
    resize(460, 330);
    connect(m_ntp, &QRadioButton::toggled, this, &SetTimeDialog::updateEnabled);
    connect(m_setZone, &QCheckBox::toggled, this, &SetTimeDialog::updateEnabled);
    setEnableConfirm(false);
    connect(this, &BaseDialog::signalConfirmButtonClicked, this, [this] {
        if (validate())
            accept();
    });
    updateEnabled();
}

void SetTimeDialog::updateEnabled() {
    m_servers->setEnabled(m_ntp->isChecked());
    m_zone->setEnabled(m_setZone->isChecked());
    m_hint->clear();
}

bool SetTimeDialog::validate() {
    VEXA_TIME_PARAM params{};
    QString error;
    if (m_ntp->isChecked()) {
        const QByteArray servers = NtpServerList::join(NtpServerList::parse(m_servers->text(), &error));
        if (!error.isEmpty()) {
            m_hint->setText(error);
            m_servers->setFocus();
            return false;
        }
        std::memcpy(params.ntpServers, servers.constData(), static_cast<std::size_t>(servers.size()));
    }
    if (m_setZone->isChecked()) {
        const QString zone = m_zone->text().trimmed();
        // A POSIX zone is printable ASCII without spaces; the device is the judge of the rest.
        const bool printable = std::all_of(zone.cbegin(), zone.cend(), [](QChar c) { return c > u' ' && c < u'\x7f'; });
        if (zone.isEmpty() || !printable || zone.size() >= static_cast<qsizetype>(sizeof params.timeZone)) {
            m_hint->setText(tr("Enter the time zone as POSIX text without spaces, e.g. CET-1CEST,M3.5.0,M10.5.0/3."));
            m_zone->setFocus();
            return false;
        }
        const QByteArray bytes = zone.toLatin1();
        std::memcpy(params.timeZone, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    m_params = params;
    m_hint->clear();
    return true;
}

} // namespace VexaTool
