// Live machine state end to end: a change made in the simulated driver
// reaches the host as the store's change signals, once, in the host thread,
// through the polling threads, the command API's reactions and the store;
// a quiet driver produces none; a driver that goes away marks its machines
// inactive and comes back without the host doing anything.

#include "AXOClientSettings.h"
#include "AXOCommData.h"
#include "AXOCurrentCommData.h"
#include "DispenserInfo.h"
#include "FW_HwError.h"
#include "FW_Machine.h"
#include "FW_Scale.h"
#include "HostSpy.h"
#include "NECommand.h"
#include "NECmdManager.h"
#include "QuietErrors.h"
#include "SimDriver.h"
#include "SimDriverModel.h"
#include "SimEvent.h"
#include "SimScenario.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QTemporaryDir>
#include <QtCore/QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>

namespace {

const MachineID kGenericDispenser(0, MachineID::Dispenser);
const MachineID kGenericMixer(0, MachineID::Mixer);
const MachineID kDriverWide(0, 0);
const MachineID kDispenser1(1, MachineID::Dispenser);
const MachineID kMixer2(2, MachineID::Mixer);

// Keeps the host thread's events going until the condition holds.
bool waitFor(const std::function<bool()> &condition, int ms = 8000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// A driver started the way the communication manager starts one at
// communication level 1 with mixers: sessions for its machines, the
// active-machines threads; the reactions start the machines' threads.
class LiveStateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv(AXOClientSettings::RootEnvironmentVariable, settingsRoot.path().toUtf8());
        driver.reset(new SimDriver(scenario()));
        ASSERT_TRUE(driver->start());
        port = driver->port();
        store = AXOCommData::instance();
        store->resetQueueThreadsAbort();
        store->setCommLevel(AXOCommData::CommLevel1);
        store->setMixerMngm(true);
        NECmdManager::setAccessLevel(2); // a service application: it saves configurations
        driverID = store->getNextDriverID();
        store->addDriverParams(NEDriverParams(driverID, AXODriverConnection(QStringLiteral("127.0.0.1"), port)));
        ASSERT_TRUE(store->startDriverCommThread(driverID, kGenericDispenser, NEDriverParams::StandardCommandsThread));
        ASSERT_TRUE(store->startDriverCommThread(driverID, kGenericMixer, NEDriverParams::StandardCommandsThread));
        ASSERT_TRUE(store->startDriverCommThread(driverID, kDriverWide, NEDriverParams::StandardCommandsThread));
        ASSERT_TRUE(NECmdManager::login(driverID, kGenericDispenser, QStringLiteral("live")));
        ASSERT_TRUE(NECmdManager::login(driverID, kGenericMixer, QStringLiteral("live")));
        store->updateMachineDataList(driverID, {kDispenser1}, MachineID::Dispenser);
        store->updateMachineDataList(driverID, {kMixer2}, MachineID::Mixer);
        ASSERT_TRUE(NECmdManager::setSessions(driverID, {kDispenser1, kMixer2}, true))
            << qPrintable(store->getErrorList(driverID, kDispenser1).toText())
            << qPrintable(store->getErrorList(driverID, kMixer2).toText());
        ASSERT_TRUE(store->startDriverCommThread(driverID, kGenericDispenser, NEDriverParams::ActiveMachineThread));
        // The first answers: both machines active, their status threads running.
        ASSERT_TRUE(waitFor([&] {
            return store->isActiveDispenser(driverID, 1) && store->isActiveMixer(driverID, 2)
                && store->hasMachineStatus(driverID, kDispenser1) && store->hasMachineStatus(driverID, kMixer2);
        })) << "the machines did not come up";
        settle(300);
    }
    virtual SimScenario scenario() const { return SimScenario::defaultScenario(); }

    void TearDown() override
    {
        store->closeAllConnections(-1, true);
        store->removeAllSessions();
        AXOCurrentCommData::drop();
        AXOCommData::drop();
        NECmdManager::setAccessLevel(0);
        driver.reset();
        qunsetenv(AXOClientSettings::RootEnvironmentVariable);
    }

    QuietErrors quiet;
    QTemporaryDir settingsRoot;
    std::unique_ptr<SimDriver> driver;
    uint16_t port = 0;
    AXOCommData *store = nullptr;
    int driverID = 0;
};

bool hasCode(const FW_ErrorList &errors, const QString &code)
{
    for (const FW_Error &error : errors)
        if (error.errorCode() == code)
            return true;
    return false;
}

} // namespace

TEST_F(LiveStateTest, ErrorRaisedOnADispenserReachesTheHostOnce)
{
    HostSpy errors(store, &AXOCommData::NEErrorListUpdated);
    HostSpy dispenserStatus(store, &AXOCommData::NEDispenserDriverStatusChangedSignal);
    HostSpy mixerStatus(store, &AXOCommData::NEMixerDriverStatusChangedSignal);
    HostSpy dispenserList(store, &AXOCommData::NEDispenserStatusListChanged);

    FW_ErrorList raised;
    raised.append(FW_HwError(QStringLiteral("Canister 7 empty"), QStringLiteral("TE30007")));
    driver->model().setMachineErrors(kDispenser1, raised);

    ASSERT_TRUE(waitFor([&] { return hasCode(store->getErrorList(driverID, kDispenser1), QStringLiteral("TE30007")); }));
    settle(500);
    EXPECT_GE(dispenserStatus.size(), 1);
    for (const QList<QVariant> &args : dispenserStatus.records())
        EXPECT_EQ(args.at(1).toInt(), 1);
    EXPECT_EQ(mixerStatus.size(), 0) << "the mixer did not change";
    EXPECT_EQ(dispenserList.size(), 0) << "errors are no relevant change of the machine list";
    int added = 0;
    for (const QList<QVariant> &args : errors.records())
        if (args.at(1).value<MachineID>() == kDispenser1 && args.at(2).toBool())
            ++added;
    EXPECT_EQ(added, 1);

    // Cleared on the machine: the board's error goes from the store as well.
    driver->model().setMachineErrors(kDispenser1, FW_ErrorList());
    EXPECT_TRUE(waitFor([&] { return store->getErrorList(driverID, kDispenser1).isEmpty(); }));
}

TEST_F(LiveStateTest, MachineGoingInactiveAndBack)
{
    HostSpy mixers(store, &AXOCommData::NEMixerStatusListChanged);
    HostSpy dispensers(store, &AXOCommData::NEDispenserStatusListChanged);
    driver->model().setActive(kMixer2, false);
    ASSERT_TRUE(waitFor([&] { return !store->isActiveMixer(driverID, 2); }));
    settle(300);
    EXPECT_EQ(mixers.size(), 1);
    EXPECT_EQ(dispensers.size(), 0);
    EXPECT_FALSE(store->existsDriverCommThread(driverID, kMixer2, NEDriverParams::MixerStatusThread));

    driver->model().setActive(kMixer2, true);
    ASSERT_TRUE(waitFor([&] { return store->isActiveMixer(driverID, 2); }));
    settle(300);
    EXPECT_EQ(mixers.size(), 2);
    EXPECT_TRUE(store->existsDriverCommThread(driverID, kMixer2, NEDriverParams::MixerStatusThread));
}

TEST_F(LiveStateTest, QuietDriverSignalsNothingAndHoldsItsPolls)
{
    HostSpy executed(store, &AXOCommData::NECommandExecutedSignal);
    HostSpy machineStatus(store, &AXOCommData::NEMachineDriverStatusChangedSignal);
    HostSpy lists(store, &AXOCommData::NEMachineStatusListChanged);
    const uint64_t before = driver->simulator().requestsReceived();
    settle(2000);
    EXPECT_EQ(executed.size(), 0);
    EXPECT_EQ(machineStatus.size(), 0);
    EXPECT_EQ(lists.size(), 0);
    // Held polls: a handful of calls in two seconds, not a spin.
    EXPECT_LT(driver->simulator().requestsReceived() - before, 20u);
}

TEST_F(LiveStateTest, DriverGoneMarksMachinesInactiveOnceAndComesBack)
{
    HostSpy dispensers(store, &AXOCommData::NEDispenserStatusListChanged);
    driver->stop();
    ASSERT_TRUE(waitFor([&] { return !store->isActiveDispenser(driverID, 1); }));
    EXPECT_TRUE(waitFor([&] { return !store->hasSessions(driverID); })) << "sessions dropped";
    settle(1500);
    EXPECT_EQ(dispensers.size(), 1) << "once";

    // The same driver back on the same port: polling resumes and logs in again.
    driver.reset(new SimDriver(SimScenario::defaultScenario()));
    driver->simulator().setPort(port);
    ASSERT_TRUE(driver->start());
    ASSERT_TRUE(waitFor([&] { return store->isActiveDispenser(driverID, 1); }, 15000));
    FW_ErrorList raised;
    raised.append(FW_HwError(QStringLiteral("Door open"), QStringLiteral("TE30011")));
    driver->model().setMachineErrors(kDispenser1, raised);
    EXPECT_TRUE(waitFor([&] { return hasCode(store->getErrorList(driverID, kDispenser1), QStringLiteral("TE30011")); },
                        15000));
}

TEST_F(LiveStateTest, ConfigurationSavedElsewhereIsReadAgain)
{
    // The driver's configuration was read when the machines first came up.
    ASSERT_TRUE(waitFor([&] { return store->getNumOfMachines(driverID, false) == 2; }));
    const int revision = store->getMachine(driverID, kDispenser1)->revision();
    HostSpy configuration(store, &AXOCommData::NEConfigurationChanged);
    HostSpy dispensers(store, &AXOCommData::NEDispenserStatusListChanged);

    ASSERT_TRUE(driver->model().apply(SimEvent::reconfigure(kDispenser1)));
    ASSERT_TRUE(waitFor([&] {
        const std::unique_ptr<FW_Machine> machine = store->getMachine(driverID, kDispenser1);
        return machine && machine->revision() == revision + 1;
    }));
    settle(300);
    EXPECT_EQ(configuration.size(), 1);
    EXPECT_EQ(dispensers.size(), 1) << "a new configuration identity is a relevant change";
    EXPECT_TRUE(store->isActiveDispenser(driverID, 1));
}

TEST_F(LiveStateTest, ConfigurationSavedAndMachineDeletedWithoutWaiting)
{
    ASSERT_TRUE(waitFor([&] { return store->getNumOfMachines(driverID, false) == 2; }));
    HostSpy configuration(store, &AXOCommData::NEConfigurationChanged);

    // Saved without waiting: the reaction to the executed command stores it.
    std::unique_ptr<FW_Machine> machine = store->getMachine(driverID, kDispenser1);
    ASSERT_TRUE(machine);
    machine->setName(QStringLiteral("Counter dispenser"));
    ASSERT_TRUE(NECmdManager::saveConfiguration(driverID, machine.get(), false, false));
    ASSERT_TRUE(waitFor([&] {
        const std::unique_ptr<FW_Machine> stored = store->getMachine(driverID, kDispenser1);
        return stored && stored->name() == QLatin1String("Counter dispenser");
    })) << qPrintable(store->getErrorList(driverID, kDispenser1).toText())
        << qPrintable(store->getErrorList(driverID, kGenericDispenser).toText());
    EXPECT_GE(configuration.size(), 1);

    // The mixer deleted: its records go, and so do its threads.
    ASSERT_TRUE(NECmdManager::deleteConfiguration(driverID, kMixer2, false));
    ASSERT_TRUE(waitFor([&] { return !store->existsMachineID(driverID, kMixer2); }))
        << qPrintable(store->getErrorList(driverID, kMixer2).toText());
    EXPECT_TRUE(waitFor([&] {
        return !store->existsDriverCommThread(driverID, kMixer2, NEDriverParams::MixerStatusThread);
    }));
    EXPECT_EQ(store->getNumOfMachines(driverID, false), 1);
    EXPECT_TRUE(store->isActiveDispenser(driverID, 1));
}

// Dispenser 1 weighs on scale 3.
class LiveStateWithScaleTest : public LiveStateTest
{
protected:
    SimScenario scenario() const override
    {
        SimScenario withScale = SimScenario::defaultScenario();
        FW_Scale scale(3);
        scale.setModel(ModelSC6);
        withScale.configuration().addMachine(scale);
        FW_Dispenser dispenser = *withScale.configuration().getDispenserById(1);
        dispenser.setScaleNumber(3);
        dispenser.setSerialNumber(QStringLiteral("DX-0001"));
        withScale.configuration().replaceDispenser(dispenser);
        return withScale;
    }
};

TEST_F(LiveStateWithScaleTest, DispenserWithAScaleGetsItsScaleThreads)
{
    EXPECT_TRUE(waitFor([&] {
        return store->existsDriverCommThread(driverID, kDispenser1, NEDriverParams::ScaleCommandsThread)
            && store->existsDriverCommThread(driverID, kDispenser1, NEDriverParams::ScaleWeightThread);
    }));
    EXPECT_EQ(store->getDispenser(driverID, 1).scaleNumber(), 3);
}

// The scale's own status in the active-machines answer is no configuration
// change: a machine going inactive and back does not make the library read
// the configuration again.
TEST_F(LiveStateWithScaleTest, AScaleStatusIsNoConfigurationChange)
{
    ASSERT_TRUE(waitFor([&] {
        return store->existsDriverCommThread(driverID, kDispenser1, NEDriverParams::ScaleWeightThread)
            && store->isActiveMixer(driverID, 2);
    }));
    std::atomic<int> configurationReads{0};
    const QMetaObject::Connection counter = QObject::connect(
        store, &AXOCommData::NECommandExecutedSignal, store,
        [&](const NECommand &command) {
            if (command.command() == QLatin1String("GET_CONFIG"))
                ++configurationReads;
        },
        Qt::DirectConnection);
    driver->model().setActive(kMixer2, false);
    EXPECT_TRUE(waitFor([&] { return !store->isActiveMixer(driverID, 2); }));
    driver->model().setActive(kMixer2, true);
    EXPECT_TRUE(waitFor([&] { return store->isActiveMixer(driverID, 2); }));
    QObject::disconnect(counter);
    EXPECT_EQ(configurationReads.load(), 0);
}

// What the dispenser reports of itself reaches the facade, and a scale
// wired anew reaches the configuration (whose revision the driver keeps)
// and the scale threads.
TEST_F(LiveStateWithScaleTest, MachineInformationReachesTheFacadeAndTheConfiguration)
{
    AXOCurrentCommData *current = AXOCurrentCommData::instance();
    current->setCurrentDriverID(driverID);
    current->setCurrentDispenserID(1);
    DispenserInfo info;
    ASSERT_TRUE(current->getCurrentDispenserInfo(info));
    EXPECT_EQ(info.serialNumber(), QStringLiteral("DX-0001"));
    EXPECT_EQ(info.scaleNumber(), 3);
    EXPECT_TRUE(info.mainProgram().isValid());
    const std::unique_ptr<MachineInfo> machineInfo(current->getCurrentMachineInfo());
    ASSERT_NE(dynamic_cast<DispenserInfo *>(machineInfo.get()), nullptr);
    EXPECT_EQ(*machineInfo, info);
    current->setCurrentDispenserID(5);
    EXPECT_FALSE(current->getCurrentDispenserInfo(info));

    ASSERT_TRUE(driver->model().wireScale(1, 0));
    EXPECT_TRUE(waitFor([&] { return !store->getDispenser(driverID, 1).hasScale(); }));
    EXPECT_TRUE(waitFor([&] {
        return !store->existsDriverCommThread(driverID, kDispenser1, NEDriverParams::ScaleWeightThread);
    }));
    ASSERT_TRUE(driver->model().wireScale(1, 3));
    EXPECT_TRUE(waitFor([&] { return store->getDispenser(driverID, 1).scaleNumber() == 3; }));
    EXPECT_EQ(store->getDispenser(driverID, 1).serialNumber(), QStringLiteral("DX-0001"));
}
