#include "SimPeerPolicy.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstring>
#include <string>

bool SimPeerPolicy::isLoopback(const sockaddr *address)
{
    if (!address)
        return false;
    if (address->sa_family == AF_INET) {
        const sockaddr_in *in = reinterpret_cast<const sockaddr_in *>(address);
        return (ntohl(in->sin_addr.s_addr) >> 24) == 127;
    }
    if (address->sa_family == AF_INET6) {
        const in6_addr &in6 = reinterpret_cast<const sockaddr_in6 *>(address)->sin6_addr;
        if (IN6_IS_ADDR_LOOPBACK(&in6))
            return true;
        return IN6_IS_ADDR_V4MAPPED(&in6) && in6.s6_addr[12] == 127;
    }
    return false;
}

bool SimPeerPolicy::refuse(int fd, const sockaddr *peer, bool tls, bool allowRemotePlain)
{
    if (tls || allowRemotePlain || isLoopback(peer))
        return false;
    static const std::string body = "Plain HTTP is served to clients on this host only; use TLS.\n";
    const std::string response = "HTTP/1.1 403 Forbidden\r\nContent-Type: text/plain\r\nContent-Length: "
        + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    // Best effort: the connection is closed by the caller either way.
    const ssize_t sent = ::send(fd, response.data(), response.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    (void)sent;
    return true;
}
