#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QColor>
#include <QDialog>
#include <QElapsedTimer>
#include <QHash>
#include <QModelIndex>
#include <QPointer>
#include <QSet>
#include <QUrl>
#include <QVector>

#include "aptui/BatchProgressCover.h"
#include "aptui/Widget.h"
#include "deployment/PlanValidator.h"
#include "discovery/DeviceRecord.h"
#include "modify/ModifyPage.h"
#include "plan/PlanPreviewPage.h"

class QLabel;
class QMenu;
class QLineEdit;
class QPushButton;
class QStandardItem;
class QTimer;

namespace Ui {
class DeviceDisplayPage;
}
namespace aptui {
class TreeViewWithLeftPixmapDelegate;
}
namespace OrvisGUIToolkit {
class CTableView;
}

namespace VexaTool {

class DeviceFilterProxyModel;
class DeviceListHeader;
class PlanBatch;
class ChangeController;
class DeviceInfoModel;

// The left-hand page: the count of online devices, "Apply plan…", "Export" and "Refresh", the quick filter and
// the live device table behind it. Keeps the table and the device store in step with the discovery handler's
// signals and tells the modify page, after every change of the ticked set, which shown devices are ticked and
// what kind of page suits them.
// GUI thread only; the device signals arrive queued from the library's thread.
class DeviceDisplayPage : public aptui::Widget {
    Q_OBJECT
    // Text colour of address cells shared by several devices; set by the skin (qproperty-conflictColor).
    Q_PROPERTY(QColor conflictColor READ conflictColor WRITE setConflictColor)

public:
    // columnConfigPath empty: "ColumnConfig.xml" beside the executable.
    explicit DeviceDisplayPage(QWidget* parent = nullptr, const QString& columnConfigPath = QString());
    ~DeviceDisplayPage() override;

    DeviceInfoModel* model() const { return m_model; }
    // What the table shows: the model behind the quick filter. Ticking, export and the selection sent to the
    // modify page act on its rows.
    DeviceFilterProxyModel* filterModel() const { return m_filter; }
    QLineEdit* filterEdit() const;
    QPushButton* applyPlanButton() const;
    // "Sign in…": asks the window for the ONVIF login (signalSignInRequested).
    QPushButton* signInButton() const;
    // The ONVIF devices listed now, by endpoint reference: those a sign-in goes to.
    QStringList listedOnvifDevices() const;
    // The menu of a row (of the model), as a right click shows it: accepting an ONVIF camera's new certificate.
    QMenu* rowMenu(int row);
    OrvisGUIToolkit::CTableView* tableView() const;
    QPushButton* exportButton() const;
    QLabel* countLabel() const;
    // "(n hidden)" beside the count: devices left out for their maker mark; hidden when there are none.
    QLabel* hiddenCountLabel() const;
    // The header with the tick-all box over the tick column.
    DeviceListHeader* listHeader() const { return m_header; }
    // The tick-all box: ticks every listed (filtered) row, or unticks them when all are ticked already.
    void tickAllListed();

    // The device's web page for a row: its address and HTTP port, port 80 when the device reports none.
    QUrl webAddress(int row) const;
    // Loads a plan file, checks it against the listed devices and shows the preview; nothing is sent until the
    // preview's "Apply plan". Returns the preview (owned by its window, which closes on Cancel or Apply).
    PlanPreviewPage* openPlan(const QString& path);
    PlanPreviewPage* planPreview() const { return m_planPreview; }
    PlanBatch* planBatch() const;
    ChangeController* planChanges() const { return m_planChanges; }
    // Replaces the file chooser of "Apply plan…" (tests).
    void setPlanFileChooser(std::function<QString()> chooser) { m_planFileChooser = std::move(chooser); }
    // Replaces the desktop's URL opener (tests).
    void setUrlOpener(std::function<bool(const QUrl&)> opener) { m_urlOpener = std::move(opener); }
    // Delay between forgetting the devices and asking them again on "Refresh".
    void setRefreshDelay(int ms) { m_refreshDelayMs = ms; }
    // Longest stretch the page works through device reports before it lets the GUI breathe; reports beyond
    // it wait, in order, for the next turn of the event loop. 0: every report is handled at once.
    void setEventSlice(int ms) { m_eventSliceMs = ms; }
    int pendingDeviceEvents() const { return static_cast<int>(m_pending.size() - m_pendingNext); }

    QColor conflictColor() const { return m_conflictColor; }
    void setConflictColor(const QColor& color);

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void signalCurrentSelectionModelChange(ModifyPage modifyPageType, QVector<DeviceInfo> vecDeviceInfo);
    void signalCoverMainPage();
    void signalDisCoverMainPage();
    void signalSignInRequested();

public slots:
    void onDeviceLogin(VEXA_DEVICE_MY_INFO struDevInfo);
    void onDeviceLogout(VEXA_DEVICE_MY_INFO struDevInfo);
    void onDeviceUpdate(VEXA_DEVICE_MY_INFO struDevInfo);
    // A device left out for its maker mark: counted beside the device count until it leaves or Refresh.
    void onDeviceHiddenByMaker(VEXA_DEVICE_MY_INFO struDevInfo);
    void onSaveDeviceInfoToExcel();
    void onManualUpdate();
    void onDevicesModifyResult(QVector<DeviceInfo> vecDeviceInfo);
    void onDevicesActiveResult(QVector<DeviceInfo> vecDeviceInfo);
    void onSortTable(int iIndex);
    void onItemCheckChanged(QStandardItem* pItem);
    void onDoubleClickAction(QModelIndex miIndex);
    void onTableContextMenu(const QPoint& position);
    void onHeaderCountChanged(int iLogicalIndex, int iOldVisualIndex, int iNewVisualIndex);
    void onHeaderPress(int iLogicalIndex);
    void onApplyPlanClicked();

private:
    enum class DeviceEvent { Login, Logout, Update };
    struct PendingEvent {
        DeviceEvent kind;
        VEXA_DEVICE_MY_INFO record;
    };
    bool deferDeviceEvent(DeviceEvent kind, const VEXA_DEVICE_MY_INFO& record);
    void runDeviceEvent(DeviceEvent kind, const VEXA_DEVICE_MY_INFO& record);
    void onDeviceEventsTurn();
    void login(const VEXA_DEVICE_MY_INFO& record);
    void logout(const VEXA_DEVICE_MY_INFO& record);
    void update(const VEXA_DEVICE_MY_INFO& record);
    void loginOnvif(const VEXA_DEVICE_MY_INFO& record);
    void logoutOnvif(const VEXA_DEVICE_MY_INFO& record);
    void updateOnvif(const VEXA_DEVICE_MY_INFO& record);
    // One of ours with this MAC takes the ONVIF device's place: one row, ours for the data.
    bool absorbTwin(const VEXA_DEVICE_MY_INFO& onvif);
    void releaseTwins(const DeviceKey& ours);
    void onOnvifLoginChanged();
    void reportCheckedDevices();
    void refreshRows(const QVector<DeviceInfo>& entries);
    void updateCount();
    void updateTickAll(int shownTicked);
    void fitColumnsToHeaders();
    void onPlanApply();
    void onPlanDeviceChanged(const QString& serialNo, const QString& mac, const VEXA_NET_PARAM& params);
    void onPlanFinished();
    void onFilterChanged();
    void onShownRowsChanged();
    QList<int> shownCheckedRows() const;
    void forgetMac(const QString& mac);
    void recountStoredMacs();
    DeviceInfo entryOf(int row, const DeviceKey& key, const VEXA_DEVICE_MY_INFO& record) const;
    QString cellText(int row, int kind) const;

    std::unique_ptr<Ui::DeviceDisplayPage> m_ui;
    DeviceInfoModel* m_model = nullptr;
    DeviceFilterProxyModel* m_filter = nullptr;
    DeviceListHeader* m_header = nullptr;
    bool m_tickingAll = false; // one report after ticking every listed row, not one per row
    aptui::TreeViewWithLeftPixmapDelegate* m_delegate = nullptr;
    QByteArray m_headerState;
    int m_lastReportedCount = -1;
    bool m_restoringHeader = false;
    bool m_viewJustSorted = false;
    int m_refreshDelayMs = 500;
    QColor m_conflictColor;
    // How many stored records of ours carry each MAC: the duplicate test on arrival without a scan of the store.
    QHash<QString, int> m_storedMacs;
    QSet<QString> m_hiddenByMaker; // serial number + MAC of each device left out for its maker mark
    int m_storedTotal = 0;         // every stored record, ours and ONVIF
    // A device answering on both protocols is one row, ours: MACs (lower case, '-') of ours and of ONVIF
    // devices with details, and the ONVIF side of each such device by its endpoint reference.
    QHash<QString, DeviceKey> m_oursByMac;
    QHash<QString, QString> m_onvifByMac;
    QHash<QString, DeviceKey> m_twins;
    QHash<QString, VEXA_DEVICE_MY_INFO> m_twinRecords;
    std::function<bool(const QUrl&)> m_urlOpener;
    std::function<QString()> m_planFileChooser;

    QString m_planPath;
    plan::DeploymentPlan m_plan;
    QPointer<QDialog> m_planWindow;
    QPointer<PlanPreviewPage> m_planPreview;
    ChangeController* m_planChanges = nullptr;
    QPointer<aptui::BatchProgressCover> m_planCover;

    int m_eventSliceMs = 20;
    QElapsedTimer m_slice;
    QTimer* m_turnTimer = nullptr;
    QVector<PendingEvent> m_pending;
    qsizetype m_pendingNext = 0;
};

} // namespace VexaTool
