#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include "toolkit/CGenericDS.h"

using OrvisGUIToolkit::CGenericDS;

class TestCGenericDS : public QObject {
    Q_OBJECT

private:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) {
            return {};
        }
        f.write(bytes);
        return path;
    }

    QTemporaryDir m_dir;

private slots:
    void walksTheTree() {
        const QString path =
            write("a.xml", "<?xml version=\"1.0\"?>\n<Setup>\n  <Translator><Value>1</Value></Translator>\n"
                           "  <!-- note -->\n  <Skin><Other>x</Other><Value>Blue</Value></Skin>\n"
                           "  <Empty/>\n</Setup>\n");
        CGenericDS root;
        QVERIFY(root.LoadXML(path));
        QCOMPARE(root.GetName(), QString("Setup"));
        // Comments and whitespace are not children.
        QCOMPARE(root.GetChildrenCount(), 3);
        QCOMPARE(root.GetChild(0).GetName(), QString("Translator"));
        QCOMPARE(root.GetChild(0).GetChildByName("Value").GetValue(), QString("1"));
        QCOMPARE(root.GetChild(1).GetChildByName("Value").GetValue(), QString("Blue"));
        QCOMPARE(root.GetChild(2).GetChildrenCount(), 0);
        QVERIFY(root.GetChild(2).GetChildByName("Value").IsNull());
        QCOMPARE(root.GetChild(2).GetChildByName("Value").GetValue(), QString());
        QVERIFY(root.GetChild(3).IsNull());
        QVERIFY(root.GetChild(-1).IsNull());
        QCOMPARE(root.GetChild(7).GetName(), QString());
    }

    void childOutlivesItsParentNode() {
        const QString path = write("b.xml", "<r><c><Value>v</Value></c></r>");
        CGenericDS child;
        {
            CGenericDS root;
            QVERIFY(root.LoadXML(path));
            child = root.GetChild(0);
        }
        QCOMPARE(child.GetChildByName("Value").GetValue(), QString("v"));
    }

    void failedLoadKeepsTheNode_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("create");
        QTest::newRow("missing file") << QByteArray() << false;
        QTest::newRow("not xml") << QByteArray("hello") << true;
        QTest::newRow("unclosed") << QByteArray("<r><c></r>") << true;
        QTest::newRow("empty file") << QByteArray() << true;
    }
    void failedLoadKeepsTheNode() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, create);
        CGenericDS node;
        QVERIFY(node.LoadXML(write("good.xml", "<Good/>")));
        const QString path = create ? write("bad.xml", bytes) : m_dir.filePath("none.xml");
        QVERIFY(!node.LoadXML(path));
        QCOMPARE(node.GetName(), QString("Good"));
    }

    void readsLegacyEncodings() {
        QTextCodec* gb = QTextCodec::codecForName("GB2312");
        QVERIFY(gb != nullptr);
        const QString name = QString::fromUtf8("摄像机");
        const QByteArray bytes =
            "<?xml version=\"1.0\" encoding=\"GB2312\"?><r><n><Value>" + gb->fromUnicode(name) + "</Value></n></r>";
        CGenericDS root;
        QVERIFY(root.LoadXML(write("gb.xml", bytes)));
        QCOMPARE(root.GetChild(0).GetChildByName("Value").GetValue(), name);
    }
};

QTEST_GUILESS_MAIN(TestCGenericDS)
#include "tst_cgenericds.moc"
