#ifndef LOGINCMD_H
#define LOGINCMD_H

#include "MachineID.h"
#include "ProtoCommand.h"

//! "LOGIN": opens a session for a machine. The driver answers with a new
//! session ID, usable once certified.
class AXOCOMM_EXPORT LoginCmd : public ProtoCommand
{
public:
    //! lifetime: minutes the session may stay unused before the driver drops
    //! it. accessLevel: the level asked for (1 operator, 2 service, 3 factory).
    LoginCmd(const MachineID &machineID, const QString &clientID, int lifetime, int accessLevel = 1);

    //! The machine the session is for.
    MachineID machineID() const { return m_machineID; }
    //! The client's ID.
    QString clientID() const { return m_clientID; }
    //! Minutes the session may stay unused.
    int lifetime() const { return m_lifetime; }
    //! The access level asked for.
    int accessLevel() const { return m_accessLevel; }
    ProtoCommand *clone() const override { return new LoginCmd(*this); }

private:
    MachineID m_machineID;
    QString m_clientID;
    int m_lifetime;
    int m_accessLevel;
};

#endif // LOGINCMD_H
