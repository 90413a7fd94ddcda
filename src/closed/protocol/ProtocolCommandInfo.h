#ifndef PROTOCOLCOMMANDINFO_H
#define PROTOCOLCOMMANDINFO_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

//! A command a machine's driver supports, as "GET_CMD_LIST" lists it: the
//! command name and the version of the command the driver implements.
class AXOCOMM_EXPORT ProtocolCommandInfo
{
public:
    ProtocolCommandInfo() = default;
    //! A command name with the version the driver implements.
    ProtocolCommandInfo(const QString &name, int version) : m_name(name), m_version(version) {}

    //! Command name.
    QString name() const { return m_name; }
    //! Sets name().
    void setName(const QString &name) { m_name = name; }
    //! Version of the command the driver implements.
    int version() const { return m_version; }
    //! Sets version().
    void setVersion(int version) { m_version = version; }

    //! Equal in every field.
    bool operator==(const ProtocolCommandInfo &other) const
    {
        return m_name == other.m_name && m_version == other.m_version;
    }
    //! The negation of operator==.
    bool operator!=(const ProtocolCommandInfo &other) const { return !(*this == other); }

    //! {"name": string, "version": int}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! A default entry and *ok false when a member is missing or of the
    //! wrong kind, the name is empty or the version negative.
    static ProtocolCommandInfo fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    QString m_name;
    int m_version = 0;
};

Q_DECLARE_METATYPE(ProtocolCommandInfo)

#endif // PROTOCOLCOMMANDINFO_H
