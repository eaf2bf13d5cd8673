// The inventory dialog's file handling: a typed name never replaces a file, one chosen in the file dialog (which
// asked) does, and a new file holds the header in the format chosen.

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "preview/InventoryDialog.h"

using VexaTool::InventoryDialog;

class TestInventoryDialog : public QObject {
    Q_OBJECT

private slots:
    void writesOnlyWhatItMay_data();
    void writesOnlyWhatItMay();
};

void TestInventoryDialog::writesOnlyWhatItMay_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("chosen");         // through "Browse…"
    QTest::addColumn<QByteArray>("expected"); // the file's start afterwards
    QTest::addColumn<QString>("status");
    QTest::newRow("typed, new csv") << "new.csv" << false << false << QByteArray("\xEF\xBB\xBFMaker,Model,")
                                    << "Written: ";
    QTest::newRow("typed, new workbook") << "new.xls" << false << false << QByteArray("\xD0\xCF\x11\xE0")
                                         << "Written: ";
    QTest::newRow("typed over a file") << "old.csv" << true << false << QByteArray("kept") << "exists";
    QTest::newRow("chosen over a file") << "old.csv" << true << true << QByteArray("\xEF\xBB\xBFMaker,") << "Written: ";
    QTest::newRow("no name") << "" << false << false << QByteArray() << "Choose a file first.";
}

void TestInventoryDialog::writesOnlyWhatItMay() {
    QFETCH(QString, name);
    QFETCH(bool, exists);
    QFETCH(bool, chosen);
    QFETCH(QByteArray, expected);
    QFETCH(QString, status);
    QTemporaryDir dir;
    const QString path = name.isEmpty() ? QString() : dir.filePath(name);
    if (exists) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("kept");
    }
    InventoryDialog dialog({}, nullptr, 2);
    dialog.setFileChooser([path] { return path; });
    if (chosen)
        dialog.findChild<QPushButton*>(QStringLiteral("m_btnBrowse"))->click();
    else
        dialog.fileEdit()->setText(path);
    dialog.formatBox()->setCurrentIndex(dialog.formatBox()->findData(
        name.endsWith(QStringLiteral(".xls")) ? InventoryDialog::Workbook : InventoryDialog::Csv));
    QSignalSpy done(&dialog, &InventoryDialog::exportDone);
    dialog.exportButton()->click();
    if (status.startsWith(QStringLiteral("Written")))
        QVERIFY(done.wait(10000));
    QVERIFY2(dialog.statusLabel()->text().contains(status), qPrintable(dialog.statusLabel()->text()));
    if (path.isEmpty())
        return;
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith(expected));
}

QTEST_MAIN(TestInventoryDialog)
#include "tst_inventorydialog.moc"
