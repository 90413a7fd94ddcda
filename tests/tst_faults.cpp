// Faults the command core must survive against simulated drivers: a soak of
// mixed commands over two drivers while one of them dies, comes back and is
// closed; long commands that must not hold up short ones; a hung driver
// closed while pings wait on it; a thread started again right after a stop;
// commands stranded in a removed queue or refused at the door.
//
// The rule checked throughout: every command reaches a final status and,
// unless silent, exactly one executed signal; once its final state is
// visible the library never touches it again (the host here frees commands
// the moment it sees that state, which AddressSanitizer would catch).

#include "AXOClientSettings.h"
#include "QuietErrors.h"
#include "AXOCommData.h"
#include "FW_Circuit.h"
#include "FW_Dispenser.h"
#include "NECmdManager.h"
#include "NECommand.h"
#include "NECommandQueueManager.h"
#include "NEDispCommand.h"
#include "NEQueueThread.h"
#include "SimDriver.h"
#include "SimScenario.h"
#include "XmlRpcUtil.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QHash>
#include <QtCore/QMutex>
#include <QtCore/QTemporaryDir>
#include <QtCore/QThread>
#include <QtCore/QThreadPool>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

const MachineID kGeneric(0, MachineID::Dispenser);
const MachineID kDispenser1(1, MachineID::Dispenser);

bool waitUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

bool isFinal(const NECommand &cmd)
{
    const NECommand::NECmdState state = cmd.cmdState();
    return state == NECommand::NECmdExecuted || state == NECommand::NECmdAborted;
}

// Counts executed signals by driver and command name, in the emitting
// thread, and the failures among them.
class ExecutedCounter
{
public:
    explicit ExecutedCounter(AXOCommData *store)
    {
        m_connection = QObject::connect(
            store, &AXOCommData::NECommandExecutedSignal, store,
            [this](const NECommand &cmd) {
                QMutexLocker locker(&m_mutex);
                const QString key = QStringLiteral("%1/%2").arg(cmd.driverID()).arg(cmd.command());
                ++m_count[key];
                if (!cmd.isDoneSuccessfully())
                    ++m_failed[key];
            },
            Qt::DirectConnection);
    }
    ~ExecutedCounter() { QObject::disconnect(m_connection); }
    int count(int driverID, const QString &name) const
    {
        QMutexLocker locker(&m_mutex);
        return m_count.value(QStringLiteral("%1/%2").arg(driverID).arg(name));
    }
    int failed(int driverID, const QString &name) const
    {
        QMutexLocker locker(&m_mutex);
        return m_failed.value(QStringLiteral("%1/%2").arg(driverID).arg(name));
    }

private:
    mutable QMutex m_mutex;
    QHash<QString, int> m_count;
    QHash<QString, int> m_failed;
    QMetaObject::Connection m_connection;
};

// Simulated drivers registered in the store, each with the command threads
// of its generic dispenser and of its dispensers, logged in.
class FaultTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv(AXOClientSettings::RootEnvironmentVariable, root.path().toUtf8());
        store = AXOCommData::instance();
    }
    void TearDown() override
    {
        store->closeAllConnections(-1, true);
        store->removeAllSessions();
        AXOCommData::drop();
        sims.clear();
        qunsetenv(AXOClientSettings::RootEnvironmentVariable);
    }

    static SimScenario scenario(int dispensers, int resetMs)
    {
        SimScenario s = SimScenario::defaultScenario();
        s.setResetMs(resetMs);
        for (int n = 3; n <= dispensers + 1; ++n) {
            FW_Dispenser extra(n);
            extra.setCircuits({ FW_Circuit(1, QStringLiteral("WH1"), 2500.0) });
            s.configuration().addMachine(extra);
        }
        return s;
    }

    // The dispensers are numbered 1, then 3, 4, ... (2 is the mixer).
    int addDriver(const SimScenario &s, const QList<int> &dispensers, uint16_t port = 0)
    {
        auto sim = std::make_unique<SimDriver>(s);
        sim->simulator().setPort(port);
        if (!sim->start())
            return 0;
        const int id = store->getNextDriverID();
        store->addDriverParams(NEDriverParams(id, AXODriverConnection(QStringLiteral("127.0.0.1"), sim->port())));
        sims[id] = std::move(sim);
        startThreads(id, dispensers);
        for (int n : dispensers)
            if (!NECmdManager::login(id, MachineID(n, MachineID::Dispenser), QStringLiteral("tester")))
                return 0;
        return id;
    }

    bool startThreads(int id, const QList<int> &dispensers)
    {
        bool ok = store->startDriverCommThread(id, kGeneric, NEDriverParams::StandardCommandsThread);
        QList<MachineID> machines;
        for (int n : dispensers)
            machines.append(MachineID(n, MachineID::Dispenser));
        store->updateMachineDataList(id, machines, MachineID::Dispenser);
        for (const MachineID &machine : machines)
            for (auto type : { NEDriverParams::StandardCommandsThread, NEDriverParams::PriorityCommandsThread,
                     NEDriverParams::StopCommandsThread })
                ok = store->startDriverCommThread(id, machine, type) && ok;
        return ok;
    }

    QuietErrors quiet;
    QTemporaryDir root;
    AXOCommData *store = nullptr;
    std::map<int, std::unique_ptr<SimDriver>> sims;
};

// One command of the soak, kept until its end is seen.
struct SoakCommand
{
    std::unique_ptr<NECommand> cmd; // null once the host freed it
    int driverID = 0;
    int round = 0;
};

} // namespace

TEST_F(FaultTest, SoakOverTwoDriversWhileOneDiesReturnsAndIsClosed)
{
    const SimScenario s = scenario(1, 200);
    const int a = addDriver(s, { 1 });
    const int b = addDriver(s, { 1 });
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    const uint16_t portA = sims[a]->port();
    ExecutedCounter executed(store);

    const QStringList names { QStringLiteral("GET_SW_VERSION"), QStringLiteral("GET_ERRORS") };
    QHash<QString, int> sent; // "driver/name" -> commands handed to the library
    std::vector<SoakCommand> followed;
    int blockingFailedB = 0;
    int afterRestartFailedA = 0;
    const int rounds = 10;
    const int perRound = 36;
    for (int round = 0; round < rounds; ++round) {
        if (round == 3)
            sims[a]->stop(); // the driver dies: its commands fail, B's go on
        if (round == 5) {
            // It comes back on the same port as a new process: every session
            // it knew is gone, so the library must log in again by itself.
            sims[a].reset(new SimDriver(s));
            sims[a]->simulator().setPort(portA);
            ASSERT_TRUE(sims[a]->start());
        }
        for (int i = 0; i < perRound; ++i) {
            const int driver = i % 2 ? b : a;
            const QString name = names.at((i / 2) % 2);
            const MachineID machine = name == QLatin1String("GET_ERRORS") ? kDispenser1 : kGeneric;
            auto cmd = std::make_unique<NECommand>(driver, machine, name);
            ++sent[QStringLiteral("%1/%2").arg(driver).arg(name)];
            switch ((i / 4) % 3) {
            case 0: { // blocking; refused once A is closed, but ended all the same
                const bool ran = NECmdManager::executeCommand(cmd.get(), true, false);
                EXPECT_TRUE(ran || (driver == a && round > 7));
                EXPECT_EQ(cmd->cmdState(), NECommand::NECmdExecuted);
                EXPECT_TRUE(cmd->isExecuted());
                if (driver == b && !cmd->isDoneSuccessfully())
                    ++blockingFailedB;
                if (driver == a && round >= 6 && round < 8 && !cmd->isDoneSuccessfully())
                    ++afterRestartFailedA;
                break;
            }
            case 1: // non-blocking on the worker's own copy: the host's object goes at once
                ASSERT_TRUE(NECmdManager::executeCommand(cmd.get(), false, true));
                break;
            default: // non-blocking on the host's object, freed the moment it is final
                ASSERT_TRUE(NECmdManager::executeCommand(cmd.get(), false, false));
                followed.push_back({ std::move(cmd), driver, round });
                break;
            }
        }
        if (round == 7) {
            // Closing A while its commands are in flight touches none of B's.
            store->closeAllConnections(a, false);
        }
        // Free what has ended, as a host would.
        for (SoakCommand &f : followed) {
            if (f.cmd && isFinal(*f.cmd)) {
                if (f.driverID == b) {
                    EXPECT_TRUE(f.cmd->isDoneSuccessfully()) << qPrintable(f.cmd->errors().toText());
                }
                f.cmd.reset();
            }
        }
    }

    // Every command ends, and with exactly one executed signal.
    EXPECT_TRUE(waitUntil([&] {
        for (const SoakCommand &f : followed)
            if (f.cmd && !isFinal(*f.cmd))
                return false;
        return true;
    }, 20000));
    for (SoakCommand &f : followed)
        f.cmd.reset();
    auto allSignalled = [&] {
        for (auto it = sent.cbegin(); it != sent.cend(); ++it) {
            const QStringList key = it.key().split(QLatin1Char('/'));
            if (executed.count(key.at(0).toInt(), key.at(1)) < it.value())
                return false;
        }
        return true;
    };
    EXPECT_TRUE(waitUntil(allSignalled, 20000));
    QThread::msleep(200); // no late duplicates
    for (auto it = sent.cbegin(); it != sent.cend(); ++it) {
        const QStringList key = it.key().split(QLatin1Char('/'));
        EXPECT_EQ(executed.count(key.at(0).toInt(), key.at(1)), it.value()) << qPrintable(it.key());
    }
    // The healthy driver never failed; the restarted one worked again after
    // its re-login until it was closed.
    EXPECT_EQ(blockingFailedB, 0);
    for (const QString &name : names)
        EXPECT_EQ(executed.failed(b, name), 0) << qPrintable(name);
    EXPECT_EQ(afterRestartFailedA, 0);
    EXPECT_GT(executed.failed(a, QStringLiteral("GET_ERRORS")), 0); // while it was down, and after its close
    EXPECT_TRUE(store->existSession(b, kDispenser1));
    EXPECT_EQ(NEQueueThread::runningWorkers(), 0);
}

TEST_F(FaultTest, ShortCommandsDoNotWaitBehindLongOnes)
{
    // Four dispensing-length commands in flight on a two-core machine, and
    // Qt's global pool busy with the host's own work.
    const int driver = addDriver(scenario(4, 20000), { 1, 3, 4, 5 });
    ASSERT_GT(driver, 0);
    std::atomic<bool> hostWorkDone{false};
    for (int i = 0; i < QThreadPool::globalInstance()->maxThreadCount(); ++i)
        QThreadPool::globalInstance()->start([&hostWorkDone] {
            while (!hostWorkDone)
                QThread::msleep(10);
        });

    std::vector<std::unique_ptr<NECommand>> longOnes;
    for (int n : { 1, 3, 4, 5 }) {
        longOnes.push_back(std::make_unique<NEDispCommand>(driver, n, QStringLiteral("RESET")));
        ASSERT_TRUE(NECmdManager::executeCommand(longOnes.back().get(), false, false));
    }
    ASSERT_TRUE(waitUntil([&] {
        for (const auto &cmd : longOnes)
            if (!cmd->isInProgress())
                return false;
        return true;
    }, 5000));

    QElapsedTimer timer;
    timer.start();
    NECommand version(driver, kGeneric, QStringLiteral("GET_SW_VERSION"));
    NEDispCommand stop(driver, 1, QStringLiteral("STOP"));
    ASSERT_TRUE(NECmdManager::executeCommand(&version, false, false));
    ASSERT_TRUE(NECmdManager::executeCommand(&stop, false, false));
    EXPECT_TRUE(waitUntil([&] { return isFinal(version) && isFinal(stop); }, 3000));
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_TRUE(version.isDoneSuccessfully()) << qPrintable(version.errors().toText());
    EXPECT_TRUE(stop.isExecuted());
    hostWorkDone = true;

    // The long ones end with the driver's close.
    store->closeAllConnections(driver, true);
    EXPECT_TRUE(waitUntil([&] {
        for (const auto &cmd : longOnes)
            if (!isFinal(*cmd))
                return false;
        return true;
    }, 3000));
    QThreadPool::globalInstance()->waitForDone(2000);
}

TEST_F(FaultTest, HungDriverClosesAtOnceWhilePingsWait)
{
    const int driver = addDriver(scenario(1, 200), { 1 });
    ASSERT_GT(driver, 0);
    sims[driver]->simulator().setNeverAnswer(true);
    std::vector<std::unique_ptr<NECommand>> stuck;
    stuck.push_back(std::make_unique<NEDispCommand>(driver, 1, QStringLiteral("GET_ERRORS")));
    stuck.push_back(std::make_unique<NECommand>(driver, kGeneric, QStringLiteral("GET_SW_VERSION")));
    for (const auto &cmd : stuck)
        ASSERT_TRUE(NECmdManager::executeCommand(cmd.get(), false, false));
    ASSERT_TRUE(sims[driver]->simulator().waitForRequestsReceived(2, 5000));

    // Pings of the hung driver wait for their limit, holding no lock.
    std::vector<std::thread> pings;
    for (int i = 0; i < 2; ++i)
        pings.emplace_back([driver] { NECmdManager::ping(driver, 3); });
    QThread::msleep(100);

    QElapsedTimer timer;
    timer.start();
    store->stopDriverCommThread(driver, kDispenser1, NEDriverParams::PriorityCommandsThread, true, true, true);
    store->closeAllConnections(driver, true);
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_TRUE(waitUntil([&] { return isFinal(*stuck[0]) && isFinal(*stuck[1]); }, 2000));
    for (const auto &cmd : stuck)
        EXPECT_TRUE(cmd->isFailed());
    for (std::thread &ping : pings)
        ping.join();
}

TEST_F(FaultTest, DeadDriverDoesNotStallOtherDriversSessions)
{
    const int dead = addDriver(scenario(1, 200), { 1 });
    const int alive = addDriver(scenario(1, 200), { 1 });
    ASSERT_GT(dead, 0);
    ASSERT_GT(alive, 0);
    // The dead driver has no session left: its command tries to log in
    // again, pinging for seconds. The other driver's look-ups go on.
    store->removeDriverSessions(dead);
    sims[dead]->simulator().setNeverAnswer(true);
    NEDispCommand hanging(dead, 1, QStringLiteral("GET_ERRORS"));
    ASSERT_TRUE(NECmdManager::executeCommand(&hanging, false, false));
    ASSERT_TRUE(sims[dead]->simulator().waitForRequestsReceived(1, 5000));

    QElapsedTimer timer;
    timer.start();
    NEDispCommand other(alive, 1, QStringLiteral("GET_ERRORS"));
    ASSERT_TRUE(NECmdManager::executeCommand(&other, true, false));
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_TRUE(other.isDoneSuccessfully()) << qPrintable(other.errors().toText());

    store->closeAllConnections(dead, true);
    EXPECT_TRUE(waitUntil([&] { return isFinal(hanging); }, 3000));
    EXPECT_TRUE(hanging.isFailed());
}

TEST_F(FaultTest, StopThenStartAlwaysLeavesARunningThread)
{
    const int driver = addDriver(scenario(1, 200), {});
    ASSERT_GT(driver, 0);
    for (int i = 0; i < 20; ++i) {
        store->stopDriverCommThread(driver, kGeneric, NEDriverParams::StandardCommandsThread, false, true, false);
        ASSERT_TRUE(store->startDriverCommThread(driver, kGeneric, NEDriverParams::StandardCommandsThread));
        NECommand version(driver, kGeneric, QStringLiteral("GET_SW_VERSION"));
        ASSERT_TRUE(NECmdManager::executeCommand(&version, true, false));
        ASSERT_TRUE(version.isDoneSuccessfully()) << i << qPrintable(version.errors().toText());
    }
}

TEST_F(FaultTest, StrandedAndRefusedCommandsEndWithTheirSignal)
{
    const int driver = addDriver(scenario(1, 200), { 1 });
    ASSERT_GT(driver, 0);
    ExecutedCounter executed(store);

    // Commands waiting in the queue of a thread that is removed fail.
    std::vector<std::unique_ptr<NECommand>> waiting;
    for (int i = 0; i < 3; ++i)
        waiting.push_back(std::make_unique<NEDispCommand>(driver, 1, QStringLiteral("GET_ERRORS")));
    const QueueType queue = NECommandQueueManager::routeQueueType(*waiting.front());
    const auto threadType = NECommandQueueManager::getThreadType(queue);
    ASSERT_TRUE(store->pauseDriverCommThread(driver, kDispenser1, threadType));
    for (const auto &cmd : waiting)
        ASSERT_TRUE(NECmdManager::executeCommand(cmd.get(), false, false));
    ASSERT_TRUE(waitUntil([&] { return store->commandQueueCount(driver, kDispenser1, queue) == 3; }, 2000));
    store->stopDriverCommThread(driver, kDispenser1, threadType, true, true, true);
    ASSERT_TRUE(waitUntil([&] {
        for (const auto &cmd : waiting)
            if (!isFinal(*cmd))
                return false;
        return true;
    }, 3000));
    for (const auto &cmd : waiting) {
        EXPECT_EQ(cmd->cmdState(), NECommand::NECmdExecuted);
        EXPECT_TRUE(cmd->errors().containsCode(QStringLiteral("TE00486")));
    }

    // A command for a machine without a thread is refused, and says so.
    NEDispCommand orphan(driver, 4, QStringLiteral("GET_ERRORS"));
    ASSERT_TRUE(NECmdManager::executeCommand(&orphan, false, false));
    ASSERT_TRUE(waitUntil([&] { return isFinal(orphan); }, 2000));
    EXPECT_TRUE(orphan.hasExecutionErrors());
    EXPECT_TRUE(orphan.errors().containsCode(QStringLiteral("TE00185")));
    EXPECT_TRUE(waitUntil([&] { return executed.count(driver, QStringLiteral("GET_ERRORS")) == 4; }, 2000));

    // After a shut-down of every worker nothing is enqueued; the command
    // still ends, aborted, with its signal.
    store->stopAllQueueThreads();
    NECommand late(driver, kGeneric, QStringLiteral("GET_SW_VERSION"));
    EXPECT_TRUE(NECmdManager::executeCommand(&late, true, false));
    EXPECT_EQ(late.cmdState(), NECommand::NECmdAborted);
    EXPECT_TRUE(late.hasBeenInterrupted());
    EXPECT_EQ(executed.count(driver, QStringLiteral("GET_SW_VERSION")), 1);
    store->resetQueueThreadsAbort();
}

TEST_F(FaultTest, ReceiversMaySendCommandsFromTheirSlots)
{
    // A short non-blocking command is finished by the driver thread that ran
    // it; a receiver connected directly may send further commands from its
    // slot, blocking ones through that same thread included.
    const int driver = addDriver(scenario(1, 200), {});
    ASSERT_GT(driver, 0);
    std::atomic<int> chained{0};
    std::atomic<bool> chainedOk{false};
    const QMetaObject::Connection chain = QObject::connect(
        store, &AXOCommData::NECommandExecutedSignal, store,
        [&](const NECommand &cmd) {
            if (cmd.command() != QLatin1String("GET_DISP_LIST") || chained++ > 0)
                return;
            NECommand next(driver, kGeneric, QStringLiteral("GET_SW_VERSION"));
            chainedOk = NECmdManager::executeCommand(&next, true, false) && next.isDoneSuccessfully();
            NECommand more(driver, kGeneric, QStringLiteral("GET_SW_VERSION"));
            NECmdManager::executeCommand(&more, false, true);
        },
        Qt::DirectConnection);
    NECommand first(driver, kGeneric, QStringLiteral("GET_DISP_LIST"));
    ASSERT_TRUE(NECmdManager::executeCommand(&first, false, false));
    EXPECT_TRUE(waitUntil([&] { return isFinal(first); }, 5000));
    EXPECT_TRUE(chainedOk);
    QObject::disconnect(chain);
}
