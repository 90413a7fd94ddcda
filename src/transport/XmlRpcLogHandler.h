#ifndef XMLRPCLOGHANDLER_H
#define XMLRPCLOGHANDLER_H

#include "AXOCommGlobal.h"

namespace XmlRpc {

//! Receives the transport's diagnostics of a level up to the verbosity.
class AXOCOMM_EXPORT XmlRpcLogHandler
{
public:
    virtual ~XmlRpcLogHandler();
    //! One diagnostic of that level; called from whichever thread logs.
    virtual void log(int level, const char *msg) = 0;
};

} // namespace XmlRpc

#endif // XMLRPCLOGHANDLER_H
