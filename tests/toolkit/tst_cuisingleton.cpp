#include <atomic>
#include <thread>
#include <vector>

#include <QtTest>

#include "toolkit/CUiSingleton.h"

namespace {

std::atomic<int> g_constructed{0};

class Slow : public OrvisGUIToolkit::CUiSingleton<Slow> {
public:
    Slow() {
        ++g_constructed;
        // Widen the window in which a second thread could slip past the first test.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    int value = 42;
};

class Other : public OrvisGUIToolkit::CUiSingleton<Other> {};

std::atomic<int> g_released{0};

class Released : public OrvisGUIToolkit::CUiSingleton<Released> {
public:
    ~Released() override { ++g_released; }
    int value = 0;
};

} // namespace

class TestCUiSingleton : public QObject {
    Q_OBJECT

private slots:
    void concurrentFirstCallsBuildOneInstance() {
        std::atomic<bool> go{false};
        std::vector<Slow*> seen(8, nullptr);
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < seen.size(); ++i) {
            threads.emplace_back([&go, &seen, i] {
                while (!go.load()) {
                    std::this_thread::yield();
                }
                seen[i] = Slow::GetInstance();
            });
        }
        go.store(true);
        for (auto& t : threads) {
            t.join();
        }
        QCOMPARE(g_constructed.load(), 1);
        for (Slow* p : seen) {
            QCOMPARE(p, Slow::GetInstance());
        }
        QCOMPARE(Slow::GetInstance()->value, 42);
    }

    void eachTypeHasItsOwnInstance() {
        QVERIFY(static_cast<void*>(Other::GetInstance()) != static_cast<void*>(Slow::GetInstance()));
        QCOMPARE(Other::GetInstance(), Other::GetInstance());
    }

    void releaseDeletesNowAndALaterCallStartsAfresh() {
        QVERIFY(!Released::HasInstance());
        Released::ReleaseInstance(); // nothing to release: harmless
        QCOMPARE(g_released.load(), 0);
        Released::GetInstance()->value = 7;
        QVERIFY(Released::HasInstance());
        Released::ReleaseInstance();
        QCOMPARE(g_released.load(), 1);
        QVERIFY(!Released::HasInstance());
        QCOMPARE(Released::GetInstance()->value, 0);
        Released::ReleaseInstance();
        QCOMPARE(g_released.load(), 2); // and the fresh one is not deleted twice at exit
    }
};

QTEST_GUILESS_MAIN(TestCUiSingleton)
#include "tst_cuisingleton.moc"
