#include "XmlRpcClient.h"

#include "XmlRpcSocket.h"
#include "XmlRpcUtil.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>

namespace XmlRpc {

const char XmlRpcClient::REQUEST_BEGIN[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                           "<methodCall><methodName>";
const char XmlRpcClient::REQUEST_END_METHODNAME[] = "</methodName>\r\n";
const char XmlRpcClient::PARAMS_TAG[] = "<params>";
const char XmlRpcClient::PARAMS_ETAG[] = "</params>";
const char XmlRpcClient::PARAM_TAG[] = "<param>";
const char XmlRpcClient::PARAM_ETAG[] = "</param>";
const char XmlRpcClient::REQUEST_END[] = "</methodCall>\r\n";
const char XmlRpcClient::METHODRESPONSE_TAG[] = "methodResponse";
const char XmlRpcClient::FAULT_TAG[] = "fault";
const char XmlRpcClient::USER_AGENT[] = "XMLRPC++ 0.8";

namespace {

// A TLS write to a connection the peer has closed must fail with an error,
// not end the process: OpenSSL's socket I/O cannot ask for MSG_NOSIGNAL.
void ignoreSigpipeOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current;
        if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            struct sigaction ignore;
            std::memset(&ignore, 0, sizeof ignore);
            ignore.sa_handler = SIG_IGN;
            sigaction(SIGPIPE, &ignore, nullptr);
        }
    });
}

std::string sslErrorText()
{
    const unsigned long code = ERR_get_error();
    const char *text = ERR_error_string(code, nullptr);
    return text ? text : "";
}

// Why a handshake step failed: OpenSSL's own error, else what the socket said.
std::string handshakeErrorText(int sslCode)
{
    if (ERR_peek_error() != 0)
        return sslErrorText();
    if (sslCode == SSL_ERROR_SYSCALL)
        return errno != 0 ? XmlRpcSocket::getErrorMsg() : std::string("connection closed by peer");
    return "SSL error " + std::to_string(sslCode);
}

// poll()'s wait in milliseconds for seconds left (negative: no limit), in
// pieces of at most a day so that a long limit cannot overflow.
int pollMilliseconds(double seconds)
{
    if (seconds < 0.0)
        return -1;
    return static_cast<int>(std::ceil(std::min(seconds, 86400.0) * 1000.0));
}

} // namespace

XmlRpcClient::XmlRpcClient(const char *host, int port, const char *uri)
    : XmlRpcSource(-1, false),
      _connectionState(NO_CONNECTION),
      _host(host ? host : ""),
      _uri(uri && *uri ? uri : "/RPC2"),
      _port(port),
      _sendAttempts(0),
      _bytesWritten(0),
      _executing(false),
      _eof(false),
      _isFault(false),
      _contentLength(0),
      _sslContext(nullptr),
      _sslReady(false),
      _closeRequested(false)
{
    XmlRpcUtil::log(1, "XmlRpcClient new client: host %s, port %d.", _host.c_str(), _port);
    setKeepOpen(true);
}

XmlRpcClient::XmlRpcClient(const char *host, int port, const char *login, const char *password,
                           const char *certificatePath, bool /*useTLS*/, const char *uri)
    : XmlRpcSource(-1, true),
      _connectionState(NO_CONNECTION),
      _host(host ? host : ""),
      _uri(uri && *uri ? uri : "/RPC2"),
      _port(port),
      _login(login ? login : ""),
      _password(password ? password : ""),
      _sendAttempts(0),
      _bytesWritten(0),
      _executing(false),
      _eof(false),
      _isFault(false),
      _contentLength(0),
      _certificatePath(certificatePath ? certificatePath : ""),
      _sslContext(nullptr),
      _sslReady(false),
      _closeRequested(false)
{
    XmlRpcUtil::log(1, "XmlRpcClient new client: host %s, port %d.", _host.c_str(), _port);
    setKeepOpen(true);
}

XmlRpcClient::~XmlRpcClient()
{
    XmlRpcUtil::log(1, "XmlRpcClient dtor client: host %s, port %d.", _host.c_str(), _port);
    if (_connectionState != NO_CONNECTION)
        closeConnection();
    _disp.removeSource(this);
    if (_sslContext) {
        SSL_CTX_free(_sslContext);
        _sslContext = nullptr;
    }
    freeSslSession();
}

void XmlRpcClient::setPeerVerification(const std::string &caFile, const std::string &peerName)
{
    _caFile = caFile;
    _peerName = peerName;
}

void XmlRpcClient::close()
{
    std::lock_guard<std::mutex> lock(_callMutex);
    if (_executing.load() && std::this_thread::get_id() != _executingThread) {
        // Another thread is inside execute(): end its call now. It sees the
        // request, fails the call and closes the connection itself.
        _closeRequested.store(true);
        abortSocket();
        return;
    }
    closeConnection();
}

bool XmlRpcClient::isOpenAndIdle() const
{
    std::lock_guard<std::mutex> lock(_callMutex);
    return !_executing.load() && !_closeRequested.load() && _connectionState == IDLE && !_eof;
}

void XmlRpcClient::closeConnection()
{
    XmlRpcUtil::log(4, "XmlRpcClient::close: fd %d.", getfd());
    _connectionState = NO_CONNECTION;
    _disp.exit();
    _disp.removeSource(this);
    XmlRpcSource::close();
}

void XmlRpcClient::endCall()
{
    std::lock_guard<std::mutex> lock(_callMutex);
    if (_closeRequested.exchange(false))
        closeConnection();
    _executing.store(false);
}

bool XmlRpcClient::execute(const char *method, const XmlRpcValue &params, XmlRpcValue &result,
                           double timeoutSeconds)
{
    {
        std::lock_guard<std::mutex> lock(_callMutex);
        if (_executing.load()) {
            // The state belongs to the call running in another thread: it is
            // only read (without a lock) when the transport is traced.
            if (XmlRpcUtil::getVerbosity() >= 1) {
                XmlRpcUtil::log(1, "XmlRpcClient::execute: method %s (_connectionState %d).", method,
                                _connectionState);
                XmlRpcUtil::log(1, "XmlRpcClient::execute: FAILED_01 method %s (_connectionState %d).", method,
                                _connectionState);
            }
            return false;
        }
        _executing.store(true);
        _executingThread = std::this_thread::get_id();
    }
    XmlRpcUtil::log(1, "XmlRpcClient::execute: method %s (_connectionState %d).", method, _connectionState);
    struct CallGuard
    {
        XmlRpcClient *client;
        ~CallGuard() { client->endCall(); }
    } guard{this};

    _sendAttempts = 0;
    _isFault = false;
    _lastFailure = NoFailure;
    _headerRefused = false;
    _bytesBeyondResponse = false;
    _deadline = timeoutSeconds < 0.0 ? -1.0 : XmlRpcDispatch::getTime() + timeoutSeconds;

    if (_connectionState == IDLE && !_eof && unusableWhileIdle()) {
        XmlRpcUtil::log(1, "XmlRpcClient::execute: the idle connection received data or failed; opening a new one.");
        closeConnection();
    }
    const bool keptOpen = _connectionState == IDLE && !_eof;
    if (!setupConnection()) {
        _lastFailure = ConnectionSetup;
        XmlRpcUtil::log(1, "XmlRpcClient::execute: FAILED_02 method %s (_connectionState %d).", method,
                        _connectionState);
        return false;
    }
    if (!generateRequest(method, params)) {
        _lastFailure = RequestGeneration;
        XmlRpcUtil::log(1, "XmlRpcClient::execute: FAILED_03 method %s (_connectionState %d).", method,
                        _connectionState);
        return false;
    }

    result.clear();
    if (keptOpen && _connectionState == WRITE_REQUEST && _bytesWritten == 0 && !closeRequested())
        writeAtOnce();
    _disp.work(timeLeft());

    const bool complete = _connectionState == IDLE && !closeRequested();
    const bool parsed = complete && parseResponse(result);
    // Whatever else the peer sends on this connection could be taken for
    // the start of the next response: it is not used again.
    if (_headerRefused || _bytesBeyondResponse)
        closeConnection();
    if (parsed) {
        XmlRpcUtil::log(1, "XmlRpcClient::execute: SUCCESS method %s (_connectionState %d).", method,
                        _connectionState);
        XmlRpcUtil::log(1, "XmlRpcClient::execute: method %s completed.", method);
        _response.clear();
        return true;
    }
    _lastFailure = complete || _headerRefused ? ResponseParse : Exchange;
    XmlRpcUtil::log(1, "XmlRpcClient::execute: FAILED_04 method %s (_connectionState %d).", method,
                    _connectionState);
    return false;
}

bool XmlRpcClient::open(double timeoutSeconds)
{
    {
        std::lock_guard<std::mutex> lock(_callMutex);
        if (_executing.load())
            return false;
        _executing.store(true);
        _executingThread = std::this_thread::get_id();
    }
    struct CallGuard
    {
        XmlRpcClient *client;
        ~CallGuard() { client->endCall(); }
    } guard{this};
    _deadline = timeoutSeconds < 0.0 ? -1.0 : XmlRpcDispatch::getTime() + timeoutSeconds;
    if (_connectionState == IDLE && !_eof && !unusableWhileIdle())
        return true;
    if (_connectionState != NO_CONNECTION || _eof)
        closeConnection();
    _eof = false;
    if (closeRequested() || !doConnect())
        return false;
    if (!isSSL()) {
        // A plain connect completes in the background: wait for it here.
        std::string reason;
        int error = 0;
        if (!waitForSocket(getfd(), true, &reason) || (error = XmlRpcSocket::pendingError(getfd())) != 0) {
            if (error != 0)
                reason = XmlRpcSocket::getErrorMsg(error);
            closeConnection();
            XmlRpcUtil::error("Error in XmlRpcClient::open: Could not connect to server (%s).", reason.c_str());
            return false;
        }
    }
    _connectionState = IDLE;
    return true;
}

void XmlRpcClient::writeAtOnce()
{
    // The connection kept open since the last call can normally take the
    // request without a wait for writability. Should it have broken in the
    // meantime, the request is left to the dispatcher, whose wait reports
    // the broken connection as it would have without this write.
    XmlRpcUtil::log(5, "XmlRpcClient::writeRequest (attempt %d):\n%s\n", _sendAttempts + 1, _request.c_str());
    int written = 0;
    const bool ok = nbWrite(_request, &written);
    _bytesWritten = written;
    if (!ok)
        return; // the wait reports it, quoting the error the write met when the socket keeps none
    XmlRpcUtil::log(3, "XmlRpcClient::writeRequest: wrote %d of %d bytes.", _bytesWritten,
                    static_cast<int>(_request.size()));
    if (_bytesWritten == static_cast<int>(_request.size())) {
        _header.clear();
        _response.clear();
        _connectionState = READ_HEADER;
        _disp.setSourceEvents(this, XmlRpcDispatch::ReadableEvent | XmlRpcDispatch::Exception);
    }
}

bool XmlRpcClient::responsePending() const
{
    // Data a TLS session has already taken off the socket shows in no wait.
    SSL *session = getSslSession();
    return session && SSL_has_pending(session) == 1;
}

bool XmlRpcClient::responseBuffered() const
{
    // Decrypted bytes a read left in the session: readable without a wait.
    SSL *session = getSslSession();
    return session && SSL_pending(session) > 0;
}

bool XmlRpcClient::unusableWhileIdle()
{
    // Between calls the peer has nothing to send: data now would be read as
    // the start of the next response. An end of the stream is left to the
    // read of the next response, which reconnects and sends again.
    const int fd = getfd();
    if (fd < 0)
        return false;
    if (!responsePending()) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, 0) <= 0 || !(entry.revents & (POLLIN | POLLERR | POLLHUP)))
            return false;
    }
    char byte;
    SSL *session = getSslSession();
    if (!session)
        return ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
    // Records after the handshake (session tickets) carry no data; the peek
    // takes them in. A session that fails here, its end included, cannot
    // carry the next call: it is replaced as well.
    ERR_clear_error();
    const int n = SSL_peek(session, &byte, 1);
    if (n > 0)
        return true;
    const int code = SSL_get_error(session, n);
    return code != SSL_ERROR_WANT_READ && code != SSL_ERROR_WANT_WRITE;
}

double XmlRpcClient::timeLeft() const
{
    if (_deadline < 0.0)
        return -1.0;
    const double left = _deadline - XmlRpcDispatch::getTime();
    return left > 0.0 ? left : 0.0;
}

bool XmlRpcClient::waitForSocket(int fd, bool writable, std::string *reason)
{
    for (;;) {
        if (closeRequested()) {
            *reason = "closed from another thread";
            return false;
        }
        const double left = timeLeft();
        if (left == 0.0) {
            *reason = "time limit reached";
            return false;
        }
        pollfd entry{fd, static_cast<short>(writable ? POLLOUT : POLLIN), 0};
        const int ready = ::poll(&entry, 1, pollMilliseconds(left));
        // Ready or failed: the next step on the socket tells which.
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR) {
            *reason = XmlRpcSocket::getErrorMsg();
            return false;
        }
    }
}

bool XmlRpcClient::setupConnection()
{
    if (closeRequested())
        return false;
    if ((_connectionState != NO_CONNECTION && _connectionState != IDLE) || _eof)
        closeConnection();

    _eof = false;
    if (_connectionState == NO_CONNECTION && !doConnect())
        return false;

    _connectionState = WRITE_REQUEST;
    _bytesWritten = 0;
    _disp.removeSource(this);
    _disp.addSource(this, XmlRpcDispatch::WritableEvent | XmlRpcDispatch::Exception);
    return true;
}

bool XmlRpcClient::setupSslContext()
{
    OPENSSL_init_ssl(0, nullptr);
    OPENSSL_init_ssl(OPENSSL_INIT_LOAD_SSL_STRINGS | OPENSSL_INIT_LOAD_CRYPTO_STRINGS, nullptr);
    OPENSSL_init_crypto(OPENSSL_INIT_ADD_ALL_CIPHERS | OPENSSL_INIT_ADD_ALL_DIGESTS, nullptr);

    SSL_CTX *context = SSL_CTX_new(TLS_client_method());
    if (_sslContext)
        SSL_CTX_free(_sslContext);
    _sslContext = context;
    _sslReady = false;
    if (!context) {
        XmlRpcUtil::error("SSL_CTX_new failed");
        return false;
    }
    if (verifiesPeer()) {
        // The CA file alone is trusted: nothing else may vouch for the driver.
        ERR_clear_error();
        if (SSL_CTX_load_verify_locations(context, _caFile.c_str(), nullptr) != 1) {
            const std::string reason = sslErrorText();
            ERR_clear_error();
            XmlRpcUtil::error("Error in XmlRpcClient::doConnect: cannot read the CA file %s to verify the "
                              "certificate of %s:%d (%s).",
                              _caFile.c_str(), _host.c_str(), _port, reason.c_str());
            return false;
        }
        SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    } else if (SSL_CTX_load_verify_locations(context, _certificatePath.c_str(), nullptr) != 1) {
        XmlRpcUtil::error("XmlRpcSocket::enableSSL: unable to load or verify certificate");
        return false;
    }
    _sslReady = true;
    return true;
}

bool XmlRpcClient::doConnect()
{
    if (m_ssl)
        ignoreSigpipeOnce();
    if (m_ssl && !setupSslContext()) {
        XmlRpcUtil::error("XmlRpcClient::doConnect: unable to enable SSL (%s)",
                          XmlRpcSocket::getErrorMsg().c_str());
        return false;
    }

    const int fd = XmlRpcSocket::socket();
    if (fd < 0) {
        XmlRpcUtil::error("Error in XmlRpcClient::doConnect: Could not create socket (%s).",
                          XmlRpcSocket::getErrorMsg().c_str());
        return false;
    }
    XmlRpcUtil::log(3, "XmlRpcClient::doConnect: fd %d.", fd);
    setfd(fd);
    // A close() from another thread may have come before the handle was
    // published; from here on it shuts the socket down instead.
    if (closeRequested()) {
        closeConnection();
        return false;
    }

    if (!XmlRpcSocket::setNonBlocking(fd)) {
        const std::string reason = XmlRpcSocket::getErrorMsg();
        closeConnection();
        XmlRpcUtil::error("Error in XmlRpcClient::doConnect: Could not set socket to non-blocking IO mode (%s).",
                          reason.c_str());
        return false;
    }

    if (!XmlRpcSocket::connect(fd, _host, _port)) {
        const std::string reason = XmlRpcSocket::getErrorMsg();
        closeConnection();
        XmlRpcUtil::error("Error in XmlRpcClient::doConnect: Could not connect to server (%s).", reason.c_str());
        return false;
    }

    // A plain connection completes under the dispatcher's wait.
    return !m_ssl || connectTls(fd);
}

// Waits for the connection, then runs the handshake, all on the non-blocking
// socket within the call's time limit. close() from another thread shuts the
// socket down, which ends either wait at once.
bool XmlRpcClient::connectTls(int fd)
{
    std::string reason;
    int error = 0;
    if (!waitForSocket(fd, true, &reason) || (error = XmlRpcSocket::pendingError(fd)) != 0) {
        if (error != 0)
            reason = XmlRpcSocket::getErrorMsg(error);
        closeConnection();
        XmlRpcUtil::error("Error in XmlRpcClient::doConnect: Could not connect to server (%s).", reason.c_str());
        return false;
    }

    freeSslSession();
    SSL *session = SSL_new(_sslContext);
    if (!session) {
        reason = sslErrorText();
        closeConnection();
        XmlRpcUtil::error("XmlRpcSocket::enableSSL: unable to create SSL handle: %s.", reason.c_str());
        return false;
    }
    setSslSession(session);
    if (SSL_set_fd(session, fd) != 1) {
        reason = sslErrorText();
        freeSslSession();
        closeConnection();
        XmlRpcUtil::error("XmlRpcSocket::enableSSL: unable to bind socket to SSL handle: %s.", reason.c_str());
        return false;
    }
    if (verifiesPeer() && !expectPeerName(session)) {
        reason = sslErrorText();
        freeSslSession();
        closeConnection();
        XmlRpcUtil::error("Error in XmlRpcClient::doConnect: cannot check the certificate of %s:%d for the name "
                          "\"%s\" (%s).",
                          _host.c_str(), _port, expectedPeerName().c_str(), reason.c_str());
        return false;
    }
    SSL_set_connect_state(session);
    if (!handshake(session, fd, &reason) || closeRequested()) {
        const long verified = SSL_get_verify_result(session);
        // The session never completed a handshake: free it without a
        // close_notify on a socket that may be gone.
        SSL_free(session);
        setSslSession(nullptr);
        closeConnection();
        if (verifiesPeer() && verified != X509_V_OK)
            XmlRpcUtil::error("Error in XmlRpcClient::doConnect: the certificate of %s:%d is refused: %s "
                              "(CA file %s, name \"%s\").",
                              _host.c_str(), _port, X509_verify_cert_error_string(verified), _caFile.c_str(),
                              expectedPeerName().c_str());
        else
            XmlRpcUtil::error("XmlRpcSocket::enableSSL: SSL_connect failed: %s.", reason.c_str());
        return false;
    }
    if (!verifiesPeer())
        XmlRpcUtil::error("Warning in XmlRpcClient::doConnect: the certificate of %s:%d is not verified "
                          "(no CA file set).",
                          _host.c_str(), _port);
    XmlRpcUtil::log(5, "Connected to %d", static_cast<int>(reinterpret_cast<intptr_t>(session)));
    return true;
}

// The check the handshake makes besides the chain: the certificate names
// the address or the host name the client expects.
bool XmlRpcClient::expectPeerName(SSL *session)
{
    const std::string &name = expectedPeerName();
    if (name.empty())
        return false; // an empty name would switch the check off
    ERR_clear_error();
    unsigned char address[sizeof(in6_addr)];
    if (inet_pton(AF_INET, name.c_str(), address) == 1 || inet_pton(AF_INET6, name.c_str(), address) == 1)
        return X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(session), name.c_str()) == 1;
    SSL_set_hostflags(session, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    return SSL_set1_host(session, name.c_str()) == 1;
}

bool XmlRpcClient::handshake(SSL *session, int fd, std::string *reason)
{
    for (;;) {
        ERR_clear_error();
        errno = 0;
        const int result = SSL_connect(session);
        if (result == 1)
            return true;
        const int code = SSL_get_error(session, result);
        if (code != SSL_ERROR_WANT_READ && code != SSL_ERROR_WANT_WRITE) {
            *reason = handshakeErrorText(code);
            return false;
        }
        if (!waitForSocket(fd, code == SSL_ERROR_WANT_WRITE, reason))
            return false;
    }
}

bool XmlRpcClient::generateRequest(const char *method, const XmlRpcValue &params)
{
    std::string body = REQUEST_BEGIN;
    body += method;
    body += REQUEST_END_METHODNAME;

    if (params.valid()) {
        body += PARAMS_TAG;
        if (params.getType() == XmlRpcValue::TypeArray) {
            for (const XmlRpcValue &element : params.asArray()) {
                body += PARAM_TAG;
                element.appendXml(body);
                body += PARAM_ETAG;
            }
        } else {
            body += PARAM_TAG;
            params.appendXml(body);
            body += PARAM_ETAG;
        }
        body += PARAMS_ETAG;
    }
    body += REQUEST_END;

    const std::string header = generateHeader(body);
    XmlRpcUtil::log(4, "XmlRpcClient::generateRequest: header is %d bytes, content-length is %d.",
                    static_cast<int>(header.size()), static_cast<int>(body.size()));
    _request.reserve(header.size() + body.size());
    _request = header;
    _request += body;
    return true;
}

std::string XmlRpcClient::generateHeader(const std::string &body)
{
    std::string header = "POST " + _uri + " HTTP/1.1\r\nUser-Agent: ";
    header += USER_AGENT;
    header += "\r\nHost: ";
    header += _host;

    char buffer[40];
    std::snprintf(buffer, sizeof buffer, ":%d\r\n", _port);
    header += buffer;

    if (!_login.empty()) {
        const std::string credentials = _login + ":" + _password;
        std::string encoded;
        XmlRpcUtil::base64Encode(encoded, reinterpret_cast<const unsigned char *>(credentials.data()),
                                 credentials.size(), false);
        std::string line;
        for (char c : encoded)
            if (c != '\r' && c != '\n')
                line += c;
        header += "Authorization: Basic ";
        header += line;
        header += "\r\n";
    }

    header += "Content-Type: text/xml\r\nContent-length: ";
    std::snprintf(buffer, sizeof buffer, "%zu\r\n\r\n", body.size());
    header += buffer;
    return header;
}

unsigned XmlRpcClient::handleEvent(unsigned eventType)
{
    if (closeRequested())
        return 0;

    if (eventType == XmlRpcDispatch::Exception) {
        const int error = XmlRpcSocket::getSocketError(getfd());
        if (_connectionState == WRITE_REQUEST && _bytesWritten == 0)
            XmlRpcUtil::error("Error in XmlRpcClient::handleEvent: could not connect to server (%s).",
                              XmlRpcSocket::getErrorMsg(error).c_str());
        else
            XmlRpcUtil::error("Error in XmlRpcClient::handleEvent (state %d): %s.", _connectionState,
                              XmlRpcSocket::getErrorMsg(error).c_str());
        return 0;
    }

    if (_connectionState == WRITE_REQUEST) {
        if (!writeRequest())
            return 0;
        // The request has just gone out: wait for the answer rather than
        // try a read that finds nothing yet.
        if (_connectionState == READ_HEADER && !responsePending())
            return XmlRpcDispatch::ReadableEvent | XmlRpcDispatch::Exception;
    }
    // A read stops now and then so that the time limit is checked; what a
    // TLS session then still holds shows in no wait and is read here.
    do {
        if (_connectionState == READ_HEADER && !readHeader())
            return 0;
        if (_connectionState == READ_RESPONSE && !readResponse())
            return 0;
    } while ((_connectionState == READ_HEADER || _connectionState == READ_RESPONSE) && responseBuffered()
             && timeLeft() != 0.0);

    return _connectionState == WRITE_REQUEST ? XmlRpcDispatch::WritableEvent | XmlRpcDispatch::Exception
                                             : XmlRpcDispatch::ReadableEvent | XmlRpcDispatch::Exception;
}

bool XmlRpcClient::writeRequest()
{
    if (_bytesWritten == 0)
        XmlRpcUtil::log(5, "XmlRpcClient::writeRequest (attempt %d):\n%s\n", _sendAttempts + 1, _request.c_str());

    if (!nbWrite(_request, &_bytesWritten)) {
        XmlRpcUtil::error("Error in XmlRpcClient::writeRequest: write error (%s).",
                          XmlRpcSocket::getErrorMsg().c_str());
        return false;
    }

    XmlRpcUtil::log(3, "XmlRpcClient::writeRequest: wrote %d of %d bytes.", _bytesWritten,
                    static_cast<int>(_request.size()));

    if (_bytesWritten == static_cast<int>(_request.size())) {
        _header.clear();
        _response.clear();
        _connectionState = READ_HEADER;
    }
    return true;
}

} // namespace XmlRpc
