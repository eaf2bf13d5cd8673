#include "Standins.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QResizeEvent>
#include <QStandardItemModel>
#include <QStyleOption>
#include <QVBoxLayout>

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

namespace OrvisGUIToolkit {

CTableView::CTableView(QWidget* parent)
    : QTreeView(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAlternatingRowColors(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setFocusPolicy(Qt::NoFocus);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

} // namespace OrvisGUIToolkit

namespace aptui {

void Widget::paintEvent(QPaintEvent* event) {
    QStyleOption opt;
    opt.initFrom(this);
    QPainter p(this);
    style()->drawPrimitive(QStyle::PE_Widget, &opt, &p, this);
    QWidget::paintEvent(event);
}

CoverWidget::CoverWidget(QWidget* parent)
    : Widget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* cover = new QWidget(this);
    cover->setObjectName(QStringLiteral("m_cover"));
    layout->addWidget(cover);
}

PinButton::PinButton(bool folded, QWidget* parent)
    : QPushButton(parent) {
    // the same widget sheets the program's pin button sets on itself
    const char* const shown =
        "aptui--PinButton{     border-image:url(:/aptui/complex/Images/System/Complex/left.png);}"
        "aptui--PinButton:pressed{     border-image:url(:/aptui/complex/Images/System/Complex/leftSel.png);}";
    const char* const hidden =
        "aptui--PinButton{     border-image:url(:/aptui/complex/Images/System/Complex/right.png);}"
        "aptui--PinButton:pressed{     border-image:url(:/aptui/complex/Images/System/Complex/RightSel.png);}";
    setStyleSheet(QLatin1String(folded ? hidden : shown));
    setObjectName(QLatin1String(folded ? "m_pSpreadButton" : "m_pUnSpreadButton"));
    setFixedSize(20, 80);
}

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

BaseTitle::BaseTitle(const QString& title, bool min, bool max, QWidget* parent)
    : CFancyTitle(parent) {
    setObjectName(QStringLiteral("BaseTitle"));
    setMinimumHeight(32);
    auto* layout = new QHBoxLayout(this);
    layout->setObjectName(QStringLiteral("horizontalLayout_3"));
    layout->setSpacing(3);
    layout->setContentsMargins(12, 3, 3, 3);
    auto* app = titleButton("btnApp", this, 24);
    app->hide();
    layout->addWidget(app);
    layout->addWidget(named(new QLabel(title, this), "labelTitle"));
    layout->addStretch();
    auto* option = titleButton("btnOption", this, 24);
    option->hide();
    layout->addWidget(option);
    auto* bMin = titleButton("btnMin", this, 24);
    bMin->setVisible(min);
    layout->addWidget(bMin);
    auto* bMax = titleButton("btnMax", this, 24);
    bMax->setVisible(max);
    layout->addWidget(bMax);
    layout->addWidget(titleButton("btnClose", this, 24));
    for (auto* b : findChildren<QToolButton*>()) {
        b->setMinimumSize(24, 24);
        b->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

BaseDialog::BaseDialog(const QString& title, bool buttons, QWidget* parent)
    : QDialog(parent) {
    setWindowFlags(Qt::Widget);
    setObjectName(QStringLiteral("BaseDialog"));
    auto* outer = new QVBoxLayout(this);
    outer->setSpacing(0);
    outer->setContentsMargins(0, 0, 0, 0);
    m_title = new BaseTitle(title, false, false, this);
    outer->addWidget(m_title);
    m_mainBorder = new QWidget(this);
    m_mainBorder->setObjectName(QStringLiteral("mainBorder"));
    auto* borderLayout = new QVBoxLayout(m_mainBorder);
    borderLayout->setSpacing(0);
    borderLayout->setContentsMargins(0, 0, 0, 0);
    m_labelNull = named(new QLabel(m_mainBorder), "m_labelNULL");
    m_labelNull->setAlignment(Qt::AlignCenter);
    m_labelNull->setWordWrap(true);
    borderLayout->addWidget(m_labelNull);
    outer->addWidget(m_mainBorder, 1);
    m_bottom = new QWidget(this);
    m_bottom->setObjectName(QStringLiteral("m_BaseDialogBottom"));
    m_bottom->setMinimumHeight(50);
    auto* bottom = new QHBoxLayout(m_bottom);
    bottom->setSpacing(6);
    bottom->setContentsMargins(11, 11, 11, 11);
    bottom->addStretch();
    auto* confirm = new QPushButton(tr("Confirm"), m_bottom);
    confirm->setObjectName(QStringLiteral("btnConfirm"));
    confirm->setMinimumSize(72, 30);
    auto* cancel = new QPushButton(tr("Cancel"), m_bottom);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    cancel->setMinimumSize(72, 30);
    bottom->addWidget(confirm);
    bottom->addWidget(cancel);
    outer->addWidget(m_bottom);
    m_bottom->setVisible(buttons);
}

void BaseDialog::setDefaultText(const QString& text) {
    if (m_labelNull != nullptr)
        m_labelNull->setText(text);
}

void BaseDialog::setContentWidget(QWidget* content) {
    delete m_labelNull;
    m_labelNull = nullptr;
    m_mainBorder->layout()->addWidget(content);
}

void BaseDialog::setBottomVisible(bool visible) {
    m_bottom->setVisible(visible);
}

void TreeViewWithLeftPixmapDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
    if (option.state & QStyle::State_Selected) {
        QStyleOptionViewItem copy(option);
        copy.state &= ~QStyle::State_Selected;
        copy.state |= QStyle::State_MouseOver;
        QStyledItemDelegate::paint(painter, copy, index);
        return;
    }
    QStyledItemDelegate::paint(painter, option, index);
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
    m_title = new aptui::WindowTitle(tr("VEXA Tool"), central);
    vertical->addWidget(m_title);
    auto* pages = new QHBoxLayout;
    pages->setSpacing(0);
    pages->addWidget(new DeviceDisplayPage(central), 1);
    m_modifyPage = new DeviceModifyPage(central);
    pages->addWidget(m_modifyPage);
    vertical->addLayout(pages);
    setCentralWidget(central);

    m_pin = new aptui::PinButton(false, this);
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
    auto* model = new QStandardItemModel(0, 7, table);
    model->setHorizontalHeaderLabels(
        {QString(), tr("ID"), tr("Device Type"), tr("Status"), tr("IPv4 Address"), tr("Port"), tr("Serial Number")});
    const char* const rows[][6] = {
        {"001", "NVR-4104", "Active", "192.168.1.64", "8000", "NV4104-20231102AACH7731"},
        {"002", "IPC-2420", "Inactive", "192.168.1.65", "8000", "IP2420-20230611AACH1187"},
        {"003", "IPC-2420", "Active", "192.168.1.66", "8000", "IP2420-20230611AACH1188"},
        {"004", "DVR-7608", "Active", "192.168.1.70", "8000", "DV7608-20221030AACH0402"},
        {"005", "IPC-3612", "Inactive", "192.168.1.71", "8000", "IP3612-20240115AACH5520"},
        {"006", "IPC-3612", "Active", "192.168.1.72", "8000", "IP3612-20240115AACH5521"},
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
        {"m_labelSerialNumber", "Device Serial:", "m_lineEditSerialNumber", "IP2420-20230611AACH1188", "Normal"},
        {"m_labelDeviceName", "Device Name:", "m_lineEditDeviceName", "Gate east", "Normal"},
        {"m_labelIpAddress", "IP Address:", "m_lineEditIpAddress", "192.168.1.300", "Error"},
        {"m_labelPort", "Port:", "m_lineEditPort", "8000", "Normal"},
        {"m_labelSubnetMask", "Subnet Mask:", "m_lineEditSubnetMask", "255.255.255.0", "Tip"},
        {"m_labelGateway", "Gateway:", "m_lineEditGateway", "192.168.1.1", "Normal"},
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
    auto* dhcp = new QCheckBox(tr("Enable DHCP"), this);
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

WarningDialog::WarningDialog(int kind, const QString& text, QWidget* parent)
    : QDialog(parent) {
    setWindowFlags(Qt::Widget);
    setObjectName(QStringLiteral("WarningDialog"));
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(310, 120);
    auto* outer = new QVBoxLayout(this);
    outer->setSpacing(0);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* border = new QWidget(this);
    border->setObjectName(QStringLiteral("m_borderWidget"));
    outer->addWidget(border);
    auto* body = new QVBoxLayout(border);
    body->setSpacing(0);
    body->setContentsMargins(0, 0, 0, 10);
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    auto* close = new QPushButton(border);
    close->setObjectName(QStringLiteral("m_btnClose"));
    close->setFixedSize(32, 32);
    closeRow->addWidget(close);
    body->addLayout(closeRow);
    auto* message = new QHBoxLayout;
    message->setSpacing(16);
    message->setContentsMargins(20, 0, 20, 0);
    auto* icon = named(new QLabel(border), "m_labelWarnPicture");
    icon->setFixedSize(32, 32);
    const char* const icons[] = {"ok", "info", "error"};
    if (kind >= 0 && kind <= 2) {
        const QImage large(QLatin1String(kImages) +
                           QStringLiteral("TipDialog/icon_alert_%1_large.png").arg(QLatin1String(icons[kind])));
        icon->setPixmap(QPixmap::fromImage(large.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    }
    message->addWidget(icon, 0, Qt::AlignTop);
    auto* label = named(new QLabel(text, border), "m_labelWarnText");
    label->setWordWrap(true);
    label->setMinimumHeight(60);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message->addWidget(label, 1);
    body->addLayout(message);
    body->addStretch();
}

TipDialog::TipDialog(const QString& title, const QString& question, QWidget* parent)
    : aptui::BaseDialog(title, true, parent) {
    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("TipDialog"));
    auto* layout = new QVBoxLayout(content);
    layout->addStretch();
    auto* tip = named(new QLabel(question, content), "m_labelTip");
    tip->setAlignment(Qt::AlignCenter);
    layout->addWidget(tip);
    layout->addStretch();
    setContentWidget(content);
}

} // namespace VexaTool
