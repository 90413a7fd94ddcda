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
        NoFailure = 0, //!< the last call succeeded (or none was made)
        AlreadyExecuting = 1, //!< another call was running (not recorded: that call owns the field)
        ConnectionSetup = 2,  //!< connecting (or the TLS set-up) failed
        RequestGeneration = 3, //!< the request could not be written
        Exchange = 4,         //!< the exchange broke off or ran out of time
        ResponseParse = 5     //!< the response was not a methodResponse, or its header
                              //!< framed the body in a way this client does not read
    };

    //! Connection states.
    enum ClientConnectionState {
        NO_CONNECTION = 0, //!< no socket open
        CONNECTING = 1, //!< the socket is being connected
        WRITE_REQUEST = 2, //!< connected, the request is being written
        READ_HEADER = 3, //!< the HTTP header of the response is being read
        READ_RESPONSE = 4, //!< the body of the response is being read
        IDLE = 5 //!< a response was read; the connection is kept open for the next call
    };

    //! The XML declaration and the opening of methodCall and methodName.
    static const char REQUEST_BEGIN[];
    //! The closing methodName tag.
    static const char REQUEST_END_METHODNAME[];
    //! "<params>"
    static const char PARAMS_TAG[];
    //! "</params>"
    static const char PARAMS_ETAG[];
    //! "<param>"
    static const char PARAM_TAG[];
    //! "</param>"
    static const char PARAM_ETAG[];
    //! The closing methodCall tag.
    static const char REQUEST_END[];
    //! The tag a response must start with: "methodResponse".
    static const char METHODRESPONSE_TAG[];
    //! The tag of a fault response: "fault".
    static const char FAULT_TAG[];
    //! The User-Agent header value of every request.
    static const char USER_AGENT[];

    //! A plain client without credentials.
    XmlRpcClient(const char *host, int port, const char *uri = nullptr);
    //! A TLS client sending Basic authentication; certificatePath names the
    //! PEM file loaded as verification locations.
    XmlRpcClient(const char *host, int port, const char *login, const char *password,
                 const char *certificatePath, bool useTLS, const char *uri = nullptr);
    //! Closes the connection and frees the TLS context.
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
    //! Whether setPeerVerification() named a CA file.
    bool verifiesPeer() const { return !_caFile.empty(); }

    //! One call; a negative time limit waits without limit. True when a
    //! response was parsed into result (a fault response included).
    bool execute(const char *method, const XmlRpcValue &params, XmlRpcValue &result, double timeoutSeconds);

    //! Opens the connection now (with the TLS handshake for a TLS client)
    //! unless one is open, so that the next call finds it ready; the same
    //! rules as execute() for threads and close(). True when a connection is
    //! open.
    bool open(double timeoutSeconds);

    //! Whether the last response was a fault response.
    bool isFault() const { return _isFault; }
    //! Why the last call of this thread failed; read it only from the thread that made the call.
    CallFailure lastFailure() const { return _lastFailure; }
    //! Whether a call is running in some thread.
    bool isExecuting() const { return _executing.load(); }
    //! Whether the client holds an open connection that no call is using
    //! (idle, not ended by the peer as far as seen, no close pending).
    bool isOpenAndIdle() const;
    //! The ClientConnectionState of the connection.
    int connectionState() const { return _connectionState; }
    //! The host connected to.
    const std::string &host() const { return _host; }
    //! The port connected to.
    int port() const { return _port; }
    //! The URI posted to.
    const std::string &uri() const { return _uri; }

    //! Closes the connection; from another thread while a call runs, ends that call at once instead.
    void close() override;
    //! Writes the request and reads the response as the socket allows; 0 when the exchange ended or failed.
    unsigned handleEvent(unsigned eventType) override;

protected:
    //! Opens the socket and connects it, with the TLS handshake for a TLS client.
    bool doConnect() override;
    //! Connects when there is no usable connection and waits to write the request.
    virtual bool setupConnection();
    //! Writes the header and methodCall body of a call into the request buffer.
    virtual bool generateRequest(const char *method, const XmlRpcValue &params);
    //! The HTTP POST header for that body, with Basic authentication when a login is set.
    virtual std::string generateHeader(const std::string &body);
    //! Writes what the socket takes of the request; READ_HEADER once all of it went out.
    virtual bool writeRequest();
    //! Reads the header; reconnects and resends once when a kept-open connection was dropped.
    virtual bool readHeader();
    //! Finds the end of the header and Content-length; false for a header this client does not read.
    virtual bool parseHeader();
    //! Reads the body up to Content-length; false once it is complete (IDLE) or on failure.
    virtual bool readResponse();
    //! Reads the value of the methodResponse, or the fault value; false when malformed.
    virtual bool parseResponse(XmlRpcValue &result);

    //! True once close() from another thread has asked the call in flight to end.
    bool closeRequested() const { return _closeRequested.load(); }

    int _connectionState; //!< a ClientConnectionState
    std::string _host; //!< host to connect to
    std::string _uri; //!< URI posted to
    int _port; //!< port to connect to
    std::string _login; //!< Basic authentication user; empty: none
    std::string _password; //!< Basic authentication password
    std::string _request; //!< header and body of the call in flight
    std::string _header; //!< the response header read so far
    std::string _response; //!< the response body read so far
    int _sendAttempts; //!< resends of the request in this call
    int _bytesWritten; //!< bytes of _request written
    std::atomic<bool> _executing; //!< a call is running
    bool _eof; //!< the peer closed the connection
    bool _isFault; //!< the last response was a fault
    int _contentLength; //!< length of the response body
    std::string _certificatePath; //!< PEM verification locations given to the constructor
    SSL_CTX *_sslContext; //!< TLS context; null until a TLS connection is made
    bool _sslReady; //!< the TLS context was set up
    XmlRpcDispatch _disp; //!< waits for the socket during a call

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

    mutable std::mutex _callMutex; // guards _executing against close() from other threads
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
