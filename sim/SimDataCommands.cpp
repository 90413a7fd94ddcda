#include "SimCommandGroup.h"

// The commands of lists, driver data, files and formulas: the lists of a
// dispenser's circuits, colorants, devices and canisters (from the
// configuration and the levels of the model), SET_LEVELS, the driver's
// information, its settings, database and log files, the ultrasonic
// cleaner's water and the plan and recovery of a formula.

#include "DriverInfo.h"
#include "DriverSettings.h"
#include "FW_Dispenser.h"
#include "GetCanisterListAnswer.h"
#include "GetCircuitListAnswer.h"
#include "GetColorantListAnswer.h"
#include "GetDbFileAnswer.h"
#include "GetDeviceListAnswer.h"
#include "GetDispensedFormulaAnswer.h"
#include "GetDispensedFormulaCmd.h"
#include "GetDriverInfoAnswer.h"
#include "GetLogsAnswer.h"
#include "GetRemoteDriverSettingsAnswer.h"
#include "GetUssWaterStatusAnswer.h"
#include "ProtoAnswer.h"
#include "ProtoCommandList.h"
#include "SimDriverModel.h"
#include "XmlRpcAnswer.h"

#include <QtCore/QMap>

#include <cmath>

using XmlRpc::XmlRpcValue;

namespace {

XmlRpcValue invalid(const SimCall &call)
{
    return SimDriverModel::failure(ProtoAnswer::RC_INVALID_PARAMS, SimDriverModel::InvalidParams, call.command);
}

XmlRpcValue done()
{
    return XmlRpcAnswer::makeResult(ProtoAnswer::RC_OK, FW_ErrorList(), XmlRpcValue::emptyStruct());
}

// [] or [onlyInUse]
bool onlyInUseParam(const XmlRpcValue &params, bool *onlyInUse)
{
    if (params.size() == 0) {
        *onlyInUse = false;
        return true;
    }
    if (params.size() != 1 || params[0].getType() != XmlRpcValue::TypeBoolean)
        return false;
    *onlyInUse = params[0].asBool();
    return true;
}

XmlRpcValue dispenserList(const SimCall &call)
{
    bool onlyInUse = false;
    if (!onlyInUseParam(call.params, &onlyInUse))
        return invalid(call);
    FW_Dispenser dispenser;
    QMap<int, double> levels;
    if (!call.model.dispenserSnapshot(call.machine.machineNumber, &dispenser, &levels))
        return SimDriverModel::failure(ProtoAnswer::RC_INVALID_PARAMS, SimDriverModel::UnknownMachine);
    QList<FW_Circuit> circuits;
    for (const FW_Circuit &circuit : dispenser.circuits())
        if (!onlyInUse || circuit.isEnabled())
            circuits.append(circuit);

    switch (call.identifier) {
    case ProtoCommandList::GET_CIRCUIT_LIST: {
        QList<CircuitData> list;
        for (const FW_Circuit &circuit : circuits)
            list.append(CircuitData(circuit.position(), circuit.colorantCode(), circuit.isEnabled(), circuit.capacity()));
        return GetCircuitListAnswer(list).toXmlRpcValue();
    }
    case ProtoCommandList::GET_CANISTER_LIST: {
        QList<CanisterData> list;
        for (const FW_Circuit &circuit : circuits)
            list.append(CanisterData(circuit.position(), circuit.colorantCode(), levels.value(circuit.position()),
                                     circuit.capacity(), circuit.reserveLevel()));
        return GetCanisterListAnswer(list).toXmlRpcValue();
    }
    case ProtoCommandList::GET_COLORANT_LIST: {
        // One entry per colorant code, in the order of its first position.
        QList<ColorantsPOSList> list;
        QStringList codes;
        QList<QList<int>> positions;
        QStringList names;
        for (const FW_Circuit &circuit : circuits) {
            int at = codes.indexOf(circuit.colorantCode());
            if (at < 0) {
                codes.append(circuit.colorantCode());
                names.append(circuit.colorantName());
                positions.append(QList<int>());
                at = codes.size() - 1;
            }
            positions[at].append(circuit.position());
        }
        for (int i = 0; i < codes.size(); ++i)
            list.append(ColorantsPOSList(codes.at(i), names.at(i), positions.at(i)));
        return GetColorantListAnswer(list).toXmlRpcValue();
    }
    default: { // GET_DEVICE_LIST: every device fitted is enabled
        QList<DeviceData> list;
        for (int kind : dispenser.devices())
            list.append(DeviceData(kind, true));
        return GetDeviceListAnswer(list).toXmlRpcValue();
    }
    }
}

bool hasUltrasonicCleaner(const SimCall &call)
{
    FW_Dispenser dispenser;
    QMap<int, double> levels;
    return call.model.dispenserSnapshot(call.machine.machineNumber, &dispenser, &levels)
        && dispenser.hasDevice(FW_Dispenser::DeviceUltrasonicCleaner);
}

XmlRpcValue ultrasonicCleaner(const SimCall &call)
{
    if (call.params.size() != 0)
        return invalid(call);
    if (!hasUltrasonicCleaner(call))
        return SimDriverModel::failure(ProtoAnswer::RC_NOT_SUPPORTED, SimDriverModel::NotSupported);
    SimDataState &data = call.model.data();
    if (call.identifier == ProtoCommandList::ADD_USS_W_EVENT) {
        data.ussWaterChanged(call.machine.machineNumber, QDateTime::currentDateTimeUtc());
        return done();
    }
    return GetUssWaterStatusAnswer(data.ussStatus(call.machine.machineNumber)).toXmlRpcValue();
}

XmlRpcValue dispensedFormula(const SimCall &call)
{
    const XmlRpcValue &params = call.params;
    if (params.size() != 2 || params[0].getType() != XmlRpcValue::TypeInt
        || params[1].getType() != XmlRpcValue::TypeInt || params[0].asInt() != 1 || params[1].asInt() < 0
        || params[1].asInt() > 3)
        return invalid(call);
    const int options = params[1].asInt();
    Formula formula = call.model.data().interrupted(call.machine.machineNumber,
                                                    (options & GetDispensedFormulaCmd::ForgetRecord) != 0);
    if (options & GetDispensedFormulaCmd::RoundAmounts) {
        QList<FormulaChannel> channels;
        for (const FormulaChannel &channel : formula.channels()) {
            FormulaChannel rounded;
            for (const ChannelIngredient &i : channel.ingredients()) {
                const double amount = std::round(i.amount() * 1000.0) / 1000.0;
                if (amount > 0.0)
                    rounded.addIngredient(ChannelIngredient(i.position(), i.colorantCode(), amount, i.unit()));
            }
            if (!rounded.ingredients().isEmpty())
                channels.append(rounded);
        }
        formula = Formula(channels, formula.levelsManagementPolicy(), formula.maxParallelCircuits());
    }
    return GetDispensedFormulaAnswer(formula).toXmlRpcValue();
}

XmlRpcValue driverInfo(const SimCall &call)
{
    if (call.params.size() != 0)
        return invalid(call);
    SimDriverModel &model = call.model;
    const DriverSettings settings =
        DriverSettings::fromXmlRpcValue(model.configStore().driverSettingsResult()["data"]);
    const int machines = XmlRpcValue(model.machineList(MachineID::Dispenser))["data"]["machines"].size()
        + XmlRpcValue(model.machineList(MachineID::Mixer))["data"]["machines"].size();
    return GetDriverInfoAnswer(DriverInfo(QStringLiteral("AXOdriver simulator"), model.driverVersion(),
                                          SimDriverModel::kProtocolVersion, settings.simulationMode(), machines,
                                          model.data().upTimeSeconds()))
        .toXmlRpcValue();
}

XmlRpcValue files(const SimCall &call)
{
    SimDataState &data = call.model.data();
    const XmlRpcValue &params = call.params;
    switch (call.identifier) {
    case ProtoCommandList::GETDBFILE: {
        if (params.size() != 1 || params[0].getType() != XmlRpcValue::TypeString || params[0].asString().empty())
            return invalid(call);
        const QString name = QString::fromStdString(params[0].asString());
        QByteArray bytes;
        if (!data.file(name, &bytes))
            return SimDriverModel::failure(ProtoAnswer::RC_INVALID_PARAMS, SimDriverModel::FileNotFound, name);
        return GetDbFileAnswer(bytes).toXmlRpcValue();
    }
    case ProtoCommandList::SETDBFILE: {
        if (params.size() != 1 || params[0].getType() != XmlRpcValue::TypeBase64 || params[0].asBinary().empty())
            return invalid(call);
        const XmlRpcValue::BinaryData &bytes = params[0].asBinary();
        data.storeFile(QLatin1String(SimDataState::StatsDbName),
                       QByteArray(reinterpret_cast<const char *>(bytes.data()), static_cast<int>(bytes.size())));
        return done();
    }
    case ProtoCommandList::GETLOGS:
        return params.size() != 0 ? invalid(call) : GetLogsAnswer(data.logFile()).toXmlRpcValue();
    default: // GET_REMOTE_DRIVER_SETTINGS
        // The settings in effect, as SET_DRIVER_SETTINGS left them.
        return params.size() != 0 ? invalid(call)
                                  : GetRemoteDriverSettingsAnswer(
                                        call.model.configStore().driverSettings().toText().toUtf8())
                                        .toXmlRpcValue();
    }
}

} // namespace

QStringList simDataCommandNames()
{
    return QStringList{QStringLiteral("GET_CIRCUIT_LIST"),      QStringLiteral("GET_COLORANT_LIST"),
                       QStringLiteral("GET_DEVICE_LIST"),       QStringLiteral("GET_CANISTER_LIST"),
                       QStringLiteral("SET_LEVELS"),            QStringLiteral("GET_DRIVER_INFO"),
                       QStringLiteral("GET_REMOTE_DRIVER_SETTINGS"), QStringLiteral("GETDBFILE"),
                       QStringLiteral("SETDBFILE"),             QStringLiteral("GETLOGS"),
                       QStringLiteral("GET_USS_W_STATUS"),      QStringLiteral("ADD_USS_W_EVENT"),
                       QStringLiteral("GET_FORMULA_EXECUTION"), QStringLiteral("GET_DISPENSED_FORMULA")};
}

bool simServeDataCommand(const SimCall &call, XmlRpcValue *result)
{
    switch (call.identifier) {
    case ProtoCommandList::GET_CIRCUIT_LIST:
    case ProtoCommandList::GET_COLORANT_LIST:
    case ProtoCommandList::GET_DEVICE_LIST:
    case ProtoCommandList::GET_CANISTER_LIST:
        *result = dispenserList(call);
        return true;
    case ProtoCommandList::SET_LEVELS:
        *result = call.model.setLevels(call.machine, call.params);
        return true;
    case ProtoCommandList::GET_USS_W_STATUS:
    case ProtoCommandList::ADD_USS_W_EVENT:
        *result = ultrasonicCleaner(call);
        return true;
    case ProtoCommandList::GET_FORMULA_EXECUTION:
        *result = call.params.size() != 1 ? invalid(call) : call.model.formulaExecution(call.machine, call.params[0]);
        return true;
    case ProtoCommandList::GET_DISPENSED_FORMULA:
        *result = dispensedFormula(call);
        return true;
    case ProtoCommandList::GET_DRIVER_INFO:
        *result = driverInfo(call);
        return true;
    case ProtoCommandList::GETDBFILE:
    case ProtoCommandList::SETDBFILE:
    case ProtoCommandList::GETLOGS:
    case ProtoCommandList::GET_REMOTE_DRIVER_SETTINGS:
        *result = files(call);
        return true;
    default:
        return false;
    }
}
