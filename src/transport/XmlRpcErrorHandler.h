#ifndef XMLRPCERRORHANDLER_H
#define XMLRPCERRORHANDLER_H

#include "AXOCommGlobal.h"

namespace XmlRpc {

//! Receives every error text of the transport.
class AXOCOMM_EXPORT XmlRpcErrorHandler
{
public:
    virtual ~XmlRpcErrorHandler();
    //! One error text; called from whichever thread hit the error.
    virtual void error(const char *msg) = 0;
};

} // namespace XmlRpc

#endif // XMLRPCERRORHANDLER_H
