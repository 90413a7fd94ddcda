#ifndef XMLRPCSOCKET_H
#define XMLRPCSOCKET_H

#include <string>

//! Thin wrappers over the POSIX socket calls of the transport.
class XmlRpcSocket
{
public:
    //! A new IPv4 stream socket, or -1.
    static int socket();
    static void close(int fd);
    static bool setNonBlocking(int fd);
    static bool setBlocking(int fd);
    //! Resolves host (first IPv4 address) and connects; a connect that is
    //! still in progress counts as success.
    static bool connect(int fd, const std::string &host, int port);
    //! True when the last error only means "try again later".
    static bool nonFatalError();
    static bool nonFatalError(int error);
    static int getError();
    //! The pending error of a socket (SO_ERROR), or the last error.
    static int getSocketError(int fd);
    //! The pending error of a socket (SO_ERROR): 0 once a connect in
    //! progress has succeeded.
    static int pendingError(int fd);
    static std::string getErrorMsg();
    static std::string getErrorMsg(int error);
};

#endif // XMLRPCSOCKET_H
