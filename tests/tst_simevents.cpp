// The simulated driver's machines changing while it runs: scripted events
// and model changes waking held polls as they happen, the queries of
// connections, sensors, firmware and configuration data decoded with the
// library's answer classes, the control command of axodriver-sim, scenarios
// with events, and events ending with the simulator.

#include "DispenserDriverStatusAnswer.h"
#include "FirmwareVersionAnswer.h"
#include "FW_Scale.h"
#include "GetActiveDispAnswer.h"
#include "GetCalibrationProfilesAnswer.h"
#include "GetCommandListAnswer.h"
#include "GetConfigAnswer.h"
#include "GetConnectionStatusAnswer.h"
#include "GetDriverSettingsAnswer.h"
#include "GetErrorsAnswer.h"
#include "MixerDriverStatusAnswer.h"
#include "MixerStatusAnswer.h"
#include "ProtoAnswerFactory.h"
#include "SimControl.h"
#include "SimDriver.h"
#include "SimDriverModel.h"
#include "SimProtocolClient.h"
#include "SimProtocolHandler.h"
#include "SimScenario.h"

#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

const MachineID kScale(3, MachineID::Scale);
// Polls that change only through an event must not wait for these.
const int kLongMs = 30000;

// Dispenser 1 (circuit 3 with a 200 cc reserve), mixer 2, scale 3, and one
// event of each kind that the held polls below notice.
SimScenario eventScenario(int atMs)
{
    SimScenario scenario = SimScenario::defaultScenario();
    FW_Dispenser dispenser = *scenario.configuration().getDispenserById(1);
    QList<FW_Circuit> circuits = dispenser.circuits();
    circuits[2].setReserveLevel(200.0);
    dispenser.setCircuits(circuits);
    scenario.configuration().replaceDispenser(dispenser);
    FW_Scale scale(3);
    scale.setModel(ModelSC6);
    scenario.configuration().addMachine(scale);
    scenario.setCommandList(kDispenser, {ProtocolCommandInfo(QStringLiteral("GET_DISP_STATUS"), 3),
                                         ProtocolCommandInfo(QStringLiteral("TINT"), 2)});
    QList<SimEvent> events = {
        SimEvent::raiseError(kDispenser, FW_Error(FW_Error::HwError, QStringLiteral("Canister 7 empty"),
                                                  QStringLiteral("TE30007"))),
        SimEvent::setDoor(kMixer, true),
        SimEvent::setLevel(kDispenser, 3, 150.0),
        SimEvent::setConnected(MachineID(3, 0), false),
    };
    for (SimEvent &event : events)
        event.setAtMs(atMs);
    scenario.setEvents(events);
    return scenario;
}

// The protocol on a server of the test's own, so that the events' clock
// starts only when the test says so.
class HeldPollTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        handler.install(server);
        ASSERT_TRUE(server.start()) << server.errorString();
    }
    void TearDown() override
    {
        handler.shutdown();
        server.stop();
    }

    std::shared_ptr<SimDriverModel> model = std::make_shared<SimDriverModel>(eventScenario(50));
    SimProtocolHandler handler{model};
    DriverSimulator server;
};

struct HeldPoll
{
    QString command;
    MachineID machine; // number 0: a driver-level query
    XmlRpcValue before;
    XmlRpcValue result;
    int64_t ms = -1;
};

XmlRpcValue dataOf(ProtoClient &client, const QString &command, const QString &session,
                   const XmlRpcValue &params = XmlRpcValue::emptyArray())
{
    const XmlRpcValue result = client.execute(command, session, params);
    EXPECT_EQ(rcOf(result), ProtoAnswer::RC_OK) << command.toStdString() << ": " << result.toText();
    return result["data"];
}

XmlRpcValue intParams(int value)
{
    XmlRpcValue params = XmlRpcValue::emptyArray();
    params[0] = value;
    return params;
}

QList<int> intsOf(const XmlRpcValue &array)
{
    QList<int> values;
    for (int i = 0; array.getType() == XmlRpcValue::TypeArray && i < array.size(); ++i)
        values.append(array[i].asInt());
    return values;
}

} // namespace

TEST_F(HeldPollTest, ScriptedEventsAnswerHeldPollsAtOnce)
{
    std::vector<HeldPoll> polls(5);
    polls[0].command = QStringLiteral("GET_DISP_STATUS");
    polls[0].machine = kDispenser;
    polls[1].command = QStringLiteral("GET_SENSORS_STATUS");
    polls[1].machine = kDispenser;
    polls[2].command = QStringLiteral("GET_MIXER_STATUS");
    polls[2].machine = kMixer;
    polls[3].command = QStringLiteral("GET_CONN_STATUS");
    polls[4].command = QStringLiteral("GET_ACTIVE_DISP");
    std::vector<std::thread> threads;
    for (HeldPoll &poll : polls) {
        threads.emplace_back([this, &poll] {
            ProtoClient client(server.port());
            const QString session = poll.machine.isDriverLevel() ? QString() : openSession(client, poll.machine);
            poll.before = dataOf(client, poll.command, session);
            const Clock::time_point start = Clock::now();
            poll.result = client.poll(poll.command, session, poll.before, kLongMs, kLongMs);
            poll.ms = msSince(start);
        });
    }
    // Every poll is held before the events' clock starts.
    ASSERT_TRUE(model->waitForWaitingCalls(int(polls.size()), 10000)) << model->waitingCalls();
    EXPECT_EQ(model->pendingEvents(), 4);
    model->startEvents();
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(model->pendingEvents(), 0);
    for (const HeldPoll &poll : polls) {
        EXPECT_EQ(rcOf(poll.result), ProtoAnswer::RC_OK) << poll.command.toStdString();
        EXPECT_NE(poll.result["data"], poll.before) << poll.command.toStdString();
        EXPECT_LT(poll.ms, 5000) << poll.command.toStdString() << " was answered only at its interval";
    }

    const DispenserDriverStatusAnswer dispenser(polls[0].result);
    ASSERT_TRUE(dispenser.isValid() && dispenser.dispenserStatusAnswer());
    EXPECT_TRUE(dispenser.dispenserStatusAnswer()->hasError());
    EXPECT_FALSE(dispenser.readyForPOScommands());
    EXPECT_TRUE(intsOf(polls[1].before["reserve"]).isEmpty());
    EXPECT_EQ(intsOf(polls[1].result["data"]["reserve"]), QList<int>{3});
    const MixerDriverStatusAnswer mixer(polls[2].result);
    ASSERT_TRUE(mixer.isValid() && mixer.mixerStatusAnswer());
    EXPECT_TRUE(mixer.mixerStatusAnswer()->isDoorOpen());
    EXPECT_FALSE(mixer.readyForPOScommands());
    const GetConnectionStatusAnswer connections(polls[3].result);
    ASSERT_TRUE(connections.isValid());
    EXPECT_EQ(connections.disconnectedMachines(), QList<MachineID>{kScale});
    EXPECT_EQ(connections.connectedMachines(), (QList<MachineID>{kDispenser, kMixer}));
    const GetActiveDispAnswer machines(polls[4].result);
    ASSERT_TRUE(machines.isValid());
    EXPECT_EQ(machines.getActiveMachineIDs(MachineID::AllTypes), (QList<MachineID>{kDispenser, kMixer}));
}

TEST_F(HeldPollTest, ModelChangesAnswerHeldPollsAtOnce)
{
    ProtoClient client(server.port());
    const QString session = openSession(client, kDispenser);
    struct Change
    {
        const char *what;
        std::function<bool()> apply;
    };
    const std::vector<Change> changes = {
        {"raise", [&] { return model->raiseError(kDispenser, FW_Error(FW_Error::HwError, "Panel open", "TE30100")); }},
        {"clear", [&] { return model->clearError(kDispenser, QStringLiteral("TE30100")); }},
        {"can", [&] { return model->setSensor(1, QStringLiteral("can"), 1); }},
        {"out of service", [&] { return model->setActive(kDispenser, false), true; }},
        {"back", [&] { return model->setActive(kDispenser, true), true; }},
        {"disconnect", [&] { return model->setConnected(kDispenser, false); }},
        {"connect", [&] { return model->setConnected(kDispenser, true); }},
    };
    for (const Change &change : changes) {
        const XmlRpcValue before = dataOf(client, QStringLiteral("GET_DISP_STATUS"), session);
        XmlRpcValue after;
        int64_t ms = -1;
        std::thread poller([&] {
            ProtoClient other(server.port());
            const Clock::time_point start = Clock::now();
            after = other.poll(QStringLiteral("GET_DISP_STATUS"), session, before, kLongMs, kLongMs)["data"];
            ms = msSince(start);
        });
        ASSERT_TRUE(model->waitForWaitingCalls(1, 10000)) << change.what;
        EXPECT_TRUE(change.apply()) << change.what;
        poller.join();
        EXPECT_NE(after, before) << change.what;
        EXPECT_LT(ms, 5000) << change.what;
    }
    // Changes that change nothing do not answer a held poll.
    const XmlRpcValue current = dataOf(client, QStringLiteral("GET_DISP_STATUS"), session);
    const uint64_t seen = model->changeCount();
    EXPECT_TRUE(model->setConnected(kDispenser, true));
    EXPECT_TRUE(model->clearError(kDispenser, QString()));
    EXPECT_EQ(model->changeCount(), seen);
    EXPECT_EQ(dataOf(client, QStringLiteral("GET_DISP_STATUS"), session), current);
}

TEST_F(HeldPollTest, NewQueriesAnswerWhatTheLibraryDecodes)
{
    const SimScenario scenario = eventScenario(50);
    ProtoClient client(server.port());
    const QString dispenserSession = openSession(client, kDispenser);
    const QString mixerSession = openSession(client, kMixer);

    // Every answer decodes into the class the library's factory makes for it.
    struct Query
    {
        const char *command;
        QString session;
        XmlRpcValue params;
    };
    const std::vector<Query> queries = {
        {"GET_CONFIG", QString(), XmlRpcValue::emptyArray()},     {"GET_CALIB_PROFILES", QString(), XmlRpcValue::emptyArray()},
        {"GET_DRIVER_SETTINGS", QString(), XmlRpcValue::emptyArray()}, {"GET_CONN_STATUS", QString(), XmlRpcValue::emptyArray()},
        {"GET_CMD_LIST", mixerSession, intParams(1)},             {"READ_FW_VERSION", dispenserSession, XmlRpcValue::emptyArray()},
    };
    for (const Query &query : queries) {
        const QString name = QString::fromLatin1(query.command);
        std::unique_ptr<XmlRpcAnswer> answer(ProtoAnswerFactory::create(name));
        EXPECT_NE(answer->answerName(), QStringLiteral("XmlRpcAnswer")) << query.command;
        EXPECT_TRUE(answer->fromXmlRpcValue(client.execute(name, query.session, query.params))) << query.command;
    }

    const GetConfigAnswer working(client.execute(QStringLiteral("GET_CONFIG")));
    const GetConfigAnswer explicitWorking(client.execute(QStringLiteral("GET_CONFIG"), QString(), intParams(0)));
    const GetConfigAnswer factory(client.execute(QStringLiteral("GET_CONFIG"), QString(), intParams(1)));
    ASSERT_TRUE(working.isValid() && explicitWorking.isValid() && factory.isValid());
    EXPECT_EQ(working.configuration(), scenario.configuration());
    EXPECT_EQ(explicitWorking.configuration(), scenario.configuration());
    EXPECT_EQ(factory.configuration().getMachinesID(), scenario.configuration().getMachinesID());
    EXPECT_EQ(factory.configuration().getDispenserById(1)->name(), FW_Machine::modelName(ModelDX16));
    EXPECT_EQ(factory.configuration().getDispenserById(1)->circuits(),
              scenario.configuration().getDispenserById(1)->circuits());
    const XmlRpcValue badType = client.execute(QStringLiteral("GET_CONFIG"), QString(), intParams(2));
    EXPECT_EQ(rcOf(badType), ProtoAnswer::RC_INVALID_PARAMS);
    EXPECT_EQ(codesOf(badType), QStringList{QStringLiteral("TE10004")});

    const GetCalibrationProfilesAnswer profiles(client.execute(QStringLiteral("GET_CALIB_PROFILES")));
    ASSERT_TRUE(profiles.isValid());
    EXPECT_EQ(profiles.calibrationProfiles(), scenario.calibrationProfiles());
    EXPECT_GT(profiles.calibrationProfiles().getFilteredProfiles(false, true).numOfPumps(), 0);
    const GetDriverSettingsAnswer settings(client.execute(QStringLiteral("GET_DRIVER_SETTINGS")));
    ASSERT_TRUE(settings.isValid());
    EXPECT_TRUE(settings.driverSettings().simulationMode());
    EXPECT_EQ(settings.driverSettings(), scenario.driverSettings());

    // The dispenser lists what its scenario says; the mixer what the simulator answers.
    const GetCommandListAnswer listed(client.execute(QStringLiteral("GET_CMD_LIST"), dispenserSession, intParams(1)));
    EXPECT_EQ(listed.commandList(), scenario.commandList(kDispenser));
    const GetCommandListAnswer mixerCommands(client.execute(QStringLiteral("GET_CMD_LIST"), mixerSession));
    ASSERT_TRUE(mixerCommands.isValid());
    EXPECT_FALSE(mixerCommands.commandList().isEmpty());
    for (const ProtocolCommandInfo &command : mixerCommands.commandList()) {
        const ProtoCommandRecord *record = ProtoCommandList::record(command.name());
        ASSERT_TRUE(record) << command.name().toStdString();
        EXPECT_TRUE(record->machineTypes & MachineID::Mixer) << command.name().toStdString();
        if (record->trackExecutionTime)
            continue; // a process would run
        const XmlRpcValue result = client.execute(command.name(), mixerSession);
        EXPECT_FALSE(codesOf(result).contains(QStringLiteral("TE10007"))) << command.name().toStdString();
    }
}

TEST_F(HeldPollTest, FirmwareLevelsAndSensorsFollowTheirChanges)
{
    ProtoClient client(server.port());
    const QString session = openSession(client, kDispenser);
    const FirmwareVersionAnswer before(client.execute(QStringLiteral("READ_FW_VERSION"), session, intParams(2)));
    ASSERT_TRUE(before.isValid());
    EXPECT_EQ(before.program().boardAddress(), 2);
    EXPECT_EQ(before.program().version().majorVersion(), 2);
    EXPECT_EQ(before.program().version().protocolVersion(), FW_Machine::minProtocolVersionForModel(ModelDX16));

    ASSERT_TRUE(model->setFirmware(kDispenser, FW_Version(3, 2, 1, 0, 0)));
    const FirmwareVersionAnswer after(client.execute(QStringLiteral("READ_FW_VERSION"), session));
    ASSERT_TRUE(after.isValid());
    const FW_Version version = after.program().version();
    EXPECT_EQ(QVector<int>({version.majorVersion(), version.minorVersion(), version.build()}), QVector<int>({3, 2, 1}));
    EXPECT_EQ(version.configVersion(), before.program().version().configVersion());
    EXPECT_EQ(version.protocolVersion(), before.program().version().protocolVersion());
    EXPECT_EQ(rcOf(client.execute(QStringLiteral("READ_FW_VERSION"), session, intParams(0))),
              ProtoAnswer::RC_INVALID_PARAMS);

    // A level at its reserve shows in the reserve sensors; refilled, it is gone.
    EXPECT_TRUE(model->setLevel(1, 3, 200.0));
    EXPECT_EQ(intsOf(dataOf(client, QStringLiteral("GET_SENSORS_STATUS"), session)["reserve"]), QList<int>{3});
    EXPECT_DOUBLE_EQ(model->level(1, 3), 200.0);
    EXPECT_TRUE(model->setLevel(1, 3, 2500.0));
    EXPECT_TRUE(model->setSensor(1, QStringLiteral("humidity"), 71.5));
    const XmlRpcValue sensors = dataOf(client, QStringLiteral("GET_SENSORS_STATUS"), session);
    EXPECT_TRUE(intsOf(sensors["reserve"]).isEmpty());
    EXPECT_EQ(sensors["humidity"], XmlRpcValue(71.5));
    EXPECT_EQ(sensors["temperature"].getType(), XmlRpcValue::TypeDouble);
    EXPECT_EQ(sensors["canPresent"], XmlRpcValue(false));

    // Changes that do not fit the machine are refused and change nothing.
    QString error;
    const uint64_t seen = model->changeCount();
    EXPECT_FALSE(model->apply(SimEvent::setDoor(kDispenser, true), &error));
    EXPECT_TRUE(error.contains(QLatin1String("no mixer"))) << error.toStdString();
    EXPECT_FALSE(model->setLevel(1, 99, 5.0));
    EXPECT_FALSE(model->setSensor(2, QStringLiteral("humidity"), 5.0));
    EXPECT_FALSE(model->apply(SimEvent::setActive(MachineID(9, 0), false), &error));
    EXPECT_TRUE(error.contains(QLatin1String("no machine 9"))) << error.toStdString();
    EXPECT_EQ(model->changeCount(), seen);
}

TEST(SimControlTest, LinesBecomeEvents)
{
    QString error;
    const SimEvent raised = SimControl::parse(QStringLiteral("error 1 TE30007 \"Canister 7 \\\"WH1\\\" empty\" 4"), &error);
    ASSERT_TRUE(raised.isValid()) << error.toStdString();
    EXPECT_EQ(raised.kind(), SimEvent::RaiseError);
    EXPECT_EQ(raised.machine(), MachineID(1, 0));
    EXPECT_EQ(raised.error().errorCode(), QStringLiteral("TE30007"));
    EXPECT_EQ(raised.error().errorMsg(), QStringLiteral("Canister 7 \"WH1\" empty"));
    EXPECT_EQ(raised.error().errorType(), FW_Error::ConfError);

    const struct
    {
        const char *line;
        SimEvent expected;
    } good[] = {
        {"clear 1", SimEvent::clearErrors(MachineID(1, 0))},
        {"  clear 1 TE30007  ", SimEvent::clearErrors(MachineID(1, 0), QStringLiteral("TE30007"))},
        {"inactive 2:mixer", SimEvent::setActive(kMixer, false)},
        {"active 2", SimEvent::setActive(MachineID(2, 0), true)},
        {"disconnect 3:scale", SimEvent::setConnected(kScale, false)},
        {"connect 3", SimEvent::setConnected(MachineID(3, 0), true)},
        {"door 2 open", SimEvent::setDoor(MachineID(2, 0), true)},
        {"door 2 closed", SimEvent::setDoor(MachineID(2, 0), false)},
        {"level 1 5 100", SimEvent::setLevel(MachineID(1, 0), 5, 100.0)},
        {"fw 1 3.2.1", SimEvent::setFirmware(MachineID(1, 0), FW_Version(3, 2, 1, 0, 0))},
        {"reconfigure 2:mixer", SimEvent::reconfigure(MachineID(2, MachineID::Mixer))},
        {"sensor 1 temperature -4.5", SimEvent::setSensor(MachineID(1, 0), QStringLiteral("temperature"), -4.5)},
    };
    for (const auto &entry : good)
        EXPECT_EQ(SimControl::parse(QString::fromLatin1(entry.line), &error), entry.expected) << entry.line;

    for (const char *line : {"error 1", "error 1 TE1 \"open quote", "error 1 TE1 msg 7", "clear", "clear x",
                             "clear 0", "inactive 2:robot", "door 2 ajar", "level 1 0 5", "level 1 5 -1",
                             "level 1 5 lots", "fw 1 3.2", "fw 1 3.2.x", "fw 1 0.0.0", "sensor 1 smell 5",
                             "frobnicate 1", "active 1 2"}) {
        error.clear();
        EXPECT_FALSE(SimControl::parse(QString::fromLatin1(line), &error).isValid()) << line;
        EXPECT_FALSE(error.isEmpty()) << line;
    }
}

TEST_F(HeldPollTest, ControlLinesChangeTheRunningDriver)
{
    SimControl control(*model);
    ProtoClient client(server.port());
    const QString dispenser = openSession(client, kDispenser);
    const QString mixer = openSession(client, kMixer);

    EXPECT_EQ(control.handle(QStringLiteral("error 1 TE30007 \"Canister 7 empty\"")), QStringLiteral("ok"));
    const GetErrorsAnswer errors(client.execute(QStringLiteral("GET_ERRORS"), dispenser));
    ASSERT_EQ(errors.errorList().size(), 1);
    EXPECT_EQ(errors.errorList().at(0).errorMsg(), QStringLiteral("Canister 7 empty"));
    EXPECT_EQ(errors.errorList().at(0).errorType(), FW_Error::HwError);
    EXPECT_EQ(control.handle(QStringLiteral("clear 1")), QStringLiteral("ok"));
    EXPECT_TRUE(GetErrorsAnswer(client.execute(QStringLiteral("GET_ERRORS"), dispenser)).errorList().isEmpty());

    EXPECT_EQ(control.handle(QStringLiteral("inactive 2")), QStringLiteral("ok"));
    EXPECT_EQ(GetConnectionStatusAnswer(client.execute(QStringLiteral("GET_CONN_STATUS"))).disconnectedMachines(),
              QList<MachineID>{kMixer});
    EXPECT_EQ(control.handle(QStringLiteral("active 2")), QStringLiteral("ok"));
    EXPECT_EQ(control.handle(QStringLiteral("door 2 open")), QStringLiteral("ok"));
    const MixerDriverStatusAnswer status(client.execute(QStringLiteral("GET_MIXER_STATUS"), mixer));
    ASSERT_TRUE(status.isValid() && status.mixerStatusAnswer());
    EXPECT_TRUE(status.isActiveMachine());
    EXPECT_TRUE(status.mixerStatusAnswer()->isDoorOpen());
    EXPECT_EQ(control.handle(QStringLiteral("level 1 5 100")), QStringLiteral("ok"));
    EXPECT_DOUBLE_EQ(model->level(1, 5), 100.0);

    // What the model refuses comes back as an error line; comments and blank lines answer nothing.
    EXPECT_TRUE(control.handle(QStringLiteral("door 1 open")).startsWith(QLatin1String("error: ")));
    EXPECT_TRUE(control.handle(QStringLiteral("level 1 42 5")).startsWith(QLatin1String("error: ")));
    EXPECT_TRUE(control.handle(QStringLiteral("fw 7 1.2.3")).startsWith(QLatin1String("error: ")));
    EXPECT_TRUE(control.handle(QStringLiteral("  # a comment")).isEmpty());
    EXPECT_TRUE(control.handle(QString()).isEmpty());
    EXPECT_TRUE(control.handle(QStringLiteral("help")).contains(QLatin1String("door MIXER open|closed")));
}

TEST(SimEventScenarioTest, EventsAndConfigurationDataRoundTrip)
{
    const QByteArray json = R"({
      "version": "3.4.0-sim",
      "settings": { "language": "it", "logLevel": 1, "skipFwChecks": true },
      "calibrationProfiles": [
        { "pump": 1, "name": "Piston 2 cc", "points": [ { "volume": 0.1, "factor": 1.08 }, { "volume": 10, "factor": 1 } ] },
        { "pump": 1, "name": "Measured", "custom": true, "points": [ { "volume": 1, "factor": 1.2 } ] }
      ],
      "machines": [
        { "type": "dispenser", "number": 1, "firmware": "3.1.0", "connected": false,
          "commands": [ { "name": "TINT", "version": 2 } ],
          "circuits": [ { "position": 1, "colorant": "WH1", "reserve": 250 } ] },
        { "type": "mixer", "number": 1 }
      ],
      "events": [
        { "atMs": 900, "event": "fw", "machine": 1, "machineType": "mixer", "version": "4.0.1" },
        { "atMs": 100, "event": "error", "machine": 1, "machineType": "dispenser", "code": "TE30007", "msg": "Canister 7 empty" },
        { "atMs": 200, "event": "clear", "machine": 1, "machineType": "dispenser", "code": "TE30007" },
        { "atMs": 300, "event": "inactive", "machine": 1, "machineType": "mixer" },
        { "atMs": 400, "event": "active", "machine": 1, "machineType": "mixer" },
        { "atMs": 500, "event": "door", "machine": 1, "machineType": "mixer", "open": false },
        { "atMs": 600, "event": "level", "machine": 1, "machineType": "dispenser", "position": 1, "level": 12.5 },
        { "atMs": 700, "event": "connect", "machine": 1, "machineType": "dispenser" },
        { "atMs": 800, "event": "sensor", "machine": 1, "machineType": "dispenser", "sensor": "can", "value": 1 }
      ]
    })";
    QString error;
    const SimScenario scenario = SimScenario::fromJson(json, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(scenario.events().size(), 9);
    EXPECT_EQ(scenario.events().first().version(), FW_Version(4, 0, 1, 0, 0));
    EXPECT_EQ(scenario.driverSettings().language(), QStringLiteral("it"));
    EXPECT_TRUE(scenario.driverSettings().simulationMode());
    EXPECT_TRUE(scenario.driverSettings().skipFwChecks());
    EXPECT_EQ(scenario.calibrationProfiles().getFilteredProfiles(true, false).profiles().size(), 1);
    EXPECT_FALSE(scenario.isConnected(kDispenser));
    EXPECT_EQ(scenario.firmware(kDispenser).minorVersion(), 1);
    EXPECT_EQ(scenario.configuration().getDispenserById(1)->circuit(1)->reserveLevel(), 250.0);

    const SimScenario again = SimScenario::fromJson(scenario.toJson(), &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(again, scenario);
    EXPECT_EQ(SimScenario::fromJson(SimScenario::defaultScenario().toJson(), &error), SimScenario::defaultScenario());
}

TEST(SimEventScenarioTest, BadEventsNameTheProblem)
{
    const QByteArray machines = R"("machines": [ { "type": "dispenser", "number": 1, "circuits": [ { "position": 1, "colorant": "WH1" } ] },
                                                 { "type": "mixer", "number": 1 }, { "type": "mixer", "number": 2 } ])";
    const struct
    {
        const char *events;
        const char *problem;
    } bad[] = {
        {R"([ { "atMs": 5, "event": "explode", "machine": 2 } ])", "events[0].event \"explode\" is not a known event"},
        {R"([ { "atMs": 5, "event": "inactive", "machine": 1 } ])", "events[0]: machine 1 is ambiguous"},
        {R"([ { "atMs": 5, "event": "inactive", "machine": 7 } ])", "events[0]: there is no machine 7"},
        {R"([ { "atMs": 5, "event": "door", "machine": 1, "machineType": "dispenser" } ])", "no mixer"},
        {R"([ { "atMs": 5, "event": "level", "machine": 1, "machineType": "dispenser", "position": 4, "level": 1 } ])",
         "dispenser 1 has no circuit 4"},
        {R"([ { "atMs": 5, "event": "level", "machine": 1, "machineType": "dispenser", "position": 1 } ])",
         "events[0].level is missing"},
        {R"([ { "atMs": 5, "event": "fw", "machine": 2, "version": "3.1" } ])", "events[0].version must be a version"},
        {R"([ { "atMs": -1, "event": "active", "machine": 2 } ])", "events[0].atMs must be a whole number"},
        {R"([ { "atMs": 5, "event": "active", "machine": 2, "open": true } ])", "events[0].open is not a known member"},
        {R"([ { "event": "active", "machine": 2 } ])", "events[0].atMs is missing"},
    };
    for (const auto &entry : bad) {
        QString error;
        const QByteArray json = "{ " + machines + ", \"events\": " + entry.events + " }";
        SimScenario::fromJson(json, &error);
        EXPECT_TRUE(error.contains(QString::fromLatin1(entry.problem))) << entry.events << " gave " << error.toStdString();
    }
    QString error;
    SimScenario::fromJson("{ " + machines + R"(, "settings": { "logLevel": 9 } })", &error);
    EXPECT_EQ(error, QStringLiteral("settings.logLevel must be 0 to 5"));
    SimScenario::fromJson(R"({ "machines": [ { "type": "mixer", "number": 2, "commands": [ { "name": "BREW" } ] } ] })",
                          &error);
    EXPECT_TRUE(error.contains(QLatin1String("\"BREW\" is not a command"))) << error.toStdString();
    SimScenario::fromJson(R"({ "machines": [], "calibrationProfiles": [ { "pump": 0 } ] })", &error);
    EXPECT_TRUE(error.startsWith(QLatin1String("calibrationProfiles must be"))) << error.toStdString();
}

TEST(SimEventDriverTest, EventsStopWithTheSimulator)
{
    SimScenario scenario = SimScenario::defaultScenario();
    SimEvent soon = SimEvent::raiseError(kDispenser, FW_Error(FW_Error::HwError, "Low pressure", "TE30200"));
    soon.setAtMs(150);
    SimEvent late = SimEvent::setActive(kMixer, false);
    late.setAtMs(60000);
    scenario.setEvents({soon, late});
    SimDriver driver(scenario);
    ASSERT_TRUE(driver.start()) << driver.simulator().errorString();
    driver.stop();
    // Stopped, the driver's clock applies nothing.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(driver.model().pendingEvents(), 2);
    EXPECT_FALSE(GetErrorsAnswer(driver.model().machineErrors(kDispenser)).errorList().size() > 0);

    // Started again, the event that fell due meanwhile is applied at once.
    ASSERT_TRUE(driver.start());
    EXPECT_EQ(GetErrorsAnswer(driver.model().machineErrors(kDispenser)).errorList().size(), 1);
    EXPECT_EQ(driver.model().pendingEvents(), 1);

    // A far event and a held poll do not keep stop() waiting.
    QuietTransport quiet;
    ProtoClient client(driver.port());
    const QString session = openSession(client, kMixer);
    const XmlRpcValue current = dataOf(client, QStringLiteral("GET_MIXER_STATUS"), session);
    std::thread poller([&] { client.poll(QStringLiteral("GET_MIXER_STATUS"), session, current, kLongMs, kLongMs); });
    ASSERT_TRUE(driver.model().waitForWaitingCalls(1, 10000));
    const Clock::time_point start = Clock::now();
    driver.stop();
    poller.join();
    EXPECT_LT(msSince(start), 3000);
    EXPECT_EQ(driver.model().pendingEvents(), 1);
}
