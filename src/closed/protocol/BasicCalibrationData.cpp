#include "BasicCalibrationData.h"

#include "FW_XmlRpcReader.h"

bool BasicCalibrationData::operator==(const BasicCalibrationData &other) const
{
    return m_circuit == other.m_circuit && m_volume == other.m_volume && m_factor == other.m_factor;
}

bool BasicCalibrationData::readBasic(const XmlRpc::XmlRpcValue &value)
{
    FW_XmlRpcReader reader(value);
    m_circuit = reader.toInt("circuit");
    m_volume = reader.toDouble("volume");
    m_factor = reader.toDouble("factor");
    reader.require(m_circuit > 0 && m_volume >= 0.0 && m_factor > 0.0);
    return reader.ok();
}

void BasicCalibrationData::writeBasic(XmlRpc::XmlRpcValue &value) const
{
    value["circuit"] = m_circuit;
    value["volume"] = m_volume;
    value["factor"] = m_factor;
}

XmlRpc::XmlRpcValue BasicCalibrationData::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    writeBasic(value);
    return value;
}

BasicCalibrationData BasicCalibrationData::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    BasicCalibrationData data;
    const bool good = data.readBasic(value);
    if (ok)
        *ok = good;
    return good ? data : BasicCalibrationData();
}
