#ifndef AXOCLIENTSETTINGS_H
#define AXOCLIENTSETTINGS_H

#include "AXOCommGlobal.h"

#include <QtCore/QByteArray>
#include <QtCore/QString>

//! The client settings file shared with the service application: an INI
//! file at `<root>/wuser/CommonSettings/commonSettings`, never written. What
//! it says is read again whenever the file has changed since the last read
//! (or another root is set), so every use sees the file as it is. `<root>` is the file-system root, or the value of
//! the environment variable AXOCOMM_SETTINGS_ROOT when that is set.
class AXOCOMM_EXPORT AXOClientSettings
{
public:
    static const char UseOpenSslKey[];  //!< "AXOServiceUSEOPENSSL"
    static const char DriverIPKey[];    //!< "AXODriverIP"
    static const char RootEnvironmentVariable[]; //!< "AXOCOMM_SETTINGS_ROOT"
    static const char ProtocolSecretKey[];     //!< "AXOProtocolSecret"
    static const char ProtocolSecretFileKey[]; //!< "AXOProtocolSecretFile"
    static const char AccessLevelKey[];        //!< "AXOAccessLevel"
    static const char TlsCaFileKey[];          //!< "AXOTlsCaFile"
    static const char TlsPeerNameKey[];        //!< "AXOTlsPeerName"

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
    //! The protocol secret the settings give: AXOProtocolSecret (64 hex
    //! digits) or else the file named by AXOProtocolSecretFile (the same
    //! text). Empty when neither is set; *error tells when one is set but is
    //! not a secret.
    static QByteArray protocolSecret(QString *error = nullptr);
    //! The access level sessions are asked for (AXOAccessLevel: 1 operator,
    //! 2 service, 3 factory); 1 when absent or not one of those.
    static int accessLevel();
    //! The PEM CA file the driver's TLS certificate must verify against
    //! (AXOTlsCaFile); empty when absent: the certificate is not verified.
    static QString tlsCaFile();
    //! The name the driver's certificate must be issued for instead of the
    //! address connected to (AXOTlsPeerName); empty when absent.
    static QString tlsPeerName();
};

#endif // AXOCLIENTSETTINGS_H
