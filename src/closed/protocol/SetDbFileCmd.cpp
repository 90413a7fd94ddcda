#include "SetDbFileCmd.h"

SetDbFileCmd::SetDbFileCmd(const QByteArray &bytes)
    : ProtoCommand(QStringLiteral("SETDBFILE"), QList<QVariant>{bytes}), m_bytes(bytes)
{
}
