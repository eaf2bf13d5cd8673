#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>

#include "common/XmlNode.h"

class TestXmlNode : public QObject {
    Q_OBJECT

private slots:
    void loadFailsAndEmptyFiles();
    void childrenSkipNonElements();
    void firstElementByTagSearchesSubtree();
    void setNumber();
    void roundTripInGb2312();
    void failedSaveKeepsThePreviousFile_data();
    void failedSaveKeepsThePreviousFile();

private:
    QString write(const QByteArray& content);
    QTemporaryDir m_dir;
    int m_files = 0;
};

QString TestXmlNode::write(const QByteArray& content) {
    const QString path = m_dir.filePath(QStringLiteral("f%1.xml").arg(++m_files));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(content);
    return path;
}

void TestXmlNode::loadFailsAndEmptyFiles() {
    XmlNode node;
    QVERIFY(!node.load(QString()));
    QVERIFY(!node.load(m_dir.filePath(QStringLiteral("missing.xml"))));
    QVERIFY(node.load(write("")));
    QCOMPARE(node.childElementCount(), 0);
    QVERIFY(node.load(write("<Root><Unclosed></Root>")));
    QCOMPARE(node.childElementCount(), 0);
    QVERIFY(node.childElement(0).isNull());
    QVERIFY(!node.setNumber(1));
}

void TestXmlNode::childrenSkipNonElements() {
    XmlNode root;
    QVERIFY(root.load(write("<Root>text<!-- c --><A/>more<?pi x?><B/><!-- d --><C/></Root>")));
    QCOMPARE(root.childElementCount(), 3);
    QCOMPARE(root.childElement(0).tagName(), QStringLiteral("A"));
    QCOMPARE(root.childElement(1).tagName(), QStringLiteral("B"));
    QCOMPARE(root.childElement(2).tagName(), QStringLiteral("C"));
    QVERIFY(root.childElement(3).isNull());
    QVERIFY(root.childElement(-1).isNull());
}

void TestXmlNode::firstElementByTagSearchesSubtree() {
    XmlNode root;
    QVERIFY(root.load(write("<Root><A><IndexValue>7</IndexValue></A><IndexValue>9</IndexValue></Root>")));
    QCOMPARE(root.firstElementByTag(QStringLiteral("IndexValue")).text(), QStringLiteral("7"));
    QVERIFY(root.firstElementByTag(QStringLiteral("Missing")).isNull());
    QVERIFY(root.childElement(1).firstElementByTag(QStringLiteral("IndexValue")).isNull());
}

void TestXmlNode::setNumber() {
    XmlNode root;
    QVERIFY(root.load(write("<Root><Empty/><Text>12<b/>34</Text></Root>")));
    XmlNode empty = root.childElement(0);
    QVERIFY(empty.setNumber(-5));
    QCOMPARE(empty.text(), QStringLiteral("-5"));
    XmlNode text = root.childElement(1);
    QVERIFY(text.setNumber(3));
    QCOMPARE(text.text(), QStringLiteral("3"));
    // Only the first text is replaced; the second one is kept.
    const QString path = m_dir.filePath(QStringLiteral("numbers.xml"));
    QVERIFY(root.save(path));
    XmlNode again;
    QVERIFY(again.load(path));
    QCOMPARE(again.childElement(1).text(), QStringLiteral("3"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    QVERIFY(saved.contains("<Text>3<b/>34</Text>"));
    QVERIFY(saved.startsWith("<?xml version=\"1.0\" encoding=\"GB2312\"?>"));
}

void TestXmlNode::roundTripInGb2312() {
    QTextCodec* gb = QTextCodec::codecForName("GB2312");
    QVERIFY(gb);
    const QString name = QStringLiteral("设备类型");
    const QByteArray original = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<ColumnConfig><Column><Name>" +
                                gb->fromUnicode(name) + "</Name><IndexValue>4</IndexValue></Column></ColumnConfig>";
    const QString path = write(original);

    XmlNode root;
    QVERIFY(root.load(path));
    XmlNode column = root.childElement(0);
    QCOMPARE(column.firstElementByTag(QStringLiteral("Name")).text(), name);
    XmlNode index = column.firstElementByTag(QStringLiteral("IndexValue"));
    QVERIFY(index.setNumber(11));
    QVERIFY(root.save(path));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    QVERIFY(saved.contains(gb->fromUnicode(name)));
    QVERIFY(!saved.contains(name.toUtf8()));
    QVERIFY(saved.contains("encoding=\"GB2312\""));
    QVERIFY(saved.contains("<IndexValue>11</IndexValue>"));

    XmlNode reloaded;
    QVERIFY(reloaded.load(path));
    QCOMPARE(reloaded.childElement(0).firstElementByTag(QStringLiteral("Name")).text(), name);
}

void TestXmlNode::failedSaveKeepsThePreviousFile_data() {
    QTest::addColumn<QByteArray>("document");
    // Characters GB2312 has no code for: saved, they would come back as question marks.
    QTest::newRow("emoji") << QByteArray(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Setup><Name>cam \xF0\x9F\x93\xB7</Name></Setup>");
    QTest::newRow("letter outside the set") << QByteArray("<Setup><Name>Caf\xC3\xA9 \xC3\xB8</Name></Setup>");
}

void TestXmlNode::failedSaveKeepsThePreviousFile() {
    QFETCH(QByteArray, document);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ColumnConfig.xml"));
    const QByteArray previous("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<Setup><Name>old</Name></Setup>\n");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(previous);
    }
    XmlNode root;
    QVERIFY(root.load(write(document)));
    QVERIFY(!root.isNull());
    QVERIFY(!root.save(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), previous);
    // Nothing is left behind beside it either.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("ColumnConfig.xml")});
}

QTEST_APPLESS_MAIN(TestXmlNode)
#include "tst_xmlnode.moc"
