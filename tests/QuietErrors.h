#ifndef QUIETERRORS_H
#define QUIETERRORS_H

// While one lives, the transport's low-level error lines (expected in tests
// that make calls fail on purpose) are dropped instead of written to stderr.

#include "XmlRpcErrorHandler.h"
#include "XmlRpcUtil.h"

class QuietErrors : public XmlRpc::XmlRpcErrorHandler
{
public:
    QuietErrors() : m_previous(XmlRpcUtil::getErrorHandler()) { XmlRpcUtil::setErrorHandler(this); }
    ~QuietErrors() override { XmlRpcUtil::setErrorHandler(m_previous); }
    QuietErrors(const QuietErrors &) = delete;
    QuietErrors &operator=(const QuietErrors &) = delete;
    void error(const char *) override {}

private:
    XmlRpc::XmlRpcErrorHandler *m_previous;
};

#endif // QUIETERRORS_H
