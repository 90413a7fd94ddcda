// The command pipeline against the simulated driver, in-process on loopback.
//
//   exec/blocking     NECmdManager::executeCommand(&cmd, true, false) of
//                     GET_SW_VERSION on the driver level (the generic
//                     dispenser {0, 1}): the caller enqueues, the standard
//                     thread of the driver level makes the call on its
//                     kept-alive connection and decodes the answer, the
//                     caller wakes and returns. One call at a time.
//   exec/raw          XmlRpcClient::execute of the very same request
//                     ("AXO.execute" with the command's parameter, the
//                     command's time limit) on one kept-alive client of our
//                     own: the floor of exec/blocking. At start-up both
//                     requests are made once and the bytes the simulator
//                     received (head and body) must be equal.
//   exec/alternating  one of each in turn, each timed on its own, so that both
//                     meet the same load on the machine (information).
//   Counter new_connections: connections the simulator accepted during a
//   repetition; 0 when every call went over a kept-alive connection.
//   Counter status_changes (exec/blocking): status changes published per
//   command; each wakes the caller when it is waiting.
//
//   throughput/one-queue       kCommands non-blocking copies of GET_ERRORS to
//                              dispenser 1: its priority queue, drained by its
//                              priority command thread; timed from the first
//                              submission to the last executed signal;
//                              commands per second.
//   throughput/four-machines   the same spread over dispensers 1 to 4: four
//                              queues drained by four command threads in
//                              parallel.
//   throughput/driver-queue    (information) GET_SW_VERSION through the
//                              standard queue of the driver level.
//   Each starts with one untimed round: the worker pool grows to a thread
//   per command in flight, and the timed rounds find those threads waiting.
//   Counter pool_threads: the size the worker pool has grown to.
//
//   Which queue a command goes to: a command that does not address a machine
//   (GET_SW_VERSION, GET_CMD_STATUS, ...) belongs to the driver level whatever
//   machine it is made for; the machine-level queries the simulator answers
//   (GET_ERRORS, GET_DISP_STATUS, CLEAR_ERRORS) are high-priority commands and
//   go to the priority queue of their machine; a dispenser's standard queue
//   carries its processes (RESET, TINT), for which the simulator is no
//   measure of throughput: every process start looks through all tickets of
//   the last two minutes under the model's lock.
//
//   stop/idle, stop/four-tints, close/ten-threads-in-calls: see
//   bench_commands_stop.cpp.
//
//   The driver of these benchmarks is the default scenario with dispensers 2
//   to 4 added and formula channels lasting kTintChannelMs. As an
//   application would, it runs the standard thread of the driver level and
//   the standard, priority and stop threads of each dispenser (thirteen
//   command threads), and every dispenser is logged in.
//
// Every call of the exec benchmarks is timed on its own; the counters p50_us,
// p90_us, p99_us and max_us are taken over the calls of one repetition, and
// over_10ms counts the calls that took longer than 10 ms.

#include "bench_commands.h"

#include "AXOClientSettings.h"
#include "AXOCommData.h"
#include "FW_Dispenser.h"
#include "NECmdManager.h"
#include "NECommand.h"
#include "NEDispCommand.h"
#include "NEQueueThreadManager.h"
#include "ProtoCommandList.h"
#include "SimDriver.h"
#include "SimScenario.h"
#include "XmlRpcClient.h"
#include "XmlRpcErrorHandler.h"
#include "XmlRpcUtil.h"
#include "XmlRpcValue.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QEvent>
#include <QtCore/QTemporaryDir>
#include <QtCore/QThreadPool>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

using XmlRpc::XmlRpcClient;
using XmlRpc::XmlRpcValue;

namespace commandbench {

[[noreturn]] void die(const std::string &message)
{
    std::fprintf(stderr, "axocomm_bench_commands: %s\n", message.c_str());
    std::exit(1);
}

double microsSince(Clock::time_point start, Clock::time_point stop)
{
    return std::chrono::duration<double, std::micro>(stop - start).count();
}

double percentile(std::vector<double> &values, int percent)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, values.size() * static_cast<size_t>(percent) / 100)];
}

void reportLatencies(benchmark::State &state, std::vector<double> &micros, const std::string &prefix)
{
    if (micros.empty())
        return;
    state.counters[prefix + "p50_us"] = percentile(micros, 50);
    state.counters[prefix + "p90_us"] = percentile(micros, 90);
    state.counters[prefix + "p99_us"] = percentile(micros, 99);
    state.counters[prefix + "max_us"] = micros.back();
    state.counters[prefix + "over_10ms"] = static_cast<double>(
        micros.end() - std::upper_bound(micros.begin(), micros.end(), 10000.0));
}

double maxOf(const std::vector<double> &values)
{
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

Setup &setup()
{
    static Setup s;
    return s;
}

void ExecutedSignals::watch(const QString &name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_name = name;
    m_executed = m_failed = 0;
    m_target = 1;
}

void ExecutedSignals::count(const NECommand &cmd)
{
    const QString name = cmd.command();
    const bool done = cmd.isDoneSuccessfully();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (name != m_name)
        return;
    ++m_executed;
    if (!done)
        ++m_failed;
    if (m_executed == m_target)
        m_cond.notify_all();
}

bool ExecutedSignals::waitFor(int count, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_target = count;
    return m_cond.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_executed >= count; });
}

int ExecutedSignals::failed()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failed;
}

ExecutedSignals &executedSignals()
{
    static ExecutedSignals counter;
    return counter;
}

bool isFinal(const NECommand &cmd)
{
    const NECommand::NECmdState state = cmd.cmdState();
    return state == NECommand::NECmdExecuted || state == NECommand::NECmdAborted;
}

bool waitUntilFinal(const NECommand &cmd, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!isFinal(cmd)) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool releaseWhenFinal(std::unique_ptr<NECommand> &cmd, int timeoutMs)
{
    if (!cmd)
        return true;
    if (!waitUntilFinal(*cmd, timeoutMs)) {
        (void)cmd.release(); // the library may still use it
        return false;
    }
    cmd.reset();
    return true;
}

void waitForWorkers(int timeoutMs)
{
    // Polled rather than QThreadPool::waitForDone(), which also ends every
    // idle thread of the pool: the next round would start them all anew.
    const QThreadPool *pool = NEQueueThreadManager::workerPool();
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (pool->activeThreadCount() > 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // Copies with live signal connections are deleted in their own thread.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace commandbench

using namespace commandbench;

namespace {

const int kCommands = 200; // commands of one throughput round

class QuietErrors : public XmlRpc::XmlRpcErrorHandler
{
public:
    void error(const char *) override {}
};

// ---------------------------------------------------------------- set-up

SimScenario fourDispensers()
{
    SimScenario scenario = SimScenario::defaultScenario();
    scenario.setChannelMs(kTintChannelMs);
    const FW_Dispenser *first = scenario.configuration().getDispenserById(1);
    if (!first)
        die("the default scenario has no dispenser 1");
    const FW_Dispenser model = *first;
    for (int n = 2; n <= kDispensers; ++n) {
        FW_Dispenser dispenser = model;
        dispenser.setMachineNumber(n);
        dispenser.setName(QStringLiteral("Dispenser %1").arg(n));
        dispenser.setSerialNumber(QStringLiteral("SIM-D-%1").arg(n, 4, 10, QLatin1Char('0')));
        if (!scenario.configuration().addMachine(dispenser))
            die("cannot add a dispenser to the scenario");
        for (int position = 1; position <= 16; ++position)
            scenario.setLevel(n, position, 2000.0);
    }
    return scenario;
}

void startDispensers(AXOCommData *store, int driverID)
{
    QList<int> listed;
    if (!NECmdManager::getDispenserList(driverID, listed) || listed.size() != kDispensers)
        die("the simulator does not list four dispensers");
    QList<MachineID> dispensers;
    for (int n = 1; n <= kDispensers; ++n)
        dispensers.append(MachineID(n, MachineID::Dispenser));
    store->updateMachineDataList(driverID, dispensers, MachineID::Dispenser);
    for (const MachineID &id : dispensers) {
        for (NEDriverParams::DriverThreadTypes type :
             { NEDriverParams::StandardCommandsThread, NEDriverParams::PriorityCommandsThread,
               NEDriverParams::StopCommandsThread }) {
            if (!store->startDriverCommThread(driverID, id, type))
                die("cannot start the threads of a dispenser");
        }
        if (!NECmdManager::login(driverID, id, QStringLiteral("bench")))
            die("login failed");
    }
}

// A fresh command each call, as an application makes them; built outside
// the timed section.
std::unique_ptr<NECommand> versionCommand()
{
    return std::unique_ptr<NECommand>(
        new NECommand(setup().driverID, kDriverLevel, QStringLiteral("GET_SW_VERSION")));
}

// The request exec/blocking makes, for the raw client.
struct RawRequest
{
    QByteArray method;
    XmlRpcValue params;
    double timeoutSeconds = -1.0;
};

RawRequest rawRequest()
{
    const std::unique_ptr<NECommand> cmd = versionCommand();
    bool ok = false;
    RawRequest request;
    request.params = cmd->toXmlRpcValue(QString(), &ok);
    request.method = ProtoCommandList::functionCallStr(cmd->driverCallType()).toLatin1();
    const qint64 limitMs = cmd->callTimeout();
    request.timeoutSeconds = limitMs > 0 ? static_cast<double>(limitMs) / 1000.0 : -1.0;
    if (!ok || !request.params.valid() || request.method != "AXO.execute")
        die("cannot build the raw request");
    return request;
}

bool rawCall(const RawRequest &request)
{
    XmlRpcClient &client = *setup().raw;
    XmlRpcValue result;
    return client.execute(request.method.constData(), request.params, result, request.timeoutSeconds)
        && !client.isFault() && result.getType() == XmlRpcValue::TypeStruct && result.hasMember("rc")
        && result["rc"].asInt() == 0;
}

// exec/blocking and exec/raw must put the same bytes on the wire.
void checkSameRequest()
{
    Setup &s = setup();
    const std::unique_ptr<NECommand> cmd = versionCommand();
    if (!NECmdManager::executeCommand(cmd.get(), true, false) || !cmd->isDoneSuccessfully())
        die("GET_SW_VERSION failed");
    const std::string library = s.driver->simulator().lastRequest();
    if (!rawCall(rawRequest()))
        die("raw AXO.execute failed");
    const std::string raw = s.driver->simulator().lastRequest();
    if (library.empty() || library != raw)
        die("the blocking command and the raw call send different requests:\n" + library + "\n----\n" + raw);
    benchmark::AddCustomContext("exec_request_bytes", std::to_string(library.size()));
}

void prepare()
{
    Setup &s = setup();
    s.driver.reset(new SimDriver(fourDispensers()));
    if (!s.driver->start())
        die("simulator: " + s.driver->simulator().errorString());

    AXOCommData *store = AXOCommData::instance();
    s.driverID = store->getNextDriverID();
    store->addDriverParams(
        NEDriverParams(s.driverID, AXODriverConnection(QStringLiteral("127.0.0.1"), s.driver->port())));
    if (!store->startDriverCommThread(s.driverID, kDriverLevel, NEDriverParams::StandardCommandsThread))
        die("cannot start the driver-level thread");
    startDispensers(store, s.driverID);
    s.raw.reset(new XmlRpcClient("127.0.0.1", s.driver->port()));
    checkSameRequest();
}

void finish()
{
    Setup &s = setup();
    s.raw.reset();
    AXOCommData *store = AXOCommData::instance();
    store->closeAllConnections(-1, true);
    store->removeAllSessions();
    waitForWorkers(5000);
    AXOCommData::drop();
    s.driver.reset();
}

// ---------------------------------------------------------------- exec

// Connections the simulator accepts while a repetition runs.
class NewConnections
{
public:
    NewConnections() : m_before(setup().driver->simulator().connectionsAccepted()) {}
    void report(benchmark::State &state) const
    {
        state.counters["new_connections"] =
            static_cast<double>(setup().driver->simulator().connectionsAccepted() - m_before);
    }

private:
    uint64_t m_before;
};

void execBlocking(benchmark::State &state)
{
    const NewConnections connections;
    std::vector<double> micros;
    micros.reserve(1 << 16);
    double statusChanges = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::unique_ptr<NECommand> cmd = versionCommand();
        state.ResumeTiming();
        const auto start = Clock::now();
        const bool sent = NECmdManager::executeCommand(cmd.get(), true, false);
        const auto stop = Clock::now();
        if (!sent || !cmd->isDoneSuccessfully()) {
            state.SkipWithError(("GET_SW_VERSION failed: " + cmd->errors().toText().toStdString()).c_str());
            break;
        }
        micros.push_back(microsSince(start, stop));
        statusChanges += static_cast<double>(cmd->statusSnapshot().generation);
    }
    reportLatencies(state, micros);
    connections.report(state);
    // Each status change wakes the caller, which waits for the final one.
    if (!micros.empty())
        state.counters["status_changes"] = statusChanges / static_cast<double>(micros.size());
}

void execRaw(benchmark::State &state)
{
    const NewConnections connections;
    const RawRequest request = rawRequest();
    std::vector<double> micros;
    micros.reserve(1 << 16);
    for (auto _ : state) {
        const auto start = Clock::now();
        const bool ok = rawCall(request);
        const auto stop = Clock::now();
        if (!ok) {
            state.SkipWithError("raw AXO.execute failed");
            break;
        }
        micros.push_back(microsSince(start, stop));
    }
    reportLatencies(state, micros);
    connections.report(state);
}

void execAlternating(benchmark::State &state)
{
    const RawRequest request = rawRequest();
    std::vector<double> blockingMicros, rawMicros;
    blockingMicros.reserve(1 << 16);
    rawMicros.reserve(1 << 16);
    for (auto _ : state) {
        state.PauseTiming();
        const std::unique_ptr<NECommand> cmd = versionCommand();
        state.ResumeTiming();
        const auto t0 = Clock::now();
        const bool sent = NECmdManager::executeCommand(cmd.get(), true, false);
        const auto t1 = Clock::now();
        const bool ok = rawCall(request);
        const auto t2 = Clock::now();
        if (!sent || !cmd->isDoneSuccessfully() || !ok) {
            state.SkipWithError("GET_SW_VERSION failed");
            break;
        }
        blockingMicros.push_back(microsSince(t0, t1));
        rawMicros.push_back(microsSince(t1, t2));
    }
    if (blockingMicros.empty())
        return;
    const double blockingP50 = percentile(blockingMicros, 50);
    const double rawP50 = percentile(rawMicros, 50);
    reportLatencies(state, blockingMicros, "blocking_");
    reportLatencies(state, rawMicros, "raw_");
    state.counters["p50_ratio"] = blockingP50 / rawP50;
}

// ---------------------------------------------------------------- throughput

// One round of kCommands non-blocking copies of the prototypes, taken in
// turn; the time from the first submission to the last executed signal, or
// an error text.
double throughputRound(const std::vector<std::unique_ptr<NECommand>> &prototypes, std::string *error)
{
    ExecutedSignals &executed = executedSignals();
    executed.watch(prototypes.front()->command());
    const auto start = Clock::now();
    int sent = 0;
    for (; sent < kCommands; ++sent) {
        NECommand *prototype = prototypes[static_cast<size_t>(sent) % prototypes.size()].get();
        if (!NECmdManager::executeCommand(prototype, false, true)) {
            *error = "a command was refused";
            break;
        }
    }
    const bool all = executed.waitFor(sent, 30000);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    // The copies are gone before the next round starts.
    waitForWorkers(5000);
    if (error->empty() && (!all || executed.failed() > 0))
        *error = all ? "commands failed" : "commands did not finish within 30 s";
    return seconds;
}

void runThroughput(benchmark::State &state, const std::vector<std::unique_ptr<NECommand>> &prototypes)
{
    std::string error;
    throughputRound(prototypes, &error);
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        const double seconds = throughputRound(prototypes, &error);
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.SetItemsProcessed(state.iterations() * kCommands);
    state.counters["queues"] = static_cast<double>(prototypes.size());
    state.counters["pool_threads"] = NEQueueThreadManager::workerPool()->maxThreadCount();
}

// One prototype per dispenser, each of which must stay on its dispenser.
std::vector<std::unique_ptr<NECommand>> dispenserCommands(const char *name, int dispensers)
{
    std::vector<std::unique_ptr<NECommand>> prototypes;
    for (int n = 1; n <= dispensers; ++n) {
        prototypes.emplace_back(new NEDispCommand(setup().driverID, n, QLatin1String(name)));
        if (prototypes.back()->machineID() != MachineID(n, MachineID::Dispenser))
            die(std::string(name) + " does not address a dispenser");
    }
    return prototypes;
}

void throughputOneQueue(benchmark::State &state)
{
    runThroughput(state, dispenserCommands("GET_ERRORS", 1));
}

void throughputFourMachines(benchmark::State &state)
{
    runThroughput(state, dispenserCommands("GET_ERRORS", kDispensers));
}

void throughputDriverQueue(benchmark::State &state)
{
    std::vector<std::unique_ptr<NECommand>> prototypes;
    prototypes.push_back(versionCommand());
    runThroughput(state, prototypes);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    // No settings file: an empty settings root.
    QTemporaryDir settingsRoot;
    if (!settingsRoot.isValid())
        die("cannot create a temporary directory");
    qputenv(AXOClientSettings::RootEnvironmentVariable, settingsRoot.path().toUtf8());
    // Calls cut short by the close benchmark would be reported on stderr.
    QuietErrors quiet;
    XmlRpc::XmlRpcErrorHandler *const previousErrors = XmlRpcUtil::getErrorHandler();
    XmlRpcUtil::setErrorHandler(&quiet);

    prepare();
    QObject::connect(AXOCommData::instance(), &AXOCommData::NECommandExecutedSignal,
                     [](const NECommand &cmd) { executedSignals().count(cmd); });

    benchmark::RegisterBenchmark("exec/blocking", execBlocking)->UseRealTime();
    benchmark::RegisterBenchmark("exec/raw", execRaw)->UseRealTime();
    benchmark::RegisterBenchmark("exec/alternating", execAlternating)->UseRealTime();
    benchmark::RegisterBenchmark("throughput/one-queue", throughputOneQueue)->UseManualTime();
    benchmark::RegisterBenchmark("throughput/four-machines", throughputFourMachines)->UseManualTime();
    benchmark::RegisterBenchmark("throughput/driver-queue", throughputDriverQueue)->UseManualTime();
    registerStopBenchmarks();
    registerCloseBenchmark();
    benchmark::AddCustomContext("throughput_commands_per_round", std::to_string(kCommands));
    benchmark::AddCustomContext("tint_channel_ms", std::to_string(kTintChannelMs));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    finish();
    XmlRpcUtil::setErrorHandler(previousErrors);
    qunsetenv(AXOClientSettings::RootEnvironmentVariable);
    return 0;
}
