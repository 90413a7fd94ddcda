#include "MachineInfo.h"

#include "FW_Machine.h"
#include "FW_XmlRpcReader.h"

#include <cstring>

using XmlRpc::XmlRpcValue;

MachineInfo::~MachineInfo() = default;

bool MachineInfo::equalTo(const MachineInfo &other) const
{
    return std::strcmp(kind(), other.kind()) == 0 && toXmlRpcValue() == other.toXmlRpcValue();
}

bool MachineInfo::updateMachineConfiguration(FW_Machine &machine) const
{
    if (m_serialNumber.isEmpty() || machine.serialNumber() == m_serialNumber)
        return false;
    machine.setSerialNumber(m_serialNumber);
    return true;
}

XmlRpcValue MachineInfo::toXmlRpcValue() const
{
    XmlRpcValue value;
    value["serial"] = m_serialNumber.toStdString();
    value["model"] = m_model;
    if (m_mainProgram.isValid(true))
        value["program"] = m_mainProgram.toXmlRpcValue();
    value["hwRevision"] = m_hardwareRevision.toStdString();
    return value;
}

bool MachineInfo::readCommon(const XmlRpcValue &value)
{
    if (value.getType() != XmlRpcValue::TypeStruct)
        return false;
    FW_XmlRpcReader reader(value);
    const QString serial = reader.toString("serial");
    const int model = reader.toInt("model");
    FW_Program program;
    if (value.hasMember("program")) {
        bool ok = false;
        program = FW_Program::fromXmlRpcValue(value["program"], &ok);
        reader.require(ok);
    }
    const QString revision = reader.toString("hwRevision");
    if (!reader.ok())
        return false;
    m_serialNumber = serial;
    m_model = model;
    m_mainProgram = program;
    m_hardwareRevision = revision;
    return true;
}

MachineInfo MachineInfo::fromXmlRpcValue(const XmlRpcValue &value, bool *ok)
{
    MachineInfo info;
    const bool valid = info.readCommon(value);
    if (ok)
        *ok = valid;
    return valid ? info : MachineInfo();
}
