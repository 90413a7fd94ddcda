#include "LoginCmd.h"

LoginCmd::LoginCmd(const MachineID &machineID, const QString &clientID, int lifetime)
    : ProtoCommand(QStringLiteral("LOGIN"),
                   QList<QVariant>{QVariant::fromValue(machineID), clientID, lifetime}),
      m_machineID(machineID),
      m_clientID(clientID),
      m_lifetime(lifetime)
{
}
