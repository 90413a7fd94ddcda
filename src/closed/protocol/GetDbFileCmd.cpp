#include "GetDbFileCmd.h"

GetDbFileCmd::GetDbFileCmd(const QString &fileName)
    : ProtoCommand(QStringLiteral("GETDBFILE"), QList<QVariant>{fileName}), m_fileName(fileName)
{
}
