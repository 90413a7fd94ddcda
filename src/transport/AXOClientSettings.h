#ifndef AXOCLIENTSETTINGS_H
#define AXOCLIENTSETTINGS_H

#include "AXOCommGlobal.h"

#include <QtCore/QString>

//! The client settings file shared with the service application: an INI
//! file at <root>/wuser/CommonSettings/commonSettings, read anew at every
//! use and never written. <root> is the file-system root, or the value of
//! the environment variable AXOCOMM_SETTINGS_ROOT when that is set.
class AXOCOMM_EXPORT AXOClientSettings
{
public:
    static const char UseOpenSslKey[];  // "AXOServiceUSEOPENSSL"
    static const char DriverIPKey[];    // "AXODriverIP"
    static const char RootEnvironmentVariable[]; // "AXOCOMM_SETTINGS_ROOT"

    //! The root the path starts from, always ending with a separator.
    static QString rootPath();
    //! The settings file's path in native separators.
    static QString filePath();
    //! True: driver connections use TLS with credentials. Absent: false.
    static bool useOpenSsl();
    //! The driver address the service application was set up with; empty when absent.
    static QString driverIP();
    //! True when the configured driver runs on this machine.
    static bool isLocalDriver();
};

#endif // AXOCLIENTSETTINGS_H
