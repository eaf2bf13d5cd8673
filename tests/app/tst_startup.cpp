#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "support/SetupFile.h"

using namespace Qt::StringLiterals;

// Runs the built program as a user would, two copies at a time where it matters, on the offscreen platform
// with screens described by a file. Hint boxes cannot be clicked in another process: where a test needs an
// answer it runs vexa-startup-probe, the program built again with an answer (VEXA_PROBE_HINT_REPLY).
class TestStartup : public QObject {
    Q_OBJECT

private:
    struct Run {
        std::unique_ptr<QProcess> process;
        QByteArray output;
    };

    QString screens(const QList<QRect>& rects) {
        QString json = u"{\"screens\":["_s;
        for (int i = 0; i < rects.size(); ++i) {
            const QRect& r = rects[i];
            json += QString(u"%1{\"name\":\"s%2\",\"x\":%3,\"y\":%4,\"width\":%5,\"height\":%6,\"logicalDpi\":96,"
                            u"\"logicalBaseDpi\":96,\"dpr\":1}"_s)
                        .arg(i ? u","_s : u""_s)
                        .arg(i)
                        .arg(r.x())
                        .arg(r.y())
                        .arg(r.width())
                        .arg(r.height());
        }
        json += u"]}"_s;
        const QString path = m_dir->filePath(u"screens%1.json"_s.arg(++m_files));
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(json.toUtf8());
        }
        return path;
    }

    // extra: further variables, applied last (so they may replace the ones set here).
    std::unique_ptr<QProcess> start(const QString& program, const QString& screenFile, const QByteArray& reply = {},
                                    const QList<QPair<QString, QString>>& extra = {}) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen:configfile="_s + screenFile);
        // The single-instance lock lives in the temporary folder: one folder per test keeps runs apart.
        env.insert(u"TMPDIR"_s, m_dir->path());
        env.insert(u"XDG_RUNTIME_DIR"_s, m_dir->path());
        if (!reply.isEmpty()) {
            env.insert(u"VEXA_PROBE_HINT_REPLY"_s, QString::fromLatin1(reply));
        }
        for (const auto& [name, value] : extra) {
            env.insert(name, value);
        }
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(program, {});
        return p;
    }

    static bool waitForLine(QProcess& p, QByteArray& output, const QByteArray& line, int ms = 15000) {
        QElapsedTimer timer;
        timer.start();
        while (!output.contains(line) && timer.elapsed() < ms) {
            if (p.state() == QProcess::NotRunning) {
                output += p.readAll();
                break;
            }
            p.waitForReadyRead(100);
            output += p.readAll();
        }
        return output.contains(line);
    }

    static void stop(QProcess& p) {
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished(5000);
        }
    }

    QString m_program = qEnvironmentVariable("VEXA_BIN_DIR") + u"/VEXATool"_s;
    // The program built again with an answer for its modal boxes (tests/app/StartupProbe.cpp).
    QString m_probe = qEnvironmentVariable("VEXA_BIN_DIR") + u"/vexa-startup-probe"_s;
    std::unique_ptr<QTemporaryDir> m_dir;
    int m_files = 0;

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void secondInstanceIsRefused() {
        const QString big = screens({{0, 0, 1280, 1024}});
        auto first = start(m_program, big);
        QByteArray firstOut;
        QVERIFY2(waitForLine(*first, firstOut, "[Tool]Main window shown"), firstOut.constData());
        // The skin and style come from the build folder's plugins/.
        QVERIFY(firstOut.contains("[Tool]LoadSkin = CommonSkin Success"));
        QVERIFY(!firstOut.contains("The CommonStyle does not exist."));

        auto second = start(m_probe, big, "reject");
        QVERIFY(second->waitForFinished(15000));
        const QByteArray secondOut = second->readAll();
        QVERIFY2(secondOut.contains("[Tool]Hint: VEXA is already running."), secondOut.constData());
        QVERIFY(!secondOut.contains("Main window shown"));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 255); // -1 as the system reports it

        // The first copy runs on, and a new start after it has gone is not refused.
        QTest::qWait(200);
        QCOMPARE(first->state(), QProcess::Running);
        first->terminate();
        QVERIFY(first->waitForFinished(5000) || (stop(*first), true));
        auto third = start(m_program, big);
        QByteArray thirdOut;
        QVERIFY2(waitForLine(*third, thirdOut, "[Tool]Main window shown"), thirdOut.constData());
        stop(*third);
    }

    void smallScreensAsk_data() {
        QTest::addColumn<QList<QRect>>("rects");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("runs");
        QTest::newRow("two 800x600, declined")
            << QList<QRect>{{0, 0, 800, 600}, {800, 0, 800, 600}} << QByteArray("reject") << false;
        QTest::newRow("two 800x600, confirmed")
            << QList<QRect>{{0, 0, 800, 600}, {800, 0, 800, 600}} << QByteArray("accept") << true;
        QTest::newRow("1280x720, declined") << QList<QRect>{{0, 0, 1280, 720}} << QByteArray("reject") << false;
    }
    void smallScreensAsk() {
        QFETCH(QList<QRect>, rects);
        QFETCH(QByteArray, reply);
        QFETCH(bool, runs);
        auto p = start(m_probe, screens(rects), reply);
        QByteArray out;
        // The English file rewords the question; it names the minimum size in either wording.
        QVERIFY2(waitForLine(*p, out, "[Tool]Hint: "), out.constData());
        QVERIFY(waitForLine(*p, out, "1024"));
        if (runs) {
            QVERIFY2(waitForLine(*p, out, "[Tool]Main window shown"), out.constData());
            stop(*p);
        } else {
            QVERIFY(p->waitForFinished(15000));
            QCOMPARE(p->exitCode(), 255);
            out += p->readAll();
            QVERIFY(!out.contains("Main window shown"));
        }
    }

    void shippedProgramNeverAnswersItsOwnQuestions() {
        // The variable that once made the program answer itself is ignored; the question stays up.
        auto p = start(m_program, screens({{0, 0, 800, 600}}), "accept", {{u"VEXA_TEST_HINT_REPLY"_s, u"accept"_s}});
        QByteArray out;
        QVERIFY2(waitForLine(*p, out, "[Tool]Hint: "), out.constData());
        QTest::qWait(1500);
        out += p->readAll();
        QCOMPARE(p->state(), QProcess::Running);
        QVERIFY2(!out.contains("Main window shown"), out.constData());
        stop(*p);
    }

    void unusableLockFolderStillStarts() {
        // A temporary folder where no file can be made, by any user: no lock can be taken, and none is held.
        auto p = start(m_program, screens({{0, 0, 1920, 1080}}), {}, {{u"TMPDIR"_s, u"/proc"_s}});
        QByteArray out;
        QVERIFY2(waitForLine(*p, out, "[Tool]Main window shown"), out.constData());
        QVERIFY(!out.contains("already running"));
        QVERIFY(out.contains("cannot take the instance lock"));
        stop(*p);
    }

    void mainWindowFitsTheWorkArea_data() {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QByteArray>("shown");
        // The screen's proportions at a height of 768 (1920 * 768 / 1040 = 1417.8); the window system places it.
        QTest::newRow("1920x1040") << QRect(0, 0, 1920, 1040) << QByteArray("shown 1417x768 ");
        QTest::newRow("exactly 768 high") << QRect(0, 0, 1366, 768) << QByteArray("shown 1366x768 ");
        // Lower than 768 (after the small-screen question): the whole work area, at its corner.
        QTest::newRow("1280x680") << QRect(0, 0, 1280, 680) << QByteArray("shown 1280x680 at 0,0");
    }
    void mainWindowFitsTheWorkArea() {
        QFETCH(QRect, screen);
        QFETCH(QByteArray, shown);
        auto p = start(m_probe, screens({screen}), "accept");
        QByteArray out;
        QVERIFY2(waitForLine(*p, out, "[Tool]Main window " + shown), out.constData());
        stop(*p);
    }

    void missingSkinIsLoggedAndStartUpGoesOn() {
        // A copy of the program in a folder of its own: a settings file naming a skin that no plug-in has,
        // and no plugins/ folder at all.
        const QString program = m_dir->filePath(u"VEXATool"_s);
        QVERIFY(QFile::copy(m_program, program));
        QVERIFY(!testsupport::writeSetup(m_dir->path(), "<Skin><Value>NoSuchSkin</Value></Skin>").isEmpty());
        auto p = start(program, screens({{0, 0, 1920, 1080}}));
        QByteArray out;
        QVERIFY2(waitForLine(*p, out, "[Tool]Main window shown"), out.constData());
        QVERIFY(out.contains("[Tool]LoadSkin = NoSuchSkin failed"));
        QVERIFY(out.contains("The CommonStyle does not exist."));
        stop(*p);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
