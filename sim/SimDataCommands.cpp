#include "SimCommandGroup.h"

// The commands of lists, driver data, files and formulas.

QStringList simDataCommandNames()
{
    return QStringList();
}

bool simServeDataCommand(const SimCall &call, XmlRpc::XmlRpcValue *result)
{
    Q_UNUSED(call);
    Q_UNUSED(result);
    return false;
}
