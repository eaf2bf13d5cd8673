#pragma once

#include <functional>
#include <memory>

#include <QList>

#include "aptui/BaseDialog.h"

class QStandardItemModel;

namespace Ui {
class DevicesInfoSavePage;
}

namespace VexaTool {

class ExcelManager;

// The export dialog: asks for a file name and a folder, refuses to overwrite an existing workbook, and has
// the spreadsheet writer save the rows the list page handed over. "Confirm" closes it only after a save.
class DevicesInfoSavePage : public aptui::BaseDialog {
    Q_OBJECT

public:
    // model: the device table, read only and not owned.
    explicit DevicesInfoSavePage(QStandardItemModel* model, QWidget* parent = nullptr);
    ~DevicesInfoSavePage() override;

    enum class Format { Xls, Csv };
    void setFormat(Format format);
    Format format() const;

    // Fixed rows (a model nothing changes while the dialog is open).
    void setExportRows(QList<int> rows);
    // Rows found when "Confirm" is pressed: devices come and go while the dialog is open, so the caller hands
    // over its devices' identities and this finds where they are, and what they show, at that moment.
    void setExportRows(std::function<QList<int>()> rows) { m_rows = std::move(rows); }
    QList<int> exportRows() const { return m_rows ? m_rows() : QList<int>(); }

    // The folder offered when the dialog opens; shared by every export of this run, never saved.
    static QString exportFolder();
    static void setExportFolder(const QString& folder);
    // Replaces the folder chooser (tests); it returns the chosen folder or an empty text.
    void setFolderChooser(std::function<QString(const QString& start)> chooser) { m_chooser = std::move(chooser); }

public slots:
    bool eventFilter(QObject* target, QEvent* qevent) override;
    void onBtnFilepathClicked();
    void onSaveDevicesInfo();
    void onClearWarningInfo();
    void onClearLineEditFilePathError();

private:
    bool saveCsv(const QString& path) const;
    void warn(int kind, const QString& text, bool fileNameField, bool filePathField);

    std::unique_ptr<Ui::DevicesInfoSavePage> m_ui;
    QStandardItemModel* m_model = nullptr;
    std::function<QList<int>()> m_rows;
    ExcelManager* m_excel = nullptr;
    std::function<QString(const QString& start)> m_chooser;
};

} // namespace VexaTool
