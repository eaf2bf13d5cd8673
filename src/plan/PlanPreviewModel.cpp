#include "PlanPreviewModel.h"

#include "PlanText.h"

namespace VexaTool {

using plan::PlanField;

namespace {

// The skin's icons; without a skin the marks are the texts and tool tips alone.
const char* const kErrorIcon = ":/CommonSkin/VEXATool/Images/VEXATool/BaseControl/Inputs/icon_alert_error.png";
const char* const kOkIcon = ":/CommonSkin/VEXATool/Images/VEXATool/BaseControl/Inputs/icon_alert_ok.png";

QString fromPlan(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Device texts are read as the device list reads them.
QString fromDevice(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

PlanPreviewModel::PlanPreviewModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_errorIcon(QString::fromLatin1(kErrorIcon))
    , m_okIcon(QString::fromLatin1(kOkIcon)) {}

void PlanPreviewModel::setPlan(const plan::DeploymentPlan& plan, const plan::PlanCheck& check,
                               const std::vector<plan::PlanDevice>& devices) {
    beginResetModel();
    m_rows = plan.rows();
    m_devices = devices;
    m_check = check;
    m_check.deviceOfRow.resize(m_rows.size(), -1);
    m_issuesOfRow.assign(m_rows.size(), {});
    for (const plan::PlanIssue& issue : m_check.issues) {
        if (issue.row >= 0 && static_cast<std::size_t>(issue.row) < m_rows.size())
            m_issuesOfRow[static_cast<std::size_t>(issue.row)].push_back(issue);
    }
    endResetModel();
}

int PlanPreviewModel::markedRowCount() const {
    int marked = 0;
    for (const auto& issues : m_issuesOfRow)
        marked += issues.empty() ? 0 : 1;
    return marked;
}

int PlanPreviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int PlanPreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

PlanField PlanPreviewModel::fieldOf(int column) {
    switch (column) {
    case ColumnLine:
        return PlanField::Row;
    case ColumnSerial:
        return PlanField::Serial;
    case ColumnMac:
        return PlanField::Mac;
    case ColumnCurrentAddress:
        return PlanField::CurrentIpv4;
    case ColumnNewAddress:
        return PlanField::Ipv4;
    case ColumnMask:
        return PlanField::Mask;
    case ColumnGateway:
        return PlanField::Gateway;
    case ColumnName:
        return PlanField::Name;
    case ColumnPort:
        return PlanField::Port;
    case ColumnHttpPort:
        return PlanField::HttpPort;
    case ColumnRtspPort:
        return PlanField::RtspPort;
    case ColumnDhcp:
        return PlanField::Dhcp;
    default:
        return PlanField::Row;
    }
}

QString PlanPreviewModel::text(int row, int column) const {
    const plan::PlanRow& r = m_rows[static_cast<std::size_t>(row)];
    const int d = m_check.deviceOfRow[static_cast<std::size_t>(row)];
    const plan::PlanDevice* device =
        d >= 0 && static_cast<std::size_t>(d) < m_devices.size() ? &m_devices[static_cast<std::size_t>(d)] : nullptr;
    switch (column) {
    case ColumnLine:
        return QString::number(r.line);
    case ColumnSerial:
        return !r.serial.empty() || !device ? fromPlan(r.serial) : fromDevice(device->serial);
    case ColumnMac:
        return !r.mac.empty() || !device ? fromPlan(r.mac) : fromDevice(device->mac);
    case ColumnCurrentAddress:
        return device ? fromDevice(device->ipv4) : fromPlan(r.currentIpv4);
    case ColumnNewAddress:
        return device ? fromPlan(plan::plannedAddress(r, *device)) : fromPlan(r.ipv4);
    case ColumnMask:
        return fromPlan(r.mask);
    case ColumnGateway:
        return fromPlan(r.gateway);
    case ColumnName:
        return fromPlan(r.name);
    case ColumnPort:
        return fromPlan(r.port);
    case ColumnHttpPort:
        return fromPlan(r.httpPort);
    case ColumnRtspPort:
        return fromPlan(r.rtspPort);
    case ColumnDhcp:
        return fromPlan(r.dhcp);
    case ColumnCheck: {
        const QStringList all = messages(row, ColumnCheck);
        return all.isEmpty() ? tr("Ready") : all.join(QStringLiteral("; "));
    }
    default:
        return {};
    }
}

QStringList PlanPreviewModel::messages(int row, int column) const {
    QStringList out;
    for (const plan::PlanIssue& issue : m_issuesOfRow[static_cast<std::size_t>(row)]) {
        // The check column lists every fault; a value column only its own, and the line column those of the
        // row as a whole.
        if (column == ColumnCheck || issue.field == fieldOf(column))
            out << PlanText::issue(issue);
    }
    out.removeDuplicates();
    return out;
}

QVariant PlanPreviewModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    const int column = index.column();
    const bool rowMarked = !m_issuesOfRow[static_cast<std::size_t>(row)].empty();
    switch (role) {
    case Qt::DisplayRole:
        return text(row, column);
    case Qt::ToolTipRole: {
        const QStringList all = messages(row, column);
        return all.isEmpty() ? QVariant() : QVariant(all.join(QLatin1Char('\n')));
    }
    case Qt::DecorationRole:
        if (column == ColumnCheck)
            return rowMarked ? m_errorIcon : m_okIcon;
        return messages(row, column).isEmpty() ? QVariant() : QVariant(m_errorIcon);
    case CellMarkedRole:
        return column == ColumnCheck ? rowMarked : !messages(row, column).isEmpty();
    case RowMarkedRole:
        return rowMarked;
    default:
        return {};
    }
}

QVariant PlanPreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case ColumnLine:
        return tr("Line");
    case ColumnCurrentAddress:
        return tr("Current Address");
    case ColumnNewAddress:
        return tr("New Address");
    case ColumnCheck:
        return tr("Check");
    default:
        return section >= 0 && section < ColumnCount ? QVariant(PlanText::column(fieldOf(section))) : QVariant();
    }
}

} // namespace VexaTool
