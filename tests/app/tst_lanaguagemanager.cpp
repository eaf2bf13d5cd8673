#include <QDomDocument>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include "app/ConfigureManager.h"
#include "app/LanaguageManager.h"

using apt::ConfigureManager;
using apt::LanaguageManager;

namespace {

QString fixture(const char* source) {
    return QCoreApplication::translate("Fixture", source);
}

} // namespace

class TestLanaguageManager : public QObject {
    Q_OBJECT

private:
    // A configuration store holding only the language item (none for a negative language).
    void configure(ConfigureManager& store, int language) {
        const QString path = m_dir.filePath("Setup.xml");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("<Setup>");
        if (language >= 0) {
            f.write(QByteArray("<Translator><Value>") + QByteArray::number(language) + "</Value></Translator>");
        }
        f.write("</Setup>");
        f.close();
        QVERIFY(store.load(path));
    }

    QTemporaryDir m_dir;
    const QString m_fixtures = QStringLiteral(VEXA_LANG_FIXTURES "/");

private slots:
    void languageTable_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("shared");
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("no setting is English") << -1 << QStringList{"vexatool_en.qm", "VadoraVovovid_en.qm"}
                                               << "toolkit-en" << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("English") << 0 << QStringList{"vexatool_en.qm", "VadoraVovovid_en.qm"} << "toolkit-en"
                                 << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("Chinese") << 1 << QStringList{"vexatool_zh.qm", "qt_zh_CN.qm", "OrvisGUIToolkit_zh.qm"}
                                 << "toolkit" << QLocale(QLocale::Chinese, QLocale::China);
        QTest::newRow("9 loads nothing") << 9 << QStringList{"", ""} << "shared" << QLocale();
        QTest::newRow("10 loads nothing") << 10 << QStringList{"", ""} << "shared" << QLocale();
    }
    void languageTable() {
        QFETCH(int, language);
        QFETCH(QStringList, files);
        QFETCH(QString, shared);
        QFETCH(QLocale, locale);
        ConfigureManager store;
        configure(store, language);
        {
            LanaguageManager manager(store, m_fixtures);
            QCOMPARE(manager.currentLanguage(), language < 0 ? 0u : uint(language));
            QCOMPARE(manager.locale(), locale);
            QCOMPARE(int(manager.translators().size()), files.size());
            for (int i = 0; i < files.size(); ++i) {
                const QTranslator& t = *manager.translators()[std::size_t(i)];
                QCOMPARE(QFileInfo(t.filePath()).fileName(), files[i]);
                QCOMPARE(t.isEmpty(), files[i].isEmpty());
            }
            QCOMPARE(fixture("shared"), shared);
        }
        // Gone with the manager.
        QCOMPARE(fixture("shared"), QString("shared"));
    }

    void laterFilesWin() {
        ConfigureManager store;
        configure(store, 1);
        LanaguageManager manager(store, m_fixtures);
        QCOMPARE(fixture("shared"), QString("toolkit"));
        QCOMPARE(fixture("app-and-framework"), QString("framework"));
        QCOMPARE(fixture("app-only"), QString("app"));
    }

    void missingFolderStillInstallsEmptyTranslators() {
        ConfigureManager store;
        configure(store, 1);
        LanaguageManager manager(store, m_dir.filePath("nowhere/"));
        QCOMPARE(int(manager.translators().size()), 3);
        for (const auto& t : manager.translators()) {
            QVERIFY(t->isEmpty());
        }
        QCOMPARE(manager.locale(), QLocale(QLocale::Chinese, QLocale::China));
        QCOMPARE(fixture("shared"), QString("shared"));
    }

    void shippedChineseTranslation() {
        ConfigureManager store;
        configure(store, 1);
        LanaguageManager manager(store, qEnvironmentVariable("VEXA_BIN_DIR") + "/translations/");
        const auto& translators = manager.translators();
        QCOMPARE(int(translators.size()), 3);
        for (const auto& t : translators) {
            QVERIFY(!t->filePath().isEmpty()); // found and loaded
        }
        // The toolkit has no texts of its own yet; the program and the framework do.
        QVERIFY(!translators[0]->isEmpty());
        QVERIFY(!translators[1]->isEmpty());
        QCOMPARE(QCoreApplication::translate("apt::ToolsApplication", "VEXA is already running."),
                 QString::fromUtf8("VEXA 已在运行。"));
        QCOMPARE(QCoreApplication::translate("BaseDialog", "Confirm"), QString::fromUtf8("确定"));
        // The framework's own texts come from the framework file.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("取消"));
    }

    void everyChineseTextIsTranslated_data() {
        QTest::addColumn<QString>("file");
        // Every Chinese source, the toolkit's too: it has no texts yet, but one added later must be translated.
        const QDir folder(qEnvironmentVariable("VEXA_SOURCE_DIR") + "/translations");
        QStringList files{"vexatool_zh.ts", "OrvisGUIToolkit_zh.ts"};
        for (const QString& name : folder.entryList({"*zh*.ts"}, QDir::Files, QDir::Name)) {
            if (!files.contains(name)) {
                files.append(name);
            }
        }
        for (const QString& name : files) {
            QTest::newRow(qPrintable(name)) << folder.filePath(name);
        }
    }
    void everyChineseTextIsTranslated() {
        QFETCH(QString, file);
        QFile ts(file);
        QVERIFY(ts.open(QIODevice::ReadOnly));
        QDomDocument doc;
        QVERIFY(doc.setContent(&ts));
        const QDomNodeList messages = doc.elementsByTagName("message");
        if (file.endsWith("/vexatool_zh.ts")) {
            QVERIFY(messages.count() > 0);
        }
        for (int i = 0; i < messages.count(); ++i) {
            const QDomElement m = messages.at(i).toElement();
            const QDomElement translation = m.firstChildElement("translation");
            const QString source = m.firstChildElement("source").text();
            const QString type = translation.attribute("type");
            if (type == "vanished" || type == "obsolete") {
                continue; // no longer in the code
            }
            QVERIFY2(type.isEmpty() && !translation.text().trimmed().isEmpty(), qPrintable(source));
        }
    }
};

QTEST_GUILESS_MAIN(TestLanaguageManager)
#include "tst_lanaguagemanager.moc"
