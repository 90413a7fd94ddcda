#include "ConfigID.h"

#include "FW_XmlRpcReader.h"

XmlRpc::XmlRpcValue ConfigID::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    value["id"] = m_machineID.toXmlRpcValue();
    value["revision"] = m_revision;
    value["cid"] = m_cid.toStdString();
    return value;
}

ConfigID ConfigID::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    bool idOk = false;
    const MachineID id = MachineID::fromXmlRpcValue(reader.member("id"), &idOk);
    reader.require(idOk);
    const int revision = reader.toInt("revision");
    const QString cid = reader.toString("cid", QString());
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? ConfigID(id, revision, cid) : ConfigID();
}
