#include "WeightAnswer.h"

#include "FW_XmlRpcReader.h"

using XmlRpc::XmlRpcValue;

bool WeightAnswer::decodeData(const XmlRpcValue &data)
{
    FW_XmlRpcReader reader(data);
    bool ok = false;
    const MachineID scale = MachineID::fromXmlRpcValue(reader.member("scale"), &ok);
    reader.require(ok);
    const double weight = reader.toDouble("weight");
    const QString unit = reader.toString("unit");
    reader.require(!unit.isEmpty());
    reader.require(reader.ok() && data["stable"].getType() == XmlRpcValue::TypeBoolean);
    if (!reader.ok())
        return false;
    m_scale = scale;
    m_weight = weight;
    m_unit = unit;
    m_stable = data["stable"].asBool();
    return true;
}

XmlRpcValue WeightAnswer::encodeData() const
{
    XmlRpcValue data;
    data["scale"] = m_scale.toXmlRpcValue();
    data["weight"] = m_weight;
    data["unit"] = m_unit.toStdString();
    data["stable"] = m_stable;
    return data;
}
