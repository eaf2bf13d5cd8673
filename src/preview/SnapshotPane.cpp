#include "preview/SnapshotPane.h"

#include <vector>

#include <QBuffer>
#include <QEvent>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "discovery/DeviceCall.h"
#include "outcome/ErrorText.h"
#include "vexa.h"

namespace VexaTool {

namespace {

// The library's own cap on a snapshot.
constexpr uint32_t kSnapshotCap = 4u * 1024u * 1024u;
// A device's reason is shown in a line or two, never a page.
constexpr int kReasonChars = 200;

QString reasonText(const char* detail, std::size_t width) {
    QString text = visibleText(recordText(detail, width).simplified());
    if (text.size() > kReasonChars)
        text = text.left(kReasonChars) + QStringLiteral("…");
    return text;
}

} // namespace

SnapshotPane::SnapshotPane(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("SnapshotPane"));
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("m_labelSnapshotDevice"));
    m_title->setAccessibleName(tr("Camera shown"));
    m_title->setTextFormat(Qt::PlainText);
    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("m_labelSnapshot"));
    m_picture->setAccessibleName(tr("Camera picture"));
    m_picture->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_picture->setMinimumSize(160, 120);
    m_picture->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_picture->installEventFilter(this);
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("m_labelSnapshotNote"));
    m_caption->setAccessibleName(tr("Picture note"));
    // Device text is data: never markup.
    m_caption->setTextFormat(Qt::PlainText);
    m_caption->setWordWrap(true);
    m_refresh = new QPushButton(tr("Refresh picture"), this);
    m_refresh->setObjectName(QStringLiteral("m_btnRefreshSnapshot"));
    m_refresh->setAccessibleName(tr("Refresh picture"));
    m_refresh->setFocusPolicy(Qt::NoFocus);
    m_hide = new QPushButton(tr("Hide"), this);
    m_hide->setObjectName(QStringLiteral("m_btnHideSnapshot"));
    m_hide->setAccessibleName(tr("Hide the picture pane"));
    m_hide->setFocusPolicy(Qt::NoFocus);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_refresh);
    buttons->addStretch(1);
    buttons->addWidget(m_hide);
    auto* layout = new QVBoxLayout(this);
    // Room on the right for the window's pin, which lies over the page's edge.
    layout->setContentsMargins(6, 6, 24, 6);
    layout->addWidget(m_title);
    layout->addWidget(m_picture, 1);
    layout->addWidget(m_caption);
    // Takes the room of a hidden picture, so that a note stands right under the camera's name.
    layout->addStretch(0);
    layout->addLayout(buttons);

    connect(m_refresh, &QPushButton::clicked, this, &SnapshotPane::refresh);
    connect(m_hide, &QPushButton::clicked, this, &SnapshotPane::hideRequested);
    showDevice(nullptr);
}

SnapshotPane::~SnapshotPane() = default;

QString SnapshotPane::note() const {
    return m_caption->text();
}

void SnapshotPane::setNote(const QString& text) {
    m_caption->setText(text);
    m_caption->setVisible(!text.isEmpty());
    m_picture->setVisible(text.isEmpty());
}

bool SnapshotPane::isShowing(const VEXA_DEVICE_MY_INFO& record) const {
    if (!m_hasRecord)
        return false;
    if (deviceKeyOf(record) == m_key)
        return true;
    const QString endpoint = recordText(record.endpointReference);
    return !endpoint.isEmpty() && endpoint == recordText(m_record.endpointReference);
}

void SnapshotPane::showDevice(const VEXA_DEVICE_MY_INFO* record) {
    const DeviceKey key = record ? deviceKeyOf(*record) : DeviceKey{};
    if (record && m_hasRecord && key == m_key) {
        // The same device again (a row refreshed): keep its picture unless what it allows changed.
        const bool couldRead = detailsRead(m_record);
        m_record = *record;
        if (couldRead == detailsRead(*record))
            return;
    }
    m_key = key;
    m_hasRecord = record != nullptr;
    if (record)
        m_record = *record;
    // Which camera this is, by name and address: the row may scroll away.
    m_title->setText(record ? visibleText(recordText(record->deviceName)) + QStringLiteral("  ") +
                                  recordText(record->ipv4Address)
                            : QString());
    refresh();
}

void SnapshotPane::refresh() {
    m_wanted->store(++m_generation); // any answer under way is now for a picture no longer wanted
    m_image = QImage();
    m_picture->clear();
    m_refresh->setEnabled(false);
    if (!m_hasRecord) {
        setNote(tr("Select a camera to see its picture."));
        emit shown();
        return;
    }
    if (!can(m_record, VEXA_CAN_SNAPSHOT)) {
        setNote(tr("No picture: this device does not give one."));
        emit shown();
        return;
    }
    if (!detailsRead(m_record)) {
        setNote(m_record.detailsState == VEXA_DETAILS_NEED_LOGIN
                    ? tr("No picture: sign in to this device first.")
                    : tr("No picture: the device's details are not read yet."));
        emit shown();
        return;
    }
    setNote(tr("Fetching the picture…"));
    const std::string name(m_record.endpointReference,
                           strnlen(m_record.endpointReference, sizeof m_record.endpointReference));
    struct Fetched {
        bool ok = false;
        uint32_t code = 0;
        QString why;
        QImage image;
    };
    const quint64 generation = m_generation;
    const DeviceKey key = m_key;
    runDeviceCall(
        this,
        [name, generation, wanted = m_wanted] {
            Fetched result;
            if (wanted->load() != generation)
                return result;
            std::vector<char> buffer(kSnapshotCap);
            uint32_t written = 0;
            if (!VEXA_GetOnvifSnapshot(name.c_str(), nullptr, buffer.data(), kSnapshotCap, &written)) {
                result.code = VEXA_GetLastError();
                char detail[512] = "";
                VEXA_GetLastErrorDetail(detail, sizeof detail);
                const QString reason = reasonText(detail, sizeof detail);
                if (result.code == VEXA_ERR_NOT_SUPPORTED)
                    result.why = reason.isEmpty()
                                     ? tr("No picture: the device gives no snapshot address")
                                     : tr("No picture: the device gives no snapshot address (%1)").arg(reason);
                else
                    result.why = tr("No picture: %1")
                                     .arg(reason.isEmpty() ? ErrorText::sentence(result.code)
                                                           : ErrorText::sentence(result.code) + QStringLiteral(" (") +
                                                                 reason + QLatin1Char(')'));
                return result;
            }
            result.image = decode(QByteArray(buffer.data(), static_cast<qsizetype>(written)), &result.why);
            result.ok = !result.image.isNull();
            return result;
        },
        [this, generation, key](const Fetched& result) {
            // Identity, not the row: the user may have moved on while the device answered.
            if (generation != m_generation || !(key == m_key))
                return;
            m_refresh->setEnabled(true);
            if (!result.ok) {
                setNote(result.why);
                emit shown();
                return;
            }
            m_image = result.image;
            setNote(QString());
            showImage();
            emit shown();
        });
}

QImage SnapshotPane::decode(const QByteArray& bytes, QString* why) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && static_cast<qint64>(size.width()) * size.height() > kMaxPixels) {
        if (why)
            *why = tr("No picture: the device's picture is too large to show.");
        return {};
    }
    QImage image = reader.read();
    if (image.isNull() && why)
        *why = tr("No picture: the device sent something that is not a picture.");
    return image;
}

void SnapshotPane::showImage() {
    if (m_image.isNull())
        return;
    m_picture->setPixmap(
        QPixmap::fromImage(m_image.scaled(m_picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

bool SnapshotPane::eventFilter(QObject* watched, QEvent* event) {
    // The picture fits the room it is given, also when it appears after a note.
    if (watched == m_picture && event->type() == QEvent::Resize)
        showImage();
    return QWidget::eventFilter(watched, event);
}

} // namespace VexaTool
