#include "preview/InventoryDialog.h"

#include <memory>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include "deployment/Inventory.h"
#include "discovery/DeviceCall.h"
#include "discovery/OnvifLogin.h"
#include "export/XlsWriter.h"
#include "preview/InventoryRun.h"

namespace VexaTool {

namespace {

QString suffixOf(InventoryDialog::Format format) {
    return format == InventoryDialog::Csv ? QStringLiteral("csv") : QStringLiteral("xls");
}

} // namespace

InventoryDialog::InventoryDialog(const QVector<VEXA_DEVICE_MY_INFO>& records, QWidget* parent, int workers)
    : QDialog(parent)
    , m_records(records) {
    setObjectName(QStringLiteral("InventoryDialog"));
    setWindowTitle(tr("Export inventory"));
    m_run = new InventoryRun(workers, this);

    auto* intro = new QLabel(tr("One row per device and video profile, with its stream and snapshot addresses, for a "
                                "video management system's import. %n device(s).",
                                nullptr, static_cast<int>(records.size())),
                             this);
    intro->setObjectName(QStringLiteral("m_labelIntro"));
    intro->setWordWrap(true);

    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("m_editFile"));
    m_file->setAccessibleName(tr("File"));
    auto* browse = new QPushButton(tr("Browse…"), this);
    browse->setObjectName(QStringLiteral("m_btnBrowse"));
    browse->setAccessibleName(tr("Choose the file"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(browse);

    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("m_comboFormat"));
    m_format->setAccessibleName(tr("Format"));
    m_format->addItem(tr("Excel workbook (.xls)"), Workbook);
    m_format->addItem(tr("CSV, comma separated (.csv)"), Csv);

    m_userColumn = new QCheckBox(tr("Add a user-name column"), this);
    m_userColumn->setObjectName(QStringLiteral("m_checkUserColumn"));
    m_user = new QLineEdit(VEXA::OnvifLogin::instance().user(), this);
    m_user->setObjectName(QStringLiteral("m_editUser"));
    m_user->setAccessibleName(tr("User name"));
    m_user->setEnabled(false);
    m_user->setToolTip(tr("Written in every row; the password is never written."));

    auto* form = new QFormLayout;
    auto* fileLabel = new QLabel(tr("&File:"), this);
    fileLabel->setBuddy(m_file);
    form->addRow(fileLabel, fileRow);
    auto* formatLabel = new QLabel(tr("F&ormat:"), this);
    formatLabel->setBuddy(m_format);
    form->addRow(formatLabel, m_format);
    form->addRow(m_userColumn);
    auto* userLabel = new QLabel(tr("&User name:"), this);
    userLabel->setBuddy(m_user);
    form->addRow(userLabel, m_user);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("m_progressInventory"));
    m_progress->setAccessibleName(tr("Devices read"));
    m_progress->setRange(0, std::max(1, static_cast<int>(records.size())));
    m_progress->setValue(0);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("m_labelStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);

    m_export = new QPushButton(tr("Export"), this);
    m_export->setObjectName(QStringLiteral("m_btnExport"));
    m_export->setDefault(true);
    m_stop = new QPushButton(tr("Stop"), this);
    m_stop->setObjectName(QStringLiteral("m_btnStop"));
    m_stop->setEnabled(false);
    m_close = new QPushButton(tr("Close"), this);
    m_close->setObjectName(QStringLiteral("m_btnClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_export);
    buttons->addWidget(m_stop);
    buttons->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(m_progress);
    layout->addWidget(m_status);
    layout->addLayout(buttons);
    resize(520, sizeHint().height());

    m_chooser = [this] {
        const Format format = static_cast<Format>(m_format->currentData().toInt());
        return QFileDialog::getSaveFileName(this, tr("Export inventory"), m_file->text(),
                                            format == Csv ? tr("CSV files (*.csv)") : tr("Excel workbooks (*.xls)"));
    };
    connect(browse, &QPushButton::clicked, this, &InventoryDialog::onBrowse);
    connect(m_userColumn, &QCheckBox::toggled, m_user, &QWidget::setEnabled);
    connect(m_format, &QComboBox::currentIndexChanged, this, [this] {
        // The file name follows the format, so that a spreadsheet program opens it as what it is.
        const QString path = m_file->text();
        if (path.isEmpty())
            return;
        const QFileInfo info(path);
        const QString suffix = suffixOf(static_cast<Format>(m_format->currentData().toInt()));
        m_file->setText(info.dir().filePath(info.completeBaseName() + QLatin1Char('.') + suffix));
    });
    connect(m_export, &QPushButton::clicked, this, &InventoryDialog::onExport);
    connect(m_stop, &QPushButton::clicked, m_run, &InventoryRun::stop);
    connect(m_close, &QPushButton::clicked, this, &InventoryDialog::reject);
    connect(m_run, &InventoryRun::progress, this, [this](int done, int total) {
        m_progress->setValue(done);
        m_status->setText(tr("Reading devices: %1 of %2").arg(done).arg(total));
    });
    connect(m_run, &InventoryRun::finished, this, &InventoryDialog::onReadFinished);
}

InventoryDialog::~InventoryDialog() = default;

void InventoryDialog::reject() {
    if (m_run->isRunning()) {
        // The reads under way return first, out of sight; waiting for them here would hold up the window.
        m_closing = true;
        m_run->stop();
        hide();
        return;
    }
    QDialog::reject();
}

void InventoryDialog::onBrowse() {
    const QString path = m_chooser();
    if (path.isEmpty())
        return;
    m_file->setText(path);
    m_confirmedPath = path;
    if (path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        m_format->setCurrentIndex(m_format->findData(Csv));
    else if (path.endsWith(QStringLiteral(".xls"), Qt::CaseInsensitive))
        m_format->setCurrentIndex(m_format->findData(Workbook));
}

void InventoryDialog::setBusy(bool busy) {
    m_export->setEnabled(!busy);
    m_stop->setEnabled(busy && !m_writing);
    m_file->setEnabled(!busy);
    m_format->setEnabled(!busy);
    m_userColumn->setEnabled(!busy);
    m_user->setEnabled(!busy && m_userColumn->isChecked());
}

void InventoryDialog::onExport() {
    const QString path = m_file->text().trimmed();
    if (path.isEmpty()) {
        m_status->setText(tr("Choose a file first."));
        return;
    }
    // A typed name never replaces a file unasked; the file dialog asks before it does.
    if (QFileInfo::exists(path) && path != m_confirmedPath) {
        m_status->setText(tr("%1 exists. Choose it with \"Browse…\" to replace it, or type another name.")
                              .arg(QDir::toNativeSeparators(path)));
        return;
    }
    m_writing = false;
    setBusy(true);
    m_run->start(m_records);
}

QByteArray InventoryDialog::fileData(Format format, const std::vector<std::string>& header,
                                     const std::vector<std::vector<std::string>>& rows) {
    if (format == Csv) {
        const std::string text = plan::Inventory::csv(header, rows, true);
        return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
    }
    QVector<QStringList> table;
    table.reserve(static_cast<qsizetype>(rows.size() + 1));
    QVector<bool> numbers;
    QStringList names;
    for (const std::string& name : header) {
        names.append(QString::fromStdString(name));
        numbers.append(plan::Inventory::isNumberColumn(name));
    }
    table.append(names);
    for (const std::vector<std::string>& row : rows) {
        QStringList cells;
        cells.reserve(static_cast<qsizetype>(row.size()));
        for (const std::string& cell : row)
            cells.append(QString::fromStdString(cell));
        table.append(cells);
    }
    return XlsWriter::workbook(QStringLiteral("Inventory"), table, numbers);
}

void InventoryDialog::onReadFinished(bool stopped) {
    if (m_closing) {
        QDialog::reject();
        return;
    }
    if (stopped) {
        setBusy(false);
        m_status->setText(tr("Stopped: nothing was written."));
        emit exportDone(false);
        return;
    }
    m_writing = true;
    setBusy(true);
    m_status->setText(tr("Writing the file…"));
    const Format format = static_cast<Format>(m_format->currentData().toInt());
    const bool userColumn = m_userColumn->isChecked();
    const std::string user = m_user->text().toStdString();
    auto rows = std::make_shared<std::vector<std::vector<std::string>>>(m_run->rows(userColumn, user));
    const QString path = m_file->text().trimmed();
    struct Written {
        bool ok = false;
        QString error;
        int rows = 0;
    };
    // Building and writing thousands of rows is no work for the GUI thread.
    runDeviceCall(
        this,
        [format, userColumn, rows, path] {
            Written result;
            result.rows = static_cast<int>(rows->size());
            const QByteArray data = fileData(format, plan::Inventory::header(userColumn), *rows);
            if (data.isEmpty()) {
                result.error = tr("A workbook holds at most 65,535 rows; choose CSV.");
                return result;
            }
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
                result.error = file.errorString();
                return result;
            }
            result.ok = true;
            return result;
        },
        [this](const Written& result) { onWritten(result.ok, result.error, result.rows); });
}

void InventoryDialog::onWritten(bool ok, const QString& error, int rows) {
    m_writing = false;
    setBusy(false);
    if (ok)
        m_status->setText(tr("Written: %1 (%n row(s))", nullptr, rows).arg(QDir::toNativeSeparators(m_file->text())));
    else
        m_status->setText(tr("Not written: %1").arg(error));
    emit exportDone(ok);
}

} // namespace VexaTool
