#include "DispenserStatusAnswer.h"

using XmlRpc::XmlRpcValue;

XmlRpcValue DispenserStatusAnswer::toXmlRpcValue() const
{
    XmlRpcValue value = MachineStatusAnswer::toXmlRpcValue();
    value["dispensing"] = m_dispensing;
    value["dosed"] = dispensingTrigger();
    value["ussCleaning"] = m_ussCleaning;
    value["valveOn"] = m_valveOn;
    value["canPresent"] = m_canPresent;
    return value;
}

bool DispenserStatusAnswer::fromXmlRpcValue(const XmlRpcValue &value)
{
    if (value.getType() != XmlRpcValue::TypeStruct)
        return false;
    for (const char *name : {"dispensing", "dosed", "ussCleaning", "valveOn", "canPresent"})
        if (value[name].getType() != XmlRpcValue::TypeBoolean)
            return false;
    if (!MachineStatusAnswer::fromXmlRpcValue(value))
        return false;
    m_dispensing = value["dispensing"].asBool();
    setDispensingTrigger(value["dosed"].asBool());
    m_ussCleaning = value["ussCleaning"].asBool();
    m_valveOn = value["valveOn"].asBool();
    m_canPresent = value["canPresent"].asBool();
    return true;
}
