#ifndef CONFIGID_H
#define CONFIGID_H

#include "AXOCommGlobal.h"
#include "MachineID.h"
#include "XmlRpcValue.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

//! The identity of one machine's stored configuration: the machine, the
//! revision the driver gives it at every save, and the client that saved it.
//! Drivers report these in their machine statuses, so that a client can tell
//! that a configuration changed under it (FW_Configuration::configurationChanged).
class AXOCOMM_EXPORT ConfigID
{
public:
    ConfigID() = default;
    //! The identity of a revision of a machine's configuration.
    ConfigID(const MachineID &machineID, int revision, const QString &cid = QString())
        : m_machineID(machineID), m_revision(revision), m_cid(cid)
    {
    }

    //! The machine the configuration is for.
    MachineID machineID() const { return m_machineID; }
    //! The revision the driver gave the configuration at its last save.
    int revision() const { return m_revision; }
    //! ID of the client that saved this revision; empty when unknown.
    QString cid() const { return m_cid; }

    //! Equal in every field.
    bool operator==(const ConfigID &other) const
    {
        return m_machineID == other.m_machineID && m_revision == other.m_revision && m_cid == other.m_cid;
    }
    //! The negation of operator==.
    bool operator!=(const ConfigID &other) const { return !(*this == other); }

    //! {"id": MachineID struct, "revision": int, "cid": string (optional)}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static ConfigID fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    MachineID m_machineID;
    int m_revision = 0;
    QString m_cid;
};

Q_DECLARE_METATYPE(ConfigID)

#endif // CONFIGID_H
