#ifndef CERTIFYSESSIONCMD_H
#define CERTIFYSESSIONCMD_H

#include "ProtoCommand.h"

//! "CERTIFY_SESSION": the last step of the handshake, with the login key
//! made by GetKeyCmd::createLoginKey.
class AXOCOMM_EXPORT CertifySessionCmd : public ProtoCommand
{
public:
    //! Certifies that session with the login key.
    CertifySessionCmd(const QString &sessionID, const QString &loginKey);

    //! The session to certify; the call carries it as its session.
    QString sessionID() const { return m_sessionID; }
    //! The login key, the command's only parameter.
    QString loginKey() const { return m_loginKey; }
    ProtoCommand *clone() const override { return new CertifySessionCmd(*this); }

protected:
    QString callSession(const QString &) const override { return m_sessionID; }

private:
    QString m_sessionID;
    QString m_loginKey;
};

#endif // CERTIFYSESSIONCMD_H
