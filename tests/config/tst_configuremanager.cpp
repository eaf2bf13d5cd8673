#include <QTemporaryDir>
#include <QtTest>

#include "config/ConfigureManager.h"

using namespace Qt::StringLiterals;

using apt::ConfigureManager;

class TestConfigureManager : public QObject {
    Q_OBJECT

private:
    QString write(const QByteArray& items) {
        const QString path = m_dir.filePath(u"setup%1.xml"_s.arg(++m_files));
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) {
            f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Setup>" + items + "</Setup>\n");
        }
        return path;
    }

    QTemporaryDir m_dir;
    int m_files = 0;

private slots:
    void readsItemsByKey_data() {
        QTest::addColumn<QByteArray>("items");
        QTest::addColumn<uint>("language");
        QTest::addColumn<bool>("filter");
        QTest::addColumn<bool>("addressCheck"); // on unless set to 0: a typo never turns a safety check off
        QTest::newRow("both set") << QByteArray(
                                         "<Translator><Value>1</Value></Translator><Filter><Value>1</Value></Filter>")
                                  << 1u << true << true;
        QTest::newRow("filter 2") << QByteArray("<Filter><Value>2</Value></Filter>") << 0u << false << true;
        QTest::newRow("filter word") << QByteArray("<Filter><Value>yes</Value></Filter>") << 0u << false << true;
        QTest::newRow("filter empty") << QByteArray("<Filter><Value></Value></Filter>") << 0u << false << true;
        QTest::newRow("filter no value") << QByteArray("<Filter/>") << 0u << false << true;
        QTest::newRow("filter 01") << QByteArray("<Filter><Value>01</Value></Filter>") << 0u << true << true;
        QTest::newRow("language word") << QByteArray("<Translator><Value>zh</Value></Translator>") << 0u << false
                                       << true;
        QTest::newRow("language negative")
            << QByteArray("<Translator><Value>-1</Value></Translator>") << 0u << false << true;
        QTest::newRow("language 10") << QByteArray("<Translator><Value>10</Value></Translator>") << 10u << false
                                     << true;
        QTest::newRow("language leading zero")
            << QByteArray("<Translator><Value>01</Value></Translator>") << 1u << false << true;
        QTest::newRow("value is the Value child only")
            << QByteArray("<Translator>7<Other>3</Other><Value>1</Value></Translator>") << 1u << false << true;
        QTest::newRow("names are case-sensitive")
            << QByteArray("<translator><Value>1</Value></translator>") << 0u << false << true;
        QTest::newRow("nothing") << QByteArray() << 0u << false << true;
        QTest::newRow("address check off")
            << QByteArray("<AddressCheck><Value>0</Value></AddressCheck>") << 0u << false << false;
        QTest::newRow("address check off, spaced")
            << QByteArray("<AddressCheck><Value> 0 </Value></AddressCheck>") << 0u << false << false;
        QTest::newRow("address check word")
            << QByteArray("<AddressCheck><Value>no</Value></AddressCheck>") << 0u << false << true;
    }
    void readsItemsByKey() {
        QFETCH(QByteArray, items);
        QFETCH(uint, language);
        QFETCH(bool, filter);
        QFETCH(bool, addressCheck);
        ConfigureManager store;
        QVERIFY(store.load(write(items)));
        QCOMPARE(store.language(), language);
        QCOMPARE(store.filterEnabled(), filter);
        QCOMPARE(store.addressCheckEnabled(), addressCheck);
    }

    void skinItem() {
        ConfigureManager store;
        QVERIFY(store.load(write("<Skin><Value/></Skin><Skin><Value>Second</Value></Skin>")));
        // Present but empty: the caller must take the empty name, not its default.
        const apt::Configure* skin = store.find(ConfigureManager::Skin);
        QVERIFY(skin != nullptr);
        QCOMPARE(skin->value(), QString());
        QCOMPARE(skin->name(), u"Skin"_s);

        QVERIFY(store.load(write("<Skin><Value>First</Value></Skin><Skin><Value>Second</Value></Skin>")));
        QCOMPARE(store.find(ConfigureManager::Skin)->value(), u"First"_s);
        QVERIFY(store.load(write("<Translator><Value>1</Value></Translator>")));
        QVERIFY(store.find(ConfigureManager::Skin) == nullptr);
    }

    void keysOutsideTheTableMatchNothing() {
        ConfigureManager store;
        QVERIFY(store.load(write("<Translator><Value>1</Value></Translator>")));
        QVERIFY(store.find(-1) == nullptr);
        QVERIFY(store.find(10) == nullptr);
        QCOMPARE(ConfigureManager::keyName(9), u"AddressCheck"_s);
        QCOMPARE(ConfigureManager::keyName(10), QString());
    }

    void failedLoadEmptiesTheStore_data() {
        QTest::addColumn<QString>("bad");
        QTest::newRow("missing") << "missing.xml";
        QTest::newRow("malformed") << "malformed";
    }
    void failedLoadEmptiesTheStore() {
        QFETCH(QString, bad);
        ConfigureManager store;
        const QString good = write("<Translator><Value>1</Value></Translator><Filter><Value>1</Value></Filter>");
        QVERIFY(store.load(good));
        QCOMPARE(store.count(), 2);
        QString path = m_dir.filePath(bad);
        if (bad == u"malformed"_s) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("<Setup><Translator><Value>1</Value></Setup>");
        }
        QVERIFY(!store.load(path));
        QCOMPARE(store.count(), 0);
        QCOMPARE(store.language(), 0u);
        QVERIFY(!store.filterEnabled());
        // The path of the last good load is kept.
        QCOMPARE(store.path(), good);
    }

    void shippedSettingsFile() {
        // The Setup.xml beside the built program is what a new installation starts with.
        ConfigureManager store;
        QVERIFY(store.load(qEnvironmentVariable("VEXA_BIN_DIR") + u"/Setup.xml"_s));
        QCOMPARE(store.language(), 0u);
        QVERIFY(store.find(ConfigureManager::Skin) != nullptr);
        QCOMPARE(store.find(ConfigureManager::Skin)->value(), u"CommonSkin"_s);
        QVERIFY(store.addressCheckEnabled());
    }

    void accessorGivesOneStore() {
        QCOMPARE(ConfigureManager::GetInstance(), ConfigureManager::GetInstance());
        QCOMPARE(ConfigureManager::GetInstance()->count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestConfigureManager)
#include "tst_configuremanager.moc"
