#include "SimConnection.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

std::string takeSslErrors()
{
    std::string text;
    char buffer[256];
    while (unsigned long code = ERR_get_error()) {
        ERR_error_string_n(code, buffer, sizeof buffer);
        if (!text.empty())
            text += "; ";
        text += buffer;
    }
    return text;
}

} // namespace

SimConnection::SimConnection(int fd, SSL_CTX *tlsContext, const std::string &peer)
    : m_fd(fd), m_tlsContext(tlsContext), m_peer(peer)
{
}

SimConnection::~SimConnection()
{
    close();
}

bool SimConnection::handshake(std::string *error)
{
    if (!m_tlsContext)
        return true;
    ERR_clear_error();
    m_ssl = SSL_new(m_tlsContext);
    if (!m_ssl || SSL_set_fd(m_ssl, m_fd) != 1) {
        *error = "cannot set up TLS: " + takeSslErrors();
        return false;
    }
    const int rc = SSL_accept(m_ssl);
    if (rc != 1) {
        const int code = SSL_get_error(m_ssl, rc);
        std::string detail = takeSslErrors();
        if (detail.empty())
            detail = code == SSL_ERROR_SYSCALL ? "connection closed during handshake" : "error " + std::to_string(code);
        *error = "TLS handshake failed: " + detail;
        // A failed handshake must not try to send a close alert later.
        SSL_set_quiet_shutdown(m_ssl, 1);
        return false;
    }
    return true;
}

long SimConnection::read(char *buffer, size_t size)
{
    if (m_fd < 0)
        return -1;
    if (m_ssl) {
        for (;;) {
            ERR_clear_error();
            const int rc = SSL_read(m_ssl, buffer, static_cast<int>(size));
            if (rc > 0)
                return rc;
            const int code = SSL_get_error(m_ssl, rc);
            if (code == SSL_ERROR_ZERO_RETURN)
                return 0;
            if (code == SSL_ERROR_WANT_READ || code == SSL_ERROR_WANT_WRITE)
                continue;
            if (code == SSL_ERROR_SYSCALL && ERR_peek_error() == 0 && errno == EINTR)
                continue;
            SSL_set_quiet_shutdown(m_ssl, 1);
            return -1;
        }
    }
    for (;;) {
        const ssize_t rc = ::recv(m_fd, buffer, size, 0);
        if (rc >= 0)
            return static_cast<long>(rc);
        if (errno != EINTR)
            return -1;
    }
}

bool SimConnection::write(const std::string &data)
{
    if (m_fd < 0)
        return false;
    if (data.empty())
        return true;
    if (m_ssl) {
        // Without partial writes enabled SSL_write hands over everything or
        // fails; one call keeps one response in one write.
        ERR_clear_error();
        const int rc = SSL_write(m_ssl, data.data(), static_cast<int>(data.size()));
        if (rc <= 0) {
            SSL_set_quiet_shutdown(m_ssl, 1);
            return false;
        }
        return true;
    }
    size_t done = 0;
    while (done < data.size()) {
        // One send for the whole response; a loop only in case the kernel
        // takes less (very large responses).
        const ssize_t rc = ::send(m_fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (rc < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(rc);
    }
    return true;
}

bool SimConnection::peerHungUp() const
{
    pollfd watch{m_fd, POLLRDHUP, 0};
    if (::poll(&watch, 1, 0) <= 0)
        return false;
    return (watch.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

void SimConnection::close()
{
    if (m_ssl) {
        ERR_clear_error();
        SSL_shutdown(m_ssl);
        SSL_free(m_ssl);
        m_ssl = nullptr;
        ERR_clear_error();
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void SimConnection::shutdownSocket()
{
    if (m_fd >= 0)
        ::shutdown(m_fd, SHUT_RDWR);
}
