#include "export/DevicesInfoSavePage.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMouseEvent>
#include <QSaveFile>
#include <QStandardItemModel>

#include "aptui/MultiStateLineEdit.h"
#include "aptui/WarningDialog.h"
#include "deployment/CsvWriter.h"
#include "export/ExcelManager.h"
#include "ui_DevicesInfoSavePage.h"

namespace VexaTool {

namespace {

QString initialFolder() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\");
#else
    // There is no "C:\" here; the home folder is where a user looks first.
    return QDir::homePath() + QLatin1Char('/');
#endif
}

QString& rememberedFolder() {
    static QString folder = initialFolder();
    return folder;
}

const char* const kFolderButtonStyle =
    "QToolButton{background-image:url(:/CommonSkin/VEXATool/Images/VEXATool/Dialog/icon_floder_open.png);"
    "background-repeat:no-repeat;background-position:center;background-color:#FEFEFE;border:1px solid #CCCCCC;}"
    "QToolButton:hover,QToolButton:pressed{background-image:url(:/CommonSkin/VEXATool/Images/VEXATool/Dialog/"
    "icon_floder_open_hover.png);background-repeat:no-repeat;background-position:center;background-color:#FEFEFE;"
    "border:1px solid #666666;}"
    "QToolButton:disabled{background-image:url(:/CommonSkin/VEXATool/Images/VEXATool/Dialog/"
    "icon_floder_open_dis.png);background-repeat:no-repeat;background-position:center;background-color:#EEEEEE;"
    "border:1px solid #DDDDDD;}";

} // namespace

QString DevicesInfoSavePage::exportFolder() {
    return rememberedFolder();
}

void DevicesInfoSavePage::setExportFolder(const QString& folder) {
    rememberedFolder() = folder;
}

DevicesInfoSavePage::DevicesInfoSavePage(QStandardItemModel* model, QWidget* parent)
    : aptui::BaseDialog(false, false, false, false, true, true, true, parent)
    , m_ui(std::make_unique<Ui::DevicesInfoSavePage>())
    , m_model(model)
    , m_chooser([this](const QString& start) {
        return QFileDialog::getExistingDirectory(this, QString(), start, QFileDialog::ShowDirsOnly);
    }) {
    auto* content = new QWidget(this);
    m_excel = new ExcelManager(this);
    m_ui->setupUi(content);
    setContentWidget(content);

    m_ui->m_lineEditFilename->setMaxLength(32);
    m_ui->m_lineEditFilepath->setText(exportFolder());
    m_ui->m_btnFilepath->setStyleSheet(QString::fromLatin1(kFolderButtonStyle));

    setTitle(tr("Export"));
    resize(510, 362);
    setEnableConfirm(false);

    connect(m_ui->m_btnFilepath, &QToolButton::clicked, this, &DevicesInfoSavePage::onClearLineEditFilePathError);
    connect(m_ui->m_btnFilepath, &QToolButton::clicked, this, &DevicesInfoSavePage::onBtnFilepathClicked);
    connect(this, &aptui::BaseDialog::signalConfirmButtonClicked, this, &DevicesInfoSavePage::onSaveDevicesInfo);

    m_ui->m_lineEditFilename->installEventFilter(this);
    m_ui->m_lineEditFilepath->installEventFilter(this);
    m_ui->m_lineEditFilename->setFocus();
}

DevicesInfoSavePage::~DevicesInfoSavePage() = default;

void DevicesInfoSavePage::setExportRows(QList<int> rows) {
    m_rows = [rows] { return rows; };
}

void DevicesInfoSavePage::warn(int kind, const QString& text, bool fileNameField, bool filePathField) {
    const QPoint position = pos() + QPoint(width() / 2 - 155, height() / 2 - 60);
    aptui::MultiStateLineEdit* field = nullptr;
    QLabel* hint = nullptr;
    if (fileNameField) {
        field = m_ui->m_lineEditFilename;
        hint = m_ui->m_labelHintFileName;
    } else if (filePathField) {
        field = m_ui->m_lineEditFilepath;
        hint = m_ui->m_labelHintFilePath;
    }
    WarningDialog::showWarning(position, kind, text, this, field, hint);
}

void DevicesInfoSavePage::onBtnFilepathClicked() {
    QString folder = m_chooser ? m_chooser(exportFolder()) : QString();
    if (folder.isEmpty())
        return;
    folder = QDir::toNativeSeparators(folder);
    setExportFolder(folder);
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    m_ui->m_lineEditFilepath->setText(folder);
}

void DevicesInfoSavePage::onSaveDevicesInfo() {
    const QString folderText = m_ui->m_lineEditFilepath->text();
    if (!folderText.isEmpty())
        setExportFolder(folderText);
    const QString fileName = m_ui->m_lineEditFilename->text();
    const QString folder = folderText + QLatin1Char('/');
    if (fileName.isEmpty()) {
        warn(WarningDialog::Error, tr("Please input file name."), true, false);
        return;
    }
    if (folder == QLatin1String("/")) {
        warn(WarningDialog::Error, tr("Please input file path."), false, true);
        return;
    }
    if (format() == Format::Csv) {
        const QString path = folder + fileName + QStringLiteral(".csv");
        if (QFile::exists(path)) {
            warn(WarningDialog::Error, tr("The file name has been used, please change it"), false, false);
            return;
        }
        if (saveCsv(path)) {
            warn(WarningDialog::Success, tr("Saving succeed."), false, false);
            accept();
        } else {
            warn(WarningDialog::Error, tr("Saving failed."), false, false);
        }
        return;
    }
    if (QFile::exists(folder + fileName + QStringLiteral(".xls"))) {
        warn(WarningDialog::Error, tr("The file name has been used, please change it"), false, false);
        return;
    }
    if (m_excel->exportRows(fileName, folder, m_model, exportRows())) {
        warn(WarningDialog::Success, tr("Saving succeed."), false, false);
        accept();
    } else {
        warn(WarningDialog::Error, tr("Saving failed."), false, false);
    }
}

void DevicesInfoSavePage::setFormat(Format format) {
    m_ui->m_comboBoxFormat->setCurrentIndex(format == Format::Csv ? 1 : 0);
}

DevicesInfoSavePage::Format DevicesInfoSavePage::format() const {
    return m_ui->m_comboBoxFormat->currentIndex() == 1 ? Format::Csv : Format::Xls;
}

bool DevicesInfoSavePage::saveCsv(const QString& path) const {
    if (!m_model)
        return false;
    // The workbook's columns and header names, so that both files read the same.
    const QStringList names = m_excel->columnNames(m_model);
    plan::CsvWriter csv;
    std::vector<std::string> fields;
    for (const QString& name : names)
        fields.push_back(name.toStdString());
    csv.addRow(fields);
    for (const int row : exportRows()) {
        fields.clear();
        for (int column = 1; column < m_model->columnCount(); ++column)
            fields.push_back(m_model->index(row, column).data(Qt::DisplayRole).toString().toStdString());
        csv.addRow(fields);
    }
    const std::string& text = csv.data();
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size()) &&
           file.commit();
}

void DevicesInfoSavePage::onClearWarningInfo() {
    m_ui->m_lineEditFilename->clearMark(m_ui->m_labelHintFileName);
    m_ui->m_lineEditFilepath->clearMark(m_ui->m_labelHintFilePath);
}

void DevicesInfoSavePage::onClearLineEditFilePathError() {
    m_ui->m_lineEditFilepath->clearMark(m_ui->m_labelHintFilePath);
}

bool DevicesInfoSavePage::eventFilter(QObject* target, QEvent* qevent) {
    if (qevent->type() == QEvent::MouseButtonPress) {
        if (target == m_ui->m_lineEditFilename)
            m_ui->m_lineEditFilename->clearMark(m_ui->m_labelHintFileName);
        else if (target == m_ui->m_lineEditFilepath)
            m_ui->m_lineEditFilepath->clearMark(m_ui->m_labelHintFilePath);
    }
    return aptui::BaseDialog::eventFilter(target, qevent);
}

} // namespace VexaTool
