#include "SensorDataAnswer.h"

#include "FW_XmlRpcReader.h"

using XmlRpc::XmlRpcValue;

bool SensorDataAnswer::decodeData(const XmlRpcValue &data)
{
    FW_XmlRpcReader reader(data);
    const int sensor = reader.toInt("sensor");
    const int measure = reader.toInt("measure");
    const double value = reader.toDouble("value");
    const QString unit = reader.toString("unit");
    if (!reader.ok())
        return false;
    m_sensor = sensor;
    m_measure = measure;
    m_value = value;
    m_unit = unit;
    return true;
}

XmlRpcValue SensorDataAnswer::encodeData() const
{
    XmlRpcValue data;
    data["sensor"] = m_sensor;
    data["measure"] = m_measure;
    data["value"] = m_value;
    data["unit"] = m_unit.toStdString();
    return data;
}
