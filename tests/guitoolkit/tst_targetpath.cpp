#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "guitoolkit/TargetPath.h"

using namespace OrvisGUIToolkit;

namespace {

bool writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestTargetPath : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString at(const char* relative) const { return m_dir.filePath(QString::fromLatin1(relative)); }
    // A folder no one can make files in, an administrator included: its parent is a plain file.
    QString lockedFolder() const { return at("plain-file/program"); }

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(at("program")));
        QVERIFY(writeFile(at("plain-file"), "x"));
    }

    void writableProgramFolderKeepsTheFileBeside() {
        QVERIFY(FolderTakesNewFiles(at("program")));
        QCOMPARE(WritableFileIn(at("program"), at("user"), QStringLiteral("ColumnConfig.xml")),
                 at("program/ColumnConfig.xml"));
        QVERIFY(!QFileInfo::exists(at("user")));
        // The probe leaves nothing behind.
        QCOMPARE(QDir(at("program")).entryList(QDir::Files | QDir::Hidden).size(), 0);
    }

    void lockedProgramFolderUsesTheUsersFolder() {
        QVERIFY(!FolderTakesNewFiles(lockedFolder()));
        const QString path = WritableFileIn(lockedFolder(), at("user/config"), QStringLiteral("copy.xml"));
        QCOMPARE(path, at("user/config/copy.xml"));
        QVERIFY(writeFile(path, "key"));
        // No user's folder to be had: the program's, as before (writing there then fails and is reported).
        QCOMPARE(WritableFileIn(lockedFolder(), QString(), QStringLiteral("copy.xml")),
                 QDir(lockedFolder()).filePath(QStringLiteral("copy.xml")));
        QCOMPARE(WritableFileIn(lockedFolder(), at("plain-file/user"), QStringLiteral("copy.xml")),
                 QDir(lockedFolder()).filePath(QStringLiteral("copy.xml")));
    }

    void userCopy_data() {
        QTest::addColumn<QByteArray>("shipped");
        QTest::addColumn<QByteArray>("users");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("shipped file becomes the default")
            << QByteArray("shipped") << QByteArray() << QByteArray("shipped");
        QTest::newRow("user's changes stay") << QByteArray("shipped") << QByteArray("moved") << QByteArray("moved");
        QTest::newRow("neither") << QByteArray() << QByteArray() << QByteArray();
    }
    void userCopy() {
        QFETCH(QByteArray, shipped);
        QFETCH(QByteArray, users);
        QFETCH(QByteArray, expected);
        if (!shipped.isEmpty()) {
            QVERIFY(writeFile(at("program/ColumnConfig.xml"), shipped));
            // Installed files are read-only; the copy must not inherit that.
            QVERIFY(QFile::setPermissions(at("program/ColumnConfig.xml"), QFileDevice::ReadOwner));
        }
        if (!users.isEmpty()) {
            QVERIFY(QDir().mkpath(at("user")));
            QVERIFY(writeFile(at("user/ColumnConfig.xml"), users));
        }
        const QString path = UserCopyOf(at("program"), at("user"), QStringLiteral("ColumnConfig.xml"));
        QCOMPARE(path, at("user/ColumnConfig.xml"));
        QCOMPARE(readFile(path), expected);
        if (!expected.isEmpty())
            QVERIFY(QFile::permissions(path).testFlag(QFileDevice::WriteOwner));
        QVERIFY(writeFile(path, "changed"));
        QCOMPARE(readFile(UserCopyOf(at("program"), at("user"), QStringLiteral("ColumnConfig.xml"))),
                 QByteArray("changed"));
    }
};

QTEST_GUILESS_MAIN(TestTargetPath)
#include "tst_targetpath.moc"
