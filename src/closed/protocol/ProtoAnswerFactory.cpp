#include "ProtoAnswerFactory.h"

#include "CertifySessionAnswer.h"
#include "ClearErrorsAnswer.h"
#include "CloneMachineAnswer.h"
#include "FirmwareScanAnswer.h"
#include "GetCalibrationListAnswer.h"
#include "GetQRCodeCalibrationAnswer.h"
#include "GetRecalibrationListAnswer.h"
#include "GravSettingsAnswer.h"
#include "DispenserDriverStatusAnswer.h"
#include "ExecQStatsAnswer.h"
#include "FirmwareVersionAnswer.h"
#include "CircuitsStatusAnswer.h"
#include "GetActiveCircuitsAnswer.h"
#include "GetCanisterListAnswer.h"
#include "GetCircuitListAnswer.h"
#include "GetColorantListAnswer.h"
#include "GetDbFileAnswer.h"
#include "GetDeviceListAnswer.h"
#include "GetDispensedFormulaAnswer.h"
#include "GetDriverInfoAnswer.h"
#include "GetFormulaExecutionAnswer.h"
#include "GetLogsAnswer.h"
#include "GetRemoteDriverSettingsAnswer.h"
#include "GetActiveDispAnswer.h"
#include "GetCalibrationProfilesAnswer.h"
#include "GetColorantUsageStatsAnswer.h"
#include "GetCommandListAnswer.h"
#include "GetCommandStatusAnswer.h"
#include "GetConfigAnswer.h"
#include "GetConnectionStatusAnswer.h"
#include "GetDriverSettingsAnswer.h"
#include "GetErrorsAnswer.h"
#include "GetKeyAnswer.h"
#include "GetMachineListAnswer.h"
#include "GetSwVersionAnswer.h"
#include "GetUssWaterStatusAnswer.h"
#include "GravTrainStatusAnswer.h"
#include "LoginAnswer.h"
#include "MixerDriverStatusAnswer.h"
#include "TintAnswer.h"
#include "ScaleStatusAnswer.h"
#include "SensorDataAnswer.h"
#include "WeightAnswer.h"

#include <QtCore/QHash>

#include <functional>

namespace {

typedef std::function<XmlRpcAnswer *()> Maker;

template<typename T>
Maker make()
{
    return [] { return new T(); };
}

Maker makeMachineList(int machineType)
{
    return [machineType] { return new GetMachineListAnswer(machineType); };
}

const QHash<QString, Maker> &makers()
{
    static const QHash<QString, Maker> table = {
        {QStringLiteral("LOGIN"), make<LoginAnswer>()},
        {QStringLiteral("GET_KEY"), make<GetKeyAnswer>()},
        {QStringLiteral("CERTIFY_SESSION"), make<CertifySessionAnswer>()},
        {QStringLiteral("GET_CMD_STATUS"), make<GetCommandStatusAnswer>()},
        {QStringLiteral("GET_DISP_STATUS"), make<DispenserDriverStatusAnswer>()},
        {QStringLiteral("GET_MIXER_STATUS"), make<MixerDriverStatusAnswer>()},
        {QStringLiteral("GET_ACTIVE_DISP"), make<GetActiveDispAnswer>()},
        {QStringLiteral("GET_CONN_STATUS"), make<GetConnectionStatusAnswer>()},
        {QStringLiteral("GET_CURRENT_WEIGHT"), make<WeightAnswer>()},
        {QStringLiteral("GET_USS_W_STATUS"), make<GetUssWaterStatusAnswer>()},
        {QStringLiteral("GET_DISP_LIST"), makeMachineList(MachineID::Dispenser)},
        {QStringLiteral("GET_MIXER_LIST"), makeMachineList(MachineID::Mixer)},
        {QStringLiteral("GET_SW_VERSION"), make<GetSwVersionAnswer>()},
        {QStringLiteral("GET_ERRORS"), make<GetErrorsAnswer>()},
        {QStringLiteral("CLEAR_ERRORS"), make<ClearErrorsAnswer>()},
        {QStringLiteral("TINT"), make<TintAnswer>()},
        {QStringLiteral("GET_ACTIVE_CIRCUITS"), make<GetActiveCircuitsAnswer>()},
        {QStringLiteral("GET_CONFIG"), make<GetConfigAnswer>()},
        {QStringLiteral("GET_CALIB_PROFILES"), make<GetCalibrationProfilesAnswer>()},
        {QStringLiteral("GET_DRIVER_SETTINGS"), make<GetDriverSettingsAnswer>()},
        {QStringLiteral("GET_CMD_LIST"), make<GetCommandListAnswer>()},
        {QStringLiteral("READ_FW_VERSION"), make<FirmwareVersionAnswer>()},
        {QStringLiteral("EXECQ"), make<ExecQStatsAnswer>()},
        {QStringLiteral("GET_COL_USAGE_STATS"), make<GetColorantUsageStatsAnswer>()},
        {QStringLiteral("GRAV_TRAINING_STATUS"), make<GravTrainStatusAnswer>()},
        {QStringLiteral("CLONE_MACHINE"), make<CloneMachineAnswer>()},
        {QStringLiteral("GET_CALIB_LIST"), make<GetCalibrationListAnswer>()},
        {QStringLiteral("GET_RECALIB_LIST"), make<GetRecalibrationListAnswer>()},
        {QStringLiteral("GET_QRCODE_CALIB"), make<GetQRCodeCalibrationAnswer>()},
        {QStringLiteral("GET_GRAV_SETTINGS"), make<GravSettingsAnswer>()},
        {QStringLiteral("FW_SCAN"), make<FirmwareScanAnswer>()},
        {QStringLiteral("GET_CIRCUITS_STATUS"), make<CircuitsStatusAnswer>()},
        {QStringLiteral("GET_SENSOR_DATA"), make<SensorDataAnswer>()},
        {QStringLiteral("GET_SCALE_STATUS"), make<ScaleStatusAnswer>()},
        {QStringLiteral("GET_CIRCUIT_LIST"), make<GetCircuitListAnswer>()},
        {QStringLiteral("GET_COLORANT_LIST"), make<GetColorantListAnswer>()},
        {QStringLiteral("GET_DEVICE_LIST"), make<GetDeviceListAnswer>()},
        {QStringLiteral("GET_CANISTER_LIST"), make<GetCanisterListAnswer>()},
        {QStringLiteral("GET_DRIVER_INFO"), make<GetDriverInfoAnswer>()},
        {QStringLiteral("GET_REMOTE_DRIVER_SETTINGS"), make<GetRemoteDriverSettingsAnswer>()},
        {QStringLiteral("GETDBFILE"), make<GetDbFileAnswer>()},
        {QStringLiteral("GETLOGS"), make<GetLogsAnswer>()},
        {QStringLiteral("GET_FORMULA_EXECUTION"), make<GetFormulaExecutionAnswer>()},
        {QStringLiteral("GET_DISPENSED_FORMULA"), make<GetDispensedFormulaAnswer>()},
    };
    return table;
}

} // namespace

XmlRpcAnswer *ProtoAnswerFactory::create(const QString &commandName)
{
    const auto it = makers().constFind(commandName);
    return it != makers().constEnd() ? (*it)() : new XmlRpcAnswer();
}
