#include "DispenserStatusAnswer.h"

using XmlRpc::XmlRpcValue;

XmlRpcValue DispenserStatusAnswer::toXmlRpcValue() const
{
    XmlRpcValue value = MachineStatusAnswer::toXmlRpcValue();
    value["dispensing"] = dispensingTrigger();
    value["ussCleaning"] = m_ussCleaning;
    value["valveOn"] = m_valveOn;
    value["canPresent"] = m_canPresent;
    return value;
}

bool DispenserStatusAnswer::fromXmlRpcValue(const XmlRpcValue &value)
{
    if (value.getType() != XmlRpcValue::TypeStruct)
        return false;
    for (const char *name : {"dispensing", "ussCleaning", "valveOn", "canPresent"})
        if (value[name].getType() != XmlRpcValue::TypeBoolean)
            return false;
    if (!MachineStatusAnswer::fromXmlRpcValue(value))
        return false;
    setDispensingTrigger(value["dispensing"].asBool());
    m_ussCleaning = value["ussCleaning"].asBool();
    m_valveOn = value["valveOn"].asBool();
    m_canPresent = value["canPresent"].asBool();
    return true;
}
