#pragma once

#include <QBrush>
#include <QHash>
#include <QIcon>
#include <QSet>
#include <QStandardItemModel>
#include <QVector>

#include "common/XmlNode.h"
#include "discovery/DeviceRecord.h"
#include "vexa.h"

namespace VexaTool {

// The device table: one row per listed device, 26 columns of text built from its record. Each kind of column
// sits at the position that "ColumnConfig.xml" gives it, so every cell is reached through columnOf().
//
// Beside the rows the model keeps hashed indexes (device key to row, address to the cells that show it, the
// ticked check boxes), so that a list of thousands stays fast; they follow every insertion and removal,
// whatever its path. GUI thread only.
class DeviceInfoModel : public QStandardItemModel {
    Q_OBJECT

public:
    enum ColumnKind {
        KindCheck = 0,
        KindId,
        KindDeviceType,
        KindActivate,
        KindIpv4Address,
        KindPort,
        KindSoftVersion,
        KindIpv4Gateway,
        KindHttpPort,
        KindSerialNumber,
        KindIpv4Mask,
        KindMac,
        KindChannelNo,
        KindDspVersion,
        KindStartTime,
        KindIpv6Address,
        KindIpv6Gateway,
        KindIpv6PrefixLength,
        KindSupportIpv6,
        KindSupportModIpv6,
        KindSupportDhcp,
        KindIpv4Dhcp,
        KindServiceTag,
        KindRtspPort,
        KindActivationState,
        KindClock,
        KindCount
    };
    static constexpr int kHeaderFlagRole = 162;
    // True on the ID cell of a device whose identity does not verify.
    static constexpr int UnverifiedRole = Qt::UserRole + 41;
    // The device's DeviceKey, on the check cell of its row.
    static constexpr int DeviceKeyRole = Qt::UserRole + 42;
    // The device's protocol (vexa.h), on the ID cell of a device known by its endpoint; absent for ours.
    static constexpr int ProtocolRole = Qt::UserRole + 43;
    // Words the quick filter matches beside the shown texts ("ONVIF"), on the check cell.
    static constexpr int KeywordsRole = Qt::UserRole + 44;
    // True on the ID cell of an ONVIF device that refused the run's sign-in.
    static constexpr int SignInRefusedRole = Qt::UserRole + 45;
    // True on the ID cell of one of our devices that also answers as an ONVIF device.
    static constexpr int AlsoOnvifRole = Qt::UserRole + 46;
    // On the check cell of an ONVIF device: its endpoint reference and maker; on its ID cell: VEXA_DETAILS_*.
    static constexpr int EndpointRole = Qt::UserRole + 47;
    static constexpr int MakerRole = Qt::UserRole + 48;
    static constexpr int DetailsStateRole = Qt::UserRole + 49;
    // VEXA_ONVIF_* bits of an ONVIF device (on the ID cell): said goodbye, certificate changed, address claimed.
    static constexpr int OnvifFlagsRole = Qt::UserRole + 50;
    // True on the ID cell of a device that restarts because a change was sent to it.
    static constexpr int RestartingRole = Qt::UserRole + 51;
    // True on the ID cell of a device that answered an address scan; every cell's tool tip then says so.
    static constexpr int FoundByScanRole = Qt::UserRole + 60;

    // configPath empty: "ColumnConfig.xml" beside the executable.
    explicit DeviceInfoModel(QObject* parent = nullptr, const QString& configPath = QString());

    int columnOf(int kind) const;
    QString columnConfigPath() const { return m_configPath; }

    void addDevice(const VEXA_DEVICE_MY_INFO& record);
    void removeDevice(const VEXA_DEVICE_MY_INFO& record);
    // Rewrites the row of the record's key. An ONVIF device whose key changed (its serial number and MAC arrived)
    // is found by its endpoint reference and re-keyed in place.
    void updateDevice(const VEXA_DEVICE_MY_INFO& record);
    // Rewrites the row from what the device reported after a change: every address it gave, also those that a
    // later announcement of its level leaves as the first one filled them.
    void showReadBack(const VEXA_DEVICE_MY_INFO& record);
    // Records in the column file that the column at position from went to position to; the columns in
    // memory stay where they are until the next start. False when the file cannot be written.
    bool moveColumn(int from, int to);

    // The device a row shows (a null key for a row out of range).
    DeviceKey keyOf(int row) const;
    // First row showing the device with this serial number and MAC, or -1.
    int rowOf(const QString& serialNo, const QString& mac) const;
    int rowOf(const DeviceKey& key) const { return rowOf(key.serialNo, key.mac); }
    // The row of the ONVIF device with this endpoint reference, or -1.
    int rowOfEndpoint(const QString& endpoint) const;
    // How many rows are ONVIF devices, or ours that also answer as one.
    int onvifCount() const { return static_cast<int>(m_rowsByEndpoint.size() + m_alsoOnvif.size()); }

    // How many ONVIF rows are in this VEXA_DETAILS_* state.
    int onvifRowsIn(int detailsState) const;

    // Whether the run has ONVIF credentials: a device asking for a login then refused them. A change shows the
    // devices that asked as being read again, until their next report.
    void setCredentialsSet(bool set);
    // Which ONVIF devices the login goes to (endpoint references), or all of them: a device outside says "Sign-in
    // needed", never that it refused a login it was not given. One that comes inside is shown as being read again.
    void setLoginScope(bool all, const QSet<QString>& endpoints);
    // The device's words when it refused the sign-in; shown with the mark. Empty: it gave none.
    void setRefusalReason(const QString& endpoint, const QString& reason);
    // What the device's last read could not read and why, in its own words; shown with a partly read row.
    void setDetailsNote(const QString& endpoint, const QString& note);
    // Marks (or unmarks) the row of a device that restarts because a change was sent to it: its state cell says
    // "Restarting…" until this is undone.
    void setRestarting(const DeviceKey& key, bool restarting);
    // Marks (or unmarks) the row of one of our devices that also answers as an ONVIF device.
    void setAlsoOnvif(const DeviceKey& key, bool also);
    // Rows whose check box is ticked, in row order.
    QList<int> checkedRows() const;
    int checkedCount() const { return static_cast<int>(m_checked.size()); }
    // How many listed devices show this IPv4 address.
    int addressUsers(const QString& address) const;

    // The clock of the ONVIF device with this endpoint reference, as read; marked in the conflict colour beyond
    // ClockOffset::kMarkedBeyond, in the far colour beyond kFarBeyond.
    void setClock(const QString& endpoint, const VEXA_CLOCK_INFO& clock);
    void setClockFarBrush(const QBrush& brush) { m_clockFarBrush = brush; }
    QBrush clockFarBrush() const { return m_clockFarBrush; }

    // Text colour of address cells that more than one device shows; the page takes it from the skin.
    void setConflictBrush(const QBrush& brush);
    QBrush conflictBrush() const { return m_conflictBrush; }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The order QStandardItemModel::sort gives (stable, by the cells' operator<, rows without a cell in the column
    // last), reached by taking the rows out and putting them back in that order instead of moving the cells in
    // place. A cell of QStandardItemModel finds its row by searching outwards from where it last was; in-place
    // sorting leaves every cell far from that place, and removing all 10,000 rows afterwards (Refresh, or closing
    // the program) then took 14 s. Ticks, tracking and filter keep; the view's selection does not.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    // Has every cell from this row on look up its row, first row first: after a row was removed each cell behind it
    // is a row from where it last was, and a cell asked from the end of a shortened model would search from its
    // middle.
    void learnPlaces(int from = 0);
    void loadPositions();
    bool writeDefaultConfig();
    void setHeader();
    QString text(int row, int kind) const;
    QStandardItem* cell(int row, int kind) const;
    void setCellText(int row, int kind, const QString& value);
    // The one way a record becomes a row's texts, for a new row and for a report that updates one.
    void fillCells(QStandardItem* const (&byKind)[KindCount], const VEXA_DEVICE_MY_INFO& record, bool firstReport);
    void fillOnvifCells(QStandardItem* const (&byKind)[KindCount], const VEXA_DEVICE_MY_INFO& record);
    void markIdentity(QStandardItem* idItem, bool certified);
    // Kept once set, as the library keeps the record's source.
    static void markScanned(QStandardItem* idItem, const VEXA_DEVICE_MY_INFO& record);
    QVariant cellData(const QModelIndex& index, int role) const;
    // The ID cell's icon and tool tip and an ONVIF device's state cell, from the row's roles.
    void markRow(int row);
    static QString keyText(const DeviceKey& key) { return key.serialNo + QChar(0) + key.mac; }

    void renumberFrom(int row);

    void onRowsInserted(const QModelIndex& parent, int first, int last);
    void onRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
    void onItemChanged(QStandardItem* item);
    void forgetAll();
    void track(int row);
    void untrack(int row);
    void trackAddress(QStandardItem* item, const QString& address);
    void untrackAddress(QStandardItem* item);
    void flushRepaints();

    // One shared copy of a text that many rows show (versions, masks, ports, "Yes"...), so that ten
    // thousand rows do not hold ten thousand copies of it.
    QString shared(const QString& text);

    XmlNode m_config;
    QString m_configPath;
    QVector<int> m_positions;
    bool m_configUsable = false; // the file gave every kind its own column

    // MAC -> the serial-number cells of the rows showing it. Keyed by the MAC cell's own text (shared, not
    // copied); the serial number is compared on look-up.
    QHash<QString, QVector<QStandardItem*>> m_rowsByMac;
    QHash<QString, QVector<QStandardItem*>> m_addressCells; // address -> the address cells showing it
    QHash<const QStandardItem*, QString> m_addressOf;
    QSet<QStandardItem*> m_checked;
    // Endpoint reference, and key text, -> the check cell of an ONVIF device's row (its cells may read "N/A").
    QHash<QString, QStandardItem*> m_rowsByEndpoint;
    QHash<QString, QStandardItem*> m_onvifRows;
    QHash<QString, QString> m_refusals;     // endpoint reference -> the device's words
    QHash<QString, QString> m_detailsNotes; // endpoint reference -> what its last read missed, and why
    QSet<QString> m_alsoOnvif;              // serial number + NUL + MAC of ours that also answer as ONVIF devices
    QSet<QString> m_restarting;             // the same, of devices restarting: no look-up while there are none
    bool m_credentialsSet = false;
    bool m_loginForAll = true;
    QSet<QString> m_loginScope;
    QVector<QStandardItem*> m_pendingRepaint;

    QSet<QString> m_sharedTexts;
    QString m_yes, m_no, m_on, m_off, m_notAvailable, m_activated, m_notActivated, m_empty;
    QString m_notApplicable, m_notApplicableTip; // the activation cell of an ONVIF device
    QString m_restartingText, m_restartingTip;

    QBrush m_textBrush;
    QBrush m_conflictBrush;
    QBrush m_clockFarBrush = QBrush(QColor(0xD9, 0x30, 0x25));
    QIcon m_unverifiedIcon;
    QIcon m_onvifIcon;
    QIcon m_conflictIcon;
};

} // namespace VexaTool
