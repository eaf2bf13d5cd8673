#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "app/AboutDialog.h"
#include "aptui/HintBox.h"
#include "aptui/Widget.h"
#include "config/ConfigureManager.h"
#include "support/SetupFile.h"

// Stands in for the desktop's opener of file URLs.
class Opener : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class TestAboutDialog : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_startFolder;
    Opener m_opener;

    void setLanguage(unsigned language) {
        QVERIFY(apt::ConfigureManager::GetInstance()->load(
            testsupport::writeSetup(m_dir.path(), testsupport::languageItem(int(language)))));
    }

    static void touch(const QString& path) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.4\n");
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_startFolder = QDir::currentPath();
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_opener, "open");
    }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    void init() {
        m_opener.opened.clear();
        QDir::setCurrent(m_startFolder);
    }

    void buildNumber_data() {
        QTest::addColumn<QString>("date");
        QTest::addColumn<int>("number");
        QTest::newRow("program's date") << "Feb 28 2018" << 20180228;
        QTest::newRow("one-digit day, space") << "Dec  1 2020" << 20201201;
        QTest::newRow("one-digit day, zero") << "Jan 05 2019" << 20190105;
        QTest::newRow("every month counts") << "Sep 30 2024" << 20240930;
        QTest::newRow("unknown month") << "Foo 28 2018" << 0;
        QTest::newRow("lower-case month") << "feb 28 2018" << 0;
        QTest::newRow("day out of range") << "Feb 32 2018" << 0;
        QTest::newRow("short") << "Feb 28 18" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void buildNumber() {
        QFETCH(QString, date);
        QFETCH(int, number);
        QCOMPARE(aptui::CDlgAbout::buildNumber(date), number);
    }

    void basePanel() {
        aptui::CDlgAbout about;
        aptui::Widget* panel = about.panel();
        QCOMPARE(about.defaultWidget(), panel);
        QCOMPARE(panel->objectName(), QStringLiteral("AboutDialog_ID_FX_CANNOT_BE_MULTI"));
        QCOMPARE(panel->windowTitle(), QStringLiteral("About"));
        QCOMPARE(panel->size(), QSize(288, 134));
        QCOMPARE(panel->minimumSize(), panel->maximumSize());
        QCOMPARE(panel->findChild<QLabel*>(QStringLiteral("m_labVersionValue"))->text(),
                 QStringLiteral("Version:  v2.0.0.3 Build20180228"));

        QSignalSpy one(&about, &aptui::CDlgAbout::siganlBtn1Clicked);
        QSignalSpy two(&about, &aptui::CDlgAbout::siganlBtn2Clicked);
        QSignalSpy corner(&about, &aptui::CDlgAbout::signalConerBtnClicked);
        panel->findChild<QPushButton*>(QStringLiteral("aboutbtn2"))->click();
        panel->findChild<QPushButton*>(QStringLiteral("m_conerBtn"))->click();
        QCOMPARE(one.count(), 0);
        QCOMPARE(two.count(), 1);
        QCOMPARE(corner.count(), 1);
    }

    void programPanel() {
        AboutDialog about;
        aptui::Widget* panel = about.panel();
        panel->show();
        QCOMPARE(panel->size(), QSize(320, 134));
        QCOMPARE(panel->findChild<QLabel*>(QStringLiteral("m_labNameValue"))->text(), QStringLiteral("Name: VEXA"));
        QCOMPARE(panel->findChild<QLabel*>(QStringLiteral("m_labVersionValue"))->text(),
                 QStringLiteral("Version: v3.0.0.1build20180202_096"));
        // Name and version only.
        const char* const hidden[] = {"m_conerBtn", "aboutbtn1", "aboutbtn2", "aboutLine1", "aboutLine2"};
        for (const char* name : hidden) {
            QVERIFY2(!panel->findChild<QWidget*>(QLatin1String(name))->isVisible(), name);
        }
        QCOMPARE(panel->findChild<QPushButton*>(QStringLiteral("m_conerBtn"))->text(), QStringLiteral("User Help"));
        // A device name or version is plain text, never markup.
        about.setName(QStringLiteral("<b>x</b>"));
        QCOMPARE(panel->findChild<QLabel*>(QStringLiteral("m_labNameValue"))->textFormat(), Qt::PlainText);
    }

    void opensTheManual_data() {
        QTest::addColumn<unsigned>("language");
        QTest::addColumn<QString>("file");
        QTest::newRow("English") << 0u << QStringLiteral("VEXA User Manual.pdf");
        QTest::newRow("Chinese") << 1u << QString::fromUtf8("设备网络搜索用户使用手册.pdf");
        QTest::newRow("other: the folder") << 2u << QString();
    }
    void opensTheManual() {
        QFETCH(unsigned, language);
        QFETCH(QString, file);
        setLanguage(language);
        // A folder with a space and a '#' shows that the address is built as a file URL, not pasted together.
        QTemporaryDir base;
        const QString folder = base.filePath(QStringLiteral("my manuals #1"));
        QVERIFY(QDir().mkpath(folder));
        if (!file.isEmpty()) {
            touch(folder + QLatin1Char('/') + file);
        }
        QDir::setCurrent(folder);
        AboutDialog about;
        QSignalSpy cover(&about, &AboutDialog::signalCover);
        QVERIFY(about.onGetHelp());
        QCOMPARE(m_opener.opened.size(), 1);
        const QUrl url = m_opener.opened.first();
        QCOMPARE(url.scheme(), QStringLiteral("file"));
        QCOMPARE(QFileInfo(url.toLocalFile()).canonicalFilePath(),
                 QFileInfo(file.isEmpty() ? folder : folder + QLatin1Char('/') + file).canonicalFilePath());
        QCOMPARE(cover.count(), 0);
    }

    void missingManual_data() {
        QTest::addColumn<unsigned>("language");
        QTest::newRow("English") << 0u;
        QTest::newRow("Chinese") << 1u;
    }
    void missingManual() {
        QFETCH(unsigned, language);
        setLanguage(language);
        QTemporaryDir empty;
        QDir::setCurrent(empty.path());
        AboutDialog about;
        QSignalSpy cover(&about, &AboutDialog::signalCover);
        QSignalSpy discover(&about, &AboutDialog::signalDiscover);
        QString text;
        QSize size;
        int coversWhileOpen = -1;
        int discoversWhileOpen = -1;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<aptui::HintBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            text = box->text();
            size = box->size();
            coversWhileOpen = cover.count();
            discoversWhileOpen = discover.count();
            box->reject();
        });
        QVERIFY(!about.onGetHelp());
        QCOMPARE(text, QStringLiteral("No user manual found."));
        QCOMPARE(size, QSize(350, 220));
        QCOMPARE(coversWhileOpen, 1);
        QCOMPARE(discoversWhileOpen, 0);
        QCOMPARE(discover.count(), 1);
        QVERIFY(m_opener.opened.isEmpty());
    }

    void cornerButtonOpensHelp() {
        setLanguage(0);
        touch(m_dir.filePath(QStringLiteral("VEXA User Manual.pdf")));
        QDir::setCurrent(m_dir.path());
        AboutDialog about;
        about.panel()->findChild<QPushButton*>(QStringLiteral("m_conerBtn"))->click();
        QCOMPARE(m_opener.opened.size(), 1);
    }
};

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdialog.moc"
