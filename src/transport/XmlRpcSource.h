#ifndef XMLRPCSOURCE_H
#define XMLRPCSOURCE_H

#include "AXOCommGlobal.h"

#include <mutex>
#include <string>

typedef struct ssl_st SSL;

class XmlRpcDispatch;

namespace XmlRpc {

//! A socket watched by the dispatcher, optionally carrying a TLS session.
//!
//! The socket handle is published under a lock so that another thread may
//! shut the connection down (abortSocket) while the owning thread is blocked
//! on it; only the owning thread ever closes the handle.
class AXOCOMM_EXPORT XmlRpcSource
{
public:
    //! A source on socket \p fd (-1: none yet), TLS when \p useSSL.
    explicit XmlRpcSource(int fd = -1, bool useSSL = false);
    //! Frees the TLS session.
    virtual ~XmlRpcSource();

    //! Not copyable.
    XmlRpcSource(const XmlRpcSource &) = delete;
    //! Not assignable.
    XmlRpcSource &operator=(const XmlRpcSource &) = delete;

    //! The socket handle; -1 when closed.
    int getfd() const;
    //! Publishes a new socket handle.
    void setfd(int fd);

    //! Whether the dispatcher leaves the socket open when it stops watching it.
    bool getKeepOpen() const { return m_keepOpen; }
    //! Sets whether the dispatcher leaves the socket open when it stops watching it.
    void setKeepOpen(bool keepOpen = true) { m_keepOpen = keepOpen; }
    //! Makes close() delete the source.
    void setDeleteOnClose(bool deleteOnClose = true) { m_deleteOnClose = deleteOnClose; }

    //! Whether the source carries TLS.
    bool isSSL() const { return m_ssl; }
    //! The TLS session; null when none.
    SSL *getSslSession() const { return m_sslSession; }
    //! Takes effect only on a TLS source.
    void setSslSession(SSL *session);

    //! Closes the socket (after a TLS close_notify); deletes the source when asked to.
    virtual void close();
    //! Handles the events of the mask; returns the new mask (0: stop watching).
    virtual unsigned handleEvent(unsigned eventType) = 0;
    //! Connects the socket; the base has nothing to connect and returns true.
    virtual bool doConnect();

protected:
    //! Reads what is available; false on a fatal error. Sets *eof when the peer closed.
    //! Without TLS it returns once a read has emptied the socket, unless the
    //! dispatcher's last wait saw the peer close: then it reads on to the end.
    //! Either way it returns after about a megabyte, so that a peer that
    //! keeps sending cannot hold the caller past its time limit; a TLS
    //! session may then hold decrypted bytes that no wait shows (SSL_pending).
    bool nbRead(std::string &data, bool *eof);
    //! Writes from *bytesSoFar on; false on a fatal error.
    bool nbWrite(const std::string &data, int *bytesSoFar);
    //! Shuts the connection down from any thread; a blocked read, write,
    //! connect or wait on the socket returns at once.
    void abortSocket();
    //! Shuts down and frees the TLS session.
    void freeSslSession();

    bool m_ssl; //!< the source carries TLS

private:
    friend class ::XmlRpcDispatch;

    mutable std::mutex m_fdMutex;
    int m_fd;
    SSL *m_sslSession;
    bool m_deleteOnClose;
    bool m_keepOpen;
    // Set by the dispatcher before it hands over events: its wait saw the
    // peer end the stream, or the socket fail.
    bool m_peerClosed;
};

} // namespace XmlRpc

#endif // XMLRPCSOURCE_H
