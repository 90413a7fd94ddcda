// A database file through the command API against the same call made raw,
// with the simulated driver in-process on loopback.
//
//   files/getdbfile  NECmdManager::GetDbFile of a 4 MiB file the driver holds:
//                    command built, queued, sent by the driver thread of the
//                    generic dispenser, the base64 answer decoded, the bytes
//                    copied out (blocking, in the calling thread).
//   files/raw        The same GETDBFILE call through one bare XmlRpcClient.
//   Counter MiB_per_s: file bytes moved per second. The ratio of the two
//   times is what the library adds to a large transfer.

#include "AXOClientSettings.h"
#include "AXOCommData.h"
#include "AXOCurrentCommData.h"
#include "FunctionCallType.h"
#include "NECmdManager.h"
#include "ProtoCommand.h"
#include "ProtoCommandList.h"
#include "SimDriver.h"
#include "SimDriverModel.h"
#include "SimScenario.h"
#include "XmlRpcClient.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

const int kFileBytes = 4 * 1024 * 1024;
const char *const kFileName = "bench.db";

struct Setup
{
    std::unique_ptr<SimDriver> driver;
    std::unique_ptr<XmlRpc::XmlRpcClient> raw;
    int driverID = 0;
    QByteArray file;
};

Setup &setup()
{
    static Setup s;
    return s;
}

[[noreturn]] void die(const char *message)
{
    std::fprintf(stderr, "bench_files: %s\n", message);
    std::exit(1);
}

void prepare()
{
    Setup &s = setup();
    s.driver.reset(new SimDriver(SimScenario::defaultScenario()));
    if (!s.driver->start())
        die("the simulated driver did not start");
    s.file.resize(kFileBytes);
    for (int i = 0; i < kFileBytes; ++i)
        s.file[i] = static_cast<char>((i * 2654435761u) >> 24);
    s.driver->model().data().storeFile(QLatin1String(kFileName), s.file);

    AXOCommData *store = AXOCommData::instance();
    store->setCommLevel(AXOCommData::CommLevel1);
    NECmdManager::setAccessLevel(2); // GETDBFILE is a service command
    s.driverID = store->getNextDriverID();
    store->addDriverParams(
        NEDriverParams(s.driverID, AXODriverConnection(QStringLiteral("127.0.0.1"), s.driver->port())));
    const MachineID generic(0, MachineID::Dispenser);
    if (!store->startDriverCommThread(s.driverID, generic, NEDriverParams::StandardCommandsThread)
        || !NECmdManager::login(s.driverID, generic, QStringLiteral("bench")))
        die("no session on the simulated driver");
    AXOCurrentCommData::instance()->setCurrentDriverID(s.driverID);
    s.raw.reset(new XmlRpc::XmlRpcClient("127.0.0.1", s.driver->port()));
}

void filesGetDbFile(benchmark::State &state)
{
    Setup &s = setup();
    for (auto _ : state) {
        QByteArray bytes;
        if (!NECmdManager::GetDbFile(s.driverID, bytes, QLatin1String(kFileName)) || bytes.size() != kFileBytes)
            state.SkipWithError("GetDbFile failed");
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.counters["MiB_per_s"] =
        benchmark::Counter(double(kFileBytes) / (1024.0 * 1024.0), benchmark::Counter::kIsIterationInvariantRate);
}

void filesRaw(benchmark::State &state)
{
    Setup &s = setup();
    XmlRpc::XmlRpcValue call;
    call["proto"] = ProtoCommand::ProtocolVersion;
    call["cmd"] = std::string("GETDBFILE");
    call["params"][0] = std::string(kFileName);
    XmlRpc::XmlRpcValue params;
    params[0] = call;
    const std::string method = ProtoCommandList::functionCallStr(SyncCall).toStdString();
    for (auto _ : state) {
        XmlRpc::XmlRpcValue result;
        if (!s.raw->execute(method.c_str(), params, result, 60.0)
            || int(result["data"]["file"].asBinary().size()) != kFileBytes)
            state.SkipWithError("raw GETDBFILE failed");
    }
    state.counters["MiB_per_s"] =
        benchmark::Counter(double(kFileBytes) / (1024.0 * 1024.0), benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QTemporaryDir settingsRoot; // no settings file
    qputenv(AXOClientSettings::RootEnvironmentVariable, settingsRoot.path().toUtf8());
    prepare();
    benchmark::RegisterBenchmark("files/getdbfile", filesGetDbFile)->UseRealTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("files/raw", filesRaw)->UseRealTime()->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();

    Setup &s = setup();
    s.raw->close();
    AXOCommData::instance()->closeAllConnections(-1, true);
    AXOCommData::instance()->removeAllSessions();
    AXOCommData::drop();
    s.driver.reset();
    return 0;
}
