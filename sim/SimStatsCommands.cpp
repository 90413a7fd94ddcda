#include "SimCommandGroup.h"

// The commands of statistics.

QStringList simStatsCommandNames()
{
    return QStringList();
}

bool simServeStatsCommand(const SimCall &call, XmlRpc::XmlRpcValue *result)
{
    Q_UNUSED(call);
    Q_UNUSED(result);
    return false;
}
