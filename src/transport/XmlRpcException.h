#ifndef XMLRPCEXCEPTION_H
#define XMLRPCEXCEPTION_H

#include "AXOCommGlobal.h"

#include <exception>
#include <string>

namespace XmlRpc {

//! Raised by misuse of an XmlRpcValue ("type error", "range error: ...").
class AXOCOMM_EXPORT XmlRpcException : public std::exception
{
public:
    //! An exception with that message and code.
    explicit XmlRpcException(const std::string &message, int code = -1);
    //! Destroys the exception.
    ~XmlRpcException() override;

    //! The message.
    const std::string &getMessage() const noexcept { return m_message; }
    //! The code; -1 when none was given.
    int getCode() const noexcept { return m_code; }
    //! The message.
    const char *what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
    int m_code;
};

} // namespace XmlRpc

#endif // XMLRPCEXCEPTION_H
