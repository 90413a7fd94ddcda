// Unit tests of the status and answer classes of the protocol library and of
// the commands that carry a formula or a circuit process: every class is
// written to its XML-RPC value and built back, malformed values are refused,
// and the machine list comparison and the answer factory are checked.

#include "DeleteMachineCmd.h"
#include "FW_Dispenser.h"
#include "FW_Mixer.h"
#include "ProtoCommandList.h"
#include "SaveConfigCmd.h"
#include "SaveMachineConfigCmd.h"
#include "AsyncAnswer.h"
#include "CertifySessionAnswer.h"
#include "ClearErrorsAnswer.h"
#include "DispenserDriverStatusAnswer.h"
#include "DispenserStatus.h"
#include "FW_Version.h"
#include "Formula.h"
#include "GetActiveCircuitsAnswer.h"
#include "GetActiveCircuitsCmd.h"
#include "GetActiveDispAnswer.h"
#include "GetCommandStatusAnswer.h"
#include "GetConnectionStatusAnswer.h"
#include "GetErrorsAnswer.h"
#include "GetKeyAnswer.h"
#include "GetMachineListAnswer.h"
#include "GetSwVersionAnswer.h"
#include "GetUssWaterStatusAnswer.h"
#include "LoginAnswer.h"
#include "MixerDriverStatusAnswer.h"
#include "MixerStatus.h"
#include "ProtoAnswerFactory.h"
#include "PurgeFormulaCmd.h"
#include "SerialProtoCommand.h"
#include "TintAnswer.h"
#include "TintCmd.h"
#include "WeightAnswer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

using XmlRpc::XmlRpcValue;

namespace {

XmlRpcValue okResult(const XmlRpcValue &data)
{
    return XmlRpcAnswer::makeResult(ProtoAnswer::RC_OK, FW_ErrorList(), data);
}

// Writes the answer, decodes it into a fresh object (a default one of the
// same class, or the given one, e.g. the factory's) and expects an equal,
// valid answer.
template<typename T>
std::unique_ptr<T> roundTrip(const T &answer, XmlRpcAnswer *target = nullptr)
{
    std::unique_ptr<XmlRpcAnswer> decoded(target ? target : new T());
    EXPECT_TRUE(decoded->fromXmlRpcValue(answer.toXmlRpcValue())) << answer.answerName().toStdString();
    EXPECT_TRUE(decoded->equalTo(&answer));
    EXPECT_TRUE(answer.equalTo(decoded.get()));
    EXPECT_EQ(decoded->toXmlRpcValue(), answer.toXmlRpcValue());
    return std::unique_ptr<T>(dynamic_cast<T *>(decoded.release()));
}

DispenserStatus dispenser(int number, bool active, int configRevision = 0)
{
    DispenserStatus status(MachineID(number, MachineID::Dispenser));
    status.setActive(active);
    status.setModelName(QStringLiteral("DX-16"));
    status.setState(2, QStringLiteral("Ready"));
    status.setAcceptCommands(true);
    status.setAcceptProcessCommands(active);
    status.setCircuitsCount(16);
    status.setShelfState(DispenserStatus::ShelfDown);
    if (configRevision > 0)
        status.setConfigID(ConfigID(status.machineID(), configRevision, QStringLiteral("shop-pc")));
    return status;
}

MixerStatus mixer(int number, bool active)
{
    MixerStatus status(MachineID(number, MachineID::Mixer));
    status.setActive(active);
    status.setProgram(3);
    status.setSpeed(180);
    return status;
}

DispenserStatus scale(int number) // the driver lists scales with the dispensers
{
    DispenserStatus status(MachineID(number, MachineID::Scale));
    status.setActive(true);
    return status;
}

Formula threeColorants()
{
    ChannelIngredient a(1, QStringLiteral("BK"), 1.5), b(2, QStringLiteral("WH"), 20.0),
        c(3, QStringLiteral("RD"), 0.25);
    a.setTimeEstimate(1000);
    b.setTimeEstimate(3000);
    c.setTimeEstimate(2000);
    return Formula(QList<ChannelIngredient>{a, b, c}, Formula::CheckLevels, 2); // channels {1, 2}, {3}
}

} // namespace

// ---------------------------------------------------------------- machine statuses

TEST(MachineStatus, RoundTripBuildsTheKindTheMachineTypeNames)
{
    DispenserStatus disp = dispenser(2, true, 7);
    FW_ErrorList errors;
    errors.append(FW_HwError(QStringLiteral("Canister 4 empty"), QStringLiteral("TE30004")));
    disp.setErrors(errors);
    disp.setDispensing(true);
    disp.setScaleNumber(9);
    const MixerStatus mix = mixer(1, false);
    const DispenserStatus scl = scale(9);
    const MachineStatus generic(MachineID(5, 0));

    for (const MachineStatus *original : QList<const MachineStatus *>{&disp, &mix, &scl, &generic}) {
        bool ok = false;
        const std::unique_ptr<MachineStatus> decoded = MachineStatus::create(original->toXmlRpcValue(), &ok);
        ASSERT_TRUE(ok) << original->statusName().toStdString();
        EXPECT_EQ(decoded->statusName(), original->statusName());
        EXPECT_TRUE(decoded->equalTo(*original));
    }
    bool ok = false;
    const DispenserStatus back = DispenserStatus::fromXmlRpcValue(disp.toXmlRpcValue(), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(back.configID(), ConfigID(MachineID(2, 1), 7, QStringLiteral("shop-pc")));
    EXPECT_EQ(back.errors(), errors);
    EXPECT_TRUE(back.hasScale() && back.isDispensing());

    // A status without a configuration identity stays without one.
    const MixerStatus mixBack = MixerStatus::fromXmlRpcValue(mix.toXmlRpcValue(), &ok);
    EXPECT_FALSE(mixBack.hasConfigID());
    EXPECT_EQ(mixBack.configID(), ConfigID(MachineID(1, 4), 0));

    // Clones are independent and keep their kind; another class never equals.
    std::unique_ptr<MachineStatus> copy(disp.clone());
    disp.setCircuitsCount(24);
    ASSERT_NE(dynamic_cast<DispenserStatus *>(copy.get()), nullptr);
    EXPECT_EQ(static_cast<DispenserStatus *>(copy.get())->circuitsCount(), 16);
    EXPECT_FALSE(MachineStatus(MachineID(3, 1)).equalTo(DispenserStatus(MachineID(3, 1))));
}

TEST(MachineStatus, MalformedValuesAreRefused)
{
    const XmlRpcValue good = dispenser(1, true, 2).toXmlRpcValue();
    auto refused = [](XmlRpcValue value) {
        bool ok = true;
        EXPECT_EQ(MachineStatus::create(value, &ok), nullptr);
        EXPECT_FALSE(ok);
    };
    const QList<QPair<const char *, XmlRpcValue>> wrongTypes{
        {"active", 1}, {"state", "2"}, {"errors", "none"}, {"config", 7}, {"id", "1/1"}, {"circuits", -1}};
    for (const auto &wrong : wrongTypes) {
        XmlRpcValue v = good;
        v[wrong.first] = wrong.second;
        refused(v);
    }
    refused(XmlRpcValue("status"));
    XmlRpcValue missing;
    for (const auto &member : good.asStruct())
        if (member.first != "circuits")
            missing[member.first] = member.second;
    refused(missing);

    bool ok = true;
    DispenserStatus::fromXmlRpcValue(mixer(1, true).toXmlRpcValue(), &ok);
    EXPECT_FALSE(ok) << "a mixer is not a dispenser";
    MixerStatus::fromXmlRpcValue(good, &ok);
    EXPECT_FALSE(ok) << "a dispenser is not a mixer";
}

// The information a status carries: it travels with the status, copies
// of the status own theirs, and it brings a configuration in line.
TEST(MachineStatus, MachineInformationTravelsAndUpdatesTheConfiguration)
{
    DispenserInfo info;
    info.setSerialNumber(QStringLiteral("DX16-0042"));
    info.setModel(ModelDX16);
    info.setMainProgram(FW_Program(1, QStringLiteral("DX-16 main"), FW_Version(2, 4, 117, 3, 7)));
    info.setHardwareRevision(QStringLiteral("B2"));
    info.setCircuitsCount(16);
    info.setScaleNumber(9);
    info.setDevices({FW_Dispenser::DeviceAutocap, FW_Dispenser::DeviceHumiditySensor});
    DispenserStatus disp = dispenser(2, true, 7);
    disp.setMachineInfo(info);
    MixerStatus mix = mixer(1, true);
    MachineInfo mixerInfo;
    mixerInfo.setSerialNumber(QStringLiteral("MX-7"));
    mix.setMachineInfo(mixerInfo); // a board in its boot loader or silent: no program

    for (const MachineStatus *original : QList<const MachineStatus *>{&disp, &mix}) {
        bool ok = false;
        const std::unique_ptr<MachineStatus> decoded = MachineStatus::create(original->toXmlRpcValue(), &ok);
        ASSERT_TRUE(ok && decoded->hasMachineInfo()) << original->statusName().toStdString();
        EXPECT_TRUE(decoded->equalTo(*original));
        EXPECT_TRUE(decoded->machineInfo()->equalTo(*original->machineInfo()));
    }
    EXPECT_EQ(DispenserStatus::fromXmlRpcValue(disp.toXmlRpcValue()).dispenserInfo(), info);
    EXPECT_EQ(DispenserStatus::fromXmlRpcValue(disp.toXmlRpcValue()).dispenserInfo().mainProgram().version(),
              FW_Version(2, 4, 117, 3, 7));
    EXPECT_FALSE(MachineInfo().equalTo(DispenserInfo()));
    EXPECT_FALSE(dispenser(2, true).hasMachineInfo());
    EXPECT_EQ(dispenser(2, true).dispenserInfo(), DispenserInfo());

    // Copies own their information.
    DispenserStatus copy = disp;
    std::unique_ptr<MachineStatus> clone(disp.clone());
    disp.setMachineInfo(DispenserInfo());
    EXPECT_EQ(copy.dispenserInfo().scaleNumber(), 9);
    EXPECT_EQ(static_cast<DispenserStatus *>(clone.get())->dispenserInfo(), info);
    copy = disp;
    EXPECT_EQ(copy.dispenserInfo().scaleNumber(), 0);

    // Malformed information makes the whole status malformed.
    for (const char *member : {"scale", "devices", "program", "serial"}) {
        XmlRpcValue value = copy.toXmlRpcValue();
        value["info"] = info.toXmlRpcValue();
        value["info"][member] = -1;
        bool ok = true;
        EXPECT_EQ(MachineStatus::create(value, &ok), nullptr) << member;
        EXPECT_FALSE(ok);
    }

    // The configuration follows the serial number and the wired scale, once.
    FW_Dispenser configured(2);
    configured.setSerialNumber(QStringLiteral("old"));
    EXPECT_FALSE(dispenser(2, true).updateMachineConfiguration(configured));
    EXPECT_TRUE(clone->updateMachineConfiguration(configured));
    EXPECT_EQ(configured.serialNumber(), QStringLiteral("DX16-0042"));
    EXPECT_EQ(configured.scaleNumber(), 9);
    EXPECT_TRUE(configured.devices().isEmpty()) << "devices stay the user's";
    EXPECT_FALSE(info.updateMachineConfiguration(configured));
    DispenserInfo unwired; // no serial reported: the stored one stays
    EXPECT_TRUE(unwired.updateMachineConfiguration(configured));
    EXPECT_EQ(configured.serialNumber(), QStringLiteral("DX16-0042"));
    EXPECT_FALSE(configured.hasScale());
    FW_Mixer mixerConfig(1);
    EXPECT_TRUE(mix.updateMachineConfiguration(mixerConfig));
    EXPECT_EQ(mixerConfig.serialNumber(), QStringLiteral("MX-7"));
}

TEST(MachineStatus, RelevantChangesOfTheMachineList)
{
    const QList<DispenserStatus> before{dispenser(1, true, 3), dispenser(2, false), scale(9)};
    auto changed = [&before](const std::function<void(QList<DispenserStatus> &)> &edit, int mask) {
        QList<DispenserStatus> after = before;
        edit(after);
        return DispenserStatus::hasRelevantChanges(before, after, mask);
    };
    // What the machine list does not show.
    EXPECT_FALSE(changed([](QList<DispenserStatus> &) {}, 1));
    EXPECT_FALSE(changed([](QList<DispenserStatus> &l) { l[0].setState(5, QStringLiteral("Dispensing")); }, 0));
    EXPECT_FALSE(changed([](QList<DispenserStatus> &l) { l[0].setBusy(true); }, 0));
    EXPECT_FALSE(changed([](QList<DispenserStatus> &l) { l[0].setDispensing(true); }, 0));
    EXPECT_FALSE(changed([](QList<DispenserStatus> &l) { l.move(0, 1); }, 0));
    EXPECT_FALSE(changed([](QList<DispenserStatus> &l) { l[0].setMachineInfo(DispenserInfo()); }, 0));
    // What it shows.
    EXPECT_TRUE(changed([](QList<DispenserStatus> &l) { l[1].setActive(true); }, 1));
    EXPECT_TRUE(changed([](QList<DispenserStatus> &l) { l[0].setAcceptProcessCommands(false); }, 1));
    EXPECT_TRUE(changed([](QList<DispenserStatus> &l) { l[0].setConfigID(ConfigID(MachineID(1, 1), 4)); }, 1));
    EXPECT_TRUE(changed([](QList<DispenserStatus> &l) { l[1].setCircuitsCount(24); }, 1));
    EXPECT_TRUE(changed([](QList<DispenserStatus> &l) { l.removeAt(1); }, 1));
    EXPECT_TRUE(changed([](QList<DispenserStatus> &l) { l[1] = dispenser(4, false); }, 1));
    EXPECT_TRUE(changed([](QList<DispenserStatus> &l) { l[1] = l[0]; }, 1)) << "machine 2 gone, 1 twice";
    // The type mask selects the entries compared.
    EXPECT_FALSE(changed([](QList<DispenserStatus> &l) { l[2].setActive(false); }, 1));
    EXPECT_TRUE(changed([](QList<DispenserStatus> &l) { l[2].setActive(false); }, 2));
    EXPECT_FALSE(changed([](QList<DispenserStatus> &l) { l[0].setActive(false); }, 2));

    EXPECT_TRUE(MixerStatus::hasRelevantChanges(QList<MixerStatus>(), QList<MixerStatus>{mixer(1, false)}));
    MixerStatus m1 = mixer(1, true), m2 = mixer(1, true);
    m2.setProgram(7);
    EXPECT_FALSE(MachineStatus::hasRelevantChanges(QList<MachineStatus *>{&m1}, QList<MachineStatus *>{&m2}));
    DispenserStatus asDispenser(MachineID(1, 4));
    EXPECT_TRUE(MachineStatus::hasRelevantChanges(QList<MachineStatus *>{&m1},
                                                  QList<MachineStatus *>{&asDispenser}));
}

TEST(MachineStatus, FiltersSplitAMixedListByKind)
{
    DispenserStatus d1 = dispenser(1, true, 5), s9 = scale(9);
    MixerStatus m1 = mixer(1, true);
    MachineStatus other(MachineID(7, 0));
    const QList<MachineStatus *> list{&d1, nullptr, &m1, &s9, &other};

    const QList<DispenserStatus> dispensers = MachineStatus::filterDispenserStatus(list);
    ASSERT_EQ(dispensers.size(), 2);
    EXPECT_EQ(dispensers[0].machineID(), MachineID(1, 1));
    EXPECT_EQ(dispensers[1].machineID(), MachineID(9, 2));
    EXPECT_EQ(MachineStatus::filterMixerStatus(list).size(), 1);
    EXPECT_EQ(MachineStatus::getConfigIDList(list),
              QList<ConfigID>{ConfigID(MachineID(1, 1), 5, QStringLiteral("shop-pc"))});
}

// ---------------------------------------------------------------- driver statuses

TEST(DriverStatusAnswer, RoundTripWithAndWithoutTheMachinePart)
{
    DispenserStatusAnswer part;
    part.setState(4, QStringLiteral("Dispensing"));
    part.setDispensingTrigger(true);
    part.setUssCleaning(true);
    part.setWarning(true);
    DispenserDriverStatusAnswer disp;
    disp.setMachineID(MachineID(2, 1));
    disp.setActiveMachine(true);
    disp.setAcceptCommands(true);
    disp.setReadyForPOScommands(true);
    ASSERT_TRUE(disp.setMachineStatusAnswer(&part));

    const auto back = roundTrip(disp, ProtoAnswerFactory::create(QStringLiteral("GET_DISP_STATUS")));
    ASSERT_TRUE(back && back->dispenserStatusAnswer());
    EXPECT_TRUE(back->dispenserStatusAnswer()->dispensingTrigger());
    EXPECT_FALSE(back->dispenserStatusAnswer()->isErrorCondition());
    EXPECT_TRUE(back->acceptCommands());
    EXPECT_FALSE(back->acceptProcessCommands());

    MixerStatusAnswer mixPart;
    mixPart.setAlarm(true);
    mixPart.setProgram(2);
    MixerDriverStatusAnswer mix;
    EXPECT_FALSE(mix.setMachineStatusAnswer(&part)) << "a dispenser part in a mixer status";
    const auto bare = roundTrip(mix, ProtoAnswerFactory::create(QStringLiteral("GET_MIXER_STATUS")));
    EXPECT_FALSE(bare->hasMachineStatusAnswer());
    ASSERT_TRUE(mix.setMachineStatusAnswer(&mixPart));
    const auto full = roundTrip(mix);
    EXPECT_TRUE(full->mixerStatusAnswer()->isErrorCondition());

    // The mixer's data is no dispenser status (its part lacks the dispenser members).
    DispenserDriverStatusAnswer wrongKind;
    EXPECT_FALSE(wrongKind.fromXmlRpcValue(mix.toXmlRpcValue()));
}

// A client keeps copies of driver statuses and marks those of machines that went inactive.
TEST(DriverStatusAnswer, CopiesAreDeepAndAnInactiveMachineAcceptsNothing)
{
    DispenserStatusAnswer part;
    part.setDispensingTrigger(true);
    DispenserDriverStatusAnswer status;
    status.setActiveMachine(true);
    status.setAcceptCommands(true);
    status.setAcceptProcessCommands(true);
    status.setReadyForPOScommands(true);
    status.setMachineStatusAnswer(&part);

    std::unique_ptr<ProtoAnswer> copy(status.clone());
    part.setDispensingTrigger(false);
    status.setMachineStatusAnswer(&part);
    const auto *cloned = dynamic_cast<DispenserDriverStatusAnswer *>(copy.get());
    ASSERT_NE(cloned, nullptr);
    EXPECT_TRUE(cloned->dispenserStatusAnswer()->dispensingTrigger());
    EXPECT_FALSE(cloned->equalTo(&status));
    EXPECT_FALSE(MachineDriverStatusAnswer().equalTo(&status)) << "another class";

    DispenserDriverStatusAnswer stored(status);
    EXPECT_TRUE(stored == status);
    stored.setActiveMachine(false);
    EXPECT_FALSE(stored.acceptCommands() || stored.acceptProcessCommands() || stored.readyForPOScommands());
    EXPECT_TRUE(stored != status);
}

// ---------------------------------------------------------------- machine lists

TEST(GetActiveDispAnswer, HoldsClonesAndSelectsByType)
{
    DispenserStatus d1 = dispenser(1, true), d2 = dispenser(2, false), s9 = scale(9);
    MixerStatus m1 = mixer(1, true);
    const GetActiveDispAnswer answer(QList<MachineStatus *>{&d1, nullptr, &d2, &m1, &s9});
    d1.setActive(false); // the answer holds its own copies

    EXPECT_EQ(answer.numOfMachineStatus(), 4);
    EXPECT_EQ(answer.getActiveMachineIDs(MachineID::Dispenser), QList<MachineID>{MachineID(1, 1)});
    EXPECT_EQ(answer.getMachineIDs(MachineID::Dispenser | MachineID::Mixer),
              (QList<MachineID>{MachineID(1, 1), MachineID(2, 1), MachineID(1, 4)}));
    EXPECT_EQ(answer.getDispenserIDs(), (QList<int>{1, 2}));
    EXPECT_EQ(answer.getActiveMixerIDs(), QList<int>{1});
    EXPECT_EQ(answer.dispenserStatusList().size(), 3) << "dispensers and the scale";
    EXPECT_EQ(answer.toString(), QStringLiteral("1/1 active, 2/1 inactive, 1/4 active, 9/2 active"));

    const auto back = roundTrip(answer, ProtoAnswerFactory::create(QStringLiteral("GET_ACTIVE_DISP")));
    EXPECT_NE(dynamic_cast<MixerStatus *>(back->machineStatusList().at(2)), nullptr);

    GetActiveDispAnswer copy(answer);
    copy.machineStatusList().first()->setActive(false);
    EXPECT_FALSE(copy.equalTo(&answer));
    EXPECT_EQ(answer.getActiveDispenserIDs(), QList<int>{1});

    XmlRpcValue bad = answer.toXmlRpcValue();
    bad["data"]["machines"][1]["busy"] = "no";
    EXPECT_FALSE(GetActiveDispAnswer(bad).isValid());
}

TEST(GetMachineListAnswer, NumbersOfOneTypeReadLikeMachineStatuses)
{
    const GetMachineListAnswer dispensers(MachineID::Dispenser, QList<int>{1, 3});
    const auto back = roundTrip(dispensers, ProtoAnswerFactory::create(QStringLiteral("GET_DISP_LIST")));
    EXPECT_EQ(back->getDispenserIDs(), (QList<int>{1, 3}));
    EXPECT_TRUE(back->getActiveMachineIDs(0).isEmpty());

    std::unique_ptr<XmlRpcAnswer> mixers(ProtoAnswerFactory::create(QStringLiteral("GET_MIXER_LIST")));
    ASSERT_TRUE(mixers->fromXmlRpcValue(dispensers.toXmlRpcValue()));
    const auto *asActive = dynamic_cast<GetActiveDispAnswer *>(mixers.get());
    ASSERT_NE(asActive, nullptr);
    EXPECT_EQ(asActive->getMixerIDs(), (QList<int>{1, 3}));
    EXPECT_TRUE(asActive->getDispenserIDs().isEmpty());
    EXPECT_FALSE(mixers->equalTo(&dispensers)) << "same numbers, other type";

    XmlRpcValue data;
    data["machines"][0] = 0;
    EXPECT_FALSE(GetMachineListAnswer(MachineID::Dispenser, okResult(data)).isValid());
    data["machines"][0] = "1";
    EXPECT_FALSE(GetMachineListAnswer(MachineID::Dispenser, okResult(data)).isValid());
}

// ---------------------------------------------------------------- single operations

TEST(SingleAnswers, RoundTripsAndFields)
{
    const auto conn = roundTrip(GetConnectionStatusAnswer({MachineID(1, 1)}, {MachineID(1, 4)}));
    EXPECT_TRUE(conn->isConnected(MachineID(1, 1)));
    EXPECT_FALSE(conn->allConnected());

    const WeightAnswer weight(MachineID(9, 2), 125.5, QStringLiteral("g"), true);
    const auto w = roundTrip(weight);
    EXPECT_DOUBLE_EQ(w->weight(), 125.5);
    EXPECT_EQ(w->scaleID(), MachineID(9, 2));
    EXPECT_TRUE(WeightAnswer(MachineID(9, 2), 125.6, QStringLiteral("g"), true) != weight);

    const auto version = roundTrip(GetSwVersionAnswer(QStringLiteral("3.2.1-rc1"), 1));
    EXPECT_EQ(version->version(), QVersionNumber(3, 2, 1));

    FW_ErrorList errors;
    errors.append(FW_HwError(QStringLiteral("Door open"), QStringLiteral("TE30010")));
    const auto getErrors = roundTrip(GetErrorsAnswer(errors));
    EXPECT_EQ(getErrors->errorList(), errors);
    EXPECT_FALSE(getErrors->hasErrors()) << "the machine's errors are not errors of the call";
    EXPECT_EQ(roundTrip(ClearErrorsAnswer(2))->clearedCount(), 2);

    const Formula formula = threeColorants();
    const auto tint = roundTrip(TintAnswer(formula.channels()));
    EXPECT_EQ(tint->dispensedIngredients(), formula.ingredients());

    const auto circuits = roundTrip(GetActiveCircuitsAnswer(CircuitProcessDispensing, {4, 1, 7, 5}, {2, 4, 2, 10}));
    EXPECT_EQ(circuits->circuitProcess(), 1);
    EXPECT_EQ(circuits->getPositionsIDForStatusMask(GetActiveCircuitsAnswer::StatusActive), (QList<int>{4, 7}))
        << "5 is active with an error: not dosing normally";
    EXPECT_TRUE(circuits->getPositionsIDForStatusMask(GetActiveCircuitsAnswer::StatusWaiting).isEmpty());
    EXPECT_EQ(circuits->statusTypeMasksStr(), QStringLiteral("2,4,2,10"));
    EXPECT_EQ(circuits->statusMask(2), -1);
}

TEST(SingleAnswers, UssWaterChangeStatus)
{
    const QDateTime changed(QDate(2024, 5, 2), QTime(8, 30, 0, 250), Qt::UTC);
    const UssWaterChangeStatus status(changed, 12, 40, false);
    EXPECT_EQ(status.lastChange(), changed.addMSecs(-250)) << "kept in whole seconds";
    EXPECT_EQ(status.toXmlRpcValue()["lastChange"].asString(), "2024-05-02T08:30:00Z");
    const auto back = roundTrip(GetUssWaterStatusAnswer(status),
                                ProtoAnswerFactory::create(QStringLiteral("GET_USS_W_STATUS")));
    EXPECT_EQ(back->ussWaterChangeStatus(), status);

    bool ok = false;
    const UssWaterChangeStatus never =
        UssWaterChangeStatus::fromXmlRpcValue(UssWaterChangeStatus().toXmlRpcValue(), &ok);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(never.lastChange().isValid());
    EXPECT_NE(never, status);
    XmlRpcValue bad = status.toXmlRpcValue();
    bad["lastChange"] = "yesterday";
    UssWaterChangeStatus::fromXmlRpcValue(bad, &ok);
    EXPECT_FALSE(ok);
}

TEST(SingleAnswers, MalformedDataIsRefused)
{
    auto refused = [](XmlRpcAnswer *answer, const XmlRpcValue &data) {
        std::unique_ptr<XmlRpcAnswer> owner(answer);
        EXPECT_FALSE(answer->fromXmlRpcValue(okResult(data))) << answer->answerName().toStdString();
        EXPECT_FALSE(answer->isValid());
    };
    XmlRpcValue data = GetConnectionStatusAnswer({MachineID(1, 1)}, {MachineID(1, 1)}).toXmlRpcValue()["data"];
    refused(new GetConnectionStatusAnswer(), data); // connected and lost at once
    data = WeightAnswer(MachineID(9, 2), 1.0, QStringLiteral("g"), true).toXmlRpcValue()["data"];
    data["stable"] = 1;
    refused(new WeightAnswer(), data);
    refused(new GetSwVersionAnswer(), GetSwVersionAnswer(QStringLiteral("abc"), 1).toXmlRpcValue()["data"]);
    refused(new ClearErrorsAnswer(), ClearErrorsAnswer(-1).toXmlRpcValue()["data"]);
    refused(new GetActiveCircuitsAnswer(), // a position twice
            GetActiveCircuitsAnswer(1, {3, 3}, {2, 2}).toXmlRpcValue()["data"]);
    data = TintAnswer(threeColorants().channels()).toXmlRpcValue()["data"];
    data["dispensed"][0] = 5;
    refused(new TintAnswer(), data);
    data = XmlRpcValue();
    data["errors"] = "TE30010";
    refused(new GetErrorsAnswer(), data);
}

// The answers whose data is one value: the member each reads and writes is
// the one of the driver protocol, a value of another kind or out of range is
// refused, and a refused result leaves the value the answer held.
TEST(SingleAnswers, OneValueAnswersKeepToTheirMemberKindAndRange)
{
    auto oneMember = [](const char *name, const XmlRpcValue &value) {
        XmlRpcValue data;
        data[name] = value;
        return data;
    };
    auto dataOf = [](const XmlRpcAnswer &answer) { return answer.toXmlRpcValue()["data"]; };
    CmdStatus status;
    status.setStatus(CmdStatus::CMD_IN_PROGRESS);
    status.setPercentage(40);

    EXPECT_EQ(dataOf(LoginAnswer(QStringLiteral("5f0c"))), oneMember("session", "5f0c"));
    EXPECT_EQ(dataOf(GetKeyAnswer(QStringLiteral("s.n.p"))), oneMember("key", "s.n.p"));
    EXPECT_EQ(dataOf(CertifySessionAnswer(true)), oneMember("certified", true));
    EXPECT_EQ(dataOf(AsyncAnswer(7)), oneMember("ticket", 7));
    EXPECT_EQ(dataOf(ClearErrorsAnswer(0)), oneMember("cleared", 0));
    EXPECT_EQ(dataOf(GetCommandStatusAnswer(status)), status.toXmlRpcValue()) << "the status is the data";

    EXPECT_EQ(LoginAnswer(okResult(oneMember("session", "5f0c"))).sessionID(), QStringLiteral("5f0c"));
    EXPECT_EQ(GetKeyAnswer(okResult(oneMember("key", "s.n.p"))).driverKey(), QStringLiteral("s.n.p"));
    EXPECT_TRUE(CertifySessionAnswer(okResult(oneMember("certified", true))).certified());
    EXPECT_EQ(AsyncAnswer(okResult(oneMember("ticket", 7))).ticketID(), 7);
    EXPECT_EQ(GetCommandStatusAnswer(okResult(status.toXmlRpcValue())).cmdStatus(), status);

    XmlRpcValue badStatus = status.toXmlRpcValue();
    badStatus["status"] = 9;
    const std::vector<std::pair<std::function<XmlRpcAnswer *()>, XmlRpcValue>> refusals = {
        {[] { return new LoginAnswer(); }, oneMember("session", 5)},
        {[] { return new LoginAnswer(); }, oneMember("key", "5f0c")},
        {[] { return new LoginAnswer(); }, XmlRpcValue()},
        {[] { return new GetKeyAnswer(); }, XmlRpcValue("s.n.p")},
        {[] { return new CertifySessionAnswer(); }, oneMember("certified", 1)},
        {[] { return new AsyncAnswer(); }, oneMember("ticket", 0)},
        {[] { return new ClearErrorsAnswer(); }, oneMember("cleared", "2")},
        {[] { return new GetCommandStatusAnswer(); }, badStatus},
    };
    for (const auto &refusal : refusals) {
        std::unique_ptr<XmlRpcAnswer> answer(refusal.first());
        EXPECT_FALSE(answer->fromXmlRpcValue(okResult(refusal.second)))
            << answer->answerName().toStdString() << " " << refusal.second.toXml();
        EXPECT_FALSE(answer->isValid());
    }

    AsyncAnswer held(okResult(oneMember("ticket", 7)));
    EXPECT_FALSE(held.fromXmlRpcValue(okResult(oneMember("ticket", -1))));
    EXPECT_EQ(held.ticketID(), 7);
}

// Every mapped command: the right class, data required on success, and a
// failed call with errors but no data decodes as a failure.
TEST(ProtoAnswerFactory, MapsCommandsToTheirAnswerClasses)
{
    const QList<QPair<QString, QString>> mappings{
        {"GET_DISP_STATUS", "DispenserDriverStatusAnswer"}, {"GET_MIXER_STATUS", "MixerDriverStatusAnswer"},
        {"GET_ACTIVE_DISP", "GetActiveDispAnswer"},         {"GET_CONN_STATUS", "GetConnectionStatusAnswer"},
        {"GET_CURRENT_WEIGHT", "WeightAnswer"},             {"GET_USS_W_STATUS", "GetUssWaterStatusAnswer"},
        {"GET_DISP_LIST", "GetMachineListAnswer"},          {"GET_MIXER_LIST", "GetMachineListAnswer"},
        {"GET_SW_VERSION", "GetSwVersionAnswer"},           {"GET_ERRORS", "GetErrorsAnswer"},
        {"CLEAR_ERRORS", "ClearErrorsAnswer"},              {"TINT", "TintAnswer"},
        {"GET_ACTIVE_CIRCUITS", "GetActiveCircuitsAnswer"},
    };
    FW_ErrorList refusal;
    refusal.append(FW_CmdRefusedError(QStringLiteral("Command refused: machine busy"), QStringLiteral("TE10003")));
    for (const auto &mapping : mappings) {
        SCOPED_TRACE(mapping.first.toStdString());
        std::unique_ptr<XmlRpcAnswer> answer(ProtoAnswerFactory::create(mapping.first));
        EXPECT_EQ(answer->answerName(), mapping.second);
        EXPECT_FALSE(answer->fromXmlRpcValue(okResult(XmlRpcValue()))) << "success without data";
        EXPECT_FALSE(answer->fromXmlRpcValue(okResult(XmlRpcValue("data")))) << "data not a struct";
        ASSERT_TRUE(answer->fromXmlRpcValue(
            XmlRpcAnswer::makeResult(ProtoAnswer::RC_REFUSED, refusal, XmlRpcValue())));
        EXPECT_TRUE(answer->isCmdFailed());
        EXPECT_EQ(answer->errors(), refusal);
        EXPECT_FALSE(answer->toXmlRpcValue().hasMember("data"));
    }
    std::unique_ptr<XmlRpcAnswer> plain(ProtoAnswerFactory::create(QStringLiteral("STOP")));
    EXPECT_EQ(plain->answerName(), QStringLiteral("XmlRpcAnswer"));

    // A command decodes its result into the mapped class.
    ProtoCommand query(QStringLiteral("GET_CURRENT_WEIGHT"));
    FW_DriverError error;
    ASSERT_TRUE(query.setAnswer(WeightAnswer(MachineID(9, 2), 3.0, QStringLiteral("g"), false).toXmlRpcValue(),
                                false, &error));
    EXPECT_NE(dynamic_cast<WeightAnswer *>(query.getProtoAnswer()), nullptr);
}

// ---------------------------------------------------------------- commands

TEST(FormulaCommands, CallCarriesTheFormulaAndTheEstimateFollowsItsChannels)
{
    const Formula formula = threeColorants();
    const TintCmd tint(formula);
    bool ok = false;
    const XmlRpcValue call = tint.toXmlRpcValue(QStringLiteral("ab12"), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(call["cmd"].asString(), "TINT");
    EXPECT_EQ(call["session"].asString(), "ab12");
    ASSERT_EQ(call["params"].size(), 1);
    EXPECT_EQ(Formula::fromXmlRpcValue(call["params"][0], &ok), formula);
    EXPECT_TRUE(ok);
    EXPECT_EQ(tint.executionTimeEstimate(nullptr), 3000 + 2000) << "slowest of {1, 2}, then {3}";
    EXPECT_EQ(TintCmd(Formula()).executionTimeEstimate(nullptr), 0);

    std::unique_ptr<ProtoCommand> copy(TintCmd(QStringLiteral("TINT2"), formula).clone());
    const auto *tint2 = dynamic_cast<TintCmd *>(copy.get());
    ASSERT_NE(tint2, nullptr);
    EXPECT_EQ(tint2->command(), QStringLiteral("TINT2"));
    EXPECT_EQ(tint2->formula(), formula);
    EXPECT_EQ(tint2->parameters().at(0).value<Formula>(), formula);

    const PurgeFormulaCmd purge(formula);
    const XmlRpcValue purgeCall = purge.toXmlRpcValue(QStringLiteral("ab12"), &ok);
    EXPECT_EQ(purgeCall["cmd"].asString(), "PURGE");
    EXPECT_EQ(purgeCall["params"], call["params"]);
    EXPECT_EQ(purge.executionTimeEstimate(nullptr), tint.executionTimeEstimate(nullptr));
}

TEST(CircuitCommands, ActiveCircuitsQueryAndSupport)
{
    const GetActiveCircuitsCmd query(CircuitProcessRecirculation);
    bool ok = false;
    const XmlRpcValue call = query.toXmlRpcValue(QStringLiteral("s"), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(call["cmd"].asString(), "GET_ACTIVE_CIRCUITS");
    EXPECT_EQ(call["params"][0].asInt(), 2);
    std::unique_ptr<XmlRpcAnswer> answer(query.createAnswer());
    EXPECT_EQ(answer->answerName(), QStringLiteral("GetActiveCircuitsAnswer"));

    // {process, firmware protocol version (0: version never read), supported}
    const int support[][3] = {{1, 0, 0},  {1, 1, 0},  {1, 2, 1},  {10, 2, 1}, {11, 2, 0},
                              {11, 4, 1}, {14, 4, 1}, {0, 4, 0},  {15, 4, 0}, {-1, 4, 0}};
    for (const auto &row : support) {
        const FW_Version version = row[1] ? FW_Version(2, 1, 0, 2, row[1]) : FW_Version();
        EXPECT_EQ(GetActiveCircuitsCmd::isCircuitProcessSupported(row[0], version), row[2] != 0)
            << "process " << row[0] << ", protocol " << row[1];
    }

    SerialProtoCommand sensors(QStringLiteral("GET_SENSORS_STATUS"));
    sensors.setParameters(QList<QVariant>{1, 2});
    std::unique_ptr<ProtoCommand> copy(sensors.clone());
    const XmlRpcValue sensorCall = copy->toXmlRpcValue(QString(), &ok);
    EXPECT_TRUE(ok);
    EXPECT_NE(dynamic_cast<SerialProtoCommand *>(copy.get()), nullptr);
    EXPECT_EQ(sensorCall["cmd"].asString(), "GET_SENSORS_STATUS");
    EXPECT_EQ(sensorCall["params"], XmlRpcValue::emptyArray()) << "a fixed query takes no parameters";
}

// The configuration commands carry their data on the wire and come back
// from their parameters, as the reactions to executed commands rebuild them.
TEST(ConfigurationCommands, CarryTheirDataAndAreRebuiltFromTheirParameters)
{
    FW_Dispenser dispenser(3);
    dispenser.setName(QStringLiteral("Counter"));
    const SaveMachineConfigCmd save(dispenser, true, false);
    bool ok = false;
    const XmlRpcValue call = save.toXmlRpcValue(QString(), &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(call["params"].size(), 3);
    const std::unique_ptr<FW_Machine> sent = FW_Machine::fromXmlRpcValue(call["params"][0], &ok);
    ASSERT_TRUE(ok && sent);
    EXPECT_EQ(sent->name(), QStringLiteral("Counter"));
    EXPECT_FALSE(call["params"][2].asBool()) << "not a factory save";

    std::unique_ptr<ProtoCommand> rebuilt(ProtoCommandList::getProtoCommand(save.command(), save.parameters(), nullptr));
    const auto *again = dynamic_cast<const SaveMachineConfigCmd *>(rebuilt.get());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->machine()->machineID(), MachineID(3, MachineID::Dispenser));
    EXPECT_TRUE(again->overwrite());

    const DeleteMachineCmd deletion({MachineID(3, MachineID::Dispenser), MachineID(2, MachineID::Mixer)});
    rebuilt.reset(ProtoCommandList::getProtoCommand(deletion.command(), deletion.parameters(), nullptr));
    const auto *deleted = dynamic_cast<const DeleteMachineCmd *>(rebuilt.get());
    ASSERT_NE(deleted, nullptr);
    EXPECT_EQ(deleted->machineIDs(), deletion.machineIDs());
    EXPECT_EQ(deletion.toXmlRpcValue(QString(), &ok)["params"][0].size(), 2);

    FW_Configuration configuration;
    configuration.addDispenser(dispenser);
    const SaveConfigCmd whole(configuration, false, true);
    rebuilt.reset(ProtoCommandList::getProtoCommand(whole.command(), whole.parameters(), nullptr));
    const auto *wholeAgain = dynamic_cast<const SaveConfigCmd *>(rebuilt.get());
    ASSERT_NE(wholeAgain, nullptr);
    EXPECT_EQ(wholeAgain->configuration(), configuration);
    EXPECT_TRUE(wholeAgain->notify());

    // Parameters of the wrong kind give no command; none at all a plain one.
    EXPECT_EQ(ProtoCommandList::getProtoCommand(QStringLiteral("DELETE_MACHINE"), {QVariant(7)}, nullptr), nullptr);
    rebuilt.reset(ProtoCommandList::getProtoCommand(QStringLiteral("SAVE_CONFIG"), {}, nullptr));
    EXPECT_NE(rebuilt, nullptr);
}
