#include "MixerStatus.h"

#include "FW_XmlRpcReader.h"

using XmlRpc::XmlRpcValue;

XmlRpcValue MixerStatus::toXmlRpcValue() const
{
    XmlRpcValue value = MachineStatus::toXmlRpcValue();
    value["mixing"] = m_mixing;
    value["program"] = m_program;
    value["speed"] = m_speed;
    value["timeLeft"] = m_timeLeft;
    return value;
}

MixerStatus MixerStatus::fromXmlRpcValue(const XmlRpcValue &value, bool *ok)
{
    MixerStatus status;
    FW_XmlRpcReader reader(value);
    reader.require(status.readCommon(value));
    reader.require(status.machineID().isMixer());
    reader.require(value.getType() == XmlRpcValue::TypeStruct
                   && value["mixing"].getType() == XmlRpcValue::TypeBoolean);
    status.m_mixing = reader.toBool("mixing", false);
    status.m_program = reader.toInt("program");
    status.m_speed = reader.toInt("speed");
    status.m_timeLeft = reader.toInt("timeLeft");
    reader.require(status.m_program >= 0 && status.m_speed >= 0 && status.m_timeLeft >= 0);
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? status : MixerStatus();
}
