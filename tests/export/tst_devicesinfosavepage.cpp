#include <memory>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "../devicelist/TestRecords.h"
#include "XlsReader.h"
#include "aptui/MultiStateLineEdit.h"
#include "aptui/WarningDialog.h"
#include "deployment/CsvReader.h"
#include "deployment/CsvWriter.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceFilterProxyModel.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/DeviceStore.h"
#include "export/DevicesInfoSavePage.h"

using VexaTool::DeviceDisplayPage;
using VexaTool::DeviceInfoModel;
using VexaTool::DevicesInfoSavePage;

class TestDevicesInfoSavePage : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void folderStartsAtHome();
    void refusals_data();
    void refusals();
    void chosenFolderIsShownWithSeparator();
    void listPageExportsTickedRowsInRowOrder();
    void csvExportWritesTheShownTickedRows();
    void exportsTheTickedDevicesAsTheyAreAtConfirm();

private:
    QString message() const { return m_messages.isEmpty() ? QString() : m_messages.last(); }
    aptui::MultiStateLineEdit* editor(DevicesInfoSavePage& dialog, const char* name) const {
        return dialog.findChild<aptui::MultiStateLineEdit*>(QLatin1String(name));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DeviceInfoModel> m_model;
    std::unique_ptr<QTimer> m_answer;
    QStringList m_messages;
};

void TestDevicesInfoSavePage::initTestCase() {
    qRegisterMetaType<ModifyPage>("ModifyPage");
    qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");
}

void TestDevicesInfoSavePage::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_model = std::make_unique<DeviceInfoModel>(nullptr, m_dir->filePath(QStringLiteral("ColumnConfig.xml")));
    m_model->addDevice(testrecords::device("SA", "02-00-00-00-00-01", "192.168.1.2"));
    m_model->addDevice(testrecords::device("SB", "02-00-00-00-00-02", "192.168.1.3"));
    m_messages.clear();
    // Reads and closes every warning box as it comes up.
    m_answer = std::make_unique<QTimer>();
    m_answer->setInterval(10);
    connect(m_answer.get(), &QTimer::timeout, this, [this] {
        auto* box = qobject_cast<VexaTool::WarningDialog*>(QApplication::activeModalWidget());
        if (!box)
            return;
        QStringList texts;
        for (const QLabel* label : box->findChildren<QLabel*>()) {
            if (!label->text().isEmpty())
                texts << label->text();
        }
        m_messages << texts.join(QLatin1Char('|'));
        box->close();
    });
    m_answer->start();
}

void TestDevicesInfoSavePage::cleanup() {
    m_answer.reset();
    m_model.reset();
    m_dir.reset();
}

void TestDevicesInfoSavePage::folderStartsAtHome() {
    DevicesInfoSavePage dialog(m_model.get());
#ifdef Q_OS_WIN
    QCOMPARE(editor(dialog, "m_lineEditFilepath")->text(), QStringLiteral("C:\\"));
#else
    QCOMPARE(editor(dialog, "m_lineEditFilepath")->text(), QDir::homePath() + QLatin1Char('/'));
#endif
    QCOMPARE(editor(dialog, "m_lineEditFilename")->maxLength(), 32);
}

void TestDevicesInfoSavePage::refusals_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folder"); // "<tmp>" stands for the test's folder
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("marked");
    QTest::newRow("no name") << ""
                             << "<tmp>"
                             << "Please input file name."
                             << "m_lineEditFilename";
    QTest::newRow("no folder") << "devices"
                               << ""
                               << "Please input file path."
                               << "m_lineEditFilepath";
    QTest::newRow("existing workbook") << "taken"
                                       << "<tmp>"
                                       << "The file name has been used, please change it"
                                       << "";
    QTest::newRow("folder is a file") << "devices"
                                      << "<tmp>/taken.xls"
                                      << "Saving failed."
                                      << "";
    QTest::newRow("saved") << "devices"
                           << "<tmp>"
                           << "Saving succeed."
                           << "";
}

void TestDevicesInfoSavePage::refusals() {
    QFETCH(QString, name);
    QFETCH(QString, folder);
    QFETCH(QString, marked);
    folder.replace(QStringLiteral("<tmp>"), m_dir->path());
    const QString taken = m_dir->filePath(QStringLiteral("taken.xls"));
    QFile file(taken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("old");
    file.close();

    DevicesInfoSavePage dialog(m_model.get());
    dialog.setExportRows({1});
    editor(dialog, "m_lineEditFilename")->setText(name);
    editor(dialog, "m_lineEditFilepath")->setText(folder);
    dialog.onSaveDevicesInfo();
    QFETCH(QString, text);
    QVERIFY2(message().contains(text), qPrintable(message()));
    if (!marked.isEmpty())
        QCOMPARE(editor(dialog, marked.toLatin1().constData())->lineEditState(), aptui::MultiStateLineEdit::ERROR);
    const bool saved = text == QLatin1String("Saving succeed.");
    QCOMPARE(dialog.result(), saved ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("old"));
    QCOMPARE(QFile::exists(m_dir->filePath(QStringLiteral("devices.xls"))), saved);
    // A typed folder is offered next time, even after a refusal.
    if (!folder.isEmpty())
        QCOMPARE(DevicesInfoSavePage::exportFolder(), folder);

    // A press into a marked editor clears its mark.
    if (!marked.isEmpty()) {
        aptui::MultiStateLineEdit* field = editor(dialog, marked.toLatin1().constData());
        dialog.show();
        QTest::mouseClick(field, Qt::LeftButton);
        QCOMPARE(field->lineEditState(), aptui::MultiStateLineEdit::NORMAL);
    }
}

void TestDevicesInfoSavePage::chosenFolderIsShownWithSeparator() {
    DevicesInfoSavePage dialog(m_model.get());
    QString offered;
    dialog.setFolderChooser([this, &offered](const QString& start) {
        offered = start;
        return m_dir->path();
    });
    dialog.onBtnFilepathClicked();
    QCOMPARE(editor(dialog, "m_lineEditFilepath")->text(), QDir::toNativeSeparators(m_dir->path()) + QDir::separator());
    QCOMPARE(DevicesInfoSavePage::exportFolder(), QDir::toNativeSeparators(m_dir->path()));
    dialog.setFolderChooser([](const QString&) { return QString(); });
    dialog.onBtnFilepathClicked();
    QCOMPARE(editor(dialog, "m_lineEditFilepath")->text(), QDir::toNativeSeparators(m_dir->path()) + QDir::separator());
}

void TestDevicesInfoSavePage::listPageExportsTickedRowsInRowOrder() {
    VEXA::DeviceStore::instance()->clear();
    DeviceDisplayPage page(nullptr, m_dir->filePath(QStringLiteral("ColumnConfig.xml")));
    page.setEventSlice(0);
    page.onDeviceLogin(testrecords::device("SA", "02-00-00-00-00-01", "192.168.1.2"));
    page.onDeviceLogin(testrecords::device("SB", "02-00-00-00-00-02", "192.168.1.3", 1));
    page.onDeviceLogin(testrecords::device("SC", "02-00-00-00-00-03", "192.168.1.4"));
    DeviceInfoModel* model = page.model();
    const int check = model->columnOf(DeviceInfoModel::KindCheck);
    model->item(2, check)->setCheckState(Qt::Checked);
    model->item(0, check)->setCheckState(Qt::Checked);
    QVERIFY(page.exportButton()->isEnabled());

    QSignalSpy cover(&page, &DeviceDisplayPage::signalCoverMainPage);
    QSignalSpy uncover(&page, &DeviceDisplayPage::signalDisCoverMainPage);
    const QString folder = m_dir->path();
    QTimer::singleShot(0, this, [&folder] {
        auto* dialog = qobject_cast<DevicesInfoSavePage*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->exportRows(), (QList<int>{0, 2}));
        dialog->findChild<aptui::MultiStateLineEdit*>(QStringLiteral("m_lineEditFilename"))
            ->setText(QStringLiteral("site"));
        dialog->findChild<aptui::MultiStateLineEdit*>(QStringLiteral("m_lineEditFilepath"))->setText(folder);
        emit dialog->signalConfirmButtonClicked();
    });
    page.exportButton()->click();
    QCOMPARE(cover.count(), 1);
    QCOMPARE(uncover.count(), 1);
    QVERIFY(message().contains(QStringLiteral("Saving succeed.")));

    const QJsonArray rows = xlsreader::read(m_dir->filePath(QStringLiteral("site.xls")))
                                .value(QStringLiteral("sheets"))
                                .toArray()
                                .at(0)
                                .toObject()
                                .value(QStringLiteral("rows"))
                                .toArray();
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(1).toArray().at(8).toString(), QStringLiteral("SA"));
    QCOMPARE(rows.at(2).toArray().at(8).toString(), QStringLiteral("SC"));
    QCOMPARE(rows.at(2).toArray().at(0).toString(), QStringLiteral("003"));
}

void TestDevicesInfoSavePage::csvExportWritesTheShownTickedRows() {
    VEXA::DeviceStore::instance()->clear();
    DeviceDisplayPage page(nullptr, m_dir->filePath(QStringLiteral("ColumnConfig.xml")));
    page.setEventSlice(0);
    auto named = testrecords::device("SA", "02-00-00-00-00-01", "192.168.1.2");
    setRecordText(named.deviceName, "=cmd, \"x\"");
    page.onDeviceLogin(named);
    page.onDeviceLogin(testrecords::device("SB", "02-00-00-00-00-02", "192.168.7.3"));
    page.onDeviceLogin(testrecords::device("SC", "02-00-00-00-00-03", "192.168.1.4"));
    page.filterModel()->setShownCheckState(Qt::Checked);
    // Narrowed to two devices: the hidden one stays ticked but is not exported.
    page.filterEdit()->setText(QStringLiteral("192.168.1"));
    const QString folder = m_dir->path();
    QTimer::singleShot(0, this, [&folder] {
        auto* dialog = qobject_cast<DevicesInfoSavePage*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->format(), DevicesInfoSavePage::Format::Xls); // the workbook stays the default
        dialog->setFormat(DevicesInfoSavePage::Format::Csv);
        dialog->findChild<aptui::MultiStateLineEdit*>(QStringLiteral("m_lineEditFilename"))
            ->setText(QStringLiteral("site"));
        dialog->findChild<aptui::MultiStateLineEdit*>(QStringLiteral("m_lineEditFilepath"))->setText(folder);
        emit dialog->signalConfirmButtonClicked();
    });
    page.exportButton()->click();
    QVERIFY(message().contains(QStringLiteral("Saving succeed.")));
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("site.xls"))));

    QFile file(m_dir->filePath(QStringLiteral("site.csv")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::string text = file.readAll().toStdString();
    const auto parsed = VexaTool::plan::CsvReader::parse(VexaTool::plan::CsvReader::skipByteOrderMark(text));
    QCOMPARE(parsed.error, VexaTool::plan::CsvReader::Error::None);
    QCOMPARE(parsed.records.size(), std::size_t(3));
    const std::vector<std::string>& header = parsed.records[0].fields;
    const auto column = [&header](const char* name) {
        return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
    };
    QVERIFY(column("Device Serial Number") < header.size());
    QCOMPARE(parsed.records[1].fields[column("Device Serial Number")], std::string("SA"));
    QCOMPARE(parsed.records[2].fields[column("Device Serial Number")], std::string("SC"));
    // A name a spreadsheet would run as a formula is guarded, quotes and commas survive.
    bool guarded = false;
    for (const std::string& field : parsed.records[1].fields)
        guarded = guarded || field == "'=cmd, \"x\"";
    QVERIFY(guarded);

    // An existing file is not overwritten.
    QTimer::singleShot(0, this, [&folder] {
        auto* dialog = qobject_cast<DevicesInfoSavePage*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->setFormat(DevicesInfoSavePage::Format::Csv);
        dialog->findChild<aptui::MultiStateLineEdit*>(QStringLiteral("m_lineEditFilename"))
            ->setText(QStringLiteral("site"));
        dialog->findChild<aptui::MultiStateLineEdit*>(QStringLiteral("m_lineEditFilepath"))->setText(folder);
        emit dialog->signalConfirmButtonClicked();
        dialog->reject();
    });
    page.exportButton()->click();
    QVERIFY(message().contains(QStringLiteral("The file name has been used")));
}

// Devices keep coming, going and changing while the dialog is open: "Confirm" writes the devices that were
// ticked, as they are at that moment, never whatever now sits in their old rows.
void TestDevicesInfoSavePage::exportsTheTickedDevicesAsTheyAreAtConfirm() {
    VEXA::DeviceStore::instance()->clear();
    DeviceDisplayPage page(nullptr, m_dir->filePath(QStringLiteral("ColumnConfig.xml")));
    page.setEventSlice(0);
    page.onDeviceLogin(testrecords::device("SA", "02-00-00-00-00-01", "192.168.1.2"));
    page.onDeviceLogin(testrecords::device("SB", "02-00-00-00-00-02", "192.168.1.3"));
    page.onDeviceLogin(testrecords::device("SC", "02-00-00-00-00-03", "192.168.1.4"));
    DeviceInfoModel* model = page.model();
    const int check = model->columnOf(DeviceInfoModel::KindCheck);
    model->item(1, check)->setCheckState(Qt::Checked);
    model->item(2, check)->setCheckState(Qt::Checked);
    const QString folder = m_dir->path();
    QTimer::singleShot(0, this, [&folder, &page] {
        auto* dialog = qobject_cast<DevicesInfoSavePage*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        page.onDeviceLogout(testrecords::device("SA", "02-00-00-00-00-01", "192.168.1.2"));
        page.onDeviceLogin(testrecords::device("SD", "02-00-00-00-00-04", "192.168.1.5"));
        page.onDeviceUpdate(testrecords::device("SC", "02-00-00-00-00-03", "192.168.1.40"));
        dialog->setFormat(DevicesInfoSavePage::Format::Csv);
        dialog->findChild<aptui::MultiStateLineEdit*>(QStringLiteral("m_lineEditFilename"))
            ->setText(QStringLiteral("moving"));
        dialog->findChild<aptui::MultiStateLineEdit*>(QStringLiteral("m_lineEditFilepath"))->setText(folder);
        emit dialog->signalConfirmButtonClicked();
    });
    page.exportButton()->click();
    QVERIFY(message().contains(QStringLiteral("Saving succeed.")));

    QFile file(m_dir->filePath(QStringLiteral("moving.csv")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::string text = file.readAll().toStdString();
    const auto parsed = VexaTool::plan::CsvReader::parse(VexaTool::plan::CsvReader::skipByteOrderMark(text));
    QCOMPARE(parsed.records.size(), std::size_t(3));
    const std::vector<std::string>& header = parsed.records[0].fields;
    const auto column = [&header](const char* name) {
        return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
    };
    const std::size_t serial = column("Device Serial Number");
    QVERIFY(serial < header.size());
    QCOMPARE(parsed.records[1].fields[serial], std::string("SB"));
    QCOMPARE(parsed.records[2].fields[serial], std::string("SC"));
    const auto& scFields = parsed.records[2].fields;
    QVERIFY(std::find(scFields.begin(), scFields.end(), std::string("192.168.1.40")) != scFields.end());
}

QTEST_MAIN(TestDevicesInfoSavePage)
#include "tst_devicesinfosavepage.moc"
