#include <atomic>

#include <QtTest>

#include "platform/core/Singleton.h"

namespace {

std::atomic<int> g_built{0};
std::atomic<int> g_deleted{0};

class Counted : public Singleton::CSingleton<Counted> {
    friend class Singleton::CSingleton<Counted>;

public:
    ~Counted() { ++g_deleted; }
    int value = 0;

private:
    Counted() { ++g_built; }
};

} // namespace

// The program releases its singletons in an order of its own before the application object goes.
class TestSingleton : public QObject {
    Q_OBJECT

private slots:
    void releaseDeletesNowAndALaterCallStartsAfresh() {
        QVERIFY(!Counted::exists());
        Counted::release(); // nothing to release: harmless
        QCOMPARE(g_deleted.load(), 0);
        Counted::instance()->value = 7;
        QVERIFY(Counted::exists());
        QCOMPARE(Counted::instance(), Counted::instance());
        QCOMPARE(g_built.load(), 1);
        Counted::release();
        QCOMPARE(g_deleted.load(), 1);
        QVERIFY(!Counted::exists());
        QCOMPARE(Counted::instance()->value, 0);
        QCOMPARE(g_built.load(), 2);
        Counted::release();
        QCOMPARE(g_deleted.load(), 2);
    }
};

QTEST_GUILESS_MAIN(TestSingleton)
#include "tst_singleton.moc"
