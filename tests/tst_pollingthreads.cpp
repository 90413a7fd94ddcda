// The status polling threads against the simulated driver: the first answer
// and every change reach the application once through the executed signal,
// unchanged answers do not (and the driver holds the query meanwhile), a
// driver that goes away is reported once with every machine inactive, and a
// status thread rests while its driver's configuration has no machines.

#include "AXOClientSettings.h"
#include "AXOCommData.h"
#include "DispenserDriverStatusAnswer.h"
#include "FW_Configuration.h"
#include "FW_DriverError.h"
#include "GetActiveDispAnswer.h"
#include "GetConnectionStatusAnswer.h"
#include "HostSpy.h"
#include "MixerDriverStatusAnswer.h"
#include "NECmdManager.h"
#include "NECommand.h"
#include "NEXmlRpcActiveDispsThread.h"
#include "NEXmlRpcConnStatusThread.h"
#include "NEXmlRpcCustomPollingThread.h"
#include "NEXmlRpcStatusThread.h"
#include "QuietErrors.h"
#include "SimDriver.h"
#include "SimDriverModel.h"
#include "SimScenario.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QTemporaryDir>
#include <QtCore/QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

namespace {

typedef NEDriverParams::DriverThreadTypes ThreadType;

const MachineID kGenericDispenser(0, MachineID::Dispenser);
const MachineID kDispenser1(1, MachineID::Dispenser);
const MachineID kMixer2(2, MachineID::Mixer);

bool waitUntil(const std::function<bool()> &condition, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() >= ms)
            return false;
        QThread::msleep(5);
    }
    return true;
}

// The executed signals of notify-changed queries (those of the polling
// threads), in order; the signals of ordinary commands are left out.
std::vector<std::shared_ptr<NECommand>> polls(const HostSpy &spy)
{
    std::vector<std::shared_ptr<NECommand>> list;
    for (const QList<QVariant> &args : spy.records()) {
        auto cmd = std::make_shared<NECommand>(args.at(0).value<NECommand>());
        if (cmd->isNotifyChangedCommandCall())
            list.push_back(cmd);
    }
    return list;
}

// A driver registered in the store against a simulated driver of its own,
// with its generic dispenser's command thread started.
//
// The test stands in for the application: the store's own reaction to the
// executed signal (which applies answers to the store and starts and stops
// threads) is disconnected, so that only the threads under test talk to
// the driver, and each test applies to the store what it needs.
class PollingThreadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv(AXOClientSettings::RootEnvironmentVariable, settingsRoot.path().toUtf8());
        scenario = SimScenario::defaultScenario();
        driver.reset(new SimDriver(scenario));
        ASSERT_TRUE(driver->start());
        store = AXOCommData::instance();
        store->resetQueueThreadsAbort();
        driverID = store->getNextDriverID();
        store->addDriverParams(
            NEDriverParams(driverID, AXODriverConnection(QStringLiteral("127.0.0.1"), driver->port())));
        ASSERT_TRUE(store->startDriverCommThread(driverID, kGenericDispenser, NEDriverParams::StandardCommandsThread));
        QObject::disconnect(store, &AXOCommData::NECommandExecutedSignal, nullptr, nullptr);
        executed.reset(new HostSpy(store, &AXOCommData::NECommandExecutedSignal));
    }
    void TearDown() override
    {
        store->closeAllConnections(-1, true);
        store->removeAllSessions();
        executed.reset();
        AXOCommData::drop();
        driver.reset();
        qunsetenv(AXOClientSettings::RootEnvironmentVariable);
    }

    // The machine's record and command threads (its kind's generic machine
    // sends the handshake), and a session for it.
    bool login(const MachineID &machine)
    {
        const MachineID generic(0, machine.machineType);
        store->updateMachineDataList(driverID, {machine},
                                     static_cast<MachineID::SerialDeviceType>(machine.machineType));
        return store->startDriverCommThread(driverID, generic, NEDriverParams::StandardCommandsThread)
            && store->startDriverCommThread(driverID, machine, NEDriverParams::StandardCommandsThread)
            && store->startDriverCommThread(driverID, machine, NEDriverParams::PriorityCommandsThread)
            && NECmdManager::login(driverID, machine, QStringLiteral("tester"));
    }
    int pollCount() const { return static_cast<int>(polls(*executed).size()); }
    bool pollsReach(int count, int ms = 5000)
    {
        return waitUntil([&] { return pollCount() >= count; }, ms);
    }
    NECommand poll(int i) const { return *polls(*executed).at(static_cast<size_t>(i)); }
    template<typename Answer>
    std::unique_ptr<Answer> pollAnswer(int i) const
    {
        std::unique_ptr<ProtoAnswer> answer = poll(i).getProtoAnswer();
        if (!dynamic_cast<Answer *>(answer.get()))
            return nullptr;
        return std::unique_ptr<Answer>(static_cast<Answer *>(answer.release()));
    }
    // The thread's query is held by the driver.
    bool held() { return driver->model().waitForWaitingCalls(1, 5000); }
    // Requests the driver received over ms, while nothing changes.
    uint64_t requestsDuring(int ms)
    {
        const uint64_t before = driver->simulator().requestsReceived();
        QThread::msleep(static_cast<unsigned long>(ms));
        return driver->simulator().requestsReceived() - before;
    }
    // Whether the driver answers the query, asked once in the machine's session.
    bool driverAnswers(const MachineID &machine, const QString &name)
    {
        NECommand probe(driverID, machine, name);
        return NECmdManager::executeCommand(&probe, true, false) && probe.isDoneSuccessfully();
    }

    QuietErrors quiet;
    QTemporaryDir settingsRoot;
    SimScenario scenario;
    std::unique_ptr<SimDriver> driver;
    std::unique_ptr<HostSpy> executed;
    AXOCommData *store = nullptr;
    int driverID = 0;
};

// ---------------------------------------------------------------- machine status

struct StatusCase
{
    const char *name;
    MachineID machine;
    ThreadType type;
    const char *query;
};

void PrintTo(const StatusCase &c, std::ostream *os)
{
    *os << c.name;
}

class StatusThreadTest : public PollingThreadTest, public ::testing::WithParamInterface<StatusCase>
{
};

TEST_P(StatusThreadTest, FirstAnswerThenOnlyChangesWhileTheDriverHoldsTheQuery)
{
    const StatusCase param = GetParam();
    ASSERT_TRUE(login(param.machine));
    ASSERT_TRUE(store->startDriverCommThread(driverID, param.machine, param.type));
    EXPECT_TRUE(dynamic_cast<NEXmlRpcStatusThread *>(store->getDriverCommThread(driverID, param.machine, param.type)));

    ASSERT_TRUE(pollsReach(1));
    const NECommand first = poll(0);
    EXPECT_EQ(first.command(), QLatin1String(param.query));
    EXPECT_TRUE(first.isNotifyChangedCommandCall());
    EXPECT_TRUE(first.isDoneSuccessfully()) << qPrintable(first.errors().toText());
    EXPECT_EQ(first.machineID(), param.machine);
    const std::unique_ptr<MachineDriverStatusAnswer> before = pollAnswer<MachineDriverStatusAnswer>(0);
    ASSERT_TRUE(before);
    if (param.machine.isDispenser())
        EXPECT_TRUE(dynamic_cast<DispenserDriverStatusAnswer *>(before.get()));
    else
        EXPECT_TRUE(dynamic_cast<MixerDriverStatusAnswer *>(before.get()));

    // Nothing changes: the query stays with the driver and nothing is signalled.
    ASSERT_TRUE(held());
    EXPECT_LE(requestsDuring(1200), 1u);
    EXPECT_EQ(pollCount(), 1);

    // A change: one signal with the new status, then the next query is held.
    FW_ErrorList errors;
    errors.append(FW_DriverError(QStringLiteral("Canister 7 empty"), QStringLiteral("TE30007")));
    driver->model().setMachineErrors(param.machine, errors);
    ASSERT_TRUE(pollsReach(2));
    const std::unique_ptr<MachineDriverStatusAnswer> after = pollAnswer<MachineDriverStatusAnswer>(1);
    ASSERT_TRUE(after);
    EXPECT_FALSE(after->equalTo(before.get()));
    ASSERT_TRUE(held());
    EXPECT_EQ(pollCount(), 2);

    // A driver that holds nothing and answers at once, always the same:
    // none of those answers is signalled.
    const uint64_t seen = driver->simulator().requestsReceived();
    driver->model().shutdown();
    ASSERT_TRUE(driver->simulator().waitForRequestsReceived(seen + 5, 3000));
    driver->model().reopen();
    EXPECT_EQ(pollCount(), 2);

    // A stop ends the held query at once.
    ASSERT_TRUE(held());
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(store->stopDriverCommThread(driverID, param.machine, param.type, true, true, true));
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_FALSE(store->existsDriverCommThread(driverID, param.machine, param.type));
}

INSTANTIATE_TEST_SUITE_P(
    Machines, StatusThreadTest,
    ::testing::Values(StatusCase{"Dispenser", kDispenser1, NEDriverParams::DriverStatusThread, "GET_DISP_STATUS"},
                      StatusCase{"Mixer", kMixer2, NEDriverParams::MixerStatusThread, "GET_MIXER_STATUS"}),
    [](const ::testing::TestParamInfo<StatusCase> &info) { return std::string(info.param.name); });

TEST_F(PollingThreadTest, StatusThreadRestsWhileTheConfigurationHasNoMachines)
{
    ASSERT_TRUE(login(kDispenser1));
    ASSERT_TRUE(store->startDriverCommThread(driverID, kDispenser1, NEDriverParams::DriverStatusThread));
    NEXmlRpcThread *thread = store->getDriverCommThread(driverID, kDispenser1, NEDriverParams::DriverStatusThread);
    ASSERT_TRUE(thread);
    ASSERT_TRUE(pollsReach(1));
    ASSERT_TRUE(held());
    const std::unique_ptr<MachineDriverStatusAnswer> before = pollAnswer<MachineDriverStatusAnswer>(0);
    ASSERT_TRUE(before);

    // No machines: paused as the configuration is stored; a change on the
    // driver meanwhile is not passed on, and the driver is not asked again.
    ASSERT_TRUE(store->setConfiguration(driverID, FW_Configuration()));
    EXPECT_TRUE(thread->getPauseFlag());
    FW_ErrorList errors;
    errors.append(FW_DriverError(QStringLiteral("Canister 7 empty"), QStringLiteral("TE30007")));
    driver->model().setMachineErrors(kDispenser1, errors);
    QThread::msleep(1500);
    EXPECT_EQ(pollCount(), 1);
    EXPECT_EQ(requestsDuring(600), 0u);

    // A configuration with the dispenser: polling resumes, and the change
    // made meanwhile arrives.
    FW_Configuration withDispenser = scenario.configuration();
    withDispenser.removeMachineByMachineID(kMixer2);
    ASSERT_TRUE(store->setConfiguration(driverID, withDispenser));
    EXPECT_FALSE(thread->getPauseFlag());
    ASSERT_TRUE(pollsReach(2));
    const std::unique_ptr<MachineDriverStatusAnswer> after = pollAnswer<MachineDriverStatusAnswer>(1);
    ASSERT_TRUE(after);
    EXPECT_FALSE(after->equalTo(before.get()));
}

// ---------------------------------------------------------------- active machines

TEST_F(PollingThreadTest, ActiveMachinesSignalledOnChange)
{
    ASSERT_TRUE(store->startDriverCommThread(driverID, kGenericDispenser, NEDriverParams::ActiveMachineThread));
    EXPECT_TRUE(dynamic_cast<NEXmlRpcActiveDispsThread *>(
        store->getDriverCommThread(driverID, kGenericDispenser, NEDriverParams::ActiveMachineThread)));
    ASSERT_TRUE(pollsReach(1));
    EXPECT_EQ(poll(0).command(), QStringLiteral("GET_ACTIVE_DISP"));
    std::unique_ptr<GetActiveDispAnswer> machines = pollAnswer<GetActiveDispAnswer>(0);
    ASSERT_TRUE(machines);
    EXPECT_EQ(machines->getActiveDispenserIDs(), QList<int>{1});
    EXPECT_EQ(machines->getActiveMixerIDs(), QList<int>{2});

    ASSERT_TRUE(held());
    driver->model().setActive(kDispenser1, false);
    ASSERT_TRUE(pollsReach(2));
    machines = pollAnswer<GetActiveDispAnswer>(1);
    ASSERT_TRUE(machines);
    EXPECT_TRUE(machines->getActiveDispenserIDs().isEmpty());
    EXPECT_EQ(machines->getDispenserIDs(), QList<int>{1});
    ASSERT_TRUE(held());
    EXPECT_EQ(pollCount(), 2);

    // Answers at once and unchanged: signalled again while the store lists
    // another number of dispensers than the driver, and no more once it
    // lists as many.
    driver->model().shutdown();
    ASSERT_TRUE(pollsReach(4));
    store->setMachineStatusList(driverID, machines->machineStatusList());
    ASSERT_EQ(store->getDispenserStatusList(driverID).size(), 1);
    const uint64_t seen = driver->simulator().requestsReceived();
    ASSERT_TRUE(driver->simulator().waitForRequestsReceived(seen + 5, 3000));
    const int settled = pollCount();
    ASSERT_TRUE(driver->simulator().waitForRequestsReceived(seen + 15, 3000));
    EXPECT_EQ(pollCount(), settled);
    driver->model().reopen();
}

TEST_F(PollingThreadTest, UnreachableDriverReportedOnceThenPollingResumes)
{
    // The application's part: what the thread signals becomes the store's list.
    QObject context;
    QObject::connect(
        store, &AXOCommData::NECommandExecutedSignal, &context,
        [this](const NECommand &cmd) {
            const std::unique_ptr<ProtoAnswer> answer = cmd.getProtoAnswer();
            if (const auto *machines = dynamic_cast<const GetActiveDispAnswer *>(answer.get()))
                store->setMachineStatusList(driverID, machines->machineStatusList());
        },
        Qt::DirectConnection);
    ASSERT_TRUE(login(kDispenser1));
    ASSERT_TRUE(store->startDriverCommThread(driverID, kGenericDispenser, NEDriverParams::ActiveMachineThread));
    ASSERT_TRUE(pollsReach(1));
    ASSERT_TRUE(held());
    ASSERT_EQ(store->getActiveMachineIDs(driverID, MachineID::Dispenser | MachineID::Mixer).size(), 2);

    const uint16_t port = driver->port();
    driver.reset();
    ASSERT_TRUE(pollsReach(2));
    const NECommand lost = poll(1);
    EXPECT_EQ(lost.command(), QStringLiteral("GET_ACTIVE_DISP"));
    EXPECT_TRUE(lost.isDoneSuccessfully());
    EXPECT_TRUE(lost.errors().containsCode(QStringLiteral("TE00005"))) << qPrintable(lost.errors().toText());
    const std::unique_ptr<GetActiveDispAnswer> inactive = pollAnswer<GetActiveDispAnswer>(1);
    ASSERT_TRUE(inactive);
    EXPECT_EQ(inactive->numOfMachineStatus(), 2);
    EXPECT_TRUE(inactive->getActiveMachineIDs(0).isEmpty());
    EXPECT_FALSE(store->hasSessions(driverID));

    // Told once: with every machine already inactive the retries say nothing.
    QThread::msleep(1500);
    EXPECT_EQ(pollCount(), 2);

    // The driver is back on its port: the next poll finds it.
    driver.reset(new SimDriver(scenario));
    driver->simulator().setPort(port);
    ASSERT_TRUE(driver->start()) << driver->simulator().errorString();
    ASSERT_TRUE(pollsReach(3));
    const std::unique_ptr<GetActiveDispAnswer> back = pollAnswer<GetActiveDispAnswer>(2);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->getActiveDispenserIDs(), QList<int>{1});
    EXPECT_TRUE(poll(2).errors().isEmpty());
}

// ---------------------------------------------------------------- connection status, custom query

TEST_F(PollingThreadTest, ConnectionStatusSignalledOnChange)
{
    if (!driverAnswers(kGenericDispenser, QStringLiteral("GET_CONN_STATUS"))) {
        // A refused query is retried after a pause, never in a tight loop.
        ASSERT_TRUE(store->startDriverCommThread(driverID, kGenericDispenser, NEDriverParams::ConnectionStatusThread));
        const uint64_t requests = requestsDuring(2200);
        EXPECT_GE(requests, 1u);
        EXPECT_LE(requests, 4u);
        EXPECT_EQ(pollCount(), 0);
        GTEST_SKIP() << "the simulated driver does not answer GET_CONN_STATUS";
    }
    ASSERT_TRUE(store->startDriverCommThread(driverID, kGenericDispenser, NEDriverParams::ConnectionStatusThread));
    EXPECT_TRUE(dynamic_cast<NEXmlRpcConnStatusThread *>(
        store->getDriverCommThread(driverID, kGenericDispenser, NEDriverParams::ConnectionStatusThread)));
    ASSERT_TRUE(pollsReach(1));
    std::unique_ptr<GetConnectionStatusAnswer> status = pollAnswer<GetConnectionStatusAnswer>(0);
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->isConnected(kDispenser1));

    ASSERT_TRUE(held());
    driver->model().setActive(kDispenser1, false);
    ASSERT_TRUE(pollsReach(2));
    status = pollAnswer<GetConnectionStatusAnswer>(1);
    ASSERT_TRUE(status);
    EXPECT_FALSE(status->isConnected(kDispenser1));
    EXPECT_TRUE(status->disconnectedMachines().contains(kDispenser1));
    ASSERT_TRUE(held());
    EXPECT_EQ(pollCount(), 2);
}

TEST_F(PollingThreadTest, CustomQueryOnlyWhileTheMachineIsAvailable)
{
    ASSERT_TRUE(login(kDispenser1));
    ASSERT_TRUE(store->startDriverCommThread(driverID, kDispenser1, NEDriverParams::CustomPollingThread));
    EXPECT_TRUE(dynamic_cast<NEXmlRpcCustomPollingThread *>(
        store->getDriverCommThread(driverID, kDispenser1, NEDriverParams::CustomPollingThread)));

    // The store knows no status of the dispenser yet: it is not asked.
    EXPECT_TRUE(store->isMachineUnavailable(driverID, kDispenser1));
    EXPECT_EQ(requestsDuring(1200), 0u);
    EXPECT_EQ(pollCount(), 0);

    NECommand status(driverID, kDispenser1, QStringLiteral("GET_DISP_STATUS"));
    ASSERT_TRUE(NECmdManager::executeCommand(&status, true, false)) << qPrintable(status.errors().toText());
    const std::unique_ptr<ProtoAnswer> answer = status.getProtoAnswer();
    const auto *dispenser = dynamic_cast<const DispenserDriverStatusAnswer *>(answer.get());
    ASSERT_TRUE(dispenser);
    const bool answered = driverAnswers(kDispenser1, QStringLiteral("GET_SENSORS_STATUS"));
    store->setCurrentDispenserStatus(driverID, 1, dispenser);
    ASSERT_TRUE(store->isMachineAvailable(driverID, kDispenser1));

    if (!answered) {
        const uint64_t requests = requestsDuring(2200);
        EXPECT_GE(requests, 1u);
        EXPECT_LE(requests, 4u);
        EXPECT_EQ(pollCount(), 0);
        GTEST_SKIP() << "the simulated driver does not answer GET_SENSORS_STATUS";
    }
    ASSERT_TRUE(pollsReach(1));
    const NECommand first = poll(0);
    EXPECT_EQ(first.command(), QStringLiteral("GET_SENSORS_STATUS"));
    EXPECT_TRUE(first.isNotifyChangedCommandCall());
    EXPECT_TRUE(first.getProtoAnswer());
    ASSERT_TRUE(held());
    EXPECT_LE(requestsDuring(1000), 1u);
    EXPECT_EQ(pollCount(), 1);
}

} // namespace
