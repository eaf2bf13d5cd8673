#include <atomic>
#include <thread>
#include <vector>

#include <QtTest>

#include "sync/Singleton.h"

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

std::atomic<int> g_slowBuilt{0};

class Slow : public Singleton::CSingleton<Slow> {
    friend class Singleton::CSingleton<Slow>;

public:
    int value = 42;

private:
    Slow() {
        ++g_slowBuilt;
        // Widen the window in which a second thread could slip past the first test.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
};

} // namespace

// The program releases its singletons in an order of its own before the application object goes.
class TestSingleton : public QObject {
    Q_OBJECT

private slots:
    void concurrentFirstCallsBuildOneInstance() {
        std::atomic<bool> go{false};
        std::vector<Slow*> seen(8, nullptr);
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < seen.size(); ++i) {
            threads.emplace_back([&go, &seen, i] {
                while (!go.load())
                    std::this_thread::yield();
                seen[i] = Slow::instance();
            });
        }
        go.store(true);
        for (auto& t : threads)
            t.join();
        QCOMPARE(g_slowBuilt.load(), 1);
        for (Slow* p : seen)
            QCOMPARE(p, Slow::instance());
        QCOMPARE(Slow::instance()->value, 42);
        QVERIFY(static_cast<void*>(Counted::instance()) != static_cast<void*>(Slow::instance()));
        Counted::release();
    }

    void releaseDeletesNowAndALaterCallStartsAfresh() {
        const int built = g_built.load();
        const int deleted = g_deleted.load();
        QVERIFY(!Counted::exists());
        Counted::release(); // nothing to release: harmless
        QCOMPARE(g_deleted.load(), deleted);
        Counted::instance()->value = 7;
        QVERIFY(Counted::exists());
        QCOMPARE(Counted::instance(), Counted::instance());
        QCOMPARE(g_built.load(), built + 1);
        Counted::release();
        QCOMPARE(g_deleted.load(), deleted + 1);
        QVERIFY(!Counted::exists());
        QCOMPARE(Counted::instance()->value, 0);
        QCOMPARE(g_built.load(), built + 2);
        Counted::release();
        QCOMPARE(g_deleted.load(), deleted + 2);
    }
};

QTEST_GUILESS_MAIN(TestSingleton)
#include "tst_singleton.moc"
