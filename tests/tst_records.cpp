// Tests of the driver and machine records: the status generations they keep,
// list alignment with the driver's machines and with the registered drivers,
// deep copies and clones (checked under the sanitizers by using copies after
// their originals are gone), comparisons, and the settings and command-info
// values the records hold.

#include "DispenserDriverStatusAnswer.h"
#include "DriverSettings.h"
#include "FW_DriverError.h"
#include "MixerDriverStatusAnswer.h"
#include "NEDispenserData.h"
#include "NEDriverData.h"
#include "NEDriverDataList.h"
#include "NEMachineDataList.h"
#include "NEMixerData.h"
#include "ProtocolCommandInfo.h"

#include <gtest/gtest.h>

#include <QtCore/QDateTime>

#include <memory>

namespace {

DispenserDriverStatusAnswer dispenserAnswer(int number, bool accept)
{
    DispenserDriverStatusAnswer answer;
    answer.setMachineID(MachineID(number, MachineID::Dispenser));
    answer.setActiveMachine(true);
    answer.setAcceptCommands(accept);
    return answer;
}

DispenserStatus dispenserStatus(int number, bool active)
{
    DispenserStatus status(MachineID(number, MachineID::Dispenser));
    status.setActive(active);
    return status;
}

MixerStatus mixerStatus(int number, bool active)
{
    MixerStatus status(MachineID(number, MachineID::Mixer));
    status.setActive(active);
    return status;
}

FW_ErrorList errors(const QString &code)
{
    FW_ErrorList list;
    list.append(FW_DriverError(QStringLiteral("failure"), code));
    return list;
}

QList<MachineID> idsOf(const NEMachineDataList &list)
{
    QList<MachineID> ids;
    for (int i = 0; i < list.numOfDispenserData(); ++i)
        ids.append(list.at(i)->machineID());
    return ids;
}

QList<int> idsOf(const NEDriverDataList &list)
{
    QList<int> ids;
    for (int i = 0; i < list.numOfDriverData(); ++i)
        ids.append(list.at(i)->driverID());
    return ids;
}

const MachineID D0(0, MachineID::Dispenser), M0(0, MachineID::Mixer);
const MachineID D1(1, MachineID::Dispenser), D2(2, MachineID::Dispenser), D3(3, MachineID::Dispenser);
const MachineID M1(1, MachineID::Mixer);

} // namespace

TEST(MachineRecord, BuildMachineDataNormalisesTheType)
{
    std::unique_ptr<NEMachineData> both(NEMachineData::buildMachineData(MachineID(5, 5)));
    ASSERT_TRUE(dynamic_cast<NEDispenserData *>(both.get()));
    EXPECT_EQ(both->machineID(), MachineID(5, 1)); // the dispenser bit wins
    std::unique_ptr<NEMachineData> scaleMixer(NEMachineData::buildMachineData(MachineID(2, 6)));
    ASSERT_TRUE(dynamic_cast<NEMixerData *>(scaleMixer.get()));
    EXPECT_EQ(scaleMixer->machineID(), MachineID(2, 4));
    EXPECT_EQ(NEMachineData::buildMachineData(MachineID(4, MachineID::Scale)), nullptr);
    EXPECT_EQ(NEMachineData::buildMachineData(MachineID(4, 0)), nullptr);
}

TEST(MachineRecord, CurrentStatusMovesToPreviousOnEveryUpdate)
{
    NEDispenserData record(1);
    const DispenserDriverStatusAnswer first = dispenserAnswer(1, true), second = dispenserAnswer(1, false);
    record.setCurrentMachineStatus(&first);
    EXPECT_FALSE(record.hasPreviousMachineStatus()); // nothing to move yet
    record.setCurrentDispenserStatus(&second);
    ASSERT_TRUE(record.hasDispenserStatus() && record.hasPreviousDispenserStatus());
    EXPECT_EQ(*record.currentDispenserDriverStatus(), second);
    EXPECT_EQ(*record.previousDispenserDriverStatus(), first);

    // The record's own previous answer handed back in as the new current one.
    record.setCurrentMachineStatus(record.previousMachineDriverStatus());
    EXPECT_EQ(*record.currentMachineDriverStatus(), first);
    EXPECT_EQ(*record.previousMachineDriverStatus(), second);

    record.setCurrentMachineStatus(nullptr);
    EXPECT_FALSE(record.hasMachineStatus());
    EXPECT_EQ(*record.previousMachineDriverStatus(), first);
    record.setCurrentMachineStatus(nullptr); // no current status: previous stays
    EXPECT_EQ(*record.previousMachineDriverStatus(), first);

    record.setCurrentMachineStatus(&second);
    record.setPreviousMachineStatus(nullptr);
    EXPECT_FALSE(record.hasPreviousMachineStatus());
    EXPECT_TRUE(record.hasMachineStatus());
}

TEST(MachineRecord, CopiesOfAnswersOutliveTheStoredOnes)
{
    NEDispenserData record(2);
    const DispenserDriverStatusAnswer first = dispenserAnswer(2, true);
    record.setCurrentDispenserStatus(&first);
    const WeightAnswer weight(MachineID(1, MachineID::Scale), 412.5, QStringLiteral("g"), true);
    record.setWeightAnswer(&weight);
    record.setUssWaterChangeStatus(UssWaterChangeStatus(QDateTime::currentDateTimeUtc(), 3, 50, false));

    std::unique_ptr<MachineDriverStatusAnswer> status = record.currentMachineDriverStatusCopy();
    std::unique_ptr<DispenserDriverStatusAnswer> dispStatus = record.currentDispenserDriverStatusCopy();
    std::unique_ptr<WeightAnswer> weightCopy = record.weightAnswerCopy();
    std::unique_ptr<UssWaterChangeStatus> uss = record.ussWaterChangeStatusCopy();
    ASSERT_TRUE(status && dispStatus && weightCopy && uss);
    EXPECT_EQ(status->answerName(), QStringLiteral("DispenserDriverStatusAnswer")); // the kind survives

    // Two more updates delete the stored answers the copies came from.
    const DispenserDriverStatusAnswer second = dispenserAnswer(2, false);
    record.setCurrentDispenserStatus(&second);
    record.setCurrentDispenserStatus(&second);
    record.setDefaults(false);
    EXPECT_EQ(*status, first);
    EXPECT_EQ(*dispStatus, first);
    EXPECT_EQ(weightCopy->weight(), 412.5);
    EXPECT_EQ(uss->cycles(), 3);
    EXPECT_EQ(record.weightAnswerCopy(), nullptr);
    EXPECT_EQ(record.ussWaterChangeStatusCopy(), nullptr);
}

TEST(MachineRecord, KindedStatusAccessorsSeeOnlyTheirKind)
{
    NEDispenserData dispenser(1);
    const MixerDriverStatusAnswer mixerAnswer;
    dispenser.setCurrentMachineStatus(&mixerAnswer);
    EXPECT_TRUE(dispenser.hasMachineStatus());
    EXPECT_FALSE(dispenser.hasDispenserStatus());
    EXPECT_EQ(dispenser.currentDispenserDriverStatusCopy(), nullptr);
    NEMixerData mixer(1);
    mixer.setCurrentMixerStatus(&mixerAnswer);
    EXPECT_TRUE(mixer.hasMixerStatus());
    EXPECT_EQ(mixer.currentMixerDriverStatusCopy()->machineID(), M0);
}

TEST(MachineRecord, Equality)
{
    NEDispenserData a(1, errors(QStringLiteral("TE00001")));
    a.setCommandList({{QStringLiteral("TINT"), 2}, {QStringLiteral("RESET"), 1}});
    NEDispenserData b(a);
    EXPECT_EQ(a, b);

    b.setCommandList({{QStringLiteral("RESET"), 1}, {QStringLiteral("TINT"), 2}});
    EXPECT_EQ(a, b) << "command order does not matter";
    b.setCommandList({{QStringLiteral("RESET"), 1}, {QStringLiteral("TINT"), 3}});
    EXPECT_NE(a, b);
    b.setCommandList({{QStringLiteral("RESET"), 1}, {QStringLiteral("TINT"), 2}, {QStringLiteral("TINT"), 2}});
    EXPECT_NE(a, b) << "same entries, another length";

    b = a;
    const WeightAnswer weight(MachineID(1, MachineID::Scale), 1.0, QStringLiteral("g"), true);
    b.setWeightAnswer(&weight);
    b.setUssWaterChangeStatus(UssWaterChangeStatus());
    EXPECT_EQ(a, b) << "weight and cleaner water are not compared";

    const DispenserDriverStatusAnswer status = dispenserAnswer(1, true);
    b.setCurrentDispenserStatus(&status);
    EXPECT_NE(a, b);
    a.setCurrentDispenserStatus(&status);
    EXPECT_EQ(a, b);
    b.appendMachineErrorsHistory(errors(QStringLiteral("TE00002")));
    EXPECT_NE(a, b);
    b = a;
    b.setFwProgram(FW_Program(1, QStringLiteral("DX main"), FW_Version(2, 4, 117, 3, 7)));
    EXPECT_NE(a, b);
    EXPECT_NE(NEMachineData(D1), NEMachineData(MachineID(1, 3)));
}

TEST(MachineRecord, CloneIsDeepAndOfTheSameKind)
{
    auto original = std::make_unique<NEDispenserData>(3, errors(QStringLiteral("TE00010")));
    const DispenserDriverStatusAnswer s1 = dispenserAnswer(3, true), s2 = dispenserAnswer(3, false);
    original->setCurrentDispenserStatus(&s1);
    original->setCurrentDispenserStatus(&s2);
    const WeightAnswer weight(MachineID(1, MachineID::Scale), 7.25, QStringLiteral("g"), false);
    original->setWeightAnswer(&weight);

    const NEMachineData &base = *original;
    std::unique_ptr<NEMachineData> clone(base.clone());
    auto *dispenser = dynamic_cast<NEDispenserData *>(clone.get());
    ASSERT_NE(dispenser, nullptr);
    EXPECT_EQ(*dispenser, *original);

    dispenser->appendMachineErrors(errors(QStringLiteral("TE00011")));
    dispenser->setWeightAnswer(nullptr);
    EXPECT_EQ(original->machineErrors()->size(), 1);
    ASSERT_NE(original->weightAnswer(), nullptr);

    std::unique_ptr<NEMachineData> second(original->clone());
    original.reset();
    auto *survivor = static_cast<NEDispenserData *>(second.get());
    EXPECT_EQ(survivor->weightAnswer()->weight(), 7.25);
    EXPECT_EQ(*survivor->previousDispenserDriverStatus(), s1);

    survivor->setDefaults(true);
    EXPECT_EQ(survivor->machineID(), MachineID(0, 0));
    EXPECT_TRUE(survivor->machineErrors()->isEmpty() && !survivor->hasPreviousMachineStatus());
    EXPECT_EQ(survivor->weightAnswer(), nullptr);
}

TEST(MachineList, UpdateMachineIDsAlignsOneKindAndKeepsDriverLevelEntries)
{
    NEMachineDataList list(*NEDriverData(1).machineDataList());
    list.updateMachineIDs({D1, D2}, MachineID::Dispenser);
    list.updateMachineIDs({M1}, MachineID::Mixer);
    EXPECT_EQ(idsOf(list), QList<MachineID>({D0, M0, D1, D2, M1}));
    list.getMachineData(D2)->setBootLoaderActive(true);

    list.updateMachineIDs({D3, D2, MachineID(0, 1), MachineID(-1, 1)}, MachineID::Dispenser);
    EXPECT_EQ(idsOf(list), QList<MachineID>({D0, M0, D2, M1, D3}));
    EXPECT_TRUE(list.getMachineData(D2)->isBootLoaderActive()) << "a kept entry is not rebuilt";
    EXPECT_TRUE(dynamic_cast<NEDispenserData *>(list.getMachineData(D3)));

    for (int type : {int(MachineID::NoDevice), int(MachineID::Scale), 5, int(MachineID::AllTypes)}) {
        list.updateMachineIDs({MachineID(9, 1), MachineID(9, 4)}, static_cast<MachineID::SerialDeviceType>(type));
        EXPECT_EQ(list.numOfDispenserData(), 5) << "type " << type;
    }
    list.updateMachineIDs({}, MachineID::Mixer);
    EXPECT_EQ(idsOf(list), QList<MachineID>({D0, M0, D2, D3}));
}

TEST(MachineList, LookUpsCopiesAndEmptyEntries)
{
    NEMachineDataList list;
    const NEMixerData mixer(2);
    const NEMachineData plainDispenser(D2);
    const NEDispenserData dispenser(2);
    list.append(&mixer);
    list.append(&plainDispenser);
    list.append(&dispenser);
    EXPECT_EQ(list.getDispenserData(2), list.at(2)) << "only dispenser records count";
    EXPECT_EQ(list.getMachineData(D2), list.at(1));
    EXPECT_FALSE(list.hasMachineData(MachineID(2, 3)));
    EXPECT_EQ(list.at(3), nullptr);
    EXPECT_FALSE(list.replace(3, &mixer));

    NEMachineDataList copy(list);
    EXPECT_EQ(copy, list);
    copy.at(0)->appendMachineErrors(errors(QStringLiteral("TE00020")));
    EXPECT_NE(copy, list);
    EXPECT_TRUE(list.at(0)->machineErrors()->isEmpty());

    ASSERT_TRUE(copy.replace(0, copy.at(0))); // its own entry handed back in
    EXPECT_EQ(copy.at(0)->machineErrors()->size(), 1);
    copy = list;
    copy.replace(1, nullptr);
    EXPECT_NE(copy, list);
    list.replace(1, nullptr);
    EXPECT_EQ(copy, list) << "empty entries compare equal";
    EXPECT_EQ(list.getMachineData(D2), list.at(2)) << "empty entries are skipped";
}

TEST(DriverRecord, Construction)
{
    const NEDriverData bare;
    EXPECT_FALSE(bare.hasMachineDataList());
    FW_CalibrationProfiles profiles;
    profiles.setDefaults();
    EXPECT_EQ(bare.calibrationProfiles(), profiles);
    EXPECT_EQ(bare.driverSettings(), DriverSettings::fromText(QString()));
    EXPECT_TRUE(bare.driverVersion().isNull());

    const NEDriverData driver(4);
    ASSERT_TRUE(driver.hasMachineDataList());
    EXPECT_EQ(idsOf(*driver.machineDataList()), QList<MachineID>({D0, M0}));
    EXPECT_TRUE(dynamic_cast<NEDispenserData *>(driver.machineDataList()->at(0)));
    EXPECT_TRUE(dynamic_cast<NEMixerData *>(driver.machineDataList()->at(1)));

    const NEDriverData fromList(5, driver.machineDataList());
    EXPECT_NE(fromList.machineDataList(), driver.machineDataList());
    EXPECT_EQ(*fromList.machineDataList(), *driver.machineDataList());
    EXPECT_FALSE(NEDriverData(5, nullptr).hasMachineDataList());
}

TEST(DriverRecord, StatusListsKeepOnePreviousGeneration)
{
    NEDriverData driver(1);
    driver.setDispenserStatusList({dispenserStatus(1, true), dispenserStatus(2, false)});
    driver.setDispenserStatusList({dispenserStatus(2, true), dispenserStatus(3, true)});
    driver.setMixerStatusList({mixerStatus(1, true)});
    EXPECT_EQ(driver.getActiveDispenserIDs_OLD(), QList<int>({1}));
    EXPECT_EQ(driver.getActiveDispenserIDs(), QList<int>({2, 3}));
    EXPECT_TRUE(driver.mixerStatusList_OLD().isEmpty());

    driver.setDispenserStatusList(driver.dispenserStatusList_OLD()); // a list held by the record
    EXPECT_EQ(driver.getActiveDispenserIDs(), QList<int>({1}));
    EXPECT_EQ(driver.getActiveDispenserIDs_OLD(), QList<int>({2, 3}));

    EXPECT_FALSE(driver.removeDispenserStatusAt(-1));
    EXPECT_FALSE(driver.removeDispenserStatusAt(2));
    EXPECT_TRUE(driver.removeDispenserStatusAt(0));
    EXPECT_EQ(driver.dispenserStatusList().size(), 1);
    EXPECT_EQ(driver.dispenserStatusList_OLD().size(), 2) << "only the current list loses entries";
    EXPECT_FALSE(driver.removeMixerStatusAt(1));
    EXPECT_TRUE(driver.removeMixerStatusAt(0));
}

TEST(DriverRecord, ActiveMachinesAndStatusesByTypeBits)
{
    NEDriverData driver(1);
    driver.setDispenserStatusList({dispenserStatus(1, true), dispenserStatus(2, false), dispenserStatus(4, true)});
    driver.setMixerStatusList({mixerStatus(7, true), mixerStatus(8, false)});
    EXPECT_EQ(driver.getActiveMachineIDs(MachineID::Dispenser), QList<MachineID>({D1, MachineID(4, 1)}));
    EXPECT_EQ(driver.getActiveMachineIDs(MachineID::Mixer), QList<MachineID>({MachineID(7, 4)}));
    EXPECT_EQ(driver.getActiveMachineIDs(MachineID::AllTypes),
              QList<MachineID>({D1, MachineID(4, 1), MachineID(7, 4)}));
    EXPECT_TRUE(driver.getActiveMachineIDs(MachineID::Scale).isEmpty());

    EXPECT_TRUE(driver.machineStatusList(MachineID::Scale).isEmpty());
    QList<MachineStatus *> statuses = driver.machineStatusList(MachineID::Dispenser | MachineID::Mixer);
    ASSERT_EQ(statuses.size(), 5);
    EXPECT_EQ(statuses[0]->statusName(), QStringLiteral("DispenserStatus"));
    EXPECT_EQ(statuses[3]->statusName(), QStringLiteral("MixerStatus"));
    EXPECT_EQ(*statuses[3], driver.mixerStatusList()[0]);
    statuses[0]->setActive(false);
    EXPECT_TRUE(driver.dispenserStatusList()[0].isActive()) << "the caller gets clones";
    qDeleteAll(statuses);
}

TEST(DriverRecord, EqualityAndDeepCopy)
{
    auto original = std::make_unique<NEDriverData>(2);
    original->setDriverVersion(QVersionNumber(3, 1, 4));
    original->configuration().addDispenser(FW_Dispenser(1));
    NEDriverData other(*original);
    other.setDispenserStatusList({dispenserStatus(1, true)});
    other.setMixerStatusList({mixerStatus(1, true)});
    other.setMixerStatusList({});
    EXPECT_EQ(other, *original) << "status lists are not compared";

    other.setDriverVersion(QVersionNumber(3, 1, 5));
    EXPECT_NE(other, *original);
    other = *original;
    DriverSettings simulated;
    simulated.setSimulationMode(true);
    other.setDriverSettings(simulated);
    EXPECT_NE(other, *original);
    other = *original;
    other.setMachineDataList(nullptr);
    EXPECT_NE(other, *original);
    other.setDefaults();
    EXPECT_EQ(other, NEDriverData());

    NEDriverData copy(*original);
    copy.machineDataList()->updateMachineIDs({D1}, MachineID::Dispenser);
    copy.machineDataList()->at(0)->appendMachineErrors(errors(QStringLiteral("TE00030")));
    EXPECT_EQ(original->machineDataList()->numOfDispenserData(), 2);
    EXPECT_TRUE(original->machineDataList()->at(0)->machineErrors()->isEmpty());

    copy.setMachineDataList(copy.machineDataList()); // its own list handed back in
    NEDriverData &alias = copy;
    copy = alias;
    ASSERT_TRUE(copy.hasMachineDataList());
    EXPECT_EQ(copy.machineDataList()->numOfDispenserData(), 3);

    original.reset();
    EXPECT_NE(copy.machine(D1), nullptr);
    EXPECT_EQ(copy.machine(D2), nullptr);
    EXPECT_EQ(copy.driverVersion(), QVersionNumber(3, 1, 4));
}

TEST(DriverList, UpdateKeepsDriverZeroAndListedDrivers)
{
    NEDriverDataList list;
    list.update({0, 2, 3});
    NEDriverData *two = list.getDriverData(2);
    two->setDriverVersion(QVersionNumber(9));
    list.update({2, 5});
    EXPECT_EQ(idsOf(list), QList<int>({0, 2, 5}));
    EXPECT_EQ(list.getDriverData(2), two);
    EXPECT_EQ(two->driverVersion(), QVersionNumber(9));
    EXPECT_EQ(list.getDriverData(5)->machineDataList()->numOfDispenserData(), 2);

    list.update({-1, 5, 5});
    EXPECT_EQ(idsOf(list), QList<int>({0, 5}));
    EXPECT_FALSE(list.hasDriverData(-1));
}

TEST(DriverList, RemovalAndMachineLookUps)
{
    NEDriverDataList list(QList<NEDriverData>{NEDriverData(1), NEDriverData(2), NEDriverData(1)});
    list.updateMachineIDs(1, {D3}, MachineID::Dispenser);
    list.updateMachineIDs(7, {D3}, MachineID::Dispenser); // unknown driver: nothing
    EXPECT_TRUE(list.hasDispenserData(1, 3));
    EXPECT_FALSE(list.hasDispenserData(2, 3));
    EXPECT_TRUE(list.hasMachineData(2, M0));
    EXPECT_FALSE(list.hasMachineData(7, M0));
    NEDriverData noMachines;
    noMachines.setDriverID(9);
    list.append(noMachines);
    list.updateMachineIDs(9, {D1}, MachineID::Dispenser);
    EXPECT_FALSE(list.hasMachineData(9, D1));

    NEDriverDataList copy(list);
    copy.getDispenserData(1, 3)->setBootLoaderActive(true);
    EXPECT_FALSE(list.getDispenserData(1, 3)->isBootLoaderActive());
    ASSERT_TRUE(copy.replace(0, *copy.at(0))); // its own entry handed back in
    EXPECT_TRUE(copy.getDispenserData(1, 3)->isBootLoaderActive());
    EXPECT_FALSE(copy.replace(4, noMachines));

    EXPECT_TRUE(list.removeDriverData(1));
    EXPECT_EQ(idsOf(list), QList<int>({2, 1, 9})) << "only the first record goes";
    EXPECT_FALSE(list.hasDispenserData(1, 3));
    EXPECT_FALSE(list.removeDriverData(7));
    EXPECT_TRUE(list.removeDriverData(-1));
    EXPECT_TRUE(list.isEmpty());
    EXPECT_TRUE(list.removeDriverData(-1)) << "also on an empty list";
    EXPECT_EQ(copy.numOfDriverData(), 4);
}

TEST(RecordValues, CommandInfoAndDriverSettingsTravelIntact)
{
    bool ok = false;
    const ProtocolCommandInfo tint(QStringLiteral("TINT"), 3);
    EXPECT_EQ(ProtocolCommandInfo::fromXmlRpcValue(tint.toXmlRpcValue(), &ok), tint);
    EXPECT_TRUE(ok);
    for (XmlRpc::XmlRpcValue bad : {ProtocolCommandInfo(QString(), 1).toXmlRpcValue(),
                                    ProtocolCommandInfo(QStringLiteral("X"), -1).toXmlRpcValue(),
                                    XmlRpc::XmlRpcValue(3)}) {
        EXPECT_EQ(ProtocolCommandInfo::fromXmlRpcValue(bad, &ok), ProtocolCommandInfo());
        EXPECT_FALSE(ok);
    }

    DriverSettings settings;
    settings.setLanguage(QStringLiteral("it"));
    settings.setLogLevel(DriverSettings::Debug);
    settings.setLogLevel(9); // ignored
    settings.setSkipFwChecks(true);
    EXPECT_EQ(settings.logLevel(), DriverSettings::Debug);
    EXPECT_TRUE(DriverSettings::fromXmlRpcValue(settings.toXmlRpcValue(), &ok) == settings && ok);
    EXPECT_TRUE(DriverSettings::fromText(settings.toText(), &ok) == settings && ok);
    EXPECT_TRUE(DriverSettings::fromXmlRpcValue(XmlRpc::XmlRpcValue::emptyStruct(), &ok) == DriverSettings() && ok);

    const DriverSettings partial = DriverSettings::fromText(QStringLiteral("# driver\n\nsimulation=1\nfoo=bar\n"), &ok);
    EXPECT_TRUE(ok && partial.simulationMode() && !partial.skipFwChecks());
    EXPECT_EQ(partial.language(), QStringLiteral("en"));
    for (const char *bad : {"simulation=maybe", "logLevel=7", "no separator"}) {
        EXPECT_EQ(DriverSettings::fromText(QString::fromLatin1(bad), &ok), DriverSettings()) << bad;
        EXPECT_FALSE(ok) << bad;
    }
}
