#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QColor>
#include <QDialog>
#include <QModelIndex>
#include <QPointer>
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
class QSplitter;
class QStandardItem;

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
class DeviceFleet;
class FleetClocks;
class DeviceListHeader;
class PlanBatch;
class ChangeController;
class DeviceInfoModel;
class InventoryDialog;
class SnapshotPane;

// The left-hand page: the count of online devices, "Apply plan…", "Export" and "Refresh", the quick filter and
// the live device table behind it. Shows what the fleet holds and tells the modify page, after every change of the
// ticked set, which shown devices are ticked and what kind of page suits them. GUI thread only.
class DeviceDisplayPage : public aptui::Widget {
    Q_OBJECT
    // Text colour of address cells shared by several devices; set by the skin (qproperty-conflictColor).
    Q_PROPERTY(QColor conflictColor READ conflictColor WRITE setConflictColor)
    // Text colour of clocks far off (qproperty-clockFarColor); those a little off take the conflict colour.
    Q_PROPERTY(QColor clockFarColor READ clockFarColor WRITE setClockFarColor)

public:
    // columnConfigPath empty: "ColumnConfig.xml" beside the executable.
    explicit DeviceDisplayPage(QWidget* parent = nullptr, const QString& columnConfigPath = QString(),
                               DeviceFleet* fleet = nullptr);
    ~DeviceDisplayPage() override;

    DeviceInfoModel* model() const { return m_model; }
    // The listed devices; the page's own unless one was given.
    DeviceFleet* fleet() const { return m_fleet; }
    // What the table shows: the model behind the quick filter. Ticking, export and the selection sent to the
    // modify page act on its rows.
    DeviceFilterProxyModel* filterModel() const { return m_filter; }
    QLineEdit* filterEdit() const;
    QPushButton* applyPlanButton() const;
    // "Sign in…": asks the window for the ONVIF login (signalSignInRequested).
    QPushButton* signInButton() const;
    // "Scan addresses…": asks the window for the address-scan dialog (signalScanAddressesRequested).
    QPushButton* scanAddressesButton() const;
    // The ONVIF devices listed now, by endpoint reference: those a sign-in goes to.
    QStringList listedOnvifDevices() const;
    // The menu of a row (of the model), as a right click shows it: accepting an ONVIF camera's new certificate.
    QMenu* rowMenu(int row);
    OrvisGUIToolkit::CTableView* tableView() const;
    QPushButton* exportButton() const;
    // "Export inventory…" beside it, and the picture of the current row beside the table (in previewSplitter).
    QPushButton* exportInventoryButton() const;
    SnapshotPane* snapshotPane() const { return m_snapshotPane; }
    QSplitter* previewSplitter() const { return m_previewSplitter; }
    // Opens the inventory dialog for the ticked devices, or every listed one when none is ticked (owned by its
    // window; deleted when closed).
    InventoryDialog* openInventory();
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
    // Longest stretch the fleet works through device reports before it lets the GUI breathe; reports beyond
    // it wait, in order, for the next turn of the event loop. 0: every report is handled at once.
    void setEventSlice(int ms);
    int pendingDeviceEvents() const;

    QColor conflictColor() const { return m_conflictColor; }
    void setConflictColor(const QColor& color);
    QColor clockFarColor() const;
    void setClockFarColor(const QColor& color);
    // The reader of the listed devices' clocks, which fills the "Clock" column.
    FleetClocks* clocks() const { return m_clocks; }

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void signalCurrentSelectionModelChange(ModifyPage modifyPageType, QVector<DeviceInfo> vecDeviceInfo);
    void signalCoverMainPage();
    void signalDisCoverMainPage();
    void signalSignInRequested();
    void signalScanAddressesRequested();

public slots:
    // The handler's reports, handed to the fleet.
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
    void onExportInventory();

private:
    // The one place where the fleet fills the table.
    void showFleet();
    void onOnvifLoginChanged();
    void reportCheckedDevices();
    void refreshRows(const QVector<DeviceInfo>& entries);
    void updateCount();
    void updateTickAll(int shownTicked);
    void fitColumnsToHeaders();
    void onPlanApply();
    void onPlanFinished();
    void onFilterChanged();
    void onShownRowsChanged();
    QList<int> shownCheckedRows() const;
    DeviceInfo entryOf(int row, const DeviceKey& key, const VEXA_DEVICE_MY_INFO& record) const;
    QString cellText(int row, int kind) const;
    void setUpPreview();
    void showCurrentPicture();

    std::unique_ptr<Ui::DeviceDisplayPage> m_ui;
    DeviceFleet* m_fleet = nullptr;
    FleetClocks* m_clocks = nullptr;
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
    std::function<bool(const QUrl&)> m_urlOpener;
    std::function<QString()> m_planFileChooser;

    QString m_planPath;
    plan::DeploymentPlan m_plan;
    QPointer<QDialog> m_planWindow;
    QPointer<PlanPreviewPage> m_planPreview;
    ChangeController* m_planChanges = nullptr;
    QPointer<aptui::BatchProgressCover> m_planCover;
    SnapshotPane* m_snapshotPane = nullptr;
    QSplitter* m_previewSplitter = nullptr;
};

} // namespace VexaTool
