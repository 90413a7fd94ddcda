#ifndef FW_VERSION_H
#define FW_VERSION_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

//! A firmware version as a board reports it: the application version
//! (major.minor.build), the version of the machine configuration layout the
//! firmware reads and the version of the protocol it speaks with the driver.
class AXOCOMM_EXPORT FW_Version
{
public:
    FW_Version() = default;
    //! A version from its five numbers.
    FW_Version(int majorVersion, int minorVersion, int build, int configVersion, int protocolVersion)
        : m_major(majorVersion), m_minor(minorVersion), m_build(build), m_configVersion(configVersion),
          m_protocolVersion(protocolVersion)
    {
    }

    //! Application major version.
    int majorVersion() const { return m_major; }
    //! Application minor version.
    int minorVersion() const { return m_minor; }
    //! Application build number.
    int build() const { return m_build; }
    //! Version of the configuration layout the firmware reads.
    int configVersion() const { return m_configVersion; }
    //! Version of the protocol the firmware speaks with the driver.
    int protocolVersion() const { return m_protocolVersion; }

    //! A version was reported: an application version other than 0.0.0 and
    //! configuration and protocol versions of at least 1.
    bool isValid() const;
    //! The firmware reads a configuration layout newer than this software writes.
    bool hasNewConfigurationVersion() const;
    //! The newest configuration layout this software reads and writes.
    static int supportedConfigVersion() { return 3; }

    //! "2.4.117 (config 3, protocol 7)"; empty when not valid.
    QString toString() const;

    //! Equal in every field.
    bool operator==(const FW_Version &other) const;
    //! The negation of operator==.
    bool operator!=(const FW_Version &other) const { return !(*this == other); }

    //! {"major": int, "minor": int, "build": int, "config": int, "protocol": int}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static FW_Version fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    int m_major = 0;
    int m_minor = 0;
    int m_build = 0;
    int m_configVersion = 0;
    int m_protocolVersion = 0;
};

Q_DECLARE_METATYPE(FW_Version)

#endif // FW_VERSION_H
