#include "GetDataListCmd.h"

GetDataListCmd::GetDataListCmd(const QString &name, bool onlyInUse)
    : ProtoCommand(name, onlyInUse ? QList<QVariant>{true} : QList<QVariant>()), m_onlyInUse(onlyInUse)
{
}
