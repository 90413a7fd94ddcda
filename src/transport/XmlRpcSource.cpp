#include "XmlRpcSource.h"

#include "XmlRpcSocket.h"
#include "XmlRpcUtil.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <cerrno>
#include <sys/socket.h>

namespace XmlRpc {

namespace {

// Reads of one nbRead() call: about a megabyte, then the caller gets to
// check its time limit even while a peer keeps sending.
const int kReadsPerCall = 256;

} // namespace

XmlRpcSource::XmlRpcSource(int fd, bool useSSL)
    : m_ssl(useSSL),
      m_fd(fd),
      m_sslSession(nullptr),
      m_deleteOnClose(false),
      m_keepOpen(false),
      m_peerClosed(false)
{
}

XmlRpcSource::~XmlRpcSource()
{
    freeSslSession();
}

int XmlRpcSource::getfd() const
{
    std::lock_guard<std::mutex> lock(m_fdMutex);
    return m_fd;
}

void XmlRpcSource::setfd(int fd)
{
    std::lock_guard<std::mutex> lock(m_fdMutex);
    m_fd = fd;
    m_peerClosed = false;
}

void XmlRpcSource::setSslSession(SSL *session)
{
    if (m_ssl)
        m_sslSession = session;
}

void XmlRpcSource::freeSslSession()
{
    // Only ever called once the session's socket is closed or never worked:
    // nothing may be written, the handle number may already be reused.
    if (m_sslSession) {
        SSL_free(m_sslSession);
        m_sslSession = nullptr;
    }
}

void XmlRpcSource::close()
{
    {
        std::lock_guard<std::mutex> lock(m_fdMutex);
        if (m_fd != -1) {
            if (m_sslSession)
                SSL_shutdown(m_sslSession); // best effort close_notify, never blocks
            XmlRpcUtil::log(2, "XmlRpcSource::close: closing socket %d.", m_fd);
            XmlRpcUtil::log(4, "XmlRpcSocket::close: fd %d.", m_fd);
            XmlRpcSocket::close(m_fd);
            m_fd = -1;
        }
    }
    if (m_deleteOnClose) {
        XmlRpcUtil::log(2, "XmlRpcSource::close: deleting this");
        m_deleteOnClose = false;
        delete this;
    }
}

bool XmlRpcSource::doConnect()
{
    return true;
}

void XmlRpcSource::abortSocket()
{
    std::lock_guard<std::mutex> lock(m_fdMutex);
    if (m_fd != -1)
        ::shutdown(m_fd, SHUT_RDWR);
}

bool XmlRpcSource::nbRead(std::string &data, bool *eof)
{
    const int fd = getfd();
    if (fd < 0)
        return false;
    if (m_ssl && !m_sslSession) {
        XmlRpcUtil::error("XmlRpcSource::nbRead: SSL not initialized.");
        return false;
    }
    *eof = false;
    char buffer[4096];
    for (int reads = 1;; ++reads) {
        int n;
        if (m_ssl) {
            ERR_clear_error();
            n = SSL_read(m_sslSession, buffer, sizeof buffer - 1);
            XmlRpcUtil::log(5, "XmlRpcSource::nbRead: read/recv returned %d.", n);
            if (n > 0) {
                data.append(buffer, static_cast<size_t>(n));
                if (reads == kReadsPerCall)
                    return true;
                continue;
            }
            const int reason = SSL_get_error(m_sslSession, n);
            if (reason == SSL_ERROR_WANT_READ || reason == SSL_ERROR_WANT_WRITE)
                return true;
            if (reason == SSL_ERROR_ZERO_RETURN || (reason == SSL_ERROR_SYSCALL && errno == 0)) {
                *eof = true;
                return true;
            }
            if (reason == SSL_ERROR_SYSCALL && XmlRpcSocket::nonFatalError())
                return true;
            return false;
        }
        n = static_cast<int>(::recv(fd, buffer, sizeof buffer - 1, 0));
        XmlRpcUtil::log(5, "XmlRpcSource::nbRead: read/recv returned %d.", n);
        if (n > 0) {
            data.append(buffer, static_cast<size_t>(n));
            // Less than asked for: the socket has nothing more for now, and
            // the next wait tells when it has. When that wait saw the peer
            // close, read on to notice the end of the stream here.
            if ((static_cast<size_t>(n) < sizeof buffer - 1 && !m_peerClosed) || reads == kReadsPerCall)
                return true;
        } else if (n == 0) {
            *eof = true;
            return true;
        } else {
            return XmlRpcSocket::nonFatalError();
        }
    }
}

bool XmlRpcSource::nbWrite(const std::string &data, int *bytesSoFar)
{
    const int fd = getfd();
    if (fd < 0)
        return false;
    if (m_ssl && !m_sslSession) {
        XmlRpcUtil::error("XmlRpcSource::nbWrite: SSL not initialized.");
        return false;
    }
    const int total = static_cast<int>(data.size());
    while (*bytesSoFar < total) {
        const char *from = data.data() + *bytesSoFar;
        const int left = total - *bytesSoFar;
        int n;
        if (m_ssl) {
            ERR_clear_error();
            n = SSL_write(m_sslSession, from, left);
            XmlRpcUtil::log(5, "XmlRpcSocket::nbWrite: send/write returned %d.", n);
            if (n <= 0) {
                const int reason = SSL_get_error(m_sslSession, n);
                if (reason == SSL_ERROR_WANT_READ || reason == SSL_ERROR_WANT_WRITE)
                    return true;
                if (reason == SSL_ERROR_SYSCALL && XmlRpcSocket::nonFatalError())
                    return true;
                return false;
            }
        } else {
            n = static_cast<int>(::send(fd, from, static_cast<size_t>(left), MSG_NOSIGNAL));
            XmlRpcUtil::log(5, "XmlRpcSocket::nbWrite: send/write returned %d.", n);
            if (n <= 0)
                return n < 0 && XmlRpcSocket::nonFatalError();
        }
        *bytesSoFar += n;
    }
    return true;
}

} // namespace XmlRpc
