#include "MixerStatusAnswer.h"

using XmlRpc::XmlRpcValue;

XmlRpcValue MixerStatusAnswer::toXmlRpcValue() const
{
    XmlRpcValue value = MachineStatusAnswer::toXmlRpcValue();
    value["mixing"] = m_mixing;
    value["doorOpen"] = m_doorOpen;
    value["program"] = m_program;
    value["timeLeft"] = m_timeLeft;
    return value;
}

bool MixerStatusAnswer::fromXmlRpcValue(const XmlRpcValue &value)
{
    if (value.getType() != XmlRpcValue::TypeStruct || value["mixing"].getType() != XmlRpcValue::TypeBoolean
        || value["doorOpen"].getType() != XmlRpcValue::TypeBoolean
        || value["program"].getType() != XmlRpcValue::TypeInt || value["timeLeft"].getType() != XmlRpcValue::TypeInt
        || value["program"].asInt() < 0 || value["timeLeft"].asInt() < 0)
        return false;
    if (!MachineStatusAnswer::fromXmlRpcValue(value))
        return false;
    m_mixing = value["mixing"].asBool();
    m_doorOpen = value["doorOpen"].asBool();
    m_program = value["program"].asInt();
    m_timeLeft = value["timeLeft"].asInt();
    return true;
}
