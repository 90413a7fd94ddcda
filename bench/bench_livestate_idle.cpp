// The idle half of the live-state benchmark: every polling thread of
// communication level 2 running against a driver where nothing changes, and
// what that costs (see bench_livestate.cpp for the counters).

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

// ---------------------------------------------------------------- idle cost

const int kIdleDispensers = 4;
const MachineID kIdleMixer(kIdleDispensers + 1, MachineID::Mixer);

int idleSeconds()
{
    const QByteArray text = qgetenv(kIdleSecondsVariable);
    bool ok = false;
    const int seconds = text.toInt(&ok);
    return ok && seconds > 0 ? seconds : 30;
}

//! Four dispensers (copies of the default one, numbers 1 to 4) and the
//! default mixer as number 5, so that every machine has a number of its own.
SimScenario idleScenario()
{
    SimScenario scenario = SimScenario::defaultScenario();
    FW_Configuration &configuration = scenario.configuration();
    const FW_Dispenser *first = configuration.getDispenserById(1);
    const FW_Mixer *mixer = configuration.getMixerById(kMixer2.machineNumber);
    if (!first || !mixer)
        die("the default scenario has no dispenser 1 or no mixer 2");
    const FW_Dispenser dispenserModel = *first;
    FW_Mixer movedMixer = *mixer;
    configuration.removeMachineByMachineID(kMixer2);
    for (int n = 2; n <= kIdleDispensers; ++n) {
        FW_Dispenser dispenser = dispenserModel;
        dispenser.setMachineNumber(n);
        dispenser.setName(QStringLiteral("Dispenser %1").arg(n));
        dispenser.setSerialNumber(QStringLiteral("SIM-D-%1").arg(n, 4, 10, QLatin1Char('0')));
        if (!configuration.addMachine(dispenser))
            die("cannot add a dispenser to the scenario");
        for (int position = 1; position <= 16; ++position)
            scenario.setLevel(n, position, scenario.level(1, position));
    }
    movedMixer.setMachineNumber(kIdleMixer.machineNumber);
    movedMixer.setName(QStringLiteral("Mixer %1").arg(kIdleMixer.machineNumber));
    movedMixer.setSerialNumber(QStringLiteral("SIM-M-%1").arg(kIdleMixer.machineNumber, 4, 10, QLatin1Char('0')));
    if (!configuration.addMachine(movedMixer))
        die("cannot add the mixer to the scenario");
    return scenario;
}

QList<MachineID> idleDispensers()
{
    QList<MachineID> ids;
    for (int n = 1; n <= kIdleDispensers; ++n)
        ids.append(MachineID(n, MachineID::Dispenser));
    return ids;
}

double userAndSystemSeconds(const rusage &usage)
{
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double selfCpuSeconds()
{
    rusage usage;
    std::memset(&usage, 0, sizeof usage);
    getrusage(RUSAGE_SELF, &usage);
    return userAndSystemSeconds(usage);
}

std::string readFile(const std::string &path)
{
    std::string text;
    FILE *file = std::fopen(path.c_str(), "r");
    if (!file)
        return text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    std::fclose(file);
    return text;
}

//! utime + stime of a process (or thread) from its stat file, in seconds;
//! negative when it cannot be read. Also its name, when asked for.
double statCpuSeconds(const std::string &statPath, std::string *name = nullptr)
{
    const std::string text = readFile(statPath);
    const size_t open = text.find('(');
    const size_t close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return -1.0;
    if (name)
        *name = text.substr(open + 1, close - open - 1);
    // After the name: state (field 3) ... utime (14), stime (15).
    std::vector<std::string> fields;
    size_t pos = close + 2;
    while (pos < text.size() && fields.size() < 13) {
        const size_t end = text.find(' ', pos);
        fields.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        if (end == std::string::npos)
            break;
        pos = end + 1;
    }
    if (fields.size() < 13)
        return -1.0;
    const double ticks = std::strtod(fields[11].c_str(), nullptr) + std::strtod(fields[12].c_str(), nullptr);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

//! The group a thread of this process belongs to, by the name its thread
//! class gives it.
std::string threadGroup(const std::string &name, bool isMain)
{
    if (isMain)
        return "host";
    if (name == "NEXmlRpcThread")
        return "command";
    if (name.compare(0, 8, "NEXmlRpc") == 0)
        return "polling";
    return "other";
}

//! CPU seconds of this process's threads by group (threads alive now), from
//! their run time in schedstat: a thread's utime and stime are whole clock
//! ticks, and a thread that wakes briefly now and then shows none.
std::map<std::string, double> cpuByThreadGroup()
{
    std::map<std::string, double> groups;
    const std::string self = std::to_string(getpid());
    DIR *dir = opendir("/proc/self/task");
    if (!dir)
        return groups;
    while (dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const std::string task = std::string("/proc/self/task/") + entry->d_name;
        std::string name;
        const std::string runtime = readFile(task + "/schedstat");
        if (statCpuSeconds(task + "/stat", &name) < 0.0 || runtime.empty())
            continue;
        groups[threadGroup(name, self == entry->d_name)] += std::strtod(runtime.c_str(), nullptr) / 1e9;
    }
    closedir(dir);
    return groups;
}

//! Counts the store's executed signals (in the emitting thread).
class ExecutedCounter
{
public:
    ExecutedCounter()
    {
        m_connection = QObject::connect(
            AXOCommData::instance(), &AXOCommData::NECommandExecutedSignal, [this](const NECommand &) { ++m_count; });
    }
    ~ExecutedCounter() { QObject::disconnect(m_connection); }
    int count() const { return m_count; }

private:
    std::atomic<int> m_count{0};
    QMetaObject::Connection m_connection;
};

//! axodriver-sim in a process of its own, with --verbose; counts the calls
//! it logs.
class SimProcess
{
public:
    explicit SimProcess(const QString &scenarioFile)
    {
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
            die("pipe failed");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        const std::string program = AXOCOMM_BENCH_SIM_PROGRAM;
        const std::string scenario = scenarioFile.toStdString();
        std::vector<std::string> args = { program, "--port", "0", "--scenario", scenario, "--verbose" };
        std::vector<char *> argv;
        for (std::string &arg : args)
            argv.push_back(&arg[0]);
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            die("cannot start " + program);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        m_out = out[0];
        m_err = err[0];
        m_reader = std::thread([this] { readLog(); });
        readPort();
    }
    ~SimProcess()
    {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_reader.join();
        close(m_out);
        close(m_err);
    }

    uint16_t port() const { return m_port; }
    pid_t pid() const { return m_pid; }
    double cpuSeconds() const { return statCpuSeconds("/proc/" + std::to_string(m_pid) + "/stat"); }
    uint64_t calls() const { return m_calls; }
    uint64_t notifyCalls() const { return m_notifyCalls; }

private:
    // The listening line on standard output: "... listening on 127.0.0.1:PORT (plain)".
    void readPort()
    {
        std::string line;
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (line.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            pollfd fd = { m_out, POLLIN, 0 };
            char buffer[256];
            ssize_t n = 0;
            if (left <= 0 || poll(&fd, 1, static_cast<int>(left)) <= 0 || (n = read(m_out, buffer, sizeof buffer)) <= 0)
                die("axodriver-sim did not report its port");
            line.append(buffer, static_cast<size_t>(n));
        }
        const size_t colon = line.rfind(':', line.find(" ("));
        m_port = colon == std::string::npos ? 0 : static_cast<uint16_t>(std::atoi(line.c_str() + colon + 1));
        if (m_port == 0)
            die("cannot read the port from: " + line);
    }

    void readLog()
    {
        std::string pending;
        char buffer[4096];
        ssize_t n;
        while ((n = read(m_err, buffer, sizeof buffer)) > 0) {
            pending.append(buffer, static_cast<size_t>(n));
            size_t end;
            while ((end = pending.find('\n')) != std::string::npos) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                if (line.compare(0, 20, "axodriver-sim: call ") == 0) {
                    ++m_calls;
                    if (line.compare(20, 18, "AXO.notifyChanged ") == 0)
                        ++m_notifyCalls;
                }
            }
        }
    }

    pid_t m_pid = 0;
    int m_out = -1;
    int m_err = -1;
    uint16_t m_port = 0;
    std::thread m_reader;
    std::atomic<uint64_t> m_calls{0};
    std::atomic<uint64_t> m_notifyCalls{0};
};

struct IdleWindow
{
    double seconds = 0.0;
    double selfCpu = 0.0;
    std::map<std::string, double> groups;
    int executed = 0;
};

//! The host thread in its event loop for the idle time; what this process
//! used meanwhile. `before` and `after` take the other side's readings.
IdleWindow idleWindow(const std::function<void()> &before, const std::function<void()> &after)
{
    IdleWindow window;
    const ExecutedCounter executed;
    const std::map<std::string, double> groupsBefore = cpuByThreadGroup();
    const double cpuBefore = selfCpuSeconds();
    before();
    const auto start = Clock::now();
    runEventLoop(idleSeconds() * 1000);
    const auto stop = Clock::now();
    after();
    window.selfCpu = selfCpuSeconds() - cpuBefore;
    window.seconds = secondsBetween(start, stop);
    for (const auto &group : cpuByThreadGroup()) {
        const auto it = groupsBefore.find(group.first);
        window.groups[group.first] = group.second - (it == groupsBefore.end() ? 0.0 : it->second);
    }
    window.executed = executed.count();
    return window;
}

void reportIdle(benchmark::State &state, const IdleWindow &window, double calls, double notifyCalls,
                int pollingThreads)
{
    state.SetIterationTime(window.seconds);
    state.counters["idle_s"] = window.seconds;
    state.counters["calls"] = calls;
    state.counters["notify_calls"] = notifyCalls;
    state.counters["polling_threads"] = pollingThreads;
    state.counters["calls_per_poller_10s"] =
        pollingThreads > 0 ? calls / pollingThreads / (window.seconds / 10.0) : 0.0;
    state.counters["executed_signals"] = window.executed;
    for (const auto &group : window.groups)
        state.counters["cpu_ms_" + group.first] = group.second * 1000.0;
}

void idleProcess(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString scenarioFile = dir.filePath(QStringLiteral("four-dispensers.json"));
    QFile file(scenarioFile);
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) || file.write(idleScenario().toJson()) < 0)
        die("cannot write the scenario");
    file.close();
    SimProcess sim(scenarioFile);
    const QList<MachineID> machines = idleDispensers() + QList<MachineID>{kIdleMixer};
    const int driverID = connectLibrary(sim.port(), AXOCommData::CommLevel2, idleDispensers(), {kIdleMixer});
    runEventLoop(2000); // the first answers of the polls started last
    const int pollingThreads = countPollingThreads(driverID, machines);
    for (auto _ : state) {
        double simBefore = 0.0, simAfter = 0.0;
        uint64_t callsBefore = 0, callsAfter = 0, notifyBefore = 0, notifyAfter = 0;
        const IdleWindow window = idleWindow(
            [&] {
                simBefore = sim.cpuSeconds();
                callsBefore = sim.calls();
                notifyBefore = sim.notifyCalls();
            },
            [&] {
                simAfter = sim.cpuSeconds();
                callsAfter = sim.calls();
                notifyAfter = sim.notifyCalls();
            });
        if (simBefore < 0.0 || simAfter < 0.0) {
            state.SkipWithError("cannot read the simulator's CPU time");
            break;
        }
        reportIdle(state, window, static_cast<double>(callsAfter - callsBefore),
                   static_cast<double>(notifyAfter - notifyBefore), pollingThreads);
        state.counters["lib_cpu_pct"] = 100.0 * window.selfCpu / window.seconds;
        state.counters["sim_cpu_pct"] = 100.0 * (simAfter - simBefore) / window.seconds;
    }
    disconnectLibrary();
}

void idleInProcess(benchmark::State &state)
{
    SimDriver driver(idleScenario());
    if (!driver.start())
        die("simulator: " + driver.simulator().errorString());
    const QList<MachineID> machines = idleDispensers() + QList<MachineID>{kIdleMixer};
    const int driverID = connectLibrary(driver.port(), AXOCommData::CommLevel2, idleDispensers(), {kIdleMixer});
    runEventLoop(2000);
    const int pollingThreads = countPollingThreads(driverID, machines);
    for (auto _ : state) {
        uint64_t before = 0, after = 0;
        int held = 0;
        const IdleWindow window = idleWindow([&] { before = driver.simulator().requestsReceived(); },
                                             [&] {
                                                 after = driver.simulator().requestsReceived();
                                                 held = driver.model().waitingCalls();
                                             });
        reportIdle(state, window, static_cast<double>(after - before), -1.0, pollingThreads);
        state.counters["process_cpu_pct"] = 100.0 * window.selfCpu / window.seconds;
        state.counters["held_calls"] = held;
    }
    disconnectLibrary();
}

} // namespace livestate
