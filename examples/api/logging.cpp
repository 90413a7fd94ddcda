// Logging: the library writes to a spdlog logger the host hands over, and the
// transport's low-level errors go to a handler the host may replace.
//
//   logging HOST:PORT

#include <AXOComm/AXOComm.h>

#include <QtCore/QCoreApplication>
#include <QtNetwork/QTcpServer>

#include <spdlog/sinks/ringbuffer_sink.h>
#include <spdlog/spdlog.h>

#include <atomic>
#include <cstdio>

namespace {

//! The transport's error texts, counted. Called from any thread that
//! connects, so it only touches an atomic.
class CountingErrorHandler : public XmlRpc::XmlRpcErrorHandler
{
public:
    void error(const char *) override { ++count; }
    std::atomic<int> count{0};
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList endpoint = QString::fromLocal8Bit(argc == 2 ? argv[1] : "").split(QLatin1Char(':'));
    if (endpoint.size() != 2) {
        std::fprintf(stderr, "usage: logging HOST:PORT\n");
        return 2;
    }

    // Before anything else runs: the library's threads log through it from
    // then on, so the logger and its sinks must be thread-safe (the _mt ones).
    auto sink = std::make_shared<spdlog::sinks::ringbuffer_sink_mt>(256);
    auto logger = std::make_shared<spdlog::logger>("host", sink);
    logger->set_level(spdlog::level::debug);
    NELogger::instance()->setLogger(logger);

    // The handler is a plain pointer: it must outlive every connection.
    CountingErrorHandler transportErrors;
    XmlRpc::XmlRpcErrorHandler *const previousHandler = XmlRpcUtil::getErrorHandler();
    XmlRpcUtil::setErrorHandler(&transportErrors);

    // A start, a command, a stop: each leaves its lines.
    AXOCommData *store = AXOCommData::instance();
    const int driverID = store->getNextDriverID();
    const AXODriverConnection connection(endpoint.at(0), endpoint.at(1).toInt());
    bool ok = AXOCommManager::instance()->startAXODriverComm(QStringLiteral("api-example"), connection,
                                                             AXOCommData::CommLevel0, /*mixerMngm*/ true);
    if (ok) {
        NECommand version(driverID, MachineID(0, MachineID::Dispenser), QStringLiteral("GET_SW_VERSION"));
        ok = NECmdManager::executeCommand(&version, true, false) && version.isDoneSuccessfully();
    }
    AXOCommManager::instance()->stopDriversComm(-1, true);
    AXOCommManager::drop();
    AXOCurrentCommData::drop();
    AXOCommData::drop();

    // A port nobody listens on: the ping fails, and the transport says why
    // through its error handler, not through the logger.
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        closedPort = probe.serverPort();
    }
    const bool answered = NECmdManager::pingEndpoint(AXODriverConnection(QStringLiteral("127.0.0.1"), closedPort), 1.0);

    // Every line of the library starts with "AXOComm - ".
    int lines = 0;
    bool prefixed = true;
    for (const spdlog::details::log_msg_buffer &message : sink->last_raw()) {
        const std::string text(message.payload.data(), message.payload.size());
        prefixed = prefixed && text.rfind("AXOComm - ", 0) == 0;
        if (lines++ < 5)
            std::printf("[%s] %s\n", spdlog::level::to_string_view(message.level).data(), text.c_str());
    }
    std::printf("%d lines logged; the ping %s; %d transport error texts\n", lines,
                answered ? "was answered" : "was not answered", transportErrors.count.load());

    // Nothing logs any more: the logger and the handler may go.
    XmlRpcUtil::setErrorHandler(previousHandler);
    NELogger::instance()->setLogger(nullptr);
    NELogger::drop();

    ok = ok && lines > 0 && prefixed && !answered && transportErrors.count.load() > 0;
    std::printf("%s\n", ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
