#include "FW_Program.h"

#include "FW_XmlRpcReader.h"

static const int s_programType = qRegisterMetaType<FW_Program>("FW_Program");

bool FW_Program::isValid(bool acceptBootLoader) const
{
    if (m_boardAddress < 1)
        return false;
    return m_bootLoaderActive ? acceptBootLoader : m_version.isValid();
}

QString FW_Program::toString() const
{
    if (m_bootLoaderActive)
        return QStringLiteral("%1: boot loader").arg(m_boardAddress);
    return QStringLiteral("%1: %2 %3").arg(m_boardAddress).arg(m_name, m_version.toString());
}

bool FW_Program::operator==(const FW_Program &other) const
{
    return m_boardAddress == other.m_boardAddress && m_name == other.m_name && m_version == other.m_version
        && m_bootLoaderActive == other.m_bootLoaderActive;
}

XmlRpc::XmlRpcValue FW_Program::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    value["board"] = m_boardAddress;
    value["name"] = m_name.toStdString();
    value["version"] = m_version.toXmlRpcValue();
    value["bootLoader"] = m_bootLoaderActive;
    return value;
}

FW_Program FW_Program::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    FW_Program program;
    program.m_boardAddress = reader.toInt("board");
    program.m_name = reader.toString("name", QString());
    program.m_bootLoaderActive = reader.toBool("bootLoader", false);
    // A board in its boot loader may not report an application version.
    if (value.getType() == XmlRpc::XmlRpcValue::TypeStruct && value.hasMember("version")) {
        bool versionOk = false;
        program.m_version = FW_Version::fromXmlRpcValue(value["version"], &versionOk);
        reader.require(versionOk);
    } else {
        reader.require(program.m_bootLoaderActive);
    }
    reader.require(program.m_boardAddress >= 0);
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? program : FW_Program();
}
