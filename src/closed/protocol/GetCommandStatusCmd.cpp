#include "GetCommandStatusCmd.h"

GetCommandStatusCmd::GetCommandStatusCmd(int ticketID)
    : ProtoCommand(QStringLiteral("GET_CMD_STATUS"), QList<QVariant>{ticketID}), m_ticketID(ticketID)
{
}
