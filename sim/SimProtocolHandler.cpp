#include "SimProtocolHandler.h"

#include "DriverSimulator.h"
#include "FunctionCallType.h"
#include "GetSwVersionAnswer.h"
#include "MachineID.h"
#include "ProtoAnswer.h"
#include "ProtoCommandList.h"
#include "SimCommandGroup.h"
#include "SimDriverModel.h"
#include "SimFault.h"
#include "SimSessionTable.h"

#include <QtCore/QStringList>

#include <algorithm>
#include <chrono>

using XmlRpc::XmlRpcValue;

namespace {

const int kInvalidCallFault = 1;
const int kDefaultIntervalMs = 500;
const int kDefaultTimeoutMs = 10000;

QString text(const XmlRpcValue &value)
{
    return QString::fromStdString(value.asString());
}

bool isString(const XmlRpcValue &value)
{
    return value.getType() == XmlRpcValue::TypeString;
}

bool isInt(const XmlRpcValue &value)
{
    return value.getType() == XmlRpcValue::TypeInt;
}

int argumentCount(const XmlRpcValue &params)
{
    return params.getType() == XmlRpcValue::TypeArray ? params.size() : 0;
}

int intMember(const XmlRpcValue &call, const char *name, int fallback, int minimum, int maximum)
{
    if (!call.hasMember(name))
        return fallback;
    const XmlRpcValue &value = call[name];
    if (!isInt(value))
        throw SimFault(kInvalidCallFault, "Invalid protocol call");
    return std::min(maximum, std::max(minimum, value.asInt()));
}

} // namespace

SimProtocolHandler::SimProtocolHandler(std::shared_ptr<SimDriverModel> model) : m_model(std::move(model))
{
}

void SimProtocolHandler::install(DriverSimulator &simulator) const
{
    for (int callType : {int(SyncCall), int(AsyncCall), int(NotifyChangedCall)}) {
        const SimProtocolHandler handler = *this;
        simulator.registerMethod(ProtoCommandList::functionCallStr(callType).toStdString(),
                                 [handler, callType](const XmlRpcValue &params) {
                                     return handler.handle(callType, params);
                                 });
    }
}

void SimProtocolHandler::shutdown() const
{
    m_model->shutdown();
}

bool SimProtocolHandler::implements(const QString &command)
{
    static const QStringList implemented = {
        QStringLiteral("GET_SW_VERSION"),     QStringLiteral("GET_DISP_LIST"),      QStringLiteral("GET_MIXER_LIST"),
        QStringLiteral("GET_ACTIVE_DISP"),    QStringLiteral("GET_CONN_STATUS"),    QStringLiteral("GET_CMD_STATUS"),
        QStringLiteral("GET_CONFIG"),         QStringLiteral("GET_CALIB_PROFILES"), QStringLiteral("GET_DRIVER_SETTINGS"),
        QStringLiteral("GET_DISP_STATUS"),    QStringLiteral("GET_MIXER_STATUS"),   QStringLiteral("GET_SENSORS_STATUS"),
        QStringLiteral("GET_ACTIVE_CIRCUITS"), QStringLiteral("GET_ERRORS"),        QStringLiteral("CLEAR_ERRORS"),
        QStringLiteral("GET_CMD_LIST"),       QStringLiteral("READ_FW_VERSION"),    QStringLiteral("STOP"),
        QStringLiteral("RESET"),              QStringLiteral("TINT"),
    };
    if (implemented.contains(command))
        return true;
    for (const SimCommandGroup &group : simCommandGroups()) {
        if (group.names().contains(command))
            return true;
    }
    return false;
}

bool SimProtocolHandler::isHoldable(const QString &command)
{
    const ProtoCommandRecord *record = ProtoCommandList::record(command);
    return record && record->notifyChanged;
}

XmlRpcValue SimProtocolHandler::handle(int callType, const XmlRpcValue &params) const
{
    // One struct parameter of protocol version 1.
    if (params.getType() != XmlRpcValue::TypeArray || params.size() != 1
        || params[0].getType() != XmlRpcValue::TypeStruct)
        throw SimFault(kInvalidCallFault, "Invalid protocol call");
    const XmlRpcValue &call = params[0];
    if (!isInt(call["proto"]) || call["proto"].asInt() != SimDriverModel::kProtocolVersion || !isString(call["cmd"])
        || (call.hasMember("session") && !isString(call["session"]))
        || (call.hasMember("params") && call["params"].getType() != XmlRpcValue::TypeArray))
        throw SimFault(kInvalidCallFault, "Invalid protocol call");

    const QString command = text(call["cmd"]);
    const QString session = call.hasMember("session") ? text(call["session"]) : QString();
    const XmlRpcValue arguments = call.hasMember("params") ? call["params"] : XmlRpcValue::emptyArray();
    if (callType != NotifyChangedCall)
        return execute(callType, command, session, arguments);

    const int interval = intMember(call, "interval", kDefaultIntervalMs, kMinIntervalMs, kMaxIntervalMs);
    const int timeout = intMember(call, "timeout", kDefaultTimeoutMs, 0, kMaxHoldMs);
    return hold(command, session, arguments, call.hasMember("prev") ? call["prev"] : XmlRpcValue(), interval,
                timeout);
}

XmlRpcValue SimProtocolHandler::hold(const QString &command, const QString &session, const XmlRpcValue &params,
                                     const XmlRpcValue &previous, int intervalMs, int timeoutMs) const
{
    typedef std::chrono::steady_clock Clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // Taken before the evaluation, so that a change during it is not missed.
        const uint64_t seen = m_model->changeCount();
        XmlRpcValue result = execute(NotifyChangedCall, command, session, params);
        if (!isInt(result["rc"]) || result["rc"].asInt() != ProtoAnswer::RC_OK || !previous.valid()
            || result["data"] != previous)
            return result;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || m_model->isShutDown())
            return result;
        // A caller that closed its connection (a client stopping its polling
        // thread) is not waited for any longer.
        m_model->waitForChange(seen, static_cast<int>(std::min<int64_t>(intervalMs, left)),
                               DriverSimulator::callerHungUp, kHangUpCheckMs);
        if (DriverSimulator::callerHungUp())
            return result;
    }
}

XmlRpcValue SimProtocolHandler::execute(int callType, const QString &command, const QString &session,
                                        const XmlRpcValue &params) const
{
    SimDriverModel &model = *m_model;
    const ProtoCommandRecord *record = ProtoCommandList::record(command);
    if (!record)
        return SimDriverModel::failure(ProtoAnswer::RC_UNKNOWN_COMMAND, SimDriverModel::UnknownCommand, command);
    // Only long processes take tickets; only the notify-changed queries are held.
    if ((callType == AsyncCall && !record->trackExecutionTime)
        || (callType == NotifyChangedCall && !record->notifyChanged))
        return SimDriverModel::failure(ProtoAnswer::RC_NOT_SUPPORTED, SimDriverModel::CallMethodNotSupported,
                                       command);

    if (record->sessionKind == ProtoCommandRecord::SessionHandshake)
        return handshake(command, session, params);

    MachineID machine;
    if (record->addressesMachine()) {
        SimSessionTable::Grant grant;
        // SAVE_MACHINE_CONFIG names its machine in its parameters: it may
        // travel in a session of the generic machine.
        const bool namesItsMachine = record->identifier == ProtoCommandList::SAVE_MACHINE_CONFIG;
        if (!model.sessionGrant(session, &grant, namesItsMachine))
            return SimDriverModel::failure(ProtoAnswer::RC_INVALID_SESSION, SimDriverModel::InvalidSession);
        machine = grant.machine;
        if (machine.machineNumber > 0 && (record->machineTypes & machine.machineType) == 0)
            return SimDriverModel::failure(ProtoAnswer::RC_NOT_SUPPORTED, SimDriverModel::NotSupported);
        if (record->accessLevel > grant.accessLevel)
            return SimDriverModel::failure(ProtoAnswer::RC_REFUSED, SimDriverModel::AccessTooLow, command);
    }

    XmlRpcValue served;
    const SimCall call{model, record->identifier, command, session, machine, params, callType};
    for (const SimCommandGroup &group : simCommandGroups()) {
        if (group.serve(call, &served))
            return served;
    }
    if (!record->addressesMachine())
        return driverCommand(record->identifier, command, session, params);

    XmlRpcValue started;
    switch (record->identifier) {
    case ProtoCommandList::GET_DISP_STATUS:
        return model.dispenserStatus(machine);
    case ProtoCommandList::GET_MIXER_STATUS:
        return model.mixerStatus(machine);
    case ProtoCommandList::SAVE_MACHINE_CONFIG:
        return model.saveMachine(params);
    case ProtoCommandList::DELETE_MACHINE:
        return model.deleteMachines(params);
    case ProtoCommandList::GET_ACTIVE_CIRCUITS:
        if (argumentCount(params) < 1 || !isInt(params[0]))
            return SimDriverModel::failure(ProtoAnswer::RC_INVALID_PARAMS, SimDriverModel::InvalidParams, command);
        return model.activeCircuits(machine, params[0].asInt());
    case ProtoCommandList::GET_SENSORS_STATUS:
        return model.sensorsStatus(machine);
    case ProtoCommandList::GET_CMD_LIST:
        return model.configStore().commandListResult(machine);
    case ProtoCommandList::READ_FW_VERSION:
        return model.firmwareVersion(machine, params);
    case ProtoCommandList::GET_ERRORS:
        return model.machineErrors(machine);
    case ProtoCommandList::CLEAR_ERRORS:
        return model.clearErrors(machine);
    case ProtoCommandList::STOP:
        return model.stop(machine);
    case ProtoCommandList::RESET:
        started = model.startReset(machine, session);
        break;
    case ProtoCommandList::TINT:
        if (argumentCount(params) < 1)
            return SimDriverModel::failure(ProtoAnswer::RC_INVALID_PARAMS, SimDriverModel::InvalidParams, command);
        started = model.startTint(machine, params[0], session);
        break;
    default:
        return SimDriverModel::failure(ProtoAnswer::RC_NOT_SUPPORTED, SimDriverModel::NotSupported);
    }

    // A long process: the ticket answer, or for a synchronous call the
    // result once the process has ended.
    if (callType == AsyncCall || started["rc"].asInt() != ProtoAnswer::RC_OK)
        return started;
    return model.waitForResult(started["data"]["ticket"].asInt());
}

XmlRpcValue SimProtocolHandler::driverCommand(int identifier, const QString &command, const QString &session,
                                              const XmlRpcValue &params) const
{
    SimDriverModel &model = *m_model;
    switch (identifier) {
    case ProtoCommandList::GET_SW_VERSION:
        return GetSwVersionAnswer(model.driverVersion(), SimDriverModel::kProtocolVersion).toXmlRpcValue();
    case ProtoCommandList::GET_DISP_LIST:
        return model.machineList(MachineID::Dispenser);
    case ProtoCommandList::GET_MIXER_LIST:
        return model.machineList(MachineID::Mixer);
    case ProtoCommandList::GET_ACTIVE_DISP:
        return model.activeMachines();
    case ProtoCommandList::GET_CONN_STATUS:
        return model.connectionStatus();
    case ProtoCommandList::GET_CONFIG:
        return model.configuration(params);
    case ProtoCommandList::GET_CALIB_PROFILES:
        return model.configStore().calibrationProfilesResult();
    case ProtoCommandList::GET_DRIVER_SETTINGS:
        return model.configStore().driverSettingsResult();
    case ProtoCommandList::GET_CMD_STATUS:
        if (argumentCount(params) < 1 || !isInt(params[0]))
            return SimDriverModel::failure(ProtoAnswer::RC_INVALID_PARAMS, SimDriverModel::InvalidParams, command);
        return model.commandStatus(params[0].asInt(), session);
    default:
        return SimDriverModel::failure(ProtoAnswer::RC_NOT_SUPPORTED, SimDriverModel::NotSupported);
    }
}

XmlRpcValue SimProtocolHandler::handshake(const QString &command, const QString &session,
                                          const XmlRpcValue &params) const
{
    SimDriverModel &model = *m_model;
    const int count = argumentCount(params);
    const XmlRpcValue invalid =
        SimDriverModel::failure(ProtoAnswer::RC_INVALID_PARAMS, SimDriverModel::InvalidParams, command);

    if (command == QLatin1String("LOGIN")) {
        bool ok = false;
        const MachineID machine = count >= 1 ? MachineID::fromXmlRpcValue(params[0], &ok) : MachineID();
        if (!ok || count < 2 || !isString(params[1]) || (count >= 3 && !isInt(params[2]))
            || (count >= 4 && (!isInt(params[3]) || params[3].asInt() < 1 || params[3].asInt() > 3)))
            return invalid;
        return model.login(machine, text(params[1]), count >= 3 ? params[2].asInt() : 0,
                           count >= 4 ? params[3].asInt() : 1);
    }
    if (command == QLatin1String("GET_KEY")) {
        if (count < 1 || !isString(params[0]) || !SimSessionTable::isNonceText(text(params[0])))
            return invalid;
        return model.getKey(session, text(params[0]));
    }
    if (command == QLatin1String("CERTIFY_SESSION")) {
        if (count < 1 || !isString(params[0]))
            return invalid;
        return model.certify(session, text(params[0]));
    }
    return model.logout(session);
}
