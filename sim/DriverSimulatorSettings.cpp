// What tests set on a running simulator: authentication, the methods it
// serves, the ways it misbehaves; and what it counts.

#include "DriverSimulator.h"

// ---------------------------------------------------------------------------
// Authentication and methods

void DriverSimulator::setAuthenticationRequired(bool required)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_authRequired = required;
}

void DriverSimulator::setCredentials(const std::string &login, const std::string &password)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_login = login;
    m_password = password;
}

void DriverSimulator::registerMethod(const std::string &name, Handler handler)
{
    auto shared = std::make_shared<const Handler>(std::move(handler));
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handlers[name] = std::move(shared);
}

void DriverSimulator::unregisterMethod(const std::string &name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handlers.erase(name);
}

bool DriverSimulator::hasMethod(const std::string &name) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_handlers.count(name) != 0;
}

std::vector<std::string> DriverSimulator::methodNames() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> names;
    names.reserve(m_handlers.size());
    for (const auto &entry : m_handlers)
        names.push_back(entry.first);
    return names;
}

// ---------------------------------------------------------------------------
// Misbehaviour

void DriverSimulator::setCloseAfterResponse(bool enabled)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closeAfterResponse = enabled;
}

void DriverSimulator::setNeverAnswer(bool enabled)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_neverAnswer = enabled;
    m_cond.notify_all();
}

void DriverSimulator::setSendContinue(bool enabled)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sendContinue = enabled;
}

void DriverSimulator::setContentLengthMode(SimResponse::LengthMode mode)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lengthMode = mode;
}

void DriverSimulator::setFaultResponses(int count, int faultCode, const std::string &faultString)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faultCount = count;
    m_faultCode = faultCode;
    m_faultString = faultString;
}

void DriverSimulator::setResponseDelay(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_responseDelayMs = ms > 0 ? ms : 0;
}

void DriverSimulator::setMethodDelay(const std::string &method, int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (ms < 0)
        m_methodDelays.erase(method);
    else
        m_methodDelays[method] = ms;
}

void DriverSimulator::resetMisbehaviour()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closeAfterResponse = false;
    m_neverAnswer = false;
    m_sendContinue = false;
    m_lengthMode = SimResponse::LengthActual;
    m_faultCount = 0;
    m_responseDelayMs = 0;
    m_methodDelays.clear();
    m_cond.notify_all();
}

// ---------------------------------------------------------------------------
// Introspection

uint64_t DriverSimulator::connectionsAccepted() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_connectionsAccepted;
}

int DriverSimulator::openConnections() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_connections.size());
}

uint64_t DriverSimulator::requestsReceived() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requestsReceived;
}

uint64_t DriverSimulator::requestsServed() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requestsServed;
}

std::string DriverSimulator::lastRequest() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastRequest;
}

std::string DriverSimulator::lastMethodName() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastMethodName;
}

void DriverSimulator::resetCounters()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_connectionsAccepted = 0;
    m_requestsReceived = 0;
    m_requestsServed = 0;
    m_lastRequest.clear();
    m_lastMethodName.clear();
}

template<typename Predicate>
bool DriverSimulator::waitUntil(int timeoutMs, Predicate predicate) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cond.wait_for(lock, std::chrono::milliseconds(timeoutMs), predicate);
}

bool DriverSimulator::waitForRequestsReceived(uint64_t count, int timeoutMs) const
{
    return waitUntil(timeoutMs, [&] { return m_requestsReceived >= count; });
}

bool DriverSimulator::waitForRequestsServed(uint64_t count, int timeoutMs) const
{
    return waitUntil(timeoutMs, [&] { return m_requestsServed >= count; });
}

bool DriverSimulator::waitForConnectionsAccepted(uint64_t count, int timeoutMs) const
{
    return waitUntil(timeoutMs, [&] { return m_connectionsAccepted >= count; });
}

bool DriverSimulator::waitForOpenConnections(int count, int timeoutMs) const
{
    return waitUntil(timeoutMs, [&] { return static_cast<int>(m_connections.size()) == count; });
}

void DriverSimulator::setVerbose(bool verbose)
{
    m_verbose = verbose;
}
