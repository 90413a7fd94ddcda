#ifndef SIMPEERPOLICY_H
#define SIMPEERPOLICY_H

#include <sys/socket.h>

//! Who the simulated driver serves on a plain connection: driver-level
//! commands travel without a session, so only the transport protects them.
//! Plain HTTP is for clients on the same host (loopback); everything else
//! comes over TLS, unless plain connections from anywhere were allowed.
class SimPeerPolicy
{
public:
    //! Whether the address is a loopback address (127.0.0.0/8, ::1, or
    //! 127.0.0.0/8 mapped into IPv6).
    static bool isLoopback(const sockaddr *address);
    //! Answers "403 Forbidden" on the socket and returns true when a plain
    //! connection from this peer is not to be served; false otherwise.
    static bool refuse(int fd, const sockaddr *peer, bool tls, bool allowRemotePlain);
};

#endif // SIMPEERPOLICY_H
