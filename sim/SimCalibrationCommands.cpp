#include "SimCommandGroup.h"

// The commands of configuration edits, calibration and settings.

QStringList simCalibrationCommandNames()
{
    return QStringList();
}

bool simServeCalibrationCommand(const SimCall &call, XmlRpc::XmlRpcValue *result)
{
    Q_UNUSED(call);
    Q_UNUSED(result);
    return false;
}
