#include "CertifySessionCmd.h"

CertifySessionCmd::CertifySessionCmd(const QString &sessionID, const QString &loginKey)
    : ProtoCommand(QStringLiteral("CERTIFY_SESSION"), QList<QVariant>{loginKey}),
      m_sessionID(sessionID),
      m_loginKey(loginKey)
{
}
