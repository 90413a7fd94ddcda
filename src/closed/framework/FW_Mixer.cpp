#include "FW_Mixer.h"

#include "FW_XmlRpcReader.h"

FW_Mixer::FW_Mixer(int number) : FW_Machine(MachineID(number, MachineID::Mixer))
{
}

bool FW_Mixer::isEqual(const FW_Machine &other) const
{
    const FW_Mixer &o = static_cast<const FW_Mixer &>(other);
    return FW_Machine::isEqual(other) && m_mixingTime == o.m_mixingTime && m_maxLoad == o.m_maxLoad
        && m_autoClamp == o.m_autoClamp;
}

XmlRpc::XmlRpcValue FW_Mixer::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value = FW_Machine::toXmlRpcValue();
    value["mixingTime"] = m_mixingTime;
    value["maxLoad"] = m_maxLoad;
    value["autoClamp"] = m_autoClamp;
    return value;
}

FW_Mixer FW_Mixer::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_Mixer mixer;
    FW_XmlRpcReader reader(value);
    reader.require(mixer.readCommon(value, MachineID::Mixer));
    mixer.m_mixingTime = reader.toInt("mixingTime");
    mixer.m_maxLoad = reader.toDouble("maxLoad");
    mixer.m_autoClamp = reader.toBool("autoClamp", true);
    reader.require(mixer.m_mixingTime >= 0 && mixer.m_maxLoad >= 0.0);
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? mixer : FW_Mixer();
}
