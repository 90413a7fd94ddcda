#ifndef SESSION_H
#define SESSION_H

#include "AXOCommGlobal.h"
#include "MachineID.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

//! A login session of a client with a machine of a driver.
class AXOCOMM_EXPORT Session
{
public:
    //! An invalid session.
    Session() = default;
    //! A session as the login handshake made it.
    Session(int driverID, const MachineID &machineID, const QString &clientID, int lifetime,
            const QString &sessionID, const QString &loginKey, bool certified)
        : m_driverID(driverID), m_machineID(machineID), m_clientID(clientID), m_lifetime(lifetime),
          m_sessionID(sessionID), m_loginKey(loginKey), m_certified(certified)
    {
    }

    //! The driver the session is opened with.
    int driverID() const { return m_driverID; }
    //! The machine the session works on.
    MachineID machineID() const { return m_machineID; }
    //! The client ID given at login.
    QString getClientID() const { return m_clientID; }
    //! Minutes the session may stay unused before the driver drops it.
    int lifetime() const { return m_lifetime; }
    //! The session ID the driver gave; empty for an invalid session.
    QString getSessionID() const { return m_sessionID; }
    //! The login key the session was certified with.
    QString loginKey() const { return m_loginKey; }
    //! Whether CERTIFY_SESSION succeeded.
    bool isCertified() const { return m_certified; }
    //! Whether there is a session ID.
    bool isValid() const { return !m_sessionID.isEmpty(); }

    //! Equal in every field.
    bool operator==(const Session &other) const
    {
        return m_driverID == other.m_driverID && m_machineID == other.m_machineID
            && m_clientID == other.m_clientID && m_lifetime == other.m_lifetime
            && m_sessionID == other.m_sessionID && m_loginKey == other.m_loginKey
            && m_certified == other.m_certified;
    }
    //! The negation of operator==.
    bool operator!=(const Session &other) const { return !(*this == other); }

private:
    int m_driverID = 0;
    MachineID m_machineID;
    QString m_clientID;
    int m_lifetime = 0;
    QString m_sessionID;
    QString m_loginKey;
    bool m_certified = false;
};

Q_DECLARE_METATYPE(Session)

#endif // SESSION_H
