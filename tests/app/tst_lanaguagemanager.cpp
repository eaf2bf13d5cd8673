#include <QDomDocument>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include "app/LanaguageManager.h"
#include "config/ConfigureManager.h"
#include "support/SetupFile.h"

using namespace Qt::StringLiterals;

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
        QVERIFY(store.load(
            testsupport::writeSetup(m_dir.path(), language >= 0 ? testsupport::languageItem(language) : QByteArray())));
    }

    QTemporaryDir m_dir;
    const QString m_fixtures = QStringLiteral(VEXA_LANG_FIXTURES "/");

private slots:
    void languageTable_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("shared");
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("no setting is English") << -1 << QStringList{u"vexatool_en.qm"_s, u"VadoraVovovid_en.qm"_s}
                                               << "toolkit-en" << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("English") << 0 << QStringList{u"vexatool_en.qm"_s, u"VadoraVovovid_en.qm"_s} << u"toolkit-en"_s
                                 << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("Chinese") << 1 << QStringList{u"vexatool_zh.qm"_s, u"qt_zh_CN.qm"_s, u"OrvisGUIToolkit_zh.qm"_s}
                                 << "toolkit" << QLocale(QLocale::Chinese, QLocale::China);
        QTest::newRow("9 loads nothing") << 9 << QStringList{u""_s, u""_s} << u"shared"_s << QLocale();
        QTest::newRow("10 loads nothing") << 10 << QStringList{u""_s, u""_s} << u"shared"_s << QLocale();
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
        QCOMPARE(fixture("shared"), u"shared"_s);
    }

    void laterFilesWin() {
        ConfigureManager store;
        configure(store, 1);
        LanaguageManager manager(store, m_fixtures);
        QCOMPARE(fixture("shared"), u"toolkit"_s);
        QCOMPARE(fixture("app-and-framework"), u"framework"_s);
        QCOMPARE(fixture("app-only"), u"app"_s);
    }

    void missingFolderStillInstallsEmptyTranslators() {
        ConfigureManager store;
        configure(store, 1);
        LanaguageManager manager(store, m_dir.filePath(u"nowhere/"_s));
        QCOMPARE(int(manager.translators().size()), 3);
        for (const auto& t : manager.translators()) {
            QVERIFY(t->isEmpty());
        }
        QCOMPARE(manager.locale(), QLocale(QLocale::Chinese, QLocale::China));
        QCOMPARE(fixture("shared"), u"shared"_s);
    }

    void shippedChineseTranslation() {
        ConfigureManager store;
        configure(store, 1);
        LanaguageManager manager(store, qEnvironmentVariable("VEXA_BIN_DIR") + u"/translations/"_s);
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
        const QDir folder(qEnvironmentVariable("VEXA_SOURCE_DIR") + u"/translations"_s);
        QStringList files{u"vexatool_zh.ts"_s, u"OrvisGUIToolkit_zh.ts"_s};
        for (const QString& name : folder.entryList({u"*zh*.ts"_s}, QDir::Files, QDir::Name)) {
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
        const QDomNodeList messages = doc.elementsByTagName(u"message"_s);
        if (file.endsWith(u"/vexatool_zh.ts"_s)) {
            QVERIFY(messages.count() > 0);
        }
        for (int i = 0; i < messages.count(); ++i) {
            const QDomElement m = messages.at(i).toElement();
            const QDomElement translation = m.firstChildElement(u"translation"_s);
            const QString source = m.firstChildElement(u"source"_s).text();
            const QString type = translation.attribute(u"type"_s);
            if (type == u"vanished"_s || type == u"obsolete"_s) {
                continue; // no longer in the code
            }
            QVERIFY2(type.isEmpty() && !translation.text().trimmed().isEmpty(), qPrintable(source));
        }
    }
};

QTEST_GUILESS_MAIN(TestLanaguageManager)
#include "tst_lanaguagemanager.moc"
