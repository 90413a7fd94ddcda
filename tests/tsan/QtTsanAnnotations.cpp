// Tells ThreadSanitizer what Qt's locks and thread hand-offs do.
//
// Debian's Qt is not built with -fsanitize=thread. A QMutex is a futex the
// sanitizer never sees, so every field a QMutex guards looks unguarded, and
// the hand-offs inside QThread and QThreadPool (their own mutexes) are
// invisible as well. This library defines the exported Qt functions our code
// calls, reports to the sanitizer what each does (the __tsan_mutex_*
// annotations for locks, __tsan_release/__tsan_acquire for the other
// hand-offs) and forwards to the real function in libQt5Core.
//
// It only takes effect where it comes before libQt5Core in the dynamic symbol
// lookup: in a -DAXOCOMM_TSAN=ON build every test program links it first
// (tests/CMakeLists.txt), and so do the programs the tests run
// (tests/tsan/CMakeLists.txt); a check at load time stops a program where it
// does not win. Calls made inside libQt5Core bind there and never come here:
// that is why QWaitCondition::wait annotates the unlock and re-lock that Qt
// does inside it. The file itself is compiled without instrumentation.
//
// What is covered:
//   QMutex, QRecursiveMutex   lock, tryLock, unlock, destruction; a recursive
//                             mutex is told as write-reentrant.
//   QReadWriteLock            lockForRead/Write, tryLockFor*, unlock (the mode
//                             of each lock is remembered per thread, since
//                             unlock() does not say it), recursive mode,
//                             destruction.
//   QWaitCondition            wait on a QMutex or a QReadWriteLock releases
//                             and re-takes the lock; a wake happens before the
//                             wait it ends.
//   QSemaphore                release happens before the acquire it allows.
//   QThread                   the thread's end, up to its exit, happens before
//                             wait() returning true and before isFinished() or
//                             !isRunning(). The start needs nothing: Qt calls
//                             pthread_create, which the sanitizer sees.
//   QThreadPool               start()/tryStart() happen before the task runs;
//                             every task's end happens before waitForDone()
//                             returning true. Qt's pool machinery itself is
//                             not checked: a pool thread between its tasks,
//                             and the caller of waitForDone() and of the
//                             destructor, which join and delete pool threads.

#include <QtCore/QMutex>
#include <QtCore/QObject>
#include <QtCore/QReadWriteLock>
#include <QtCore/QRunnable>
#include <QtCore/QSemaphore>
#include <QtCore/QThread>
#include <QtCore/QThreadPool>
#include <QtCore/QWaitCondition>

#include <sanitizer/tsan_interface.h>

// The sanitizer's dynamic annotations, which have no header of their own.
extern "C" {
void AnnotateIgnoreReadsBegin(const char *file, int line);
void AnnotateIgnoreReadsEnd(const char *file, int line);
void AnnotateIgnoreWritesBegin(const char *file, int line);
void AnnotateIgnoreWritesEnd(const char *file, int line);
}

#include <dlfcn.h>
#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <unordered_map>

namespace {

[[noreturn]] void fail(const char *what, const char *detail)
{
    std::fprintf(stderr, "Qt ThreadSanitizer annotations: %s%s\n", what, detail);
    std::abort();
}

// The definition in libQt5Core of an exported Qt function.
void *qtCore(const char *symbol)
{
    static void *const core = dlopen("libQt5Core.so.5", RTLD_LAZY | RTLD_NOLOAD);
    void *real = dlsym(core ? core : RTLD_NEXT, symbol);
    if (!real)
        fail("libQt5Core has no ", symbol);
    return real;
}

template<typename Fn>
Fn qtCore(const char *symbol)
{
    return reinterpret_cast<Fn>(qtCore(symbol));
}

#define QT_REAL(type, symbol) static const auto real = qtCore<type>(symbol)

// Without this library ahead of libQt5Core the program would run, and the
// sanitizer would report every QMutex-guarded field: better not run at all.
__attribute__((constructor)) void checkInterposition()
{
    Dl_info self {};
    Dl_info winner {};
    void *lock = dlsym(RTLD_DEFAULT, "_ZN6QMutex4lockEv");
    if (!dladdr(reinterpret_cast<void *>(&checkInterposition), &self) || !lock || !dladdr(lock, &winner)
        || winner.dli_fbase != self.dli_fbase)
        fail("not in effect: QMutex::lock resolves to ", winner.dli_fname ? winner.dli_fname : "nothing");
}

unsigned mutexCreationFlags(const QMutex *mutex)
{
    return mutex->isRecursive() ? __tsan_mutex_write_reentrant : 0;
}

// The read/write locks this thread holds, latest last: QReadWriteLock::unlock()
// releases either mode, and the annotation has to name the mode.
struct HeldLock
{
    const QReadWriteLock *lock;
    bool write;
};
constexpr int MaxHeldLocks = 64;
thread_local HeldLock t_held[MaxHeldLocks];
thread_local int t_heldCount = 0;

void remember(const QReadWriteLock *lock, bool write)
{
    if (t_heldCount < MaxHeldLocks)
        t_held[t_heldCount++] = HeldLock { lock, write };
}

// The latest hold of the lock by this thread, or -1.
int findHeld(const QReadWriteLock *lock)
{
    for (int i = t_heldCount - 1; i >= 0; --i) {
        if (t_held[i].lock == lock)
            return i;
    }
    return -1;
}

// Forgets the latest hold and tells its mode (a write lock when unknown, so
// that an unlock of a lock this thread does not hold still gets reported).
bool forget(const QReadWriteLock *lock)
{
    const int at = findHeld(lock);
    if (at < 0)
        return true;
    const bool write = t_held[at].write;
    for (int i = at + 1; i < t_heldCount; ++i)
        t_held[i - 1] = t_held[i];
    --t_heldCount;
    return write;
}

unsigned modeFlags(bool write)
{
    return write ? 0 : __tsan_mutex_read_lock;
}

void annotateLock(void *lock, unsigned flags)
{
    __tsan_mutex_pre_lock(lock, flags);
    __tsan_mutex_post_lock(lock, flags, 0);
}

void annotateUnlock(void *lock, unsigned flags)
{
    __tsan_mutex_pre_unlock(lock, flags);
    __tsan_mutex_post_unlock(lock, flags);
}

// QWaitCondition::wait on a mutex: Qt unlocks and re-locks it inside, out
// of our sight. It refuses a null or recursive mutex without touching it.
template<typename Deadline>
bool waitOnMutex(QWaitCondition *condition, QMutex *mutex, Deadline deadline,
                 bool (*real)(QWaitCondition *, QMutex *, Deadline))
{
    if (!mutex || mutex->isRecursive())
        return real(condition, mutex, deadline);
    annotateUnlock(mutex, 0);
    const bool woken = real(condition, mutex, deadline);
    annotateLock(mutex, 0);
    if (woken)
        __tsan_acquire(condition);
    return woken;
}

// The same on a read/write lock, re-taken in the mode it was held in. Qt
// refuses a lock that is not held or is write-locked more than once.
template<typename Deadline>
bool waitOnReadWriteLock(QWaitCondition *condition, QReadWriteLock *lock, Deadline deadline,
                         bool (*real)(QWaitCondition *, QReadWriteLock *, Deadline))
{
    const int at = lock ? findHeld(lock) : -1;
    if (at < 0)
        return real(condition, lock, deadline);
    const bool write = t_held[at].write;
    if (write) {
        for (int i = 0; i < at; ++i) {
            if (t_held[i].lock == lock && t_held[i].write)
                return real(condition, lock, deadline);
        }
    }
    annotateUnlock(lock, modeFlags(write));
    const bool woken = real(condition, lock, deadline);
    annotateLock(lock, modeFlags(write));
    if (woken)
        __tsan_acquire(condition);
    return woken;
}

// The end of a started QThread. After run() and the finished signal,
// QThreadPrivate::finish still wakes the waiters of the thread's private
// wait condition, which ~QThread destroys; Qt orders the two with its own
// mutex. So the end is released once more when the thread exits, and
// whoever learns of the end (wait(), isFinished(), isRunning()) waits the
// moment until then before its acquire.
struct ThreadEnd
{
    QThread *thread;
    std::atomic<bool> exited { false };
};

// Guards the registry below without synchronising anything the sanitizer
// could see (a std::mutex would order every thread start after every end
// before it).
class QuietLock
{
public:
    void lock()
    {
        while (m_taken.test_and_set(std::memory_order_acquire))
            sched_yield();
    }
    void unlock() { m_taken.clear(std::memory_order_release); }

private:
    std::atomic_flag m_taken = ATOMIC_FLAG_INIT;
};

QuietLock g_threadEndsLock;

// The ends of the threads started, by QThread; never destroyed, since
// threads may still end while the program exits.
std::unordered_map<const QThread *, std::shared_ptr<ThreadEnd>> &threadEnds()
{
    static auto *const ends = new std::unordered_map<const QThread *, std::shared_ptr<ThreadEnd>>;
    return *ends;
}

std::shared_ptr<ThreadEnd> findThreadEnd(const QThread *thread)
{
    g_threadEndsLock.lock();
    const auto it = threadEnds().find(thread);
    std::shared_ptr<ThreadEnd> end = it == threadEnds().end() ? nullptr : it->second;
    g_threadEndsLock.unlock();
    return end;
}

void newThreadEnd(QThread *thread)
{
    auto end = std::make_shared<ThreadEnd>();
    end->thread = thread;
    g_threadEndsLock.lock();
    threadEnds()[thread] = std::move(end);
    g_threadEndsLock.unlock();
}

// Runs when the thread exits, after all that Qt does at its end.
void threadExited(void *held)
{
    auto *end = static_cast<std::shared_ptr<ThreadEnd> *>(held);
    __tsan_release((*end)->thread);
    (*end)->exited.store(true, std::memory_order_release);
    delete end;
}

pthread_key_t threadExitKey()
{
    static const pthread_key_t key = [] {
        pthread_key_t created;
        if (pthread_key_create(&created, threadExited) != 0)
            fail("no thread-specific key for the end of threads", "");
        return created;
    }();
    return key;
}

// Receives QThread::finished, emitted in the thread itself once run() has
// returned.
class ThreadEndMarker : public QObject
{
public:
    void threadFinished()
    {
        QThread *thread = QThread::currentThread();
        __tsan_release(thread);
        std::shared_ptr<ThreadEnd> end = findThreadEnd(thread);
        if (end && !pthread_getspecific(threadExitKey()))
            pthread_setspecific(threadExitKey(), new std::shared_ptr<ThreadEnd>(std::move(end)));
    }
};

// The thread is known to have ended: waits for its exit (bounded, so that a
// thread held up at its exit by the caller cannot hang it) and acquires.
void acquireThreadEnd(const QThread *thread)
{
    if (QThread::currentThread() != thread) {
        if (const std::shared_ptr<ThreadEnd> end = findThreadEnd(thread)) {
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(1);
            while (!end->exited.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < giveUp)
                sched_yield();
            // Known to have exited: the release is done and stays; the entry can go.
            if (end->exited.load(std::memory_order_acquire)) {
                g_threadEndsLock.lock();
                const auto it = threadEnds().find(thread);
                if (it != threadEnds().end() && it->second == end)
                    threadEnds().erase(it);
                g_threadEndsLock.unlock();
            }
        }
    }
    __tsan_acquire(const_cast<QThread *>(thread));
}

// A pool thread runs Qt's pool loop between its tasks: it takes the next
// task, files itself as waiting or expired, frees queue pages, all under the
// pool's own mutex, which the sanitizer does not see. Those accesses are Qt's,
// on Qt's objects, and are not checked: from the end of a task to the start
// of the next, and up to the thread's exit.
void ignoreAccesses()
{
    AnnotateIgnoreReadsBegin(__FILE__, __LINE__);
    AnnotateIgnoreWritesBegin(__FILE__, __LINE__);
}

void checkAccesses()
{
    AnnotateIgnoreWritesEnd(__FILE__, __LINE__);
    AnnotateIgnoreReadsEnd(__FILE__, __LINE__);
}

thread_local bool t_inPoolLoop = false;

void leavePoolLoop()
{
    if (t_inPoolLoop) {
        t_inPoolLoop = false;
        checkAccesses();
    }
}

// The sanitizer wants no ignoring left when a thread exits.
void poolThreadExits(void *)
{
    leavePoolLoop();
}

void enterPoolLoop()
{
    static const pthread_key_t exitKey = [] {
        pthread_key_t created;
        if (pthread_key_create(&created, poolThreadExits) != 0)
            fail("no thread-specific key for pool threads", "");
        return created;
    }();
    if (!pthread_getspecific(exitKey))
        pthread_setspecific(exitKey, &t_inPoolLoop);
    t_inPoolLoop = true;
    ignoreAccesses();
}

// A pool task wrapped so that the pool thread starts it with an acquire of
// what start() released; its end is released to the pool for waitForDone().
// The wrapper deletes itself, and the task when the task asks for it, as the
// pool would.
class AnnotatedTask final : public QRunnable
{
public:
    AnnotatedTask(QRunnable *task, QThreadPool *pool) : m_task(task), m_pool(pool) { setAutoDelete(false); }

    void run() override
    {
        leavePoolLoop();
        __tsan_acquire(this);
        const bool deleteTask = m_task->autoDelete();
        m_task->run();
        if (deleteTask)
            delete m_task;
        __tsan_release(m_pool);
        delete this;
        enterPoolLoop();
    }

private:
    QRunnable *const m_task;
    QThreadPool *const m_pool;
};

// What the calling thread does inside a call that joins and deletes pool
// threads is Qt's, on Qt's objects, and is not checked either.
struct IgnoredAccesses
{
    IgnoredAccesses() { ignoreAccesses(); }
    ~IgnoredAccesses() { checkAccesses(); }
};

} // namespace

// ---- QMutex, QRecursiveMutex ------------------------------------------------

void QMutex::lock() QT_MUTEX_LOCK_NOEXCEPT
{
    QT_REAL(void (*)(QMutex *), "_ZN6QMutex4lockEv");
    const unsigned flags = mutexCreationFlags(this);
    __tsan_mutex_pre_lock(this, flags);
    real(this);
    __tsan_mutex_post_lock(this, flags, 0);
}

bool QMutex::tryLock(int timeout) QT_MUTEX_LOCK_NOEXCEPT
{
    QT_REAL(bool (*)(QMutex *, int), "_ZN6QMutex7tryLockEi");
    const unsigned flags = mutexCreationFlags(this) | __tsan_mutex_try_lock;
    __tsan_mutex_pre_lock(this, flags);
    const bool locked = real(this, timeout);
    __tsan_mutex_post_lock(this, locked ? flags : flags | __tsan_mutex_try_lock_failed, 0);
    return locked;
}

void QMutex::unlock() noexcept
{
    QT_REAL(void (*)(QMutex *), "_ZN6QMutex6unlockEv");
    __tsan_mutex_pre_unlock(this, 0);
    real(this);
    __tsan_mutex_post_unlock(this, 0);
}

// Destructors are plain functions under the mangled names: a C++ definition
// of ~QRecursiveMutex would run the base destructor a second time. Telling
// the destruction lets a later mutex at the same address (a stack slot, say)
// start afresh.
extern "C" {
void qtTsanMutexDestroyComplete(QMutex *mutex) __asm__("_ZN6QMutexD1Ev");
void qtTsanMutexDestroyBase(QMutex *mutex) __asm__("_ZN6QMutexD2Ev");
void qtTsanRecursiveMutexDestroyComplete(QRecursiveMutex *mutex) __asm__("_ZN15QRecursiveMutexD1Ev");
void qtTsanRecursiveMutexDestroyBase(QRecursiveMutex *mutex) __asm__("_ZN15QRecursiveMutexD2Ev");

void qtTsanMutexDestroyComplete(QMutex *mutex)
{
    QT_REAL(void (*)(QMutex *), "_ZN6QMutexD1Ev");
    __tsan_mutex_destroy(mutex, 0);
    real(mutex);
}

void qtTsanMutexDestroyBase(QMutex *mutex)
{
    QT_REAL(void (*)(QMutex *), "_ZN6QMutexD2Ev");
    __tsan_mutex_destroy(mutex, 0);
    real(mutex);
}

void qtTsanRecursiveMutexDestroyComplete(QRecursiveMutex *mutex)
{
    QT_REAL(void (*)(QRecursiveMutex *), "_ZN15QRecursiveMutexD1Ev");
    __tsan_mutex_destroy(mutex, 0);
    real(mutex);
}

void qtTsanRecursiveMutexDestroyBase(QRecursiveMutex *mutex)
{
    QT_REAL(void (*)(QRecursiveMutex *), "_ZN15QRecursiveMutexD2Ev");
    __tsan_mutex_destroy(mutex, 0);
    real(mutex);
}
} // extern "C"

// ---- QReadWriteLock ----------------------------------------------------------

QReadWriteLock::QReadWriteLock(RecursionMode recursionMode)
{
    QT_REAL(void (*)(QReadWriteLock *, RecursionMode), "_ZN14QReadWriteLockC2ENS_13RecursionModeE");
    real(this, recursionMode);
    if (recursionMode == Recursive)
        __tsan_mutex_create(this, __tsan_mutex_write_reentrant | __tsan_mutex_read_reentrant);
}

QReadWriteLock::~QReadWriteLock()
{
    QT_REAL(void (*)(QReadWriteLock *), "_ZN14QReadWriteLockD2Ev");
    __tsan_mutex_destroy(this, 0);
    real(this);
}

void QReadWriteLock::lockForRead()
{
    QT_REAL(void (*)(QReadWriteLock *), "_ZN14QReadWriteLock11lockForReadEv");
    __tsan_mutex_pre_lock(this, __tsan_mutex_read_lock);
    real(this);
    __tsan_mutex_post_lock(this, __tsan_mutex_read_lock, 0);
    remember(this, false);
}

bool QReadWriteLock::tryLockForRead()
{
    return tryLockForRead(0);
}

bool QReadWriteLock::tryLockForRead(int timeout)
{
    QT_REAL(bool (*)(QReadWriteLock *, int), "_ZN14QReadWriteLock14tryLockForReadEi");
    __tsan_mutex_pre_lock(this, __tsan_mutex_try_read_lock);
    const bool locked = real(this, timeout);
    __tsan_mutex_post_lock(this, locked ? __tsan_mutex_try_read_lock : __tsan_mutex_try_read_lock_failed, 0);
    if (locked)
        remember(this, false);
    return locked;
}

void QReadWriteLock::lockForWrite()
{
    QT_REAL(void (*)(QReadWriteLock *), "_ZN14QReadWriteLock12lockForWriteEv");
    __tsan_mutex_pre_lock(this, 0);
    real(this);
    __tsan_mutex_post_lock(this, 0, 0);
    remember(this, true);
}

bool QReadWriteLock::tryLockForWrite()
{
    return tryLockForWrite(0);
}

bool QReadWriteLock::tryLockForWrite(int timeout)
{
    QT_REAL(bool (*)(QReadWriteLock *, int), "_ZN14QReadWriteLock15tryLockForWriteEi");
    __tsan_mutex_pre_lock(this, __tsan_mutex_try_lock);
    const bool locked = real(this, timeout);
    __tsan_mutex_post_lock(this, locked ? __tsan_mutex_try_lock : __tsan_mutex_try_lock | __tsan_mutex_try_lock_failed,
                           0);
    if (locked)
        remember(this, true);
    return locked;
}

void QReadWriteLock::unlock()
{
    QT_REAL(void (*)(QReadWriteLock *), "_ZN14QReadWriteLock6unlockEv");
    const unsigned flags = modeFlags(forget(this));
    __tsan_mutex_pre_unlock(this, flags);
    real(this);
    __tsan_mutex_post_unlock(this, flags);
}

// ---- QWaitCondition ----------------------------------------------------------

bool QWaitCondition::wait(QMutex *lockedMutex, QDeadlineTimer deadline)
{
    QT_REAL(bool (*)(QWaitCondition *, QMutex *, QDeadlineTimer), "_ZN14QWaitCondition4waitEP6QMutex14QDeadlineTimer");
    return waitOnMutex(this, lockedMutex, deadline, real);
}

bool QWaitCondition::wait(QMutex *lockedMutex, unsigned long time)
{
    QT_REAL(bool (*)(QWaitCondition *, QMutex *, unsigned long), "_ZN14QWaitCondition4waitEP6QMutexm");
    return waitOnMutex(this, lockedMutex, time, real);
}

bool QWaitCondition::wait(QReadWriteLock *lockedReadWriteLock, QDeadlineTimer deadline)
{
    QT_REAL(bool (*)(QWaitCondition *, QReadWriteLock *, QDeadlineTimer),
            "_ZN14QWaitCondition4waitEP14QReadWriteLock14QDeadlineTimer");
    return waitOnReadWriteLock(this, lockedReadWriteLock, deadline, real);
}

bool QWaitCondition::wait(QReadWriteLock *lockedReadWriteLock, unsigned long time)
{
    QT_REAL(bool (*)(QWaitCondition *, QReadWriteLock *, unsigned long), "_ZN14QWaitCondition4waitEP14QReadWriteLockm");
    return waitOnReadWriteLock(this, lockedReadWriteLock, time, real);
}

void QWaitCondition::wakeOne()
{
    QT_REAL(void (*)(QWaitCondition *), "_ZN14QWaitCondition7wakeOneEv");
    __tsan_release(this);
    real(this);
}

void QWaitCondition::wakeAll()
{
    QT_REAL(void (*)(QWaitCondition *), "_ZN14QWaitCondition7wakeAllEv");
    __tsan_release(this);
    real(this);
}

// ---- QSemaphore --------------------------------------------------------------

void QSemaphore::acquire(int n)
{
    QT_REAL(void (*)(QSemaphore *, int), "_ZN10QSemaphore7acquireEi");
    real(this, n);
    __tsan_acquire(this);
}

bool QSemaphore::tryAcquire(int n)
{
    QT_REAL(bool (*)(QSemaphore *, int), "_ZN10QSemaphore10tryAcquireEi");
    const bool acquired = real(this, n);
    if (acquired)
        __tsan_acquire(this);
    return acquired;
}

bool QSemaphore::tryAcquire(int n, int timeout)
{
    QT_REAL(bool (*)(QSemaphore *, int, int), "_ZN10QSemaphore10tryAcquireEii");
    const bool acquired = real(this, n, timeout);
    if (acquired)
        __tsan_acquire(this);
    return acquired;
}

void QSemaphore::release(int n)
{
    QT_REAL(void (*)(QSemaphore *, int), "_ZN10QSemaphore7releaseEi");
    __tsan_release(this);
    real(this, n);
}

// ---- QThread -----------------------------------------------------------------

void QThread::start(Priority priority)
{
    QT_REAL(void (*)(QThread *, Priority), "_ZN7QThread5startENS_8PriorityE");
    static ThreadEndMarker *const marker = new ThreadEndMarker; // lives as long as the program
    newThreadEnd(this);
    QObject::connect(this, &QThread::finished, marker, &ThreadEndMarker::threadFinished,
                     Qt::ConnectionType(Qt::DirectConnection | Qt::UniqueConnection));
    real(this, priority);
}

bool QThread::wait(QDeadlineTimer deadline)
{
    QT_REAL(bool (*)(QThread *, QDeadlineTimer), "_ZN7QThread4waitE14QDeadlineTimer");
    const bool ended = real(this, deadline);
    if (ended)
        acquireThreadEnd(this);
    return ended;
}

bool QThread::wait(unsigned long time)
{
    QT_REAL(bool (*)(QThread *, unsigned long), "_ZN7QThread4waitEm");
    const bool ended = real(this, time);
    if (ended)
        acquireThreadEnd(this);
    return ended;
}

bool QThread::isFinished() const
{
    QT_REAL(bool (*)(const QThread *), "_ZNK7QThread10isFinishedEv");
    const bool finished = real(this);
    if (finished)
        acquireThreadEnd(this);
    return finished;
}

bool QThread::isRunning() const
{
    QT_REAL(bool (*)(const QThread *), "_ZNK7QThread9isRunningEv");
    const bool running = real(this);
    if (!running)
        acquireThreadEnd(this);
    return running;
}

// ---- QThreadPool -------------------------------------------------------------

void QThreadPool::start(QRunnable *runnable, int priority)
{
    QT_REAL(void (*)(QThreadPool *, QRunnable *, int), "_ZN11QThreadPool5startEP9QRunnablei");
    if (!runnable)
        return real(this, runnable, priority);
    auto *task = new AnnotatedTask(runnable, this);
    __tsan_release(task);
    real(this, task, priority);
}

bool QThreadPool::tryStart(QRunnable *runnable)
{
    QT_REAL(bool (*)(QThreadPool *, QRunnable *), "_ZN11QThreadPool8tryStartEP9QRunnable");
    if (!runnable)
        return real(this, runnable);
    auto *task = new AnnotatedTask(runnable, this);
    __tsan_release(task);
    if (real(this, task))
        return true;
    delete task; // not the runnable: the caller still owns it
    return false;
}

// Qt's own versions of these two call the QRunnable overloads inside
// libQt5Core, past the wrappers above.
void QThreadPool::start(std::function<void()> functionToRun, int priority)
{
    if (functionToRun)
        start(QRunnable::create(std::move(functionToRun)), priority);
}

bool QThreadPool::tryStart(std::function<void()> functionToRun)
{
    if (!functionToRun)
        return false;
    QRunnable *runnable = QRunnable::create(std::move(functionToRun));
    if (tryStart(runnable))
        return true;
    delete runnable;
    return false;
}

// Once the tasks are done, Qt joins and deletes the pool's threads in here.
bool QThreadPool::waitForDone(int msecs)
{
    QT_REAL(bool (*)(QThreadPool *, int), "_ZN11QThreadPool11waitForDoneEi");
    bool done;
    {
        const IgnoredAccesses qtOnly;
        done = real(this, msecs);
    }
    if (done)
        __tsan_acquire(this);
    return done;
}

// A pool destroyed in our code (a pool deleted through its virtual
// destructor, or Qt's global one, is destroyed inside libQt5Core).
extern "C" {
void qtTsanThreadPoolDestroyComplete(QThreadPool *pool) __asm__("_ZN11QThreadPoolD1Ev");
void qtTsanThreadPoolDestroyBase(QThreadPool *pool) __asm__("_ZN11QThreadPoolD2Ev");

void qtTsanThreadPoolDestroyComplete(QThreadPool *pool)
{
    QT_REAL(void (*)(QThreadPool *), "_ZN11QThreadPoolD1Ev");
    const IgnoredAccesses qtOnly;
    real(pool);
}

void qtTsanThreadPoolDestroyBase(QThreadPool *pool)
{
    QT_REAL(void (*)(QThreadPool *), "_ZN11QThreadPoolD2Ev");
    const IgnoredAccesses qtOnly;
    real(pool);
}
} // extern "C"
