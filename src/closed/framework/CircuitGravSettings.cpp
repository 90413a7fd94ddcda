#include "CircuitGravSettings.h"

#include "FW_XmlRpcReader.h"

bool CircuitGravSettings::operator==(const CircuitGravSettings &other) const
{
    return m_position == other.m_position && m_enabled == other.m_enabled && m_tolerance == other.m_tolerance
        && m_minAmount == other.m_minAmount;
}

XmlRpc::XmlRpcValue CircuitGravSettings::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    value["position"] = m_position;
    value["enabled"] = m_enabled;
    value["tolerance"] = m_tolerance;
    value["minAmount"] = m_minAmount;
    return value;
}

CircuitGravSettings CircuitGravSettings::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    CircuitGravSettings settings;
    settings.m_position = reader.toInt("position");
    settings.m_enabled = reader.toBool("enabled", false);
    settings.m_tolerance = reader.toDouble("tolerance");
    settings.m_minAmount = reader.toDouble("minAmount", 0.0);
    reader.require(settings.m_position > 0 && settings.m_tolerance >= 0.0 && settings.m_minAmount >= 0.0);
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? settings : CircuitGravSettings();
}
