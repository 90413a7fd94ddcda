#include "SimCommandGroup.h"

#include "BasicCalibrationData.h"
#include "CalibrationData.h"
#include "GetCalibrationListAnswer.h"
#include "GetQRCodeCalibrationAnswer.h"
#include "GetRecalibrationListAnswer.h"
#include "ProtoAnswer.h"
#include "ProtoCommandList.h"
#include "QRCodeDensity.h"
#include "SimDriverModel.h"
#include "XmlRpcAnswer.h"

#include <QtCore/QFileInfo>

// The commands of configuration edits, calibration and settings.

using XmlRpc::XmlRpcValue;

namespace {

XmlRpcValue invalid(const SimCall &call)
{
    return SimDriverModel::failure(ProtoAnswer::RC_INVALID_PARAMS, SimDriverModel::InvalidParams, call.command);
}

XmlRpcValue acknowledged()
{
    return XmlRpcAnswer::makeResult(ProtoAnswer::RC_OK, FW_ErrorList(), XmlRpcValue::emptyStruct());
}

bool isString(const XmlRpcValue &value)
{
    return value.getType() == XmlRpcValue::TypeString;
}

// [circuit]: a position (a circuit without points has none), or 0 for all.
bool circuitParameter(const SimCall &call, int *circuit)
{
    if (call.params.size() != 1 || call.params[0].getType() != XmlRpcValue::TypeInt)
        return false;
    *circuit = call.params[0].asInt();
    return *circuit >= 0;
}

// [[point, ...]]: points of the simulated dispenser's circuits.
template<class T>
bool pointsParameter(const SimCall &call, QList<T> *points)
{
    if (call.params.size() != 1 || call.params[0].getType() != XmlRpcValue::TypeArray)
        return false;
    bool ok = true;
    for (int i = 0; ok && i < call.params[0].size(); ++i)
        points->append(T::fromXmlRpcValue(call.params[0][i], &ok));
    return ok;
}

// The import commands: strings, of which the first is a file that must
// exist on this host.
XmlRpcValue importFile(const SimCall &call, int count)
{
    if (call.params.size() != count)
        return invalid(call);
    for (int i = 0; i < count; ++i) {
        if (!isString(call.params[i]))
            return invalid(call);
    }
    if (!QFileInfo(QString::fromStdString(call.params[0].asString())).isFile())
        return invalid(call);
    return acknowledged();
}

XmlRpcValue serveLists(const SimCall &call)
{
    SimConfigStore &store = call.model.configStore();
    const int dispenser = call.machine.machineNumber;
    int circuit = 0;
    switch (call.identifier) {
    case ProtoCommandList::GET_CALIB_LIST:
        if (!circuitParameter(call, &circuit))
            return invalid(call);
        return GetCalibrationListAnswer(store.calibrationList(dispenser, circuit)).toXmlRpcValue();
    case ProtoCommandList::GET_RECALIB_LIST:
        if (!circuitParameter(call, &circuit))
            return invalid(call);
        return GetRecalibrationListAnswer(store.recalibrationList(dispenser, circuit)).toXmlRpcValue();
    case ProtoCommandList::SET_CALIB_LIST: {
        QList<CalibrationData> points;
        if (!pointsParameter(call, &points))
            return invalid(call);
        store.setCalibrationList(dispenser, points);
        return acknowledged();
    }
    case ProtoCommandList::SET_RECALIB_LIST: {
        QList<BasicCalibrationData> points;
        if (!pointsParameter(call, &points))
            return invalid(call);
        store.setRecalibrationList(dispenser, points);
        return acknowledged();
    }
    default: { // GET_QRCODE_CALIB
        const int capacity = call.params.size() == 1 && call.params[0].getType() == XmlRpcValue::TypeInt
            ? qrCodeCapacity(call.params[0].asInt())
            : 0;
        if (capacity == 0)
            return invalid(call);
        return GetQRCodeCalibrationAnswer(store.qrCodes(dispenser, capacity)).toXmlRpcValue();
    }
    }
}

} // namespace

QStringList simCalibrationCommandNames()
{
    return {QStringLiteral("SAVE_CONFIG"),         QStringLiteral("UPDATE_DB_CONFIGURATION"),
            QStringLiteral("CLONE_MACHINE"),       QStringLiteral("SET_ACTIVE_MACHINE"),
            QStringLiteral("SET_CALIB_PROFILES"),  QStringLiteral("SET_DRIVER_SETTINGS"),
            QStringLiteral("GET_CALIB_LIST"),      QStringLiteral("SET_CALIB_LIST"),
            QStringLiteral("GET_RECALIB_LIST"),    QStringLiteral("SET_RECALIB_LIST"),
            QStringLiteral("GET_QRCODE_CALIB"),    QStringLiteral("CALIB_XML_TO_DB"),
            QStringLiteral("DISP_TEST_XML_TO_DB"), QStringLiteral("IMPORT_BACKUP_TO_DB"),
            QStringLiteral("GET_GRAV_SETTINGS"),   QStringLiteral("SET_GRAV_SETTINGS"),
            QStringLiteral("TOGGLE_TEMPORIZED"),   QStringLiteral("FW_SCAN")};
}

bool simServeCalibrationCommand(const SimCall &call, XmlRpc::XmlRpcValue *result)
{
    SimDriverModel &model = call.model;
    switch (call.identifier) {
    case ProtoCommandList::SAVE_CONFIG: *result = model.saveConfiguration(call.params); break;
    case ProtoCommandList::UPDATE_DB_CONFIGURATION: *result = model.updateDbConfiguration(call.params); break;
    case ProtoCommandList::CLONE_MACHINE: *result = model.cloneMachine(call.params); break;
    case ProtoCommandList::SET_ACTIVE_MACHINE: *result = model.setActiveMachine(call.params); break;
    case ProtoCommandList::SET_CALIB_PROFILES: *result = model.configStore().saveCalibrationProfiles(call.params); break;
    case ProtoCommandList::SET_DRIVER_SETTINGS: *result = model.configStore().saveDriverSettings(call.params); break;
    case ProtoCommandList::GET_CALIB_LIST:
    case ProtoCommandList::SET_CALIB_LIST:
    case ProtoCommandList::GET_RECALIB_LIST:
    case ProtoCommandList::SET_RECALIB_LIST:
    case ProtoCommandList::GET_QRCODE_CALIB: *result = serveLists(call); break;
    case ProtoCommandList::CALIB_XML_TO_DB:
    case ProtoCommandList::DISP_TEST_XML_TO_DB: *result = importFile(call, 2); break;
    case ProtoCommandList::IMPORT_BACKUP_TO_DB: *result = importFile(call, 3); break;
    case ProtoCommandList::GET_GRAV_SETTINGS: *result = model.gravSettings(call.machine, call.params); break;
    case ProtoCommandList::SET_GRAV_SETTINGS: *result = model.setGravSettings(call.machine, call.params); break;
    case ProtoCommandList::TOGGLE_TEMPORIZED: *result = model.toggleTimedProcesses(call.machine, call.params); break;
    case ProtoCommandList::FW_SCAN: *result = model.firmwareScan(call.machine); break;
    default: return false;
    }
    return true;
}
