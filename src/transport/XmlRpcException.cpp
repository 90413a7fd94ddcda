#include "XmlRpcException.h"

namespace XmlRpc {

XmlRpcException::XmlRpcException(const std::string &message, int code)
    : m_message(message), m_code(code)
{
}

XmlRpcException::~XmlRpcException() = default;

} // namespace XmlRpc
