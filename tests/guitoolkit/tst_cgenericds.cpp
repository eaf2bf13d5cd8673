#include <QTemporaryDir>
#include <QtTest>

#include "guitoolkit/CGenericDS.h"

using namespace Qt::StringLiterals;

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
            write(u"a.xml"_s, "<?xml version=\"1.0\"?>\n<Setup>\n  <Translator><Value>1</Value></Translator>\n"
                              "  <!-- note -->\n  <Skin><Other>x</Other><Value>Blue</Value></Skin>\n"
                              "  <Empty/>\n</Setup>\n");
        CGenericDS root;
        QVERIFY(root.LoadXML(path));
        QCOMPARE(root.GetName(), u"Setup"_s);
        // Comments and whitespace are not children.
        QCOMPARE(root.GetChildrenCount(), 3);
        QCOMPARE(root.GetChild(0).GetName(), u"Translator"_s);
        QCOMPARE(root.GetChild(0).GetChildByName(u"Value"_s).GetValue(), u"1"_s);
        QCOMPARE(root.GetChild(1).GetChildByName(u"Value"_s).GetValue(), u"Blue"_s);
        QCOMPARE(root.GetChild(2).GetChildrenCount(), 0);
        QVERIFY(root.GetChild(2).GetChildByName(u"Value"_s).IsNull());
        QCOMPARE(root.GetChild(2).GetChildByName(u"Value"_s).GetValue(), QString());
        QVERIFY(root.GetChild(3).IsNull());
        QVERIFY(root.GetChild(-1).IsNull());
        QCOMPARE(root.GetChild(7).GetName(), QString());
    }

    void childOutlivesItsParentNode() {
        const QString path = write(u"b.xml"_s, "<r><c><Value>v</Value></c></r>");
        CGenericDS child;
        {
            CGenericDS root;
            QVERIFY(root.LoadXML(path));
            child = root.GetChild(0);
        }
        QCOMPARE(child.GetChildByName(u"Value"_s).GetValue(), u"v"_s);
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
        QVERIFY(node.LoadXML(write(u"good.xml"_s, "<Good/>")));
        const QString path = create ? write(u"bad.xml"_s, bytes) : m_dir.filePath(u"none.xml"_s);
        QVERIFY(!node.LoadXML(path));
        QCOMPARE(node.GetName(), u"Good"_s);
    }
};

QTEST_GUILESS_MAIN(TestCGenericDS)
#include "tst_cgenericds.moc"
