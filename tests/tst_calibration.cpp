// Configuration edits, calibration data, settings, timed processes and the
// firmware scan of the command API against the simulated driver.

#include "StartedDriver.h"

#include "AXOCurrentCommData.h"
#include "CalibrationData.h"
#include "CircuitGravSettings.h"
#include "FW_Dispenser.h"
#include "FW_Program.h"
#include "MachineStatusAnswer.h"
#include "NECommand.h"
#include "ToggleTemporizedCmd.h"

#include <QtCore/QTemporaryFile>

#include <atomic>

using started::hasCode;

namespace {

const MachineID kDispenser(1, MachineID::Dispenser);
const MachineID kMixer(2, MachineID::Mixer);

} // namespace

class CalibrationTest : public StartedDriverTest
{
protected:
    //! Counts the commands of that name the store enqueues from now on.
    std::shared_ptr<std::atomic<int>> countEnqueued(const QString &name)
    {
        auto count = std::make_shared<std::atomic<int>>(0);
        QObject::connect(
            store, &AXOCommData::NECommandEnqueuedSignal, store,
            [count, name](const NECommand &cmd) {
                if (cmd.command() == name)
                    ++*count;
            },
            Qt::DirectConnection);
        return count;
    }
};

TEST_F(CalibrationTest, SavedConfigurationsAreReadBack)
{
    ASSERT_TRUE(NECmdManager::loadConfiguration(driverID, true));
    std::unique_ptr<FW_Machine> dispenser = store->getMachine(driverID, kDispenser);
    ASSERT_TRUE(dispenser);
    const int revision = dispenser->revision();
    dispenser->setName(QStringLiteral("Renamed"));
    ASSERT_TRUE(NECmdManager::saveConfiguration(driverID, dispenser.get(), false, true));
    ASSERT_TRUE(NECmdManager::loadConfiguration(driverID, true));
    std::unique_ptr<FW_Machine> reread = store->getMachine(driverID, kDispenser);
    EXPECT_EQ(reread->name(), QStringLiteral("Renamed"));
    EXPECT_EQ(reread->revision(), revision + 1);
    EXPECT_EQ(reread->cid(), QStringLiteral("tests")); // stamped with the client ID

    // The whole configuration: every machine comes back as a new revision.
    FW_Configuration configuration = store->getSharedConfiguration(driverID);
    configuration.getMachineByMachineID(kMixer)->setName(QStringLiteral("Mixer B"));
    ASSERT_TRUE(NECmdManager::saveConfiguration(driverID, configuration, true, true, false));
    EXPECT_TRUE(store->getSharedConfiguration(driverID) == configuration);
    ASSERT_TRUE(NECmdManager::loadConfiguration(driverID, true));
    for (FW_Machine *machine : configuration.getMachines())
        machine->setRevision(machine->revision() + 1);
    EXPECT_TRUE(store->getSharedConfiguration(driverID) == configuration);

    // A factory save reloads the factory and the working configuration.
    reread->setName(QStringLiteral("Factory name"));
    ASSERT_TRUE(NECmdManager::saveFactoryConfiguration(driverID, reread.get(), true));
    EXPECT_EQ(store->getFactoryConfiguration(driverID).getMachineByMachineID(kDispenser)->name(),
              QStringLiteral("Factory name"));
    EXPECT_EQ(store->getSharedConfiguration(driverID).getMachineByMachineID(kMixer)->name(),
              QStringLiteral("Mixer B"));
}

TEST_F(CalibrationTest, CloneGivesANewMachineWithTheSourceConfiguration)
{
    MachineID created;
    ASSERT_TRUE(NECmdManager::cloneConfiguration(driverID, kDispenser, created, false));
    EXPECT_EQ(created, MachineID(3, MachineID::Dispenser));
    ASSERT_TRUE(NECmdManager::loadConfiguration(driverID, true));
    const FW_Dispenser clone = store->getDispenser(driverID, 3);
    EXPECT_EQ(clone.circuits().size(), store->getDispenser(driverID, 1).circuits().size());

    // An unknown source is refused: the operation's code and the driver's.
    MachineID none;
    EXPECT_FALSE(NECmdManager::cloneConfiguration(driverID, MachineID(9, MachineID::Dispenser), none, false));
    EXPECT_EQ(none, MachineID());
}

TEST_F(CalibrationTest, ACloneIsActivatedStoredAsItIsAndListed)
{
    MachineID created;
    ASSERT_TRUE(NECmdManager::cloneConfiguration(driverID, kDispenser, created, false));
    // A clone starts out of service; activated in place of none, it is in.
    ASSERT_TRUE(NECmdManager::setActiveMachine(driverID, created, MachineID(0, MachineID::Dispenser), true, true));
    EXPECT_TRUE(started::waitFor([&] { return store->isActiveDispenser(driverID, created.machineNumber); }));
    QList<int> dispensers;
    ASSERT_TRUE(NECmdManager::getDispenserList(driverID, dispensers));
    EXPECT_TRUE(dispensers.contains(created.machineNumber));
    QList<int> mixers;
    ASSERT_TRUE(NECmdManager::getMixerList(driverID, mixers));
    EXPECT_EQ(mixers, QList<int>{kMixer.machineNumber});

    // Stored as it is: the driver keeps the revision it is given.
    ASSERT_TRUE(NECmdManager::loadConfiguration(driverID, true));
    std::unique_ptr<FW_Machine> clone = store->getMachine(driverID, created);
    ASSERT_TRUE(clone);
    clone->setName(QStringLiteral("Clone"));
    const auto updates = countEnqueued(QStringLiteral("UPDATE_DB_CONFIGURATION"));
    ASSERT_TRUE(NECmdManager::updateDbConfiguration(driverID, clone.get()));
    EXPECT_TRUE(started::waitFor([&] {
        NECmdManager::loadConfiguration(driverID, true);
        const std::unique_ptr<FW_Machine> reread = store->getMachine(driverID, created);
        return reread && reread->name() == QStringLiteral("Clone") && reread->revision() == clone->revision();
    }));
    EXPECT_EQ(updates->load(), 1);

    // A backup the driver's host does not have is refused.
    EXPECT_FALSE(NECmdManager::ImportBackupDataToDb(driverID, QStringLiteral("/no/such/backup.zip"),
                                                    QStringLiteral("/tmp"), QStringLiteral("b.db")));
}

TEST_F(CalibrationTest, CalibrationDataRoundTrips)
{
    ASSERT_TRUE(NECmdManager::loadCalibrationProfiles(driverID, 1));
    FW_CalibrationProfiles profiles = store->getSharedCalibrationProfiles(driverID);
    FW_CalibrationProfiles::Profile custom;
    custom.pumpModel = 1;
    custom.name = QStringLiteral("measured");
    custom.custom = true;
    custom.points = {{1.0, 1.02}, {10.0, 0.99}};
    ASSERT_TRUE(profiles.setProfile(custom));
    ASSERT_TRUE(NECmdManager::saveCalibrationProfiles(driverID, 1, profiles, true, false));
    const FW_CalibrationProfiles customs = store->getCustomCalibrationProfiles(driverID);
    ASSERT_TRUE(customs.profile(1, true));
    EXPECT_EQ(*customs.profile(1, true), custom);

    QList<CalibrationData> all;
    ASSERT_TRUE(NECmdManager::getCalibrationList(driverID, 1, 0, all));
    EXPECT_EQ(all.size(), 16 * 3);
    const QList<CalibrationData> circuit2 = {CalibrationData(2, 2.0, 1.05, 2100, 2.6),
                                             CalibrationData(2, 20.0, 0.98, 19600, 26.0)};
    ASSERT_TRUE(NECmdManager::setCalibrationList(driverID, 1, circuit2));
    QList<CalibrationData> reread;
    ASSERT_TRUE(NECmdManager::getCalibrationList(driverID, 1, 2, reread));
    EXPECT_EQ(reread, circuit2);
    ASSERT_TRUE(NECmdManager::getCalibrationList(driverID, 1, 0, all));
    EXPECT_EQ(all.size(), 15 * 3 + 2); // other circuits keep theirs

    const QList<BasicCalibrationData> recalibration = {BasicCalibrationData(4, 3.0, 1.1)};
    ASSERT_TRUE(NECmdManager::setRecalibrationList(driverID, 1, recalibration));
    QList<BasicCalibrationData> recalibrated;
    ASSERT_TRUE(NECmdManager::getRecalibrationList(driverID, 1, 4, recalibrated));
    EXPECT_EQ(recalibrated, recalibration);

    // QR codes: the same data in more, smaller codes at a lower density.
    QStringList low, high;
    ASSERT_TRUE(NECmdManager::getQRCodeData(driverID, 1, QRCodeLow, low));
    ASSERT_TRUE(NECmdManager::getQRCodeData(driverID, 1, QRCodeHigh, high));
    EXPECT_GT(low.size(), high.size());
    for (const QString &code : low)
        EXPECT_LE(code.size(), qrCodeCapacity(QRCodeLow));
    auto payload = [](const QStringList &codes) {
        QString text;
        for (const QString &code : codes)
            text += code.section(QLatin1Char('/'), 3);
        return text;
    };
    EXPECT_EQ(payload(low), payload(high));
    EXPECT_TRUE(payload(low).contains(QStringLiteral("2,20.000,0.980,19600,26.000;")));
}

TEST_F(CalibrationTest, SettingsRoundTripAndRefusalsLandInTheStore)
{
    QList<CircuitGravSettings> grav;
    ASSERT_TRUE(NECmdManager::getGravimetricSettings(driverID, 1, {}, grav));
    EXPECT_EQ(grav.size(), 16);
    const QList<CircuitGravSettings> changed = {CircuitGravSettings(3, true, 1.5, 0.2)};
    ASSERT_TRUE(NECmdManager::setGravimetricSettings(driverID, 1, changed));
    ASSERT_TRUE(NECmdManager::getGravimetricSettings(driverID, 1, {3}, grav));
    EXPECT_EQ(grav, changed);

    // A circuit the dispenser lacks: refused by the driver.
    EXPECT_FALSE(NECmdManager::setGravimetricSettings(driverID, 1, {CircuitGravSettings(40, true, 1.0, 0.1)}));
    const FW_ErrorList errors = store->getErrorList(driverID, kDispenser);
    EXPECT_TRUE(hasCode(errors, QStringLiteral("TE00465")));
    EXPECT_TRUE(hasCode(errors, QStringLiteral("TE10004")));

    DriverSettings settings;
    ASSERT_TRUE(NECmdManager::getDriverSettings(driverID, settings));
    settings.setLanguage(QStringLiteral("it"));
    ASSERT_TRUE(NECmdManager::setDriverSettings(driverID, settings));
    DriverSettings stored;
    ASSERT_TRUE(store->getDriverSettings(driverID, stored));
    EXPECT_EQ(stored, settings);
    // Named values change those only.
    ASSERT_TRUE(NECmdManager::setDriverSettings(driverID, QHash<QString, QVariant>{{QStringLiteral("logLevel"), 4}}));
    DriverSettings reread;
    ASSERT_TRUE(NECmdManager::getDriverSettings(driverID, reread));
    EXPECT_EQ(reread.logLevel(), 4);
    EXPECT_EQ(reread.language(), QStringLiteral("it"));
    EXPECT_FALSE(NECmdManager::setDriverSettings(driverID, QHash<QString, QVariant>{{QStringLiteral("bogus"), 1}}));
    EXPECT_TRUE(hasCode(store->getErrorList(driverID, started::kGenericDispenser), QStringLiteral("TE00463")));
}

TEST_F(CalibrationTest, TimedProcessesAndFileImports)
{
    ASSERT_TRUE(NECmdManager::toggleTemporizedProcesses(driverID, 1, true, 30));
    EXPECT_EQ(model().timedProcessesOff(1), ToggleTemporizedCmd::disableAllMovementProcessesMask());
    EXPECT_TRUE(started::waitFor([&] {
        const std::unique_ptr<MachineStatusAnswer> status = store->machineStatus(driverID, kDispenser);
        return status && status->hasWarning();
    })) << "the status does not show the processes off";
    ASSERT_TRUE(NECmdManager::toggleTemporizedProcesses(driverID, 1, false, 0));
    EXPECT_EQ(model().timedProcessesOff(1),
              ToggleTemporizedCmd::disableAllMovementProcessesMask() & ~ToggleTemporizedCmd::defaultProcessMask());

    const auto imports = countEnqueued(QStringLiteral("CALIB_XML_TO_DB"));
    EXPECT_FALSE(NECmdManager::CalibrationXmlToDb(driverID, QStringLiteral("/no/such/file.xml"),
                                                  QStringLiteral("/tmp"), QStringLiteral("c.db")));
    EXPECT_EQ(imports->load(), 0);
    QTemporaryFile xml;
    ASSERT_TRUE(xml.open());
    EXPECT_TRUE(NECmdManager::CalibrationXmlToDb(driverID, xml.fileName(), QStringLiteral("/tmp"),
                                                 QStringLiteral("c.db")));
    EXPECT_EQ(imports->load(), 1);
    // Not checked here: the driver finds no such file on its host.
    EXPECT_FALSE(NECmdManager::DispensingTestXmlToDb(driverID, QStringLiteral("/no/such/test.xml"),
                                                     QStringLiteral("/tmp"), QStringLiteral("t.db")));
}

TEST_F(CalibrationTest, FirmwareScanNeedsTheCommand)
{
    AXOCurrentCommData *current = AXOCurrentCommData::instance();
    current->setCurrentDriverID(driverID);
    ASSERT_TRUE(current->setCurrentMachineID(kDispenser));
    store->setCommandList(driverID, kDispenser, {ProtocolCommandInfo(QStringLiteral("READ_FW_VERSION"), 1)});
    QList<FW_Program> programs;
    ASSERT_TRUE(NECmdManager::scanAllFirmwareVersion(driverID, kDispenser, programs));
    ASSERT_EQ(programs.size(), 1);
    EXPECT_TRUE(programs.first().name().endsWith(QStringLiteral(" main")));

    ASSERT_TRUE(NECmdManager::refreshCommandList(driverID, kDispenser));
    ASSERT_TRUE(current->isCommandSupported(QStringLiteral("FW_SCAN")));
    programs.clear();
    ASSERT_TRUE(NECmdManager::scanAllFirmwareVersion(driverID, kDispenser, programs));
    ASSERT_EQ(programs.size(), 3);
    EXPECT_TRUE(programs.at(1).name().endsWith(QStringLiteral(" slave 1")));
    EXPECT_EQ(programs.at(1).version(), programs.first().version());
}

// Without the active-machines thread no status is stored.
class CalibrationWithoutStatusTest : public CalibrationTest
{
protected:
    bool followActiveMachines() const override { return false; }
};

TEST_F(CalibrationWithoutStatusTest, TimedProcessesNeedAStoredStatus)
{
    const auto toggles = countEnqueued(QStringLiteral("TOGGLE_TEMPORIZED"));
    EXPECT_FALSE(NECmdManager::toggleTemporizedProcesses(driverID, 1, true, 0));
    EXPECT_EQ(toggles->load(), 0);
    EXPECT_EQ(model().timedProcessesOff(1), 0);
    const FW_ErrorList errors = store->getErrorList(driverID, kDispenser);
    ASSERT_TRUE(hasCode(errors, QStringLiteral("TE00418")));
    for (const FW_Error &error : errors) {
        if (error.errorCode() == QLatin1String("TE00418")) {
            EXPECT_EQ(error.errorMsg(), QStringLiteral("Cannot disable timed processes."));
        }
    }
}
