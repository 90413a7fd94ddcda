#include "MachineStatusAnswer.h"

#include "FW_XmlRpcReader.h"

using XmlRpc::XmlRpcValue;

MachineStatusAnswer::~MachineStatusAnswer() = default;

bool MachineStatusAnswer::equalTo(const MachineStatusAnswer &other) const
{
    return answerName() == other.answerName() && toXmlRpcValue() == other.toXmlRpcValue();
}

XmlRpcValue MachineStatusAnswer::toXmlRpcValue() const
{
    XmlRpcValue value;
    value["state"] = m_state;
    value["stateText"] = m_stateText.toStdString();
    value["error"] = m_error;
    value["alarm"] = m_alarm;
    value["warning"] = m_warning;
    value["bootLoader"] = m_bootLoader;
    value["workingModeChange"] = m_workingModeChange;
    return value;
}

bool MachineStatusAnswer::fromXmlRpcValue(const XmlRpcValue &value)
{
    if (value.getType() != XmlRpcValue::TypeStruct)
        return false;
    FW_XmlRpcReader reader(value);
    for (const char *name : {"error", "alarm", "warning", "bootLoader", "workingModeChange"})
        reader.require(value[name].getType() == XmlRpcValue::TypeBoolean);
    const int state = reader.toInt("state");
    const QString stateText = reader.toString("stateText");
    if (!reader.ok())
        return false;
    m_state = state;
    m_stateText = stateText;
    m_error = value["error"].asBool();
    m_alarm = value["alarm"].asBool();
    m_warning = value["warning"].asBool();
    m_bootLoader = value["bootLoader"].asBool();
    m_workingModeChange = value["workingModeChange"].asBool();
    return true;
}
