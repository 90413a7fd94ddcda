#ifndef SIMMETHODCALL_H
#define SIMMETHODCALL_H

#include "XmlRpcValue.h"

#include <string>

//! The method name and parameters of an XML-RPC methodCall document.
class SimMethodCall
{
public:
    //! Reads a request body: an optional XML declaration, then
    //! <methodCall><methodName>NAME</methodName>[<params>...</params>]</methodCall>.
    //! The parameters always form an array, empty when there are none.
    //! On failure returns false with a reason in *error.
    bool parse(const std::string &body, std::string *error);

    const std::string &methodName() const { return m_methodName; }
    const XmlRpc::XmlRpcValue &params() const { return m_params; }

private:
    std::string m_methodName;
    XmlRpc::XmlRpcValue m_params;
};

#endif // SIMMETHODCALL_H
