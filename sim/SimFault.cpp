#include "SimFault.h"

SimFault::SimFault(int code, const std::string &message)
    : std::runtime_error(message), m_code(code)
{
}

SimFault::~SimFault() = default;
