// The command pipeline against the simulated driver, in-process on loopback.
//
//   exec/blocking     NECmdManager::executeCommand(blocking) of GET_SW_VERSION
//                     on the driver level (machine 0, dispenser): the caller
//                     enqueues, the driver thread of that queue makes the call
//                     on its kept-alive connection and decodes the answer, the
//                     caller wakes and returns. One call at a time.
//   exec/raw          XmlRpcClient::execute of the very same request ("AXO.execute"
//                     with the command's parameter) on one kept-alive client of
//                     our own: the floor of exec/blocking.
//   exec/alternating  one of each in turn, each timed on its own, so that both
//                     meet the same load on the machine (information).
//
//   throughput/one-queue       kCommands non-blocking copies of GET_ERRORS to
//                              dispenser 1, then waiting until all are
//                              executed; commands per second.
//   throughput/four-machines   the same spread over dispensers 1 to 4, whose
//                              queues are drained by four driver threads in
//                              parallel.
//   throughput/driver-queue    kCommands copies of GET_SW_VERSION through the
//                              standard queue of the driver level (information).
//
//   The driver of these benchmarks is the default scenario with dispensers 2
//   to 4 added. As an application would, it runs the standard thread of the
//   driver level and the standard and priority threads of each dispenser
//   (nine command threads), and every dispenser is logged in.
//
//   GET_ERRORS rather than a standard-queue command: every machine-level
//   synchronous query the simulator answers (GET_ERRORS, GET_DISP_STATUS,
//   CLEAR_ERRORS) is a high-priority command and is routed to the machine's
//   priority queue; its standard queue only carries the long processes
//   (RESET, TINT), which take seconds. Both throughput figures therefore go
//   through priority queues, one against four.
//
//   Non-blocking commands are followed by queue workers on Qt's global
//   thread pool, and each worker sleeps until its command is done. With the
//   default pool (one thread per core) the queues would hold at most that
//   many commands, which would measure the pool, not the queues. The
//   throughput benchmarks set the pool to kPoolThreads threads: two workers
//   per queue of four-machines (one waiting behind the one in the call keeps
//   the queue fed), eight for one-queue. More threads make both slower, not
//   faster: every finished command wakes every waiting worker.
//
//   close/ten-threads-in-calls  a fresh simulator and driver each iteration,
//                               with ten command threads (the driver level
//                               and dispensers 1 to 9, sessions put in the
//                               store directly), each inside a call the
//                               simulator never answers, then
//                               closeAllConnections(driver, false), timed
//                               (manual time). Counters per repetition:
//                               close_p50_ms and close_max_ms (the call),
//                               threads_done_p50_ms and threads_done_max_ms
//                               (from the call until all ten threads ended).
//
// Every call of the exec benchmarks is timed on its own; the counters p50_us,
// p90_us, p99_us and max_us are taken over the calls of one repetition, and
// over_10ms counts the calls that took longer than 10 ms.

#include "AXOClientSettings.h"
#include "AXOCommData.h"
#include "FW_Dispenser.h"
#include "NECmdManager.h"
#include "NECommand.h"
#include "NEDispCommand.h"
#include "NEXmlRpcThread.h"
#include "ProtoCommandList.h"
#include "SimDriver.h"
#include "SimScenario.h"
#include "XmlRpcClient.h"
#include "XmlRpcErrorHandler.h"
#include "XmlRpcUtil.h"
#include "XmlRpcValue.h"

#include <benchmark/benchmark.h>

#include <QtCore/QCoreApplication>
#include <QtCore/QEvent>
#include <QtCore/QTemporaryDir>
#include <QtCore/QThreadPool>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using XmlRpc::XmlRpcClient;
using XmlRpc::XmlRpcValue;
typedef std::chrono::steady_clock Clock;

namespace {

const MachineID kDriverLevel(0, MachineID::Dispenser);
const int kDispensers = 4;       // dispensers of the throughput scenario
const int kCommands = 200;       // commands of one throughput round
const int kPoolThreads = 8;      // global pool size of the throughput benchmarks
const int kCloseMachines = 9;    // dispensers of the close benchmark, plus the driver level
const int kCloseIterations = 8;  // closes per repetition
const int kClosePoolThreads = 16; // global pool size of the close benchmark: a worker per busy thread

[[noreturn]] void die(const std::string &message)
{
    std::fprintf(stderr, "axocomm_bench_commands: %s\n", message.c_str());
    std::exit(1);
}

class QuietErrors : public XmlRpc::XmlRpcErrorHandler
{
public:
    void error(const char *) override {}
};

double microsSince(Clock::time_point start, Clock::time_point stop)
{
    return std::chrono::duration<double, std::micro>(stop - start).count();
}

double percentile(std::vector<double> &values, int percent)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, values.size() * static_cast<size_t>(percent) / 100)];
}

void reportLatencies(benchmark::State &state, std::vector<double> &micros, const std::string &prefix = "")
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

// Deletes the command copies the pool workers handed back to this thread.
void deleteFinishedCopies()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// ---------------------------------------------------------------- set-up

// The simulated driver of the exec and throughput benchmarks: the default
// scenario with dispensers 2 to 4 added, registered in the store with the
// standard thread of the driver level and the standard and priority threads
// of every dispenser, each dispenser logged in.
struct Setup
{
    std::unique_ptr<SimDriver> driver;
    std::unique_ptr<XmlRpcClient> raw;
    int driverID = 0;
};

Setup &setup()
{
    static Setup s;
    return s;
}

SimScenario fourDispensers()
{
    SimScenario scenario = SimScenario::defaultScenario();
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

void prepare()
{
    Setup &s = setup();
    s.driver.reset(new SimDriver(fourDispensers()));
    if (!s.driver->start())
        die("simulator: " + s.driver->simulator().errorString());

    AXOCommData *store = AXOCommData::instance();
    store->resetQueueThreadsAbort();
    s.driverID = store->getNextDriverID();
    store->addDriverParams(
        NEDriverParams(s.driverID, AXODriverConnection(QStringLiteral("127.0.0.1"), s.driver->port())));
    if (!store->startDriverCommThread(s.driverID, kDriverLevel, NEDriverParams::StandardCommandsThread))
        die("cannot start the driver-level thread");

    QList<int> listed;
    if (!NECmdManager::getDispenserList(s.driverID, listed) || listed.size() != kDispensers)
        die("the simulator does not list four dispensers");
    QList<MachineID> dispensers;
    for (int n = 1; n <= kDispensers; ++n)
        dispensers.append(MachineID(n, MachineID::Dispenser));
    store->updateMachineDataList(s.driverID, dispensers, MachineID::Dispenser);
    for (const MachineID &id : dispensers) {
        if (!store->startDriverCommThread(s.driverID, id, NEDriverParams::StandardCommandsThread)
            || !store->startDriverCommThread(s.driverID, id, NEDriverParams::PriorityCommandsThread))
            die("cannot start the threads of a dispenser");
        if (!NECmdManager::login(s.driverID, id, QStringLiteral("bench")))
            die("login failed");
    }

    s.raw.reset(new XmlRpcClient("127.0.0.1", s.driver->port()));
}

void finish()
{
    Setup &s = setup();
    s.raw.reset();
    AXOCommData *store = AXOCommData::instance();
    store->closeAllConnections(-1, true);
    store->removeAllSessions();
    QThreadPool::globalInstance()->waitForDone(5000);
    deleteFinishedCopies();
    AXOCommData::drop();
    s.driver.reset();
}

// ---------------------------------------------------------------- exec

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
};

RawRequest rawRequest()
{
    const std::unique_ptr<NECommand> cmd = versionCommand();
    bool ok = false;
    RawRequest request;
    request.params = cmd->toXmlRpcValue(QString(), &ok);
    request.method = ProtoCommandList::functionCallStr(cmd->driverCallType()).toLatin1();
    if (!ok || !request.params.valid() || request.method != "AXO.execute")
        die("cannot build the raw request");
    return request;
}

bool rawCall(const RawRequest &request)
{
    XmlRpcClient &client = *setup().raw;
    XmlRpcValue result;
    return client.execute(request.method.constData(), request.params, result, 5.0) && !client.isFault()
        && result.getType() == XmlRpcValue::TypeStruct && result.hasMember("rc") && result["rc"].asInt() == 0;
}

void execBlocking(benchmark::State &state)
{
    std::vector<double> micros;
    micros.reserve(1 << 16);
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
    }
    reportLatencies(state, micros);
}

void execRaw(benchmark::State &state)
{
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

// Counts the executed signals of non-blocking commands; connected once,
// directly, so the count is taken in the worker that emits.
struct ExecutedCounter
{
    std::mutex mutex;
    std::condition_variable cond;
    int executed = 0;
    int failed = 0;

    void reset()
    {
        std::lock_guard<std::mutex> lock(mutex);
        executed = failed = 0;
    }
    void count(const NECommand &cmd)
    {
        const bool done = cmd.isDoneSuccessfully();
        std::lock_guard<std::mutex> lock(mutex);
        ++executed;
        if (!done)
            ++failed;
        cond.notify_all();
    }
    //! False when not all arrived within the time.
    bool waitFor(int count, int timeoutMs)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return cond.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return executed >= count; });
    }
};

ExecutedCounter &executedCounter()
{
    static ExecutedCounter counter;
    return counter;
}

// One round of kCommands non-blocking copies of the prototypes, taken in
// turn, timed from the first submission to the last executed signal.
void runThroughput(benchmark::State &state, const std::vector<std::unique_ptr<NECommand>> &prototypes)
{
    QThreadPool::globalInstance()->setMaxThreadCount(kPoolThreads);
    ExecutedCounter &counter = executedCounter();
    for (auto _ : state) {
        counter.reset();
        const auto start = Clock::now();
        for (int i = 0; i < kCommands; ++i) {
            if (!NECmdManager::executeCommand(prototypes[static_cast<size_t>(i) % prototypes.size()].get(), false,
                                              true)) {
                state.SkipWithError("a command was refused");
                return;
            }
        }
        const bool all = counter.waitFor(kCommands, 30000);
        const auto stop = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
        QThreadPool::globalInstance()->waitForDone(5000);
        deleteFinishedCopies();
        if (!all || counter.failed > 0) {
            state.SkipWithError(all ? "commands failed" : "commands did not finish within 30 s");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kCommands);
    state.counters["queues"] = static_cast<double>(prototypes.size());
}

std::vector<std::unique_ptr<NECommand>> errorQueries(int dispensers)
{
    std::vector<std::unique_ptr<NECommand>> prototypes;
    for (int n = 1; n <= dispensers; ++n)
        prototypes.emplace_back(new NEDispCommand(setup().driverID, n, QStringLiteral("GET_ERRORS")));
    return prototypes;
}

void throughputOneQueue(benchmark::State &state)
{
    runThroughput(state, errorQueries(1));
}

void throughputFourMachines(benchmark::State &state)
{
    runThroughput(state, errorQueries(kDispensers));
}

void throughputDriverQueue(benchmark::State &state)
{
    std::vector<std::unique_ptr<NECommand>> prototypes;
    prototypes.push_back(versionCommand());
    runThroughput(state, prototypes);
}

// ---------------------------------------------------------------- close

struct CloseRound
{
    double closeMs = 0.0;
    double threadsDoneMs = 0.0;
    bool ok = false;
    std::string error;
};

// One driver with ten threads inside calls that are never answered, closed.
CloseRound closeRound()
{
    CloseRound round;
    SimDriver driver;
    if (!driver.start()) {
        round.error = "simulator: " + driver.simulator().errorString();
        return round;
    }
    driver.simulator().setNeverAnswer(true);

    AXOCommData *store = AXOCommData::instance();
    const int driverID = store->getNextDriverID();
    store->addDriverParams(NEDriverParams(driverID, AXODriverConnection(QStringLiteral("127.0.0.1"), driver.port())));

    QList<QPair<MachineID, NEDriverParams::DriverThreadTypes>> threads;
    threads.append(qMakePair(kDriverLevel, NEDriverParams::StandardCommandsThread));
    std::vector<std::unique_ptr<NECommand>> busy;
    busy.emplace_back(new NECommand(driverID, kDriverLevel, QStringLiteral("GET_SW_VERSION")));
    for (int n = 1; n <= kCloseMachines; ++n) {
        const MachineID machine(n, MachineID::Dispenser);
        store->appendSession(Session(driverID, machine, QStringLiteral("bench"), 20,
                                     QStringLiteral("close%1-%2").arg(driverID).arg(n), QString(), true));
        threads.append(qMakePair(machine, NEDriverParams::PriorityCommandsThread));
        busy.emplace_back(new NEDispCommand(driverID, n, QStringLiteral("GET_ERRORS")));
    }
    QList<NEXmlRpcThread *> started;
    for (const auto &thread : threads) {
        if (!store->startDriverCommThread(driverID, thread.first, thread.second)) {
            round.error = "cannot start a command thread";
            break;
        }
        NEXmlRpcThread *const object = store->getDriverCommThread(driverID, thread.first, thread.second);
        if (!object) {
            round.error = "a command thread is missing";
            break;
        }
        started.append(object);
    }
    if (round.error.empty()) {
        for (const auto &cmd : busy)
            if (!NECmdManager::executeCommand(cmd.get(), false, false))
                round.error = "a command was refused";
    }
    if (round.error.empty()
        && !driver.simulator().waitForRequestsReceived(static_cast<uint64_t>(busy.size()), 5000))
        round.error = "the calls did not reach the simulator";

    if (round.error.empty()) {
        const auto start = Clock::now();
        store->closeAllConnections(driverID, false);
        const auto closed = Clock::now();
        bool ended = true;
        for (NEXmlRpcThread *thread : qAsConst(started))
            ended = thread->wait(5000) && ended;
        const auto done = Clock::now();
        round.closeMs = microsSince(start, closed) / 1000.0;
        round.threadsDoneMs = microsSince(start, done) / 1000.0;
        round.ok = ended;
        if (!ended)
            round.error = "a thread did not end within 5 s";
    } else {
        store->closeAllConnections(driverID, true);
    }

    // The workers end once their commands are final; the commands must live until then.
    QThreadPool::globalInstance()->waitForDone(5000);
    for (const auto &cmd : busy) {
        if (round.ok && !cmd->isFailed()) {
            round.ok = false;
            round.error = "a command ended without failing: " + cmd->command().toStdString();
        }
    }
    for (int n = 1; n <= kCloseMachines; ++n)
        store->removeSession(QStringLiteral("close%1-%2").arg(driverID).arg(n));
    // Closing stops every queue worker of the process; let the next ones run.
    store->resetQueueThreadsAbort();
    driver.simulator().setNeverAnswer(false);
    return round;
}

void closeTenThreadsInCalls(benchmark::State &state)
{
    QThreadPool::globalInstance()->setMaxThreadCount(kClosePoolThreads);
    std::vector<double> closeMs, doneMs;
    for (auto _ : state) {
        const CloseRound round = closeRound();
        if (!round.ok) {
            state.SkipWithError(round.error.c_str());
            break;
        }
        state.SetIterationTime(round.closeMs / 1000.0);
        closeMs.push_back(round.closeMs);
        doneMs.push_back(round.threadsDoneMs);
    }
    if (closeMs.empty())
        return;
    state.counters["close_max_ms"] = maxOf(closeMs);
    state.counters["threads_done_max_ms"] = maxOf(doneMs);
    state.counters["close_p50_ms"] = percentile(closeMs, 50);
    state.counters["threads_done_p50_ms"] = percentile(doneMs, 50);
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
    const int poolThreads = QThreadPool::globalInstance()->maxThreadCount();

    prepare();
    QObject::connect(AXOCommData::instance(), &AXOCommData::NECommandExecutedSignal,
                     [](const NECommand &cmd) { executedCounter().count(cmd); });

    benchmark::RegisterBenchmark("exec/blocking", execBlocking)->UseRealTime();
    benchmark::RegisterBenchmark("exec/raw", execRaw)->UseRealTime();
    benchmark::RegisterBenchmark("exec/alternating", execAlternating)->UseRealTime();
    benchmark::RegisterBenchmark("throughput/one-queue", throughputOneQueue)->UseManualTime();
    benchmark::RegisterBenchmark("throughput/four-machines", throughputFourMachines)->UseManualTime();
    benchmark::RegisterBenchmark("throughput/driver-queue", throughputDriverQueue)->UseManualTime();
    benchmark::RegisterBenchmark("close/ten-threads-in-calls", closeTenThreadsInCalls)
        ->UseManualTime()
        ->Iterations(kCloseIterations)
        ->Unit(benchmark::kMillisecond)
        ->ComputeStatistics("max", maxOf);
    benchmark::AddCustomContext("throughput_pool_threads", std::to_string(kPoolThreads));
    benchmark::AddCustomContext("throughput_commands_per_round", std::to_string(kCommands));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    finish();
    QThreadPool::globalInstance()->setMaxThreadCount(poolThreads);
    XmlRpcUtil::setErrorHandler(previousErrors);
    qunsetenv(AXOClientSettings::RootEnvironmentVariable);
    return 0;
}
