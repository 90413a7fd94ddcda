#include "SimCommandGroup.h"

const QList<SimCommandGroup> &simCommandGroups()
{
    static const QList<SimCommandGroup> groups = {
        {simSensorCommandNames, simServeSensorCommand},
        {simStatsCommandNames, simServeStatsCommand},
        {simDataCommandNames, simServeDataCommand},
        {simCalibrationCommandNames, simServeCalibrationCommand},
    };
    return groups;
}
