// The simulated driver speaking the driver protocol: scenarios, the session
// handshake, sessions, the catalogue, long processes with tickets, STOP,
// TINT and notify-changed long polls, against an in-process SimDriver with
// a plain XmlRpcClient and the library's protocol commands and answers.

#include "AsyncAnswer.h"
#include "CertifySessionAnswer.h"
#include "CertifySessionCmd.h"
#include "ClearErrorsAnswer.h"
#include "CmdStatus.h"
#include "DispenserDriverStatusAnswer.h"
#include "FW_Dispenser.h"
#include "FW_DriverError.h"
#include "FW_Scale.h"
#include "Formula.h"
#include "FunctionCallType.h"
#include "GetActiveDispAnswer.h"
#include "GetCommandStatusAnswer.h"
#include "GetCommandStatusCmd.h"
#include "GetErrorsAnswer.h"
#include "GetKeyAnswer.h"
#include "GetKeyCmd.h"
#include "GetMachineListAnswer.h"
#include "GetSwVersionAnswer.h"
#include "LoginAnswer.h"
#include "SimCommandGroup.h"
#include "LoginCmd.h"
#include "LogoutCmd.h"
#include "MixerDriverStatusAnswer.h"
#include "ProtoCommandList.h"
#include "SimCommandGroup.h"
#include "SimDriver.h"
#include "SimProtocolClient.h"
#include "SimProtocolHandler.h"
#include "SimDriverModel.h"
#include "SimProtocolHandler.h"
#include "SessionKeys.h"
#include "SimScenario.h"
#include "TintAnswer.h"
#include "TintCmd.h"
#include "XmlRpcClient.h"
#include "XmlRpcErrorHandler.h"
#include "XmlRpcUtil.h"

#include <gtest/gtest.h>

#include <QtCore/QStringList>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace {

class SimProtocolTest : public ::testing::Test
{
protected:
    static constexpr int kResetMs = 600;

    static SimScenario scenario()
    {
        SimScenario scenario = SimScenario::defaultScenario();
        scenario.setResetMs(kResetMs);
        scenario.setDosingRate(100.0); // 10 cc in 100 ms
        return scenario;
    }

    void SetUp() override { ASSERT_TRUE(driver.start()) << driver.simulator().errorString(); }

    XmlRpcValue dispenserStatusData(ProtoClient &client, const QString &session)
    {
        const XmlRpcValue result = client.execute(QStringLiteral("GET_DISP_STATUS"), session);
        EXPECT_EQ(rcOf(result), 0) << result.toText();
        return result["data"];
    }

    // GET_CMD_STATUS about every 100 ms until final; every status seen.
    // The ticket is asked for in the session that started it.
    std::vector<CmdStatus> followTicket(ProtoClient &client, int ticket, const QString &session,
                                        int limitMs = 10000)
    {
        std::vector<CmdStatus> seen;
        const Clock::time_point start = Clock::now();
        while (msSince(start) < limitMs) {
            GetCommandStatusCmd command(ticket);
            client.run(command, session);
            const GetCommandStatusAnswer answer = answerOf<GetCommandStatusAnswer>(command);
            EXPECT_EQ(answer.returnCode(), ProtoAnswer::RC_OK);
            seen.push_back(answer.cmdStatus());
            if (answer.cmdStatus().isFinished() || answer.returnCode() != ProtoAnswer::RC_OK)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return seen;
    }

    int startAsync(ProtoClient &client, ProtoCommand &command, const QString &session)
    {
        client.run(command, session, AsyncCall);
        const AsyncAnswer *answer = dynamic_cast<const AsyncAnswer *>(command.getProtoAnswer());
        EXPECT_TRUE(answer && answer->returnCode() == ProtoAnswer::RC_OK) << command.command().toStdString();
        return answer && answer->returnCode() == ProtoAnswer::RC_OK ? answer->ticketID() : 0;
    }

    SimDriver driver{scenario()};
};

// ---------------------------------------------------------------------------
// Scenarios

TEST(SimScenarioTest, ShippedDefaultIsTheBuiltInOne)
{
    QString error;
    const SimScenario shipped = SimScenario::fromFile(QStringLiteral(AXOSIM_SCENARIO_DIR "/default.json"), &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_TRUE(shipped == SimScenario::defaultScenario());

    const FW_Configuration &config = shipped.configuration();
    EXPECT_EQ(config.getDispensersIDList(), QList<int>{1});
    EXPECT_EQ(config.getMixersIDList(), QList<int>{2});
    ASSERT_NE(config.getDispenserById(1), nullptr);
    EXPECT_EQ(config.getDispenserById(1)->getPositionsIDList(true).size(), 16);
    EXPECT_GT(shipped.level(1, 16), 0.0);
}

TEST(SimScenarioTest, JsonRoundTripKeepsEverything)
{
    SimScenario scenario = SimScenario::defaultScenario();
    FW_Scale scale(3);
    scale.setModel(ModelSC6);
    scale.setName(QStringLiteral("Scale 3"));
    ASSERT_TRUE(scenario.configuration().addMachine(scale));
    FW_Dispenser dispenser = *scenario.configuration().getDispenserById(1);
    dispenser.setScaleNumber(3);
    FW_Circuit circuit = *dispenser.circuit(4);
    circuit.setEnabled(false);
    dispenser.setCircuit(circuit);
    ASSERT_TRUE(scenario.configuration().replaceDispenser(dispenser));
    scenario.setLevel(1, 5, 12.5);
    scenario.setActive(kMixer, false);
    FW_ErrorList errors;
    errors.append(FW_HwError(QStringLiteral("Canister 7 empty"), QStringLiteral("TE30007")));
    scenario.setErrors(kDispenser, errors);
    scenario.setResetMs(1234);
    scenario.setChannelMs(50);
    scenario.setDriverVersion(QStringLiteral("9.8.7"));

    QString error = QStringLiteral("untouched");
    const SimScenario back = SimScenario::fromJson(scenario.toJson(), &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_TRUE(back == scenario);
    EXPECT_FALSE(back.isActive(kMixer));
    EXPECT_EQ(back.errors(kDispenser), errors);
    EXPECT_DOUBLE_EQ(back.level(1, 5), 12.5);
}

TEST(SimScenarioTest, BadScenariosNameTheProblem)
{
    const char *dispenser = R"({"type": "dispenser", "number": 1, "circuits": [%1]})";
    const struct
    {
        QString json;
        QString expected;
    } cases[] = {
        {QStringLiteral("[1, 2]"), QStringLiteral("JSON object")},
        {QStringLiteral("{\"machines\": ["), QStringLiteral("not JSON")},
        {QStringLiteral("{}"), QStringLiteral("machines is missing")},
        {QStringLiteral("{\"machines\": [], \"colour\": 1}"), QStringLiteral("colour is not a known member")},
        {QStringLiteral("{\"machines\": [], \"timing\": {\"resetMs\": -1}}"), QStringLiteral("timing.resetMs")},
        {QStringLiteral("{\"machines\": [], \"timing\": {\"dosingRate\": 0}}"), QStringLiteral("timing.dosingRate")},
        {QStringLiteral("{\"machines\": [{\"type\": \"robot\", \"number\": 1}]}"), QStringLiteral("machines[0].type")},
        {QStringLiteral("{\"machines\": [{\"type\": \"mixer\"}]}"), QStringLiteral("machines[0].number is missing")},
        {QStringLiteral("{\"machines\": [{\"type\": \"mixer\", \"number\": 1, \"model\": 1}]}"),
         QStringLiteral("machines[0].model")},
        {QStringLiteral("{\"machines\": [{\"type\": \"mixer\", \"number\": 1}, {\"type\": \"mixer\", \"number\": 1}]}"),
         QStringLiteral("listed twice")},
        {QStringLiteral("{\"machines\": [%1]}")
             .arg(QString::fromLatin1(dispenser)
                      .arg(QStringLiteral("{\"position\": 1, \"colorant\": \"A\"}, {\"position\": 1, \"colorant\": \"B\"}"))),
         QStringLiteral("machines[0].circuits[1].position")},
        {QStringLiteral("{\"machines\": [%1]}")
             .arg(QString::fromLatin1(dispenser).arg(QStringLiteral("{\"position\": 1, \"level\": \"full\"}"))),
         QStringLiteral("machines[0].circuits[0].colorant is missing")},
        {QStringLiteral("{\"machines\": [{\"type\": \"dispenser\", \"number\": 1, \"scale\": 4}]}"),
         QStringLiteral("scale 4")},
        {QStringLiteral("{\"machines\": [{\"type\": \"mixer\", \"number\": 1, \"errors\": [{\"code\": \"TE1\"}]}]}"),
         QStringLiteral("machines[0].errors[0].msg is missing")},
    };
    for (const auto &c : cases) {
        QString error;
        const SimScenario scenario = SimScenario::fromJson(c.json.toUtf8(), &error);
        EXPECT_TRUE(error.contains(c.expected)) << c.json.toStdString() << " -> " << error.toStdString();
        EXPECT_TRUE(scenario.configuration().isEmpty()) << c.json.toStdString();
    }
}

// ---------------------------------------------------------------------------
// Handshake and sessions

TEST_F(SimProtocolTest, HandshakeCertifiesAndLogoutEndsTheSession)
{
    ProtoClient client(driver.port());
    const QString session = openSession(client, kDispenser);
    ASSERT_FALSE(session.isEmpty());
    EXPECT_EQ(session.size(), 32);

    const DispenserDriverStatusAnswer status(client.execute(QStringLiteral("GET_DISP_STATUS"), session));
    ASSERT_TRUE(status.isValid());
    EXPECT_EQ(status.returnCode(), ProtoAnswer::RC_OK);
    EXPECT_EQ(status.machineID(), kDispenser);
    EXPECT_TRUE(status.acceptProcessCommands());
    ASSERT_NE(status.dispenserStatusAnswer(), nullptr);
    EXPECT_EQ(status.dispenserStatusAnswer()->state(), SimDriverModel::StateReady);

    // A certified session is not certified again, and stays certified.
    EXPECT_EQ(certify(client, session, QStringLiteral("00")).returnCode(), ProtoAnswer::RC_INVALID_SESSION);
    EXPECT_EQ(rcOf(client.execute(QStringLiteral("GET_DISP_STATUS"), session)), ProtoAnswer::RC_OK);

    LogoutCmd logout(session);
    const XmlRpcValue loggedOut = client.run(logout, QString());
    EXPECT_EQ(rcOf(loggedOut), ProtoAnswer::RC_OK);
    EXPECT_TRUE(loggedOut["data"]["loggedOut"].asBool());
    EXPECT_EQ(rcOf(client.execute(QStringLiteral("GET_DISP_STATUS"), session)), ProtoAnswer::RC_INVALID_SESSION);
    EXPECT_EQ(rcOf(client.run(logout, QString())), ProtoAnswer::RC_INVALID_SESSION);
}

TEST_F(SimProtocolTest, RecordedExchangeCertifiesNoOtherSession)
{
    ProtoClient client(driver.port());
    // Session A, recorded by an eavesdropper: its client key and login key.
    const QString sessionA = loginSession(client, kDispenser);
    QString clientKeyA;
    int handleA = 0;
    const QString driverKeyA = driverKeyFor(client, sessionA, kDispenser, &clientKeyA, &handleA);
    const QString loginKeyA = GetKeyCmd::createLoginKey(driverKeyA, handleA);
    ASSERT_FALSE(loginKeyA.isEmpty());
    ASSERT_TRUE(certify(client, sessionA, loginKeyA).certified());

    // Session B replays both.
    const QString sessionB = loginSession(client, kDispenser);
    ASSERT_NE(sessionB, sessionA);
    GetKeyCmd getKey(sessionB, clientKeyA);
    client.run(getKey, QString());
    ASSERT_EQ(answerOf<GetKeyAnswer>(getKey).returnCode(), ProtoAnswer::RC_OK);
    CertifySessionCmd replay(sessionB, loginKeyA);
    const XmlRpcValue refused = client.run(replay, QString());
    EXPECT_FALSE(answerOf<CertifySessionAnswer>(replay).certified());
    EXPECT_EQ(rcOf(refused), ProtoAnswer::RC_OK);
    EXPECT_TRUE(codesOf(refused).isEmpty());

    // The failed certification closed B; A goes on.
    EXPECT_EQ(rcOf(client.execute(QStringLiteral("GET_DISP_STATUS"), sessionB)), ProtoAnswer::RC_INVALID_SESSION);
    EXPECT_EQ(rcOf(client.run(getKey, QString())), ProtoAnswer::RC_INVALID_SESSION);
    EXPECT_EQ(rcOf(client.execute(QStringLiteral("GET_DISP_STATUS"), sessionA)), ProtoAnswer::RC_OK);
}

TEST_F(SimProtocolTest, TamperedDriverKeyGivesNoLoginKey)
{
    ProtoClient client(driver.port());
    const std::function<QString(QStringList)> tampers[] = {
        [](QStringList parts) { // the proof
            parts[2][0] = parts[2][0] == QLatin1Char('0') ? QLatin1Char('1') : QLatin1Char('0');
            return parts.join(QLatin1Char('.'));
        },
        [](QStringList parts) { // the driver nonce
            parts[1][0] = parts[1][0] == QLatin1Char('0') ? QLatin1Char('1') : QLatin1Char('0');
            return parts.join(QLatin1Char('.'));
        },
        [](QStringList parts) { // another session
            parts[0] = SessionKeys::newSessionID();
            return parts.join(QLatin1Char('.'));
        },
    };
    for (const auto &tamper : tampers) {
        const QString session = loginSession(client, kDispenser);
        QString clientKey;
        int handle = 0;
        const QString driverKey = driverKeyFor(client, session, kDispenser, &clientKey, &handle);
        ASSERT_EQ(driverKey.split(QLatin1Char('.')).size(), 3) << driverKey.toStdString();
        EXPECT_TRUE(GetKeyCmd::createLoginKey(tamper(driverKey.split(QLatin1Char('.'))), handle).isEmpty());
    }
    // An untouched driver key still gives a key that certifies the session.
    const QString session = loginSession(client, kDispenser);
    QString clientKey;
    int handle = 0;
    const QString driverKey = driverKeyFor(client, session, kDispenser, &clientKey, &handle);
    const QString loginKey = GetKeyCmd::createLoginKey(driverKey, handle);
    ASSERT_FALSE(loginKey.isEmpty());
    EXPECT_TRUE(certify(client, session, loginKey).certified());
}

TEST_F(SimProtocolTest, CommandsWithoutAValidSessionAreRefused)
{
    ProtoClient client(driver.port());
    const QString uncertified = loginSession(client, kDispenser);
    for (const QString &session : {QString(), SessionKeys::newSessionID(), uncertified}) {
        const XmlRpcValue result = client.execute(QStringLiteral("GET_DISP_STATUS"), session);
        EXPECT_EQ(rcOf(result), ProtoAnswer::RC_INVALID_SESSION) << session.toStdString();
        EXPECT_EQ(codesOf(result), QStringList{QStringLiteral("TE10002")});
        EXPECT_EQ(rcOf(client.execute(QStringLiteral("RESET"), session, XmlRpcValue::emptyArray(), AsyncCall)),
                  ProtoAnswer::RC_INVALID_SESSION);
    }
    // The handshake steps on a session that does not exist.
    const QString unknown = SessionKeys::newSessionID();
    QString clientKey;
    int handle = 0;
    GetKeyCmd::createSharedKey(clientKey, handle);
    GetKeyCmd getKey(unknown, clientKey);
    EXPECT_EQ(rcOf(client.run(getKey, QString())), ProtoAnswer::RC_INVALID_SESSION);
    EXPECT_FALSE(certify(client, unknown, QStringLiteral("00")).certified());
    // Login to a machine the driver does not have.
    LoginCmd login(MachineID(7, MachineID::Dispenser), QStringLiteral("tst"), 20);
    EXPECT_EQ(codesOf(client.run(login, QString())), QStringList{QStringLiteral("TE10005")});

    // The generic dispenser's session (clients open it first) addresses no machine.
    const QString generic = openSession(client, MachineID(0, MachineID::Dispenser));
    ASSERT_FALSE(generic.isEmpty());
    EXPECT_EQ(rcOf(client.execute(QStringLiteral("GET_DISP_STATUS"), generic)), ProtoAnswer::RC_INVALID_SESSION);

    // A session for the mixer is not one for dispenser commands.
    const QString mixer = openSession(client, kMixer);
    EXPECT_EQ(rcOf(client.execute(QStringLiteral("GET_DISP_STATUS"), mixer)), ProtoAnswer::RC_NOT_SUPPORTED);
    const MixerDriverStatusAnswer mixerStatus(client.execute(QStringLiteral("GET_MIXER_STATUS"), mixer));
    EXPECT_TRUE(mixerStatus.isValid());
    EXPECT_EQ(mixerStatus.machineID(), kMixer);
}

// ---------------------------------------------------------------------------
// Driver commands and the catalogue

TEST_F(SimProtocolTest, DriverCommandsDescribeTheScenario)
{
    ProtoClient client(driver.port());
    const GetSwVersionAnswer version(client.execute(QStringLiteral("GET_SW_VERSION")));
    EXPECT_EQ(version.versionText(), QStringLiteral("3.4.0-sim"));
    EXPECT_EQ(version.protocolVersion(), 2);
    EXPECT_EQ(GetMachineListAnswer(MachineID::Dispenser, client.execute(QStringLiteral("GET_DISP_LIST"))).machineNumbers(),
              QList<int>{1});
    EXPECT_EQ(GetMachineListAnswer(MachineID::Mixer, client.execute(QStringLiteral("GET_MIXER_LIST"))).machineNumbers(),
              QList<int>{2});

    driver.model().setActive(kMixer, false);
    const GetActiveDispAnswer machines(client.execute(QStringLiteral("GET_ACTIVE_DISP")));
    ASSERT_TRUE(machines.isValid());
    EXPECT_EQ(machines.getActiveDispenserIDs(), QList<int>{1});
    EXPECT_EQ(machines.getMixerIDs(), QList<int>{2});
    EXPECT_TRUE(machines.getActiveMixerIDs().isEmpty());
    ASSERT_EQ(machines.dispenserStatusList().size(), 1);
    EXPECT_EQ(machines.dispenserStatusList().first().circuitsCount(), 16);
    EXPECT_EQ(machines.dispenserStatusList().first().modelName(), FW_Machine::modelName(ModelDX16));
}

TEST_F(SimProtocolTest, EveryCatalogueCommandGetsAResult)
{
    ProtoClient client(driver.port());
    const QString session = openSession(client, kDispenser);
    QStringList implemented = {
        QStringLiteral("GET_SW_VERSION"), QStringLiteral("GET_DISP_LIST"),   QStringLiteral("GET_MIXER_LIST"),
        QStringLiteral("GET_ACTIVE_DISP"), QStringLiteral("GET_DISP_STATUS"), QStringLiteral("GET_MIXER_STATUS"),
        QStringLiteral("GET_ERRORS"),      QStringLiteral("CLEAR_ERRORS"),    QStringLiteral("STOP"),
        QStringLiteral("TINT"),            QStringLiteral("GET_CMD_STATUS"),  QStringLiteral("GET_ACTIVE_CIRCUITS"),
        QStringLiteral("GET_CONN_STATUS"), QStringLiteral("GET_SENSORS_STATUS"), QStringLiteral("GET_CONFIG"),
        QStringLiteral("GET_CALIB_PROFILES"), QStringLiteral("GET_DRIVER_SETTINGS"), QStringLiteral("GET_CMD_LIST"),
        QStringLiteral("READ_FW_VERSION"),
    };
    // The command groups answer theirs, each with its own checks.
    for (const SimCommandGroup &group : simCommandGroups())
        implemented += group.names();
    // An operator's session: machine commands of a higher level are refused first.
    for (const QString &name : ProtoCommandList::commandNames()) {
        const ProtoCommandRecord *record = ProtoCommandList::record(name);
        if (record->sessionKind == ProtoCommandRecord::SessionHandshake || name == QLatin1String("RESET"))
            continue;
        const XmlRpcValue result = client.execute(name, session);
        ASSERT_NE(rcOf(result), -99) << name.toStdString() << ": " << result.toText();
        if (record->addressesMachine() && (record->machineTypes & MachineID::Dispenser)
            && record->accessLevel > ProtoCommandRecord::OperatorAccess) {
            EXPECT_EQ(rcOf(result), ProtoAnswer::RC_REFUSED) << name.toStdString();
            EXPECT_EQ(codesOf(result), QStringList{QStringLiteral("TE10011")}) << name.toStdString();
        } else if (!implemented.contains(name) && !SimProtocolHandler::implements(name)) {
            // Neither a core command nor one of a command group.
            EXPECT_EQ(rcOf(result), ProtoAnswer::RC_NOT_SUPPORTED) << name.toStdString();
            EXPECT_EQ(codesOf(result), QStringList{QStringLiteral("TE10007")}) << name.toStdString();
        }
    }
    EXPECT_EQ(rcOf(client.execute(QStringLiteral("GET_SW_VERSION"))), ProtoAnswer::RC_OK);
}

TEST_F(SimProtocolTest, UnknownCommandsWrongCallKindsAndBadCalls)
{
    ProtoClient client(driver.port());
    const QString session = openSession(client, kDispenser);
    for (const QString &name : {QStringLiteral("MAKE_COFFEE"), QStringLiteral("tint"), QString()}) {
        const XmlRpcValue result = client.execute(name, session);
        EXPECT_EQ(rcOf(result), ProtoAnswer::RC_UNKNOWN_COMMAND) << name.toStdString();
        ASSERT_EQ(codesOf(result), QStringList{QStringLiteral("TE10001")});
        const FW_ErrorList errors = FW_ErrorList::fromXmlRpcValue(result["errors"]);
        EXPECT_TRUE(errors.at(0).errorMsg().endsWith(name)) << errors.at(0).errorMsg().toStdString();
    }
    // A query is no long process, a process no query that can be held.
    const XmlRpcValue async =
        client.execute(QStringLiteral("GET_DISP_STATUS"), session, XmlRpcValue::emptyArray(), AsyncCall);
    EXPECT_EQ(rcOf(async), ProtoAnswer::RC_NOT_SUPPORTED);
    EXPECT_EQ(codesOf(async), QStringList{QStringLiteral("TE10012")});
    EXPECT_EQ(rcOf(client.poll(QStringLiteral("RESET"), session, XmlRpcValue(), 100, 100)),
              ProtoAnswer::RC_NOT_SUPPORTED);
    EXPECT_FALSE(driver.model().isBusy(kDispenser));

    // Parameters that are no protocol call are faults.
    XmlRpcValue wrongProto = ProtoClient::parameter(QStringLiteral("GET_SW_VERSION"), QString(), XmlRpcValue::emptyArray());
    wrongProto["proto"] = 1;
    XmlRpcValue noCommand;
    noCommand["proto"] = ProtoCommand::ProtocolVersion;
    for (const XmlRpcValue &bad : {wrongProto, noCommand, XmlRpcValue(3)}) {
        const XmlRpcValue result = client.call(SyncCall, bad);
        EXPECT_TRUE(client.isFault()) << bad.toText();
        EXPECT_EQ(result["faultCode"], XmlRpcValue(1)) << result.toText();
    }
    // Unknown tickets and bad ticket parameters.
    GetCommandStatusCmd unknownTicket(4242);
    const XmlRpcValue unknown = client.run(unknownTicket, QString());
    EXPECT_EQ(rcOf(unknown), ProtoAnswer::RC_INVALID_PARAMS);
    EXPECT_EQ(codesOf(unknown), QStringList{QStringLiteral("TE10006")});
    EXPECT_EQ(rcOf(client.execute(QStringLiteral("GET_CMD_STATUS"))), ProtoAnswer::RC_INVALID_PARAMS);
}

// ---------------------------------------------------------------------------
// Long processes

TEST_F(SimProtocolTest, ResetRunsThroughItsTicketAndChangesTheStatus)
{
    ProtoClient client(driver.port());
    const QString session = openSession(client, kDispenser);
    const XmlRpcValue idle = dispenserStatusData(client, session);

    ProtoCommand reset(QStringLiteral("RESET"));
    const int ticket = startAsync(client, reset, session);
    ASSERT_GT(ticket, 0);

    // While it runs the dispenser says so, and takes no other process.
    const XmlRpcValue running = dispenserStatusData(client, session);
    EXPECT_NE(running, idle);
    const DispenserDriverStatusAnswer status(XmlRpcAnswer::makeResult(0, FW_ErrorList(), running));
    EXPECT_FALSE(status.acceptProcessCommands());
    ASSERT_NE(status.dispenserStatusAnswer(), nullptr);
    EXPECT_EQ(status.dispenserStatusAnswer()->state(), SimDriverModel::StateResetting);
    const GetActiveDispAnswer machines(client.execute(QStringLiteral("GET_ACTIVE_DISP")));
    ASSERT_EQ(machines.dispenserStatusList().size(), 1);
    EXPECT_TRUE(machines.dispenserStatusList().first().isBusy());

    const Formula formula(QList<ChannelIngredient>{ChannelIngredient(1, QStringLiteral("WH1"), 5.0)},
                          Formula::CheckLevels, 1);
    TintCmd tint(formula);
    const XmlRpcValue refused = client.run(tint, session, AsyncCall);
    EXPECT_EQ(rcOf(refused), ProtoAnswer::RC_REFUSED);
    EXPECT_EQ(codesOf(refused), QStringList{QStringLiteral("TE10003")});
    EXPECT_FALSE(refused.hasMember("data"));
    EXPECT_EQ(rcOf(client.run(reset, session, AsyncCall)), ProtoAnswer::RC_REFUSED);

    const std::vector<CmdStatus> seen = followTicket(client, ticket, session);
    ASSERT_GE(seen.size(), 3u) << "a RESET of " << kResetMs << " ms followed every 100 ms";
    int last = -1;
    bool between = false;
    for (size_t i = 0; i + 1 < seen.size(); ++i) {
        EXPECT_EQ(seen[i].status(), CmdStatus::CMD_IN_PROGRESS);
        EXPECT_GE(seen[i].percentage(), last);
        EXPECT_GT(seen[i].timeLeft(), 0);
        between = between || (seen[i].percentage() > 0 && seen[i].percentage() < 100);
        last = seen[i].percentage();
    }
    EXPECT_TRUE(between);
    const CmdStatus done = seen.back();
    EXPECT_EQ(done.status(), CmdStatus::CMD_DONE);
    EXPECT_EQ(done.percentage(), 100);
    bool ok = false;
    const XmlRpcAnswer result = done.getXmlRpcAnswer(&ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(result.returnCode(), ProtoAnswer::RC_OK);

    EXPECT_EQ(dispenserStatusData(client, session), idle);
    // The ticket stays readable after the end.
    EXPECT_EQ(followTicket(client, ticket, session).back().status(), CmdStatus::CMD_DONE);
}

TEST_F(SimProtocolTest, SynchronousResetAnswersAtTheEnd)
{
    driver.model().setResetMs(300);
    ProtoClient client(driver.port());
    const QString session = openSession(client, kMixer);
    const Clock::time_point start = Clock::now();
    const XmlRpcValue result = client.execute(QStringLiteral("RESET"), session);
    EXPECT_GE(msSince(start), 250);
    EXPECT_EQ(rcOf(result), ProtoAnswer::RC_OK) << result.toText();
    EXPECT_FALSE(driver.model().isBusy(kMixer));
}

TEST_F(SimProtocolTest, StopInterruptsTheRunningProcess)
{
    driver.model().setResetMs(60000);
    ProtoClient client(driver.port());
    const QString session = openSession(client, kDispenser);
    const XmlRpcValue idle = dispenserStatusData(client, session);
    ProtoCommand reset(QStringLiteral("RESET"));
    const int ticket = startAsync(client, reset, session);
    ASSERT_GT(ticket, 0);

    const XmlRpcValue stopped = client.execute(QStringLiteral("STOP"), session);
    EXPECT_EQ(rcOf(stopped), ProtoAnswer::RC_OK);
    EXPECT_TRUE(stopped["data"]["stopped"].asBool());
    const CmdStatus status = followTicket(client, ticket, session, 1000).back();
    EXPECT_EQ(status.status(), CmdStatus::CMD_INTERRUPTED);
    bool ok = false;
    const XmlRpcAnswer result = status.getXmlRpcAnswer(&ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(result.returnCode(), ProtoAnswer::RC_INTERRUPTED);
    EXPECT_TRUE(result.errors().containsCode(QStringLiteral("TE10008")));

    EXPECT_EQ(dispenserStatusData(client, session), idle);
    EXPECT_FALSE(client.execute(QStringLiteral("STOP"), session)["data"]["stopped"].asBool());
}

TEST_F(SimProtocolTest, TintDosesTheFormulaAndLowersTheLevels)
{
    ProtoClient client(driver.port());
    const QString session = openSession(client, kDispenser);
    const double white = driver.model().level(1, 1);
    const double yellow = driver.model().level(1, 2);
    // One channel: 10 cc and 20 cc at 100 cc/s take 200 ms.
    const Formula formula(QList<ChannelIngredient>{ChannelIngredient(1, QStringLiteral("WH1"), 10.0),
                                                   ChannelIngredient(2, QStringLiteral("YE1"), 20.0)},
                          Formula::CheckLevels, 2);
    TintCmd tint(formula);
    const int ticket = startAsync(client, tint, session);
    ASSERT_GT(ticket, 0);
    const DispenserDriverStatusAnswer status(client.execute(QStringLiteral("GET_DISP_STATUS"), session));
    ASSERT_NE(status.dispenserStatusAnswer(), nullptr);
    EXPECT_TRUE(status.dispenserStatusAnswer()->isDispensing() || !driver.model().isBusy(kDispenser));
    EXPECT_FALSE(status.dispenserStatusAnswer()->dispensingTrigger()) << "dosed only once it has ended";

    const CmdStatus done = followTicket(client, ticket, session).back();
    ASSERT_EQ(done.status(), CmdStatus::CMD_DONE);
    const TintAnswer answer(done.resultValue());
    ASSERT_TRUE(answer.isValid());
    const QList<ChannelIngredient> dosed = answer.dispensedIngredients();
    ASSERT_EQ(dosed.size(), 2);
    EXPECT_EQ(dosed[0].state(), ChannelIngredient::Done);
    EXPECT_EQ(dosed[0].timeEstimate(), 100);
    EXPECT_EQ(dosed[1].timeEstimate(), 200);
    EXPECT_DOUBLE_EQ(driver.model().level(1, 1), white - 10.0);
    EXPECT_DOUBLE_EQ(driver.model().level(1, 2), yellow - 20.0);
    const DispenserDriverStatusAnswer after(client.execute(QStringLiteral("GET_DISP_STATUS"), session));
    ASSERT_NE(after.dispenserStatusAnswer(), nullptr);
    EXPECT_TRUE(after.dispenserStatusAnswer()->dispensingTrigger());
    EXPECT_FALSE(after.dispenserStatusAnswer()->isDispensing());

    // Formulas the dispenser cannot dose.
    const struct
    {
        ChannelIngredient ingredient;
        int rc;
    } refusals[] = {
        {ChannelIngredient(17, QStringLiteral("WH1"), 1.0), ProtoAnswer::RC_INVALID_PARAMS}, // no such circuit
        {ChannelIngredient(1, QStringLiteral("BK1"), 1.0), ProtoAnswer::RC_INVALID_PARAMS},  // another colorant
        {ChannelIngredient(1, QStringLiteral("WH1"), 1e6), ProtoAnswer::RC_REFUSED},         // more than the canister holds
    };
    for (const auto &r : refusals) {
        TintCmd bad(Formula(QList<ChannelIngredient>{r.ingredient}, Formula::CheckLevels, 1));
        const XmlRpcValue result = client.run(bad, session, AsyncCall);
        EXPECT_EQ(rcOf(result), r.rc) << r.ingredient.position();
        const QString code = r.rc == ProtoAnswer::RC_REFUSED ? QStringLiteral("TE10009") : QStringLiteral("TE10004");
        EXPECT_EQ(codesOf(result), QStringList{code});
    }
    EXPECT_EQ(rcOf(client.execute(QStringLiteral("TINT"), session, XmlRpcValue::emptyArray(), AsyncCall)),
              ProtoAnswer::RC_INVALID_PARAMS);
    EXPECT_FALSE(driver.model().isBusy(kDispenser));
}

TEST_F(SimProtocolTest, MachineErrorsAreReadAndCleared)
{
    FW_ErrorList errors;
    errors.append(FW_HwError(QStringLiteral("Nozzle blocked"), QStringLiteral("TE30011")));
    errors.append(FW_HwError(QStringLiteral("Cover open"), QStringLiteral("TE30012")));
    driver.model().setMachineErrors(kDispenser, errors);
    ProtoClient client(driver.port());
    const QString session = openSession(client, kDispenser);

    const GetErrorsAnswer read(client.execute(QStringLiteral("GET_ERRORS"), session));
    EXPECT_EQ(read.errorList(), errors);
    const DispenserDriverStatusAnswer status(client.execute(QStringLiteral("GET_DISP_STATUS"), session));
    ASSERT_NE(status.dispenserStatusAnswer(), nullptr);
    EXPECT_TRUE(status.dispenserStatusAnswer()->hasError());
    EXPECT_FALSE(status.readyForPOScommands());

    EXPECT_EQ(ClearErrorsAnswer(client.execute(QStringLiteral("CLEAR_ERRORS"), session)).clearedCount(), 2);
    EXPECT_TRUE(GetErrorsAnswer(client.execute(QStringLiteral("GET_ERRORS"), session)).errorList().isEmpty());
}

// ---------------------------------------------------------------------------
// Notify-changed calls

TEST_F(SimProtocolTest, UnchangedPollAnswersAtItsTimeout)
{
    ProtoClient client(driver.port());
    const QString session = openSession(client, kDispenser);
    const XmlRpcValue current = dispenserStatusData(client, session);

    Clock::time_point start = Clock::now();
    const XmlRpcValue first = client.poll(QStringLiteral("GET_DISP_STATUS"), session, XmlRpcValue(), 200, 5000);
    EXPECT_LT(msSince(start), 1000) << "no prev: answered at once";
    EXPECT_EQ(first["data"], current);

    start = Clock::now();
    const XmlRpcValue held = client.poll(QStringLiteral("GET_DISP_STATUS"), session, current, 200, 800);
    const int64_t elapsed = msSince(start);
    EXPECT_GE(elapsed, 750);
    EXPECT_LT(elapsed, 2500);
    EXPECT_EQ(rcOf(held), ProtoAnswer::RC_OK);
    EXPECT_EQ(held["data"], current);

    // Failures are not held.
    start = Clock::now();
    EXPECT_EQ(rcOf(client.poll(QStringLiteral("GET_DISP_STATUS"), QString(), current, 200, 5000)),
              ProtoAnswer::RC_INVALID_SESSION);
    EXPECT_LT(msSince(start), 1000);
}

TEST_F(SimProtocolTest, HeldPollAnswersWhenAProcessStartsAndEnds)
{
    ProtoClient poller(driver.port());
    ProtoClient other(driver.port());
    const QString session = openSession(poller, kDispenser);
    const QString otherSession = openSession(other, kDispenser);
    const XmlRpcValue idle = dispenserStatusData(poller, session);

    // A long interval: only the change itself can end the hold early.
    XmlRpcValue changed;
    int64_t heldMs = 0;
    std::thread held([&] {
        const Clock::time_point start = Clock::now();
        changed = poller.poll(QStringLiteral("GET_DISP_STATUS"), session, idle, 8000, 10000);
        heldMs = msSince(start);
    });
    EXPECT_TRUE(driver.model().waitForWaitingCalls(1, 5000));
    ProtoCommand reset(QStringLiteral("RESET"));
    const Clock::time_point resetStart = Clock::now();
    const int ticket = startAsync(other, reset, otherSession);
    held.join();
    EXPECT_GT(ticket, 0);
    EXPECT_LT(heldMs, 5000);
    EXPECT_EQ(rcOf(changed), ProtoAnswer::RC_OK);
    EXPECT_NE(changed["data"], idle);

    // Held on the busy status, it answers when the reset is over.
    const XmlRpcValue back = poller.poll(QStringLiteral("GET_DISP_STATUS"), session, changed["data"], 8000, 10000);
    EXPECT_LT(msSince(resetStart), kResetMs + 3000);
    EXPECT_GE(msSince(resetStart), kResetMs - 50);
    EXPECT_EQ(back["data"], idle);
}

TEST_F(SimProtocolTest, ThreeClientsHoldPollsTogether)
{
    const int kClients = 3;
    const int kTimeoutMs = 1000;
    std::vector<std::unique_ptr<ProtoClient>> clients;
    std::vector<QString> sessions;
    std::vector<XmlRpcValue> current;
    for (int i = 0; i < kClients; ++i) {
        clients.emplace_back(new ProtoClient(driver.port()));
        sessions.push_back(openSession(*clients.back(), i == 1 ? kMixer : kDispenser));
        const QString command = i == 1 ? QStringLiteral("GET_MIXER_STATUS") : QStringLiteral("GET_DISP_STATUS");
        current.push_back(clients.back()->execute(command, sessions.back())["data"]);
    }
    std::vector<XmlRpcValue> answers(kClients);
    std::vector<std::thread> threads;
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kClients; ++i) {
        threads.emplace_back([&, i] {
            const QString command = i == 1 ? QStringLiteral("GET_MIXER_STATUS") : QStringLiteral("GET_DISP_STATUS");
            answers[i] = clients[i]->poll(command, sessions[i], current[i], 500, kTimeoutMs);
        });
    }
    EXPECT_TRUE(driver.model().waitForWaitingCalls(kClients, 5000)) << "all three held at the same time";
    for (std::thread &t : threads)
        t.join();
    EXPECT_LT(msSince(start), 2 * kTimeoutMs) << "served together, not one after the other";
    for (int i = 0; i < kClients; ++i) {
        EXPECT_EQ(rcOf(answers[i]), ProtoAnswer::RC_OK) << i;
        EXPECT_EQ(answers[i]["data"], current[i]) << i;
    }
}

TEST_F(SimProtocolTest, HeldPollOfAClientThatLeftEnds)
{
    ProtoClient poller(driver.port());
    const QString session = openSession(poller, kDispenser);
    const XmlRpcValue current = dispenserStatusData(poller, session);
    ASSERT_TRUE(driver.simulator().waitForOpenConnections(1, 2000));
    std::thread held([&] {
        const QuietTransport quiet; // the call loses its connection
        poller.poll(QStringLiteral("GET_DISP_STATUS"), session, current, 100, 60000);
    });
    ASSERT_TRUE(driver.model().waitForWaitingCalls(1, 5000));

    // The client goes away: the driver stops holding the call for it, and
    // its connection closes, long before the minute is over.
    const Clock::time_point start = Clock::now();
    poller.close();
    held.join();
    EXPECT_TRUE(driver.model().waitForWaitingCalls(0, 3000));
    EXPECT_TRUE(driver.simulator().waitForOpenConnections(0, 3000));
    EXPECT_LT(msSince(start), 3000);
}

TEST_F(SimProtocolTest, StopsPromptlyWithPollsHeld)
{
    ProtoClient first(driver.port());
    ProtoClient second(driver.port());
    const QString session = openSession(first, kDispenser);
    const XmlRpcValue current = dispenserStatusData(first, session);
    const XmlRpcValue machines = first.execute(QStringLiteral("GET_ACTIVE_DISP"))["data"];
    std::atomic<int> returned{0};
    std::thread a([&] {
        first.poll(QStringLiteral("GET_DISP_STATUS"), session, current, 500, 60000);
        ++returned;
    });
    std::thread b([&] {
        second.poll(QStringLiteral("GET_ACTIVE_DISP"), QString(), machines, 500, 60000);
        ++returned;
    });
    EXPECT_TRUE(driver.model().waitForWaitingCalls(2, 5000));

    const QuietTransport quiet; // the held calls lose their connection
    const Clock::time_point start = Clock::now();
    driver.stop();
    EXPECT_LT(msSince(start), 2000);
    a.join();
    b.join();
    EXPECT_EQ(returned.load(), 2);
    EXPECT_LT(msSince(start), 3000);
    EXPECT_FALSE(driver.simulator().isRunning());
}

} // namespace
