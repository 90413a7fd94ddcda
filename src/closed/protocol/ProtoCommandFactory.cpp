#include "ProtoCommandFactory.h"

#include "AddEventCmd.h"
#include "CircuitsStatusCmd.h"
#include "CloneMachineCmd.h"
#include "DeleteMachineCmd.h"
#include "ExecQStatsCmd.h"
#include "FirmwareScanCmd.h"
#include "Formula.h"
#include "GenericFormulaCmd.h"
#include "GetCalibrationListCmd.h"
#include "GetColorantUsageStatsCmd.h"
#include "GetCommandStatusCmd.h"
#include "GetConfigCmd.h"
#include "GetDbFileCmd.h"
#include "GetDispensedFormulaCmd.h"
#include "GetQRCodeCalibrationCmd.h"
#include "GetRecalibrationListCmd.h"
#include "GravTrainStatusCmd.h"
#include "LoginCmd.h"
#include "PurgeFormulaCmd.h"
#include "SaveConfigCmd.h"
#include "SaveMachineConfigCmd.h"
#include "SensorDataCmd.h"
#include "SetActiveMachineCmd.h"
#include "SetCalibrationListCmd.h"
#include "SetDbFileCmd.h"
#include "SetGravSettingsCmd.h"
#include "SetRecalibrationListCmd.h"
#include "TintCmd.h"
#include "ToggleTemporizedCmd.h"

#include <memory>

namespace {

// The formula of a dispensing command: the first parameter, or none at all.
bool formulaParameter(const QList<QVariant> &parameters, Formula &formula)
{
    if (parameters.isEmpty())
        return true;
    if (parameters.size() != 1 || parameters.first().userType() != qMetaTypeId<Formula>())
        return false;
    formula = parameters.first().value<Formula>();
    return true;
}

bool isInt(const QVariant &value)
{
    return value.type() == QVariant::Int;
}

bool isMachineID(const QVariant &value)
{
    return value.userType() == qMetaTypeId<MachineID>();
}

// The configuration, calibration and timed-process commands with typed
// parameters; null when the name is none of them or the parameters do not fit.
ProtoCommand *createCalibrationCommand(const QString &name, const QList<QVariant> &p)
{
    const int n = p.size();
    if (name == QLatin1String("GET_CONFIG") && n == 1 && isInt(p.at(0)))
        return new GetConfigCmd(p.at(0).toInt());
    if (name == QLatin1String("CLONE_MACHINE") && n == 1 && isMachineID(p.at(0)))
        return new CloneMachineCmd(p.at(0).value<MachineID>());
    if (name == QLatin1String("SET_ACTIVE_MACHINE") && n == 3 && isMachineID(p.at(0)) && isMachineID(p.at(1)))
        return new SetActiveMachineCmd(p.at(0).value<MachineID>(), p.at(1).value<MachineID>(), p.at(2).toBool());
    if (name == QLatin1String("GET_CALIB_LIST") && n == 1 && isInt(p.at(0)))
        return new GetCalibrationListCmd(p.at(0).toInt());
    if (name == QLatin1String("GET_RECALIB_LIST") && n == 1 && isInt(p.at(0)))
        return new GetRecalibrationListCmd(p.at(0).toInt());
    if (name == QLatin1String("GET_QRCODE_CALIB") && n == 1 && isInt(p.at(0)) && qrCodeCapacity(p.at(0).toInt()) > 0)
        return new GetQRCodeCalibrationCmd(static_cast<QRCodeDensity>(p.at(0).toInt()));
    if (name == QLatin1String("TOGGLE_TEMPORIZED") && n == 3 && isInt(p.at(1)) && isInt(p.at(2)))
        return new ToggleTemporizedCmd(p.at(0).toBool(), p.at(1).toInt(), p.at(2).toInt());
    if (name == QLatin1String("FW_SCAN") && n == 0)
        return new FirmwareScanCmd();
    QList<CalibrationData> calibration;
    if (name == QLatin1String("SET_CALIB_LIST") && n == 1 && ProtoCommandParams::readList(p.at(0), &calibration))
        return new SetCalibrationListCmd(calibration);
    QList<BasicCalibrationData> recalibration;
    if (name == QLatin1String("SET_RECALIB_LIST") && n == 1 && ProtoCommandParams::readList(p.at(0), &recalibration))
        return new SetRecalibrationListCmd(recalibration);
    QList<CircuitGravSettings> grav;
    if (name == QLatin1String("SET_GRAV_SETTINGS") && n == 1 && ProtoCommandParams::readList(p.at(0), &grav))
        return new SetGravSettingsCmd(grav);
    return nullptr;
}

} // namespace

ProtoCommand *ProtoCommandFactory::create(const QString &name, const QList<QVariant> &parameters,
                                          const FW_Machine *machine)
{
    std::unique_ptr<ProtoCommand> command(createCalibrationCommand(name, parameters));
    if (command) {
        // a typed configuration or calibration command
    } else if (name == QLatin1String("TINT") || name == QLatin1String("TINT2")) {
        Formula formula;
        if (!formulaParameter(parameters, formula))
            return nullptr;
        command.reset(new TintCmd(name, formula, machine));
    } else if (name == QLatin1String("PURGE")) {
        Formula formula;
        if (!formulaParameter(parameters, formula))
            return nullptr;
        command.reset(new PurgeFormulaCmd(formula, machine));
    } else if (name == QLatin1String("GET_SENSOR_DATA") && parameters.size() == 2 && isInt(parameters.at(0))
               && isInt(parameters.at(1))) {
        if (!SensorDataCmd::isValidReading(parameters.at(0).toInt(), parameters.at(1).toInt()))
            return nullptr;
        command.reset(new SensorDataCmd(static_cast<SensorDataCmd::SensorType>(parameters.at(0).toInt()),
                                        static_cast<SensorDataCmd::MeasureType>(parameters.at(1).toInt())));
    } else if (name == QLatin1String("GET_CIRCUITS_STATUS") && parameters.size() == 1
               && parameters.first().type() == QVariant::List) {
        QList<int> positions;
        for (const QVariant &position : parameters.first().toList()) {
            if (!isInt(position))
                return nullptr;
            positions.append(position.toInt());
        }
        command.reset(new CircuitsStatusCmd(positions, nullptr));
    } else if (name == QLatin1String("GET_FORMULA_EXECUTION") && !parameters.isEmpty()) {
        Formula formula;
        if (!formulaParameter(parameters, formula))
            return nullptr;
        command.reset(new GenericFormulaCmd(name, formula));
    } else if (name == QLatin1String("GETDBFILE") && parameters.size() == 1
               && parameters.first().type() == QVariant::String) {
        command.reset(new GetDbFileCmd(parameters.first().toString()));
    } else if (name == QLatin1String("SETDBFILE") && parameters.size() == 1
               && parameters.first().type() == QVariant::ByteArray) {
        command.reset(new SetDbFileCmd(parameters.first().toByteArray()));
    } else if (name == QLatin1String("GET_DISPENSED_FORMULA") && parameters.size() == 2 && isInt(parameters.at(0))
               && isInt(parameters.at(1))) {
        command.reset(new GetDispensedFormulaCmd(parameters.at(0).toInt(), parameters.at(1).toInt()));
    } else if (name == QLatin1String("GET_CMD_STATUS") && parameters.size() == 1 && isInt(parameters.first())) {
        command.reset(new GetCommandStatusCmd(parameters.first().toInt()));
    } else if (name == QLatin1String("LOGIN") && (parameters.size() == 3 || parameters.size() == 4)
               && parameters.at(0).userType() == qMetaTypeId<MachineID>() && isInt(parameters.at(2))
               && (parameters.size() == 3 || isInt(parameters.at(3)))) {
        command.reset(new LoginCmd(parameters.at(0).value<MachineID>(), parameters.at(1).toString(),
                                   parameters.at(2).toInt(), parameters.size() == 4 ? parameters.at(3).toInt() : 1));
    } else if (parameters.isEmpty()
               && (name == QLatin1String("SAVE_CONFIG") || name == QLatin1String("SAVE_MACHINE_CONFIG")
                   || name == QLatin1String("DELETE_MACHINE"))) {
        // Known by name only (e.g. to read its catalogue properties).
        command.reset(new ProtoCommand(name, parameters, machine));
    } else if (name == QLatin1String("SAVE_CONFIG")) {
        if (parameters.size() != 3 || parameters.first().userType() != qMetaTypeId<FW_Configuration>())
            return nullptr;
        command.reset(new SaveConfigCmd(parameters.at(0).value<FW_Configuration>(), parameters.at(1).toBool(),
                                        parameters.at(2).toBool()));
    } else if (name == QLatin1String("SAVE_MACHINE_CONFIG")) {
        command.reset(SaveMachineConfigCmd::fromParameters(parameters));
    } else if (name == QLatin1String("DELETE_MACHINE")) {
        command.reset(DeleteMachineCmd::fromParameters(parameters));
    } else if (!parameters.isEmpty() && name == QLatin1String("EXECQ")) {
        command.reset(ExecQStatsCmd::fromParameters(parameters));
    } else if (!parameters.isEmpty() && name == QLatin1String("GET_COL_USAGE_STATS")) {
        command.reset(GetColorantUsageStatsCmd::fromParameters(parameters));
    } else if (!parameters.isEmpty() && name == QLatin1String("ADD_EVENT")) {
        command.reset(AddEventCmd::fromParameters(parameters));
    } else if (!parameters.isEmpty() && name == QLatin1String("GRAV_TRAINING_STATUS")) {
        if (parameters.size() != 1 || !isInt(parameters.first()))
            return nullptr;
        command.reset(new GravTrainStatusCmd(parameters.first().toInt()));
    } else {
        command.reset(new ProtoCommand(name, parameters, machine));
    }
    if (!command)
        return nullptr;
    bool ok = false;
    command->toXmlRpcValue(QString(), &ok);
    return ok ? command.release() : nullptr;
}
