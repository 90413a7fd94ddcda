#include "DispenserStatus.h"

#include "FW_XmlRpcReader.h"

using XmlRpc::XmlRpcValue;

XmlRpcValue DispenserStatus::toXmlRpcValue() const
{
    XmlRpcValue value = MachineStatus::toXmlRpcValue();
    value["circuits"] = m_circuits;
    value["dispensing"] = m_dispensing;
    value["shelf"] = m_shelf;
    value["autocap"] = m_autocap;
    value["scale"] = m_scale;
    return value;
}

DispenserStatus DispenserStatus::fromXmlRpcValue(const XmlRpcValue &value, bool *ok)
{
    DispenserStatus status;
    FW_XmlRpcReader reader(value);
    reader.require(status.readCommon(value));
    reader.require((status.machineType() & (MachineID::Dispenser | MachineID::Scale)) != 0);
    status.m_circuits = reader.toInt("circuits");
    reader.require(status.m_circuits >= 0);
    reader.require(value.getType() == XmlRpcValue::TypeStruct
                   && value["dispensing"].getType() == XmlRpcValue::TypeBoolean);
    status.m_dispensing = reader.toBool("dispensing", false);
    status.m_shelf = reader.toInt("shelf");
    status.m_autocap = reader.toInt("autocap");
    status.m_scale = reader.toInt("scale");
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? status : DispenserStatus();
}

bool DispenserStatus::differsRelevantly(const MachineStatus &other) const
{
    const DispenserStatus &dispenser = static_cast<const DispenserStatus &>(other);
    return MachineStatus::differsRelevantly(other) || m_circuits != dispenser.m_circuits
        || m_scale != dispenser.m_scale;
}

DispenserInfo DispenserStatus::dispenserInfo() const
{
    const DispenserInfo *info = dynamic_cast<const DispenserInfo *>(machineInfo());
    return info ? *info : DispenserInfo();
}

MachineInfo *DispenserStatus::readInfo(const XmlRpcValue &value, bool *ok) const
{
    const DispenserInfo info = DispenserInfo::fromXmlRpcValue(value, ok);
    return *ok ? info.clone() : nullptr;
}
