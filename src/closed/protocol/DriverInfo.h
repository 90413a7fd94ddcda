#ifndef DRIVERINFO_H
#define DRIVERINFO_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

//! What "GET_DRIVER_INFO" tells of the driver: its name, version text,
//! protocol version, whether it simulates its machines, how many machines it
//! has and for how long it has been running.
class AXOCOMM_EXPORT DriverInfo
{
public:
    DriverInfo() = default;
    //! The information as the driver reports it.
    DriverInfo(const QString &name, const QString &version, int protocolVersion, bool simulation, int machines,
               qint64 upTimeSeconds)
        : m_name(name), m_version(version), m_protocol(protocolVersion), m_simulation(simulation),
          m_machines(machines), m_upTime(upTimeSeconds)
    {
    }

    //! Name of the driver.
    QString name() const { return m_name; }
    //! Version text of the driver.
    QString version() const { return m_version; }
    //! Protocol version the driver speaks.
    int protocolVersion() const { return m_protocol; }
    //! Whether the driver simulates its machines.
    bool isSimulation() const { return m_simulation; }
    //! Number of machines of the driver.
    int machineCount() const { return m_machines; }
    //! Seconds since the driver started.
    qint64 upTimeSeconds() const { return m_upTime; }

    //! Equal in every field.
    bool operator==(const DriverInfo &other) const;
    //! The negation of operator==.
    bool operator!=(const DriverInfo &other) const { return !(*this == other); }

    //! {"name": string, "version": string, "protocol": int, "simulation": bool,
    //!  "machines": int, "upTime": int (seconds)}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static DriverInfo fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    QString m_name;
    QString m_version;
    int m_protocol = 0;
    bool m_simulation = false;
    int m_machines = 0;
    qint64 m_upTime = 0;
};

Q_DECLARE_METATYPE(DriverInfo)

#endif // DRIVERINFO_H
