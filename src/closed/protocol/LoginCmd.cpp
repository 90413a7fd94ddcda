#include "LoginCmd.h"

LoginCmd::LoginCmd(const MachineID &machineID, const QString &clientID, int lifetime, int accessLevel)
    : ProtoCommand(QStringLiteral("LOGIN"),
                   QList<QVariant>{QVariant::fromValue(machineID), clientID, lifetime, accessLevel}),
      m_machineID(machineID),
      m_clientID(clientID),
      m_lifetime(lifetime),
      m_accessLevel(accessLevel)
{
}
