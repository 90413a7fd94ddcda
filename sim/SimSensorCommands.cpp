#include "SimCommandGroup.h"

#include "ProtoCommandList.h"
#include "SimDriverModel.h"

// The commands of sensors, circuits and scale readings. GET_CIRCUITS_STATUS
// is a notify-changed query: the protocol handler holds it until the
// answer differs from the client's previous one (a level changes).

QStringList simSensorCommandNames()
{
    return {QStringLiteral("GET_CIRCUITS_STATUS"), QStringLiteral("GET_SENSOR_DATA"),
            QStringLiteral("GET_CURRENT_WEIGHT"), QStringLiteral("GET_SCALE_STATUS")};
}

bool simServeSensorCommand(const SimCall &call, XmlRpc::XmlRpcValue *result)
{
    switch (call.identifier) {
    case ProtoCommandList::GET_CIRCUITS_STATUS:
        *result = call.model.circuitsStatus(call.machine, call.params);
        return true;
    case ProtoCommandList::GET_SENSOR_DATA:
        *result = call.model.sensorData(call.machine, call.params);
        return true;
    case ProtoCommandList::GET_CURRENT_WEIGHT:
        *result = call.model.currentWeight(call.machine);
        return true;
    case ProtoCommandList::GET_SCALE_STATUS:
        *result = call.model.scaleStatus(call.machine);
        return true;
    default:
        return false;
    }
}
