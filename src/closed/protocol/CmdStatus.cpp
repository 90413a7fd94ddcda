#include "CmdStatus.h"

using XmlRpc::XmlRpcValue;

CmdStatus::CmdStatus()
{
    clear();
}

void CmdStatus::clear()
{
    m_status = CMD_CREATED;
    m_percentage = 0;
    m_timeLeft = 0;
    m_result.clear();
}

XmlRpcAnswer CmdStatus::getXmlRpcAnswer(bool *ok) const
{
    XmlRpcAnswer answer;
    const bool decoded = m_result.valid() && answer.fromXmlRpcValue(m_result);
    if (ok)
        *ok = decoded;
    return answer;
}

QString CmdStatus::getDescription(int status)
{
    switch (status) {
    case CMD_CREATED: return QStringLiteral("Created");
    case CMD_WAITING: return QStringLiteral("Waiting");
    case CMD_IN_PROGRESS: return QStringLiteral("In progress");
    case CMD_DONE: return QStringLiteral("Done");
    case CMD_EXEC_ERRORS: return QStringLiteral("Execution errors");
    case CMD_REFUSED: return QStringLiteral("Refused");
    case CMD_INTERRUPTED: return QStringLiteral("Interrupted");
    case CMD_FINISHED: return QStringLiteral("Finished");
    }
    return QStringLiteral("Unknown status %1").arg(status);
}

bool CmdStatus::operator==(const CmdStatus &other) const
{
    return m_status == other.m_status && m_percentage == other.m_percentage && m_timeLeft == other.m_timeLeft
        && m_result == other.m_result;
}

XmlRpcValue CmdStatus::toXmlRpcValue() const
{
    XmlRpcValue value;
    value["status"] = m_status;
    value["percentage"] = m_percentage;
    value["timeLeft"] = m_timeLeft;
    if (m_result.valid())
        value["result"] = m_result;
    return value;
}

CmdStatus CmdStatus::fromXmlRpcValue(const XmlRpcValue &value, bool *ok)
{
    CmdStatus status;
    const bool valid = value.getType() == XmlRpcValue::TypeStruct
        && value["status"].getType() == XmlRpcValue::TypeInt && value["status"].asInt() >= CMD_FINISHED
        && value["status"].asInt() <= CMD_CREATED && value["percentage"].getType() == XmlRpcValue::TypeInt
        && value["timeLeft"].getType() == XmlRpcValue::TypeInt
        && (!value.hasMember("result") || value["result"].getType() == XmlRpcValue::TypeStruct);
    if (valid) {
        status.m_status = value["status"].asInt();
        status.m_percentage = value["percentage"].asInt();
        status.m_timeLeft = value["timeLeft"].asInt();
        status.m_result = value["result"];
    }
    if (ok)
        *ok = valid;
    return status;
}
