// The command API's lists, driver data, files and formula recovery against
// the simulated driver, and the reactions that keep levels and the
// ultrasonic cleaner's water in the store.

#include "AXOCurrentCommData.h"
#include "CanisterData.h"
#include "CircuitData.h"
#include "ColorantsPOSList.h"
#include "DeviceData.h"
#include "DriverInfo.h"
#include "FormulaProgress.h"
#include "HostSpy.h"
#include "NECommand.h"
#include "NEDispCommand.h"
#include "StartedDriver.h"
#include "TintCmd.h"
#include "UssWaterChangeStatus.h"

#include <QtCore/QFile>
#include <QtCore/QThread>
#include <QtCore/QTemporaryDir>

namespace {

const int kDisp = 1;      // with an ultrasonic cleaner
const int kPlainDisp = 3; // without, and without formula plans
const MachineID kDispenser(kDisp, MachineID::Dispenser);
const MachineID kPlain(kPlainDisp, MachineID::Dispenser);

QStringList enqueuedNames(const HostSpy &spy)
{
    QStringList names;
    for (const QList<QVariant> &record : spy.records())
        names << record.first().value<NECommand>().command();
    return names;
}

// Waits for the simulated dispenser to start without running the host's
// events: the reactions to its status change would query the dispenser
// behind the running formula and hold this thread until it ends.
bool startsWithoutEvents(SimDriverModel &model)
{
    for (int i = 0; i < 500 && !model.isBusy(kDispenser); ++i)
        QThread::msleep(10);
    return model.isBusy(kDispenser);
}

double dosed(const Formula &formula, int position)
{
    double total = 0.0;
    for (const ChannelIngredient &ingredient : formula.ingredients())
        if (ingredient.position() == position)
            total += ingredient.amount();
    return total;
}

} // namespace

class DataOpsTest : public StartedDriverTest
{
protected:
    SimScenario scenario() const override
    {
        SimScenario s = SimScenario::defaultScenario();
        s.setChannelMs(700);
        FW_Dispenser *first = s.configuration().getDispenserById(kDisp);
        first->setDevices({FW_Dispenser::DeviceUltrasonicCleaner});
        FW_Dispenser plain(kPlainDisp);
        plain.setName(QStringLiteral("Dispenser 3"));
        plain.setCircuits({FW_Circuit(1, QStringLiteral("WH1"), 1000.0), FW_Circuit(2, QStringLiteral("WH1"), 1000.0),
                           FW_Circuit(3, QStringLiteral("BK1"), 1000.0, false)});
        s.configuration().addMachine(plain);
        for (int position = 1; position <= 3; ++position)
            s.setLevel(kPlainDisp, position, 500.0 + position);
        QList<ProtocolCommandInfo> commands;
        for (const char *name : {"GET_DISP_STATUS", "GET_CMD_LIST", "GET_CIRCUIT_LIST", "GET_DEVICE_LIST",
                                 "GET_CANISTER_LIST", "GET_COLORANT_LIST", "TINT", "STOP", "GET_ERRORS"})
            commands << ProtocolCommandInfo(QLatin1String(name), 1);
        s.setCommandList(kPlain, commands);
        return s;
    }
    int accessLevel() const override { return 3; } // SETDBFILE is a factory command

    void SetUp() override
    {
        StartedDriverTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(NECmdManager::loadConfiguration(driverID, true));
        ASSERT_TRUE(NECmdManager::refreshCommandList(driverID, kDispenser));
        ASSERT_TRUE(NECmdManager::refreshCommandList(driverID, kPlain));
        // As a start at level 2 leaves it: the driver's settings known (it
        // simulates, so dispensing follows no formula progress) and current.
        DriverSettings settings;
        ASSERT_TRUE(NECmdManager::getDriverSettings(driverID, settings));
        AXOCurrentCommData::instance()->setCurrentDriverID(driverID);
        ASSERT_FALSE(NECmdManager::isFormulaProgressSupported(driverID, kDisp, false));
    }

    void TearDown() override
    {
        StartedDriverTest::TearDown();
        AXOCurrentCommData::drop(); // no current machine left for the next test
    }
};

TEST_F(DataOpsTest, ListsFollowTheScenario)
{
    QList<CircuitData> circuits;
    ASSERT_TRUE(NECmdManager::getCircuitList(driverID, kPlainDisp, circuits));
    EXPECT_EQ(circuits, (QList<CircuitData>{CircuitData(1, QStringLiteral("WH1"), true, 1000.0),
                                            CircuitData(2, QStringLiteral("WH1"), true, 1000.0),
                                            CircuitData(3, QStringLiteral("BK1"), false, 1000.0)}));
    QList<ColorantsPOSList> colorants;
    ASSERT_TRUE(NECmdManager::getColorantList(driverID, kPlainDisp, colorants));
    ASSERT_EQ(colorants.size(), 2);
    EXPECT_EQ(colorants.at(0).positions(), (QList<int>{1, 2}));
    EXPECT_EQ(colorants.at(1).colorantCode(), QStringLiteral("BK1"));
    QList<CanisterData> canisters;
    ASSERT_TRUE(NECmdManager::getCanisterLevels(driverID, kPlainDisp, canisters));
    ASSERT_EQ(canisters.size(), 3);
    EXPECT_DOUBLE_EQ(canisters.at(1).level(), 502.0);
    QList<DeviceData> devices;
    ASSERT_TRUE(NECmdManager::getDeviceList(driverID, kDisp, devices));
    EXPECT_EQ(devices, QList<DeviceData>{DeviceData(DeviceData::UltrasonicCleaner, true)});
    QList<int> dispensers;
    ASSERT_TRUE(NECmdManager::getDispenserList(driverID, dispensers));
    EXPECT_EQ(dispensers, (QList<int>{kDisp, kPlainDisp}));

    DriverInfo info;
    ASSERT_TRUE(NECmdManager::getDriverInfo(driverID, info));
    EXPECT_EQ(info.version(), SimScenario::defaultScenario().driverVersion());
    EXPECT_EQ(info.machineCount(), 3);
    QVersionNumber version;
    ASSERT_TRUE(NECmdManager::getDriverVersion(driverID, version));
    EXPECT_EQ(version, QVersionNumber::fromString(info.version()));

    // A dispenser the driver does not have: the list is left as it was.
    EXPECT_FALSE(NECmdManager::getCircuitList(driverID, 9, circuits));
    EXPECT_EQ(circuits.size(), 3);
}

TEST_F(DataOpsTest, LevelsFollowDispensingAndTheCanisterList)
{
    auto storedLevel = [&](int position) {
        const FW_Circuit *circuit = store->getDispenser(driverID, kPlainDisp).circuit(position);
        return circuit ? circuit->level() : -1.0;
    };
    // A canister list read by anyone lands in the dispenser record.
    NEDispCommand list(driverID, kPlainDisp, QStringLiteral("GET_CANISTER_LIST"));
    ASSERT_TRUE(NECmdManager::executeCommand(&list, true, true));
    ASSERT_TRUE(started::waitFor([&] { return storedLevel(2) == 502.0; }));

    // A formula dispensed: the reaction reads the levels again.
    const Formula formula({ChannelIngredient(2, QStringLiteral("WH1"), 12.5)}, Formula::CheckLevels, 1);
    const TintCmd tint(formula);
    NEDispCommand cmd(driverID, kPlainDisp, &tint);
    ASSERT_TRUE(NECmdManager::executeCommand(&cmd, true, false));
    ASSERT_TRUE(cmd.isDoneSuccessfully());
    EXPECT_TRUE(started::waitFor([&] { return storedLevel(2) == 489.5; })) << storedLevel(2);
    EXPECT_EQ(storedLevel(1), 501.0);
}

TEST_F(DataOpsTest, DatabaseFilesTravelByteForByte)
{
    ASSERT_TRUE(AXOCurrentCommData::instance()->setCurrentDispenserID(kDisp));
    QTemporaryDir dir;
    QByteArray bytes(3 * 1024 * 1024 + 17, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((static_cast<unsigned>(i) * 7919u) >> 3); // every byte value, zeros included
    const QString path = dir.filePath(QStringLiteral("stats.db"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    ASSERT_TRUE(NECmdManager::SendStatsDbFile(driverID, path));
    QByteArray back;
    ASSERT_TRUE(NECmdManager::GetDbFile(driverID, back, QStringLiteral("stats.db")));
    EXPECT_TRUE(back == bytes);

    QByteArray unchanged("kept");
    EXPECT_FALSE(NECmdManager::GetDbFile(driverID, unchanged, QStringLiteral("nothing.db")));
    EXPECT_EQ(unchanged, QByteArray("kept"));
    EXPECT_TRUE(started::hasCode(store->getErrorList(driverID, started::kGenericDispenser), QStringLiteral("TE00595")));

    QByteArray logs;
    ASSERT_TRUE(NECmdManager::GetLogs(driverID, logs));
    EXPECT_TRUE(logs.contains("stats.db stored"));
    QByteArray settings;
    ASSERT_TRUE(NECmdManager::getRemoteDriverSettings(driverID, settings));
    EXPECT_TRUE(settings.contains("simulation="));
}

TEST_F(DataOpsTest, MissingOrEmptyStatsFileSendsNothing)
{
    HostSpy enqueued(store, &AXOCommData::NECommandEnqueuedSignal);
    QTemporaryDir dir;
    QFile empty(dir.filePath(QStringLiteral("empty.db")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_FALSE(NECmdManager::SendStatsDbFile(driverID, dir.filePath(QStringLiteral("missing.db"))));
    EXPECT_FALSE(NECmdManager::SendStatsDbFile(driverID, empty.fileName()));
    const FW_ErrorList errors = store->getErrorList(driverID, started::kGenericDispenser);
    EXPECT_TRUE(started::hasCode(errors, QStringLiteral("TE00663")));
    EXPECT_TRUE(started::hasCode(errors, QStringLiteral("TE00664")));
    EXPECT_FALSE(enqueuedNames(enqueued).contains(QStringLiteral("SETDBFILE")));
}

TEST_F(DataOpsTest, StoppedFormulaIsRecoveredAndFinished)
{
    const Formula formula({ChannelIngredient(1, QStringLiteral("WH1"), 20.0),
                           ChannelIngredient(2, QStringLiteral("YE1"), 30.0),
                           ChannelIngredient(3, QStringLiteral("YE2"), 40.0)},
                          Formula::CheckLevels, 1);
    const double before = model().level(kDisp, 3);

    // Nothing interrupted yet: the caller's formula stays, nothing resumed.
    Formula untouched({ChannelIngredient(5, QString(), 1.0)}, 0, 1);
    ASSERT_TRUE(NECmdManager::getInterruptedFormula(driverID, kDisp, false, untouched));
    EXPECT_EQ(untouched.numOfItems(), 1);

    const TintCmd tint(formula);
    NEDispCommand cmd(driverID, kDisp, &tint);
    ASSERT_TRUE(NECmdManager::executeCommand(&cmd, false, true));
    ASSERT_TRUE(startsWithoutEvents(model()));
    QThread::msleep(1000); // channels of 700 ms: stopped in the second one
    NEDispCommand stop(driverID, kDisp, QStringLiteral("STOP"));
    ASSERT_TRUE(NECmdManager::executeCommand(&stop, true, true));
    ASSERT_TRUE(started::waitFor([&] { return !model().isBusy(kDispenser); }));

    Formula left;
    ASSERT_TRUE(NECmdManager::getInterruptedFormula(driverID, kDisp, false, left));
    EXPECT_EQ(left.levelsManagementPolicy(), int(Formula::SkipLevelsCheck));
    EXPECT_DOUBLE_EQ(dosed(left, 1), 0.0);
    EXPECT_GT(dosed(left, 2), 0.0);
    EXPECT_LT(dosed(left, 2), 30.0);
    EXPECT_DOUBLE_EQ(dosed(left, 3), 40.0);

    ASSERT_TRUE(NECmdManager::resumeInterruptedFormula(driverID, kDisp, true));
    ASSERT_TRUE(started::waitFor([&] { return model().level(kDisp, 3) < before; }));
    ASSERT_TRUE(started::waitFor([&] { return !model().isBusy(kDispenser); }));
    EXPECT_NEAR(model().level(kDisp, 1), 1980.0, 1e-6);
    EXPECT_NEAR(model().level(kDisp, 2), 1970.0, 1e-3); // the rest was rounded to 0.001 cc
    EXPECT_NEAR(model().level(kDisp, 3), before - 40.0, 1e-6);
    Formula none;
    ASSERT_TRUE(NECmdManager::getInterruptedFormula(driverID, kDisp, false, none));
    EXPECT_TRUE(none.isEmpty());
}

TEST_F(DataOpsTest, RestartKeepsTheRestOfTheFormula)
{
    const Formula formula({ChannelIngredient(4, QStringLiteral("OR1"), 10.0),
                           ChannelIngredient(5, QStringLiteral("RE1"), 10.0)},
                          Formula::CheckLevels, 1);
    const TintCmd tint(formula);
    NEDispCommand cmd(driverID, kDisp, &tint);
    ASSERT_TRUE(NECmdManager::executeCommand(&cmd, false, true));
    ASSERT_TRUE(startsWithoutEvents(model()));
    model().restart();
    Formula left;
    ASSERT_TRUE(started::waitFor([&] {
        return NECmdManager::getInterruptedFormula(driverID, kDisp, false, left) && !left.isEmpty();
    }));
    EXPECT_NEAR(dosed(left, 4) + dosed(left, 5) + (2000.0 - model().level(kDisp, 4)) + (2000.0 - model().level(kDisp, 5)),
                20.0, 1e-6);
}

TEST_F(DataOpsTest, FormulaExecutionNeedsTheCommand)
{
    const Formula formula({ChannelIngredient(1, QStringLiteral("WH1"), 10.0)}, Formula::CheckLevels, 1);
    FormulaProgress progress;
    ASSERT_TRUE(NECmdManager::getFormulaExecution(driverID, kDisp, formula, progress));
    ASSERT_EQ(progress.formulaChannels().size(), 1);
    EXPECT_EQ(progress.totalTime(), 700);

    HostSpy enqueued(store, &AXOCommData::NECommandEnqueuedSignal);
    FormulaProgress unchanged;
    EXPECT_FALSE(NECmdManager::getFormulaExecution(driverID, kPlainDisp, formula, unchanged));
    EXPECT_TRUE(unchanged.isEmpty());
    EXPECT_TRUE(started::hasCode(store->getErrorList(driverID, kPlain), QStringLiteral("TE00550")));
    EXPECT_TRUE(enqueued.records().isEmpty());
}

TEST_F(DataOpsTest, CleanerWaterIsStoredOnceAndOnlyWhereThereIsOne)
{
    HostSpy changed(store, &AXOCommData::NEUSSCleaningStatusChangedSignal);
    // The status polling's reaction stores it as soon as the dispenser's status is in.
    ASSERT_TRUE(started::waitFor([&] { return store->ussWaterChangeStatus(driverID, kDisp) != nullptr; }));
    const int stored = changed.size(); // 1, or 0 when it came before the spy
    EXPECT_TRUE(NECmdManager::refreshUSSCleaningState(driverID, kDisp));
    started::settle(200);
    EXPECT_EQ(changed.size(), stored); // the same status is not stored again
    EXPECT_EQ(store->ussWaterChangeStatus(driverID, kDisp)->cyclesLimit(), int(SimDataState::UssCycleLimit));

    HostSpy enqueued(store, &AXOCommData::NECommandEnqueuedSignal);
    EXPECT_TRUE(NECmdManager::refreshUSSCleaningState(driverID, kPlainDisp));
    EXPECT_FALSE(enqueuedNames(enqueued).contains(QStringLiteral("GET_DEVICE_LIST")));
    EXPECT_EQ(store->ussWaterChangeStatus(driverID, kPlainDisp), nullptr);

    // A water change recorded: the next refresh stores the new status.
    ASSERT_TRUE(NECmdManager::addUSSWaterChangeStatEvent(driverID, kDisp));
    ASSERT_TRUE(NECmdManager::refreshUSSCleaningState(driverID, kDisp));
    EXPECT_TRUE(store->ussWaterChangeStatus(driverID, kDisp)->lastChange().isValid());
    EXPECT_EQ(changed.size(), stored + 1);
    EXPECT_FALSE(NECmdManager::addUSSWaterChangeStatEvent(driverID, kPlainDisp));
    EXPECT_TRUE(started::hasCode(store->getErrorList(driverID, kPlain), QStringLiteral("TE00491")));
}
