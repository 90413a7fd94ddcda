// Starting and stopping a driver through the communication manager, against
// the simulated driver: the phases each level runs with their signals, the
// threads and sessions a start leaves, and each fatal failure with its code
// and what it leaves behind.

#include "AXOClientSettings.h"
#include "AXOCommData.h"
#include "AXOCommManager.h"
#include "AXOCurrentCommData.h"
#include "AXODriverConnection.h"
#include "FW_Dispenser.h"
#include "FW_Mixer.h"
#include "NECommand.h"
#include "NECmdManager.h"
#include "QuietErrors.h"
#include "SimDriver.h"
#include "SimDriverModel.h"
#include "SimFault.h"
#include "SimScenario.h"
#include "SimSessionTable.h"

#include <QtCore/QDir>
#include <QtCore/QElapsedTimer>
#include <QtCore/QFileInfo>
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtTest/QSignalSpy>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

const MachineID kGenericDispenser(0, MachineID::Dispenser);
const MachineID kGenericMixer(0, MachineID::Mixer);
const MachineID kDispenser1(1, MachineID::Dispenser);
const MachineID kMixer2(2, MachineID::Mixer);

typedef AXOCommManager M;

// The phases as "S1", "C1:1:0" (task, result, message), in signal order.
class TaskLog
{
public:
    TaskLog()
    {
        QObject::connect(M::instance(), &M::CommTaskStarted, [this](M::CommTasks task) {
            entries << QStringLiteral("S%1").arg(int(task));
        });
        QObject::connect(M::instance(), &M::CommTaskCompleted, [this](M::CommTasks task, bool result, M::CommMgsID id) {
            entries << QStringLiteral("C%1:%2:%3").arg(int(task)).arg(int(result)).arg(int(id));
        });
    }
    QStringList entries;
};

class CommManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv(AXOClientSettings::RootEnvironmentVariable, settingsRoot.path().toUtf8());
        NECmdManager::setAccessLevel(2);
    }

    void TearDown() override
    {
        AXOCommManager::drop(); // closes every driver
        AXOCurrentCommData::drop();
        AXOCommData::instance()->removeAllSessions();
        AXOCommData::drop();
        NECmdManager::setAccessLevel(0);
        driver.reset();
        qunsetenv(AXOClientSettings::RootEnvironmentVariable);
    }

    void startSimulator(const SimScenario &scenario = SimScenario::defaultScenario(),
                        DriverSimulator::Mode mode = DriverSimulator::Plain)
    {
        driver.reset(new SimDriver(scenario, mode));
        ASSERT_TRUE(driver->start());
    }
    AXODriverConnection connection() const { return AXODriverConnection(QStringLiteral("127.0.0.1"), driver->port()); }
    // A level-0 start: no polling thread connects of its own.
    void startLevelZero(bool mixers)
    {
        startSimulator();
        ASSERT_TRUE(M::instance()->startAXODriverComm(QStringLiteral("service"), connection(),
                                                      AXOCommData::CommLevel0, mixers));
    }

    // Makes the driver fault every synchronous call of that command.
    void refuse(const QString &command)
    {
        const SimProtocolHandler handler = driver->handler();
        driver->simulator().registerMethod("AXO.execute", [handler, command](const XmlRpc::XmlRpcValue &params) {
            if (QString::fromStdString(params[0]["cmd"].asString()) == command)
                throw SimFault(SimFault::kGenericCode, "refused by the test");
            return handler.handle(1, params);
        });
    }

    void writeSetting(const char *key, const QVariant &value)
    {
        const QString path = AXOClientSettings::filePath();
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue(QLatin1String(key), value);
    }

    bool hasThread(const MachineID &machine, NEDriverParams::DriverThreadTypes type) const
    {
        return AXOCommData::instance()->existsDriverCommThread(driverID(), machine, type);
    }
    int driverID() const
    {
        const QList<int> ids = AXOCommData::instance()->getDriverIDs();
        return ids.isEmpty() ? -1 : ids.first();
    }
    QStringList genericCodes() const
    {
        QStringList codes;
        for (const FW_Error &error : AXOCommData::instance()->getErrorList(driverID(), kGenericDispenser))
            codes << error.errorCode();
        return codes;
    }

    QuietErrors quiet;
    QTemporaryDir settingsRoot;
    std::unique_ptr<SimDriver> driver;
};

TEST_F(CommManagerTest, LevelTwoRunsEveryPhaseAndLeavesTheDriverPolled)
{
    startSimulator();
    TaskLog log;
    ASSERT_TRUE(M::instance()->startAXODriverComm(QStringLiteral("service"), connection(), AXOCommData::CommLevel2,
                                                  true));
    EXPECT_EQ(log.entries, QStringList({"S1", "C1:1:0", "S2", "C2:1:0", "S4", "C4:1:0", "S8", "C8:1:0"}));

    AXOCommData *store = AXOCommData::instance();
    const int id = driverID();
    for (const MachineID &generic : {kGenericDispenser, kGenericMixer}) {
        EXPECT_TRUE(hasThread(generic, NEDriverParams::StandardCommandsThread));
        EXPECT_TRUE(hasThread(generic, NEDriverParams::PriorityCommandsThread));
        EXPECT_TRUE(hasThread(generic, NEDriverParams::ActiveMachineThread));
        EXPECT_TRUE(store->existSession(id, generic));
    }
    EXPECT_TRUE(hasThread(kGenericDispenser, NEDriverParams::ConnectionStatusThread));
    EXPECT_TRUE(hasThread(kDispenser1, NEDriverParams::ConfigurationCommandsThread));
    EXPECT_TRUE(hasThread(kMixer2, NEDriverParams::ConfigurationCommandsThread));
    EXPECT_EQ(store->getSharedConfiguration(id).numOfMachines(), SimScenario::defaultScenario().configuration().numOfMachines());
    EXPECT_GT(store->getSharedCalibrationProfiles(id).numOfPumps(), 0);
    QVersionNumber version;
    EXPECT_TRUE(store->getDriverVersion(id, version));
    EXPECT_EQ(version, QVersionNumber::fromString(driver->model().driverVersion()));
    EXPECT_EQ(store->clientID(), QStringLiteral("service"));
    EXPECT_EQ(store->commLevel(), AXOCommData::CommLevel2);
    EXPECT_TRUE(store->mixerMngm());
    EXPECT_EQ(AXOCurrentCommData::instance()->currentDriverID(), id);
    EXPECT_EQ(AXOCurrentCommData::instance()->currentMachineID(), kDispenser1);
    EXPECT_TRUE(genericCodes().isEmpty()) << qPrintable(genericCodes().join(' '));

    // The same endpoint again is refused quietly; a stop frees it for a new start.
    log.entries.clear();
    EXPECT_FALSE(M::instance()->startAXODriverComm(QStringLiteral("service"), connection(), AXOCommData::CommLevel2,
                                                   true));
    EXPECT_EQ(log.entries, QStringList({"S1", "C1:0:0"}));
    EXPECT_EQ(store->getDriverIDs().size(), 1);
    EXPECT_TRUE(genericCodes().isEmpty());

    M::instance()->stopDriversComm(-1, true);
    EXPECT_TRUE(store->getDriverIDs().isEmpty());
    EXPECT_TRUE(M::instance()->startAXODriverComm(QStringLiteral("service"), connection(), AXOCommData::CommLevel1,
                                                  false));
    QVersionNumber again;
    EXPECT_TRUE(NECmdManager::getDriverVersion(driverID(), again)) << "a start after a stop runs commands again";
}

TEST_F(CommManagerTest, LowerLevelsSkipProfilesConfigurationAndPolling)
{
    startSimulator();
    TaskLog log;
    AXOCommData *store = AXOCommData::instance();

    // Level 0 with mixers: only the configuration threads make the start
    // succeed; the mixer machine is still logged in.
    ASSERT_TRUE(M::instance()->startAXODriverComm(QStringLiteral("bench"), connection(), AXOCommData::CommLevel0, true))
        << qPrintable(log.entries.join(' ')) << qPrintable(genericCodes().join(' '));
    EXPECT_EQ(log.entries, QStringList({"S1", "C1:1:0", "S8", "C8:1:0"}));
    EXPECT_FALSE(hasThread(kGenericDispenser, NEDriverParams::PriorityCommandsThread));
    EXPECT_FALSE(hasThread(kGenericDispenser, NEDriverParams::ActiveMachineThread));
    EXPECT_FALSE(hasThread(kGenericMixer, NEDriverParams::StandardCommandsThread));
    EXPECT_TRUE(hasThread(kDispenser1, NEDriverParams::ConfigurationCommandsThread));
    EXPECT_TRUE(store->existSession(driverID(), kGenericMixer));
    EXPECT_EQ(store->getSharedConfiguration(driverID()).numOfMachines(), 0);
    M::instance()->stopDriversComm(-1, true);

    // Level 1 without mixers: active machines polled, no mixer session.
    log.entries.clear();
    ASSERT_TRUE(M::instance()->startDriversComm(QStringLiteral("bench"), connection()));
    EXPECT_EQ(log.entries, QStringList({"S1", "C1:1:0", "S8", "C8:1:0"}));
    EXPECT_TRUE(hasThread(kGenericDispenser, NEDriverParams::ActiveMachineThread));
    EXPECT_FALSE(hasThread(kGenericMixer, NEDriverParams::ActiveMachineThread));
    EXPECT_FALSE(hasThread(kGenericDispenser, NEDriverParams::ConnectionStatusThread));
    EXPECT_FALSE(store->existSession(driverID(), kGenericMixer));
    EXPECT_FALSE(hasThread(kMixer2, NEDriverParams::ConfigurationCommandsThread)) << "mixers are not managed";
}

TEST_F(CommManagerTest, ShortCommandsKeepToTheProbesConnection)
{
    ASSERT_NO_FATAL_FAILURE(startLevelZero(true));
    DriverSimulator &sim = driver->simulator();
    // The probe's connection carried the logins and the version; the
    // command threads of three machines opened none. (A caller whose claim
    // meets the thread's own look at its queue hands the command to the
    // thread, which then connects: at most one more.)
    const uint64_t afterStart = sim.connectionsAccepted();
    EXPECT_LE(afterStart, 2u);
    QVersionNumber version;
    ASSERT_TRUE(NECmdManager::getDriverVersion(driverID(), version));
    ASSERT_TRUE(NECmdManager::loadCalibrationProfiles(driverID(), 0)); // the generic dispenser's queue
    const uint64_t afterCommands = sim.connectionsAccepted();
    EXPECT_LE(afterCommands, afterStart + 1);

    // Two callers at once: one of them opens a connection of its thread's own.
    sim.setMethodDelay("AXO.execute", 1000);
    const uint64_t before = sim.requestsReceived();
    QVersionNumber other;
    std::thread second([&] { NECmdManager::getDriverVersion(driverID(), other); });
    EXPECT_TRUE(sim.waitForRequestsReceived(before + 1, 5000)); // the second caller's call is held
    EXPECT_TRUE(NECmdManager::loadCalibrationProfiles(driverID(), 0));
    second.join();
    sim.setMethodDelay("AXO.execute", -1);
    EXPECT_EQ(other, version);
    EXPECT_GE(sim.connectionsAccepted(), 2u); // two calls at once, two connections

    // A stop closes the kept connection with the threads' own.
    M::instance()->stopDriversComm(-1, true);
    EXPECT_TRUE(sim.waitForOpenConnections(0, 2000)) << sim.openConnections();
}

TEST_F(CommManagerTest, StopEndsACallOnABorrowedConnection)
{
    ASSERT_NO_FATAL_FAILURE(startLevelZero(false));
    DriverSimulator &sim = driver->simulator();
    const uint64_t before = sim.requestsReceived();
    sim.setMethodDelay("AXO.execute", 5000);
    bool read = true;
    QElapsedTimer took;
    std::thread caller([&] {
        QVersionNumber version;
        took.start();
        read = NECmdManager::getDriverVersion(1, version);
    });
    EXPECT_TRUE(sim.waitForRequestsReceived(before + 1, 5000));
    M::instance()->stopDriversComm(-1, true);
    caller.join();
    sim.setMethodDelay("AXO.execute", -1);
    EXPECT_FALSE(read);
    EXPECT_LT(took.elapsed(), 4000) << "the stop ended the call on the lent connection";
    // It is not kept for a later driver: once the driver answers into the
    // closed connection, nothing stays open.
    EXPECT_TRUE(sim.waitForOpenConnections(0, 8000)) << sim.openConnections();
}

TEST_F(CommManagerTest, FatalFailuresEndTheStartWithTheirCode)
{
    // Nobody listening: nothing is registered. (A local driver is looked
    // for on the ports around its own at once; a remote one is retried.)
    writeSetting(AXOClientSettings::DriverIPKey, QStringLiteral("127.0.0.1"));
    startSimulator();
    const AXODriverConnection gone = connection();
    driver->stop();
    TaskLog log;
    EXPECT_FALSE(M::instance()->startAXODriverComm(QStringLiteral("x"), gone, AXOCommData::CommLevel2, true));
    EXPECT_EQ(log.entries, QStringList({"S1", "C1:0:0"}));
    EXPECT_TRUE(AXOCommData::instance()->getDriverIDs().isEmpty());

    // A refused login: the driver stays registered with its command threads.
    startSimulator();
    driver->model().sessions().setMaxAccess(1);
    log.entries.clear();
    EXPECT_FALSE(M::instance()->startAXODriverComm(QStringLiteral("x"), connection(), AXOCommData::CommLevel2, true));
    EXPECT_EQ(log.entries, QStringList({"S1", "C1:0:0"}));
    EXPECT_TRUE(genericCodes().contains(QStringLiteral("TE00304"))) << qPrintable(genericCodes().join(' '));
    EXPECT_TRUE(hasThread(kGenericDispenser, NEDriverParams::StandardCommandsThread));
    M::instance()->stopDriversComm(driverID(), true);
    EXPECT_TRUE(AXOCommData::instance()->getDriverIDs().isEmpty());

    // Unreadable profiles, unreadable configuration.
    const struct {
        const char *command;
        const char *code;
        QStringList phases;
    } refusals[] = {
        {"GET_CALIB_PROFILES", "TE00348", {"S1", "C1:1:0", "S2", "C2:0:0"}},
        {"GET_CONFIG", "TE00306", {"S1", "C1:1:0", "S2", "C2:1:0", "S4", "C4:0:0"}},
    };
    for (const auto &refusal : refusals) {
        startSimulator();
        refuse(QLatin1String(refusal.command));
        log.entries.clear();
        EXPECT_FALSE(M::instance()->startAXODriverComm(QStringLiteral("x"), connection(), AXOCommData::CommLevel2, true));
        EXPECT_EQ(log.entries, refusal.phases) << refusal.command;
        EXPECT_TRUE(genericCodes().contains(QLatin1String(refusal.code))) << qPrintable(genericCodes().join(' '));
        M::instance()->stopDriversComm(-1, true);
    }
}

TEST_F(CommManagerTest, ConfigurationDecidesTheMessages)
{
    // A dispenser without circuits: unsupported configuration.
    SimScenario broken = SimScenario::defaultScenario();
    broken.configuration().getDispenserById(1)->setCircuits({});
    startSimulator(broken);
    TaskLog log;
    EXPECT_FALSE(M::instance()->startAXODriverComm(QStringLiteral("x"), connection(), AXOCommData::CommLevel2, true));
    EXPECT_EQ(log.entries.last(), QStringLiteral("C4:0:1"));
    bool found = false;
    for (const FW_Error &error : AXOCommData::instance()->getErrorList(driverID(), kGenericDispenser)) {
        if (error.errorCode() == QLatin1String("TE00562")) {
            found = true;
            EXPECT_EQ(error.errorMsg(), QStringLiteral("Unsupported configuration file (TE90006)"));
        }
    }
    EXPECT_TRUE(found);
    M::instance()->stopDriversComm(-1, true);

    // No machine in service: the start succeeds with message 2 and the
    // configuration's first machine becomes the current one.
    SimScenario idle = SimScenario::defaultScenario();
    idle.setActive(kDispenser1, false);
    idle.setActive(kMixer2, false);
    startSimulator(idle);
    log.entries.clear();
    EXPECT_TRUE(M::instance()->startAXODriverComm(QStringLiteral("x"), connection(), AXOCommData::CommLevel2, true));
    EXPECT_EQ(log.entries.last(), QStringLiteral("C8:1:2"));
    EXPECT_EQ(AXOCurrentCommData::instance()->currentMachineID(), kDispenser1);
    M::instance()->stopDriversComm(-1, true);

    // A machine of a model this software does not know is only a warning.
    SimScenario newer = SimScenario::defaultScenario();
    newer.configuration().getMixerById(2)->setModel(77);
    startSimulator(newer);
    log.entries.clear();
    EXPECT_TRUE(M::instance()->startAXODriverComm(QStringLiteral("x"), connection(), AXOCommData::CommLevel2, true));
    EXPECT_TRUE(log.entries.contains(QStringLiteral("C4:1:4"))) << qPrintable(log.entries.join(' '));
}

TEST_F(CommManagerTest, SettingsFileChoosesTlsOrPlain)
{
    writeSetting(AXOClientSettings::UseOpenSslKey, true);
    startSimulator(SimScenario::defaultScenario(), DriverSimulator::Tls);
    EXPECT_TRUE(M::instance()->startAXODriverEncryptedOrNot(QStringLiteral("x"), QStringLiteral("127.0.0.1"),
                                                            driver->port(), AXOCommData::CommLevel1));
    const NEDriverParams params = AXOCommData::instance()->getDriverParamsForDriver(driverID());
    EXPECT_FALSE(params.axoDriverConnection()->certPath().isEmpty());
    EXPECT_TRUE(QFile::exists(params.axoDriverConnection()->certPath()));
    EXPECT_TRUE(AXOCommData::instance()->existSession(driverID(), kGenericMixer)) << "mixers are always managed";
    M::instance()->stopDriversComm(-1, true);

    // Without the key: plain, and the certificate file is written all the same.
    QFile::remove(AXOClientSettings::filePath());
    startSimulator();
    EXPECT_TRUE(M::instance()->startAXODriverEncryptedOrNot(QStringLiteral("x"), QStringLiteral("127.0.0.1"),
                                                            driver->port(), AXOCommData::CommLevel1));
    EXPECT_TRUE(AXOCommData::instance()->getDriverParamsForDriver(driverID()).axoDriverConnection()->certPath().isEmpty());
}

TEST(CommManagerTexts, TasksAndMessagesHaveTheirTexts)
{
    EXPECT_EQ(M::CommTaskStr(M::CommInit), QStringLiteral("Communication init"));
    EXPECT_EQ(M::CommTaskStr(M::CommStart), QStringLiteral("Communication start"));
    EXPECT_EQ(M::CommTaskStr(static_cast<M::CommTasks>(3)), QString());
    EXPECT_EQ(M::CommMgsIDStr(M::NoMachineConnected), QStringLiteral("No machine connected load"));
    EXPECT_EQ(M::CommMgsIDStr(static_cast<M::CommMgsID>(9)), QString());
}

} // namespace
