#include "CircuitData.h"

#include "FW_XmlRpcReader.h"

bool CircuitData::operator==(const CircuitData &other) const
{
    return m_position == other.m_position && m_colorantCode == other.m_colorantCode && m_inUse == other.m_inUse
        && m_capacity == other.m_capacity;
}

XmlRpc::XmlRpcValue CircuitData::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    value["position"] = m_position;
    value["colorant"] = m_colorantCode.toStdString();
    value["inUse"] = m_inUse;
    value["capacity"] = m_capacity;
    return value;
}

CircuitData CircuitData::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    CircuitData data;
    data.m_position = reader.toInt("position");
    data.m_colorantCode = reader.toString("colorant");
    data.m_inUse = reader.toBool("inUse", false);
    data.m_capacity = reader.toDouble("capacity", 0.0);
    reader.require(data.m_position > 0 && data.m_capacity >= 0.0);
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? data : CircuitData();
}
