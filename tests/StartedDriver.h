#ifndef STARTEDDRIVER_H
#define STARTEDDRIVER_H

// A simulated driver registered in the store the way a start at
// communication level 1 with mixers leaves it: the generic machines and the
// driver-wide machine have standard command threads and sessions, the
// scenario's machines have sessions and records, and (unless asked not to)
// the active-machines thread runs, so that the reactions start the
// machines' own threads. Tests derive from it and may override scenario().

#include "AXOClientSettings.h"
#include "AXOCommData.h"
#include "MachineID.h"
#include "NECmdManager.h"
#include "QuietErrors.h"
#include "SimDriver.h"
#include "SimDriverModel.h"
#include "SimScenario.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace started {

const MachineID kGenericDispenser(0, MachineID::Dispenser);
const MachineID kGenericMixer(0, MachineID::Mixer);
const MachineID kDriverWide(0, 0);

//! Keeps the host thread's events going until the condition holds.
inline bool waitFor(const std::function<bool()> &condition, int ms = 8000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

//! Keeps the host thread's events going for a while.
inline void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

inline bool hasCode(const FW_ErrorList &errors, const QString &code)
{
    for (const FW_Error &error : errors)
        if (error.errorCode() == code)
            return true;
    return false;
}

} // namespace started

class StartedDriverTest : public ::testing::Test
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
        NECmdManager::setAccessLevel(accessLevel());
        driverID = store->getNextDriverID();
        store->addDriverParams(NEDriverParams(driverID, AXODriverConnection(QStringLiteral("127.0.0.1"), port)));
        for (const MachineID &generic : {started::kGenericDispenser, started::kGenericMixer, started::kDriverWide})
            ASSERT_TRUE(store->startDriverCommThread(driverID, generic, NEDriverParams::StandardCommandsThread));
        ASSERT_TRUE(NECmdManager::login(driverID, started::kGenericDispenser, QStringLiteral("tests")));
        ASSERT_TRUE(NECmdManager::login(driverID, started::kGenericMixer, QStringLiteral("tests")));
        store->setClientID(QStringLiteral("tests"));

        const SimScenario started = scenario();
        const FW_Configuration &configuration = started.configuration();
        const QList<MachineID> machines = configuration.getMachinesID();
        const QList<MachineID> dispensers = configuration.getMachinesID(MachineID::Dispenser);
        const QList<MachineID> mixers = configuration.getMachinesID(MachineID::Mixer);
        store->updateMachineDataList(driverID, dispensers, MachineID::Dispenser);
        store->updateMachineDataList(driverID, mixers, MachineID::Mixer);
        ASSERT_TRUE(NECmdManager::setSessions(driverID, machines, true));
        if (!followActiveMachines())
            return;
        ASSERT_TRUE(store->startDriverCommThread(driverID, started::kGenericDispenser,
                                                 NEDriverParams::ActiveMachineThread));
        ASSERT_TRUE(started::waitFor([&] {
            for (const MachineID &machine : machines) {
                if (!store->hasMachineStatus(driverID, machine))
                    return false;
            }
            return true;
        })) << "the machines did not come up";
    }

    void TearDown() override
    {
        if (store) {
            store->closeAllConnections(-1, true);
            store->removeAllSessions();
        }
        AXOCommData::drop();
        NECmdManager::setAccessLevel(0);
        driver.reset();
        qunsetenv(AXOClientSettings::RootEnvironmentVariable);
    }

    virtual SimScenario scenario() const { return SimScenario::defaultScenario(); }
    //! The access level the sessions ask for (2: a service application).
    virtual int accessLevel() const { return 2; }
    //! Whether the active-machines thread runs (and with it the reactions
    //! that start the machines' threads).
    virtual bool followActiveMachines() const { return true; }

    SimDriverModel &model() { return driver->model(); }

    QuietErrors quiet;
    QTemporaryDir settingsRoot;
    std::unique_ptr<SimDriver> driver;
    uint16_t port = 0;
    AXOCommData *store = nullptr;
    int driverID = 0;
};

#endif // STARTEDDRIVER_H
