#include "ScaleStatusAnswer.h"

#include "FW_XmlRpcReader.h"

using XmlRpc::XmlRpcValue;

bool ScaleStatusAnswer::decodeData(const XmlRpcValue &data)
{
    if (data.getType() != XmlRpcValue::TypeStruct || data["present"].getType() != XmlRpcValue::TypeBoolean)
        return false;
    FW_XmlRpcReader reader(data);
    bool ok = false;
    const MachineID scale = MachineID::fromXmlRpcValue(reader.member("scale"), &ok);
    reader.require(ok);
    const QString unit = reader.toString("unit");
    if (!reader.ok())
        return false;
    m_present = data["present"].asBool();
    m_scale = scale;
    m_unit = unit;
    return true;
}

XmlRpcValue ScaleStatusAnswer::encodeData() const
{
    XmlRpcValue data;
    data["present"] = m_present;
    data["scale"] = m_scale.toXmlRpcValue();
    data["unit"] = m_unit.toStdString();
    return data;
}
