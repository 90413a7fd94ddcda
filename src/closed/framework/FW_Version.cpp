#include "FW_Version.h"

#include "FW_XmlRpcReader.h"

static const int s_versionType = qRegisterMetaType<FW_Version>("FW_Version");

bool FW_Version::isValid() const
{
    const bool numbersOk = m_major >= 0 && m_minor >= 0 && m_build >= 0;
    return numbersOk && (m_major > 0 || m_minor > 0 || m_build > 0) && m_configVersion > 0 && m_protocolVersion > 0;
}

bool FW_Version::hasNewConfigurationVersion() const
{
    return isValid() && m_configVersion > supportedConfigVersion();
}

QString FW_Version::toString() const
{
    if (!isValid())
        return QString();
    return QStringLiteral("%1.%2.%3 (config %4, protocol %5)")
        .arg(m_major)
        .arg(m_minor)
        .arg(m_build)
        .arg(m_configVersion)
        .arg(m_protocolVersion);
}

bool FW_Version::operator==(const FW_Version &other) const
{
    return m_major == other.m_major && m_minor == other.m_minor && m_build == other.m_build
        && m_configVersion == other.m_configVersion && m_protocolVersion == other.m_protocolVersion;
}

XmlRpc::XmlRpcValue FW_Version::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    value["major"] = m_major;
    value["minor"] = m_minor;
    value["build"] = m_build;
    value["config"] = m_configVersion;
    value["protocol"] = m_protocolVersion;
    return value;
}

FW_Version FW_Version::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    const FW_Version version(reader.toInt("major"), reader.toInt("minor"), reader.toInt("build"),
                             reader.toInt("config"), reader.toInt("protocol"));
    reader.require(version.m_major >= 0 && version.m_minor >= 0 && version.m_build >= 0
                   && version.m_configVersion >= 0 && version.m_protocolVersion >= 0);
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? version : FW_Version();
}
