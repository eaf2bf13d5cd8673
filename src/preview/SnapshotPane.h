#pragma once

#include <atomic>
#include <memory>

#include <QImage>
#include <QWidget>

#include "discovery/DeviceRecord.h"

class QLabel;
class QPushButton;

namespace VexaTool {

// The picture of the selected ONVIF camera, to tell which row is which camera on the ceiling. Fetched off the GUI
// thread with the device's login and decoded there; an answer for a device that is no longer shown is dropped.
// Nothing is fetched for a device whose details are not read. GUI thread.
class SnapshotPane : public QWidget {
    Q_OBJECT

public:
    explicit SnapshotPane(QWidget* parent = nullptr);
    ~SnapshotPane() override;

    // Shows this device (fetching its picture when it has one to give); null: no device selected.
    void showDevice(const VEXA_DEVICE_MY_INFO* record);
    // Fetches the shown device's picture again.
    void refresh();

    DeviceKey device() const { return m_key; }
    // Whether record is the device shown, also after its key changed (an ONVIF device's details arrived).
    bool isShowing(const VEXA_DEVICE_MY_INFO& record) const;
    // The decoded picture, null when none is shown.
    QImage image() const { return m_image; }
    QString note() const;
    QPushButton* refreshButton() const { return m_refresh; }
    QPushButton* hideButton() const { return m_hide; }

    // Pictures larger than this many pixels are refused before they are decoded.
    // 32 megapixels: 128 MiB decoded, Qt's own allocation limit; cameras send a few megapixels.
    static constexpr qint64 kMaxPixels = 8192LL * 4096LL;
    // The picture in bytes, or a null image with the reason in why (device text escaped, bounded).
    static QImage decode(const QByteArray& bytes, QString* why);

signals:
    // A picture or a note is shown for the device (tests, and a screen reader's refresh).
    void shown();
    void hideRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setNote(const QString& text);
    void showImage();

    QLabel* m_title = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_caption = nullptr;
    QPushButton* m_refresh = nullptr;
    QPushButton* m_hide = nullptr;
    DeviceKey m_key;
    VEXA_DEVICE_MY_INFO m_record{};
    bool m_hasRecord = false;
    quint64 m_generation = 0;
    // The generation wanted now, for fetches still queued: one for a row already left is not sent at all.
    std::shared_ptr<std::atomic<quint64>> m_wanted = std::make_shared<std::atomic<quint64>>(0);
    QImage m_image;
};

} // namespace VexaTool
