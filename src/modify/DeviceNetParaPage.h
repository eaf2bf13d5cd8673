#pragma once

#include <memory>

#include <QHash>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVector>

#include "aptui/Widget.h"
#include "discovery/DeviceRecord.h"
#include "vexa.h"

class QCheckBox;
class QLabel;

namespace aptui {
class MultiStateLineEdit;
}

namespace Ui {
class DeviceNetParaPage;
}

namespace VexaTool {

// The network parameter form of the modify page: one device's parameters (single layout) or the values a
// batch shares (batch layout). It limits what can be typed, checks the input in a fixed order with one
// message per fault, and builds the record the library's modify call takes. It reads the device store
// but never calls the library. GUI thread only.
class DeviceNetParaPage : public aptui::Widget {
    Q_OBJECT

public:
    // What a batch takes from the form. A disabled editor reads as empty (texts) or 0 (ports).
    struct BatchValues {
        QString startAddress; // canonical
        QString mask;         // canonical
        QString gateway;      // canonical
        QString deviceName;
        quint32 port = 0;
        quint32 httpPort = 0;
        quint32 rtspPort = 0;
        bool startEnabled = false;
        bool gatewayEnabled = false;
        bool keepNames = true; // each device keeps its own name; else deviceName, a pattern, names them all
    };

    // The name a batch gives its number-th device (from 1): the pattern with "{n}" replaced by the number.
    static QString batchName(const QString& pattern, int number);
    // Whether a batch's gateway goes to this device; one that takes none keeps its own, whatever the mix.
    static bool takesGateway(const VEXA_DEVICE_MY_INFO& record);
    // The record a batch sends one device: params (what it has) with the batch's values over what it takes;
    // newAddress is its address of the batch's range, name its new name (empty: it keeps its own).
    static VEXA_NET_PARAM batchParams(const VEXA_DEVICE_MY_INFO& record, VEXA_NET_PARAM params,
                                      const BatchValues& values, bool dhcpOff, const QString& newAddress,
                                      const QByteArray& name);

    explicit DeviceNetParaPage(QWidget* parent = nullptr);
    ~DeviceNetParaPage() override;

    void setSingleLayout();
    void setBatchLayout();
    void clearAndLock();
    void unlock();
    void resetMarks();

    // Fills the single layout from the stored device. fromCheckBox: the DHCP box decides (state 0 means it
    // was just checked, 1 unchecked) instead of the device's own DHCP flag. Empty serial and MAC: clear and lock.
    void fillFromDevice(const QString& serialNo, const QString& mac, bool fromCheckBox, int state);
    // Fills the batch layout with empty editors, enabled by what every selected device supports. The port editor
    // is open when the selection holds any of ours: ONVIF devices are left out of a batch that sets a port.
    void batchFill(const QVector<DeviceInfo>& entries);

    // validateSingle checks the changed editors in order; the first fault is shown at position and marks its
    // editor. validateBatch checks every editor at once, marks each bad one and names all faults in one box.
    bool validateSingle(const QPoint& position);
    bool validateBatch(const QPoint& position);

    // The record for one device: what the device has (from the store), overwritten only by the enabled editors,
    // addresses in canonical form; the name only if the user changed it. Only after validateSingle passed.
    VEXA_NET_PARAM readSingle() const;
    BatchValues readBatch() const;
    bool batchDhcpOff() const;

    void applyDhcp();
    // enable false (the batch DHCP box was checked): empty and disable start address, mask and gateway.
    void batchDhcpChange(bool enable);

    bool eventFilter(QObject* watched, QEvent* event) override;

    // Width of the label column, so that the modify page can line its own editors up with the form's.
    int labelColumnWidth() const;

    // For the modify page and tests: the designed widgets by object name.
    aptui::MultiStateLineEdit* editor(const QString& objectName) const;

signals:
    void signalDhcpStateChanged(int state);
    void signalBatchDhcpStateChanged(int state);

private:
    void showLayout(bool batch);
    bool checkRequiredAddress(aptui::MultiStateLineEdit* edit, QLabel* hint, const QPoint& position);
    bool checkMask(const QPoint& position);
    bool checkPort(const QPoint& position);
    bool checkGateway(const QPoint& position);
    bool checkHttpPort(const QPoint& position);
    bool checkRtsp(const QPoint& position);
    bool checkDeviceName(const QPoint& position);
    bool checkIpv6(aptui::MultiStateLineEdit* edit, QLabel* hint, const QString& message, const QPoint& position);
    bool checkPrefixLength(const QPoint& position);
    bool fail(aptui::MultiStateLineEdit* edit, QLabel* hint, const QString& message, const QPoint& position);
    QList<aptui::MultiStateLineEdit*> gridEditors() const;
    QList<QLabel*> hintLabels() const;
    QLabel* hintFor(const QObject* editor) const;

    std::unique_ptr<Ui::DeviceNetParaPage> m_ui;
    QCheckBox* m_keepNames = nullptr; // batch only: "Keep each device's name"
    int m_batchCount = 0;
    QStringList* m_faults = nullptr; // while a batch is checked: faults are collected, not shown one by one
    // What the last batch fill allowed, restored when batch DHCP is turned off again.
    bool m_batchStartEnabled = false;
    bool m_batchGatewayEnabled = false;
    bool m_batchPortsOptional = false; // devices whose port is fixed: left empty, every device keeps its own
    // The device the single layout shows, and its name as shown: an unchanged name goes back as the device's
    // own bytes, however long or old-fashioned.
    QString m_serialNo;
    QString m_mac;
    QString m_shownName;
    // The single layout shows a device whose service port is not the form's to change.
    bool m_portFixed = false;
    // The texts the single layout was filled with: only an editor whose text differs is checked and sent, so a
    // value the device reported oddly is kept as it is and never blocks a change the user did make.
    QHash<const QObject*, QString> m_shownTexts;
    bool nameEdited() const;
    bool changed(const aptui::MultiStateLineEdit* edit) const;
    void lockForOnvif(const VEXA_DEVICE_MY_INFO& record);
};

} // namespace VexaTool
