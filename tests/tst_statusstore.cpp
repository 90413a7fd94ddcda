// The data store's status tracking and configuration: which update emits
// which change signal, the previous generation of the status lists, errors
// on a machine and its generic record, activity through the command
// threads, and the configuration edits with their signals.

#include "AXOClientSettings.h"
#include "AXOCommData.h"
#include "DispenserDriverStatusAnswer.h"
#include "FW_Mixer.h"
#include "HostSpy.h"
#include "QuietErrors.h"
#include "WeightAnswer.h"

#include <QtCore/QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const MachineID kDispenser1(1, MachineID::Dispenser);
const MachineID kDispenser2(2, MachineID::Dispenser);
const MachineID kMixer3(3, MachineID::Mixer);

DispenserStatus dispenser(int number, bool active, int revision = 1)
{
    DispenserStatus status(MachineID(number, MachineID::Dispenser));
    status.setActive(active);
    status.setCircuitsCount(16);
    status.setConfigID(ConfigID(status.machineID(), revision));
    return status;
}

class StatusStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv(AXOClientSettings::RootEnvironmentVariable, settingsRoot.path().toUtf8());
        store = AXOCommData::instance();
        store->addDriverParams(NEDriverParams(driverID, AXODriverConnection(QStringLiteral("127.0.0.1"), 1)));
        store->updateMachineDataList(driverID, {kDispenser1, kDispenser2}, MachineID::Dispenser);
        store->updateMachineDataList(driverID, {kMixer3}, MachineID::Mixer);
    }
    void TearDown() override
    {
        AXOCommData::drop();
        qunsetenv(AXOClientSettings::RootEnvironmentVariable);
    }

    QuietErrors quiet;
    QTemporaryDir settingsRoot;
    AXOCommData *store = nullptr;
    const int driverID = 1;
};

} // namespace

TEST_F(StatusStoreTest, DispenserListsSignalRelevantChangesAndKeepThePreviousGeneration)
{
    HostSpy dispensers(store, &AXOCommData::NEDispenserStatusListChanged);
    HostSpy machines(store, &AXOCommData::NEMachineStatusListChanged);

    // The first list compares against none: every active dispenser is new.
    ASSERT_TRUE(store->setDispenserStatusList(driverID, {dispenser(1, true), dispenser(2, false)}, false));
    EXPECT_EQ(dispensers.size(), 1);
    EXPECT_EQ(store->getLastConnectedDispensers(driverID), QList<int>{1});
    EXPECT_TRUE(store->getDispenserStatusList_OLD(driverID).isEmpty());

    // The same list again: no signal, but it moves on to the previous slot.
    ASSERT_TRUE(store->setDispenserStatusList(driverID, {dispenser(1, true), dispenser(2, false)}, true));
    EXPECT_EQ(dispensers.size(), 1);
    EXPECT_EQ(machines.size(), 1) << "asked for";
    EXPECT_TRUE(store->getLastConnectedDispensers(driverID).isEmpty());

    // Dispenser 2 comes, 1 goes.
    store->setDispenserStatusList(driverID, {dispenser(1, false), dispenser(2, true)}, false);
    EXPECT_EQ(dispensers.size(), 2);
    EXPECT_EQ(store->getLastConnectedDispensers(driverID), QList<int>{2});
    EXPECT_EQ(store->getLastDisconnectedDispensers(driverID), QList<int>{1});
    EXPECT_EQ(store->getActiveDispenserIDs(driverID), QList<int>{2});

    // A new configuration revision of an active machine counts as reconfigured.
    store->setDispenserStatusList(driverID, {dispenser(1, false), dispenser(2, true, 2)}, false);
    EXPECT_EQ(store->getLastConnectedOrReconfiguredMachineIDs(driverID), QList<MachineID>{kDispenser2});

    // Unknown drivers change nothing.
    EXPECT_FALSE(store->setDispenserStatusList(99, {dispenser(1, true)}, true));
    EXPECT_FALSE(store->setMixerStatusList(99, {}));

    // All inactive: still listed, none active, the last real answer kept as previous.
    ASSERT_TRUE(store->setAllDispensersInactive(driverID));
    EXPECT_TRUE(store->getActiveDispenserIDs(driverID).isEmpty());
    EXPECT_TRUE(store->containsDispenserID(driverID, 2));
    EXPECT_EQ(store->getLastDisconnectedDispensers(driverID), QList<int>{2});
    EXPECT_TRUE(store->removeDispenserStatus(driverID, 2, false));
    EXPECT_FALSE(store->containsDispenserID(driverID, 2));
}

TEST_F(StatusStoreTest, CombinedMachineListAlwaysSignalsAndSplitsByKind)
{
    HostSpy machines(store, &AXOCommData::NEMachineStatusListChanged);
    HostSpy mixers(store, &AXOCommData::NEMixerStatusListChanged);
    MixerStatus mixer(kMixer3);
    mixer.setActive(true);
    DispenserStatus one = dispenser(1, true);
    const QList<MachineStatus *> list{&one, &mixer};
    EXPECT_TRUE(store->setMachineStatusList(driverID, list));
    EXPECT_TRUE(store->setMachineStatusList(driverID, list));
    EXPECT_EQ(machines.size(), 2) << "signalled even when nothing changed";
    EXPECT_EQ(mixers.size(), 1);
    EXPECT_EQ(store->getActiveMixerIDs(driverID), QList<int>{3});
    EXPECT_EQ(store->getActiveMachineIDs(driverID, MachineID::AllTypes), (QList<MachineID>{kDispenser1, kMixer3}));
    std::unique_ptr<MachineStatus> found(store->getMachineStatusByMachineID(driverID, kMixer3));
    ASSERT_TRUE(found);
    EXPECT_TRUE(found->isActive());
}

TEST_F(StatusStoreTest, ActivityNeedsTheMachinesStandardThreadRunning)
{
    store->setDispenserStatusList(driverID, {dispenser(1, true)}, false);
    // Listed and active, but no standard command thread: not active for commands.
    EXPECT_FALSE(store->isActiveDispenser(driverID, 1));
    EXPECT_EQ(store->getActiveDispenserIDs(driverID), QList<int>{1});

    DispenserDriverStatusAnswer status;
    status.setMachineID(kDispenser1);
    status.setActiveMachine(true);
    status.setAcceptCommands(true);
    HostSpy dispenserSignal(store, &AXOCommData::NEDispenserDriverStatusChangedSignal);
    HostSpy machineSignal(store, &AXOCommData::NEMachineDriverStatusChangedSignal);
    store->setCurrentMachineStatus(driverID, kDispenser1, &status);
    store->setCurrentMachineStatus(driverID, kDispenser1, &status);
    EXPECT_EQ(dispenserSignal.size(), 2) << "every update signals";
    EXPECT_EQ(machineSignal.size(), 2);
    EXPECT_TRUE(store->hasPreviousDispenserStatus(driverID, 1));
    EXPECT_TRUE(store->isDispenserAvailable(driverID, 1));
    EXPECT_TRUE(store->isDispenserUnavailable(driverID, 2)) << "no status: unavailable";
    // A status of the board is only handed out for an active dispenser.
    EXPECT_EQ(store->dispenserStatus(driverID, 1), nullptr);
}

TEST_F(StatusStoreTest, ErrorsOnAMachineAndItsGenericRecord)
{
    HostSpy updated(store, &AXOCommData::NEErrorListUpdated);
    const FW_DriverError driverError(QStringLiteral("Driver lost"), QStringLiteral("TE00005"));
    const FW_HwError hardware(QStringLiteral("Canister 7 empty"), QStringLiteral("TE30007"));
    store->setError(driverID, kDispenser1, driverError, false, AXOCommData::EmitOnNew);
    store->setError(driverID, kDispenser1, driverError, false, AXOCommData::EmitOnNew);
    ASSERT_EQ(updated.size(), 2);
    EXPECT_TRUE(updated.at(0).at(2).toBool());
    EXPECT_FALSE(updated.at(1).at(2).toBool()) << "already listed";
    EXPECT_EQ(store->getErrorHistoryList(driverID, kDispenser1).size(), 2);
    EXPECT_EQ(store->getErrorList(driverID, kDispenser1).at(0).machineType(), int(MachineID::Dispenser));
    FW_ErrorList board;
    board.append(hardware);
    store->appendErrorList(driverID, kDispenser1, board);
    FW_ErrorList generic;
    generic.append(FW_HwError(QStringLiteral("Generic"), QStringLiteral("TE30001")));
    store->appendErrorList(driverID, MachineID(0, MachineID::Dispenser), generic);

    // Clearing all but driver errors works on the machine and the generic dispenser.
    store->clearErrorList(driverID, kDispenser1, false);
    EXPECT_EQ(store->getErrorList(driverID, kDispenser1).size(), 1);
    EXPECT_TRUE(store->getErrorList(driverID, MachineID(0, MachineID::Dispenser)).isEmpty());
    EXPECT_TRUE(updated.records().last().at(2).toBool()) << "a board error went";
    EXPECT_EQ(store->getFilteredErrorList(driverID, kDispenser1, {FW_Error::DriverError}).size(), 1);
    store->clearErrorListTypes(driverID, kDispenser1, {FW_Error::DriverError});
    EXPECT_TRUE(store->getErrorList(driverID, kDispenser1).isEmpty());
}

TEST_F(StatusStoreTest, FirmwareWeightAndCleaningSignalOnlyOnChange)
{
    HostSpy firmware(store, &AXOCommData::NEFirmwareVersionChangedSignal);
    HostSpy program(store, &AXOCommData::NEFirmwareProgramChangedSignal);
    HostSpy weight(store, &AXOCommData::NECurrentScaleWeightChangedSignal);
    const FW_Program fw(1, QStringLiteral("MAB"), FW_Version(3, 2, 1, 7, 4));
    store->setFwProgram(driverID, kDispenser1, fw);
    store->setFwProgram(driverID, kDispenser1, fw);
    EXPECT_EQ(firmware.size(), 1);
    EXPECT_EQ(store->fwConfigVersion(driverID, kDispenser1), 7);
    EXPECT_EQ(store->fwProtocolVersion(driverID, kDispenser1), 4);
    store->setBootLoaderActive(driverID, kDispenser1, true);
    store->setBootLoaderActive(driverID, kDispenser1, true);
    EXPECT_EQ(program.size(), 1);
    EXPECT_FALSE(store->isApplicationProgramActive(driverID, kDispenser1));
    EXPECT_TRUE(store->isApplicationProgramActive(driverID, MachineID(9, MachineID::Dispenser)));

    WeightAnswer answer;
    store->setWeightAnswer(driverID, 1, &answer);
    store->setWeightAnswer(driverID, 1, &answer);
    store->setWeightAnswer(driverID, 1, nullptr);
    EXPECT_EQ(weight.size(), 2) << "an equal answer is not news; none always is";
    EXPECT_EQ(store->weightAnswer(driverID, 1), nullptr);
}

TEST_F(StatusStoreTest, ConfigurationEditsAndTheirSignals)
{
    HostSpy configuration(store, &AXOCommData::NEConfigurationChanged);
    HostSpy defaults(store, &AXOCommData::NEDefaultCalibrationProfilesChanged);
    HostSpy custom(store, &AXOCommData::NECustomCalibrationProfilesChanged);

    FW_Dispenser one(1);
    EXPECT_TRUE(store->saveDispenser(driverID, one)); // added
    EXPECT_TRUE(store->saveDispenser(driverID, one)); // replaced
    EXPECT_FALSE(store->addDispenser(driverID, one)) << "already there";
    EXPECT_EQ(configuration.size(), 2);
    EXPECT_EQ(store->getNumOfDispensers(driverID, false), 1);
    EXPECT_TRUE(store->existsMachineID(driverID, kDispenser1));
    ASSERT_TRUE(store->getMachine(driverID, kDispenser1));
    FW_Mixer mixer(3);
    EXPECT_TRUE(store->saveMachine(driverID, &mixer));
    EXPECT_EQ(store->getNumOfMachines(driverID, false), 2);
    EXPECT_TRUE(store->removeMachine(driverID, kMixer3));
    EXPECT_TRUE(store->removeMachine(driverID, kDispenser1)) << "the last one goes too";
    EXPECT_EQ(store->getNumOfMachines(driverID, false), 0);
    EXPECT_EQ(configuration.size(), 5);

    EXPECT_FALSE(store->setDriverConfiguration(driverID, 2, FW_Configuration()));
    EXPECT_FALSE(store->existsAFactoryConfiguration(driverID));
    FW_Configuration factory;
    factory.addDispenser(FW_Dispenser(4));
    EXPECT_TRUE(store->setDriverConfiguration(driverID, 1, factory));
    EXPECT_TRUE(store->existsAFactoryConfiguration(driverID));
    EXPECT_EQ(configuration.size(), 5) << "the factory configuration is not announced";

    store->setCalibrationProfiles(driverID, FW_CalibrationProfiles(), true, true);
    store->setCalibrationProfiles(driverID, FW_CalibrationProfiles(), false, false);
    EXPECT_EQ(defaults.size(), 1);
    EXPECT_EQ(custom.size(), 1);
}

TEST_F(StatusStoreTest, CommandListsDecideWhatIsSupported)
{
    EXPECT_TRUE(store->isCommandSupported(driverID, kDispenser1, QStringLiteral("ANYTHING"))) << "nothing known";
    EXPECT_EQ(store->getCommandVersion(driverID, kDispenser1, QStringLiteral("TINT")), 0);
    store->setCommandList(driverID, kDispenser1,
                          {ProtocolCommandInfo(QStringLiteral("TINT"), 3), ProtocolCommandInfo(QStringLiteral("RESET"), 1)});
    EXPECT_TRUE(store->areCommandsSupported(driverID, kDispenser1, {QStringLiteral("TINT"), QStringLiteral("RESET")}));
    EXPECT_FALSE(store->isCommandSupported(driverID, kDispenser1, QStringLiteral("PURGE")));
    EXPECT_TRUE(store->areCommandsSupported(driverID, kDispenser1, {}));
    EXPECT_EQ(store->getCommandVersion(driverID, kDispenser1, QStringLiteral("TINT")), 3);
}
