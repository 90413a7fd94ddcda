#include "LogoutCmd.h"

LogoutCmd::LogoutCmd(const QString &sessionID) : ProtoCommand(QStringLiteral("LOGOUT")), m_sessionID(sessionID)
{
}
