#include "modify/DeviceModifyResultPage.h"

#include <QClipboard>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QUrl>

#include "aptui/TreeViewWithLeftPixmapDelegate.h"
#include "aptui/WarningDialog.h"
#include "outcome/ErrorText.h"
#include "plan/ReceiptFile.h"
#include "ui_DeviceModifyResultPage.h"

namespace VexaTool {

namespace {

constexpr int kColumnWidths[] = {50, 120, 120, 175, 175};

} // namespace

DeviceModifyResultPage::DeviceModifyResultPage(QWidget* parent)
    : aptui::BaseDialog(false, false, false, false, true, true, false, parent)
    , m_ui(std::make_unique<Ui::DeviceModifyResultPage>()) {
    setTitle(tr("Confirmation List"));
    setWindowIcon(QIcon(QStringLiteral(":/CommonSkin/VEXATool/Images/VEXATool/SystemInfo/logo_large.png")));
    resize(700, 500);

    auto* content = new QWidget(this);
    m_ui->setupUi(content);
    m_model = new QStandardItemModel(0, 5, this);
    m_model->setHorizontalHeaderLabels(
        {tr("ID"), tr("Device Type"), tr("IPv4 Address"), tr("Serial Number"), tr("Modification")});
    for (int column = 0; column < 5; ++column)
        m_model->setHeaderData(column, Qt::Horizontal, int(Qt::AlignLeft | Qt::AlignVCenter), Qt::TextAlignmentRole);
    m_ui->m_tableViewResult->setModel(m_model);
    m_ui->m_tableViewResult->ShowGridLine(false);
    m_ui->m_tableViewResult->setItemDelegate(new aptui::TreeViewWithLeftPixmapDelegate(m_ui->m_tableViewResult));
    m_ui->m_tableViewResult->setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContentWidget(content);

    m_ui->m_btnSaveReceipt->hide();
    m_receiptChooser = [this] {
        const QString suggested = tr("receipt-%1.csv").arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
        return QFileDialog::getSaveFileName(this, tr("Save receipt"), suggested, tr("CSV files (*.csv)"));
    };
    connect(m_ui->m_btnSaveReceipt, &QPushButton::clicked, this, &DeviceModifyResultPage::onSaveReceipt);

    // Beside "Save receipt…": the folder where every batch and plan has left its receipt by itself.
    m_btnReceipts = new QPushButton(tr("Receipts…"), m_ui->m_btnSaveReceipt->parentWidget());
    m_btnReceipts->setObjectName(QStringLiteral("m_btnReceiptHistory"));
    m_btnReceipts->setMinimumSize(m_ui->m_btnSaveReceipt->minimumSize());
    m_btnReceipts->setAccessibleName(tr("Open the folder of receipts"));
    m_btnReceipts->hide();
    m_ui->m_layoutCounts->insertWidget(m_ui->m_layoutCounts->indexOf(m_ui->m_btnSaveReceipt), m_btnReceipts);
    m_folderOpener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    connect(m_btnReceipts, &QPushButton::clicked, this, &DeviceModifyResultPage::onOpenReceipts);

    // Under the table: where the receipt is, and (when no file manager opens the folder) the folder's path to
    // copy. Both selectable, so that an installer can take them along.
    auto* receiptRow = new QWidget(content);
    auto* receiptLayout = new QHBoxLayout(receiptRow);
    receiptLayout->setContentsMargins(0, 0, 0, 0);
    m_labelReceiptPath = new QLabel(receiptRow);
    m_labelReceiptPath->setObjectName(QStringLiteral("m_labelReceiptPath"));
    m_labelReceiptPath->setTextFormat(Qt::PlainText);
    m_labelReceiptPath->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_labelReceiptPath->setWordWrap(true);
    m_labelReceiptPath->setAccessibleName(tr("Where the receipt is"));
    m_btnCopyFolder = new QPushButton(tr("Copy path"), receiptRow);
    m_btnCopyFolder->setObjectName(QStringLiteral("m_btnCopyReceiptFolder"));
    m_btnCopyFolder->setAccessibleName(tr("Copy the path of the receipts folder"));
    m_btnCopyFolder->hide();
    connect(m_btnCopyFolder, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(QDir::toNativeSeparators(receiptFolder())); });
    receiptLayout->addWidget(m_labelReceiptPath, 1);
    receiptLayout->addWidget(m_btnCopyFolder);
    receiptRow->hide();
    m_receiptRow = receiptRow;
    m_ui->m_layoutPage->addWidget(receiptRow, 2, 0);
}

QString DeviceModifyResultPage::receiptFolder() const {
    return m_historyPath.isEmpty() ? QString() : QFileInfo(m_historyPath).absolutePath();
}

void DeviceModifyResultPage::onOpenReceipts() {
    if (m_historyPath.isEmpty())
        return;
    if (m_folderOpener && m_folderOpener(QUrl::fromLocalFile(receiptFolder())))
        return;
    // Nothing opens folders here (no file manager): the path, to copy, is what we can give.
    m_labelReceiptPath->setText(tr("Receipts folder: %1").arg(QDir::toNativeSeparators(receiptFolder())));
    m_btnCopyFolder->show();
}

void DeviceModifyResultPage::setReceiptHistory(const QString& path) {
    m_historyPath = path;
    m_btnReceipts->setVisible(!path.isEmpty());
    m_btnReceipts->setToolTip(path);
    m_receiptRow->setVisible(!path.isEmpty());
    m_btnCopyFolder->hide();
    m_labelReceiptPath->setText(path.isEmpty() ? QString()
                                               : tr("Receipt saved as %1").arg(QDir::toNativeSeparators(path)));
}

DeviceModifyResultPage::~DeviceModifyResultPage() = default;

void DeviceModifyResultPage::setResultHeader(int column, const QString& text) {
    m_model->setHeaderData(column, Qt::Horizontal, text, Qt::DisplayRole);
}

void DeviceModifyResultPage::setCountCaption(const QString& text) {
    m_ui->m_labelDeviceAll->setText(text);
}

void DeviceModifyResultPage::setFailureCaption(const QString& text) {
    m_ui->m_labelDeviceFail->setText(text);
}

void DeviceModifyResultPage::setEntries(const QVector<DeviceInfo>& entries) {
    m_ui->m_labelDeviceAll->setText(m_ui->m_labelDeviceAll->text() + QLatin1Char(' ') +
                                    QString::number(entries.size()));
    for (int column = 0; column < 5; ++column)
        m_ui->m_tableViewResult->setColumnWidth(column, kColumnWidths[column]);

    const QColor textColour(0x66, 0x66, 0x66);
    m_failures = 0;
    for (const DeviceInfo& entry : entries) {
        QList<QStandardItem*> row{new QStandardItem(entry.index), new QStandardItem(entry.deviceType),
                                  new QStandardItem(entry.ipv4Address), new QStandardItem(entry.serialNo),
                                  new QStandardItem(entry.result)};
        for (QStandardItem* item : row) {
            item->setForeground(textColour);
            item->setEditable(false);
        }
        QStandardItem* result = row.last();
        // The icon says it on screen; a screen reader reads the cell's name.
        if (entry.outcome.isDone()) {
            result->setIcon(QIcon(QString::fromLatin1(kOkIcon)));
            result->setText(QString());
            result->setData(entry.result.isEmpty() ? tr("Done") : entry.result, Qt::AccessibleTextRole);
        } else {
            result->setIcon(QIcon(QString::fromLatin1(kErrorIcon)));
            result->setToolTip(entry.result);
            result->setData(entry.result, Qt::AccessibleTextRole);
            ++m_failures;
        }
        m_model->appendRow(row);
    }
    m_ui->m_labelDeviceFail->setText(m_ui->m_labelDeviceFail->text() + QLatin1Char(' ') + QString::number(m_failures));
}

void DeviceModifyResultPage::setReceipt(std::vector<plan::ReceiptEntry> receipt) {
    m_receipt = std::move(receipt);
    m_ui->m_btnSaveReceipt->setVisible(!m_receipt.empty());
}

bool DeviceModifyResultPage::saveReceipt(const QString& path) {
    QString error;
    if (ReceiptFile::save(path, m_receipt, &error))
        return true;
    WarningDialog::showWarning(pos() + QPoint(width() / 2 - 155, height() / 2 - 60), WarningDialog::Error,
                               tr("The receipt could not be saved: %1").arg(error), this);
    return false;
}

void DeviceModifyResultPage::onSaveReceipt() {
    const QString path = m_receiptChooser ? m_receiptChooser() : QString();
    if (!path.isEmpty())
        saveReceipt(path);
}

} // namespace VexaTool
