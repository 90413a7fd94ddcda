#ifndef ERRORCAPTURE_H
#define ERRORCAPTURE_H

// While one lives, the transport's error texts are collected instead of
// printed, for tests that look at what was reported.

#include "XmlRpcErrorHandler.h"
#include "XmlRpcUtil.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

class ErrorCapture : public XmlRpc::XmlRpcErrorHandler
{
public:
    ErrorCapture() : m_previous(XmlRpcUtil::getErrorHandler()) { XmlRpcUtil::setErrorHandler(this); }
    ~ErrorCapture() override { XmlRpcUtil::setErrorHandler(m_previous); }
    ErrorCapture(const ErrorCapture &) = delete;
    ErrorCapture &operator=(const ErrorCapture &) = delete;

    void error(const char *msg) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_errors.emplace_back(msg);
    }
    bool contains(const std::string &text) const { return count(text) > 0; }
    int count(const std::string &text) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return static_cast<int>(std::count_if(m_errors.begin(), m_errors.end(), [&text](const std::string &e) {
            return e.find(text) != std::string::npos;
        }));
    }
    std::string all() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::string joined;
        for (const std::string &e : m_errors)
            joined += e + "\n";
        return joined;
    }

private:
    XmlRpc::XmlRpcErrorHandler *m_previous;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_errors;
};

#endif // ERRORCAPTURE_H
