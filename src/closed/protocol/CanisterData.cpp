#include "CanisterData.h"

#include "FW_XmlRpcReader.h"

bool CanisterData::operator==(const CanisterData &other) const
{
    return m_position == other.m_position && m_colorantCode == other.m_colorantCode && m_level == other.m_level
        && m_capacity == other.m_capacity && m_reserve == other.m_reserve;
}

XmlRpc::XmlRpcValue CanisterData::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    value["position"] = m_position;
    value["colorant"] = m_colorantCode.toStdString();
    value["level"] = m_level;
    value["capacity"] = m_capacity;
    value["reserve"] = m_reserve;
    return value;
}

CanisterData CanisterData::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    CanisterData data;
    data.m_position = reader.toInt("position");
    data.m_colorantCode = reader.toString("colorant");
    data.m_level = reader.toDouble("level");
    data.m_capacity = reader.toDouble("capacity", 0.0);
    data.m_reserve = reader.toDouble("reserve", 0.0);
    reader.require(data.m_position > 0 && data.m_level >= 0.0 && data.m_capacity >= 0.0 && data.m_reserve >= 0.0);
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? data : CanisterData();
}
