// Round trip of a PING against the simulated driver, in-process on loopback.
//
//   ping/client      XmlRpcClient::execute("PING") again and again on one
//                    client, that is on one keep-alive connection;
//   ping/raw-socket  the floor: a blocking socket (TCP_NODELAY) connected
//                    once, writing the very bytes the client sends (taken
//                    from the simulator's record of the client's request)
//                    and reading until the whole Content-length is in;
//   ping/alternating one client call and one raw round trip in turn, each
//                    timed on its own: both meet the same load on the
//                    machine, which the two benchmarks above, a second or
//                    more apart, may not.
//
// Every call is timed on its own; the counters p50_us and p90_us are the
// median and 90th percentile of the calls of one repetition (client_p50_us,
// raw_p50_us and p50_ratio for ping/alternating).

#include "DriverSimulator.h"
#include "XmlRpcClient.h"
#include "XmlRpcValue.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <strings.h>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

using XmlRpc::XmlRpcClient;
using XmlRpc::XmlRpcValue;

namespace {

[[noreturn]] void die(const std::string &message)
{
    std::fprintf(stderr, "axocomm_bench_ping: %s\n", message.c_str());
    std::exit(1);
}

struct Setup
{
    DriverSimulator simulator{DriverSimulator::Plain};
    std::unique_ptr<XmlRpcClient> client;
    std::string request; // the client's PING request, head and body
    int rawFd = -1;
};

Setup &setup()
{
    static Setup s;
    return s;
}

// A blocking raw connection to the simulator.
int connectRaw(uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        die(std::string("socket: ") + std::strerror(errno));
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        die(std::string("connect: ") + std::strerror(errno));
    return fd;
}

// One request and its complete response over the raw connection; the
// response's length, or -1 on any failure.
long rawRoundTrip(int fd, const std::string &request, char *buffer, size_t capacity)
{
    size_t written = 0;
    while (written < request.size()) {
        const ssize_t n = ::send(fd, request.data() + written, request.size() - written, MSG_NOSIGNAL);
        if (n <= 0)
            return -1;
        written += static_cast<size_t>(n);
    }

    size_t have = 0;
    size_t total = 0; // head and body, once the head is complete
    for (;;) {
        if (have == capacity)
            return -1;
        const ssize_t n = ::recv(fd, buffer + have, capacity - have, 0);
        if (n <= 0)
            return -1;
        have += static_cast<size_t>(n);
        if (total == 0) {
            const char *end = static_cast<const char *>(memmem(buffer, have, "\r\n\r\n", 4));
            if (!end)
                continue;
            const size_t headLength = static_cast<size_t>(end - buffer) + 4;
            long contentLength = -1;
            for (const char *p = buffer; p + 16 <= end; ++p) {
                if ((p == buffer || p[-1] == '\n') && strncasecmp(p, "Content-length:", 15) == 0) {
                    contentLength = std::strtol(p + 15, nullptr, 10);
                    break;
                }
            }
            if (contentLength < 0)
                return -1;
            total = headLength + static_cast<size_t>(contentLength);
        }
        if (have >= total)
            return static_cast<long>(have);
    }
}

double percentile(std::vector<double> &micros, int percent)
{
    std::sort(micros.begin(), micros.end());
    return micros[micros.size() * static_cast<size_t>(percent) / 100];
}

void reportLatencies(benchmark::State &state, std::vector<double> &micros, const std::string &prefix = "")
{
    if (micros.empty())
        return;
    state.counters[prefix + "p50_us"] = percentile(micros, 50);
    state.counters[prefix + "p90_us"] = percentile(micros, 90);
}

double microsSince(std::chrono::steady_clock::time_point start, std::chrono::steady_clock::time_point stop)
{
    return std::chrono::duration<double, std::micro>(stop - start).count();
}

void pingClient(benchmark::State &state)
{
    XmlRpcClient &client = *setup().client;
    const XmlRpcValue noParams;
    XmlRpcValue result;
    std::vector<double> micros;
    micros.reserve(1 << 16);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = client.execute("PING", noParams, result, 5.0);
        const auto stop = std::chrono::steady_clock::now();
        if (!ok || client.isFault()) {
            state.SkipWithError("PING failed");
            break;
        }
        micros.push_back(microsSince(start, stop));
    }
    reportLatencies(state, micros);
}

void pingRaw(benchmark::State &state)
{
    Setup &s = setup();
    std::vector<char> buffer(64 * 1024);
    std::vector<double> micros;
    micros.reserve(1 << 16);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const long n = rawRoundTrip(s.rawFd, s.request, buffer.data(), buffer.size());
        const auto stop = std::chrono::steady_clock::now();
        if (n < 0) {
            state.SkipWithError("raw round trip failed");
            break;
        }
        micros.push_back(microsSince(start, stop));
    }
    reportLatencies(state, micros);
}

void pingAlternating(benchmark::State &state)
{
    Setup &s = setup();
    XmlRpcClient &client = *s.client;
    const XmlRpcValue noParams;
    XmlRpcValue result;
    std::vector<char> buffer(64 * 1024);
    std::vector<double> clientMicros, rawMicros;
    clientMicros.reserve(1 << 16);
    rawMicros.reserve(1 << 16);
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = client.execute("PING", noParams, result, 5.0);
        const auto t1 = std::chrono::steady_clock::now();
        const long n = rawRoundTrip(s.rawFd, s.request, buffer.data(), buffer.size());
        const auto t2 = std::chrono::steady_clock::now();
        if (!ok || client.isFault() || n < 0) {
            state.SkipWithError("PING failed");
            break;
        }
        clientMicros.push_back(microsSince(t0, t1));
        rawMicros.push_back(microsSince(t1, t2));
    }
    if (clientMicros.empty())
        return;
    const double clientP50 = percentile(clientMicros, 50);
    const double rawP50 = percentile(rawMicros, 50);
    reportLatencies(state, clientMicros, "client_");
    reportLatencies(state, rawMicros, "raw_");
    state.counters["p50_ratio"] = clientP50 / rawP50;
}

void prepare()
{
    Setup &s = setup();
    if (!s.simulator.start())
        die("simulator: " + s.simulator.errorString());
    const uint16_t port = s.simulator.port();
    s.client.reset(new XmlRpcClient("127.0.0.1", port));

    XmlRpcValue result;
    if (!s.client->execute("PING", XmlRpcValue(), result, 5.0) || s.client->isFault()
        || result.getType() != XmlRpcValue::TypeString || result.asString() != "PONG")
        die("the first PING failed");
    s.request = s.simulator.lastRequest();
    if (s.request.empty())
        die("the simulator recorded no request");

    s.rawFd = connectRaw(port);
    std::vector<char> buffer(64 * 1024);
    const long n = rawRoundTrip(s.rawFd, s.request, buffer.data(), buffer.size());
    if (n < 0 || std::string(buffer.data(), static_cast<size_t>(n)).find("PONG") == std::string::npos)
        die("the raw PING failed");
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    prepare();
    benchmark::RegisterBenchmark("ping/client", pingClient)->UseRealTime();
    benchmark::RegisterBenchmark("ping/raw-socket", pingRaw)->UseRealTime();
    benchmark::RegisterBenchmark("ping/alternating", pingAlternating)->UseRealTime();
    benchmark::AddCustomContext("ping_request_bytes", std::to_string(setup().request.size()));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    Setup &s = setup();
    const uint64_t connections = s.simulator.connectionsAccepted();
    ::close(s.rawFd);
    s.client.reset();
    s.simulator.stop();
    // One connection for the client, one for the raw socket: more means the
    // client did not keep its connection alive.
    if (connections != 2) {
        std::fprintf(stderr, "axocomm_bench_ping: the simulator accepted %llu connections, expected 2\n",
                     static_cast<unsigned long long>(connections));
        return 1;
    }
    return 0;
}
