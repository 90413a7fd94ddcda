// STOP while long processes run, and closing a driver whose threads are in
// calls. Part of axocomm_bench_commands (see bench_commands.cpp for the
// driver they run against).
//
//   stop/idle        STOP to one dispenser of the idle driver (nothing runs,
//                    the driver answers {stopped: false}), sent non-blocking
//                    without copy through the dispenser's stop queue; timed
//                    from executeCommand until the command's state is
//                    executed. The executed signal wakes the benchmark, which
//                    then waits for the state: the library's last touch of
//                    the command. The dispensers take turns.
//   stop/four-tints  the same while each of the four dispensers runs a TINT
//                    (one formula channel of kTintChannelMs, sent non-blocking
//                    without copy, followed by ticket by the dispenser's
//                    standard thread): the STOP goes to a dispenser whose TINT
//                    runs and ends it. Before each STOP all four TINTs run in
//                    the simulator (untimed). Counters tint_end_p50_ms and
//                    tint_end_max_ms (information): from the STOP's final state
//                    until the stopped TINT's, which its standard thread
//                    learns at its next ticket poll.
//   Both run kStopIterations STOPs per repetition (manual time: the STOP
//   alone), each after kIdlePauseMs of quiet, so that both pay the same for
//   waking threads that have slept; p50_us, p90_us, p99_us and max_us are
//   taken over the STOPs of one repetition. A STOP that waited behind a TINT
//   (for a worker, a queue or a thread) would take as long as the TINT; the
//   two medians should be alike.
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

#include "bench_commands.h"

#include "AXOCommData.h"
#include "ChannelIngredient.h"
#include "Formula.h"
#include "NECmdManager.h"
#include "NECommand.h"
#include "NEDispCommand.h"
#include "NEXmlRpcThread.h"
#include "Session.h"
#include "SimDriver.h"
#include "SimDriverModel.h"

#include <QtCore/QVariant>

#include <thread>

using namespace commandbench;

namespace {

const int kStopIterations = 12;   // STOPs per repetition (about half a second each under TINTs)
const int kIdlePauseMs = 50;      // quiet before each STOP
const int kStartMs = 5000;        // for a TINT to start or end after its STOP
const int kCloseMachines = 9;     // dispensers of the close benchmark, plus the driver level
const int kCloseIterations = 8;   // closes per repetition

// ---------------------------------------------------------------- STOP

MachineID dispenserID(int dispenser)
{
    return MachineID(dispenser, MachineID::Dispenser);
}

bool machineBusy(int dispenser)
{
    return setup().driver->model().isBusy(dispenserID(dispenser));
}

// Polls the simulator every millisecond until the dispenser runs a process.
bool waitUntilBusy(int dispenser, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!machineBusy(dispenser)) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// The quiet before each STOP, the same for both STOP benchmarks: a wake-up
// after a pause costs more than one right after other work.
void pause()
{
    for (int ms = 0; ms < kIdlePauseMs; ++ms)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// A TINT of one cc from the circuit of the dispenser's number: one channel.
std::unique_ptr<NECommand> tintCommand(int dispenser)
{
    const QList<ChannelIngredient> ingredients { ChannelIngredient(dispenser, QString(), 1.0) };
    const Formula formula(ingredients, Formula::CheckLevels, 4);
    return std::unique_ptr<NECommand>(
        new NEDispCommand(setup().driverID, dispenser, QStringLiteral("TINT"), QVariant::fromValue(formula)));
}

struct StopTiming
{
    double micros = 0.0;
    std::string error;
};

// One STOP sent non-blocking without copy, timed from the call until its
// state is final.
StopTiming timedStop(int dispenser)
{
    StopTiming timing;
    std::unique_ptr<NECommand> stop(new NEDispCommand(setup().driverID, dispenser, QStringLiteral("STOP")));
    ExecutedSignals &executed = executedSignals();
    executed.watch(stop->command());
    const auto start = Clock::now();
    const bool sent = NECmdManager::executeCommand(stop.get(), false, false);
    // The signal carries a snapshot and comes first; the command's own
    // state is written last.
    const bool signalled = sent && executed.waitFor(1, 10000);
    while (signalled && !isFinal(*stop))
        std::this_thread::yield();
    timing.micros = microsSince(start, Clock::now());
    if (!sent)
        timing.error = "STOP was refused";
    else if (!signalled)
        timing.error = "STOP did not end within 10 s";
    else if (!stop->isDoneSuccessfully())
        timing.error = "STOP failed: " + stop->errors().toText().toStdString();
    if (!releaseWhenFinal(stop, 60000) && timing.error.empty())
        timing.error = "STOP never reached a final state";
    return timing;
}

// A TINT on each dispenser, sent non-blocking without copy and owned here.
class FourTints
{
public:
    //! Sends a TINT to every dispenser that has none, then waits until all
    //! four run in the simulator.
    bool start(std::string *error);
    //! After its STOP: waits until the dispenser's TINT is final, frees it,
    //! and gives the time that took.
    bool waitStopped(int dispenser, double *ms, std::string *error);
    //! Stops the TINTs still running and frees them all.
    bool stopAll();

private:
    std::unique_ptr<NECommand> m_tints[kDispensers];
};

bool FourTints::start(std::string *error)
{
    for (int n = 1; n <= kDispensers; ++n) {
        std::unique_ptr<NECommand> &tint = m_tints[n - 1];
        if (tint)
            continue;
        tint = tintCommand(n);
        if (!NECmdManager::executeCommand(tint.get(), false, false)) {
            *error = "a TINT was refused";
            return false;
        }
    }
    for (int n = 1; n <= kDispensers; ++n) {
        if (!waitUntilBusy(n, kStartMs)) {
            const NECommand &tint = *m_tints[n - 1];
            *error = "the TINT of dispenser " + std::to_string(n) + " did not start: "
                + tint.errors().toText().toStdString();
            return false;
        }
    }
    return true;
}

bool FourTints::waitStopped(int dispenser, double *ms, std::string *error)
{
    std::unique_ptr<NECommand> &tint = m_tints[dispenser - 1];
    const auto start = Clock::now();
    if (!waitUntilFinal(*tint, kStartMs)) {
        *error = "a stopped TINT did not end within 5 s";
        return false;
    }
    *ms = microsSince(start, Clock::now()) / 1000.0;
    const bool done = tint->isDoneSuccessfully();
    tint.reset();
    if (done) {
        *error = "a stopped TINT ended as done";
        return false;
    }
    return true;
}

bool FourTints::stopAll()
{
    bool ended = true;
    for (int n = 1; n <= kDispensers; ++n) {
        std::unique_ptr<NECommand> &tint = m_tints[n - 1];
        if (!tint)
            continue;
        if (!isFinal(*tint)) {
            // A TINT still queued would start after the STOP.
            waitUntilBusy(n, kStartMs);
            NEDispCommand stop(setup().driverID, n, QStringLiteral("STOP"));
            NECmdManager::executeCommand(&stop, true, false);
        }
        ended = releaseWhenFinal(tint, kStartMs) && ended;
    }
    return ended;
}

void stopIdle(benchmark::State &state)
{
    for (int n = 1; n <= kDispensers; ++n) {
        if (machineBusy(n)) {
            state.SkipWithError("the driver is not idle");
            return;
        }
    }
    std::vector<double> micros;
    int turn = 0;
    for (auto _ : state) {
        pause();
        const StopTiming stop = timedStop(1 + turn++ % kDispensers);
        if (!stop.error.empty()) {
            state.SkipWithError(stop.error.c_str());
            break;
        }
        state.SetIterationTime(stop.micros / 1e6);
        micros.push_back(stop.micros);
    }
    reportLatencies(state, micros);
}

void stopFourTints(benchmark::State &state)
{
    FourTints tints;
    std::vector<double> micros, tintEndMs;
    std::string error;
    int turn = 0;
    for (auto _ : state) {
        const int dispenser = 1 + turn++ % kDispensers;
        if (!tints.start(&error))
            break;
        pause();
        const StopTiming stop = timedStop(dispenser);
        double endMs = 0.0;
        if (!stop.error.empty())
            error = stop.error;
        else if (!tints.waitStopped(dispenser, &endMs, &error))
            break;
        if (!error.empty())
            break;
        state.SetIterationTime(stop.micros / 1e6);
        micros.push_back(stop.micros);
        tintEndMs.push_back(endMs);
    }
    if (!tints.stopAll() && error.empty())
        error = "a TINT did not end after its STOP";
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    reportLatencies(state, micros);
    state.counters["tint_end_p50_ms"] = percentile(tintEndMs, 50);
    state.counters["tint_end_max_ms"] = maxOf(tintEndMs);
}

// ---------------------------------------------------------------- close

struct CloseRound
{
    double closeMs = 0.0;
    double threadsDoneMs = 0.0;
    bool ok = false;
    std::string error;
};

QString closeSession(int driverID, int machine)
{
    return QStringLiteral("close%1-%2").arg(driverID).arg(machine);
}

// The driver level and dispensers 1 to kCloseMachines, each with one
// command thread and one command to make a call; empty, or what failed.
std::string startCloseThreads(int driverID, QList<NEXmlRpcThread *> &started,
                              std::vector<std::unique_ptr<NECommand>> &busy)
{
    AXOCommData *store = AXOCommData::instance();
    QList<QPair<MachineID, NEDriverParams::DriverThreadTypes>> threads;
    threads.append(qMakePair(kDriverLevel, NEDriverParams::StandardCommandsThread));
    busy.emplace_back(new NECommand(driverID, kDriverLevel, QStringLiteral("GET_SW_VERSION")));
    for (int n = 1; n <= kCloseMachines; ++n) {
        const MachineID machine = dispenserID(n);
        store->appendSession(Session(driverID, machine, QStringLiteral("bench"), 20, closeSession(driverID, n),
                                     QString(), true));
        threads.append(qMakePair(machine, NEDriverParams::PriorityCommandsThread));
        busy.emplace_back(new NEDispCommand(driverID, n, QStringLiteral("GET_ERRORS")));
    }
    for (const auto &thread : threads) {
        if (!store->startDriverCommThread(driverID, thread.first, thread.second))
            return "cannot start a command thread";
        NEXmlRpcThread *const object = store->getDriverCommThread(driverID, thread.first, thread.second);
        if (!object)
            return "a command thread is missing";
        started.append(object);
    }
    return std::string();
}

// Closes the driver and waits until its threads have ended.
void timeClose(int driverID, const QList<NEXmlRpcThread *> &started, CloseRound &round)
{
    const auto start = Clock::now();
    AXOCommData::instance()->closeAllConnections(driverID, false);
    const auto closed = Clock::now();
    bool ended = true;
    for (NEXmlRpcThread *thread : started)
        ended = thread->wait(5000) && ended;
    const auto done = Clock::now();
    round.closeMs = microsSince(start, closed) / 1000.0;
    round.threadsDoneMs = microsSince(start, done) / 1000.0;
    round.ok = ended;
    if (!ended)
        round.error = "a thread did not end within 5 s";
}

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
    QList<NEXmlRpcThread *> started;
    std::vector<std::unique_ptr<NECommand>> busy;
    round.error = startCloseThreads(driverID, started, busy);
    size_t sent = 0;
    for (; round.error.empty() && sent < busy.size(); ++sent)
        if (!NECmdManager::executeCommand(busy[sent].get(), false, false))
            round.error = "a command was refused";
    if (round.error.empty()
        && !driver.simulator().waitForRequestsReceived(static_cast<uint64_t>(busy.size()), 5000))
        round.error = "the calls did not reach the simulator";
    if (round.error.empty())
        timeClose(driverID, started, round);
    else
        store->closeAllConnections(driverID, true);

    // The commands were sent without copy: they live until they are final.
    busy.resize(sent);
    for (auto &cmd : busy) {
        if (!waitUntilFinal(*cmd, 5000)) {
            (void)cmd.release(); // still in the library's hands
            round.ok = false;
            round.error = "a command did not end within 5 s";
        } else if (round.ok && !cmd->isFailed()) {
            round.ok = false;
            round.error = "a command ended without failing: " + cmd->command().toStdString();
        }
    }
    busy.clear();
    for (int n = 1; n <= kCloseMachines; ++n)
        store->removeSession(closeSession(driverID, n));
    driver.simulator().setNeverAnswer(false);
    return round;
}

void closeTenThreadsInCalls(benchmark::State &state)
{
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

namespace commandbench {

void registerStopBenchmarks()
{
    benchmark::RegisterBenchmark("stop/idle", stopIdle)->UseManualTime()->Iterations(kStopIterations);
    benchmark::RegisterBenchmark("stop/four-tints", stopFourTints)->UseManualTime()->Iterations(kStopIterations);
    benchmark::AddCustomContext("stop_iterations", std::to_string(kStopIterations));
}

void registerCloseBenchmark()
{
    benchmark::RegisterBenchmark("close/ten-threads-in-calls", closeTenThreadsInCalls)
        ->UseManualTime()
        ->Iterations(kCloseIterations)
        ->Unit(benchmark::kMillisecond)
        ->ComputeStatistics("max", maxOf);
}

} // namespace commandbench
