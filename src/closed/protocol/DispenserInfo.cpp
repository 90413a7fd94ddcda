#include "DispenserInfo.h"

#include "FW_Dispenser.h"
#include "FW_XmlRpcReader.h"

using XmlRpc::XmlRpcValue;

bool DispenserInfo::updateMachineConfiguration(FW_Machine &machine) const
{
    bool changed = MachineInfo::updateMachineConfiguration(machine);
    FW_Dispenser *dispenser = dynamic_cast<FW_Dispenser *>(&machine);
    if (dispenser && dispenser->scaleNumber() != m_scale) {
        dispenser->setScaleNumber(m_scale);
        changed = true;
    }
    return changed;
}

XmlRpcValue DispenserInfo::toXmlRpcValue() const
{
    XmlRpcValue value = MachineInfo::toXmlRpcValue();
    value["circuits"] = m_circuits;
    value["scale"] = m_scale;
    XmlRpcValue &devices = value["devices"];
    devices.setSize(0);
    for (int i = 0; i < m_devices.size(); ++i)
        devices[i] = m_devices.at(i);
    return value;
}

DispenserInfo DispenserInfo::fromXmlRpcValue(const XmlRpcValue &value, bool *ok)
{
    DispenserInfo info;
    FW_XmlRpcReader reader(value);
    reader.require(info.readCommon(value));
    info.m_circuits = reader.toInt("circuits");
    info.m_scale = reader.toInt("scale");
    reader.require(info.m_circuits >= 0 && info.m_scale >= 0);
    const XmlRpcValue &devices = reader.array("devices");
    for (int i = 0; i < devices.size(); ++i)
        if (reader.require(devices[i].getType() == XmlRpcValue::TypeInt))
            info.m_devices.append(devices[i].asInt());
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? info : DispenserInfo();
}
