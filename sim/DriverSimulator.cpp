#include "DriverSimulator.h"

#include "HttpRequest.h"
#include "SimConnection.h"
#include "SimPeerPolicy.h"
#include "SimMethodCall.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#ifndef AXOSIM_CERT_DIR
#define AXOSIM_CERT_DIR "certs"
#endif

namespace {

// The driver's service account. Only the simulator knows it in clear.
const char kDriverLogin[] = "axsvcTnx";
const char kDriverPassword[] = "DqmTintPlusK";

const size_t kMaxHeadBytes = 64 * 1024;
const size_t kMaxBodyBytes = 64 * 1024 * 1024;
const size_t kReadChunk = 16 * 1024;

std::string sslErrors()
{
    std::string text;
    char buffer[256];
    while (unsigned long code = ERR_get_error()) {
        ERR_error_string_n(code, buffer, sizeof buffer);
        if (!text.empty())
            text += "; ";
        text += buffer;
    }
    return text.empty() ? std::string("unknown TLS error") : text;
}

std::string addressText(const sockaddr *address, socklen_t length)
{
    char host[NI_MAXHOST];
    char service[NI_MAXSERV];
    if (getnameinfo(address, length, host, sizeof host, service, sizeof service,
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return "?";
    if (address->sa_family == AF_INET6)
        return std::string("[") + host + "]:" + service;
    return std::string(host) + ":" + service;
}

// Strict base64 as used by HTTP Basic authentication.
bool decodeBase64(const std::string &text, std::string *out)
{
    if (text.empty() || text.size() % 4 != 0)
        return false;
    std::string buffer(text.size() / 4 * 3 + 1, '\0');
    const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char *>(&buffer[0]),
                                  reinterpret_cast<const unsigned char *>(text.data()),
                                  static_cast<int>(text.size()));
    if (n < 0)
        return false;
    size_t length = static_cast<size_t>(n);
    if (text[text.size() - 1] == '=')
        --length;
    if (text[text.size() - 2] == '=')
        --length;
    buffer.resize(length);
    *out = std::move(buffer);
    return true;
}

// The connection the calling thread serves, for callerHungUp().
thread_local const SimConnection *t_serving = nullptr;

} // namespace

DriverSimulator::DriverSimulator(Mode mode)
    : m_mode(mode),
      m_certFile(defaultCertFile()),
      m_keyFile(defaultKeyFile()),
      m_authRequired(mode == Tls),
      m_login(kDriverLogin),
      m_password(kDriverPassword)
{
    registerMethod("PING", [](const XmlRpc::XmlRpcValue &) { return XmlRpc::XmlRpcValue("PONG"); });
}

DriverSimulator::~DriverSimulator()
{
    stop();
}

std::string DriverSimulator::defaultCertFile() { return AXOSIM_CERT_DIR "/server.pem"; }
std::string DriverSimulator::defaultKeyFile() { return AXOSIM_CERT_DIR "/server.key"; }
std::string DriverSimulator::defaultCaFile() { return AXOSIM_CERT_DIR "/ca.pem"; }
std::string DriverSimulator::defaultLogin() { return kDriverLogin; }
std::string DriverSimulator::defaultPassword() { return kDriverPassword; }

// ---------------------------------------------------------------------------
// Set-up and life cycle

void DriverSimulator::setBindAddress(const std::string &address)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bindAddress = address;
}

void DriverSimulator::setPort(uint16_t port)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requestedPort = port;
}

void DriverSimulator::setCertificateFiles(const std::string &certFile, const std::string &keyFile)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_certFile = certFile;
    m_keyFile = keyFile;
}

bool DriverSimulator::start()
{
    std::lock_guard<std::mutex> lifecycle(m_lifecycle);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_running) {
            m_error = "already running";
            return false;
        }
        m_error.clear();
    }

    std::string error;
    bool ok = (m_mode != Tls || createTlsContext(&error)) && openListener(&error);
    if (ok && pipe2(m_wakeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        ok = false;
    }
    if (ok) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_running = true;
        m_stopping = false;
        try {
            m_acceptThread = std::thread(&DriverSimulator::acceptLoop, this);
        } catch (const std::system_error &e) {
            error = std::string("cannot start accept thread: ") + e.what();
            m_running = false;
            ok = false;
        }
    }
    if (!ok) {
        releaseResources();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_error = error;
        m_port = 0;
        return false;
    }
    log("listening on " + bindAddress() + ":" + std::to_string(port())
        + (m_mode == Tls ? " (tls)" : " (plain)"));
    return true;
}

bool DriverSimulator::createTlsContext(std::string *error)
{
    std::string certFile;
    std::string keyFile;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        certFile = m_certFile;
        keyFile = m_keyFile;
    }
    ERR_clear_error();
    m_tlsContext = SSL_CTX_new(TLS_server_method());
    if (!m_tlsContext) {
        *error = "cannot create TLS context: " + sslErrors();
        return false;
    }
    SSL_CTX_set_min_proto_version(m_tlsContext, TLS1_2_VERSION);
    SSL_CTX_set_options(m_tlsContext, SSL_OP_IGNORE_UNEXPECTED_EOF | SSL_OP_NO_RENEGOTIATION);
    if (SSL_CTX_use_certificate_chain_file(m_tlsContext, certFile.c_str()) != 1) {
        *error = "cannot load certificate " + certFile + ": " + sslErrors();
        return false;
    }
    if (SSL_CTX_use_PrivateKey_file(m_tlsContext, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
        *error = "cannot load key " + keyFile + ": " + sslErrors();
        return false;
    }
    if (SSL_CTX_check_private_key(m_tlsContext) != 1) {
        *error = "key " + keyFile + " does not match certificate " + certFile;
        return false;
    }
    return true;
}

bool DriverSimulator::openListener(std::string *error)
{
    std::string address;
    uint16_t port;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        address = m_bindAddress.empty() ? std::string("0.0.0.0") : m_bindAddress;
        port = m_requestedPort;
    }

    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo *found = nullptr;
    const int rc = getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (rc != 0) {
        *error = "cannot resolve " + address + ": " + gai_strerror(rc);
        return false;
    }

    *error = "no usable address for " + address;
    for (addrinfo *ai = found; ai; ai = ai->ai_next) {
        const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, ai->ai_protocol);
        if (fd < 0) {
            *error = std::string("socket: ") + std::strerror(errno);
            continue;
        }
        const int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(fd, ai->ai_addr, ai->ai_addrlen) != 0 || ::listen(fd, 128) != 0) {
            *error = "cannot listen on " + addressText(ai->ai_addr, ai->ai_addrlen) + ": " + std::strerror(errno);
            ::close(fd);
            continue;
        }
        sockaddr_storage bound;
        socklen_t length = sizeof bound;
        if (getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &length) != 0) {
            *error = std::string("getsockname: ") + std::strerror(errno);
            ::close(fd);
            continue;
        }
        const uint16_t boundPort = bound.ss_family == AF_INET6
            ? ntohs(reinterpret_cast<sockaddr_in6 *>(&bound)->sin6_port)
            : ntohs(reinterpret_cast<sockaddr_in *>(&bound)->sin_port);
        m_listenFd = fd;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_port = boundPort;
        break;
    }
    freeaddrinfo(found);
    if (m_listenFd < 0)
        return false;
    error->clear();
    return true;
}

void DriverSimulator::releaseResources()
{
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
    }
    for (int &fd : m_wakeFds) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
    if (m_tlsContext) {
        SSL_CTX_free(m_tlsContext);
        m_tlsContext = nullptr;
    }
}

void DriverSimulator::stop()
{
    std::lock_guard<std::mutex> lifecycle(m_lifecycle);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_running)
            return;
        m_stopping = true;
        for (SimConnection *connection : m_connections)
            connection->shutdownSocket();
        m_cond.notify_all();
        m_workerCond.notify_all();
    }
    const char byte = 0;
    while (::write(m_wakeFds[1], &byte, 1) < 0 && errno == EINTR) {
    }
    m_acceptThread.join();
    // No new connections after the accept thread ended; the ones it
    // registered last were shut down above or refused by it.
    reapWorkers(true);
    // Connections accepted but never taken by a worker.
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (SimConnection *connection : m_pending) {
            m_connections.erase(connection);
            delete connection;
        }
        m_pending.clear();
    }
    releaseResources();

    std::lock_guard<std::mutex> lock(m_mutex);
    m_running = false;
    m_stopping = false;
    m_port = 0;
    m_cond.notify_all();
}

bool DriverSimulator::isRunning() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_running;
}

uint16_t DriverSimulator::port() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_port;
}

std::string DriverSimulator::bindAddress() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bindAddress;
}

std::string DriverSimulator::errorString() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_error;
}

// ---------------------------------------------------------------------------
// Connections

void DriverSimulator::acceptLoop()
{
    pollfd fds[2];
    fds[0].fd = m_listenFd;
    fds[0].events = POLLIN;
    fds[1].fd = m_wakeFds[0];
    fds[1].events = POLLIN;

    for (;;) {
        fds[0].revents = fds[1].revents = 0;
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            log(std::string("poll failed: ") + std::strerror(errno));
            break;
        }
        if (fds[1].revents)
            break;

        sockaddr_storage peer;
        socklen_t peerLength = sizeof peer;
        const int fd = ::accept4(m_listenFd, reinterpret_cast<sockaddr *>(&peer), &peerLength, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // Out of descriptors: give connections a moment to close
                // instead of spinning on a listener that stays readable.
                pollfd wake = fds[1];
                ::poll(&wake, 1, 100);
            }
            continue;
        }
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (SimPeerPolicy::refuse(fd, reinterpret_cast<sockaddr *>(&peer), m_mode == Tls, m_allowRemotePlain)) {
            log("plain connection from " + addressText(reinterpret_cast<sockaddr *>(&peer), peerLength)
                + " refused: not a local client");
            ::close(fd);
            continue;
        }

        reapWorkers(false);

        std::unique_ptr<SimConnection> connection(
            new SimConnection(fd, m_tlsContext, addressText(reinterpret_cast<sockaddr *>(&peer), peerLength)));
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stopping)
                break; // the connection closes as it goes out of scope
            m_connections.insert(connection.get());
            ++m_connectionsAccepted;
            m_cond.notify_all();
        }
        log("connection from " + connection->peer());
        dispatchConnection(std::move(connection));
    }
}

void DriverSimulator::dispatchConnection(std::unique_ptr<SimConnection> connection)
{
    // Workers are kept for the next connection: a client opening one
    // connection per thread does not make the driver start a thread for each.
    SimConnection *raw = connection.get();
    bool spawn;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending.push_back(connection.release());
        spawn = m_idleWorkers < static_cast<int>(m_pending.size());
        if (!spawn)
            m_workerCond.notify_one();
    }
    if (!spawn)
        return;
    try {
        auto done = std::make_shared<bool>(false);
        m_workers.push_back(Worker{std::thread(), done});
        m_workers.back().thread = std::thread([this, done] { workerLoop(done); });
    } catch (const std::exception &e) {
        log(std::string("cannot serve connection: ") + e.what());
        if (!m_workers.empty() && !m_workers.back().thread.joinable())
            m_workers.pop_back();
        std::unique_ptr<SimConnection> unserved;
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = std::find(m_pending.begin(), m_pending.end(), raw);
        if (it != m_pending.end()) {
            unserved.reset(raw);
            m_pending.erase(it);
            m_connections.erase(raw);
            m_cond.notify_all();
        }
    }
}

void DriverSimulator::workerLoop(std::shared_ptr<bool> done)
{
    // A peer that went away must fail the write, not kill the process.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);

    for (;;) {
        std::unique_ptr<SimConnection> next;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            ++m_idleWorkers;
            m_workerCond.wait_for(lock, std::chrono::milliseconds(kWorkerIdleMs),
                                  [this] { return m_stopping || !m_pending.empty(); });
            --m_idleWorkers;
            if (m_stopping || m_pending.empty()) {
                *done = true;
                m_cond.notify_all();
                return;
            }
            next.reset(m_pending.front());
            m_pending.pop_front();
        }
        serveConnection(std::move(next));
    }
}

void DriverSimulator::reapWorkers(bool all)
{
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        bool finished;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            finished = *it->done;
        }
        if (all || finished) {
            if (it->thread.joinable())
                it->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

void DriverSimulator::serveConnection(std::unique_ptr<SimConnection> connection)
{
    std::string error;
    if (connection->handshake(&error)) {
        t_serving = connection.get();
        std::string buffer;
        for (;;) {
            HttpRequest request;
            if (!readRequest(*connection, buffer, request) || !handleRequest(*connection, request))
                break;
        }
    } else {
        log("connection from " + connection->peer() + ": " + error);
    }

    t_serving = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_connections.erase(connection.get());
        m_cond.notify_all();
    }
    log("connection from " + connection->peer() + " closed");
    connection.reset();
}

bool DriverSimulator::readRequest(SimConnection &connection, std::string &buffer, HttpRequest &request)
{
    char chunk[kReadChunk];
    // Request head: skip stray line ends, then read up to the empty line.
    size_t separator = 0;
    size_t headEnd;
    while ((headEnd = HttpRequest::findHeadEnd(buffer, &separator)) == std::string::npos
           && buffer.size() <= kMaxHeadBytes) {
        const long n = connection.read(chunk, sizeof chunk);
        if (n <= 0)
            return false;
        buffer.append(chunk, static_cast<size_t>(n));
    }
    if (headEnd == std::string::npos) {
        recordRequest(buffer);
        sendFinal(connection, SimResponse::httpError(431, "request head too large", true));
        return false;
    }

    const size_t bodyStart = headEnd + separator;
    std::string reason;
    size_t contentLength = 0;
    const int status = request.parseHead(buffer.substr(0, headEnd), &reason)
        ? request.check(kMaxBodyBytes, &contentLength, &reason)
        : 400;
    if (status != 0) {
        recordRequest(buffer.substr(0, bodyStart));
        log("rejected request from " + connection.peer() + ": " + reason);
        sendFinal(connection,
                  SimResponse::httpError(status, reason, true, status == 405 ? "Allow: POST\r\n" : ""));
        return false;
    }

    if (request.headerHasToken("Expect", "100-continue") && buffer.size() < bodyStart + contentLength) {
        if (!connection.write(SimResponse::kInterimContinue))
            return false;
    }
    while (buffer.size() < bodyStart + contentLength) {
        const long n = connection.read(chunk, sizeof chunk);
        if (n <= 0)
            return false;
        buffer.append(chunk, static_cast<size_t>(n));
    }

    const size_t end = bodyStart + contentLength;
    request.raw().assign(buffer, 0, end);
    request.body().assign(buffer, bodyStart, contentLength);
    buffer.erase(0, end);
    recordRequest(request.raw());
    return true;
}

bool DriverSimulator::handleRequest(SimConnection &connection, HttpRequest &request)
{
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_cond.wait(lock, [this] { return m_stopping || !m_neverAnswer; });
        if (m_stopping)
            return false;
    }

    if (!authorized(request)) {
        log("request from " + connection.peer() + " not authorised");
        const bool keep = request.keepAlive();
        return sendFinal(connection, SimResponse::httpError(
                                         401, "authentication required", !keep,
                                         "WWW-Authenticate: Basic realm=\"axodriver\"\r\n"))
            && keep;
    }

    SimMethodCall call;
    std::string reason;
    if (!call.parse(request.body(), &reason)) {
        log("bad request from " + connection.peer() + ": " + reason);
        sendFinal(connection, SimResponse::httpError(400, reason, true));
        return false;
    }

    int delayMs;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lastMethodName = call.methodName();
        const auto it = m_methodDelays.find(call.methodName());
        delayMs = it != m_methodDelays.end() ? it->second : m_responseDelayMs;
    }
    if (m_verbose)
        log("call " + call.methodName() + " from " + connection.peer());
    if (delayMs > 0) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_cond.wait_for(lock, std::chrono::milliseconds(delayMs), [this] { return m_stopping; }))
            return false;
    }

    const std::string body = dispatch(call.methodName(), call.params());

    bool sendContinue;
    bool closeAfter;
    SimResponse::LengthMode lengthMode;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        sendContinue = m_sendContinue;
        closeAfter = m_closeAfterResponse;
        lengthMode = m_lengthMode;
    }
    if (sendContinue && !connection.write(SimResponse::kInterimContinue))
        return false;
    if (!sendFinal(connection, SimResponse::http(body, lengthMode)))
        return false;
    return !closeAfter && lengthMode == SimResponse::LengthActual && request.keepAlive();
}

bool DriverSimulator::callerHungUp()
{
    return t_serving && t_serving->peerHungUp();
}

bool DriverSimulator::authorized(const HttpRequest &request) const
{
    std::string login;
    std::string password;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_authRequired)
            return true;
        login = m_login;
        password = m_password;
    }
    const std::string field = request.header("Authorization");
    const size_t space = field.find(' ');
    if (space == std::string::npos || !HttpRequest::equalsIgnoreCase(field.substr(0, space), "Basic"))
        return false;
    std::string decoded;
    if (!decodeBase64(HttpRequest::trimmed(field.substr(space + 1)), &decoded))
        return false;
    return decoded == login + ":" + password;
}

std::string DriverSimulator::dispatch(const std::string &method, const XmlRpc::XmlRpcValue &params)
{
    std::shared_ptr<const Handler> handler;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_faultCount != 0) {
            if (m_faultCount > 0)
                --m_faultCount;
            return SimResponse::faultBody(m_faultCode, m_faultString);
        }
        const auto it = m_handlers.find(method);
        if (it != m_handlers.end())
            handler = it->second;
    }
    if (!handler)
        return SimResponse::faultBody(SimFault::kGenericCode, method + ": unknown method name");
    try {
        const XmlRpc::XmlRpcValue result = (*handler)(params);
        if (!result.valid())
            return SimResponse::faultBody(SimFault::kGenericCode, method + ": no result");
        return SimResponse::resultBody(result);
    } catch (const SimFault &fault) {
        return SimResponse::faultBody(fault.code(), fault.what());
    } catch (const std::exception &e) {
        return SimResponse::faultBody(SimFault::kGenericCode, method + ": " + e.what());
    }
}

bool DriverSimulator::sendFinal(SimConnection &connection, const std::string &response)
{
    // Counted before the write, so that a client holding the response can
    // already see it counted.
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_requestsServed;
        m_cond.notify_all();
    }
    return connection.write(response);
}

void DriverSimulator::recordRequest(const std::string &raw)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastRequest = raw;
    ++m_requestsReceived;
    m_cond.notify_all();
}

void DriverSimulator::log(const std::string &text) const
{
    if (!m_verbose)
        return;
    const std::string line = "axodriver-sim: " + text + "\n";
    std::fputs(line.c_str(), stderr);
}
