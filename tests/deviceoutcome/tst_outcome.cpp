// The outcome value: which library codes leave a device changed, unchanged or unknown, and the fixed words a
// receipt stores for it.

#include <QtTest>

#include "deviceoutcome/Outcome.h"
#include "vexa.h"

using namespace VexaTool;

Q_DECLARE_METATYPE(VexaTool::Outcome::Kind)

class TestOutcome : public QObject {
    Q_OBJECT

private slots:
    void ofCall_data();
    void ofCall();
    void storedWords();
};

void TestOutcome::ofCall_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<uint>("lastError");
    QTest::addColumn<Outcome::Kind>("kind");
    QTest::addColumn<uint>("code");
    QTest::newRow("done") << true << 0u << Outcome::Kind::Done << 0u;
    // A stale error from an earlier call on the thread must not turn a success into a failure.
    QTest::newRow("done, stale error") << true << 2011u << Outcome::Kind::Done << 0u;
    QTest::newRow("refused") << false << 2009u << Outcome::Kind::Failed << 2009u;
    QTest::newRow("time-out") << false << 2011u << Outcome::Kind::Failed << 2011u;
    QTest::newRow("not applied") << false << 2034u << Outcome::Kind::Failed << 2034u;
    QTest::newRow("may have been applied") << false << 2019u << Outcome::Kind::Unknown << 2019u;
    QTest::newRow("restarted, not back") << false << 2033u << Outcome::Kind::Unknown << 2033u;
    // A failure that left no code must never read as success, nor as a clean refusal.
    QTest::newRow("failed without a code") << false << 0u << Outcome::Kind::Unknown << 2019u;
}

void TestOutcome::ofCall() {
    QFETCH(bool, ok);
    QFETCH(uint, lastError);
    QFETCH(Outcome::Kind, kind);
    QFETCH(uint, code);
    const Outcome outcome = Outcome::ofCall(ok, lastError);
    QCOMPARE(outcome.kind, kind);
    QCOMPARE(outcome.code, code);
    QCOMPARE(outcome.isDone(), kind == Outcome::Kind::Done);
    QVERIFY(outcome.wasSent());
    if (ok || lastError != VEXA_NOERROR)
        QCOMPARE(Outcome::ofCode(ok ? VEXA_NOERROR : lastError), outcome);
}

void TestOutcome::storedWords() {
    // Receipts store these words; a reader gets the same kind back, and a word it does not know is refused.
    QSet<QString> seen;
    for (const Outcome::Kind kind :
         {Outcome::Kind::NotSent, Outcome::Kind::Done, Outcome::Kind::Failed, Outcome::Kind::Unknown}) {
        const std::string word = outcomeKindName(kind);
        QVERIFY2(!seen.contains(QString::fromStdString(word)), word.c_str());
        seen.insert(QString::fromStdString(word));
        Outcome::Kind read = Outcome::Kind::NotSent;
        QVERIFY(outcomeKindFromName(word, read));
        QCOMPARE(read, kind);
    }
    Outcome::Kind untouched = Outcome::Kind::Failed;
    for (const char* word : {"", "Done", "succeed", "成功"})
        QVERIFY2(!outcomeKindFromName(word, untouched), word);
    QCOMPARE(untouched, Outcome::Kind::Failed);
    QVERIFY(!Outcome().wasSent());
    QVERIFY(!Outcome().isDone());
}

QTEST_GUILESS_MAIN(TestOutcome)
#include "tst_outcome.moc"
