#include "DeviceData.h"

#include "FW_XmlRpcReader.h"

XmlRpc::XmlRpcValue DeviceData::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    value["type"] = m_type;
    value["enabled"] = m_enabled;
    return value;
}

DeviceData DeviceData::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    const int type = reader.toInt("type");
    reader.require(type > 0 && value.hasMember("enabled"));
    const bool enabled = reader.toBool("enabled", false);
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? DeviceData(type, enabled) : DeviceData();
}
