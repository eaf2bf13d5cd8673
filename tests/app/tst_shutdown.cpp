#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "support/SimulatorProcess.h"

using namespace Qt::StringLiterals;

// The program ends in order while devices are still arriving: discovery is stopped and its handler released
// before the application object goes, and nothing complains on the way out.
class TestShutdown : public QObject {
    Q_OBJECT

private slots:
    void cleanExitWhileDevicesArrive_data() {
        QTest::addColumn<int>("listed");
        // Early, while most answers are still on their way.
        QTest::newRow("after 10 listed") << 10;
        // 275 of the 300 are ours and pass the video filter: nearly all of them reach the list while every
        // device announces itself every 50 ms.
        QTest::newRow("after 250 listed") << 250;
    }

    void cleanExitWhileDevicesArrive() {
        QFETCH(int, listed);
        testsupport::SimulatorProcess simulator;
        // Many devices whose answers and announcements keep coming for seconds.
        qputenv("VEXA_SIM_ANNOUNCE_MS", "50");
        QVERIFY(simulator.start({u"--count"_s, u"300"_s, u"--seed"_s, u"5"_s, u"--reply-delay"_s, u"20:4000"_s}));

        QTemporaryDir dir;
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"TMPDIR"_s, dir.path());
        env.insert(u"XDG_RUNTIME_DIR"_s, dir.path());
        env.insert(u"VEXA_PROBE_HINT_REPLY"_s, u"accept"_s); // the offscreen screen is small
        env.insert(u"VEXA_PROBE_QUIT_AFTER"_s, QString::number(listed));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(qEnvironmentVariable("VEXA_BIN_DIR") + u"/vexa-startup-probe"_s, {});
        QVERIFY(program.waitForFinished(30000));
        const QByteArray out = program.readAll();
        QVERIFY2(out.contains("[Probe]quitting with "), out.constData());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(out.contains("[Tool]Shut down in order"), out.constData());
        QVERIFY2(out.contains("[Probe]application ends; discovery handler already released"), out.constData());
        for (const char* complaint : {"QThread: Destroyed", "Timers cannot", "QObject::", "QSocketNotifier"}) {
            QVERIFY2(!out.contains(complaint), out.constData());
        }
        // Devices were still arriving when it ended.
        QCOMPARE(simulator.process().state(), QProcess::Running);
        QVERIFY(simulator.stop());
    }
};

QTEST_GUILESS_MAIN(TestShutdown)
#include "tst_shutdown.moc"
