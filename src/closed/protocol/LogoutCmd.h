#ifndef LOGOUTCMD_H
#define LOGOUTCMD_H

#include "ProtoCommand.h"

//! "LOGOUT": closes a session.
class AXOCOMM_EXPORT LogoutCmd : public ProtoCommand
{
public:
    //! Closes that session.
    explicit LogoutCmd(const QString &sessionID);

    //! The session to close.
    QString sessionID() const { return m_sessionID; }
    ProtoCommand *clone() const override { return new LogoutCmd(*this); }

protected:
    QString callSession(const QString &) const override { return m_sessionID; }

private:
    QString m_sessionID;
};

#endif // LOGOUTCMD_H
