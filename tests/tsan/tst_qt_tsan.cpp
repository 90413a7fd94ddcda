// The Qt lock annotations of a ThreadSanitizer build: what a Qt primitive
// hands from one thread to another is seen as ordered (any report would make
// the program exit with the sanitizer's code and fail the case), and an
// access outside the lock is still a reported race.

#include <QtCore/QDeadlineTimer>
#include <QtCore/QMutex>
#include <QtCore/QReadWriteLock>
#include <QtCore/QRunnable>
#include <QtCore/QSemaphore>
#include <QtCore/QString>
#include <QtCore/QThread>
#include <QtCore/QThreadPool>
#include <QtCore/QWaitCondition>

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using ThreadPtr = std::unique_ptr<QThread>;

template<typename Fn>
ThreadPtr started(Fn fn)
{
    ThreadPtr thread(QThread::create(std::move(fn)));
    thread->start();
    return thread;
}

} // namespace

TEST(QtTsanAnnotations, MutexesGuardFieldsAcrossThreads)
{
    QMutex mutex;
    QRecursiveMutex recursive;
    QMutex oldStyleRecursive(QMutex::Recursive);
    int counted = 0;
    int nested = 0;
    int nestedOldStyle = 0;
    int tried = 0;
    std::vector<ThreadPtr> threads;
    for (int t = 0; t < 4; ++t) {
        threads.push_back(started([&] {
            for (int n = 0; n < 200; ++n) {
                {
                    QMutexLocker locker(&mutex);
                    ++counted;
                }
                {
                    QMutexLocker outer(&recursive);
                    QMutexLocker inner(&recursive);
                    ++nested;
                }
                {
                    QMutexLocker outer(&oldStyleRecursive);
                    QMutexLocker inner(&oldStyleRecursive);
                    ++nestedOldStyle;
                }
                if (mutex.tryLock(1000)) {
                    ++tried;
                    mutex.unlock();
                }
                while (!mutex.try_lock())
                    QThread::yieldCurrentThread();
                ++tried;
                mutex.unlock();
            }
        }));
    }
    for (const ThreadPtr &thread : threads)
        ASSERT_TRUE(thread->wait(60000));
    EXPECT_EQ(counted, 800);
    EXPECT_EQ(nested, 800);
    EXPECT_EQ(nestedOldStyle, 800);
    EXPECT_EQ(tried, 1600);
}

TEST(QtTsanAnnotations, WaitConditionHandsOverUnderItsMutexAndOnWake)
{
    QMutex mutex;
    QWaitCondition changed;
    QString message;
    bool posted = false;
    int afterUnlock = 0;

    // Written under the mutex and read after the wait re-took it.
    ThreadPtr producer = started([&] {
        QThread::msleep(20);
        QMutexLocker locker(&mutex);
        message = QStringLiteral("filled");
        posted = true;
        changed.wakeOne();
    });
    {
        QMutexLocker locker(&mutex);
        while (!posted)
            changed.wait(&mutex, 60000UL);
        EXPECT_EQ(message, QStringLiteral("filled"));
    }
    ASSERT_TRUE(producer->wait(60000));

    // Written outside the mutex: only the wake orders it before the read.
    // The waker takes the mutex once, so it runs when the waiter waits.
    QMutexLocker locker(&mutex);
    ThreadPtr waker = started([&] {
        mutex.lock();
        mutex.unlock();
        afterUnlock = 7;
        changed.wakeAll();
    });
    ASSERT_TRUE(changed.wait(&mutex, QDeadlineTimer(60000)));
    EXPECT_EQ(afterUnlock, 7);
    locker.unlock();
    ASSERT_TRUE(waker->wait(60000));
}

TEST(QtTsanAnnotations, ReadWriteLocksInBothModes)
{
    QReadWriteLock lock;
    QReadWriteLock recursive(QReadWriteLock::Recursive);
    std::vector<int> table(16, 0);
    int recursiveValue = 0;
    long seen = 0;
    std::vector<ThreadPtr> threads;
    for (int t = 0; t < 2; ++t) {
        threads.push_back(started([&, t] {
            for (int n = 0; n < 100; ++n) {
                {
                    QWriteLocker writer(&lock);
                    table[(n + t) % table.size()] += 1;
                }
                if (lock.tryLockForWrite(1000)) {
                    table[0] += 1;
                    lock.unlock();
                }
                QWriteLocker outer(&recursive);
                QWriteLocker inner(&recursive);
                ++recursiveValue;
            }
        }));
        threads.push_back(started([&] {
            long sum = 0;
            for (int n = 0; n < 100; ++n) {
                {
                    QReadLocker reader(&lock);
                    for (int v : table)
                        sum += v;
                }
                if (lock.tryLockForRead()) {
                    sum += table[0];
                    lock.unlock();
                }
                QReadLocker outer(&recursive);
                QReadLocker inner(&recursive);
                sum += recursiveValue;
            }
            QWriteLocker writer(&lock);
            seen += sum;
        }));
    }
    for (const ThreadPtr &thread : threads)
        ASSERT_TRUE(thread->wait(60000));
    EXPECT_EQ(recursiveValue, 200);
    EXPECT_GE(seen, 0);

    // A wait on a read lock gives it back and re-takes it for reading.
    QWaitCondition changed;
    bool posted = false;
    lock.lockForRead();
    ThreadPtr writer = started([&] {
        QWriteLocker locker(&lock);
        table[1] = 99;
        posted = true;
        changed.wakeAll();
    });
    while (!posted)
        changed.wait(&lock, 60000UL);
    EXPECT_EQ(table[1], 99);
    lock.unlock();
    ASSERT_TRUE(writer->wait(60000));
}

TEST(QtTsanAnnotations, ThreadEndOrdersBeforeWhoeverSeesIt)
{
    int polledFinished = 0;
    int polledRunning = 0;
    int waitedLate = 0;
    int waitedEarly = 0;

    ThreadPtr a = started([&] { polledFinished = 1; });
    while (!a->isFinished())
        QThread::msleep(1);
    EXPECT_EQ(polledFinished, 1);

    ThreadPtr b = started([&] { polledRunning = 2; });
    while (b->isRunning())
        QThread::msleep(1);
    EXPECT_EQ(polledRunning, 2);

    // wait() on a thread that ended before it, and on one still running.
    ThreadPtr c = started([&] { waitedLate = 3; });
    QThread::msleep(50);
    ASSERT_TRUE(c->wait(60000));
    EXPECT_EQ(waitedLate, 3);

    ThreadPtr d = started([&] {
        QThread::msleep(50);
        waitedEarly = 4;
    });
    ASSERT_TRUE(d->wait(QDeadlineTimer(60000)));
    EXPECT_EQ(waitedEarly, 4);
}

TEST(QtTsanAnnotations, PoolTasksSeeTheirStartAndWaitForDoneSeesTheirEnd)
{
    QThreadPool pool;
    pool.setMaxThreadCount(1);
    // The only thread is kept busy, so that the next tasks wait in the queue
    // and are taken from it without any wake-up in between.
    pool.start(QRunnable::create([] { QThread::msleep(50); }));

    constexpr int Tasks = 6;
    std::vector<int> input(Tasks, 0);
    std::vector<int> output(Tasks, 0);
    for (int i = 0; i < Tasks; ++i) {
        input[i] = i * i;
        auto task = [&input, &output, i] { output[i] = input[i] + 1; };
        if (i % 2)
            pool.start(QRunnable::create(task));
        else
            pool.start(std::function<void()>(task));
    }
    ASSERT_TRUE(pool.waitForDone(60000));
    for (int i = 0; i < Tasks; ++i)
        EXPECT_EQ(output[i], i * i + 1) << i;

    // A task the caller owns, started with tryStart() on an idle pool.
    struct Owned : QRunnable
    {
        int in = 0;
        int out = 0;
        void run() override { out = in * 2; }
    } owned;
    owned.setAutoDelete(false);
    owned.in = 21;
    ASSERT_TRUE(pool.tryStart(&owned));
    ASSERT_TRUE(pool.waitForDone(60000));
    EXPECT_EQ(owned.out, 42);
}

TEST(QtTsanAnnotations, SemaphoreReleaseOrdersBeforeAcquire)
{
    QSemaphore filled;
    int box[2] = { 0, 0 };
    ThreadPtr producer = started([&] {
        box[0] = 5;
        filled.release();
        box[1] = 6;
        filled.release();
    });
    filled.acquire();
    EXPECT_EQ(box[0], 5);
    ASSERT_TRUE(filled.tryAcquire(1, 60000));
    EXPECT_EQ(box[1], 6);
    ASSERT_TRUE(producer->wait(60000));
}

namespace {

bool failedWithReport(int status)
{
    return WIFEXITED(status) && WEXITSTATUS(status) != 0;
}

} // namespace

// The annotations must not order what the program does not: an access that
// skips the lock, or that no hand-off covers, still races.
TEST(QtTsanAnnotationsDeathTest, AccessesOutsideTheHandOffsStillRace)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QMutex mutex;
            int shared = 0;
            ThreadPtr locked = started([&] {
                QMutexLocker locker(&mutex);
                ++shared;
            });
            ThreadPtr unlocked = started([&] { ++shared; });
            locked->wait();
            unlocked->wait();
            std::exit(0);
        },
        failedWithReport, "ThreadSanitizer: data race");
    EXPECT_EXIT(
        {
            auto *pool = new QThreadPool;
            int shared = 0;
            pool->start(QRunnable::create([&] { shared = 1; }));
            QThread::msleep(50);
            shared = 2; // before waitForDone()
            pool->waitForDone();
            std::exit(0);
        },
        failedWithReport, "ThreadSanitizer: data race");
}
