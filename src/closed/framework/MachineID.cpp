#include "MachineID.h"

QString MachineID::typeText() const
{
    if (isDispenser())
        return QStringLiteral("Dispenser");
    if (isMixer())
        return QStringLiteral("Mixer");
    if (isScale())
        return QStringLiteral("Scale");
    return QString();
}

QString MachineID::toString() const
{
    return QStringLiteral("%1/%2").arg(machineNumber).arg(machineType);
}

XmlRpc::XmlRpcValue MachineID::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    value["number"] = machineNumber;
    value["type"] = machineType;
    return value;
}

MachineID MachineID::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    const bool valid = value.getType() == XmlRpc::XmlRpcValue::TypeStruct
        && value["number"].getType() == XmlRpc::XmlRpcValue::TypeInt
        && value["type"].getType() == XmlRpc::XmlRpcValue::TypeInt;
    if (ok)
        *ok = valid;
    return valid ? MachineID(value["number"].asInt(), value["type"].asInt()) : MachineID();
}
