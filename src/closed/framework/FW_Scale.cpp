#include "FW_Scale.h"

#include "FW_XmlRpcReader.h"

FW_Scale::FW_Scale(int number) : FW_Machine(MachineID(number, MachineID::Scale))
{
}

bool FW_Scale::isEqual(const FW_Machine &other) const
{
    const FW_Scale &o = static_cast<const FW_Scale &>(other);
    return FW_Machine::isEqual(other) && m_capacity == o.m_capacity && m_resolution == o.m_resolution;
}

XmlRpc::XmlRpcValue FW_Scale::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value = FW_Machine::toXmlRpcValue();
    value["capacity"] = m_capacity;
    value["resolution"] = m_resolution;
    return value;
}

FW_Scale FW_Scale::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_Scale scale;
    FW_XmlRpcReader reader(value);
    reader.require(scale.readCommon(value, MachineID::Scale));
    scale.m_capacity = reader.toDouble("capacity");
    scale.m_resolution = reader.toDouble("resolution");
    reader.require(scale.m_capacity > 0.0 && scale.m_resolution > 0.0);
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? scale : FW_Scale();
}
