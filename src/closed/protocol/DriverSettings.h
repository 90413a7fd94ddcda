#ifndef DRIVERSETTINGS_H
#define DRIVERSETTINGS_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

//! The settings a driver runs with, as "GET_DRIVER_SETTINGS" reads them:
//! the user interface language, the volume and weight units, the driver's
//! log level, whether the driver simulates its machines and whether it skips
//! the firmware compatibility checks.
//!
//! The driver keeps them as a text of "key=value" lines (keys as in the
//! XML-RPC form below; blank lines and lines starting with '#' are ignored,
//! unknown keys too). A key the text does not set keeps its default, so an
//! empty text gives the defaults: "en", "cc", "g", log level 2 (info), no
//! simulation, firmware checks on.
class AXOCOMM_EXPORT DriverSettings
{
public:
    //! The driver's own log level.
    enum LogLevel { Trace = 0, Debug = 1, Info = 2, Warning = 3, Error = 4, Fatal = 5 };

    //! The defaults: "en", "cc", "g", level Info, no simulation, firmware checks on.
    DriverSettings() = default;

    //! The driver's language code.
    QString language() const { return m_language; }
    //! Sets the language code.
    void setLanguage(const QString &language) { m_language = language; }
    //! The volume unit, e.g. "cc".
    QString volumeUnit() const { return m_volumeUnit; }
    //! Sets the volume unit.
    void setVolumeUnit(const QString &unit) { m_volumeUnit = unit; }
    //! The weight unit, e.g. "g".
    QString weightUnit() const { return m_weightUnit; }
    //! Sets the weight unit.
    void setWeightUnit(const QString &unit) { m_weightUnit = unit; }
    //! A LogLevel value.
    int logLevel() const { return m_logLevel; }
    //! Levels outside Trace..Fatal are ignored.
    void setLogLevel(int level);
    //! The driver simulates its machines instead of driving real hardware.
    bool simulationMode() const { return m_simulation; }
    //! Sets simulation mode.
    void setSimulationMode(bool on) { m_simulation = on; }
    //! The driver accepts machine configurations without checking them
    //! against the firmware of the machines.
    bool skipFwChecks() const { return m_skipFwChecks; }
    //! Sets that flag.
    void setSkipFwChecks(bool on) { m_skipFwChecks = on; }

    //! Every setting equal.
    bool operator==(const DriverSettings &other) const;
    //! Not operator==().
    bool operator!=(const DriverSettings &other) const { return !(*this == other); }

    //! The settings text, every key on a line of its own.
    QString toText() const;
    //! Defaults overridden by the keys the text sets; the defaults and *ok
    //! false when a line has no '=' or a value is malformed.
    static DriverSettings fromText(const QString &text, bool *ok = nullptr);

    //! {"language": string, "volumeUnit": string, "weightUnit": string,
    //!  "logLevel": int, "simulation": bool, "skipFwChecks": bool}; every
    //! member is optional when read (missing ones keep their default).
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! The settings of such a struct; *ok false when it is not one.
    static DriverSettings fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    QString m_language = QStringLiteral("en");
    QString m_volumeUnit = QStringLiteral("cc");
    QString m_weightUnit = QStringLiteral("g");
    int m_logLevel = Info;
    bool m_simulation = false;
    bool m_skipFwChecks = false;
};

Q_DECLARE_METATYPE(DriverSettings)

#endif // DRIVERSETTINGS_H
