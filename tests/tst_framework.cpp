// Tests of the machine configuration and formula model: XML-RPC round trips
// (also through the wire text), rejection of malformed values, deep copies,
// configuration look-ups and edits, validation, change detection and formula
// progress.

#include "CircuitProcess.h"
#include "ConfigID.h"
#include "FW_CalibrationProfiles.h"
#include "FW_Configuration.h"
#include "FW_DriverError.h"
#include "FW_Program.h"
#include "FW_Version.h"
#include "FirmwareFile.h"
#include "Formula.h"
#include "FormulaProgress.h"

#include <gtest/gtest.h>

#include <QtCore/QMetaType>
#include <QtCore/QVariant>

#include <functional>

using XmlRpc::XmlRpcValue;

namespace {

FW_Dispenser makeDispenser(int number, int circuits)
{
    FW_Dispenser d(number);
    d.setIdentifier(QStringLiteral("D-%1").arg(number));
    d.setSerialNumber(QStringLiteral("GX16-0042%1").arg(number));
    d.setModel(ModelGX16);
    d.setName(QStringLiteral("Shop front \u00e8")); // non-ASCII text travels as UTF-8
    d.setRevision(7);
    for (int p = circuits; p >= 1; --p) { // unsorted on purpose
        FW_Circuit c(p, QStringLiteral("C%1").arg(p, 2, 10, QLatin1Char('0')), 2500.0, p != 16);
        c.setReserveLevel(250.0);
        c.setDensity(1.32);
        c.setPumpModel(p % 2 + 1);
        c.setGravSettings(CircuitGravSettings(p, true, 1.5, 0.25));
        d.setCircuit(c);
    }
    d.setDevices({FW_Dispenser::DeviceHumidifier, FW_Dispenser::DeviceGearMotorSensor});
    d.setDosingMode(FW_Dispenser::GravimetricSoftware);
    d.setScaleNumber(1);
    return d;
}

FW_Configuration makeConfiguration()
{
    FW_Configuration config;
    config.addDispenser(makeDispenser(1, 16));
    FW_Mixer mixer(1);
    mixer.setIdentifier(QStringLiteral("M-1"));
    mixer.setModel(ModelMXGyro);
    mixer.setMixingTime(90);
    mixer.setMaxLoad(35.5);
    config.addMachine(mixer);
    FW_Scale scale(1);
    scale.setIdentifier(QStringLiteral("S-1"));
    scale.setModel(ModelSC6);
    scale.setResolution(0.05);
    config.addMachine(scale);
    return config;
}

// Through the value and through the XML text a driver would send.
template<typename T>
T roundTrip(const T &original, bool *ok)
{
    const std::string xml = original.toXmlRpcValue().toXml();
    int offset = 0;
    XmlRpcValue parsed;
    EXPECT_TRUE(parsed.fromXml(xml, &offset)) << xml;
    return T::fromXmlRpcValue(parsed, ok);
}

ChannelIngredient item(int position, qint64 ms)
{
    ChannelIngredient ingredient(position, QStringLiteral("C%1").arg(position), 10.0);
    ingredient.setTimeEstimate(ms);
    return ingredient;
}

// Grouped three at a time: {1, 2, 3} {4} {4}.
Formula makeFormula()
{
    return Formula({item(1, 3000), item(2, 5000), item(3, 1000), item(4, 2000), item(4, 4000)},
                   Formula::CheckLevels, 3);
}

// Channels lasting 5 s, 2 s and 4 s; position 2 doses in the first and the last.
Formula makeChannelFormula()
{
    QList<FormulaChannel> channels = {FormulaChannel(), FormulaChannel(), FormulaChannel()};
    for (const ChannelIngredient &i : {item(1, 3000), item(2, 5000), item(3, 1000)})
        channels[0].addIngredient(i);
    channels[1].addIngredient(item(4, 2000));
    channels[2].addIngredient(item(2, 4000));
    channels[2].addIngredient(item(5, 1000));
    return Formula(channels, Formula::CheckLevels, 3);
}

} // namespace

TEST(FrameworkXmlRpc, ConfigurationRoundTripsThroughTheWireText)
{
    const FW_Configuration config = makeConfiguration();
    bool ok = false;
    const FW_Configuration back = roundTrip(config, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(back, config);
    ASSERT_EQ(back.numOfMachines(), 3);
    const FW_Dispenser *d = back.getDispenserById(1);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->numOfCircuits(), 16);
    EXPECT_EQ(d->name(), QStringLiteral("Shop front \u00e8"));
    EXPECT_EQ(d->circuit(5)->gravSettings(), CircuitGravSettings(5, true, 1.5, 0.25));
    EXPECT_EQ(back.getMixerById(1)->maxLoad(), 35.5);
    EXPECT_NE(back.getScaleById(1), nullptr);
}

TEST(FrameworkXmlRpc, ValueClassesRoundTrip)
{
    bool ok = false;
    const FW_Version version(2, 4, 117, 3, 7);
    EXPECT_EQ(roundTrip(version, &ok), version);
    EXPECT_TRUE(ok);
    const FW_Program program(1, QStringLiteral("GX main"), version);
    EXPECT_EQ(roundTrip(program, &ok), program);
    EXPECT_TRUE(ok);
    const ConfigID id(MachineID(2, 1), 12, QStringLiteral("client-7"));
    EXPECT_EQ(roundTrip(id, &ok), id);
    EXPECT_TRUE(ok);
    FW_CalibrationProfiles profiles;
    profiles.setDefaults();
    profiles.setProfile({1, QStringLiteral("Site"), true, {{0.5, 1.04}}});
    EXPECT_EQ(roundTrip(profiles, &ok), profiles);
    EXPECT_TRUE(ok);
    const FirmwareFile file(QStringLiteral("gx63.bin"), 63, version, QByteArray("\x00\x01\xfe\xff", 4));
    EXPECT_EQ(roundTrip(file, &ok), file);
    EXPECT_TRUE(ok);
    const Formula formula = makeFormula();
    EXPECT_EQ(roundTrip(formula, &ok), formula);
    EXPECT_TRUE(ok);

    // Dosing times beyond 32 bits survive.
    ChannelIngredient slow(9, QStringLiteral("K9"), 0.5, ChannelIngredient::Weight);
    slow.setTimeEstimate(Q_INT64_C(6000000000));
    FormulaProgress progress(Formula({slow}, 0, 3));
    progress.updateDosingProcess({9});
    const FormulaProgress back = roundTrip(progress, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(back, progress);
    EXPECT_EQ(back.formulaChannels().first().ingredients().first().timeEstimate(), Q_INT64_C(6000000000));

    // A board in its boot loader reports no application version.
    XmlRpcValue boot;
    boot["board"] = 1;
    boot["bootLoader"] = true;
    EXPECT_TRUE(FW_Program::fromXmlRpcValue(boot, &ok).isBootLoaderActive());
    EXPECT_TRUE(ok);
}

TEST(FrameworkXmlRpc, MalformedMachinesAreRejected)
{
    const XmlRpcValue good = makeDispenser(3, 4).toXmlRpcValue();
    const std::vector<std::pair<const char *, std::function<void(XmlRpcValue &)>>> breakages = {
        {"no id", [](XmlRpcValue &v) { v["id"] = XmlRpcValue(); }},
        {"id of no known kind", [](XmlRpcValue &v) { v["id"]["type"] = 3; }},
        {"negative number", [](XmlRpcValue &v) { v["id"]["number"] = -1; }},
        {"model as text", [](XmlRpcValue &v) { v["model"] = "GX-16"; }},
        {"circuits not a list", [](XmlRpcValue &v) { v["circuits"] = 4; }},
        {"circuit at position 0", [](XmlRpcValue &v) { v["circuits"][0]["position"] = 0; }},
        {"two circuits at one position", [](XmlRpcValue &v) { v["circuits"][1]["position"] = 1; }},
        {"negative capacity", [](XmlRpcValue &v) { v["circuits"][2]["capacity"] = -1.0; }},
        {"grav settings not a struct", [](XmlRpcValue &v) { v["circuits"][0]["grav"] = "on"; }},
        {"unknown dosing mode", [](XmlRpcValue &v) { v["dosingMode"] = 9; }},
        {"device kind as text", [](XmlRpcValue &v) { v["devices"][0] = "humidifier"; }},
        {"boards with a double", [](XmlRpcValue &v) { v["boards"][0] = 1.0; }},
    };
    for (const auto &breakage : breakages) {
        XmlRpcValue bad = good;
        breakage.second(bad);
        bool ok = true;
        EXPECT_EQ(FW_Machine::fromXmlRpcValue(bad, &ok), nullptr) << breakage.first;
        EXPECT_FALSE(ok) << breakage.first;

        // One bad machine spoils the whole configuration.
        XmlRpcValue config = makeConfiguration().toXmlRpcValue();
        config["machines"][1] = bad;
        ok = true;
        EXPECT_TRUE(FW_Configuration::fromXmlRpcValue(config, &ok).isEmpty()) << breakage.first;
        EXPECT_FALSE(ok) << breakage.first;
    }
    bool ok = false;
    EXPECT_NE(FW_Machine::fromXmlRpcValue(good, &ok), nullptr);
    EXPECT_TRUE(ok);
}

TEST(FrameworkXmlRpc, MalformedValuesAreRejected)
{
    bool ok = true;
    const XmlRpcValue notAStruct(5);
    FW_Configuration::fromXmlRpcValue(notAStruct, &ok);
    EXPECT_FALSE(ok);
    FW_Version::fromXmlRpcValue(notAStruct, &(ok = true));
    EXPECT_FALSE(ok);
    Formula::fromXmlRpcValue(notAStruct, &(ok = true));
    EXPECT_FALSE(ok);
    ConfigID::fromXmlRpcValue(notAStruct, &(ok = true));
    EXPECT_FALSE(ok);

    XmlRpcValue formula = makeFormula().toXmlRpcValue();
    formula["maxParallel"] = 2; // the first channel holds three
    EXPECT_TRUE(Formula::fromXmlRpcValue(formula, &(ok = true)).isEmpty());
    EXPECT_FALSE(ok);
    XmlRpcValue ingredient = ChannelIngredient(1, QStringLiteral("C1"), 1.0).toXmlRpcValue();
    ingredient["time"] = 12.5; // milliseconds are whole
    ChannelIngredient::fromXmlRpcValue(ingredient, &(ok = true));
    EXPECT_FALSE(ok);
    ingredient["time"] = 12;
    ingredient["amount"] = 0.0;
    ChannelIngredient::fromXmlRpcValue(ingredient, &(ok = true));
    EXPECT_FALSE(ok);

    FW_CalibrationProfiles profiles;
    profiles.setDefaults();
    XmlRpcValue twice = profiles.toXmlRpcValue();
    twice["profiles"][1] = twice["profiles"][0];
    FW_CalibrationProfiles::fromXmlRpcValue(twice, &(ok = true));
    EXPECT_FALSE(ok);
    XmlRpcValue descending = profiles.toXmlRpcValue();
    descending["profiles"][0]["points"][1]["volume"] = 0.01;
    FW_CalibrationProfiles::fromXmlRpcValue(descending, &(ok = true));
    EXPECT_FALSE(ok);
}

TEST(FrameworkConfiguration, CopiesAreDeep)
{
    const FW_Configuration original = makeConfiguration();
    FW_Configuration copy = original;
    copy.getDispenserById(1)->removeCircuit(3);
    copy.getMixerById(1)->setMixingTime(10);
    for (FW_Machine *machine : copy.getMachines(MachineID::AllTypes))
        machine->setCID(QStringLiteral("client-9"));
    EXPECT_EQ(original.getDispenserById(1)->numOfCircuits(), 16);
    EXPECT_EQ(original.getMixerById(1)->mixingTime(), 90);
    EXPECT_TRUE(original.getDispenserById(1)->cid().isEmpty());
    EXPECT_NE(copy, original);

    FW_Configuration assigned;
    assigned = copy;
    copy.clear();
    EXPECT_EQ(assigned.numOfMachines(), 3);
    EXPECT_EQ(assigned.getDispenserById(1)->numOfCircuits(), 15);

    std::unique_ptr<FW_Machine> clone(original.getDispenserById(1)->clone());
    static_cast<FW_Dispenser *>(clone.get())->setTransmission(FW_Dispenser::SingleTransmission);
    EXPECT_FALSE(original.getDispenserById(1)->hasSingleTransmission());
    EXPECT_NE(*clone, *original.getDispenserById(1));
}

TEST(FrameworkConfiguration, LookUpsAndCounts)
{
    FW_Configuration config = makeConfiguration();
    FW_Dispenser future = makeDispenser(2, 8);
    future.setModel(57);
    future.setIdentifier(QStringLiteral("D-future"));
    ASSERT_TRUE(config.addDispenser(future));

    EXPECT_EQ(config.numOfMachines(MachineID::Dispenser | MachineID::Mixer, false), 3);
    EXPECT_EQ(config.numOfMachines(MachineID::AllTypes, true), 3);
    EXPECT_EQ(config.numOfDispensers(false), 2);
    EXPECT_EQ(config.numOfDispensers(true), 1);
    EXPECT_EQ(config.numOfMixers(false), 1);
    EXPECT_EQ(config.getDispensersIDList(false), QList<int>({1, 2}));
    EXPECT_EQ(config.getMachinesID(MachineID::Scale), QList<MachineID>({MachineID(1, 2)}));
    EXPECT_EQ(config.getFirstMachineID(MachineID::Mixer), MachineID(1, 4));
    EXPECT_EQ(config.getFirstMachineID(), MachineID(1, 1));
    EXPECT_EQ(config.unknownModelMachines(), QStringList({QStringLiteral("Dispenser 2 (Model 57)")}));

    // Numbers are per kind: mixer 1 is no dispenser 1 and dispenser 2 no mixer.
    EXPECT_TRUE(config.existsMachineID(MachineID(1, 4)));
    EXPECT_FALSE(config.existsMachineID(MachineID(2, 4)));
    EXPECT_EQ(config.getMixerById(2), nullptr);
    EXPECT_EQ(config.getDispenserById(1)->machineID(), MachineID(1, 1));
    EXPECT_EQ(config.getMachineByMachineID(MachineID(2, 1))->identifier(), QStringLiteral("D-future"));

    const QList<ConfigID> ids = config.getConfigIDList();
    ASSERT_EQ(ids.size(), 4);
    EXPECT_EQ(ids.first(), ConfigID(MachineID(1, 1), 7, QString()));
}

TEST(FrameworkConfiguration, Edits)
{
    FW_Configuration config = makeConfiguration();
    EXPECT_FALSE(config.addDispenser(makeDispenser(1, 4))) << "number taken";
    EXPECT_FALSE(config.addDispenser(makeDispenser(0, 4))) << "driver-level number";
    EXPECT_FALSE(config.replaceDispenser(makeDispenser(5, 4))) << "nothing to replace";
    EXPECT_FALSE(config.replaceDispenserById(5, makeDispenser(1, 4)));
    EXPECT_FALSE(config.removeMachineByMachineID(MachineID(1, 2 | 4)));
    EXPECT_EQ(config.numOfMachines(), 3);

    FW_Dispenser renamed = makeDispenser(9, 12);
    ASSERT_TRUE(config.replaceDispenserById(1, renamed));
    EXPECT_EQ(config.getDispenserById(1)->numOfCircuits(), 12);
    EXPECT_FALSE(config.existDispenserById(9));
    EXPECT_TRUE(config.existDispenser(renamed, true)) << "same identifier";
    EXPECT_FALSE(config.existDispenser(renamed, false)) << "no dispenser 9";

    renamed.setMachineNumber(1);
    renamed.setSerialNumber(QStringLiteral("NEW"));
    ASSERT_TRUE(config.replaceMachine(renamed));
    EXPECT_EQ(config.getDispenserById(1)->serialNumber(), QStringLiteral("NEW"));

    ASSERT_TRUE(config.removeMachineByMachineID(MachineID(1, 4)));
    EXPECT_EQ(config.numOfMixers(), 0);
    EXPECT_EQ(config.getMachinesID(), QList<MachineID>({MachineID(1, 1), MachineID(1, 2)}));
}

TEST(FrameworkConfiguration, ValidationNamesTheFault)
{
    FW_DriverError error;
    EXPECT_TRUE(FW_Configuration::isValid(makeConfiguration(), &error));
    EXPECT_FALSE(error.isValid());

    const std::vector<std::pair<QString, std::function<void(FW_Configuration &)>>> faults = {
        {QStringLiteral("TE90004"),
         [](FW_Configuration &c) { c.getMixerById(1)->setIdentifier(QStringLiteral("D-1")); }},
        {QStringLiteral("TE90005"), [](FW_Configuration &c) { c.getMixerById(1)->setModel(ModelDX24); }},
        {QStringLiteral("TE90006"), [](FW_Configuration &c) { c.getDispenserById(1)->setCircuits({}); }},
        {QStringLiteral("TE90007"),
         [](FW_Configuration &c) {
             FW_Circuit blank(4, QString(), 1000.0);
             c.getDispenserById(1)->setCircuit(blank);
         }},
        {QStringLiteral("TE90008"), [](FW_Configuration &c) { c.getDispenserById(1)->setScaleNumber(0); }},
        {QStringLiteral("TE90009"), [](FW_Configuration &c) { c.removeMachineByMachineID(MachineID(1, 2)); }},
    };
    for (const auto &fault : faults) {
        FW_Configuration config = makeConfiguration();
        fault.second(config);
        error = FW_DriverError();
        EXPECT_FALSE(FW_Configuration::isValid(config, &error)) << qPrintable(fault.first);
        EXPECT_EQ(error.errorCode(), fault.first);
        EXPECT_FALSE(error.errorMsg().isEmpty());
    }

    // Repeated machines can only come from a driver's answer.
    XmlRpcValue value = makeConfiguration().toXmlRpcValue();
    value["machines"][1] = value["machines"][2]; // the scale twice
    bool ok = false;
    const FW_Configuration repeated = FW_Configuration::fromXmlRpcValue(value, &ok);
    ASSERT_TRUE(ok);
    EXPECT_FALSE(FW_Configuration::isValid(repeated, &error));
    EXPECT_EQ(error.errorCode(), QStringLiteral("TE90003"));
    // A driver not set up yet has no machines, which is no fault.
    EXPECT_TRUE(FW_Configuration::isValid(FW_Configuration(), nullptr));
}

TEST(FrameworkConfiguration, ChangeDetection)
{
    const QString me = QStringLiteral("client-1");
    const QList<ConfigID> old = {ConfigID(MachineID(1, 1), 4, me), ConfigID(MachineID(1, 4), 2, QString())};
    auto changed = [&](const QList<ConfigID> &current) {
        return FW_Configuration::configurationChanged(old, current, me);
    };
    EXPECT_FALSE(changed(old));
    EXPECT_FALSE(changed({old.at(1), old.at(0)})) << "order does not matter";
    EXPECT_FALSE(changed({ConfigID(MachineID(1, 1), 5, me), old.at(1)})) << "own save";
    EXPECT_TRUE(changed({ConfigID(MachineID(1, 1), 5, QStringLiteral("client-2")), old.at(1)}));
    EXPECT_TRUE(changed({ConfigID(MachineID(1, 1), 5, QString()), old.at(1)}));
    EXPECT_TRUE(changed({old.at(0)})) << "machine removed";
    EXPECT_TRUE(changed({old.at(0), ConfigID(MachineID(2, 4), 2, QString())})) << "machine swapped";
    EXPECT_TRUE(FW_Configuration::configurationChanged({ConfigID(MachineID(1, 1), 4, QString())},
                                                       {ConfigID(MachineID(1, 1), 5, QString())}, QString()))
        << "an empty client ID owns no save";
}

TEST(FrameworkMachines, DispenserQueriesAndModels)
{
    FW_Dispenser d = makeDispenser(1, 16);
    QList<int> all;
    for (int p = 1; p <= 16; ++p)
        all.append(p);
    EXPECT_EQ(d.getPositionsIDList(false), all);
    all.removeLast();
    EXPECT_EQ(d.getPositionsIDList(true), all) << "circuit 16 is not in use";
    EXPECT_TRUE(d.hasGravimetricSwDosingMotors());
    EXPECT_TRUE(d.hasDevice(FW_Dispenser::DeviceHumidifier));
    EXPECT_FALSE(d.hasDevice(FW_Dispenser::DeviceHumiditySensor));
    EXPECT_FALSE(d.setCircuits({FW_Circuit(2, QStringLiteral("A"), 1.0), FW_Circuit(5, QStringLiteral("B"), 1.0),
                                FW_Circuit(2, QStringLiteral("C"), 1.0)}));
    EXPECT_EQ(d.numOfCircuits(), 16);
    FW_Dispenser small(4);
    ASSERT_TRUE(small.setCircuits({FW_Circuit(9, QStringLiteral("A"), 1.0), FW_Circuit(2, QStringLiteral("B"), 1.0)}));
    EXPECT_EQ(small.getPositionsIDList(false), QList<int>({2, 9}));

    const QList<CircuitGravSettings> settings = {CircuitGravSettings(3, false, 4.0, 1.0),
                                                 CircuitGravSettings(40, true, 1.0, 1.0)};
    EXPECT_EQ(d.setGravimetricSettings(settings), 1) << "no circuit 40";
    EXPECT_EQ(d.gravimetricSettings({3, 40}), QList<CircuitGravSettings>({settings.first()}));
    EXPECT_EQ(d.gravimetricSettings().size(), 16);

    EXPECT_EQ(FW_Machine::getBoardIDForModel(ModelGX16), 63);
    EXPECT_EQ(FW_Machine::getBoardIDForModel(static_cast<MachineModel>(57)), -1);
    EXPECT_EQ(d.boardAddresses(), QList<int>({1, 16, 17, 40}));
    EXPECT_EQ(FirmwareFile::boardAddresses(0, true).first(), int(FirmwareFile::MasterBoardAddress));
    EXPECT_FALSE(FirmwareFile::boardAddresses(34, false).contains(FirmwareFile::MasterBoardAddress));

    EXPECT_EQ(CircuitProcess::name(CircuitProcess::Dispensing), QStringLiteral("Dispensing"));
    EXPECT_EQ(CircuitProcess::name(CircuitProcess::NozzleValveGX), QStringLiteral("NozzleValveGX"));
    EXPECT_EQ(CircuitProcess::name(CircuitProcess::Count), QStringLiteral("Unknown(15)"));
    EXPECT_EQ(CircuitProcess::name(-1), QStringLiteral("Unknown(-1)"));
}

TEST(FrameworkMachines, FirmwareVersionsAndPrograms)
{
    EXPECT_FALSE(FW_Version().isValid());
    EXPECT_FALSE(FW_Version(2, 0, 0, 0, 7).isValid());
    EXPECT_FALSE(FW_Version(2, 0, 0, 3, 7).hasNewConfigurationVersion());
    EXPECT_TRUE(FW_Version(2, 0, 0, FW_Version::supportedConfigVersion() + 1, 7).hasNewConfigurationVersion());

    FW_Dispenser d = makeDispenser(1, 2);
    d.setConfigVersion(3);
    FW_DriverError error;
    EXPECT_TRUE(d.checkFwConfigVersion(FW_Version(2, 0, 0, 3, 7), &error));
    EXPECT_TRUE(d.checkFwConfigVersion(FW_Version(2, 0, 0, 4, 7), &error)) << "firmware reads the previous layout";
    EXPECT_TRUE(d.checkFwConfigVersion(FW_Version(), &error)) << "unknown firmware is not held against it";
    EXPECT_FALSE(error.isValid());
    EXPECT_FALSE(d.checkFwConfigVersion(FW_Version(2, 0, 0, 5, 7), &error));
    EXPECT_EQ(error.errorCode(), QStringLiteral("TE90020"));
    EXPECT_FALSE(d.checkFwConfigVersion(FW_Version(2, 0, 0, 2, 7), &error));
    EXPECT_FALSE(d.checkFwProtocolVersion(FW_Version(2, 0, 0, 3, 6), &error));
    EXPECT_EQ(error.errorCode(), QStringLiteral("TE90021"));

    FW_Program program(1, QStringLiteral("GX main"), FW_Version(2, 0, 0, 3, 7));
    EXPECT_TRUE(program.isValid(false));
    FW_Program boot = program;
    boot.setBootLoaderActive(true);
    EXPECT_NE(boot, program);
    EXPECT_FALSE(boot.isValid(false));
    EXPECT_TRUE(boot.isValid(true));
    EXPECT_FALSE(FW_Program().isValid(true));
}

TEST(FrameworkCalibration, DefaultAndCustomProfiles)
{
    FW_CalibrationProfiles profiles;
    ASSERT_TRUE(profiles.setProfile({2, QStringLiteral("Site"), true, {{1.0, 1.2}, {3.0, 1.0}}}));
    EXPECT_FALSE(profiles.setProfile({0, QStringLiteral("No pump"), true, {}}));
    profiles.setDefaults();
    profiles.setDefaults(); // idempotent, keeps the custom profile
    EXPECT_EQ(profiles.numOfPumps(), 3);
    EXPECT_EQ(profiles.getFilteredProfiles(true, false).profiles().size(), 1);
    EXPECT_EQ(profiles.getFilteredProfiles(false, true).numOfPumps(), 3);
    EXPECT_TRUE(profiles.getFilteredProfiles(false, false).isEmpty());

    const FW_CalibrationProfiles::Profile *active = profiles.activeProfile(2);
    ASSERT_NE(active, nullptr);
    EXPECT_TRUE(active->custom);
    EXPECT_DOUBLE_EQ(active->factorFor(2.0), 1.1);
    EXPECT_DOUBLE_EQ(active->factorFor(0.1), 1.2);
    EXPECT_DOUBLE_EQ(active->factorFor(9.0), 1.0);
    EXPECT_FALSE(profiles.activeProfile(1)->custom);

    FW_CalibrationProfiles other = profiles;
    other.removeProfile(2, true);
    EXPECT_NE(other, profiles);
}

TEST(FrameworkFormula, ChannelsAndItems)
{
    const Formula formula = makeFormula();
    ASSERT_EQ(formula.channels().size(), 3);
    EXPECT_EQ(formula.channels().at(0).positions(), QList<int>({1, 2, 3}));
    EXPECT_EQ(formula.channels().at(1).positions(), QList<int>({4}));
    EXPECT_EQ(formula.channels().at(2).positions(), QList<int>({4})) << "one position per channel";
    EXPECT_EQ(formula.numOfItems(), 5);

    const Formula withZero({item(1, 0), ChannelIngredient(2, QStringLiteral("B"), 0.0)}, 0, 3);
    EXPECT_EQ(withZero.numOfItems(), 1);
    EXPECT_TRUE(Formula(QList<ChannelIngredient>(), 0, 3).isEmpty());

    std::unique_ptr<Formula> copy(formula.clone());
    copy->setLevelsManagementPolicy(Formula::SkipLevelsCheck);
    EXPECT_NE(*copy, formula);
}

TEST(FrameworkFormula, ProgressFollowsTheDosingPositions)
{
    FormulaProgress progress(makeChannelFormula());
    EXPECT_EQ(progress.totalTime(), 11000);
    EXPECT_EQ(progress.percentage(), 0);

    progress.updateDosingProcess({});
    EXPECT_EQ(progress.timeLeft(), 11000) << "nothing started";
    progress.updateDosingProcess({2, 7});
    EXPECT_EQ(progress.formulaChannels().at(0).state(), ChannelIngredient::Dosing);
    EXPECT_EQ(progress.formulaChannels().at(2).state(), ChannelIngredient::Waiting)
        << "position 2 is the first channel's";
    EXPECT_EQ(progress.timeLeft(), 8000) << "positions 1 and 3 finished; the 3 s one tells the elapsed time";
    EXPECT_EQ(progress.percentage(), 27);

    progress.updateDosingProcess({});
    EXPECT_EQ(progress.formulaChannels().at(0).state(), ChannelIngredient::Done);
    EXPECT_EQ(progress.formulaChannels().at(1).state(), ChannelIngredient::Waiting);
    EXPECT_EQ(progress.timeLeft(), 6000);

    // The last channel dosing: the second finished between two polls.
    progress.updateDosingProcess({2, 5});
    EXPECT_EQ(progress.formulaChannels().at(1).state(), ChannelIngredient::Done);
    EXPECT_EQ(progress.formulaChannels().at(2).state(), ChannelIngredient::Dosing);
    EXPECT_EQ(progress.timeLeft(), 4000);
    EXPECT_EQ(progress.percentage(), 63);
    progress.updateDosingProcess({2});
    EXPECT_EQ(progress.timeLeft(), 3000);

    std::unique_ptr<FormulaProgress> before(progress.clone());
    progress.updateDosingProcess({});
    EXPECT_NE(progress, *before);
    EXPECT_TRUE(progress.isFinished());
    EXPECT_EQ(progress.percentage(), 100);
    EXPECT_EQ(progress.timeLeft(), 0);
    EXPECT_EQ(before->timeLeft(), 3000) << "the clone is independent";
}

TEST(FrameworkFormula, SetProcessOnlyMovesForward)
{
    FormulaProgress progress(makeFormula());
    progress.setProcess(1);
    EXPECT_EQ(progress.percentage(), 0) << "dosing everywhere, nothing finished";
    progress.setProcess(0);
    progress.setProcess(7);
    EXPECT_EQ(progress.formulaChannels().at(2).state(), ChannelIngredient::Dosing);
    progress.setProcess(2);
    EXPECT_EQ(progress.percentage(), 100);

    // Without estimates the percentage stays at 0 until the end.
    FormulaProgress unknown(Formula({ChannelIngredient(1, QStringLiteral("A"), 1.0)}, 0, 3));
    unknown.updateDosingProcess({1});
    EXPECT_EQ(unknown.percentage(), 0);
    unknown.updateDosingProcess({});
    EXPECT_EQ(unknown.percentage(), 100);
    EXPECT_EQ(FormulaProgress().percentage(), 0);
    EXPECT_FALSE(FormulaProgress().isFinished());
}

TEST(FrameworkMetaTypes, QueuedSignalTypesAreRegisteredByName)
{
    for (const char *name : {"FW_Configuration", "Formula", "FormulaProgress", "FW_Version", "FW_Program",
                             "FW_CalibrationProfiles"})
        EXPECT_NE(QMetaType::type(name), int(QMetaType::UnknownType)) << name;
    const QVariant v = QVariant::fromValue(makeConfiguration());
    EXPECT_EQ(v.value<FW_Configuration>(), makeConfiguration());
}
