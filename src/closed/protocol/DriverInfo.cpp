#include "DriverInfo.h"

#include "FW_XmlRpcReader.h"

bool DriverInfo::operator==(const DriverInfo &other) const
{
    return m_name == other.m_name && m_version == other.m_version && m_protocol == other.m_protocol
        && m_simulation == other.m_simulation && m_machines == other.m_machines && m_upTime == other.m_upTime;
}

XmlRpc::XmlRpcValue DriverInfo::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    value["name"] = m_name.toStdString();
    value["version"] = m_version.toStdString();
    value["protocol"] = m_protocol;
    value["simulation"] = m_simulation;
    value["machines"] = m_machines;
    value["upTime"] = static_cast<int>(m_upTime);
    return value;
}

DriverInfo DriverInfo::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    DriverInfo info;
    info.m_name = reader.toString("name");
    info.m_version = reader.toString("version");
    info.m_protocol = reader.toInt("protocol");
    info.m_simulation = reader.toBool("simulation", false);
    info.m_machines = reader.toInt("machines", 0);
    info.m_upTime = reader.toInt64("upTime", 0);
    reader.require(info.m_machines >= 0 && info.m_upTime >= 0);
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? info : DriverInfo();
}
