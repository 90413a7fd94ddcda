// Starting a driver against the simulated driver, on loopback: the whole
// start at communication level 2 with mixers through the communication
// manager, against the calls it has to make done one after the other on one
// bare client.
//
//   start/level2   AXOCommManager::startAXODriverComm at level 2 with mixers:
//                  probe, registration, the command threads, the logins of
//                  the generic dispenser and mixer (over the probe's
//                  connection, as are the calls that follow),
//                  the driver version, the calibration profiles, the working
//                  and factory configurations, the active machines and the
//                  start of the polling and configuration threads. Timed from
//                  the call to its return; outside the timing the driver is
//                  closed again and its sessions are logged out on a bare
//                  client, so that no iteration meets those of the last
//                  (a driver keeps a session for its whole lifetime). Counters: the mean
//                  time of each phase from its CommTaskStarted to its
//                  CommTaskCompleted (phase1_ms init, phase2_ms profiles,
//                  phase4_ms configuration, phase8_ms start), the calls the
//                  driver received until the start returned (calls: the polls
//                  the new threads send at once among them) and the driver
//                  connections opened per start (connections).
//   start/raw      The floor: the same requests on one kept-alive XmlRpcClient,
//                  made in the same order and waited for one by one: PING,
//                  the handshake (LOGIN, GET_KEY, CERTIFY_SESSION) for the
//                  generic dispenser and the generic mixer, GET_SW_VERSION,
//                  GET_CALIB_PROFILES, GET_CONFIG [0], the handshakes of the
//                  configuration's two machines (the sessions follow the
//                  configuration), GET_CONFIG [1], GET_ACTIVE_DISP (19 calls),
//                  each answer decoded by its protocol class as the library
//                  does. The client connects
//                  anew in every iteration, as a start does; its sessions are
//                  logged out after the timing.
//   start/alternating  one start and one round of the raw calls in turn, each
//                  timed on its own, so that both meet the same load on the
//                  machine (the two above run a few seconds apart): counters
//                  level2_p50_ms, raw_p50_ms and their ratio p50_ratio.

#include "AXOClientSettings.h"
#include "AXOCommData.h"
#include "AXOCommManager.h"
#include "AXOCurrentCommData.h"
#include "AXODriverConnection.h"
#include "CertifySessionAnswer.h"
#include "CertifySessionCmd.h"
#include "FW_DriverError.h"
#include "GetKeyAnswer.h"
#include "GetKeyCmd.h"
#include "LoginAnswer.h"
#include "LoginCmd.h"
#include "LogoutCmd.h"
#include "NECmdManager.h"
#include "ProtoCommand.h"
#include "ProtoCommandList.h"
#include "Session.h"
#include "SimDriver.h"
#include "SimDriverModel.h"
#include "XmlRpcClient.h"
#include "XmlRpcErrorHandler.h"
#include "XmlRpcUtil.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <thread>
#include <vector>

using XmlRpc::XmlRpcClient;
using XmlRpc::XmlRpcValue;

namespace {

typedef std::chrono::steady_clock Clock;

[[noreturn]] void die(const char *message)
{
    std::fprintf(stderr, "bench_start: %s\n", message);
    std::exit(1);
}

double msBetween(Clock::time_point start, Clock::time_point stop)
{
    return std::chrono::duration<double, std::milli>(stop - start).count();
}

void pump(int ms)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Owned by main: it must stop before the application and the library's
// singletons go, not among the static destructors after main.
std::unique_ptr<SimDriver> s_driver;

SimDriver &simulator()
{
    if (!s_driver) {
        s_driver.reset(new SimDriver);
        if (!s_driver->start())
            die("the simulated driver did not start");
    }
    return *s_driver;
}

bool call(XmlRpcClient &client, ProtoCommand &command, const QString &session = QString());
void logoutAll(const SimDriver &driver, const QStringList &sessions);

// What one start made: its time, the calls the driver received and the
// connections it accepted meanwhile.
struct StartSample
{
    double ms = 0.0;
    uint64_t calls = 0;
    uint64_t connections = 0;
    bool ok = false;
};

// Times a start at level 2 through the communication manager. Afterwards,
// outside the timing, the reactions to the first polls run, the driver is
// closed, its sessions are logged out and the simulated driver lets go of
// the calls its polling threads held.
StartSample level2Start(SimDriver &driver)
{
    const AXODriverConnection connection(QStringLiteral("127.0.0.1"), driver.port());
    AXOCommManager *manager = AXOCommManager::instance();
    StartSample sample;
    const uint64_t callsBefore = driver.simulator().requestsReceived();
    const uint64_t connectionsBefore = driver.simulator().connectionsAccepted();
    const auto start = Clock::now();
    sample.ok = manager->startAXODriverComm(QStringLiteral("bench"), connection, AXOCommData::CommLevel2, true);
    sample.ms = msBetween(start, Clock::now());
    sample.calls = driver.simulator().requestsReceived() - callsBefore;
    sample.connections = driver.simulator().connectionsAccepted() - connectionsBefore;
    pump(20);
    QStringList sessions;
    for (const Session &session : AXOCommData::instance()->getSessionList())
        sessions.append(session.getSessionID());
    manager->stopDriversComm(-1, true);
    logoutAll(driver, sessions);
    // The next start begins in a quiet process, as an application's does:
    // the driver has given up the calls the stopped polling threads held, and
    // what the stop set going has run out.
    driver.model().waitForWaitingCalls(0, 2000);
    pump(30);
    return sample;
}

void startLevel2(benchmark::State &state)
{
    SimDriver &driver = simulator();
    AXOCommManager *manager = AXOCommManager::instance();
    std::map<int, Clock::time_point> begun;
    std::map<int, double> phaseMs;
    const QMetaObject::Connection started =
        QObject::connect(manager, &AXOCommManager::CommTaskStarted,
                         [&begun](AXOCommManager::CommTasks task) { begun[task] = Clock::now(); });
    const QMetaObject::Connection completed = QObject::connect(
        manager, &AXOCommManager::CommTaskCompleted,
        [&begun, &phaseMs](AXOCommManager::CommTasks task, bool, AXOCommManager::CommMgsID) {
            phaseMs[task] += msBetween(begun[task], Clock::now());
        });
    uint64_t calls = 0;
    uint64_t connections = 0;
    for (auto _ : state) {
        const StartSample sample = level2Start(driver);
        state.SetIterationTime(sample.ms / 1000.0);
        calls += sample.calls;
        connections += sample.connections;
        if (!sample.ok)
            state.SkipWithError("the start failed");
    }
    QObject::disconnect(started);
    QObject::disconnect(completed);
    const double n = static_cast<double>(state.iterations());
    for (const auto &phase : phaseMs)
        state.counters["phase" + std::to_string(phase.first) + "_ms"] = phase.second / n;
    state.counters["calls"] = static_cast<double>(calls) / n;
    state.counters["connections"] = static_cast<double>(connections) / n;
}

bool call(XmlRpcClient &client, ProtoCommand &command, const QString &session)
{
    bool ok = false;
    const XmlRpcValue param = command.toXmlRpcValue(session, &ok);
    XmlRpcValue result;
    if (!ok || !client.execute("AXO.execute", param, result, 10.0) || client.isFault())
        return false;
    FW_DriverError error;
    return command.setAnswer(result, false, &error);
}

// Logs the given sessions out on a bare client, so that the sessions of
// earlier iterations do not pile up in the driver.
void logoutAll(const SimDriver &driver, const QStringList &sessions)
{
    XmlRpcClient client("127.0.0.1", driver.port());
    for (const QString &session : sessions) {
        LogoutCmd logout(session);
        call(client, logout);
    }
    client.close();
}

bool handshake(XmlRpcClient &client, const MachineID &machine, QStringList *sessions)
{
    const QString clientID = QStringLiteral("bench");
    LoginCmd login(machine, clientID, 20, 1);
    if (!call(client, login))
        return false;
    const LoginAnswer *session = dynamic_cast<const LoginAnswer *>(login.getProtoAnswer());
    if (!session || session->sessionID().isEmpty())
        return false;
    sessions->append(session->sessionID());
    QString clientKey;
    int handle = 0;
    GetKeyCmd::createSharedKey(clientKey, handle, machine, clientID, 1);
    GetKeyCmd getKey(session->sessionID(), clientKey);
    if (!call(client, getKey))
        return false;
    const GetKeyAnswer *key = dynamic_cast<const GetKeyAnswer *>(getKey.getProtoAnswer());
    if (!key)
        return false;
    CertifySessionCmd certify(session->sessionID(), GetKeyCmd::createLoginKey(key->driverKey(), handle));
    return call(client, certify);
}

bool named(XmlRpcClient &client, const char *name, const QList<QVariant> &parameters = QList<QVariant>())
{
    std::unique_ptr<ProtoCommand> command(
        ProtoCommandList::instance()->getProtoCommand(QLatin1String(name), parameters, nullptr));
    return command && call(client, *command);
}

// Times the start's calls made one after the other on a new bare client;
// its sessions are logged out after the timing.
StartSample rawStart(SimDriver &driver)
{
    StartSample sample;
    const uint64_t callsBefore = driver.simulator().requestsReceived();
    const uint64_t connectionsBefore = driver.simulator().connectionsAccepted();
    const auto start = Clock::now();
    QStringList sessions;
    XmlRpcClient client("127.0.0.1", driver.port());
    XmlRpcValue pong;
    bool ok = client.execute("PING", XmlRpcValue(), pong, 5.0);
    ok = ok && handshake(client, MachineID(0, MachineID::Dispenser), &sessions);
    ok = ok && handshake(client, MachineID(0, MachineID::Mixer), &sessions);
    ok = ok && named(client, "GET_SW_VERSION") && named(client, "GET_CALIB_PROFILES");
    ok = ok && named(client, "GET_CONFIG", {QVariant(0)});
    ok = ok && handshake(client, MachineID(1, MachineID::Dispenser), &sessions)
        && handshake(client, MachineID(2, MachineID::Mixer), &sessions);
    ok = ok && named(client, "GET_CONFIG", {QVariant(1)});
    ok = ok && named(client, "GET_ACTIVE_DISP");
    client.close();
    sample.ms = msBetween(start, Clock::now());
    sample.calls = driver.simulator().requestsReceived() - callsBefore;
    sample.connections = driver.simulator().connectionsAccepted() - connectionsBefore;
    sample.ok = ok;
    logoutAll(driver, sessions);
    return sample;
}

void startRaw(benchmark::State &state)
{
    SimDriver &driver = simulator();
    uint64_t calls = 0;
    uint64_t connections = 0;
    for (auto _ : state) {
        const StartSample sample = rawStart(driver);
        state.SetIterationTime(sample.ms / 1000.0);
        calls += sample.calls;
        connections += sample.connections;
        if (!sample.ok)
            state.SkipWithError("a raw call failed");
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["calls"] = static_cast<double>(calls) / n;
    state.counters["connections"] = static_cast<double>(connections) / n;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// A start and the raw calls in turn, so that both meet the same load on the
// machine; the iteration time is the pair's.
void startAlternating(benchmark::State &state)
{
    SimDriver &driver = simulator();
    std::vector<double> level2;
    std::vector<double> raw;
    for (auto _ : state) {
        const StartSample ours = level2Start(driver);
        const StartSample bare = rawStart(driver);
        state.SetIterationTime((ours.ms + bare.ms) / 1000.0);
        level2.push_back(ours.ms);
        raw.push_back(bare.ms);
        if (!ours.ok || !bare.ok)
            state.SkipWithError("a start or a raw call failed");
    }
    const double level2Median = median(level2);
    const double rawMedian = median(raw);
    state.counters["level2_p50_ms"] = level2Median;
    state.counters["raw_p50_ms"] = rawMedian;
    state.counters["p50_ratio"] = rawMedian > 0.0 ? level2Median / rawMedian : 0.0;
}

class QuietTransport : public XmlRpc::XmlRpcErrorHandler
{
public:
    void error(const char *) override {}
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::signal(SIGPIPE, SIG_IGN);

    // A local driver without TLS: a settings file of our own.
    QTemporaryDir settingsRoot;
    if (!settingsRoot.isValid())
        die("cannot create a temporary directory");
    qputenv(AXOClientSettings::RootEnvironmentVariable, settingsRoot.path().toUtf8());
    QuietTransport quiet;
    XmlRpc::XmlRpcErrorHandler *const previousErrors = XmlRpcUtil::getErrorHandler();
    XmlRpcUtil::setErrorHandler(&quiet);

    benchmark::RegisterBenchmark("start/level2", startLevel2)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("start/raw", startRaw)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("start/alternating", startAlternating)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    AXOCommManager::drop();
    AXOCurrentCommData::drop();
    AXOCommData::drop();
    s_driver.reset();
    XmlRpcUtil::setErrorHandler(previousErrors);
    qunsetenv(AXOClientSettings::RootEnvironmentVariable);
    return 0;
}
