#include "Standins.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QStandardItemModel>
#include <QStyleOption>
#include <QToolButton>
#include <QVBoxLayout>

#include "aptui/CoverWidget.h"
#include "aptui/MultiStateLineEdit.h"
#include "aptui/PinButton.h"
#include "aptui/TreeViewWithLeftPixmapDelegate.h"
#include "guitoolkit/CCheckBox.h"
#include "guitoolkit/CTableView.h"

namespace {

const char* const kImages = ":/CommonSkin/VEXATool/Images/VEXATool/";

QPixmap image(const QString& relative) {
    return QPixmap(QLatin1String(kImages) + relative);
}

QLabel* named(QLabel* label, const char* name) {
    label->setObjectName(QLatin1String(name));
    return label;
}

QToolButton* titleButton(const char* name, QWidget* parent, int size) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setFixedSize(size, size);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

namespace aptui {

Menu::Menu(QWidget* parent)
    : QMenu(parent) {
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setObjectName(QStringLiteral("Menu"));
}

WindowTitle::WindowTitle(const QString& title, QWidget* parent)
    : CFancyTitle(parent) {
    setFixedHeight(35);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(10);
    layout->addWidget(titleButton("m_btnIcon", this, 24));
    auto* label = named(new QLabel(title, this), "m_labelTitle");
    layout->addWidget(label, 0, Qt::AlignLeft);
    layout->addSpacing(5);
    auto* group = new QWidget(this);
    auto* right = new QHBoxLayout(group);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    right->addStretch();
    right->addWidget(titleButton("m_btnSystemMenu", group, 24));
    right->addSpacing(12);
    right->addWidget(titleButton("m_btnMinimize", group, 24));
    right->addWidget(titleButton("m_btnMaximize", group, 24));
    right->addWidget(titleButton("m_btnClose", group, 24));
    layout->addWidget(group, 1);
}

} // namespace aptui

namespace VexaTool {

VEXAToolMainPage::VEXAToolMainPage(QWidget* parent)
    : QMainWindow(parent) {
    setWindowFlags(Qt::Widget);
    setObjectName(QStringLiteral("VEXAToolMainPage"));
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto* grid = new QGridLayout(central);
    grid->setSpacing(0);
    grid->setContentsMargins(0, 0, 0, 0);
    auto* vertical = new QVBoxLayout;
    vertical->setSpacing(0);
    vertical->setContentsMargins(1, 1, 1, 1);
    grid->addLayout(vertical, 0, 0);
    vertical->addWidget(new aptui::WindowTitle(tr("VEXA Tool"), central));
    auto* pages = new QHBoxLayout;
    pages->setSpacing(0);
    pages->addWidget(new DeviceDisplayPage(central), 1);
    m_modifyPage = new DeviceModifyPage(central);
    pages->addWidget(m_modifyPage);
    vertical->addLayout(pages);
    setCentralWidget(central);

    m_pin = new aptui::PinButton(this);
    m_pin->setObjectName(QStringLiteral("m_pUnSpreadButton"));
    m_pin->setBuddy(m_modifyPage);
    m_pin->setFixedSize(20, 80);
    m_pin->raise();
    m_cover = new aptui::CoverWidget(this);
    m_cover->hide();
}

void VEXAToolMainPage::setCovered(bool covered) {
    m_cover->setVisible(covered);
    if (covered) {
        m_cover->setGeometry(rect());
        m_cover->raise();
    }
}

void VEXAToolMainPage::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    m_cover->setGeometry(QRect(QPoint(0, 0), event->size()));
    const int x = width() - 20 - m_modifyPage->width();
    m_pin->move(x + 1, static_cast<int>(height() * 0.3 - 20));
}

DeviceDisplayPage::DeviceDisplayPage(QWidget* parent)
    : aptui::Widget(parent) {
    setObjectName(QStringLiteral("DeviceDisplayPage"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 0, 0, 0);
    outer->setSpacing(0);
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("m_frameDeviceCount"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFixedHeight(62);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(10, 19, 20, 11);
    row->addWidget(named(new QLabel(tr("Total number of online devices:"), frame), "m_labelDeiceCount"));
    auto* line = new QFrame(frame);
    line->setObjectName(QStringLiteral("m_countLine"));
    line->setFrameShape(QFrame::VLine);
    line->setMaximumHeight(22);
    row->addWidget(line);
    row->addWidget(named(new QLabel(QStringLiteral("6"), frame), "m_labelDeviceCountValue"));
    row->addStretch();
    for (auto [name, text] : {std::pair{"m_btnExportDeviceInfo", "Export"}, {"m_btnRefreshDeviceInfo", "Refresh"}}) {
        auto* b = new QPushButton(tr(text), frame);
        b->setObjectName(QLatin1String(name));
        b->setMinimumSize(90, 30);
        b->setFocusPolicy(Qt::NoFocus);
        row->addWidget(b);
        row->addSpacing(10);
    }
    outer->addWidget(frame);

    auto* table = new OrvisGUIToolkit::CTableView(this);
    table->setObjectName(QStringLiteral("m_tableViewVexa"));
    table->setItemDelegate(new aptui::TreeViewWithLeftPixmapDelegate(table));
    table->setAlternatingRowColors(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setFocusPolicy(Qt::NoFocus);
    table->ShowGridLine(false);
    auto* model = new QStandardItemModel(0, 7, table);
    model->setHorizontalHeaderLabels(
        {QString(), tr("ID"), tr("Device Type"), tr("Status"), tr("IPv4 Address"), tr("Port"), tr("Serial Number")});
    const char* const rows[][6] = {
        {"001", "NVR-4104", "Active", "127.17.0.64", "8000", "NV4104-20231102VX7731"},
        {"002", "IPC-2420", "Inactive", "127.17.0.65", "8000", "IP2420-20230611VX1187"},
        {"003", "IPC-2420", "Active", "127.17.0.66", "8000", "IP2420-20230611VX1188"},
        {"004", "DVR-H104", "Active", "127.17.0.70", "8000", "DVH104-20221030VX0402"},
        {"005", "IPC-3612", "Inactive", "127.17.0.71", "8000", "IP3612-20240115VX5520"},
        {"006", "IPC-3612", "Active", "127.17.0.72", "8000", "IP3612-20240115VX5521"},
    };
    int r = 0;
    for (const auto& cells : rows) {
        QList<QStandardItem*> items;
        auto* check = new QStandardItem;
        check->setCheckable(true);
        check->setCheckState(r == 1 || r == 2 ? Qt::Checked : Qt::Unchecked);
        items << check;
        for (const char* cell : cells)
            items << new QStandardItem(QLatin1String(cell));
        model->appendRow(items);
        ++r;
    }
    table->setModel(model);
    table->setSortingEnabled(true);
    table->sortByColumn(1, Qt::AscendingOrder);
    const int widths[] = {36, 56, 100, 80, 120, 60, 200};
    for (int c = 0; c < 7; ++c)
        table->setColumnWidth(c, widths[c]);
    table->selectionModel()->select(model->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    outer->addWidget(table, 1);
}

DeviceModifyPage::DeviceModifyPage(QWidget* parent)
    : aptui::Widget(parent) {
    setObjectName(QStringLiteral("DeviceModifyPage"));
    setFixedWidth(370);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(24, 16, 20, 16);
    outer->setSpacing(10);
    auto* titleRow = new QHBoxLayout;
    auto* mark = named(new QLabel(this), "m_labelNetParaPicture");
    mark->setFixedSize(3, 11);
    titleRow->addWidget(mark);
    titleRow->addWidget(named(new QLabel(tr("Modify Network parameters"), this), "m_labelDeviceNetPara"), 1);
    outer->addLayout(titleRow);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    struct Row {
        const char* label;
        const char* text;
        const char* editor;
        const char* value;
        const char* state;
    };
    const Row rows[] = {
        {"m_labelSerialNumber", "Device Serial:", "m_lineEditSerialNumber", "IP2420-20230611VX1188", "Normal"},
        {"m_labelDeviceName", "Device Name:", "m_lineEditDeviceName", "Gate east", "Normal"},
        {"m_labelIpAddress", "IP Address:", "m_lineEditIpAddress", "127.17.0.300", "Error"},
        {"m_labelPort", "Port:", "m_lineEditPort", "8000", "Normal"},
        {"m_labelSubnetMask", "Subnet Mask:", "m_lineEditSubnetMask", "255.255.255.0", "Tip"},
        {"m_labelGateway", "Gateway:", "m_lineEditGateway", "127.17.0.1", "Normal"},
        {"m_labelHttpPort", "Http Port:", "m_lineEditHttpPort", "80", "Normal"},
    };
    int r = 0;
    for (const Row& row : rows) {
        grid->addWidget(named(new QLabel(tr(row.text), this), row.label), r, 0);
        auto* edit = new aptui::MultiStateLineEdit(this);
        edit->setObjectName(QLatin1String(row.editor));
        edit->setText(QLatin1String(row.value));
        edit->setMinimumHeight(30);
        edit->setState(QLatin1String(row.state));
        if (r == 0)
            edit->setReadOnly(true);
        grid->addWidget(edit, r, 1);
        auto* hint = new QLabel(this);
        hint->setFixedSize(18, 18);
        if (qstrcmp(row.state, "Error") == 0)
            hint->setPixmap(image(QStringLiteral("BaseControl/Inputs/icon_alert_error.png")));
        else if (qstrcmp(row.state, "Tip") == 0)
            hint->setPixmap(image(QStringLiteral("BaseControl/Inputs/icon_alert_info.png")));
        grid->addWidget(hint, r, 2);
        ++r;
    }
    auto* dhcp = new OrvisGUIToolkit::CCheckBox(this);
    dhcp->setText(tr("Enable DHCP"));
    dhcp->setObjectName(QStringLiteral("m_checkBoxDHCP"));
    grid->addWidget(dhcp, r, 1);
    outer->addLayout(grid);
    outer->addSpacing(6);

    auto* heading = new QHBoxLayout;
    heading->addWidget(named(new QLabel(this), "m_labelGrayLine"), 1);
    heading->addWidget(named(new QLabel(tr("Security Verification"), this), "m_labelSecurity"));
    heading->addWidget(named(new QLabel(this), "m_labelGrayLine1"), 1);
    outer->addLayout(heading);

    auto* admin = new QHBoxLayout;
    admin->addWidget(named(new QLabel(tr("Admin Password:"), this), "m_labelAdminPassword"));
    auto* pwd = new aptui::MultiStateLineEdit(this);
    pwd->setObjectName(QStringLiteral("m_lineEditAdminPassword"));
    pwd->setEchoMode(QLineEdit::Password);
    pwd->setText(QStringLiteral("secret12"));
    pwd->setMinimumHeight(30);
    admin->addWidget(pwd, 1);
    outer->addLayout(admin);
    auto* modify = new QPushButton(tr("Modify"), this);
    modify->setObjectName(QStringLiteral("m_btnModify"));
    modify->setFixedHeight(30);
    outer->addWidget(modify);
    auto* lost = new QPushButton(tr("Forget Password"), this);
    lost->setObjectName(QStringLiteral("m_btnLostPassword"));
    lost->setFixedHeight(24);
    outer->addWidget(lost, 0, Qt::AlignRight);
    outer->addStretch();
}

} // namespace VexaTool
