#ifndef SIMCONNECTION_H
#define SIMCONNECTION_H

#include <cstddef>
#include <string>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

//! One accepted socket of the simulator, plain or TLS, with blocking I/O.
//! Owned and used by a single connection thread; shutdownSocket() may be
//! called from another thread to make pending and later I/O fail at once,
//! as long as the caller makes sure close() is not running at that moment.
class SimConnection
{
public:
    //! Takes ownership of fd. With a context the connection speaks TLS once
    //! handshake() succeeded.
    SimConnection(int fd, SSL_CTX *tlsContext, const std::string &peer);
    ~SimConnection();

    SimConnection(const SimConnection &) = delete;
    SimConnection &operator=(const SimConnection &) = delete;

    //! Runs the TLS server handshake; plain connections succeed at once.
    bool handshake(std::string *error);

    //! Reads what is available, up to size bytes: the count, 0 at the peer's
    //! orderly close, -1 on error.
    long read(char *buffer, size_t size);
    //! Hands all of data to the socket in one send (plain) or one SSL_write
    //! (TLS); false when the connection failed.
    bool write(const std::string &data);

    //! Sends the TLS close alert (TLS) and closes the socket.
    void close();
    //! True once the peer closed its side (or the socket failed), without
    //! reading anything: a held call checks it to give up on a caller that
    //! went away. Thread-safe like shutdownSocket().
    bool peerHungUp() const;
    //! Shuts the socket down both ways without closing the descriptor, so
    //! a thread blocked in read() or write() returns. Thread-safe.
    void shutdownSocket();

    bool isTls() const { return m_tlsContext != nullptr; }
    const std::string &peer() const { return m_peer; }

private:
    int m_fd;
    SSL_CTX *m_tlsContext;
    SSL *m_ssl = nullptr;
    std::string m_peer;
};

#endif // SIMCONNECTION_H
