#pragma once

#include <memory>
#include <vector>

#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QVector>

#include "aptui/BatchProgressCover.h"
#include "aptui/Widget.h"
#include "deployment/Receipt.h"
#include "discovery/DeviceRecord.h"
#include "modify/DeviceTaskRunner.h"
#include "modify/ModifyPage.h"
#include "plan/ChangeController.h"
#include "siteops/SiteBatch.h"
#include "vexa.h"

class QLabel;

namespace aptui {
class MultiStateLineEdit;
}

namespace Ui {
class DeviceModifyPage;
}

namespace VexaTool {

class ReceiptHistory;
class DeviceActivePage;
class DeviceNetParaPage;

// The right-hand panel of the main window: activates the selected devices or changes their network
// parameters, one device or a batch, and sends the outcome back to the list page. The library calls run
// on worker threads (at most "TaskThread" of Setup.xml at once) under a cover with progress and Stop; the
// device store is written and every signal is emitted on the GUI thread, in the order of the selection.
class DeviceModifyPage : public aptui::Widget {
    Q_OBJECT

public:
    static constexpr int kDefaultTaskThreads = 8;
    static constexpr int kMaxTaskThreads = 64;
    static constexpr const char* kUserName = "admin";
    static constexpr const char* kGreyBar = ":/CommonSkin/Password/Images/Public/Control/Password/grey.png";
    static constexpr const char* kRedBar = ":/CommonSkin/Password/Images/Public/Control/Password/red.png";
    static constexpr const char* kYellowBar = ":/CommonSkin/Password/Images/Public/Control/Password/yellow.png";
    static constexpr const char* kGreenBar = ":/CommonSkin/Password/Images/Public/Control/Password/green.png";

    explicit DeviceModifyPage(QWidget* parent = nullptr);
    ~DeviceModifyPage() override;

    // "TaskThread" of the configuration store: a whole number from 1 up, else the default.
    static int configuredTaskThreads();
    void setTaskThreads(int count);
    int taskThreads() const;

    bool isBusy() const;
    // The network changes this page runs; the list follows them through their signals.
    ChangeController* changes() const { return m_changes; }
    const QVector<DeviceInfo>& entries() const { return m_entries; }
    DeviceActivePage* activePage() const { return m_activePage; }
    // Clocks and ONVIF passwords of the ticked devices.
    SiteBatch* siteBatch() const { return m_site; }
    aptui::BatchProgressCover* progressCover() const;

signals:
    void signalModifyResult(QVector<DeviceInfo> entries);
    void signalActiveResult(QVector<DeviceInfo> entries);
    // A device took its first password: the list learns it from here, never from the page writing the store.
    void signalActivated(const DeviceKey& key);
    void signalCoverMainPage();
    void signalDisCoverMainPage();
    // A run of device calls started or ended (for the window and for tests).
    void signalBusyChanged(bool busy);
    // "Forget Password" chose a recovery for this device: by key exchange, or else by security code.
    void signalRecoveryRequested(QString serialNo, bool keyExchange, bool qrSupported, bool ipcReset);
    // The time of these devices (endpoint references) was set: their clocks are worth reading again.
    void signalClocksSet(const QStringList& endpoints);
    // Every ticked device took the one new ONVIF password, and the run's login has it now.
    void signalOnvifPasswordTaken();

public slots:
    void onCurrentSelectionChange(ModifyPage kind, QVector<DeviceInfo> entries);
    void onActiveDevices();
    void onModifyNetParas();
    void onForgetPassword();
    // "Set time…" and "Change ONVIF password…": a dialog, then a batch over the ticked devices that can.
    void onSetTime();
    void onChangeOnvifPassword();
    void onNewPasswordTextChanged(const QString& text);
    void onDhcpStateChanged(int state);
    void onBatchDhcpStateChanged(int state);
    void onStopOperation();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Operation { ActivateSingle, ActivateBatch, ModifySingle, ModifyBatch };

    // One run of device calls: what was sent, to whom, and what to write back when a call succeeds.
    struct Run {
        Operation operation = Operation::ModifySingle;
        QVector<DeviceInfo> entries;
        std::vector<VEXA_NET_PARAM> params; // modification: the record sent to each device
        QStringList newAddresses;           // batch modification with DHCP off: each device's new address
        QVector<DeviceInfo> before;         // the entries as the run started, for the receipt
        QStringList leftOut;                // per entry: why it is not sent (empty: it is)
    };

    QPoint dialogPosition() const;
    // Shows the ONVIF user and password when ONVIF devices are ticked (prefilled from the run's login), the
    // administrator password when ours are, and offers "Forget Password" to ours only.
    void updateLoginRows(const QVector<DeviceInfo>& entries);
    // Why a ticked device cannot take the change (empty: it can). portTyped: a batch that sets a port.
    QString leftOutReason(const VEXA_DEVICE_MY_INFO& record, bool portTyped) const;
    void showCover(aptui::BatchProgressCover::Operation operation, int total);
    // A device took the values of a change (the controller's word until the list hears it from the device).
    // Every change of the run settled: the results, with the receipt, stay until they are closed.
    void onChangesFinished();
    // The ticked devices for an operation that needs capability, those that cannot left out with a reason; false
    // (after saying why) when none can, or the ONVIF login is missing. The login then goes to the runnable ones.
    bool siteTargets(uint32_t capability, const QString& leftOut, QVector<SiteBatch::Target>& targets);
    void startSite(bool started, aptui::BatchProgressCover::Operation operation);
    void onSiteFinished();
    void showError(const QString& text, aptui::MultiStateLineEdit* field = nullptr, QLabel* hint = nullptr);
    void resetPasswordEditors();
    // The parameter form in front, for one device (single) or a batch; enabled: something is ticked.
    void showModifyForm(bool single, bool enabled);
    void setBar(QLabel* bar, const char* image);
    void startRun(Run run, std::vector<DeviceTaskRunner::Task> tasks);
    void onRunOutcome(int index, const DeviceOutcome& outcome);
    void onRunFinished(const QVector<DeviceOutcome>& outcomes);
    void finishSingle(const DeviceOutcome& outcome);
    void showBatchResults(const QVector<DeviceInfo>& entries, bool activation);
    // The receipt line of an activation's device at index, as it came back in after.
    plan::ReceiptEntry receiptEntry(qsizetype index, const DeviceInfo& after) const;
    // The record for every device of a batch, and its new address; false (after saying why) when the start
    // address cannot give every device a usable address.
    bool planBatchModification(Run& run);

    // Opens the password recovery of one device: the key-exchange reset dialog when the device resets by
    // key (keyExchange), else the security-code restore dialog; modal, under the window's cover.
    void openRecoveryDialog(const QString& serialNo, bool keyExchange, bool qrSupported, bool ipcReset);

    std::unique_ptr<Ui::DeviceModifyPage> m_ui;
    DeviceNetParaPage* m_netParaPage = nullptr;
    DeviceActivePage* m_activePage = nullptr;
    QPointer<aptui::BatchProgressCover> m_cover;
    DeviceTaskRunner* m_runner = nullptr;  // activations
    ChangeController* m_changes = nullptr; // network changes, one device or a batch
    SiteBatch* m_site = nullptr;           // clocks and ONVIF passwords
    QVector<DeviceInfo> m_entries;
    ModifyPage m_kind = MODIFY_SINGLE;
    Run m_run;
    // Every batch writes its receipt into the user's receipts folder as devices answer.
    std::unique_ptr<ReceiptHistory> m_history;
};

} // namespace VexaTool
