#include "FW_Circuit.h"

#include "FW_XmlRpcReader.h"

FW_Circuit::FW_Circuit(int position, const QString &colorantCode, double capacity, bool enabled)
    : m_position(position), m_enabled(enabled), m_colorantCode(colorantCode), m_capacity(capacity)
{
    m_grav.setPosition(position);
}

void FW_Circuit::setPosition(int position)
{
    m_position = position;
    m_grav.setPosition(position);
}

void FW_Circuit::setGravSettings(const CircuitGravSettings &settings)
{
    m_grav = settings;
    m_grav.setPosition(m_position);
}

bool FW_Circuit::operator==(const FW_Circuit &other) const
{
    return m_position == other.m_position && m_enabled == other.m_enabled && m_colorantCode == other.m_colorantCode
        && m_colorantName == other.m_colorantName && m_capacity == other.m_capacity && m_reserve == other.m_reserve
        && m_level == other.m_level && m_density == other.m_density && m_pumpModel == other.m_pumpModel
        && m_grav == other.m_grav;
}

XmlRpc::XmlRpcValue FW_Circuit::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    value["position"] = m_position;
    value["enabled"] = m_enabled;
    value["colorant"] = m_colorantCode.toStdString();
    value["colorantName"] = m_colorantName.toStdString();
    value["capacity"] = m_capacity;
    value["reserve"] = m_reserve;
    value["level"] = m_level;
    value["density"] = m_density;
    value["pump"] = m_pumpModel;
    value["grav"] = m_grav.toXmlRpcValue();
    return value;
}

FW_Circuit FW_Circuit::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    FW_Circuit circuit;
    circuit.m_position = reader.toInt("position");
    circuit.m_enabled = reader.toBool("enabled", true);
    circuit.m_colorantCode = reader.toString("colorant");
    circuit.m_colorantName = reader.toString("colorantName", QString());
    circuit.m_capacity = reader.toDouble("capacity");
    circuit.m_reserve = reader.toDouble("reserve", 0.0);
    circuit.m_level = reader.toDouble("level", 0.0);
    circuit.m_density = reader.toDouble("density", 1.0);
    circuit.m_pumpModel = reader.toInt("pump", 0);
    reader.require(circuit.m_position > 0 && circuit.m_capacity >= 0.0 && circuit.m_reserve >= 0.0 && circuit.m_level >= 0.0
                   && circuit.m_density > 0.0);
    if (reader.ok() && value.hasMember("grav")) {
        bool gravOk = false;
        circuit.setGravSettings(CircuitGravSettings::fromXmlRpcValue(value["grav"], &gravOk));
        reader.require(gravOk);
    } else {
        circuit.m_grav.setPosition(circuit.m_position);
    }
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? circuit : FW_Circuit();
}
