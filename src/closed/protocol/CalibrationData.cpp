#include "CalibrationData.h"

#include "FW_XmlRpcReader.h"

bool CalibrationData::operator==(const CalibrationData &other) const
{
    return BasicCalibrationData::operator==(other) && m_steps == other.m_steps && m_weight == other.m_weight;
}

XmlRpc::XmlRpcValue CalibrationData::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    writeBasic(value);
    value["steps"] = m_steps;
    value["weight"] = m_weight;
    return value;
}

CalibrationData CalibrationData::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    CalibrationData data;
    FW_XmlRpcReader reader(value);
    data.m_steps = reader.toInt("steps");
    data.m_weight = reader.toDouble("weight");
    reader.require(data.m_steps >= 0 && data.m_weight >= 0.0);
    const bool good = data.readBasic(value) && reader.ok();
    if (ok)
        *ok = good;
    return good ? data : CalibrationData();
}
