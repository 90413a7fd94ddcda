// Live machine state against the simulated driver, on loopback: how soon a
// change in the driver reaches the host as the store's signal, and what the
// polling threads cost while nothing changes (docs/livestate.md).
//
//   livestate/signal      A dispenser's errors toggled in the simulated driver
//                         (raised, cleared, raised, ...) until the host thread
//                         receives the store's NEMachineDriverStatusChangedSignal
//                         for that dispenser: the driver answers the held
//                         GET_DISP_STATUS poll, the status thread emits the
//                         executed signal, NECmdManager's reaction (host
//                         thread) stores the status, and the store's signal
//                         reaches a receiver in the host thread by a queued
//                         connection. The host thread sits in its event loop
//                         throughout; the change is made from another thread,
//                         once every held poll is back in place and no other
//                         call is in flight. The driver is the default scenario,
//                         started as at communication level 1 with mixers (the
//                         set-up of tests/tst_livestate.cpp). A signal only
//                         counts when the stored status shows the change
//                         (counter stale_signals: those that did not).
//   livestate/raw-notify  The floor: the same change on a driver of its own,
//                         watched by a bare XmlRpcClient in another thread
//                         holding AXO.notifyChanged of GET_DISP_STATUS with
//                         prev and the library's interval and hold; from the
//                         change to the return of that call.
//   Each repetition makes kChanges changes, each timed on its own: counters
//   p50_us, p90_us, p99_us, max_us and over_2ms; the manual time of an
//   iteration is its latency.
//
//   idle/process          A driver with four dispensers and a mixer as a
//                         separate axodriver-sim process (--verbose: its "call"
//                         lines count the calls), every polling thread of
//                         communication level 2 running: the status threads of
//                         the dispensers and the mixer, active machines and
//                         connection status (started as the communication
//                         manager starts them), what the reactions start at
//                         level 2 (the sensors threads among them), and the
//                         GET_SENSORS_STATUS poll of each dispenser (custom
//                         polling threads). Then nothing changes for
//                         AXOCOMM_BENCH_IDLE_SECONDS seconds (default 30), the
//                         host thread in its event loop. Counters, over that time:
//                           lib_cpu_pct   this process (getrusage), % of one core
//                           sim_cpu_pct   the simulator (/proc/<pid>/stat utime
//                                         + stime), % of one core
//                           calls, notify_calls  calls the simulator received
//                           calls_per_poller_10s  calls per polling thread per 10 s
//                                         (1: every poll held for its full 10 s)
//                           polling_threads, executed_signals (0: nothing was
//                                         reported as changed)
//                           cpu_ms_<group>  this process's CPU by thread group
//                                         (polling, command, host, other)
//   idle/in-process       The same with the driver in-process (SimDriver):
//                         calls from requestsReceived(), held_calls from the
//                         model at the end (one per polling thread when every
//                         poll is held); process_cpu_pct is library and
//                         simulator together.

#include "bench_livestate.h"

#include "AXOClientSettings.h"
#include "AXOCommData.h"
#include "CertifySessionAnswer.h"
#include "CertifySessionCmd.h"
#include "FW_Dispenser.h"
#include "FW_DriverError.h"
#include "FW_HwError.h"
#include "FW_Mixer.h"
#include "GetKeyAnswer.h"
#include "GetKeyCmd.h"
#include "LoginAnswer.h"
#include "LoginCmd.h"
#include "MachineDriverStatusAnswer.h"
#include "NECmdManager.h"
#include "NECommand.h"
#include "NEQueueThreadManager.h"
#include "ProtoCommand.h"
#include "SimDriver.h"
#include "SimDriverModel.h"
#include "SimScenario.h"
#include "XmlRpcClient.h"
#include "XmlRpcErrorHandler.h"
#include "XmlRpcUtil.h"
#include "XmlRpcValue.h"

#include <benchmark/benchmark.h>

#include <QtCore/QCoreApplication>
#include <QtCore/QEventLoop>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtCore/QThreadPool>
#include <QtCore/QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

using XmlRpc::XmlRpcClient;
using XmlRpc::XmlRpcValue;

namespace livestate {


const MachineID kGenericDispenser(0, MachineID::Dispenser);
const MachineID kGenericMixer(0, MachineID::Mixer);
const MachineID kDispenser1(1, MachineID::Dispenser);

//! Changes timed in one repetition of a latency benchmark.
const int kChanges = 300;
//! The library's re-check interval and longest hold of a notify-changed call.
const int kPollIntervalMs = 500;
const int kPollHoldMs = 10000;
//! Quiet before a change: every held poll in place, nothing else in flight,
//! for this long.
const int kQuietMs = 5;

[[noreturn]] void die(const std::string &message)
{
    std::fprintf(stderr, "axocomm_bench_livestate: %s\n", message.c_str());
    std::exit(1);
}

double microsBetween(Clock::time_point start, Clock::time_point stop)
{
    return std::chrono::duration<double, std::micro>(stop - start).count();
}

double secondsBetween(Clock::time_point start, Clock::time_point stop)
{
    return std::chrono::duration<double>(stop - start).count();
}

//! Sorts the values.
double percentile(std::vector<double> &values, int percent)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, values.size() * static_cast<size_t>(percent) / 100)];
}

void reportLatencies(benchmark::State &state, std::vector<double> &micros)
{
    if (micros.empty())
        return;
    state.counters["p50_us"] = percentile(micros, 50);
    state.counters["p90_us"] = percentile(micros, 90);
    state.counters["p99_us"] = percentile(micros, 99);
    state.counters["max_us"] = micros.back();
    state.counters["over_2ms"] =
        static_cast<double>(micros.end() - std::upper_bound(micros.begin(), micros.end(), 2000.0));
}

//! Keeps the host thread's events going until the condition holds.
bool pumpUntil(const std::function<bool()> &condition, int ms)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (!condition() && Clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

//! Runs the host thread's event loop for that long.
void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

FW_ErrorList raisedErrors()
{
    FW_ErrorList errors;
    errors.append(FW_HwError(QStringLiteral("Canister 7 empty"), QStringLiteral("TE30007")));
    return errors;
}

//! Every held poll of the driver in place and no other call in flight, for
//! kQuietMs on end; false when that does not happen in time.
bool waitQuiet(SimDriver &driver, int held, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    bool stable = false;
    Clock::time_point since;
    while (Clock::now() < deadline) {
        DriverSimulator &sim = driver.simulator();
        const uint64_t served = sim.requestsServed();
        const uint64_t inFlight = sim.requestsReceived() - served;
        if (driver.model().waitingCalls() == held && inFlight == static_cast<uint64_t>(held)) {
            const auto now = Clock::now();
            if (!stable) {
                stable = true;
                since = now;
            } else if (now - since >= std::chrono::milliseconds(kQuietMs)) {
                return true;
            }
        } else {
            stable = false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return false;
}

// ---------------------------------------------------------------- the library

//! The driver in the store, started the way the communication manager starts
//! one with mixers: sessions for its machines, the active-machines thread
//! and, at level 2, the connection-status thread; the reactions start the
//! machines' threads. At level 2 each dispenser also gets the poll of its
//! sensors (a custom polling thread). Dies when the machines do not come up.
int connectLibrary(uint16_t port, AXOCommData::CommLevel level, const QList<MachineID> &dispensers,
                   const QList<MachineID> &mixers)
{
    AXOCommData *store = AXOCommData::instance();
    store->resetQueueThreadsAbort();
    store->setCommLevel(level);
    store->setMixerMngm(true);
    const int driverID = store->getNextDriverID();
    store->addDriverParams(NEDriverParams(driverID, AXODriverConnection(QStringLiteral("127.0.0.1"), port)));
    if (!store->startDriverCommThread(driverID, kGenericDispenser, NEDriverParams::StandardCommandsThread)
        || !store->startDriverCommThread(driverID, kGenericMixer, NEDriverParams::StandardCommandsThread))
        die("cannot start the driver-level threads");
    if (!NECmdManager::login(driverID, kGenericDispenser, QStringLiteral("livebench"))
        || !NECmdManager::login(driverID, kGenericMixer, QStringLiteral("livebench")))
        die("login failed");
    store->updateMachineDataList(driverID, dispensers, MachineID::Dispenser);
    store->updateMachineDataList(driverID, mixers, MachineID::Mixer);
    if (!NECmdManager::setSessions(driverID, dispensers + mixers, true))
        die("cannot open the machines' sessions");
    if (!store->startDriverCommThread(driverID, kGenericDispenser, NEDriverParams::ActiveMachineThread))
        die("cannot start the active-machines thread");
    if (level >= AXOCommData::CommLevel2
        && !store->startDriverCommThread(driverID, kGenericDispenser, NEDriverParams::ConnectionStatusThread))
        die("cannot start the connection-status thread");
    const bool up = pumpUntil(
        [&] {
            for (const MachineID &id : dispensers)
                if (!store->isActiveDispenser(driverID, id.machineNumber) || !store->hasMachineStatus(driverID, id))
                    return false;
            for (const MachineID &id : mixers)
                if (!store->isActiveMixer(driverID, id.machineNumber) || !store->hasMachineStatus(driverID, id))
                    return false;
            return true;
        },
        15000);
    if (!up)
        die("the machines did not come up");
    if (level >= AXOCommData::CommLevel2)
        for (const MachineID &id : dispensers)
            if (!store->startDriverCommThread(driverID, id, NEDriverParams::CustomPollingThread))
                die("cannot start the sensors poll of a dispenser");
    return driverID;
}

//! Polling threads of the driver that exist, by the kinds that hold polls.
int countPollingThreads(int driverID, const QList<MachineID> &machines)
{
    AXOCommData *store = AXOCommData::instance();
    int count = 0;
    for (NEDriverParams::DriverThreadTypes type :
         { NEDriverParams::ActiveMachineThread, NEDriverParams::ConnectionStatusThread }) {
        if (store->existsDriverCommThread(driverID, kGenericDispenser, type))
            ++count;
    }
    for (const MachineID &id : machines)
        for (NEDriverParams::DriverThreadTypes type :
             { NEDriverParams::DriverStatusThread, NEDriverParams::MixerStatusThread,
               NEDriverParams::CustomPollingThread }) {
            if (store->existsDriverCommThread(driverID, id, type))
                ++count;
        }
    return count;
}

void disconnectLibrary()
{
    AXOCommData *store = AXOCommData::instance();
    store->closeAllConnections(-1, true);
    store->removeAllSessions();
    const QThreadPool *pool = NEQueueThreadManager::workerPool();
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (pool->activeThreadCount() > 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    AXOCommData::drop();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// ---------------------------------------------------------------- latency

//! Receives the store's machine status signal in the host thread (queued)
//! and ends the event loop at the first one for its machine whose stored
//! status shows the change it waits for.
class StatusReceiver
{
public:
    StatusReceiver(int driverID, const MachineID &machine) : m_driverID(driverID), m_machine(machine)
    {
        QObject::connect(
            AXOCommData::instance(), &AXOCommData::NEMachineDriverStatusChangedSignal, &m_context,
            [this](int driverID, const MachineID &machineID) { changed(driverID, machineID); },
            Qt::QueuedConnection);
    }

    void arm(QEventLoop *loop, bool expectError)
    {
        m_loop = loop;
        m_expectError = expectError;
        m_received = false;
    }
    bool received() const { return m_received; }
    Clock::time_point receivedAt() const { return m_at; }
    int stale() const { return m_stale; }

private:
    void changed(int driverID, const MachineID &machineID)
    {
        const auto now = Clock::now();
        if (!m_loop || driverID != m_driverID || machineID != m_machine)
            return;
        const std::unique_ptr<MachineDriverStatusAnswer> status =
            AXOCommData::instance()->currentMachineDriverStatus(driverID, machineID);
        const MachineStatusAnswer *part = status ? status->machineStatusAnswer() : nullptr;
        if ((part && part->isErrorCondition()) != m_expectError) {
            ++m_stale;
            return;
        }
        m_at = now;
        m_received = true;
        m_loop->quit();
        m_loop = nullptr;
    }

    QObject m_context; // lives in the host thread
    int m_driverID;
    MachineID m_machine;
    QEventLoop *m_loop = nullptr;
    bool m_expectError = false;
    bool m_received = false;
    Clock::time_point m_at;
    int m_stale = 0;
};

void signalLatency(benchmark::State &state)
{
    SimDriver driver(SimScenario::defaultScenario());
    if (!driver.start())
        die("simulator: " + driver.simulator().errorString());
    const int driverID = connectLibrary(driver.port(), AXOCommData::CommLevel1, {kDispenser1}, {kMixer2});
    runEventLoop(300);
    const int held = driver.model().waitingCalls();
    StatusReceiver receiver(driverID, kDispenser1);
    const FW_ErrorList raised = raisedErrors();
    std::vector<double> micros;
    micros.reserve(kChanges);
    bool raise = true;
    for (auto _ : state) {
        QEventLoop loop;
        receiver.arm(&loop, raise);
        Clock::time_point changedAt;
        bool wasQuiet = true;
        std::thread changer([&] {
            wasQuiet = waitQuiet(driver, held, 5000);
            if (!wasQuiet) {
                QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
                return;
            }
            changedAt = Clock::now();
            driver.model().setMachineErrors(kDispenser1, raise ? raised : FW_ErrorList());
        });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        changer.join();
        if (!wasQuiet || !receiver.received()) {
            state.SkipWithError(wasQuiet ? "no status signal within 10 s" : "the held polls did not settle");
            break;
        }
        const double us = microsBetween(changedAt, receiver.receivedAt());
        micros.push_back(us);
        state.SetIterationTime(us / 1e6);
        raise = !raise;
    }
    reportLatencies(state, micros);
    state.counters["held_polls"] = held;
    state.counters["stale_signals"] = receiver.stale();
    disconnectLibrary();
}

//! One protocol command over the client with AXO.execute; false when no
//! answer of the command came back.
bool runCommand(XmlRpcClient &client, ProtoCommand &command)
{
    bool ok = false;
    const XmlRpcValue param = command.toXmlRpcValue(QString(), &ok);
    XmlRpcValue result;
    if (!ok || !client.execute("AXO.execute", param, result, 10.0) || client.isFault())
        return false;
    FW_DriverError error;
    return command.setAnswer(result, false, &error);
}

//! The session handshake over the client; the certified session, or empty.
QString openSession(XmlRpcClient &client, const MachineID &machine)
{
    const QString clientID = QStringLiteral("livebench-raw");
    LoginCmd login(machine, clientID, 20, 1);
    if (!runCommand(client, login))
        return QString();
    const LoginAnswer *session = dynamic_cast<const LoginAnswer *>(login.getProtoAnswer());
    if (!session || session->sessionID().isEmpty())
        return QString();
    QString clientKey;
    int handle = 0;
    GetKeyCmd::createSharedKey(clientKey, handle, machine, clientID, 1);
    GetKeyCmd getKey(session->sessionID(), clientKey);
    if (!runCommand(client, getKey))
        return QString();
    const GetKeyAnswer *key = dynamic_cast<const GetKeyAnswer *>(getKey.getProtoAnswer());
    if (!key)
        return QString();
    CertifySessionCmd certify(session->sessionID(), GetKeyCmd::createLoginKey(key->driverKey(), handle));
    if (!runCommand(client, certify))
        return QString();
    const CertifySessionAnswer *certified = dynamic_cast<const CertifySessionAnswer *>(certify.getProtoAnswer());
    return certified && certified->certified() ? session->sessionID() : QString();
}

//! A bare client in a thread of its own holding AXO.notifyChanged of a
//! dispenser's GET_DISP_STATUS, one call after the other, each with the
//! data of the answer before as prev.
class RawPoller
{
public:
    RawPoller(uint16_t port, const MachineID &dispenser) : m_client("127.0.0.1", port)
    {
        const QString session = openSession(m_client, dispenser);
        if (session.isEmpty())
            die("the raw client's handshake failed");
        m_param["proto"] = ProtoCommand::ProtocolVersion;
        m_param["cmd"] = std::string("GET_DISP_STATUS");
        m_param["session"] = session.toStdString();
        m_param["params"] = XmlRpcValue::emptyArray();
        m_param["interval"] = kPollIntervalMs;
        m_param["timeout"] = kPollHoldMs;
        // The first call, without prev, answers at once.
        XmlRpcValue result;
        if (!m_client.execute("AXO.notifyChanged", m_param, result, 20.0) || !isOk(result))
            die("the raw GET_DISP_STATUS failed");
        m_prev = result["data"];
        m_thread = std::thread([this] { loop(); });
    }
    ~RawPoller()
    {
        if (m_thread.joinable())
            die("a raw poller was not stopped");
    }

    //! Answers so far.
    uint64_t answers()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_answers;
    }
    //! Waits for an answer after the first `seen`; its time, and whether it
    //! differed from its prev. False when none came in time.
    bool waitForAnswer(uint64_t seen, int timeoutMs, Clock::time_point *at, bool *changed)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_cond.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_answers > seen; }))
            return false;
        *at = m_lastAt;
        *changed = m_lastChanged;
        return true;
    }
    //! Ends the loop; the driver must answer the held call (e.g. by stopping).
    void stopAfter(const std::function<void()> &wakeDriver)
    {
        m_stop = true;
        wakeDriver();
        m_thread.join();
    }

private:
    static bool isOk(const XmlRpcValue &result)
    {
        return result.getType() == XmlRpcValue::TypeStruct && result.hasMember("rc") && result["rc"].asInt() == 0
            && result.hasMember("data");
    }

    void loop()
    {
        while (!m_stop) {
            XmlRpcValue param = m_param;
            param["prev"] = m_prev;
            XmlRpcValue result;
            const bool answered = m_client.execute("AXO.notifyChanged", param, result, 20.0) && !m_client.isFault();
            const auto now = Clock::now();
            const bool ok = answered && isOk(result);
            const bool changed = ok && !(result["data"] == m_prev);
            if (ok)
                m_prev = result["data"];
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                ++m_answers;
                m_lastAt = now;
                m_lastChanged = changed;
            }
            m_cond.notify_all();
            if (!ok && !m_stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    XmlRpcClient m_client;
    XmlRpcValue m_param;
    XmlRpcValue m_prev;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_cond;
    uint64_t m_answers = 0;
    Clock::time_point m_lastAt;
    bool m_lastChanged = false;
};

void rawNotifyLatency(benchmark::State &state)
{
    SimDriver driver(SimScenario::defaultScenario());
    if (!driver.start())
        die("simulator: " + driver.simulator().errorString());
    RawPoller poller(driver.port(), kDispenser1);
    const FW_ErrorList raised = raisedErrors();
    std::vector<double> micros;
    micros.reserve(kChanges);
    bool raise = true;
    for (auto _ : state) {
        if (!waitQuiet(driver, 1, 5000)) {
            state.SkipWithError("the raw poll is not held");
            break;
        }
        const uint64_t seen = poller.answers();
        const auto changedAt = Clock::now();
        driver.model().setMachineErrors(kDispenser1, raise ? raised : FW_ErrorList());
        Clock::time_point answeredAt;
        bool changed = false;
        const bool answered = poller.waitForAnswer(seen, 10000, &answeredAt, &changed);
        if (!answered || !changed) {
            state.SkipWithError(answered ? "the held call returned without the change"
                                         : "the held call did not return within 10 s");
            break;
        }
        const double us = microsBetween(changedAt, answeredAt);
        micros.push_back(us);
        state.SetIterationTime(us / 1e6);
        raise = !raise;
    }
    reportLatencies(state, micros);
    poller.stopAfter([&] { driver.stop(); });
}

class QuietTransport : public XmlRpc::XmlRpcErrorHandler
{
public:
    void error(const char *) override {}
};

} // namespace livestate

using namespace livestate;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::signal(SIGPIPE, SIG_IGN);

    // No settings file: an empty settings root.
    QTemporaryDir settingsRoot;
    if (!settingsRoot.isValid())
        die("cannot create a temporary directory");
    qputenv(AXOClientSettings::RootEnvironmentVariable, settingsRoot.path().toUtf8());
    // Calls cut short when a driver stops would be reported on stderr.
    QuietTransport quiet;
    XmlRpc::XmlRpcErrorHandler *const previousErrors = XmlRpcUtil::getErrorHandler();
    XmlRpcUtil::setErrorHandler(&quiet);

    benchmark::RegisterBenchmark("livestate/signal", signalLatency)->Iterations(kChanges)->UseManualTime()->Unit(
        benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("livestate/raw-notify", rawNotifyLatency)
        ->Iterations(kChanges)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
    // Once each, whatever the repetitions asked for: a window is long.
    benchmark::RegisterBenchmark("idle/process", idleProcess)
        ->Iterations(1)
        ->Repetitions(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    benchmark::RegisterBenchmark("idle/in-process", idleInProcess)
        ->Iterations(1)
        ->Repetitions(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    benchmark::AddCustomContext("changes_per_repetition", std::to_string(kChanges));
    benchmark::AddCustomContext("idle_seconds", std::to_string(idleSeconds()));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    XmlRpcUtil::setErrorHandler(previousErrors);
    qunsetenv(AXOClientSettings::RootEnvironmentVariable);
    return 0;
}
