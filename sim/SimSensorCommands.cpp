#include "SimCommandGroup.h"

// The commands of sensors, circuits and scale readings.

QStringList simSensorCommandNames()
{
    return QStringList();
}

bool simServeSensorCommand(const SimCall &call, XmlRpc::XmlRpcValue *result)
{
    Q_UNUSED(call);
    Q_UNUSED(result);
    return false;
}
