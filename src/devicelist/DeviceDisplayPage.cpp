#include "devicelist/DeviceDisplayPage.h"

#include <algorithm>
#include <cstring>

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QHeaderView>
#include <QHoverEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include "aptui/BatchProgressCover.h"
#include "aptui/TreeViewWithLeftPixmapDelegate.h"
#include "devicelist/DeviceFilterProxyModel.h"
#include "devicelist/DeviceInfoModel.h"
#include "devicelist/DeviceListHeader.h"
#include "discovery/OnvifLogin.h"
#include "discovery/PasswordBytes.h"
#include "discovery/VexaHandler.h"
#include "export/DevicesInfoSavePage.h"
#include "fleet/DeviceFleet.h"
#include "fleet/FleetClocks.h"
#include "guitoolkit/CTableView.h"
#include "modify/DeviceModifyPage.h"
#include "modify/DeviceModifyResultPage.h"
#include "outcome/ErrorText.h"
#include "plan/ChangeController.h"
#include "plan/PlanDevices.h"
#include "plan/PlanFile.h"
#include "plan/PlanPreviewPage.h"
#include "plan/ReceiptFile.h"
#include "preview/InventoryDialog.h"
#include "preview/SnapshotPane.h"
#include "ui_DeviceDisplayPage.h"

namespace VexaTool {

namespace {

// Column widths by kind.
constexpr int kColumnWidths[DeviceInfoModel::KindCount] = {30,  70,  160, 100, 120, 80,  120, 100, 80,
                                                           230, 100, 120, 130, 110, 130, 100, 100, 130,
                                                           130, 130, 130, 130, 130, 80,  100, 110};

} // namespace

DeviceDisplayPage::DeviceDisplayPage(QWidget* parent, const QString& columnConfigPath, DeviceFleet* fleet)
    : aptui::Widget(parent)
    , m_ui(std::make_unique<Ui::DeviceDisplayPage>())
    , m_fleet(fleet ? fleet : new DeviceFleet(this))
    , m_conflictColor(QStringLiteral("#E6A117"))
    , m_urlOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    m_ui->setupUi(this);
    m_model = new DeviceInfoModel(this, columnConfigPath);
    m_model->setConflictBrush(m_conflictColor);
    m_clocks = new FleetClocks(m_fleet, FleetClocks::kDefaultReaders, this);
    connect(m_clocks, &FleetClocks::clockRead, m_model, &DeviceInfoModel::setClock);
    OrvisGUIToolkit::CTableView* table = m_ui->m_tableViewVexa;
    m_delegate = new aptui::TreeViewWithLeftPixmapDelegate(table);
    table->setItemDelegate(m_delegate);
    m_filter = new DeviceFilterProxyModel(this);
    m_filter->setSortsSource(true);
    m_filter->setSourceModel(m_model);
    m_filter->setCheckColumn(m_model->columnOf(DeviceInfoModel::KindCheck));
    m_filter->setKeywordRole(DeviceInfoModel::KeywordsRole);
    m_filter->setFilterColumns(
        {m_model->columnOf(DeviceInfoModel::KindIpv4Address), m_model->columnOf(DeviceInfoModel::KindSerialNumber),
         m_model->columnOf(DeviceInfoModel::KindMac), m_model->columnOf(DeviceInfoModel::KindActivate),
         m_model->columnOf(DeviceInfoModel::KindDeviceType)});
    table->setModel(m_filter);
    connect(m_ui->m_lineEditFilter, &QLineEdit::textChanged, m_filter, &DeviceFilterProxyModel::setFilterWords);
    connect(m_filter, &DeviceFilterProxyModel::signalFilterChanged, this, &DeviceDisplayPage::onFilterChanged);
    connect(m_filter, &QAbstractItemModel::rowsInserted, this, &DeviceDisplayPage::onShownRowsChanged);
    connect(m_filter, &QAbstractItemModel::rowsRemoved, this, &DeviceDisplayPage::onShownRowsChanged);

    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows are one line high; telling the view so spares it measuring thousands of rows.
    table->setUniformRowHeights(true);
    m_header = new DeviceListHeader(table);
    m_header->setSectionsMovable(true);
    m_header->setStretchLastSection(true);
    table->setHeader(m_header);
    m_header->setCheckSection(m_model->columnOf(DeviceInfoModel::KindCheck));
    connect(m_header, &DeviceListHeader::signalTickAllClicked, this, &DeviceDisplayPage::tickAllListed);
    connect(m_header, &DeviceListHeader::signalLookChanged, this, &DeviceDisplayPage::fitColumnsToHeaders);
    for (int kind = 0; kind < DeviceInfoModel::KindCount; ++kind)
        table->setColumnWidth(m_model->columnOf(kind), kColumnWidths[kind]);

    table->setSortingEnabled(true);
    table->sortByColumn(m_model->columnOf(DeviceInfoModel::KindId), Qt::AscendingOrder);
    fitColumnsToHeaders(); // with the room of the sort indicator, which every section reserves

    QHeaderView* header = table->header();
    // A header click first flips the indicator, on which the view sorts, and then reports the click: the
    // page then need not sort the same rows a second time.
    connect(header, &QHeaderView::sortIndicatorChanged, this, [this] {
        m_viewJustSorted = true;
        QTimer::singleShot(0, this, [this] { m_viewJustSorted = false; });
    });
    connect(m_ui->m_btnExportDeviceInfo, &QPushButton::clicked, this, &DeviceDisplayPage::onSaveDeviceInfoToExcel);
    connect(header, &QHeaderView::sectionClicked, this, &DeviceDisplayPage::onSortTable);
    connect(m_ui->m_btnRefreshDeviceInfo, &QPushButton::clicked, this, &DeviceDisplayPage::onManualUpdate);
    connect(m_model, &QStandardItemModel::itemChanged, this, &DeviceDisplayPage::onItemCheckChanged);
    // A batch takes its addresses in table order: after a sort the modify page gets the ticked set anew.
    connect(m_model, &QAbstractItemModel::layoutChanged, this, [this] {
        if (m_model->checkedCount() > 0)
            reportCheckedDevices();
    });
    connect(table, &QAbstractItemView::doubleClicked, this, &DeviceDisplayPage::onDoubleClickAction);
    table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(table, &QWidget::customContextMenuRequested, this, &DeviceDisplayPage::onTableContextMenu);
    connect(header, &QHeaderView::sectionMoved, this, &DeviceDisplayPage::onHeaderCountChanged);
    connect(header, &QHeaderView::sectionPressed, this, &DeviceDisplayPage::onHeaderPress);
    table->installEventFilter(this);
    table->viewport()->installEventFilter(this);
    table->setMouseTracking(true);
    table->setAlternatingRowColors(true);
    table->ShowGridLine(false);

    m_ui->m_btnExportDeviceInfo->setEnabled(false);
    m_headerState = header->saveState();

    m_planFileChooser = [this] {
        return QFileDialog::getOpenFileName(this, tr("Open deployment plan"), QString(),
                                            tr("Deployment plans (*.csv);;All files (*)"));
    };
    m_planChanges = new ChangeController(DeviceModifyPage::configuredTaskThreads(), this);
    connect(m_ui->m_btnApplyPlan, &QPushButton::clicked, this, &DeviceDisplayPage::onApplyPlanClicked);
    connect(m_ui->m_btnSignIn, &QPushButton::clicked, this, &DeviceDisplayPage::signalSignInRequested);
    connect(m_ui->m_btnScanAddresses, &QPushButton::clicked, this, &DeviceDisplayPage::signalScanAddressesRequested);
    // The plan's changes reach the list only through the fleet, which learns each device's values from the device.
    connect(m_planChanges, &ChangeController::signalChangeStarted, m_fleet, &DeviceFleet::changeStarted);
    connect(m_planChanges, &ChangeController::signalChangeSettled, m_fleet, &DeviceFleet::changeSettled);
    connect(m_planChanges, &ChangeController::signalFinished, this, &DeviceDisplayPage::onPlanFinished);
    showFleet();

    connect(&VEXA::OnvifLogin::instance(), &VEXA::OnvifLogin::changed, this, &DeviceDisplayPage::onOnvifLoginChanged);
    onOnvifLoginChanged();
    setUpPreview();
}

void DeviceDisplayPage::setUpPreview() {
    OrvisGUIToolkit::CTableView* table = m_ui->m_tableViewVexa;
    // The picture sits beside the table in a splitter that takes the table's place in the form.
    QLayout* column = table->parentWidget()->layout();
    m_previewSplitter = new QSplitter(Qt::Horizontal, this);
    m_previewSplitter->setObjectName(QStringLiteral("m_splitterPreview"));
    m_previewSplitter->setChildrenCollapsible(true);
    m_snapshotPane = new SnapshotPane(m_previewSplitter);
    delete column->replaceWidget(table, m_previewSplitter);
    m_previewSplitter->insertWidget(0, table);
    m_previewSplitter->setCollapsible(0, false);
    m_previewSplitter->setStretchFactor(0, 3);
    m_previewSplitter->setStretchFactor(1, 1);
    connect(m_snapshotPane, &SnapshotPane::hideRequested, this, [this] {
        m_previewSplitter->setSizes({m_previewSplitter->width(), 0});
    });
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &DeviceDisplayPage::showCurrentPicture);
    // A device that becomes readable (signed in, details arrived) gets its picture without a new click.
    connect(m_fleet, &DeviceFleet::deviceUpdated, this, [this](const VEXA_DEVICE_MY_INFO& record) {
        if (m_snapshotPane->isShowing(record))
            m_snapshotPane->showDevice(&record);
    });
    // Refresh forgets every row at once, without a change of the current one.
    connect(m_filter, &QAbstractItemModel::modelReset, this, &DeviceDisplayPage::showCurrentPicture);
    connect(m_ui->m_btnExportInventory, &QPushButton::clicked, this, &DeviceDisplayPage::onExportInventory);
}

void DeviceDisplayPage::showCurrentPicture() {
    const QModelIndex current = m_ui->m_tableViewVexa->currentIndex();
    VEXA_DEVICE_MY_INFO record{};
    if (!current.isValid() || !m_fleet->record(m_model->keyOf(m_filter->mapToSource(current).row()), record)) {
        m_snapshotPane->showDevice(nullptr);
        return;
    }
    m_snapshotPane->showDevice(&record);
}

QPushButton* DeviceDisplayPage::exportInventoryButton() const {
    return m_ui->m_btnExportInventory;
}

void DeviceDisplayPage::onExportInventory() {
    openInventory();
}

InventoryDialog* DeviceDisplayPage::openInventory() {
    QVector<VEXA_DEVICE_MY_INFO> records;
    QList<int> rows = shownCheckedRows();
    if (rows.isEmpty())
        for (int shown = 0; shown < m_filter->rowCount(); ++shown)
            rows.append(m_filter->mapToSource(m_filter->index(shown, 0)).row());
    for (const int row : rows) {
        VEXA_DEVICE_MY_INFO record{};
        if (m_fleet->record(m_model->keyOf(row), record))
            records.append(record);
    }
    auto* dialog = new InventoryDialog(records, window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
    return dialog;
}

void DeviceDisplayPage::onOnvifLoginChanged() {
    const VEXA::OnvifLogin& login = VEXA::OnvifLogin::instance();
    const QStringList endpoints = login.endpoints();
    m_model->setLoginScope(login.isAutomatic(), QSet<QString>(endpoints.cbegin(), endpoints.cend()));
    m_model->setCredentialsSet(login.isSet());
}

QStringList DeviceDisplayPage::listedOnvifDevices() const {
    return m_fleet->signInDevices();
}

void DeviceDisplayPage::showFleet() {
    DeviceInfoModel* model = m_model;
    connect(m_fleet, &DeviceFleet::deviceAdded, model, &DeviceInfoModel::addDevice);
    connect(m_fleet, &DeviceFleet::deviceRemoved, model, &DeviceInfoModel::removeDevice);
    connect(m_fleet, &DeviceFleet::deviceUpdated, model, &DeviceInfoModel::updateDevice);
    connect(m_fleet, &DeviceFleet::deviceReadBack, model, &DeviceInfoModel::showReadBack);
    connect(m_fleet, &DeviceFleet::twinChanged, model, &DeviceInfoModel::setAlsoOnvif);
    connect(m_fleet, &DeviceFleet::refusalChanged, model, &DeviceInfoModel::setRefusalReason);
    connect(m_fleet, &DeviceFleet::detailsNoteChanged, model, &DeviceInfoModel::setDetailsNote);
    connect(m_fleet, &DeviceFleet::restartingChanged, model, &DeviceInfoModel::setRestarting);
    connect(m_fleet, &DeviceFleet::cleared, model, [model] { model->removeRows(0, model->rowCount()); });
    connect(m_fleet, &DeviceFleet::countChanged, this, &DeviceDisplayPage::updateCount);
    // A ticked device that left or changed its key: the modify page gets the ticked set anew.
    connect(m_fleet, &DeviceFleet::keysChanged, this, &DeviceDisplayPage::reportCheckedDevices);
    const QVector<VEXA_DEVICE_MY_INFO> listed = m_fleet->records();
    for (const VEXA_DEVICE_MY_INFO& record : std::as_const(listed))
        m_model->addDevice(record);
    m_clocks->readAll();
    updateCount();
}

void DeviceDisplayPage::setEventSlice(int ms) {
    m_fleet->setEventSlice(ms);
}

int DeviceDisplayPage::pendingDeviceEvents() const {
    return m_fleet->pendingEvents();
}

DeviceDisplayPage::~DeviceDisplayPage() = default;

OrvisGUIToolkit::CTableView* DeviceDisplayPage::tableView() const {
    return m_ui->m_tableViewVexa;
}

QPushButton* DeviceDisplayPage::exportButton() const {
    return m_ui->m_btnExportDeviceInfo;
}

QLabel* DeviceDisplayPage::countLabel() const {
    return m_ui->m_labelDeviceCountValue;
}

QLabel* DeviceDisplayPage::hiddenCountLabel() const {
    return m_ui->m_labelHiddenCount;
}

QLineEdit* DeviceDisplayPage::filterEdit() const {
    return m_ui->m_lineEditFilter;
}

QPushButton* DeviceDisplayPage::applyPlanButton() const {
    return m_ui->m_btnApplyPlan;
}

QPushButton* DeviceDisplayPage::signInButton() const {
    return m_ui->m_btnSignIn;
}

QColor DeviceDisplayPage::clockFarColor() const {
    return m_model->clockFarBrush().color();
}

void DeviceDisplayPage::setClockFarColor(const QColor& color) {
    m_model->setClockFarBrush(color);
}

QPushButton* DeviceDisplayPage::scanAddressesButton() const {
    return m_ui->m_btnScanAddresses;
}

void DeviceDisplayPage::setConflictColor(const QColor& color) {
    m_conflictColor = color;
    m_model->setConflictBrush(color);
}

QString DeviceDisplayPage::cellText(int row, int kind) const {
    const QStandardItem* item = m_model->item(row, m_model->columnOf(kind));
    return item ? item->text() : QString();
}

void DeviceDisplayPage::fitColumnsToHeaders() {
    // Widened to the header's text where that needs more (no title cut to "IPv4 GateW…"), never narrowed: the
    // skin's font arrives after construction, and a column the user widened stays so.
    QHeaderView* header = m_ui->m_tableViewVexa->header();
    for (int kind = DeviceInfoModel::KindId; kind < DeviceInfoModel::KindCount; ++kind) {
        const int column = m_model->columnOf(kind);
        const int needed = header->sectionSizeHint(column);
        if (header->sectionSize(column) < needed)
            m_ui->m_tableViewVexa->setColumnWidth(column, needed);
    }
}

void DeviceDisplayPage::tickAllListed() {
    const int shown = m_filter->rowCount();
    if (shown == 0)
        return;
    const bool untick = static_cast<int>(shownCheckedRows().size()) == shown;
    m_tickingAll = true;
    m_filter->setShownCheckState(untick ? Qt::Unchecked : Qt::Checked);
    m_tickingAll = false;
    reportCheckedDevices();
}

void DeviceDisplayPage::updateTickAll(int shownTicked) {
    const int shown = m_filter->rowCount();
    m_header->setCheckState(shownTicked == 0       ? Qt::Unchecked
                            : shownTicked >= shown ? Qt::Checked
                                                   : Qt::PartiallyChecked);
}

void DeviceDisplayPage::updateCount() {
    if (m_filter->isFiltering())
        m_ui->m_labelDeviceCountValue->setText(tr("%1 of %2").arg(m_filter->rowCount()).arg(m_model->rowCount()));
    else
        m_ui->m_labelDeviceCountValue->setText(QString::number(m_model->rowCount()));
    const int onvif = m_model->onvifCount();
    m_ui->m_labelDeviceCountValue->setToolTip(onvif > 0 ? tr("%n of them ONVIF devices", nullptr, onvif) : QString());
    updateTickAll(m_model->checkedCount() > 0 ? static_cast<int>(shownCheckedRows().size()) : 0);
    const int hidden = m_fleet->hiddenByMaker();
    m_ui->m_labelHiddenCount->setVisible(hidden > 0);
    m_ui->m_labelHiddenCount->setText(tr("(%n hidden)", nullptr, hidden));
    m_ui->m_labelHiddenCount->setToolTip(
        tr("%n device(s) of ours answered with another maker's mark and are not listed. The command-line client "
           "lists them; Refresh counts again.",
           nullptr, hidden));
}

QList<int> DeviceDisplayPage::shownCheckedRows() const {
    QList<int> rows = m_model->checkedRows();
    if (!m_filter->isFiltering())
        return rows;
    // Through the ticked rows rather than every shown one: ticking all of thousands of rows asks this for each.
    const int check = m_model->columnOf(DeviceInfoModel::KindCheck);
    rows.removeIf([this, check](int row) { return !m_filter->mapFromSource(m_model->index(row, check)).isValid(); });
    return rows;
}

void DeviceDisplayPage::onFilterChanged() {
    updateCount();
    reportCheckedDevices();
}

void DeviceDisplayPage::onShownRowsChanged() {
    // Without a filter the count and the ticked set follow the model's own signals.
    if (!m_filter->isFiltering())
        return;
    updateCount();
    // A ticked device whose texts stop (or start again) to match leaves (or rejoins) the selection with its row.
    if (m_model->checkedCount() > 0 && shownCheckedRows().size() != m_lastReportedCount)
        reportCheckedDevices();
}

void DeviceDisplayPage::onDeviceLogin(VEXA_DEVICE_MY_INFO struDevInfo) {
    m_fleet->onDeviceOnline(struDevInfo);
}

void DeviceDisplayPage::onDeviceHiddenByMaker(VEXA_DEVICE_MY_INFO struDevInfo) {
    m_fleet->onDeviceHiddenByMaker(struDevInfo);
}

void DeviceDisplayPage::onDeviceLogout(VEXA_DEVICE_MY_INFO struDevInfo) {
    m_fleet->onDeviceOffline(struDevInfo);
}

void DeviceDisplayPage::onDeviceUpdate(VEXA_DEVICE_MY_INFO struDevInfo) {
    m_fleet->onDeviceUpdate(struDevInfo);
}

DeviceInfo DeviceDisplayPage::entryOf(int row, const DeviceKey& key, const VEXA_DEVICE_MY_INFO& record) const {
    DeviceInfo entry;
    entry.index = cellText(row, DeviceInfoModel::KindId); // the row's number as the list shows it
    entry.deviceType = recordText(record.deviceTypeName);
    entry.ipv4Address = recordText(record.ipv4Address);
    entry.serialNo = key.serialNo;
    entry.mac = key.mac;
    entry.result = QStringLiteral("0");
    return entry;
}

void DeviceDisplayPage::reportCheckedDevices() {
    const QList<int> rows = shownCheckedRows();
    m_lastReportedCount = static_cast<int>(rows.size());
    updateTickAll(m_lastReportedCount);
    if (rows.isEmpty()) {
        m_ui->m_btnExportDeviceInfo->setEnabled(false);
        emit signalCurrentSelectionModelChange(MODIFY_SINGLE, QVector<DeviceInfo>());
        return;
    }
    m_ui->m_btnExportDeviceInfo->setEnabled(true);

    // For a batch, one copy of the list and a hash instead of one look-up per ticked row.
    QHash<QString, VEXA_DEVICE_MY_INFO> byKey;
    if (rows.size() > 1) {
        const QVector<VEXA_DEVICE_MY_INFO> records = m_fleet->records();
        byKey.reserve(records.size());
        for (const VEXA_DEVICE_MY_INFO& record : records) {
            const DeviceKey recordKey = deviceKeyOf(record);
            const QString key = recordKey.serialNo + QChar(0) + recordKey.mac;
            if (!byKey.contains(key)) // the first record of a key is the one the store hands out
                byKey.insert(key, record);
        }
    }
    QVector<DeviceInfo> entries;
    entries.reserve(rows.size());
    bool activated = false;
    bool notActivated = false;
    for (int row : rows) {
        const DeviceKey key = m_model->keyOf(row);
        // A device missing from the store reads as a zero-filled record.
        VEXA_DEVICE_MY_INFO record;
        std::memset(&record, 0, sizeof record);
        if (rows.size() == 1) {
            m_fleet->record(key, record);
        } else {
            const auto found = byKey.constFind(key.serialNo + QChar(0) + key.mac);
            if (found != byKey.cend())
                record = *found;
        }
        const DeviceInfo entry = entryOf(row, key, record);
        const uint8_t state = record.activationState;
        if (state == 0)
            activated = true;
        else if (state == 1)
            notActivated = true;
        entries.append(entry);
        if (rows.size() == 1) {
            // A state the page knows no operation for still replaces the last selection: no operation is
            // offered, rather than one on devices no longer ticked.
            if (state == 0)
                emit signalCurrentSelectionModelChange(MODIFY_SINGLE, entries);
            else if (state == 1)
                emit signalCurrentSelectionModelChange(ACTIVE_SINGLE, entries);
            else
                emit signalCurrentSelectionModelChange(ACTIVE_MIXED, entries);
            return;
        }
    }
    if (notActivated && !activated)
        emit signalCurrentSelectionModelChange(ACTIVE_BATCH, entries);
    else if (activated && !notActivated)
        emit signalCurrentSelectionModelChange(MODIFY_BATCH, entries);
    else
        emit signalCurrentSelectionModelChange(ACTIVE_MIXED, entries);
}

void DeviceDisplayPage::onItemCheckChanged(QStandardItem* pItem) {
    if (m_tickingAll || !pItem || pItem->column() != m_model->columnOf(DeviceInfoModel::KindCheck))
        return;
    const int ticked =
        m_filter->isFiltering() ? static_cast<int>(m_filter->shownCheckedSourceRows().size()) : m_model->checkedCount();
    if (ticked != m_lastReportedCount)
        reportCheckedDevices();
}

void DeviceDisplayPage::onManualUpdate() {
    m_fleet->clear();
    m_ui->m_btnExportDeviceInfo->setEnabled(false);
    emit signalCurrentSelectionModelChange(MODIFY_SINGLE, QVector<DeviceInfo>());
    m_lastReportedCount = 0;

    qCDebug(lcVexaDiscovery) << "kelnor_clearUp_";
    VEXA::VexaHandler::instance()->clearUp();
    // The devices need a moment after the library forgot them; the GUI keeps running meanwhile.
    QTimer::singleShot(m_refreshDelayMs, this, [] {
        VEXA::VexaHandler::instance()->sendInquiry();
        qCDebug(lcVexaDiscovery) << "kelnor_inquiry_";
    });
}

void DeviceDisplayPage::refreshRows(const QVector<DeviceInfo>& entries) {
    for (const DeviceInfo& entry : entries) {
        if (entry.outcome.isDone())
            m_fleet->reread(DeviceKey{entry.serialNo, entry.mac});
    }
}

void DeviceDisplayPage::onDevicesModifyResult(QVector<DeviceInfo> vecDeviceInfo) {
    refreshRows(vecDeviceInfo);
}

void DeviceDisplayPage::onDevicesActiveResult(QVector<DeviceInfo> vecDeviceInfo) {
    refreshRows(vecDeviceInfo);
    reportCheckedDevices();
}

void DeviceDisplayPage::onSaveDeviceInfoToExcel() {
    DevicesInfoSavePage dialog(m_model, nullptr);
    // Identities, not row numbers: the list keeps changing while the dialog's loop runs.
    // Keys, not cell texts: an ONVIF device's cells may read "N/A".
    QList<DeviceKey> devices;
    for (const int row : shownCheckedRows())
        devices.append(m_model->keyOf(row));
    dialog.setExportRows([model = QPointer<DeviceInfoModel>(m_model), devices] {
        QList<int> rows;
        for (const DeviceKey& key : devices) {
            const int row = model ? model->rowOf(key) : -1;
            if (row >= 0)
                rows.append(row);
        }
        return rows;
    });
    dialog.setWindowIcon(QIcon(QStringLiteral(":/CommonSkin/VEXATool/Images/VEXATool/SystemInfo/logo_large.png")));
    emit signalCoverMainPage();
    dialog.exec();
    emit signalDisCoverMainPage();
}

void DeviceDisplayPage::onApplyPlanClicked() {
    if (m_planChanges->isRunning())
        return;
    const QString path = m_planFileChooser ? m_planFileChooser() : QString();
    if (!path.isEmpty())
        openPlan(path);
}

PlanPreviewPage* DeviceDisplayPage::openPlan(const QString& path) {
    if (m_planChanges->isRunning())
        return nullptr;
    if (m_planWindow)
        m_planWindow->close();
    QString error;
    m_plan = PlanFile::load(path, &error);
    m_planPath = path;
    const std::vector<plan::PlanDevice> devices = planDevicesFromRecords(m_fleet->records());
    const plan::PlanCheck check = plan::validatePlan(m_plan, devices);

    auto* window = new QDialog(this, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(tr("Deployment plan"));
    window->resize(1100, 600);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* preview = new PlanPreviewPage(window);
    layout->addWidget(preview);
    preview->setPlan(path, m_plan, check, devices);
    connect(preview, &PlanPreviewPage::signalApplyPlan, this, &DeviceDisplayPage::onPlanApply);
    connect(preview, &PlanPreviewPage::signalCancelPlan, window, &QDialog::reject);
    m_planWindow = window;
    m_planPreview = preview;
    window->open();
    return preview;
}

void DeviceDisplayPage::onPlanApply() {
    if (!m_planPreview || m_planChanges->isRunning())
        return;
    // Devices may have come, gone or moved while the preview was open: the plan is checked again on what is
    // listed now, and a plan that no longer passes is shown again with its marks instead of being sent.
    const std::vector<plan::PlanDevice> devices = planDevicesFromRecords(m_fleet->records());
    const plan::PlanCheck check = plan::validatePlan(m_plan, devices);
    if (!check.ok()) {
        m_planPreview->setPlan(m_planPath, m_plan, check, devices);
        return;
    }
    // UTF-8 within 16 bytes, as the modify page sends it; the preview allows nothing else.
    QByteArray password = VEXA::passwordBytes(m_planPreview->adminPassword()).value_or(QByteArray());
    if (password.isEmpty() && m_planPreview->needsPassword())
        return;
    m_planPreview->clearPassword();
    const bool started =
        m_planChanges->startPlan(m_plan, check, devices, plan::Credentials{password.toStdString(), {}});
    password.fill('\0');
    if (!started)
        return;
    if (m_planWindow)
        m_planWindow->accept();
    QWidget* host = window();
    if (m_planCover.isNull() || m_planCover->parentWidget() != host) {
        m_planCover = new aptui::BatchProgressCover(host);
        connect(m_planCover, &aptui::BatchProgressCover::signalStop, m_planChanges, &ChangeController::stop);
        connect(m_planChanges, &ChangeController::signalProgress, m_planCover, &aptui::BatchProgressCover::setProgress);
    }
    if (m_planChanges->isRunning())
        m_planCover->begin(aptui::BatchProgressCover::Modifying, m_planChanges->batch()->total());
}

PlanBatch* DeviceDisplayPage::planBatch() const {
    return m_planChanges->batch();
}

void DeviceDisplayPage::onPlanFinished() {
    if (!m_planCover.isNull())
        m_planCover->end();
    QVector<DeviceInfo> entries = m_planChanges->batch()->entries();
    for (DeviceInfo& entry : entries) {
        VEXA_DEVICE_MY_INFO record;
        std::memset(&record, 0, sizeof record);
        if (m_fleet->record(DeviceKey{entry.serialNo, entry.mac}, record))
            entry.deviceType = recordText(record.deviceTypeName);
    }
    DeviceModifyResultPage results(this);
    results.setEntries(entries);
    std::vector<plan::ReceiptEntry> receipt = m_planChanges->batch()->receipt();
    if (!m_planChanges->batch()->asksAddresses())
        receipt.insert(receipt.begin(), plan::addressCheckSkippedEntry());
    results.setReceipt(std::move(receipt));
    results.setReceiptHistory(m_planChanges->batch()->historyPath());
    emit signalCoverMainPage();
    results.exec();
    emit signalDisCoverMainPage();
}

void DeviceDisplayPage::onSortTable(int iIndex) {
    QHeaderView* header = m_ui->m_tableViewVexa->header();
    header->setSortIndicatorShown(true);
    const bool sorted =
        m_viewJustSorted && m_ui->m_tableViewVexa->isSortingEnabled() && header->sortIndicatorSection() == iIndex;
    m_viewJustSorted = false;
    if (!sorted)
        m_ui->m_tableViewVexa->sortByColumn(iIndex, header->sortIndicatorOrder());
}

QUrl DeviceDisplayPage::webAddress(int row) const {
    // From the device's record, which the row's key names; the cells are only what the list shows of it.
    const DeviceKey key = m_model->keyOf(row);
    VEXA_DEVICE_MY_INFO record;
    std::memset(&record, 0, sizeof record);
    if (!m_fleet->record(key, record))
        return QUrl();
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    // Set as a host, never pasted into a URL text: a device's address cannot smuggle in a path or a user.
    url.setHost(recordText(record.ipv4Address).trimmed(), QUrl::StrictMode);
    url.setPort(record.httpPort > 0 && record.httpPort < 65536 ? static_cast<int>(record.httpPort) : 80);
    return url.isValid() && !url.host().isEmpty() ? url : QUrl();
}

QMenu* DeviceDisplayPage::rowMenu(int row) {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("m_menuRow"));
    menu->setAccessibleName(tr("Device actions"));
    const QModelIndex id = m_model->index(row, m_model->columnOf(DeviceInfoModel::KindId));
    const QString endpoint = m_model->index(row, m_model->columnOf(DeviceInfoModel::KindCheck))
                                 .data(DeviceInfoModel::EndpointRole)
                                 .toString();
    QAction* accept = menu->addAction(tr("Accept the new certificate"));
    accept->setObjectName(QStringLiteral("m_actionAcceptCertificate"));
    // Only for a camera that showed another certificate: the next one it shows is trusted from then on.
    accept->setEnabled(!endpoint.isEmpty() &&
                       (id.data(DeviceInfoModel::OnvifFlagsRole).toInt() & VEXA_ONVIF_CERTIFICATE_CHANGED) != 0);
    connect(accept, &QAction::triggered, this,
            [endpoint] { VEXA::VexaHandler::instance()->acceptOnvifCertificate(endpoint); });
    return menu;
}

void DeviceDisplayPage::onTableContextMenu(const QPoint& position) {
    OrvisGUIToolkit::CTableView* table = m_ui->m_tableViewVexa;
    const QModelIndex index = m_filter->mapToSource(table->indexAt(position));
    if (!index.isValid())
        return;
    QMenu* menu = rowMenu(index.row());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(table->viewport()->mapToGlobal(position));
}

void DeviceDisplayPage::onDoubleClickAction(QModelIndex miIndex) {
    if (!miIndex.isValid() || miIndex.column() != m_model->columnOf(DeviceInfoModel::KindIpv4Address))
        return;
    const QModelIndex source = miIndex.model() == m_filter ? m_filter->mapToSource(miIndex) : miIndex;
    const QUrl url = webAddress(source.row());
    if (url.isValid() && m_urlOpener)
        m_urlOpener(url);
}

bool DeviceDisplayPage::eventFilter(QObject* watched, QEvent* event) {
    OrvisGUIToolkit::CTableView* table = m_ui->m_tableViewVexa;
    if ((watched == table || watched == table->viewport()) &&
        (event->type() == QEvent::HoverMove || event->type() == QEvent::MouseMove)) {
        QPoint position;
        if (event->type() == QEvent::HoverMove)
            position = static_cast<QHoverEvent*>(event)->position().toPoint();
        else
            position = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (watched == table)
            position = table->viewport()->mapFrom(table, position);
        const QModelIndex index = table->indexAt(position);
        const bool overAddress =
            index.isValid() && index.column() == m_model->columnOf(DeviceInfoModel::KindIpv4Address);
        setCursor(overAddress ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
    return aptui::Widget::eventFilter(watched, event);
}

void DeviceDisplayPage::onHeaderPress(int iLogicalIndex) {
    QHeaderView* header = m_ui->m_tableViewVexa->header();
    if (iLogicalIndex == m_model->columnOf(DeviceInfoModel::KindCheck) ||
        iLogicalIndex == m_model->columnOf(DeviceInfoModel::KindId)) {
        header->setSectionsMovable(false);
        return;
    }
    m_headerState = header->saveState();
    header->setSectionsMovable(true);
}

void DeviceDisplayPage::onHeaderCountChanged(int iLogicalIndex, int iOldVisualIndex, int iNewVisualIndex) {
    if (iLogicalIndex < 0 || m_restoringHeader)
        return;
    if (iOldVisualIndex <= 1 || iNewVisualIndex <= 1) {
        m_restoringHeader = true;
        m_ui->m_tableViewVexa->header()->restoreState(m_headerState);
        m_restoringHeader = false;
        return;
    }
    m_model->moveColumn(iOldVisualIndex, iNewVisualIndex);
}

} // namespace VexaTool
