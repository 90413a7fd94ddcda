#ifndef GETKEYCMD_H
#define GETKEYCMD_H

#include "ProtoCommand.h"

//! "GET_KEY": the second step of the session handshake. The client sends a
//! fresh nonce; the driver answers with its own nonce and a proof that it
//! holds the protocol secret.
class AXOCOMM_EXPORT GetKeyCmd : public ProtoCommand
{
public:
    GetKeyCmd(const QString &sessionID, const QString &clientKey);

    QString sessionID() const { return m_sessionID; }
    QString clientKey() const { return m_clientKey; }
    ProtoCommand *clone() const override { return new GetKeyCmd(*this); }

    //! Makes a fresh client key; n identifies it for createLoginKey. Each
    //! key serves one handshake.
    static void createSharedKey(QString &clientKey, int &n);
    //! Checks the driver's proof and makes the key that certifies the
    //! session; empty when the driver's key does not hold or n is unknown.
    static QString createLoginKey(const QString &driverKey, int n);

protected:
    QString callSession(const QString &) const override { return m_sessionID; }

private:
    QString m_sessionID;
    QString m_clientKey;
};

#endif // GETKEYCMD_H
