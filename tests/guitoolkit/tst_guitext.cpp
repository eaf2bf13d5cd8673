#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include "guitoolkit/CFile.h"
#include "guitoolkit/GuiText.h"
#include "guitoolkit/TargetPath.h"

using namespace Qt::StringLiterals;

using namespace OrvisGUIToolkit;

class TestGuiText : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { InitGuiTextCodec(nullptr); }

    void convertsWithTheNamedCodec_data() {
        QTest::addColumn<QByteArray>("codec");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("utf-8") << QByteArray("UTF-8") << QString::fromUtf8("pä") << QByteArray("p\xc3\xa4");
        QTest::newRow("latin-1") << QByteArray("ISO-8859-1") << QString::fromUtf8("pä") << QByteArray("p\xe4");
        QTest::newRow("latin-1 unmappable") << QByteArray("ISO-8859-1") << QString::fromUtf8("中") << QByteArray("?");
        QTest::newRow("gb2312") << QByteArray("GB2312") << QString::fromUtf8("中文") << QByteArray("\xd6\xd0\xce\xc4");
        QTest::newRow("gbk") << QByteArray("GBK") << QString::fromUtf8("中") << QByteArray("\xd6\xd0");
        QTest::newRow("empty") << QByteArray("GB2312") << QString() << QByteArray();
    }
    void convertsWithTheNamedCodec() {
        QFETCH(QByteArray, codec);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QTextCodec* c = QTextCodec::codecForName(codec);
        QVERIFY(c != nullptr);
        QCOMPARE(ConvertFromUnicode(text, c), bytes);
    }

    void nullCodecUsesTheStartUpCodec() {
        const QString text = QString::fromUtf8("中");
        InitGuiTextCodec(QTextCodec::codecForName("GB2312"));
        QCOMPARE(ConvertFromUnicode(text), QByteArray("\xd6\xd0"));
        InitGuiTextCodec(QTextCodec::codecForName("UTF-8"));
        QCOMPARE(ConvertFromUnicode(text), QByteArray("\xe4\xb8\xad"));
        // No start-up codec yet: the system's own encoding, never an empty result.
        InitGuiTextCodec(nullptr);
        QCOMPARE(ConvertFromUnicode(QStringLiteral("abc")), QByteArray("abc"));
    }

    void localeBecomesTheDefault() {
        const QLocale before;
        InitGuiLocale(QLocale(QLocale::Chinese, QLocale::China));
        QCOMPARE(GuiLocale().language(), QLocale::Chinese);
        QCOMPARE(QLocale().territory(), QLocale::China);
        QLocale::setDefault(before);
    }

    void readsFilesInListOrder() {
        QTemporaryDir dir;
        const auto put = [&dir](const QString& name, const QByteArray& bytes) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        put(u"a.qss"_s, "A{}");
        put(u"b.qss"_s, "B{}\n");
        put(u"c.qss"_s, "C\xc3\xa4");
        QCOMPARE(CFile::ReadAll(dir.filePath(u"c.qss"_s)), QString::fromUtf8("Cä"));
        QCOMPARE(CFile::ReadAll({u"b.qss"_s, u"missing.qss"_s, u"a.qss"_s}, dir.path()), u"B{}\nA{}"_s);
        // The folder may be given with or without its trailing separator.
        QCOMPARE(CFile::ReadAll({u"a.qss"_s}, dir.path() + u"/"_s), u"A{}"_s);
        QCOMPARE(CFile::ReadAll(dir.filePath(u"missing"_s)), QString());
    }

    void targetPathIsTheExecutablesFolder() {
        QVERIFY(GetTargetPath().endsWith(u'/'));
        QCOMPARE(QFileInfo(GetTargetPathFile(QFileInfo(QCoreApplication::applicationFilePath()).fileName())),
                 QFileInfo(QCoreApplication::applicationFilePath()));
    }
};

QTEST_GUILESS_MAIN(TestGuiText)
#include "tst_guitext.moc"
