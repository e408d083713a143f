// The one thread that calls into a driver library.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <set>
#include <stdexcept>

#include "driver/libfptr/DriverThread.h"

namespace {

using drv::libfptr::DriverThread;

TEST(LibfptrDriverThread, CallsFromManyThreadsRunOneAtATimeOnOneThread) {
    DriverThread driver;
    std::mutex m;
    std::set<std::thread::id> seen;
    std::atomic<int> inside{0}, overlaps{0}, total{0};
    std::vector<std::thread> callers;
    for (int i = 0; i < 4; ++i)
        callers.emplace_back([&] {
            for (int k = 0; k < 50; ++k)
                driver.run([&] {
                    if (inside.fetch_add(1) != 0) ++overlaps;
                    {
                        std::lock_guard lock(m);
                        seen.insert(std::this_thread::get_id());
                    }
                    std::this_thread::sleep_for(std::chrono::microseconds(100));
                    ++total;
                    inside.fetch_sub(1);
                });
        });
    for (auto& c : callers) c.join();
    EXPECT_EQ(total.load(), 200);
    EXPECT_EQ(overlaps.load(), 0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_NE(*seen.begin(), std::this_thread::get_id());
}

TEST(LibfptrDriverThread, ResultsExceptionsAndNestedCalls) {
    DriverThread driver;
    EXPECT_EQ(driver.call([] { return 42; }), 42);
    EXPECT_THROW(driver.run([] { throw std::runtime_error("dead port"); }), std::runtime_error);
    // a call made from the driver thread itself runs at once instead of waiting for itself
    const int nested =
        driver.call([&] { return driver.call([&] { return driver.onDriverThread() ? 7 : 0; }); });
    EXPECT_EQ(nested, 7);
    EXPECT_FALSE(driver.onDriverThread());
}

TEST(LibfptrDriverThread, TheMainThreadKeepsItsTimersWhileItWaits) {
    ASSERT_NE(QCoreApplication::instance(), nullptr);
    DriverThread driver;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    driver.run([] { std::this_thread::sleep_for(std::chrono::milliseconds(400)); });
    timer.stop();
    EXPECT_GE(ticks, 10);
}

TEST(LibfptrDriverThread, SlotsThatCallTheDriverDuringAWaitDoNotNestFurtherWaits) {
    DriverThread driver;
    int depth = 0, deepest = 0, slotCalls = 0;
    QObject context;
    // results handed over from other threads, queued while the main thread waits
    for (int i = 0; i < 3; ++i)
        QMetaObject::invokeMethod(
            &context,
            [&] {
                ++depth;
                deepest = std::max(deepest, depth);
                driver.run([] { std::this_thread::sleep_for(std::chrono::milliseconds(30)); });
                ++slotCalls;
                --depth;
            },
            Qt::QueuedConnection);
    driver.run([] { std::this_thread::sleep_for(std::chrono::milliseconds(200)); });
    EXPECT_GE(slotCalls, 1);  // a slot ran during the wait and its call was served
    EXPECT_EQ(deepest, 1);    // and no slot started inside another
    QCoreApplication::processEvents();
    EXPECT_EQ(slotCalls, 3);
}

TEST(LibfptrDriverThread, ACallInProgressIsFinishedBeforeTheThreadEnds) {
    std::atomic<bool> started{false};
    std::atomic<int> made{0};
    std::thread caller;
    {
        DriverThread driver;
        caller = std::thread([&] {
            driver.run([&] {
                started = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                ++made;
            });
        });
        while (!started) std::this_thread::yield();
    }
    caller.join();
    EXPECT_EQ(made.load(), 1);
}

}  // namespace
