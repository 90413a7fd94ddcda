// What keeps a simulated driver's machines to those who hold the key: the
// handshake's binding of machine, access level and client, nonce rules,
// access levels, session-bound random tickets, the limits on sessions that
// are never certified, the long-poll set, per-circuit dispensing progress,
// and plain HTTP served to local clients only.

#include "AsyncAnswer.h"
#include "GetActiveCircuitsAnswer.h"
#include "GetCommandStatusCmd.h"
#include "ProtoAnswer.h"
#include "ProtoCommandRecord.h"
#include "SessionKeys.h"
#include "SimDriver.h"
#include "SimDriverModel.h"
#include "SimPeerPolicy.h"
#include "SimProtocolClient.h"
#include "SimScenario.h"
#include "TintCmd.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <set>
#include <string>
#include <thread>

namespace {

class SimSessionsTest : public ::testing::Test
{
protected:
    static constexpr int kChannelMs = 1000;

    static SimScenario scenario()
    {
        SimScenario scenario = SimScenario::defaultScenario();
        scenario.setResetMs(5000);
        scenario.setChannelMs(kChannelMs);
        return scenario;
    }
    void SetUp() override { ASSERT_TRUE(driver.start()) << driver.simulator().errorString(); }

    // LOGIN and GET_KEY as the client sent them, then CERTIFY_SESSION with a
    // key computed over what the client says it asked for.
    bool certifiesWhenKeyedFor(ProtoClient &client, const MachineID &loggedIn, int levelLoggedIn,
                               const MachineID &keyedFor, int levelKeyedFor, const QString &clientKeyedFor)
    {
        const QString session = loginSession(client, loggedIn, levelLoggedIn);
        const QString nonce = SessionKeys::randomNonce();
        GetKeyCmd getKey(session, nonce);
        client.run(getKey, QString());
        const QStringList parts = answerOf<GetKeyAnswer>(getKey).driverKey().split(QLatin1Char('.'));
        if (parts.size() != 3)
            return false;
        const QByteArray bound =
            SessionKeys::boundText(session, keyedFor, levelKeyedFor, nonce, parts.at(1), clientKeyedFor);
        return certify(client, session, SessionKeys::loginKey(SessionKeys::defaultSecret(), bound)).certified();
    }

    int startReset(ProtoClient &client, const QString &session)
    {
        const XmlRpcValue started = client.execute(QStringLiteral("RESET"), session, XmlRpcValue::emptyArray(), AsyncCall);
        EXPECT_EQ(rcOf(started), ProtoAnswer::RC_OK) << started.toText();
        return AsyncAnswer(started).ticketID();
    }

    SimDriver driver{scenario()};
};

XmlRpcValue ticketParams(int ticket)
{
    XmlRpcValue params = XmlRpcValue::emptyArray();
    params[0] = ticket;
    return params;
}

} // namespace

TEST_F(SimSessionsTest, HandshakeBindsMachineLevelAndClient)
{
    ProtoClient client(driver.port());
    // Keyed for exactly what was logged in: certified.
    EXPECT_TRUE(certifiesWhenKeyedFor(client, kDispenser, 1, kDispenser, 1, kClientID));
    // A relay that changed any of them in LOGIN does not get a session.
    EXPECT_FALSE(certifiesWhenKeyedFor(client, kMixer, 1, kDispenser, 1, kClientID));
    EXPECT_FALSE(certifiesWhenKeyedFor(client, kDispenser, 2, kDispenser, 1, kClientID));
    EXPECT_FALSE(certifiesWhenKeyedFor(client, kDispenser, 1, kDispenser, 1, QStringLiteral("someone else")));
    EXPECT_FALSE(certifiesWhenKeyedFor(client, MachineID(0, MachineID::Dispenser), 1, kDispenser, 1, kClientID));

    // The library's own keys check the driver's proof against what they were
    // made for: a proof over another machine gives no login key at all.
    const QString session = loginSession(client, kMixer);
    QString clientKey;
    int handle = 0;
    const QString driverKey = driverKeyFor(client, session, kDispenser, &clientKey, &handle);
    EXPECT_TRUE(GetKeyCmd::createLoginKey(driverKey, handle).isEmpty());
}

TEST_F(SimSessionsTest, ClientNoncesAreThirtyTwoHexDigitsAndAskedForOnce)
{
    ProtoClient client(driver.port());
    const QString session = loginSession(client, kDispenser);
    const QString good = SessionKeys::randomNonce();
    for (const QString &bad : {QStringLiteral("ab"), good.left(31), good + QLatin1Char('0'), good.toUpper(),
                               QString(good).replace(0, 1, QLatin1Char('g')), QString()}) {
        if (bad == good)
            continue; // an all-digit nonce upper-cased is itself
        GetKeyCmd getKey(session, bad);
        const XmlRpcValue result = client.run(getKey, QString());
        EXPECT_EQ(rcOf(result), ProtoAnswer::RC_INVALID_PARAMS) << bad.toStdString();
        EXPECT_EQ(codesOf(result), QStringList{QStringLiteral("TE10004")});
    }
    GetKeyCmd first(session, good);
    EXPECT_EQ(rcOf(client.run(first, QString())), ProtoAnswer::RC_OK);
    // One proof per session: asking again with another nonce is refused.
    GetKeyCmd again(session, SessionKeys::randomNonce());
    const XmlRpcValue refused = client.run(again, QString());
    EXPECT_EQ(rcOf(refused), ProtoAnswer::RC_INVALID_SESSION);
    EXPECT_EQ(codesOf(refused), QStringList{QStringLiteral("TE10002")});
}

TEST_F(SimSessionsTest, SessionsCarryTheirAccessLevel)
{
    driver.model().sessions().setMaxAccess(ProtoCommandRecord::ServiceAccess);
    ProtoClient client(driver.port());

    LoginCmd factory(kDispenser, kClientID, 20, ProtoCommandRecord::FactoryAccess);
    const XmlRpcValue notGranted = client.run(factory, QString());
    EXPECT_EQ(rcOf(notGranted), ProtoAnswer::RC_REFUSED);
    EXPECT_EQ(codesOf(notGranted), QStringList{QStringLiteral("TE10010")});
    for (int level : {0, 4, -1}) {
        LoginCmd invalid(kDispenser, kClientID, 20, level);
        const XmlRpcValue result = client.run(invalid, QString());
        EXPECT_EQ(rcOf(result), ProtoAnswer::RC_INVALID_PARAMS) << level;
        EXPECT_EQ(codesOf(result), QStringList{QStringLiteral("TE10004")});
    }

    // WRITE_CONFIG_ROW is a service command; SET_SERIAL_NUMBER a factory one.
    const QString operatorSession = openSession(client, kDispenser);
    const QString serviceSession = openSession(client, kDispenser, nullptr, ProtoCommandRecord::ServiceAccess);
    const XmlRpcValue tooLow = client.execute(QStringLiteral("WRITE_CONFIG_ROW"), operatorSession);
    EXPECT_EQ(rcOf(tooLow), ProtoAnswer::RC_REFUSED);
    EXPECT_EQ(codesOf(tooLow), QStringList{QStringLiteral("TE10011")});
    // Past the level check (the simulator does not implement it).
    EXPECT_EQ(codesOf(client.execute(QStringLiteral("WRITE_CONFIG_ROW"), serviceSession)),
              QStringList{QStringLiteral("TE10007")});
    EXPECT_EQ(codesOf(client.execute(QStringLiteral("SET_SERIAL_NUMBER"), serviceSession)),
              QStringList{QStringLiteral("TE10011")});
    // Operator commands run in both.
    EXPECT_EQ(rcOf(client.execute(QStringLiteral("GET_DISP_STATUS"), operatorSession)), ProtoAnswer::RC_OK);
    EXPECT_EQ(rcOf(client.execute(QStringLiteral("GET_DISP_STATUS"), serviceSession)), ProtoAnswer::RC_OK);
}

TEST_F(SimSessionsTest, TicketsAreRandomAndBelongToTheirSession)
{
    ProtoClient client(driver.port());
    const QString owner = openSession(client, kDispenser);
    const QString other = openSession(client, kDispenser);
    std::set<int> tickets;
    int last = 0;
    for (int i = 0; i < 4; ++i) {
        last = startReset(client, owner);
        EXPECT_GT(last, 0);
        tickets.insert(last);
        EXPECT_EQ(rcOf(client.execute(QStringLiteral("STOP"), owner)), ProtoAnswer::RC_OK);
    }
    EXPECT_EQ(tickets.size(), 4u);
    EXPECT_GT(*tickets.rbegin() - *tickets.begin(), 3) << "tickets count up";

    EXPECT_EQ(rcOf(client.execute(QStringLiteral("GET_CMD_STATUS"), owner, ticketParams(last))), ProtoAnswer::RC_OK);
    for (const QString &session : {other, QString()}) {
        const XmlRpcValue foreign = client.execute(QStringLiteral("GET_CMD_STATUS"), session, ticketParams(last));
        EXPECT_EQ(rcOf(foreign), ProtoAnswer::RC_INVALID_PARAMS);
        EXPECT_EQ(codesOf(foreign), QStringList{QStringLiteral("TE10006")});
    }
    // A driver that forgot its tickets (restarted) answers the same.
    driver.model().forgetTickets();
    EXPECT_EQ(codesOf(client.execute(QStringLiteral("GET_CMD_STATUS"), owner, ticketParams(last))),
              QStringList{QStringLiteral("TE10006")});
}

TEST_F(SimSessionsTest, LoginFloodLeavesCertifiedSessionsWorking)
{
    ProtoClient client(driver.port());
    const QString certified = openSession(client, kDispenser);
    const QString firstOfFlood = loginSession(client, kDispenser);
    for (int i = 0; i < SimSessionTable::kMaxUncertified + 20; ++i)
        loginSession(client, kDispenser);
    EXPECT_EQ(driver.model().sessions().uncertifiedCount(), SimSessionTable::kMaxUncertified);
    EXPECT_EQ(rcOf(client.execute(QStringLiteral("GET_DISP_STATUS"), certified)), ProtoAnswer::RC_OK);
    // The oldest ones made room.
    GetKeyCmd getKey(firstOfFlood, SessionKeys::randomNonce());
    EXPECT_EQ(rcOf(client.run(getKey, QString())), ProtoAnswer::RC_INVALID_SESSION);
    // A handshake started now still completes.
    EXPECT_FALSE(openSession(client, kDispenser).isEmpty());

    // And a session never certified ages out.
    driver.model().sessions().setUncertifiedLifetimeMs(100);
    const QString stale = loginSession(client, kDispenser);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    GetKeyCmd late(stale, SessionKeys::randomNonce());
    EXPECT_EQ(rcOf(client.run(late, QString())), ProtoAnswer::RC_INVALID_SESSION);
    EXPECT_EQ(driver.model().sessions().uncertifiedCount(), 0);
    EXPECT_EQ(rcOf(client.execute(QStringLiteral("GET_DISP_STATUS"), certified)), ProtoAnswer::RC_OK);
}

TEST_F(SimSessionsTest, OnlyTheNotifyChangedQueriesAreHeld)
{
    ProtoClient client(driver.port());
    const QString session = openSession(client, kDispenser);
    const XmlRpcValue errors = client.poll(QStringLiteral("GET_ERRORS"), session, XmlRpcValue(), 100, 100);
    EXPECT_EQ(rcOf(errors), ProtoAnswer::RC_NOT_SUPPORTED);
    EXPECT_EQ(codesOf(errors), QStringList{QStringLiteral("TE10012")});

    // A timeout of 0 or below answers at once, even with an unchanged prev.
    const XmlRpcValue current = client.execute(QStringLiteral("GET_DISP_STATUS"), session)["data"];
    for (int timeout : {0, -5}) {
        const Clock::time_point start = Clock::now();
        const XmlRpcValue result = client.poll(QStringLiteral("GET_DISP_STATUS"), session, current, 10, timeout);
        EXPECT_EQ(rcOf(result), ProtoAnswer::RC_OK);
        EXPECT_LT(msSince(start), 1000) << timeout; // held to the default timeout it would take 10 s
    }
}

TEST_F(SimSessionsTest, ActiveCircuitsFollowTheDispensedFormula)
{
    ProtoClient client(driver.port());
    const QString session = openSession(client, kDispenser);
    auto circuits = [&](int process) {
        XmlRpcValue params = XmlRpcValue::emptyArray();
        params[0] = process;
        return GetActiveCircuitsAnswer(client.execute(QStringLiteral("GET_ACTIVE_CIRCUITS"), session, params));
    };
    EXPECT_TRUE(circuits(1).positionsIDList().isEmpty());

    // Two channels, one after the other: positions 1 and 2, then 3.
    FormulaChannel firstChannel;
    firstChannel.addIngredient(ChannelIngredient(1, QString(), 1.0));
    firstChannel.addIngredient(ChannelIngredient(2, QString(), 1.0));
    FormulaChannel secondChannel;
    secondChannel.addIngredient(ChannelIngredient(3, QString(), 1.0));
    TintCmd tint(Formula(QList<FormulaChannel>{firstChannel, secondChannel}, Formula::SkipLevelsCheck, 2));
    client.run(tint, session, AsyncCall);
    ASSERT_EQ(dynamic_cast<const AsyncAnswer *>(tint.getProtoAnswer())->returnCode(), ProtoAnswer::RC_OK);

    const GetActiveCircuitsAnswer first = circuits(1);
    EXPECT_EQ(first.circuitProcess(), 1);
    EXPECT_EQ(first.positionsIDList(), (QList<int>{1, 2, 3}));
    EXPECT_EQ(first.statusMasks(), (QList<int>{2, 2, 1}));
    EXPECT_TRUE(circuits(2).positionsIDList().isEmpty()) << "no other process runs";

    // Each step follows the one before; polled, so a slow machine sees the same sequence.
    auto nextMasks = [&](const QList<int> &current) {
        const Clock::time_point start = Clock::now();
        QList<int> masks = current;
        while (masks == current && msSince(start) < 4 * kChannelMs) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            masks = circuits(1).statusMasks();
        }
        return masks;
    };
    const QList<int> second = nextMasks(first.statusMasks());
    EXPECT_EQ(second, (QList<int>{4, 4, 2}));
    EXPECT_TRUE(nextMasks(second).isEmpty()) << "the formula is done";
}

TEST(SimPeerPolicyTest, PlainHttpIsForLocalClients)
{
    auto v4 = [](const char *text) {
        sockaddr_in in{};
        in.sin_family = AF_INET;
        inet_pton(AF_INET, text, &in.sin_addr);
        return in;
    };
    auto v6 = [](const char *text) {
        sockaddr_in6 in{};
        in.sin6_family = AF_INET6;
        inet_pton(AF_INET6, text, &in.sin6_addr);
        return in;
    };
    for (const char *local : {"127.0.0.1", "127.1.2.3"}) {
        const sockaddr_in in = v4(local);
        EXPECT_TRUE(SimPeerPolicy::isLoopback(reinterpret_cast<const sockaddr *>(&in))) << local;
    }
    for (const char *local : {"::1", "::ffff:127.0.0.1"}) {
        const sockaddr_in6 in = v6(local);
        EXPECT_TRUE(SimPeerPolicy::isLoopback(reinterpret_cast<const sockaddr *>(&in))) << local;
    }
    const sockaddr_in remote = v4("10.1.2.3");
    const sockaddr_in6 remote6 = v6("::ffff:10.1.2.3");
    EXPECT_FALSE(SimPeerPolicy::isLoopback(reinterpret_cast<const sockaddr *>(&remote)));
    EXPECT_FALSE(SimPeerPolicy::isLoopback(reinterpret_cast<const sockaddr *>(&remote6)));
}

// A real connection from this host's own non-loopback address, when it has one.
TEST(SimPeerPolicyTest, RemotePlainConnectionIsRefusedUnlessAllowed)
{
    std::string address;
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) == 0) {
        for (ifaddrs *it = list; it && address.empty(); it = it->ifa_next) {
            if (it->ifa_addr && it->ifa_addr->sa_family == AF_INET
                && !SimPeerPolicy::isLoopback(it->ifa_addr)) {
                char text[INET_ADDRSTRLEN] = {};
                inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in *>(it->ifa_addr)->sin_addr, text, sizeof text);
                address = text;
            }
        }
        freeifaddrs(list);
    }
    if (address.empty())
        GTEST_SKIP() << "no non-loopback IPv4 address on this host";

    for (bool allowed : {false, true}) {
        SimDriver driver;
        driver.simulator().setBindAddress("0.0.0.0");
        driver.simulator().setAllowRemotePlain(allowed);
        ASSERT_TRUE(driver.start());
        QuietTransport quiet;
        XmlRpcClient client(address.c_str(), driver.port());
        XmlRpcValue result;
        const bool answered = client.execute("PING", XmlRpcValue::emptyArray(), result, 5.0);
        EXPECT_EQ(answered, allowed) << address;
        if (allowed) {
            EXPECT_EQ(result, XmlRpcValue("PONG"));
        }
        // Local clients are served either way.
        XmlRpcClient local("127.0.0.1", driver.port());
        EXPECT_TRUE(local.execute("PING", XmlRpcValue::emptyArray(), result, 5.0));
    }
}
