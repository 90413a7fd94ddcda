// Commands executed on the simulated driver end to end: driver threads,
// queue workers, the command pipeline with sessions and tickets, the thread
// registry, and stopping while threads are busy.

#include "AXOClientSettings.h"
#include "QuietErrors.h"
#include "AXOCommData.h"
#include "FW_Configuration.h"
#include "GetSwVersionAnswer.h"
#include "HostSpy.h"
#include "NCCommand.h"
#include "NECmdManager.h"
#include "NECommand.h"
#include "NEDispCommand.h"
#include "NEXmlRpcThread.h"
#include "SimDriver.h"
#include "SimDriverModel.h"
#include "SimScenario.h"
#include "XmlRpcClient.h"
#include "XmlRpcUtil.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QTemporaryDir>
#include <QtCore/QThread>
#include <QtCore/QThreadPool>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

const MachineID kGenericDispenser(0, MachineID::Dispenser);
const MachineID kDispenser1(1, MachineID::Dispenser);

// A driver registered in the store with its generic dispenser's command
// thread started, against a simulated driver of its own.
class PipelineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv(AXOClientSettings::RootEnvironmentVariable, settingsRoot.path().toUtf8());
        SimScenario scenario = SimScenario::defaultScenario();
        scenario.setResetMs(resetMs());
        driver.reset(new SimDriver(scenario));
        ASSERT_TRUE(driver->start());
        store = AXOCommData::instance();
        store->resetQueueThreadsAbort();
        driverID = store->getNextDriverID();
        store->addDriverParams(
            NEDriverParams(driverID, AXODriverConnection(QStringLiteral("127.0.0.1"), driver->port())));
        ASSERT_TRUE(store->startDriverCommThread(driverID, kGenericDispenser, NEDriverParams::StandardCommandsThread));
    }
    void TearDown() override
    {
        store->closeAllConnections(-1, true);
        store->removeAllSessions();
        AXOCommData::drop();
        driver.reset();
        qunsetenv(AXOClientSettings::RootEnvironmentVariable);
    }
    virtual int resetMs() const { return 1500; }

    // Dispenser 1 with its record, its standard and priority command threads.
    bool startDispenser1()
    {
        store->updateMachineDataList(driverID, {kDispenser1}, MachineID::Dispenser);
        return store->startDriverCommThread(driverID, kDispenser1, NEDriverParams::StandardCommandsThread)
            && store->startDriverCommThread(driverID, kDispenser1, NEDriverParams::PriorityCommandsThread);
    }
    bool loginDispenser1()
    {
        return startDispenser1() && NECmdManager::login(driverID, kDispenser1, QStringLiteral("tester"));
    }

    QuietErrors quiet;
    QTemporaryDir settingsRoot;
    std::unique_ptr<SimDriver> driver;
    AXOCommData *store = nullptr;
    int driverID = 0;
};

QList<int> events(const HostSpy &spy)
{
    QList<int> list;
    for (const QList<QVariant> &args : spy.records())
        list.append(args.at(0).value<AXOCommData::CommandEvent>());
    return list;
}

} // namespace

TEST_F(PipelineTest, BlockingCommandWithSignalsInOrder)
{
    HostSpy statusSpy(store, &AXOCommData::NECommandExecutionStatusSignal);
    HostSpy executedSpy(store, &AXOCommData::NECommandExecutedSignal);
    NECommand version(driverID, kGenericDispenser, QStringLiteral("GET_SW_VERSION"));
    ASSERT_TRUE(NECmdManager::executeCommand(&version, true, false));
    EXPECT_TRUE(version.isDoneSuccessfully()) << qPrintable(version.errors().toText());
    EXPECT_EQ(version.cmdState(), NECommand::NECmdExecuted);
    const std::unique_ptr<ProtoAnswer> answer = version.getProtoAnswer();
    ASSERT_TRUE(dynamic_cast<GetSwVersionAnswer *>(answer.get()));
    EXPECT_FALSE(static_cast<GetSwVersionAnswer *>(answer.get())->version().isNull());

    // Enqueued, sent, progress while it runs (if the worker saw it running), executed.
    QList<int> seen = events(statusSpy);
    ASSERT_GE(seen.size(), 3);
    EXPECT_EQ(seen.takeFirst(), AXOCommData::CommandEnqueued);
    EXPECT_EQ(seen.takeFirst(), AXOCommData::CommandSent);
    EXPECT_EQ(seen.takeLast(), AXOCommData::CommandExecuted);
    for (int event : seen)
        EXPECT_EQ(event, AXOCommData::CommandProgress);
    ASSERT_EQ(executedSpy.size(), 1);
    const NECommand signalled = executedSpy.at(0).at(0).value<NECommand>();
    EXPECT_EQ(signalled.command(), QStringLiteral("GET_SW_VERSION"));
    EXPECT_TRUE(signalled.isDoneSuccessfully());

    // The version read by the API (a driver-level command: it needs the
    // driver's own thread) is the one the command got.
    ASSERT_TRUE(store->startDriverCommThread(driverID, MachineID(0, 0), NEDriverParams::StandardCommandsThread));
    QVersionNumber driverVersion;
    EXPECT_TRUE(NECmdManager::getDriverVersion(driverID, driverVersion));
    EXPECT_EQ(driverVersion, static_cast<GetSwVersionAnswer *>(answer.get())->version());
}

TEST_F(PipelineTest, NonBlockingCopiesAndSignalsReachTheHostThread)
{
    HostSpy executedSpy(store, &AXOCommData::NECommandExecutedSignal);
    // A receiver in this thread gets the command by value through a queued
    // connection. (Under ThreadSanitizer Qt's posted-event queue, whose lock
    // is internal to Qt, hides that hand-off: the delivery is checked in the
    // other builds.)
#ifndef __SANITIZE_THREAD__
    QObject receiver;
    QThread *deliveredIn = nullptr;
    QString deliveredName;
    QObject::connect(store, &AXOCommData::NECommandExecutedSignal, &receiver, [&](const NECommand &cmd) {
        deliveredIn = QThread::currentThread();
        deliveredName = cmd.command();
    });
#endif
    QList<int> dispensers;
    {
        NECommand list(driverID, kGenericDispenser, QStringLiteral("GET_DISP_LIST"));
        ASSERT_TRUE(NECmdManager::executeCommand(&list, false, true));
        EXPECT_EQ(list.cmdState(), NECommand::NECmdIdle); // the worker runs on its own copy
    } // the caller's object may go at once
    ASSERT_TRUE(executedSpy.wait(5000));
    const NECommand signalled = executedSpy.at(0).at(0).value<NECommand>();
    EXPECT_TRUE(signalled.isDoneSuccessfully());
#ifndef __SANITIZE_THREAD__
    QElapsedTimer delivery;
    delivery.start();
    while (!deliveredIn && delivery.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(deliveredIn, QThread::currentThread());
    EXPECT_EQ(deliveredName, QStringLiteral("GET_DISP_LIST"));
#endif
    EXPECT_TRUE(NECmdManager::getDispenserList(driverID, dispensers));
    EXPECT_EQ(dispensers, QList<int>{1});

    // A list runs in order; an empty list is refused.
    NECommand first(driverID, kGenericDispenser, QStringLiteral("GET_SW_VERSION"));
    NECommand second(driverID, kGenericDispenser, QStringLiteral("GET_MIXER_LIST"));
    EXPECT_TRUE(NECmdManager::executeCommands({&first, &second}, true, false));
    EXPECT_TRUE(first.isDoneSuccessfully());
    EXPECT_TRUE(second.isDoneSuccessfully());
    EXPECT_FALSE(NECmdManager::executeCommands({}, true, false));
    EXPECT_FALSE(NECmdManager::executeCommand(nullptr, true, false));
    EXPECT_TRUE(store->getErrorList(0, MachineID(0, 0)).isEmpty()); // driver 0 has no record
}

TEST_F(PipelineTest, AsyncCommandWithProgressAndFinalStatus)
{
    ASSERT_TRUE(loginDispenser1());
    EXPECT_TRUE(store->existSession(driverID, kDispenser1));
    HostSpy progressSpy(store, &AXOCommData::NECommandProgressSignal);
    NEDispCommand reset(driverID, 1, QStringLiteral("RESET"));
    ASSERT_TRUE(reset.isAsyncCommandCall());
    ASSERT_TRUE(NECmdManager::executeCommand(&reset, true, false));
    EXPECT_TRUE(reset.isDoneSuccessfully()) << qPrintable(reset.errors().toText());
    ASSERT_GE(progressSpy.size(), 1);
    int lastPercentage = -1;
    for (const QList<QVariant> &args : progressSpy.records()) {
        const CmdStatus status = args.at(0).value<NECommand>().executionStatus();
        EXPECT_EQ(status.status(), CmdStatus::CMD_IN_PROGRESS);
        EXPECT_GE(status.percentage(), lastPercentage);
        lastPercentage = status.percentage();
    }

    // A second login for the same machine is refused as a duplicate but counts.
    EXPECT_TRUE(NECmdManager::login(driverID, kDispenser1, QStringLiteral("tester")));
    EXPECT_TRUE(store->getErrorList(driverID, kDispenser1).containsCode(QStringLiteral("TE00297")));
    EXPECT_TRUE(NECmdManager::logout(driverID, kDispenser1));
    EXPECT_FALSE(store->existSession(driverID, kDispenser1));
}

TEST_F(PipelineTest, ReloginOnlyWhenNoSessionIsLeft)
{
    ASSERT_TRUE(startDispenser1());
    // No session at all: the thread logs in again by itself.
    NEDispCommand errors(driverID, 1, QStringLiteral("GET_ERRORS"));
    ASSERT_TRUE(NECmdManager::executeCommand(&errors, true, false));
    EXPECT_TRUE(errors.isDoneSuccessfully()) << qPrintable(errors.errors().toText());
    EXPECT_TRUE(store->existSession(driverID, kDispenser1));

    // Another machine's session exists, this one's is gone: no re-login.
    const QString session = store->getSessionID(driverID, kDispenser1);
    store->removeSession(session);
    store->appendSession(Session(driverID, MachineID(7, MachineID::Dispenser), QStringLiteral("x"), 20,
                                 QStringLiteral("abc"), QString(), true));
    NEDispCommand again(driverID, 1, QStringLiteral("GET_ERRORS"));
    ASSERT_TRUE(NECmdManager::executeCommand(&again, true, false));
    EXPECT_TRUE(again.hasExecutionErrors());
    EXPECT_TRUE(again.errors().containsCode(QStringLiteral("TE00200")));

    // A session the driver no longer knows (it restarted): the driver's
    // sessions are forgotten, the thread logs in again and sends once more.
    store->removeAllSessions();
    store->appendSession(Session(driverID, kDispenser1, QStringLiteral("x"), 20, QStringLiteral("feedbeef"),
                                 QString(), true));
    store->appendSession(Session(driverID, MachineID(7, MachineID::Dispenser), QStringLiteral("x"), 20,
                                 QStringLiteral("abc"), QString(), true));
    NEDispCommand stale(driverID, 1, QStringLiteral("GET_ERRORS"));
    ASSERT_TRUE(NECmdManager::executeCommand(&stale, true, false));
    EXPECT_TRUE(stale.isDoneSuccessfully()) << qPrintable(stale.errors().toText());
    EXPECT_FALSE(stale.errors().containsCode(QStringLiteral("TE10002")));
    EXPECT_NE(store->getSessionID(driverID, kDispenser1), QStringLiteral("feedbeef"));
    EXPECT_FALSE(store->existSession(driverID, MachineID(7, MachineID::Dispenser)));
}

TEST_F(PipelineTest, DriverDownAndMissingThread)
{
    // A machine without its command thread: refused at enqueue.
    NEDispCommand orphan(driverID, 4, QStringLiteral("GET_ERRORS"));
    EXPECT_FALSE(NECmdManager::executeCommand(&orphan, true, false));
    EXPECT_TRUE(store->getErrorList(driverID, kGenericDispenser).isEmpty());

    const int port = driver->port();
    driver->stop();
    NECommand version(driverID, kGenericDispenser, QStringLiteral("GET_SW_VERSION"));
    ASSERT_TRUE(NECmdManager::executeCommand(&version, true, false));
    EXPECT_TRUE(version.hasExecutionErrors());
    EXPECT_TRUE(version.errors().containsCode(QStringLiteral("TE00005")));
    EXPECT_EQ(version.errors().at(0).errorMsg(),
              QStringLiteral("Connection to AXOdriver not available - 127.0.0.1:%1").arg(port));
    EXPECT_FALSE(NECmdManager::ping(driverID, 1));
    EXPECT_FALSE(NECmdManager::ping(driverID + 1, 1));
}

TEST_F(PipelineTest, PauseHoldsCommandsUntilResume)
{
    ASSERT_TRUE(store->pauseDriverCommThread(driverID, kGenericDispenser, NEDriverParams::StandardCommandsThread));
    EXPECT_FALSE(store->isDriverCommThreadActive(driverID, kGenericDispenser, NEDriverParams::StandardCommandsThread));
    HostSpy executedSpy(store, &AXOCommData::NECommandExecutedSignal);
    NECommand version(driverID, kGenericDispenser, QStringLiteral("GET_SW_VERSION"));
    ASSERT_TRUE(NECmdManager::executeCommand(&version, false, true));
    EXPECT_FALSE(executedSpy.wait(600));
    EXPECT_EQ(store->commandQueueCount(driverID, kGenericDispenser, StandardQueue), 1);

    ASSERT_TRUE(store->resumeDriverCommThread(driverID, kGenericDispenser, NEDriverParams::StandardCommandsThread));
    EXPECT_TRUE(executedSpy.wait(5000));
    EXPECT_EQ(store->commandQueueCount(driverID, kGenericDispenser, StandardQueue), 0);
}

TEST_F(PipelineTest, NestedStartsAndStops)
{
    const auto type = NEDriverParams::StandardCommandsThread;
    ASSERT_TRUE(store->startDriverCommThread(driverID, kGenericDispenser, type)); // second user
    EXPECT_TRUE(store->stopDriverCommThread(driverID, kGenericDispenser, type, true, false, false));
    EXPECT_TRUE(NECmdManager::ping(driverID, 5)); // still running for the first user
    NECommand version(driverID, kGenericDispenser, QStringLiteral("GET_SW_VERSION"));
    ASSERT_TRUE(NECmdManager::executeCommand(&version, true, false));
    EXPECT_TRUE(version.isDoneSuccessfully());

    EXPECT_TRUE(store->stopDriverCommThread(driverID, kGenericDispenser, type, true, false, false));
    EXPECT_TRUE(store->existsDriverCommThread(driverID, kGenericDispenser, type)); // kept, not running
    EXPECT_TRUE(store->startDriverCommThread(driverID, kGenericDispenser, type)); // restarts the same object
    NECommand again(driverID, kGenericDispenser, QStringLiteral("GET_SW_VERSION"));
    ASSERT_TRUE(NECmdManager::executeCommand(&again, true, false));
    EXPECT_TRUE(again.isDoneSuccessfully());

    EXPECT_TRUE(store->stopDriverCommThread(driverID, kGenericDispenser, type, true, true, true));
    EXPECT_FALSE(store->existsDriverCommThread(driverID, kGenericDispenser, type));
    EXPECT_FALSE(store->existCommandQueue(driverID, kGenericDispenser, StandardQueue));
    EXPECT_TRUE(store->stopDriverCommThread(driverID, kGenericDispenser, type, true, false, false)); // none: true
    EXPECT_FALSE(store->startDriverCommThread(driverID, kGenericDispenser,
                                              static_cast<NEDriverParams::DriverThreadTypes>(14)));
    EXPECT_EQ(store->getDriverCommThreadMachineIDs(driverID, static_cast<NEDriverParams::DriverThreadTypes>(14)),
              QList<MachineID>());
}

TEST_F(PipelineTest, StopDuringTicketPollingEndsTheCommandAtOnce)
{
    ASSERT_TRUE(loginDispenser1());
    HostSpy progressSpy(store, &AXOCommData::NECommandProgressSignal);
    HostSpy executedSpy(store, &AXOCommData::NECommandExecutedSignal);
    NEDispCommand reset(driverID, 1, QStringLiteral("RESET"));
    ASSERT_TRUE(NECmdManager::executeCommand(&reset, false, false));
    ASSERT_TRUE(progressSpy.wait(5000));

    QElapsedTimer timer;
    timer.start();
    store->stopDriverCommThread(driverID, kDispenser1, NEDriverParams::StandardCommandsThread, true, true, false);
    EXPECT_LT(timer.elapsed(), 500);
    ASSERT_TRUE(executedSpy.size() > 0 || executedSpy.wait(2000));
    EXPECT_TRUE(reset.hasExecutionErrors());
    EXPECT_TRUE(reset.errors().containsCode(QStringLiteral("TE00300")));
    // The worker follows the caller's object until its final state, its
    // last touch.
    QElapsedTimer ending;
    ending.start();
    while (reset.cmdState() != NECommand::NECmdExecuted && ending.elapsed() < 3000)
        QThread::msleep(5);
    EXPECT_EQ(reset.cmdState(), NECommand::NECmdExecuted);
}

TEST_F(PipelineTest, CallTimeLimitIsReported)
{
    driver->simulator().setNeverAnswer(true);
    // A held status query: its call limit is the hold (500 ms) plus 10 s.
    const NCCommand query(QStringLiteral("GET_SW_VERSION"), nullptr, 100, 500);
    NECommand poll(driverID, kGenericDispenser, &query);
    EXPECT_EQ(poll.callTimeout(), 10500);
    ASSERT_TRUE(NECmdManager::executeCommand(&poll, true, false));
    EXPECT_TRUE(poll.errors().containsCode(QStringLiteral("TE00400")));
    EXPECT_EQ(poll.errors().at(0).errorMsg(), QStringLiteral("Command GET_SW_VERSION timed out"));
    driver->simulator().setNeverAnswer(false);
}

TEST_F(PipelineTest, ClosingADriverWithThreadsInsideCalls)
{
    driver->simulator().setNeverAnswer(true);
    // Ten workers following their commands at once.
    QList<std::shared_ptr<NECommand>> busy;
    for (int n = 1; n <= 9; ++n) {
        const MachineID machine(n, MachineID::Dispenser);
        store->appendSession(Session(driverID, machine, QStringLiteral("x"), 20, QStringLiteral("s%1").arg(n),
                                     QString(), true));
        ASSERT_TRUE(store->startDriverCommThread(driverID, machine, NEDriverParams::PriorityCommandsThread));
        busy.append(std::make_shared<NECommand>(driverID, machine, QStringLiteral("GET_ERRORS")));
    }
    busy.append(std::make_shared<NECommand>(driverID, kGenericDispenser, QStringLiteral("GET_SW_VERSION")));
    for (const auto &cmd : busy)
        ASSERT_TRUE(NECmdManager::executeCommand(cmd.get(), false, false));
    ASSERT_TRUE(driver->simulator().waitForRequestsReceived(10, 5000)) << driver->simulator().requestsReceived();

    QElapsedTimer timer;
    timer.start();
    store->closeAllConnections(driverID, false);
    EXPECT_LT(timer.elapsed(), 200);
    EXPECT_TRUE(store->getDriverIDs().isEmpty());

    // Every call ended on its closed connection; nothing was forced.
    QElapsedTimer finishing;
    finishing.start();
    for (const auto &cmd : busy) {
        while (cmd->cmdState() != NECommand::NECmdExecuted && finishing.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_TRUE(cmd->isFailed()) << qPrintable(cmd->command());
    }
    driver->simulator().setNeverAnswer(false);
}

TEST(DriverProbe, PortScanFindsALocalDriverThatMoved)
{
    QTemporaryDir root;
    qputenv(AXOClientSettings::RootEnvironmentVariable, root.path().toUtf8());
    QDir(root.path()).mkpath(QStringLiteral("wuser/CommonSettings"));
    QFile settings(root.path() + QStringLiteral("/wuser/CommonSettings/commonSettings"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[General]\nAXODriverIP=127.0.0.1\n");
    settings.close();
    QuietErrors quiet;

    SimDriver driver;
    ASSERT_TRUE(driver.start());
    NEDriverParams params(1, AXODriverConnection(QStringLiteral("127.0.0.1"), driver.port() + 3));
    EXPECT_TRUE(AXOCommData::checkDriverConnection(params));
    EXPECT_EQ(params.port(), driver.port());

    driver.stop();
    NEDriverParams gone(1, AXODriverConnection(QStringLiteral("127.0.0.1"), driver.port()));
    EXPECT_FALSE(AXOCommData::checkDriverConnection(gone));
    EXPECT_EQ(gone.port(), driver.port()); // unchanged on failure
    qunsetenv(AXOClientSettings::RootEnvironmentVariable);
    AXOCommData::drop();
}

TEST_F(PipelineTest, SessionsAgainstTheDriver)
{
    ASSERT_TRUE(startDispenser1());
    EXPECT_FALSE(NECmdManager::setSessions(driverID, {}, false));
    ASSERT_TRUE(NECmdManager::setSessions(driverID, {kGenericDispenser, kDispenser1}, false));
    const QString first = store->getSessionID(driverID, kDispenser1);
    EXPECT_FALSE(first.isEmpty());
    EXPECT_EQ(store->getFirstClientID(false), QStringLiteral("default"));

    // Without force nothing changes; with force the machine logs in again
    // (refused as a duplicate, which still counts) and keeps its session.
    EXPECT_TRUE(NECmdManager::setSessions(driverID, {kDispenser1}, false));
    EXPECT_EQ(store->getSessionID(driverID, kDispenser1), first);
    EXPECT_TRUE(NECmdManager::setSessions(driverID, {kDispenser1}, true));
    EXPECT_TRUE(store->getErrorList(driverID, kDispenser1).containsCode(QStringLiteral("TE00297")));

    // A configuration without the machine logs it out, never the driver level.
    EXPECT_FALSE(NECmdManager::refreshSessions(driverID, FW_Configuration()));
    EXPECT_FALSE(store->existSession(driverID, kDispenser1));
    EXPECT_TRUE(store->existSession(driverID, kGenericDispenser));
    EXPECT_EQ(driver->model().sessionCount(), 1);
}

TEST_F(PipelineTest, HandshakeSecretIsProvisioned)
{
    ASSERT_TRUE(startDispenser1());
    // A driver given a secret of its own refuses a client that holds only
    // the built-in one: the certification is refused, nothing is stored.
    const QByteArray secret = QByteArray::fromHex("00112233445566778899aabbccddeeff00112233445566778899AABBCCDDEEFF");
    driver->model().setSecret(secret);
    EXPECT_FALSE(NECmdManager::login(driverID, kDispenser1, QStringLiteral("tester")));
    EXPECT_FALSE(store->existSession(driverID, kDispenser1));

    // The client settings give it: 64 hex digits, either case.
    QDir(settingsRoot.path()).mkpath(QStringLiteral("wuser/CommonSettings"));
    QFile settings(settingsRoot.path() + QStringLiteral("/wuser/CommonSettings/commonSettings"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[General]\nAXOProtocolSecret=00112233445566778899AABBCCDDEEFF00112233445566778899aabbccddeeff\n");
    settings.close();
    EXPECT_TRUE(NECmdManager::login(driverID, kDispenser1, QStringLiteral("tester")));
    EXPECT_TRUE(NECmdManager::logout(driverID, kDispenser1));

    // The host's secret comes first; an empty one returns to the settings.
    const QByteArray other(32, '\x5a');
    ASSERT_TRUE(NECmdManager::setProtocolSecret(other));
    EXPECT_FALSE(NECmdManager::setProtocolSecret(QByteArray(31, 'x')));
    EXPECT_FALSE(NECmdManager::login(driverID, kDispenser1, QStringLiteral("tester")));
    driver->model().setSecret(other);
    EXPECT_TRUE(NECmdManager::login(driverID, kDispenser1, QStringLiteral("tester")));
    EXPECT_TRUE(NECmdManager::logout(driverID, kDispenser1));
    ASSERT_TRUE(NECmdManager::setProtocolSecret(QByteArray()));

    // A file named by the settings, and a setting that is no secret (the
    // built-in one is used, as the driver's is now).
    QFile secretFile(settingsRoot.path() + QStringLiteral("/secret.hex"));
    ASSERT_TRUE(secretFile.open(QIODevice::WriteOnly));
    secretFile.write(other.toHex() + "\n");
    secretFile.close();
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly | QIODevice::Truncate));
    settings.write("[General]\nAXOProtocolSecretFile=" + secretFile.fileName().toUtf8() + "\n");
    settings.close();
    EXPECT_TRUE(NECmdManager::login(driverID, kDispenser1, QStringLiteral("tester")));
    EXPECT_TRUE(NECmdManager::logout(driverID, kDispenser1));
    driver->model().setSecret(QByteArray());
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly | QIODevice::Truncate));
    settings.write("[General]\nAXOProtocolSecret=not-a-secret\n");
    settings.close();
    EXPECT_TRUE(NECmdManager::login(driverID, kDispenser1, QStringLiteral("tester")));
}

TEST(StoreRegistry, DriversSessionsAndClientID)
{
    AXOCommData *store = AXOCommData::instance();
    EXPECT_EQ(store->getNextDriverID(), 1);
    EXPECT_EQ(store->getDriverType(1), -1);
    EXPECT_FALSE(store->isAXODriver(1) || store->isSlaveDriver(1));
    store->addDriverParams(NEDriverParams(1, AXODriverConnection(QStringLiteral("127.0.0.1"), 1)));
    store->addDriverParams(NEDriverParams(3, SlaveDriver));
    EXPECT_EQ(store->getNextDriverID(), 4);
    EXPECT_TRUE(store->isDriverLocalhost(1));
    bool found = true;
    EXPECT_FALSE(store->isDriverLocalhost(3, &found));
    EXPECT_TRUE(found);
    EXPECT_TRUE(store->isSlaveDriver(3));

    EXPECT_EQ(store->clientID(), QStringLiteral("default"));
    store->setClientID(QString());
    EXPECT_EQ(store->clientID(), QStringLiteral("default"));
    EXPECT_TRUE(store->getFirstClientID(false).isEmpty());
    EXPECT_EQ(store->getFirstClientID(true), QStringLiteral("default"));

    const Session a(1, kDispenser1, QStringLiteral("host"), 20, QStringLiteral("a"), QString(), true);
    const Session b(1, kDispenser1, QStringLiteral("host"), 20, QStringLiteral("b"), QString(), true);
    EXPECT_TRUE(store->appendSession(a));
    EXPECT_FALSE(store->appendSession(b)); // one per driver and machine
    EXPECT_EQ(store->getSessionID(1, kDispenser1), QStringLiteral("a"));
    EXPECT_EQ(store->getFirstClientID(false), QStringLiteral("host"));

    // Closing every driver unregisters them and their queues, not the
    // sessions, and leaves the workers of drivers registered later alone.
    store->closeAllConnections(-1, true);
    EXPECT_TRUE(store->getDriverIDs().isEmpty());
    EXPECT_TRUE(store->hasSessions());
    EXPECT_FALSE(store->isQueueThreadsAbortSet());
    AXOCommData::drop();
}

// What the driver refuses ends the command with the driver's own record.
TEST_F(PipelineTest, DriverRefusalsEndCommandsWithTheirRecords)
{
    ASSERT_TRUE(loginDispenser1());
    auto codes = [](const FW_ErrorList &errors) {
        QStringList list;
        for (const FW_Error &error : errors)
            list.append(error.errorCode());
        return list;
    };

    // A service command in the operator session the library opened by default.
    NECommand service(driverID, kDispenser1, QStringLiteral("SET_DISP_OUTPUT"));
    ASSERT_TRUE(NECmdManager::executeCommand(&service, true, false));
    EXPECT_TRUE(service.isFailed());
    EXPECT_TRUE(codes(service.errors()).contains(QStringLiteral("TE10011"))) << qPrintable(service.errors().toText());

    // A mixer query sent in the dispenser's session.
    NECommand mixerQuery(driverID, kDispenser1, QStringLiteral("GET_MIXER_STATUS"));
    NECmdManager::executeCommand(&mixerQuery, true, false);
    EXPECT_TRUE(mixerQuery.isFailed());
    EXPECT_TRUE(codes(mixerQuery.errors()).contains(QStringLiteral("TE10007")))
        << qPrintable(mixerQuery.errors().toText());

    // A long poll of a query the driver does not hold.
    const NCCommand heldErrors(QStringLiteral("GET_ERRORS"), nullptr, 500, 10000, nullptr);
    NECommand errorsPoll(driverID, kDispenser1, &heldErrors);
    NECmdManager::executeCommand(&errorsPoll, true, false);
    EXPECT_TRUE(errorsPoll.isFailed());
    EXPECT_TRUE(codes(errorsPoll.errors()).contains(QStringLiteral("TE10012")))
        << qPrintable(errorsPoll.errors().toText());

    // Someone without the key floods the driver with logins: the library's
    // certified session goes on working.
    {
        XmlRpc::XmlRpcClient flooder("127.0.0.1", driver->port());
        for (int i = 0; i < 100; ++i) {
            XmlRpc::XmlRpcValue call, machine, result;
            machine["number"] = 1;
            machine["type"] = 1;
            call["proto"] = ProtoCommand::ProtocolVersion;
            call["cmd"] = "LOGIN";
            call["params"][0] = machine;
            call["params"][1] = "flood";
            ASSERT_TRUE(flooder.execute("AXO.execute", call, result, 5.0));
        }
    }
    NECommand status(driverID, kDispenser1, QStringLiteral("GET_DISP_STATUS"));
    ASSERT_TRUE(NECmdManager::executeCommand(&status, true, false));
    EXPECT_TRUE(status.isDoneSuccessfully()) << qPrintable(status.errors().toText());

    // A driver that forgets the ticket of a running RESET (as after a restart).
    NECommand reset(driverID, kDispenser1, QStringLiteral("RESET"));
    std::thread caller([&] { NECmdManager::executeCommand(&reset, true, false); });
    QElapsedTimer timer;
    timer.start();
    while (!driver->model().isBusy(kDispenser1) && timer.elapsed() < 5000)
        QThread::msleep(5);
    driver->model().forgetTickets();
    caller.join();
    EXPECT_TRUE(reset.isFailed());
    EXPECT_TRUE(codes(reset.errors()).contains(QStringLiteral("TE10006"))) << qPrintable(reset.errors().toText());
    EXPECT_EQ(reset.cmdState(), NECommand::NECmdExecuted);
}

TEST_F(PipelineTest, LoginAboveTheGrantedLevelIsRefused)
{
    driver->model().sessions().setMaxAccess(1);
    ASSERT_TRUE(startDispenser1());
    ASSERT_TRUE(NECmdManager::setAccessLevel(2));
    EXPECT_FALSE(NECmdManager::login(driverID, kDispenser1, QStringLiteral("tester")));
    ASSERT_TRUE(NECmdManager::setAccessLevel(0));
    QStringList codes;
    for (const FW_Error &error : store->getErrorList(driverID, kDispenser1))
        codes.append(error.errorCode());
    EXPECT_TRUE(codes.contains(QStringLiteral("TE10010"))) << qPrintable(codes.join(QLatin1Char(',')));
    EXPECT_FALSE(store->existSession(driverID, kDispenser1));

    // The level the settings give is the one asked for.
    QFile settings(AXOClientSettings::filePath());
    QDir().mkpath(QFileInfo(settings).absolutePath());
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[General]\nAXOAccessLevel=1\n");
    settings.close();
    EXPECT_TRUE(NECmdManager::login(driverID, kDispenser1, QStringLiteral("tester")));
    EXPECT_FALSE(NECmdManager::setAccessLevel(4));
}
