#ifndef GETKEYCMD_H
#define GETKEYCMD_H

#include "MachineID.h"
#include "ProtoCommand.h"

//! "GET_KEY": the second step of the session handshake. The client sends a
//! fresh nonce; the driver answers with its own nonce and a proof that it
//! holds the protocol secret.
class AXOCOMM_EXPORT GetKeyCmd : public ProtoCommand
{
public:
    //! Sends the client key in that session.
    GetKeyCmd(const QString &sessionID, const QString &clientKey);

    //! The session of the handshake.
    QString sessionID() const { return m_sessionID; }
    //! The client key, the command's only parameter.
    QString clientKey() const { return m_clientKey; }
    ProtoCommand *clone() const override { return new GetKeyCmd(*this); }

    //! Makes a fresh client key for the login of a machine by a client at an
    //! access level (what LoginCmd sent); n identifies it for
    //! createLoginKey. Each key serves one handshake.
    static void createSharedKey(QString &clientKey, int &n, const MachineID &machine, const QString &clientID,
                                int accessLevel);
    //! The same for the driver-wide machine {0, 0}, an empty client ID and
    //! operator level.
    static void createSharedKey(QString &clientKey, int &n);
    //! Checks the driver's proof and makes the key that certifies the
    //! session; empty when the driver's key does not hold or n is unknown.
    //! Both keys cover the session, both nonces and what n was made for.
    static QString createLoginKey(const QString &driverKey, int n);

protected:
    QString callSession(const QString &) const override { return m_sessionID; }

private:
    QString m_sessionID;
    QString m_clientKey;
};

#endif // GETKEYCMD_H
