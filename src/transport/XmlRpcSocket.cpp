#include "XmlRpcSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

int XmlRpcSocket::socket()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0) {
        int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    return fd;
}

void XmlRpcSocket::close(int fd)
{
    ::close(fd);
}

bool XmlRpcSocket::setNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL, 0);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool XmlRpcSocket::setBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL, 0);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

bool XmlRpcSocket::connect(int fd, const std::string &host, int port)
{
    struct sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        struct addrinfo hints;
        std::memset(&hints, 0, sizeof hints);
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        struct addrinfo *found = nullptr;
        if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) {
            errno = EHOSTUNREACH;
            return false;
        }
        address.sin_addr = reinterpret_cast<struct sockaddr_in *>(found->ai_addr)->sin_addr;
        ::freeaddrinfo(found);
    }
    const int result = ::connect(fd, reinterpret_cast<struct sockaddr *>(&address), sizeof address);
    return result == 0 || nonFatalError();
}

bool XmlRpcSocket::nonFatalError()
{
    return nonFatalError(errno);
}

bool XmlRpcSocket::nonFatalError(int error)
{
    return error == EINPROGRESS || error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

int XmlRpcSocket::getError()
{
    return errno;
}

int XmlRpcSocket::getSocketError(int fd)
{
    int error = 0;
    socklen_t length = sizeof error;
    if (fd < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error == 0)
        return errno;
    return error;
}

int XmlRpcSocket::pendingError(int fd)
{
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return errno;
    return error;
}

std::string XmlRpcSocket::getErrorMsg()
{
    return getErrorMsg(getError());
}

std::string XmlRpcSocket::getErrorMsg(int error)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "error %d", error);
    return buffer;
}
