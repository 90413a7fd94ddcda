#include "GetSwVersionAnswer.h"

#include "FW_XmlRpcReader.h"

using XmlRpc::XmlRpcValue;

bool GetSwVersionAnswer::decodeData(const XmlRpcValue &data)
{
    FW_XmlRpcReader reader(data);
    const QString text = reader.toString("version");
    const int protocol = reader.toInt("protocol");
    reader.require(!QVersionNumber::fromString(text).isNull() && protocol >= 1);
    if (!reader.ok())
        return false;
    m_versionText = text;
    m_protocol = protocol;
    return true;
}

XmlRpcValue GetSwVersionAnswer::encodeData() const
{
    XmlRpcValue data;
    data["version"] = m_versionText.toStdString();
    data["protocol"] = m_protocol;
    return data;
}
