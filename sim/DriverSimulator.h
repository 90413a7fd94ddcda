#ifndef DRIVERSIMULATOR_H
#define DRIVERSIMULATOR_H

#include "SimFault.h"
#include "SimResponse.h"
#include "XmlRpcValue.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

typedef struct ssl_ctx_st SSL_CTX;

class HttpRequest;
class SimConnection;

//! A stand-in for the tinting driver process: an XML-RPC server over
//! HTTP/1.1 with keep-alive, plain or TLS with HTTP Basic authentication.
//!
//! One thread accepts connections and one thread serves each connection with
//! blocking I/O. Methods are looked up by name in a registry of handlers;
//! "PING" is built in. Switches make the server misbehave in the ways the
//! client has to cope with, and counters let a test see what arrived.
//!
//! Every public method is thread-safe. stop() must not be called from inside
//! a method handler.
class DriverSimulator
{
public:
    enum Mode { Plain, Tls };

    //! Computes a method's result from its parameters (always an array).
    //! Throwing SimFault answers with that fault; any other std::exception
    //! answers with a fault of code SimFault::kGenericCode.
    typedef std::function<XmlRpc::XmlRpcValue(const XmlRpc::XmlRpcValue &params)> Handler;

    explicit DriverSimulator(Mode mode = Plain);
    ~DriverSimulator();

    DriverSimulator(const DriverSimulator &) = delete;
    DriverSimulator &operator=(const DriverSimulator &) = delete;

    // --- Set-up, read by start() ---------------------------------------
    //! Numeric address or host name to listen on; default 127.0.0.1.
    void setBindAddress(const std::string &address);
    //! Port to listen on; 0 (the default) picks a free one.
    void setPort(uint16_t port);
    //! Whether plain mode serves clients on other hosts; default false: a
    //! plain connection from a non-loopback address is answered "403
    //! Forbidden" and closed.
    void setAllowRemotePlain(bool allow) { m_allowRemotePlain = allow; }
    //! Server certificate (PEM, may hold the chain) and key for TLS mode;
    //! defaults to defaultCertFile() and defaultKeyFile().
    void setCertificateFiles(const std::string &certFile, const std::string &keyFile);

    //! Opens the listening socket and starts serving. False with
    //! errorString() set when the address cannot be bound or the TLS
    //! material cannot be loaded. Starting a running simulator fails.
    bool start();
    //! Closes the listener and every connection, releases held requests and
    //! joins all threads. Idempotent; also done by the destructor.
    void stop();

    bool isRunning() const;
    Mode mode() const { return m_mode; }
    //! The bound port while running (the actual one when 0 was asked for).
    uint16_t port() const;
    std::string bindAddress() const;
    std::string errorString() const;

    // --- Authentication ----------------------------------------------------
    //! Whether requests need a matching "Authorization: Basic" field;
    //! default: true in TLS mode, false in plain mode.
    void setAuthenticationRequired(bool required);
    //! Replaces the accepted login and password (default: the driver's).
    void setCredentials(const std::string &login, const std::string &password);
    static std::string defaultLogin();
    static std::string defaultPassword();

    // --- Methods -------------------------------------------------------------
    //! Adds or replaces the handler of a method name.
    void registerMethod(const std::string &name, Handler handler);
    void unregisterMethod(const std::string &name);
    bool hasMethod(const std::string &name) const;
    std::vector<std::string> methodNames() const;
    //! From inside a method handler: whether the client whose request this
    //! thread serves has closed its connection (a handler that holds its
    //! answer stops waiting for a caller that left). False elsewhere.
    static bool callerHungUp();

    // --- Misbehaviour (each takes effect from the next request on) ----------
    //! Closes the connection after every response without announcing it.
    void setCloseAfterResponse(bool enabled);
    //! Reads requests but holds them unanswered until switched off (then
    //! they are answered) or until stop().
    void setNeverAnswer(bool enabled);
    //! Sends "HTTP/1.1 100 Continue" ahead of every real response.
    void setSendContinue(bool enabled);
    //! How Content-length is written. Without a true length the body is
    //! delimited by closing the connection after it.
    void setContentLengthMode(SimResponse::LengthMode mode);
    //! Answers the next count requests with a fault instead of calling the
    //! method; a negative count faults every request, 0 switches it off.
    void setFaultResponses(int count, int faultCode = SimFault::kGenericCode,
                           const std::string &faultString = "simulated fault");
    //! Waits ms milliseconds before answering any request (0: no delay).
    void setResponseDelay(int ms);
    //! Delay for one method, taking precedence over setResponseDelay();
    //! a negative value removes it.
    void setMethodDelay(const std::string &method, int ms);
    //! Switches every misbehaviour off.
    void resetMisbehaviour();

    // --- Introspection -------------------------------------------------------
    uint64_t connectionsAccepted() const;
    //! Connections accepted and not yet closed.
    int openConnections() const;
    //! Requests read completely (also malformed ones and held ones).
    uint64_t requestsReceived() const;
    //! Final responses sent, of any status (counted as they are handed to
    //! the socket, also when the peer has gone meanwhile).
    uint64_t requestsServed() const;
    //! The raw bytes of the last request read: head and body exactly as
    //! received.
    std::string lastRequest() const;
    //! Method name of the last well-formed methodCall.
    std::string lastMethodName() const;
    void resetCounters();

    //! Wait until the counter reaches at least count; false on timeout.
    bool waitForRequestsReceived(uint64_t count, int timeoutMs) const;
    bool waitForRequestsServed(uint64_t count, int timeoutMs) const;
    bool waitForConnectionsAccepted(uint64_t count, int timeoutMs) const;
    //! Waits until exactly count connections are open; false on timeout.
    bool waitForOpenConnections(int count, int timeoutMs) const;

    //! Logs connections and requests on stderr.
    void setVerbose(bool verbose);

    static std::string defaultCertFile();
    static std::string defaultKeyFile();
    static std::string defaultCaFile();

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<bool> done; // guarded by m_mutex
    };

    bool openListener(std::string *error);
    bool createTlsContext(std::string *error);
    void releaseResources();
    void acceptLoop();
    void reapWorkers(bool all);
    //! A worker's life: serves the connections handed to it one after the
    //! other, and ends after kWorkerIdleMs without one or at stop().
    void workerLoop(std::shared_ptr<bool> done);
    //! Hands an accepted connection to an idle worker, or to a new one.
    void dispatchConnection(std::unique_ptr<SimConnection> connection);
    void serveConnection(std::unique_ptr<SimConnection> connection);
    //! Reads the next request into request, answering one it refuses;
    //! false when the connection is to be closed.
    bool readRequest(SimConnection &connection, std::string &buffer, HttpRequest &request);
    //! Serves one request; false when the connection is to be closed.
    bool handleRequest(SimConnection &connection, HttpRequest &request);
    bool authorized(const HttpRequest &request) const;
    std::string dispatch(const std::string &method, const XmlRpc::XmlRpcValue &params);
    bool sendFinal(SimConnection &connection, const std::string &response);
    void recordRequest(const std::string &raw);
    void log(const std::string &text) const;
    template<typename Predicate>
    bool waitUntil(int timeoutMs, Predicate predicate) const;

    const Mode m_mode;

    // Start and stop are serialised; everything below is guarded by m_mutex
    // unless said otherwise.
    std::mutex m_lifecycle;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cond;

    std::string m_bindAddress = "127.0.0.1";
    uint16_t m_requestedPort = 0;
    std::string m_certFile;
    std::string m_keyFile;
    bool m_authRequired;
    std::string m_login;
    std::string m_password;
    std::atomic<bool> m_verbose{false};
    std::atomic<bool> m_allowRemotePlain{false};

    bool m_running = false;
    bool m_stopping = false;
    uint16_t m_port = 0;
    std::string m_error;

    // Owned by start()/stop() and the accept thread, which only reads them.
    int m_listenFd = -1;
    int m_wakeFds[2] = {-1, -1};
    SSL_CTX *m_tlsContext = nullptr;
    std::thread m_acceptThread;
    std::list<Worker> m_workers; // touched by the accept thread, then by stop()
    //! Accepted connections no worker has taken yet (owned here).
    std::deque<SimConnection *> m_pending;
    //! Workers waiting for a connection.
    int m_idleWorkers = 0;
    //! Wakes idle workers; apart from m_cond, which every request signals.
    std::condition_variable m_workerCond;
    //! How long a worker without a connection waits for the next one.
    static constexpr int kWorkerIdleMs = 30000;

    std::set<SimConnection *> m_connections;
    std::map<std::string, std::shared_ptr<const Handler>> m_handlers;

    bool m_closeAfterResponse = false;
    bool m_neverAnswer = false;
    bool m_sendContinue = false;
    SimResponse::LengthMode m_lengthMode = SimResponse::LengthActual;
    int m_faultCount = 0;
    int m_faultCode = SimFault::kGenericCode;
    std::string m_faultString;
    int m_responseDelayMs = 0;
    std::map<std::string, int> m_methodDelays;

    uint64_t m_connectionsAccepted = 0;
    uint64_t m_requestsReceived = 0;
    uint64_t m_requestsServed = 0;
    std::string m_lastRequest;
    std::string m_lastMethodName;
};

#endif // DRIVERSIMULATOR_H
