#include "ProtocolCommandInfo.h"

#include "FW_XmlRpcReader.h"

using XmlRpc::XmlRpcValue;

XmlRpcValue ProtocolCommandInfo::toXmlRpcValue() const
{
    XmlRpcValue value;
    value["name"] = m_name.toStdString();
    value["version"] = m_version;
    return value;
}

ProtocolCommandInfo ProtocolCommandInfo::fromXmlRpcValue(const XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    const QString name = reader.toString("name");
    const int version = reader.toInt("version");
    reader.require(!name.isEmpty() && version >= 0);
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? ProtocolCommandInfo(name, version) : ProtocolCommandInfo();
}
