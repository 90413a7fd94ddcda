#ifndef SIMFAULT_H
#define SIMFAULT_H

#include <stdexcept>
#include <string>

//! Thrown by a simulated method to answer with an XML-RPC fault carrying the
//! given code and message.
class SimFault : public std::runtime_error
{
public:
    //! Code of the faults the simulator produces by itself (unknown method,
    //! handler failures); the same value the driver uses.
    static constexpr int kGenericCode = -1;

    SimFault(int code, const std::string &message);
    ~SimFault() override;

    int code() const noexcept { return m_code; }
    std::string message() const { return what(); }

private:
    int m_code;
};

#endif // SIMFAULT_H
