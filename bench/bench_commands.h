// Shared by the command pipeline benchmarks: bench_commands.cpp (set-up,
// blocking calls, throughput, main) and bench_commands_stop.cpp (STOP while
// long processes run, closing a driver).

#ifndef BENCH_COMMANDS_H
#define BENCH_COMMANDS_H

#include "MachineID.h"

#include <benchmark/benchmark.h>

#include <QtCore/QString>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class NECommand;
class SimDriver;

namespace XmlRpc {
class XmlRpcClient;
}

namespace commandbench {

typedef std::chrono::steady_clock Clock;

//! The generic dispenser of the driver: driver-level commands go there.
const MachineID kDriverLevel(0, MachineID::Dispenser);
//! Dispensers of the benchmark driver, numbered 1 to kDispensers.
const int kDispensers = 4;
//! How long one formula channel of a TINT takes in the simulator: far
//! longer than a repetition, so that a TINT runs until it is stopped.
const int kTintChannelMs = 120000;

[[noreturn]] void die(const std::string &message);

double microsSince(Clock::time_point start, Clock::time_point stop);
//! Sorts the values.
double percentile(std::vector<double> &values, int percent);
//! Counters p50_us, p90_us, p99_us, max_us and over_10ms of one repetition.
void reportLatencies(benchmark::State &state, std::vector<double> &micros, const std::string &prefix = std::string());
double maxOf(const std::vector<double> &values);

//! The simulated driver of the exec, throughput and STOP benchmarks, and
//! its registration in the store.
struct Setup
{
    std::unique_ptr<SimDriver> driver;
    std::unique_ptr<XmlRpc::XmlRpcClient> raw;
    int driverID = 0;
};

Setup &setup();

//! Counts the executed signals of the commands of one name; fed by a direct
//! connection, so the count is taken in the worker that emits.
class ExecutedSignals
{
public:
    //! Starts counting the commands of that name from zero.
    void watch(const QString &name);
    void count(const NECommand &cmd);
    //! False when not all arrived within the time.
    bool waitFor(int count, int timeoutMs);
    int failed();

private:
    std::mutex m_mutex;
    std::condition_variable m_cond;
    QString m_name;
    int m_target = 1; // the waiter is woken only once the count reaches it
    int m_executed = 0;
    int m_failed = 0;
};

ExecutedSignals &executedSignals();

//! Whether the library is done with a command sent without copy: its
//! state is executed or aborted.
bool isFinal(const NECommand &cmd);
//! Polls the state every millisecond; false when it is not final in time.
bool waitUntilFinal(const NECommand &cmd, int timeoutMs);
//! Frees a command the library may still use only once it is final; one
//! that is not final in time is left alone (leaked) and false returned.
bool releaseWhenFinal(std::unique_ptr<NECommand> &cmd, int timeoutMs);
//! Waits until no worker runs on the worker pool (untimed tidying up).
void waitForWorkers(int timeoutMs);

void registerStopBenchmarks();
void registerCloseBenchmark();

} // namespace commandbench

#endif // BENCH_COMMANDS_H
