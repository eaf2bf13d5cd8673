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
#include <QTimer>
#include <QVBoxLayout>

#include "aptui/BatchProgressCover.h"
#include "aptui/TreeViewWithLeftPixmapDelegate.h"
#include "devicelist/DeviceFilterProxyModel.h"
#include "devicelist/DeviceInfoModel.h"
#include "devicelist/DeviceListHeader.h"
#include "discovery/DeviceStore.h"
#include "discovery/OnvifLogin.h"
#include "discovery/PasswordBytes.h"
#include "discovery/VexaHandler.h"
#include "export/DevicesInfoSavePage.h"
#include "guitoolkit/CTableView.h"
#include "modify/DeviceModifyPage.h"
#include "modify/DeviceModifyResultPage.h"
#include "outcome/ErrorText.h"
#include "plan/ChangeController.h"
#include "plan/PlanDevices.h"
#include "plan/PlanFile.h"
#include "plan/PlanPreviewPage.h"
#include "plan/ReceiptFile.h"
#include "ui_DeviceDisplayPage.h"

namespace VexaTool {

namespace {

// Column widths by kind.
constexpr int kColumnWidths[DeviceInfoModel::KindCount] = {30,  70,  160, 100, 120, 80,  120, 100, 80,
                                                           230, 100, 120, 130, 110, 130, 100, 100, 130,
                                                           130, 130, 130, 130, 130, 80,  100};

// A MAC as both protocols may write it, for finding the one device behind two answers.
QString macKey(const VEXA_DEVICE_MY_INFO& record) {
    return recordText(record.mac).toLower().replace(QLatin1Char(':'), QLatin1Char('-'));
}

} // namespace

DeviceDisplayPage::DeviceDisplayPage(QWidget* parent, const QString& columnConfigPath)
    : aptui::Widget(parent)
    , m_ui(std::make_unique<Ui::DeviceDisplayPage>())
    , m_conflictColor(QStringLiteral("#E6A117"))
    , m_urlOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    m_ui->setupUi(this);
    m_model = new DeviceInfoModel(this, columnConfigPath);
    m_turnTimer = new QTimer(this);
    m_turnTimer->setSingleShot(true);
    m_turnTimer->setInterval(0);
    connect(m_turnTimer, &QTimer::timeout, this, &DeviceDisplayPage::onDeviceEventsTurn);
    m_model->setConflictBrush(m_conflictColor);
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
    connect(m_planChanges, &ChangeController::signalDeviceChanged, this, &DeviceDisplayPage::onPlanDeviceChanged);
    connect(m_planChanges, &ChangeController::signalFinished, this, &DeviceDisplayPage::onPlanFinished);

    connect(&VEXA::OnvifLogin::instance(), &VEXA::OnvifLogin::changed, this, &DeviceDisplayPage::onOnvifLoginChanged);
    onOnvifLoginChanged();
}

void DeviceDisplayPage::onOnvifLoginChanged() {
    const VEXA::OnvifLogin& login = VEXA::OnvifLogin::instance();
    const QStringList endpoints = login.endpoints();
    m_model->setLoginScope(login.isAutomatic(), QSet<QString>(endpoints.cbegin(), endpoints.cend()));
    m_model->setCredentialsSet(login.isSet());
}

QStringList DeviceDisplayPage::listedOnvifDevices() const {
    QVector<VEXA_DEVICE_MY_INFO> records;
    VEXA::DeviceStore::instance()->copyAll(records);
    QStringList endpoints;
    for (const VEXA_DEVICE_MY_INFO& record : std::as_const(records)) {
        const QString endpoint = recordText(record.endpointReference);
        if (!endpoint.isEmpty())
            endpoints << endpoint;
    }
    // Ours that also answer as ONVIF devices are not among them: they are changed as ours.
    return endpoints;
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
    const int hidden = static_cast<int>(m_hiddenByMaker.size());
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

void DeviceDisplayPage::recountStoredMacs() {
    QVector<VEXA_DEVICE_MY_INFO> records;
    VEXA::DeviceStore::instance()->copyAll(records);
    m_storedMacs.clear();
    m_oursByMac.clear();
    m_onvifByMac.clear();
    for (const VEXA_DEVICE_MY_INFO& record : records) {
        const QString mac = macKey(record);
        if (record.protocol == VEXA_PROTOCOL_ONVIF) {
            if (!mac.isEmpty())
                m_onvifByMac.insert(mac, recordText(record.endpointReference));
            continue;
        }
        ++m_storedMacs[recordText(record.mac)];
        m_oursByMac.insert(mac, deviceKeyOf(record));
    }
    m_storedTotal = static_cast<int>(records.size());
}

void DeviceDisplayPage::forgetMac(const QString& mac) {
    auto found = m_storedMacs.find(mac);
    if (found == m_storedMacs.end())
        return;
    --m_storedTotal;
    if (--found.value() <= 0)
        m_storedMacs.erase(found);
}

void DeviceDisplayPage::onDeviceLogin(VEXA_DEVICE_MY_INFO struDevInfo) {
    if (!deferDeviceEvent(DeviceEvent::Login, struDevInfo))
        login(struDevInfo);
}

void DeviceDisplayPage::onDeviceHiddenByMaker(VEXA_DEVICE_MY_INFO struDevInfo) {
    const DeviceKey key = deviceKeyOf(struDevInfo);
    m_hiddenByMaker.insert(key.serialNo + QChar(0) + key.mac);
    updateCount();
}

void DeviceDisplayPage::onDeviceLogout(VEXA_DEVICE_MY_INFO struDevInfo) {
    if (!m_hiddenByMaker.isEmpty()) {
        const DeviceKey key = deviceKeyOf(struDevInfo);
        if (m_hiddenByMaker.remove(key.serialNo + QChar(0) + key.mac)) {
            updateCount();
            return;
        }
    }
    if (!deferDeviceEvent(DeviceEvent::Logout, struDevInfo))
        logout(struDevInfo);
}

void DeviceDisplayPage::onDeviceUpdate(VEXA_DEVICE_MY_INFO struDevInfo) {
    if (!deferDeviceEvent(DeviceEvent::Update, struDevInfo))
        update(struDevInfo);
}

bool DeviceDisplayPage::deferDeviceEvent(DeviceEvent kind, const VEXA_DEVICE_MY_INFO& record) {
    if (m_eventSliceMs <= 0)
        return false;
    if (m_pending.isEmpty()) {
        // A burst of reports arrives as one long run of queued calls; the first of a run starts the clock,
        // and the turn timer, which fires once the run is through, stops it.
        if (!m_slice.isValid()) {
            m_slice.start();
            m_turnTimer->start();
        }
        if (m_slice.elapsed() < m_eventSliceMs)
            return false;
    }
    m_pending.append({kind, record});
    if (!m_turnTimer->isActive())
        m_turnTimer->start();
    return true;
}

void DeviceDisplayPage::runDeviceEvent(DeviceEvent kind, const VEXA_DEVICE_MY_INFO& record) {
    switch (kind) {
    case DeviceEvent::Login:
        login(record);
        break;
    case DeviceEvent::Logout:
        logout(record);
        break;
    case DeviceEvent::Update:
        update(record);
        break;
    }
}

void DeviceDisplayPage::onDeviceEventsTurn() {
    if (m_pending.isEmpty()) {
        m_slice.invalidate();
        return;
    }
    m_slice.start();
    while (m_pendingNext < m_pending.size() && m_slice.elapsed() < m_eventSliceMs) {
        // A copy: a slot reached from here (a refresh, say) may empty the queue.
        const PendingEvent event = m_pending.at(m_pendingNext++);
        runDeviceEvent(event.kind, event.record);
    }
    if (m_pendingNext >= m_pending.size()) {
        m_pending.clear();
        m_pendingNext = 0;
        m_slice.invalidate();
    } else {
        m_turnTimer->start();
    }
}

void DeviceDisplayPage::login(const VEXA_DEVICE_MY_INFO& record) {
    if (record.protocol == VEXA_PROTOCOL_ONVIF) {
        loginOnvif(record);
        return;
    }
    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    const QString mac = recordText(record.mac);
    {
        // The count per MAC mirrors the store (this page is what adds to it and removes from it), so the
        // test stays one hash look-up however many devices are listed.
        XRT_MutexGuard guard(store->lock());
        // Someone else emptied or filled the store: count its MACs afresh (rare, and then once).
        if (m_storedTotal != store->count())
            recountStoredMacs();
        if (m_storedMacs.contains(mac))
            return;
        qCDebug(lcVexaDiscovery).noquote() << QStringLiteral("kelnor_slot_add_") + recordText(record.ipv4Address);
        m_model->addDevice(record);
        store->add(record);
        ++m_storedMacs[mac];
        ++m_storedTotal;
        const QString twinMac = macKey(record);
        m_oursByMac.insert(twinMac, deviceKeyOf(record));
        // The same device was listed as an ONVIF device first: its row gives way to ours.
        const QString endpoint = m_onvifByMac.value(twinMac);
        VEXA_DEVICE_MY_INFO onvif;
        if (!endpoint.isEmpty() && store->getByEndpoint(endpoint, onvif)) {
            m_model->removeDevice(onvif);
            if (store->remove(onvif))
                --m_storedTotal;
            m_onvifByMac.remove(twinMac);
            absorbTwin(onvif);
        }
    }
    updateCount();
}

void DeviceDisplayPage::logout(const VEXA_DEVICE_MY_INFO& record) {
    if (record.protocol == VEXA_PROTOCOL_ONVIF) {
        logoutOnvif(record);
        return;
    }
    m_model->removeDevice(record);
    if (VEXA::DeviceStore::instance()->remove(record)) {
        forgetMac(recordText(record.mac));
        const QString mac = macKey(record);
        if (m_oursByMac.value(mac) == deviceKeyOf(record))
            m_oursByMac.remove(mac);
        releaseTwins(deviceKeyOf(record));
    }
    updateCount();
    reportCheckedDevices();
}

void DeviceDisplayPage::update(const VEXA_DEVICE_MY_INFO& record) {
    if (record.protocol == VEXA_PROTOCOL_ONVIF) {
        updateOnvif(record);
        return;
    }
    m_model->updateDevice(record);
    VEXA::DeviceStore::instance()->update(record);
}

bool DeviceDisplayPage::absorbTwin(const VEXA_DEVICE_MY_INFO& onvif) {
    const QString mac = macKey(onvif);
    const auto ours = m_oursByMac.constFind(mac);
    if (mac.isEmpty() || ours == m_oursByMac.cend())
        return false;
    const QString endpoint = recordText(onvif.endpointReference);
    m_twins.insert(endpoint, *ours);
    m_twinRecords.insert(endpoint, onvif);
    m_model->setAlsoOnvif(*ours, true);
    return true;
}

void DeviceDisplayPage::releaseTwins(const DeviceKey& ours) {
    QVector<VEXA_DEVICE_MY_INFO> released;
    for (auto it = m_twins.begin(); it != m_twins.end();) {
        if (it.value() == ours) {
            released.append(m_twinRecords.take(it.key()));
            it = m_twins.erase(it);
        } else {
            ++it;
        }
    }
    m_model->setAlsoOnvif(ours, false);
    // Our side went quiet; its ONVIF side may still answer, and is listed on its own again.
    for (const VEXA_DEVICE_MY_INFO& onvif : std::as_const(released))
        loginOnvif(onvif);
}

void DeviceDisplayPage::loginOnvif(const VEXA_DEVICE_MY_INFO& record) {
    const QString endpoint = recordText(record.endpointReference);
    if (m_twins.contains(endpoint)) {
        m_twinRecords.insert(endpoint, record);
        return;
    }
    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    {
        XRT_MutexGuard guard(store->lock());
        if (m_storedTotal != store->count())
            recountStoredMacs();
        VEXA_DEVICE_MY_INFO known;
        if (store->getByEndpoint(endpoint, known)) {
            updateOnvif(record);
            return;
        }
        if (absorbTwin(record))
            return;
        m_model->addDevice(record);
        store->add(record);
        ++m_storedTotal;
        const QString mac = macKey(record);
        if (!mac.isEmpty())
            m_onvifByMac.insert(mac, endpoint);
    }
    if (record.detailsState == VEXA_DETAILS_NEED_LOGIN && VEXA::OnvifLogin::instance().covers(endpoint))
        m_model->setRefusalReason(endpoint, VEXA::VexaHandler::instance()->onvifRefusal(endpoint));
    if (record.detailsState == VEXA_DETAILS_PARTIAL)
        m_model->setDetailsNote(endpoint, VEXA::VexaHandler::instance()->onvifDetailsNote(endpoint));
    updateCount();
}

void DeviceDisplayPage::logoutOnvif(const VEXA_DEVICE_MY_INFO& record) {
    const QString endpoint = recordText(record.endpointReference);
    const auto twin = m_twins.constFind(endpoint);
    if (twin != m_twins.cend()) {
        const DeviceKey ours = *twin;
        m_twins.erase(twin);
        m_twinRecords.remove(endpoint);
        if (std::find(m_twins.cbegin(), m_twins.cend(), ours) == m_twins.cend())
            m_model->setAlsoOnvif(ours, false);
        return;
    }
    m_model->removeDevice(record);
    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    VEXA_DEVICE_MY_INFO known;
    if (store->getByEndpoint(endpoint, known) && store->remove(known)) {
        --m_storedTotal;
        const QString mac = macKey(known);
        if (m_onvifByMac.value(mac) == endpoint)
            m_onvifByMac.remove(mac);
    }
    m_model->setRefusalReason(endpoint, QString());
    updateCount();
    reportCheckedDevices();
}

void DeviceDisplayPage::updateOnvif(const VEXA_DEVICE_MY_INFO& record) {
    const QString endpoint = recordText(record.endpointReference);
    if (m_twins.contains(endpoint)) {
        m_twinRecords.insert(endpoint, record);
        return;
    }
    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    VEXA_DEVICE_MY_INFO known;
    if (!store->getByEndpoint(endpoint, known)) {
        loginOnvif(record);
        return;
    }
    const QString mac = macKey(record);
    if (!mac.isEmpty() && m_oursByMac.contains(mac)) {
        // Its details show it is one of ours: the ONVIF row goes, ours stays and says so.
        m_model->removeDevice(known);
        if (store->remove(known))
            --m_storedTotal;
        absorbTwin(record);
        updateCount();
        reportCheckedDevices();
        return;
    }
    const bool rekeyed = !(deviceKeyOf(known) == deviceKeyOf(record));
    if (record.detailsState == VEXA_DETAILS_NEED_LOGIN && VEXA::OnvifLogin::instance().covers(endpoint))
        m_model->setRefusalReason(endpoint, VEXA::VexaHandler::instance()->onvifRefusal(endpoint));
    else
        m_model->setRefusalReason(endpoint, QString());
    m_model->updateDevice(record);
    store->update(record);
    const QString oldMac = macKey(known);
    if (oldMac != mac && m_onvifByMac.value(oldMac) == endpoint)
        m_onvifByMac.remove(oldMac);
    if (!mac.isEmpty())
        m_onvifByMac.insert(mac, endpoint);
    // A ticked device's key is what the modify page holds: hand it the new one.
    if (rekeyed && m_model->checkedCount() > 0)
        reportCheckedDevices();
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

    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    // For a batch, one copy of the store and a hash instead of one scan of the store per ticked row.
    QHash<QString, VEXA_DEVICE_MY_INFO> byKey;
    if (rows.size() > 1) {
        QVector<VEXA_DEVICE_MY_INFO> records;
        store->copyAll(records);
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
            store->get(key.serialNo, key.mac, record);
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
    // Reports still waiting are older than this refresh, which forgets everything they would change.
    m_pending.clear();
    m_pendingNext = 0;
    {
        VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
        XRT_MutexGuard guard(store->lock());
        store->clear();
        m_storedMacs.clear();
        m_storedTotal = 0;
        m_oursByMac.clear();
        m_onvifByMac.clear();
        m_twins.clear();
        m_twinRecords.clear();
    }
    m_hiddenByMaker.clear();
    m_model->removeRows(0, m_model->rowCount());
    updateCount();
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
    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    for (const DeviceInfo& entry : entries) {
        if (!entry.outcome.isDone())
            continue;
        VEXA_DEVICE_MY_INFO record;
        std::memset(&record, 0, sizeof record);
        if (store->get(entry.serialNo, entry.mac, record))
            m_model->updateDevice(record);
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
    QVector<VEXA_DEVICE_MY_INFO> records;
    VEXA::DeviceStore::instance()->copyAll(records);
    const std::vector<plan::PlanDevice> devices = planDevicesFromRecords(records);
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
    QVector<VEXA_DEVICE_MY_INFO> records;
    VEXA::DeviceStore::instance()->copyAll(records);
    const std::vector<plan::PlanDevice> devices = planDevicesFromRecords(records);
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

void DeviceDisplayPage::onPlanDeviceChanged(const QString& serialNo, const QString& mac, const VEXA_NET_PARAM& params) {
    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    VEXA_DEVICE_MY_INFO record;
    std::memset(&record, 0, sizeof record);
    {
        XRT_MutexGuard guard(store->lock());
        if (!store->writeNetParams(serialNo, mac, params) || !store->get(serialNo, mac, record))
            return;
    }
    m_model->updateDevice(record);
}

void DeviceDisplayPage::onPlanFinished() {
    if (!m_planCover.isNull())
        m_planCover->end();
    QVector<DeviceInfo> entries = m_planChanges->batch()->entries();
    VEXA::DeviceStore* store = VEXA::DeviceStore::instance();
    for (DeviceInfo& entry : entries) {
        VEXA_DEVICE_MY_INFO record;
        std::memset(&record, 0, sizeof record);
        if (store->get(entry.serialNo, entry.mac, record))
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
    if (key.isNull() || !VEXA::DeviceStore::instance()->get(key.serialNo, key.mac, record))
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
