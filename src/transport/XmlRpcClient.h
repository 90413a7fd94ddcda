#ifndef XMLRPCCLIENT_H
#define XMLRPCCLIENT_H

#include "AXOCommGlobal.h"
#include "XmlRpcDispatch.h"
#include "XmlRpcSource.h"
#include "XmlRpcValue.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

typedef struct ssl_ctx_st SSL_CTX;

namespace XmlRpc {

//! One XML-RPC call at a time against one endpoint, over HTTP/1.1 with
//! keep-alive, plain or inside TLS with Basic authentication.
//!
//! A call's time limit covers all of it: connecting, the TLS handshake,
//! writing the request and reading the response, a reconnection included.
//!
//! close() may be called from another thread while execute() runs: the call
//! in flight then ends at once with a failure and the executing thread closes
//! the connection itself before execute() returns.
//!
//! The driver's TLS certificate is checked only once setPeerVerification()
//! has named a CA file; until then every new TLS connection reports through
//! the error handler that the certificate is not verified.
class AXOCOMM_EXPORT XmlRpcClient : public XmlRpcSource
{
public:
    //! The step at which the last call failed.
    enum CallFailure {
        NoFailure = 0,
        AlreadyExecuting = 1, //!< another call was running (not recorded: that call owns the field)
        ConnectionSetup = 2,  //!< connecting (or the TLS set-up) failed
        RequestGeneration = 3,
        Exchange = 4,         //!< the exchange broke off or ran out of time
        ResponseParse = 5     //!< the response was not a methodResponse, or its header
                              //!< framed the body in a way this client does not read
    };

    //! Connection states.
    enum ClientConnectionState {
        NO_CONNECTION = 0,
        CONNECTING = 1,
        WRITE_REQUEST = 2,
        READ_HEADER = 3,
        READ_RESPONSE = 4,
        IDLE = 5
    };

    static const char REQUEST_BEGIN[];
    static const char REQUEST_END_METHODNAME[];
    static const char PARAMS_TAG[];
    static const char PARAMS_ETAG[];
    static const char PARAM_TAG[];
    static const char PARAM_ETAG[];
    static const char REQUEST_END[];
    static const char METHODRESPONSE_TAG[];
    static const char FAULT_TAG[];
    static const char USER_AGENT[];

    //! A plain client without credentials.
    XmlRpcClient(const char *host, int port, const char *uri = nullptr);
    //! A TLS client sending Basic authentication; certificatePath names the
    //! PEM file loaded as verification locations.
    XmlRpcClient(const char *host, int port, const char *login, const char *password,
                 const char *certificatePath, bool useTLS, const char *uri = nullptr);
    ~XmlRpcClient() override;

    //! Verifies the driver's certificate on every TLS connection made from
    //! now on: its chain must verify against the PEM certificates in caFile
    //! alone (the certificate path given to the constructor is then not
    //! used), and it must be issued for peerName, or for the host connected
    //! to when peerName is empty; a numeric address is matched as an IP
    //! address, anything else as a DNS name. A certificate that fails ends
    //! the connection set-up, which reports why through the error handler.
    //! An empty caFile switches the check off (the default). Not while a
    //! call runs.
    void setPeerVerification(const std::string &caFile, const std::string &peerName = std::string());
    bool verifiesPeer() const { return !_caFile.empty(); }

    //! One call; a negative time limit waits without limit. True when a
    //! response was parsed into result (a fault response included).
    bool execute(const char *method, const XmlRpcValue &params, XmlRpcValue &result, double timeoutSeconds);

    bool isFault() const { return _isFault; }
    //! Why the last call of this thread failed; read it only from the thread that made the call.
    CallFailure lastFailure() const { return _lastFailure; }
    bool isExecuting() const { return _executing.load(); }
    int connectionState() const { return _connectionState; }
    const std::string &host() const { return _host; }
    int port() const { return _port; }
    const std::string &uri() const { return _uri; }

    void close() override;
    unsigned handleEvent(unsigned eventType) override;

protected:
    bool doConnect() override;
    virtual bool setupConnection();
    virtual bool generateRequest(const char *method, const XmlRpcValue &params);
    virtual std::string generateHeader(const std::string &body);
    virtual bool writeRequest();
    virtual bool readHeader();
    virtual bool parseHeader();
    virtual bool readResponse();
    virtual bool parseResponse(XmlRpcValue &result);

    //! True once close() from another thread has asked the call in flight to end.
    bool closeRequested() const { return _closeRequested.load(); }

    int _connectionState;
    std::string _host;
    std::string _uri;
    int _port;
    std::string _login;
    std::string _password;
    std::string _request;
    std::string _header;
    std::string _response;
    int _sendAttempts;
    int _bytesWritten;
    std::atomic<bool> _executing;
    bool _eof;
    bool _isFault;
    int _contentLength;
    std::string _certificatePath;
    SSL_CTX *_sslContext;
    bool _sslReady;
    XmlRpcDispatch _disp;

private:
    void closeConnection();
    void writeAtOnce();
    bool responsePending() const;
    bool responseBuffered() const;
    bool unusableWhileIdle();
    bool setupSslContext();
    bool connectTls(int fd);
    bool waitForSocket(int fd, bool writable, std::string *reason);
    bool handshake(SSL *session, int fd, std::string *reason);
    //! The name the driver's certificate must be issued for.
    const std::string &expectedPeerName() const { return _peerName.empty() ? _host : _peerName; }
    bool expectPeerName(SSL *session);
    //! Seconds left of the call's time limit (0 once it has run out); negative: no limit.
    double timeLeft() const;
    void endCall();

    std::mutex _callMutex; // guards _executing against close() from other threads
    std::thread::id _executingThread;
    std::atomic<bool> _closeRequested;
    CallFailure _lastFailure = NoFailure;
    // The header of the call in flight was complete but is not one this
    // client reads (no usable length, a transfer coding): the connection is
    // out of step and is dropped.
    bool _headerRefused = false;
    // More bytes came than the body's length: the connection is dropped once
    // the response is delivered.
    bool _bytesBeyondResponse = false;
    double _deadline = -1.0; // of the call in flight, XmlRpcDispatch::getTime() seconds; negative: none
    std::string _caFile;   // empty: the driver's certificate is not verified
    std::string _peerName; // empty: the host connected to
};

} // namespace XmlRpc

#endif // XMLRPCCLIENT_H
